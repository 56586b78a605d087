// vro firmware ... and vro device firmware ...: firmware update files and
// the recorder's two flash areas.
//   firmware make OUT.vxupd --code CC (--area0 A0.hex --area1 A1.hex | --sample ...)
//   firmware info FILE.vxupd [--json] [--image0 OUT.bin] [--image1 OUT.bin]
//   device firmware versions | read --area N OUT.bin | update FILE | verify FILE
// update runs the update wizard's steps (load, transfer, check) through the
// same object the window uses; verify loads and checks only. Progress goes
// to standard error per area, Ctrl-C cancels at the next packet, and the
// wizard's final text (InfoLabel) goes to standard output.
#include "cli/devicesession.h"
#include "cli/verb.h"

#include "core/firmware/vro8hexconverter.h"
#include "core/text/texts.h"
#include "core/util/atomicfile.h"
#include "device/firmware/vroupdatewizard.h"
#include "device/vro8device.h"
#include "link/dvxv24connector.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <iostream>
#include <unistd.h>

namespace vro::cli {

namespace {

using json = nlohmann::ordered_json;


void WriteBinary(const std::string& path, const std::vector<std::uint8_t>& image)
{
    WriteFileAtomically(path, std::string_view(reinterpret_cast<const char*>(image.data()), image.size()));
}

int Make(TArgs& args)
{
    const std::string out = args.Positional(0, "OUT.vxupd");
    const auto code = args.Option("--code");
    if (!code || code->size() != 2)
        throw EUsage("--code takes two characters");
    const bool sample = args.Flag("--sample");
    const auto a0 = args.Option("--area0");
    const auto a1 = args.Option("--area1");
    const auto v0 = args.Option("--version0");
    const auto v1 = args.Option("--version1");
    args.CheckAllUsed(1);
    std::string hex0;
    std::string hex1;
    if (sample) {
        if (a0 || a1)
            throw EUsage("--sample and --area0/--area1 exclude each other");
        hex0 = ImageToHex(0, MakeSampleImage(0, v0.value_or("VRO8K-S 1.08"), 0x5EED0));
        hex1 = ImageToHex(1, MakeSampleImage(1, v1.value_or("VRO8K-M 2.11"), 0x5EED1));
    } else {
        if (!a0 || !a1)
            throw EUsage("give --area0 and --area1, or --sample");
        if (v0 || v1)
            throw EUsage("--version0/--version1 go with --sample");
        hex0 = ReadWholeFile(*a0);
        hex1 = ReadWholeFile(*a1);
    }
    WriteFileAtomically(out, MakeUpdateFileText(*code, hex0, hex1));
    return 0;
}

int Info(TArgs& args)
{
    const std::string file = args.Positional(0, "FILE.vxupd");
    const bool asJson = args.Flag("--json");
    const auto image0 = args.Option("--image0");
    const auto image1 = args.Option("--image1");
    args.CheckAllUsed(1);
    TVro8UpdateFile f;
    try {
        f = DecodeUpdateFile(ReadWholeFile(file));
    } catch (const EReConvert& e) {
        std::cerr << file << ": " << e.what() << ": " << e.Reason() << "\n";
        return 1;
    }
    if (image0)
        WriteBinary(*image0, f.Areas[0].Image);
    if (image1)
        WriteBinary(*image1, f.Areas[1].Image);
    const std::vector<int> variants = VariantsAccepting(f.HardwareCode);
    const std::string v0 = ImageVersionText(0, f.Areas[0].Image);
    const std::string v1 = ImageVersionText(1, f.Areas[1].Image);
    if (asJson) {
        std::cout << json{{"HardwareCode", f.HardwareCode},
                          {"Checksum", f.Checksum},
                          {"HardwareVariants", variants},
                          {"Area0Version", v0},
                          {"Area1Version", v1},
                          {"PathLabel", f.PathLabel()},
                          {"Area0Bytes", f.Areas[0].StoredBytes},
                          {"Area1Bytes", f.Areas[1].StoredBytes},
                          {"Area0Dropped", f.Areas[0].DroppedBytes},
                          {"Area1Dropped", f.Areas[1].DroppedBytes}}
                         .dump(2)
                  << "\n";
        return 0;
    }
    std::string list;
    for (int v : variants)
        list += (list.empty() ? "" : ", ") + std::to_string(v);
    std::cout << "HardwareCode      " << f.HardwareCode << "\nChecksum          " << f.Checksum
              << "\nHardwareVariants  " << list << "\nArea0Version      " << v0 << "\nArea1Version      " << v1
              << "\nPathLabel         " << f.PathLabel() << "\nArea0Bytes        " << f.Areas[0].StoredBytes
              << " (dropped " << f.Areas[0].DroppedBytes << ")\nArea1Bytes        " << f.Areas[1].StoredBytes
              << " (dropped " << f.Areas[1].DroppedBytes << ")\n";
    return 0;
}

// Connects, runs the body and turns connector and device errors into exit 1
// (130 after Ctrl-C).
int WithRecorder(TDeviceSession& s, const std::function<int()>& body)
{
    try {
        s.Connect();
        return body();
    } catch (const EInterrupted&) {
        std::cerr << "vro device firmware: cancelled\n";
        return 130;
    } catch (const std::exception& e) {
        if (TDeviceSession::Interrupted()) {
            std::cerr << "vro device firmware: cancelled\n";
            return 130;
        }
        std::cerr << e.what() << "\n";
        return 1;
    }
}

int Versions(TArgs& args)
{
    TDeviceSession s(args);
    const bool asJson = args.Flag("--json");
    args.CheckAllUsed(0);
    return WithRecorder(s, [&] {
        const std::string v0 = s.Device().FlashAreas.ReadVersion(0);
        const std::string v1 = s.Device().FlashAreas.ReadVersion(1);
        if (asJson)
            std::cout << json{{"Area0Version", v0}, {"Area1Version", v1}}.dump(2) << "\n";
        else
            std::cout << "Area0Version  " << v0 << "\nArea1Version  " << v1 << "\n";
        return 0;
    });
}

int Read(TArgs& args)
{
    TDeviceSession s(args);
    const int area = static_cast<int>(args.IntOption("--area", -1, 0, 1));
    if (area < 0)
        throw EUsage("--area 0 or 1 is required");
    const std::string out = args.Positional(0, "OUT.bin");
    args.CheckAllUsed(1);
    return WithRecorder(s, [&] {
        std::vector<std::uint8_t> image;
        bool complete = false;
        {
            TProgress progress(s.Connector());
            complete = s.Device().FlashAreas.ReadArea(area, image);
        }
        TDeviceSession::CheckInterrupted();
        if (!complete) {
            std::cerr << "area " << area << ": the read stopped after " << s.Connector().GetProgressDone() << " of "
                      << image.size() << " bytes"
                      << (s.Connector().LastError().empty() ? "" : " (" + s.Connector().LastError() + ")")
                      << "; no file written\n";
            return 1;
        }
        WriteBinary(out, image);
        return 0;
    });
}

// The wizard's window on the command line: the file comes from the command
// line, messages and progress go to standard error.
class TCliWizardUi : public IVroUpdateWizardUi {
public:
    explicit TCliWizardUi(std::string file) : file_(std::move(file)) {}
    TVroUpdateWizard* Wizard = nullptr;

