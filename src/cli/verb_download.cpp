// vro device download: reads recordings out of the recorder (or `vro
// simulate`) and saves them as recording files, the way the device window
// does: directory, header check, samples in 240-byte packets on the
// connector's worker, then the download taken as a recording (TakeDownload:
// filled, its time stamps checked and repaired, named by the one name rule)
// and the file written. A name that cannot be made safe skips that recording
// with a message and makes the exit status 1.
//   --index N OUT.vxrf           one recording (N as listed by `vro device list`)
//   --all DIR [--template T]     every recording into a folder; file names from
//                                the template, else "name-00012.vxrf"
#include "cli/devicesession.h"
#include "core/util/text.h"
#include "cli/verb.h"
#include "device/manager/vro8manager.h"

#include "core/recording/recording.h"
#include "core/template/filenameparser.h"
#include "core/template/safefilename.h"
#include "device/manager/takedownload.h"
#include "device/vro8device.h"
#include "core/text/texts.h"
#include "link/dvxv24connector.h"

#include <filesystem>
#include <iostream>
#include <memory>

namespace vro::cli {

namespace {

// The session of a download, connected at once.
struct TDownloadSession : TDeviceSession {
    TDownloadSession(const std::string& port, std::int32_t baud) : TDeviceSession(port, baud) { Connect(); }

    // Downloads directory entry `index` and takes it (fill, time stamps
    // checked and repaired, the name by the one rule); the repair is said.
    std::unique_ptr<TRecording> Download(int index, const TTakeNaming& naming)
    {
        auto& rec = Device().Recording;
        {
            TProgress progress(Connector());
            rec.StartLoad(index);
            while (!Connector().WaitAsyncEnded(200)) {
            }
        }
        if (Connector().IsCancelled())
            throw std::runtime_error("cancelled");
        if (rec.LoadState() != TVro8Recording::kLoaded)
            throw std::runtime_error("download of recording " + std::to_string(index) +
                                     " failed: " + Connector().LastError());
        TTakeReport report;
        auto r = TakeDownload(DeviceRecordingData(rec), naming, report);
        if (!report.Message.empty())
            std::cerr << report.Message << "\n";
        return r;
    }
};

int Run(TArgs& args)
{
    const auto port = args.Option("--port");
    const auto baud = static_cast<std::int32_t>(args.IntOption("--baud", 460800, 9600, 460800));
    const auto index = static_cast<int>(args.IntOption("--index", -1, 0, 65535));
    const auto all = args.Option("--all");
    const auto templ = args.Option("--template");
    args.CheckAllUsed(1);
    if (!port)
        throw EUsage("--port PATH is required");
    if ((index >= 0) == all.has_value())
        throw EUsage("give either --index N OUT.vxrf or --all DIR");
    if (templ && !all)
        throw EUsage("--template goes with --all");

    TDownloadSession s(*port, baud);
    s.Device().Directory.RefreshRecordings();
    if (index >= 0) {
        const std::string out = args.Positional(0, "OUT.vxrf");
        if (!HasExtension(out, ".vxrf"))
            throw EUsage("unsupported output format \"" + out + "\" (only .vxrf)");
        if (index >= s.Device().Directory.Count())
            throw std::runtime_error("the recorder holds " + std::to_string(s.Device().Directory.Count()) +
                                     " recordings, no index " + std::to_string(index));
        const auto r = s.Download(index, TTakeNaming::InFile(out));
        r->SaveToFile();
        std::cerr << out << ": " << r->ChannelCount << " channels, " << r->RecordCount << " samples\n";
        return 0;
    }
    if (args.Positionals().size() > 0)
        throw EUsage("--all DIR takes no OUT");
    const std::filesystem::path dir(*all);
    std::filesystem::create_directories(dir);
    const int count = s.Device().Directory.Count();
    TTakeNaming naming = TTakeNaming::AutomaticIn(dir);
    if (templ) {
        TFilenameParser p;
        p.SetTemplate(*templ);
        naming = TTakeNaming::TemplateIn(dir, p.GetPattern());
    }
    int copied = 0;
    for (int i = 0; i < count; ++i) {
        std::unique_ptr<TRecording> r;
        try {
            r = s.Download(i, naming);
        } catch (const EUnsafeFileName& x) {
            // One refused name does not stop the others.
            std::cerr << "vro: recording " << i << " not copied: " << x.what() << "\n";
            continue;
        }
        r->SaveToFile();
        std::cout << r->FileName << "\n";
        ++copied;
    }
    std::cerr << copied << " recordings copied to " << dir.string() << "\n";
    return copied == count ? 0 : 1;
}

} // namespace

int VerbDeviceDownload(TArgs& args) { return Run(args); }

} // namespace vro::cli
