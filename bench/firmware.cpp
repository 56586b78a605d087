// firmware: a whole firmware update (the update wizard's file, transfer and
// check steps) of a sample update file into the simulated recorder over a
// pseudo-terminal. The recorder paces both directions at 460800 baud (a
// request counts once its last byte would have arrived) and programs at
// once (no erase or activation time).
//   firmware_update_paced_ratio  measured time / line time of every byte the
//                                recorder received and sent during the update
// The line time comes from the simulator's byte counts of the same run.
#include "figures.h"

#include "core/firmware/vro8hexconverter.h"
#include "core/util/atomicfile.h"
#include "device/firmware/vroupdatewizard.h"
#include "device/vro8connect.h"
#include "device/vro8device.h"
#include "link/dvxporttable.h"
#include "link/dvxv24connector.h"
#include "sim/recorder.h"
#include "sim/recorderservice.h"
#include "sim/simpty.h"
#include "sim/simulator.h"

#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <iostream>

namespace {

constexpr std::int32_t kBaud = 460800;

// The file dialog answers with the sample file; nothing else is shown.
class TBenchUi : public vro::IVroUpdateWizardUi {
public:
    explicit TBenchUi(std::string file) : file_(std::move(file)) {}
    bool ChooseFile(std::string& fileName) override
    {
        fileName = file_;
        return true;
    }
    void ShowError(const std::string& text) override { std::cerr << "message: " << text << "\n"; }

private:
    std::string file_;
};

std::string gFile;
double gRatio = 0;

void BM_FirmwareUpdatePaced(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        vro::sim::TSimPty pty;
        vro::sim::TSimProfile profile;
        profile.Firmware.ActivateTime = std::chrono::milliseconds(0);
        auto recorder = std::make_shared<vro::sim::TSimRecorder>(profile);
        vro::sim::TSimulator simulator(pty.Master());
        simulator.SetPacing(kBaud);
        simulator.SetRequestPacing(true);
        vro::sim::TSimRecorderService service(simulator, pty.Master(), recorder);
        simulator.Start();

        const auto index = vro::TDvxPortTable::Global().AssignFree(pty.SlavePath());
        vro::TDvxV24Connector connector;
        connector.SetPortIndex(index);
        connector.SetBaudrate(kBaud);
        vro::TVro8Device device(connector);
        const auto r = vro::Vro8OpenAndConnect(device);
        if (!r.Connected) {
            state.SkipWithError(("no recorder: " + r.Error).c_str());
            return;
        }
        TBenchUi ui(gFile);
        vro::TVroUpdateWizard wizard(device, device.Ident().IdentText, true, ui, 0);
        wizard.Initialise();
        const auto before = simulator.Stats();
        state.ResumeTiming();

        const auto t0 = std::chrono::steady_clock::now();
        for (int step = 0; step < 3; ++step)
            wizard.NextLabelClick();
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();

        state.PauseTiming();
        const auto after = simulator.Stats();
        simulator.Stop();
        connector.Close();
        if (wizard.InfoText != 582 || !wizard.AreaEqual[0].value_or(false) || !wizard.AreaEqual[1].value_or(false)) {
            state.SkipWithError(("update failed: " + wizard.Reason).c_str());
            return;
        }
        const double lineBytes =
            static_cast<double>((after.BytesReceived - before.BytesReceived) + (after.BytesSent - before.BytesSent));
        const double wire = lineBytes * 10.0 / kBaud;
        gRatio = seconds / wire;
        state.counters["wire_s"] = wire;
        state.counters["measured_s"] = seconds;
        state.counters["frames"] = static_cast<double>(after.FramesReceived - before.FramesReceived);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FirmwareUpdatePaced)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    const auto dir = std::filesystem::temp_directory_path() / ("vro-bench-fw-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dir);
    gFile = (dir / "sample.vxupd").string();
    // The sample file `vro firmware make --code 02 --sample` writes (variant 1).
    vro::WriteFileAtomically(
        gFile, vro::MakeUpdateFileText("02", vro::ImageToHex(0, vro::MakeSampleImage(0, "VRO8K-S 1.08", 0x5EED0)),
                                       vro::ImageToHex(1, vro::MakeSampleImage(1, "VRO8K-M 2.11", 0x5EED1))));
    vro::bench::RunAll(argc, argv);
    std::filesystem::remove_all(dir);
    if (gRatio <= 0)
        return 1;
    vro::bench::Figure("firmware_update_paced_ratio", gRatio, "x");
    return 0;
}