    bool ChooseFile(std::string& fileName) override
    {
        fileName = file_;
        return true;
    }
    void ShowError(const std::string& text) override { std::cerr << text << "\n"; }
    void Progress(int perMille) override
    {
        if (TDeviceSession::Interrupted() && Wizard)
            Wizard->RequestCancel();
        // Whole percent steps (every tenth on a file or pipe).
        const int step = ::isatty(2) ? perMille / 10 : perMille / 100;
        if (!Wizard || step == last_)
            return;
        last_ = step;
        const char* what = Wizard->TitleProgressText == 574 ? "transfer" : "check";
        std::fprintf(stderr, "\r%s area %d: %5.1f%%", what, Wizard->Flash().Area(), perMille / 10.0);
        if (perMille == 1000)
            std::fprintf(stderr, "\n");
        std::fflush(stderr);
    }

private:
    std::string file_;
    int last_ = -1;
};

json OptionalBool(const std::optional<bool>& b) { return b ? json(*b) : json(nullptr); }

void Report(const TVroUpdateWizard& z, bool asJson)
{
    if (!z.Reason.empty())
        std::cerr << z.Reason << "\n";
    if (!asJson) {
        std::cout << z.InfoLabelText() << "\n";
        return;
    }
    json markers = json::array();
    for (EVroMarker m : z.Markers)
        markers.push_back(std::string(MarkerName(m)));
    std::cout << json{{"Step", z.Step},
                      {"Markers", markers},
                      {"InfoLabel", z.InfoText},
                      {"Message", z.Message ? json(*z.Message) : json(nullptr)},
                      {"PathLabel", z.PathLabel},
                      {"HardwareCode", z.HardwareCode},
                      {"HardwareVariant", z.HardwareVariant()},
                      {"Area0Written", z.Written[0]},
                      {"Area1Written", z.Written[1]},
                      {"Area0Equal", OptionalBool(z.AreaEqual[0])},
                      {"Area1Equal", OptionalBool(z.AreaEqual[1])},
                      {"Cancelled", z.Cancelled}}
                     .dump(2)
              << "\n";
}

// update (write = true) or verify: exit 0 when checked, 1 for a refused file
// or no recorder, 3 for a failed transfer, 4 for a failed check, 130 when
// cancelled.
int UpdateOrVerify(TArgs& args, bool write)
{
    TDeviceSession s(args);
    const std::string file = args.Positional(0, "FILE.vxupd");
    const bool asJson = args.Flag("--json");
    const auto wait = static_cast<std::uint32_t>(args.IntOption("--load-wait", 2000, 0, 60000));
    args.CheckAllUsed(1);
    SelectTextLanguage("en");
    return WithRecorder(s, [&] {
        TCliWizardUi ui(file);
        TVroUpdateWizard z(s.Device(), s.Device().Ident().IdentText, true, ui, wait);
        ui.Wizard = &z;
        z.Initialise();
        if (write) {
            z.NextLabelClick();
        } else {
            // The service unlock, then its file and check steps.
            z.TopPanelClick();
            z.LeftPanelClick();
            z.BottomPanelClick();
            z.x1xDataLabelClick();
        }
        if (!z.FileLoaded()) {
            Report(z, asJson);
            return 1;
        }
        if (write) {
            z.NextLabelClick();
            if (z.InfoText != 581) {
                Report(z, asJson);
                return z.Cancelled ? 130 : 3;
            }
            z.NextLabelClick();
        } else {
            z.x3xCheckDataLabelClick();
        }
        Report(z, asJson);
        if (z.Cancelled)
            return 130;
        return z.InfoText == 582 ? 0 : 4;
    });
}

} // namespace

int VerbFirmwareMake(TArgs& args) { return Make(args); }
int VerbFirmwareInfo(TArgs& args) { return Info(args); }
int VerbDeviceFirmwareVersions(TArgs& args) { return Versions(args); }
int VerbDeviceFirmwareRead(TArgs& args) { return Read(args); }
int VerbDeviceFirmwareUpdate(TArgs& a) { return UpdateOrVerify(a, true); }
int VerbDeviceFirmwareVerify(TArgs& a) { return UpdateOrVerify(a, false); }

} // namespace vro::cli
