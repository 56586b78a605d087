// download: a recording of 1,000,000 records x 8 channels read out of the
// simulated recorder over a pseudo-terminal, the recorder pacing its answers
// at 460800 baud. The simulator runs in a child process, so that the CPU
// figure is the program's own.
//   download_paced_ratio        measured time / time the frames need on the wire
//   download_paced_cpu_percent  CPU time of the program / measured time
// VRO_BENCH_DOWNLOAD_RECORDS=N reads N records instead (for a quick look).
#include "figures.h"

#include "device/vro8connect.h"
#include "device/vro8device.h"
#include "link/dvxporttable.h"
#include "link/dvxv24connector.h"
#include "sim/recorder.h"
#include "sim/recorderservice.h"
#include "sim/simpty.h"
#include "sim/simulator.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <iostream>

namespace {

constexpr std::int32_t kBaud = 460800;

std::uint32_t Records()
{
    const char* e = std::getenv("VRO_BENCH_DOWNLOAD_RECORDS");
    return e ? static_cast<std::uint32_t>(std::strtoul(e, nullptr, 10)) : 1000000u;
}

// Line bytes of one exchange: request frame, ACK, answer frame.
double ExchangeBytes(std::size_t requestData, std::size_t answerData)
{
    return static_cast<double>(6 + requestData + 1 + 6 + answerData);
}

// A multi-packet read of total bytes in pieces of 240, closed by an empty answer.
double MultipacketBytes(std::size_t total)
{
    double b = 0;
    for (std::size_t done = 0; done < total; done += 240)
        b += ExchangeBytes(4, std::min<std::size_t>(240, total - done));
    return b + ExchangeBytes(4, 0);
}

// The child: the simulated recorder on a pseudo-terminal until the pipe closes.
[[noreturn]] void RunRecorder(int pathPipe, int stopPipe)
{
    vro::sim::TSimPty pty;
    vro::sim::TSimProfile profile;
    profile.ComVersion = 3;
    auto recorder = std::make_shared<vro::sim::TSimRecorder>(profile);
    vro::sim::TSimRecording big;
    big.Name = "Benchmark";
    big.Number = 1000;
    big.Type = 0;
    big.SampleRate = 3;
    big.Channels.assign(8, vro::sim::TSimChannel{});
    big.RecordCount = Records();
    recorder->ClearMemory();
    recorder->AddRecording(big);
    vro::sim::TSimulator simulator(pty.Master());
    simulator.SetPacing(kBaud);
    vro::sim::TSimRecorderService service(simulator, pty.Master(), recorder);
    simulator.Start();
    const std::string path = pty.SlavePath() + "\n";
    if (::write(pathPipe, path.data(), path.size()) != static_cast<ssize_t>(path.size()))
        std::_Exit(2);
    char c;
    while (::read(stopPipe, &c, 1) > 0) {
    }
    simulator.Stop();
    std::_Exit(0);
}

double CpuSeconds()
{
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

std::string gSlavePath;
double gRatio = 0, gCpu = 0;

void BM_DownloadPaced(benchmark::State& state)
{
    for (auto _ : state) {
        const auto index = vro::TDvxPortTable::Global().AssignFree(gSlavePath);
        vro::TDvxV24Connector connector;
        connector.SetPortIndex(index);
        connector.SetBaudrate(kBaud);
        vro::TVro8Device device(connector);
        const auto r = vro::Vro8OpenAndConnect(device);
        if (!r.Connected) {
            state.SkipWithError(("no recorder: " + r.Error).c_str());
            return;
        }
        device.Directory.RefreshRecordings();
        const auto cpu0 = CpuSeconds();
        const auto t0 = std::chrono::steady_clock::now();
        device.Recording.StartLoad(0);
        if (!connector.WaitAsyncEnded(3600000) || device.Recording.LoadState() != vro::TVro8Recording::kLoaded) {
            state.SkipWithError("download failed");
            return;
        }
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        const double cpu = CpuSeconds() - cpu0;
        const std::size_t sampleBytes = device.Recording.Samples().size() * 2;
        const double lineBytes =
            ExchangeBytes(2, 2) + MultipacketBytes(2540) + ExchangeBytes(2, 2) + MultipacketBytes(sampleBytes);
        const double wire = lineBytes * 10.0 / kBaud;
        gRatio = seconds / wire;
        gCpu = cpu / seconds * 100.0;
        state.counters["wire_s"] = wire;
        state.counters["measured_s"] = seconds;
        state.counters["bytes"] = static_cast<double>(sampleBytes);
    }
}
BENCHMARK(BM_DownloadPaced)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    int pathPipe[2], stopPipe[2];
    if (::pipe(pathPipe) != 0 || ::pipe(stopPipe) != 0)
        return 1;
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pathPipe[0]);
        ::close(stopPipe[1]);
        RunRecorder(pathPipe[1], stopPipe[0]);
    }
    ::close(pathPipe[1]);
    ::close(stopPipe[0]);
    char buf[256];
    std::size_t n = 0;
    while (n < sizeof buf - 1) {
        const ssize_t got = ::read(pathPipe[0], buf + n, 1);
        if (got <= 0 || buf[n] == '\n')
            break;
        ++n;
    }
    gSlavePath.assign(buf, n);
    if (gSlavePath.empty()) {
        std::cerr << "the simulated recorder did not start\n";
        return 1;
    }
    vro::bench::RunAll(argc, argv);
    ::close(stopPipe[1]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (gRatio <= 0)
        return 1;
    vro::bench::Figure("download_paced_ratio", gRatio, "x");
    vro::bench::Figure("download_paced_cpu_percent", gCpu, "%");
    return 0;
}
