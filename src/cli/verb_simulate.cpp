// vro simulate: a simulated recorder on a pseudo-terminal. The first line
// of standard output is the device path of the far end, which any program
// (vrowin, vro) can open as a serial port; the simulator serves until it
// receives SIGINT or SIGTERM. The recorder is made by MakeSimRecorder from
// the options SimRecorderOptions lists.
#include "cli/verb.h"

#include "core/util/bytes.h"
#include "sim/recorderservice.h"
#include "sim/simpty.h"
#include "sim/simrecorderfactory.h"
#include "sim/simulator.h"

#include <pthread.h>
#include <signal.h>

#include <cstdio>
#include <iostream>

namespace vro::cli {

namespace {

// Command numbers of the plain test memory area (--memory).
constexpr std::uint8_t kTestMemoryNumber = 255;

std::string Usage()
{
    std::string u = "simulate [--baud B [--pace-requests]] [--memory BYTES]";
    for (const auto& o : sim::SimRecorderOptions())
        u += " [" + o.Name + (o.IsFlag ? "" : " VALUE") + "]";
    return u;
}

int RunSimulate(TArgs& args)
{
    const auto baud = static_cast<std::int32_t>(args.IntOption("--baud", 0, 0, 4'000'000));
    const bool paceRequests = args.Flag("--pace-requests");
    const auto memory = args.IntOption("--memory", 0, 0, 1LL << 30);
    sim::TSimOptionValues values;
    // GCC 12 reports a false -Wrestrict inside libstdc++'s string assignment
    // here (GCC bug 105329); the copy cannot overlap.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wrestrict"
    for (const auto& o : sim::SimRecorderOptions()) {
        if (o.IsFlag) {
            if (args.Flag(o.Name))
                values[o.Name] = "1";
        } else if (auto v = args.Option(o.Name)) {
            values[o.Name] = *v;
        }
    }
#pragma GCC diagnostic pop
    args.CheckAllUsed(0);

    // Signals are taken by sigwait below; block them before any thread starts.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    sim::TSimPty pty;
    sim::TSimulator simulator(pty.Master());
    simulator.SetPacing(baud);
    simulator.SetRequestPacing(paceRequests);
    const auto recorder = sim::MakeSimRecorder(values);
    sim::ApplySimulatorOptions(simulator, values);
    // The recorder's online stream writes to the port beside the simulator's answers.
    const sim::TSimRecorderService service(simulator, pty.Master(), recorder);
    if (memory > 0) {
        // A plain memory area for link tests: R 255 reads, S 255 writes by offset.
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(memory));
        for (std::size_t i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<std::uint8_t>((i * 7 + i / 251) & 0xFF);
        simulator.InstallMemoryArea('R', kTestMemoryNumber, 'S', kTestMemoryNumber,
                                    std::make_shared<sim::TSimMemory>(std::move(bytes)));
    }
    simulator.Start();

    std::cout << pty.SlavePath() << std::endl; // flushed: callers read this line to connect
    std::cerr << "simulated recorder on " << pty.SlavePath();
    if (baud > 0)
        std::cerr << ", paced at " << baud << " baud" << (paceRequests ? " both ways" : "");
    std::cerr << "; stop with Ctrl+C\n";

    int sig = 0;
    while (sigwait(&stopSignals, &sig) != 0) {
    }
    simulator.Stop();
    const auto st = simulator.Stats();
    std::cerr << "served " << st.FramesReceived << " frames (" << st.BadFrames << " bad, " << st.Unhandled
              << " without handler)\n";
    std::cerr << recorder->FirmwareSummary() << "\n";
    return 0;
}

} // namespace

std::string SimulateUsage() { return Usage(); }
int VerbSimulate(TArgs& args) { return RunSimulate(args); }

} // namespace vro::cli
