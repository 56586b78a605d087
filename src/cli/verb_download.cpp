// vro device download: reads recordings out of the recorder (or `vro
// simulate`) and saves them as recording files, the way the device window
// does: directory, header check, samples in 240-byte packets on the
// connector's worker, then the recording built from the download
// (FillFromDevice), its time stamps checked, and the file written.
//   --index N OUT.vxrf           one recording (N as listed by `vro device list`)
//   --all DIR [--template T]     every recording into a folder; file names from
//                                the template, else "name-00012.vxrf"
#include "cli/devicesession.h"
#include "core/util/text.h"
#include "cli/verb.h"
#include "device/manager/vro8manager.h"

#include "core/construct/construct.h"
#include "core/recording/recording.h"
#include "core/template/filenameparser.h"
#include "core/values/vro8utils.h"
#include "device/vro8device.h"
#include "core/text/texts.h"
#include "link/dvxv24connector.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <memory>

namespace vro::cli {

namespace {

// The session of a download, connected at once.
struct TDownloadSession : TDeviceSession {
    TDownloadSession(const std::string& port, std::int32_t baud) : TDeviceSession(port, baud) { Connect(); }

    // Downloads directory entry `index` and builds the recording.
    void Download(int index, TRecording& r, bool autoName, const std::string& fileName,
                  const std::filesystem::path& folder)
    {
        auto& rec = Device().Recording;
        rec.StartLoad(index);
        const auto start = std::chrono::steady_clock::now();
        bool shown = false;
        while (!Connector().WaitAsyncEnded(200)) {
            if (std::chrono::steady_clock::now() - start > std::chrono::seconds(1)) {
                const auto total = Connector().GetProgressTotal();
                const auto done = Connector().GetProgressDone();
                if (total > 0) {
                    std::fprintf(stderr, "\r%s: %3lld%%", rec.Header().Name.c_str(),
                                 static_cast<long long>(done * 100 / total));
                    shown = true;
                }
            }
        }
        if (shown)
            std::fprintf(stderr, "\r%40s\r", "");
        if (Connector().IsCancelled())
            throw std::runtime_error("cancelled");
        if (rec.LoadState() != TVro8Recording::kLoaded)
            throw std::runtime_error("download of recording " + std::to_string(index) +
                                     " failed: " + Connector().LastError());
        FillFromDevice(r, DeviceRecordingData(rec), autoName, fileName, folder);
        if (const int fault = CheckTimeStamps(r); fault != 0) {
            std::cerr << r.DeviceRecordingName << ": " << (fault == 1 ? "faulty data" : "faulty time stamps")
                      << " from sample " << r.TimeStampFaultIndex << ", repaired\n";
            RepairTimeStamps(r);
        }
    }
};

std::string TemplateName(const std::string& pattern, const TVro8Entry& e)
{
    TFilenameParser p;
    p.SetTemplate(pattern);
    p.SetName(e.Name);
    p.SetNumber(static_cast<std::int32_t>(e.Number));
    p.SetDateTime(StampToDateTime(e.Date));
    return p.Generate();
}

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
        TRecording r;
        s.Download(index, r, false, out, {});
        r.SaveToFile();
        std::cerr << out << ": " << r.ChannelCount << " channels, " << r.RecordCount << " samples\n";
        return 0;
    }
    if (args.Positionals().size() > 0)
        throw EUsage("--all DIR takes no OUT");
    const std::filesystem::path dir(*all);
    std::filesystem::create_directories(dir);
    const int count = s.Device().Directory.Count();
    for (int i = 0; i < count; ++i) {
        TRecording r;
        const TVro8Entry& e = s.Device().Directory.Entry(i);
        if (templ) {
            std::string name = TemplateName(*templ, e);
            if (name.empty())
                throw EUsage("--template gives an empty file name");
            std::filesystem::path p = dir / (name + ".vxrf");
            for (int k = 1; std::filesystem::exists(p); ++k)
                p = dir / (name + "-" + std::to_string(k) + ".vxrf");
            s.Download(i, r, false, p.string(), {});
        } else {
            s.Download(i, r, true, "", dir);
        }
        r.SaveToFile();
        std::cout << r.FileName << "\n";
    }
    std::cerr << count << " recordings copied to " << dir.string() << "\n";
    return 0;
}

} // namespace

int VerbDeviceDownload(TArgs& args) { return Run(args); }

} // namespace vro::cli
