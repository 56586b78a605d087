// Multi-packet read of 1 MiB through the connector from the simulated
// recorder: (a) over the in-memory port pair, (b) over a pseudo-terminal
// with the POSIX serial port, (c) over a pseudo-terminal with the recorder
// pacing its bytes at 460800 baud. (c) is compared with the time its bytes
// need on the wire: 10 bits a byte, every request, ACK and answer counted.
#include "figures.h"

#include "link/dvxporttable.h"
#include "link/dvxv24connector.h"
#include "link/dvxv24memoryport.h"
#include "sim/simpty.h"
#include "sim/simulator.h"

#include <sys/resource.h>

#include <chrono>
#include <cstdlib>
#include <stdexcept>

namespace {

constexpr std::size_t kArea = 1 << 20;
constexpr std::int32_t kBaud = 460800;
constexpr std::int32_t kPtyIndex = 92;

std::shared_ptr<vro::sim::TSimMemory> MakeMemory()
{
    std::vector<std::uint8_t> bytes(kArea);
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 131 + (i >> 9));
    return std::make_shared<vro::sim::TSimMemory>(std::move(bytes));
}

// Bytes on the line for a read of `area` bytes in 240-byte pieces: each
// request (6 + 4 bytes), ACK, and answer (6 + piece), the closing empty one included.
double WireBytes(std::size_t area)
{
    double total = 0;
    for (std::size_t off = 0;; off += 240) {
        const std::size_t piece = off >= area ? 0 : std::min<std::size_t>(240, area - off);
        total += 10 + 1 + 6 + piece;
        if (piece == 0)
            break;
    }
    return total;
}

double ProcessCpuSeconds()
{
    struct rusage u {};
    getrusage(RUSAGE_SELF, &u);
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

void ReadAll(vro::TDvxV24Connector& c, std::vector<std::uint8_t>& dest, const std::vector<std::uint8_t>& truth)
{
    const std::int32_t got = c.ReadMultipacket('R', 23, 0, dest);
    if (got != static_cast<std::int32_t>(kArea) || c.GetTransferState() != vro::ETransferState::tsIdle || dest != truth)
        throw std::runtime_error("read failed: " + c.LastError());
}

void BM_LinkMemory(benchmark::State& state)
{
    vro::TDvxV24MemoryPortPair pair;
    auto far = pair.TakeB();
    far->OpenEnd();
    vro::TDvxV24Connector c(pair.TakeA());
    c.OpenPort(0, kBaud);
    auto mem = MakeMemory();
    vro::sim::TSimulator sim(*far);
    sim.InstallMemoryArea('R', 23, 'S', 23, mem);
    sim.Start();
    const auto truth = mem->Bytes();
    std::vector<std::uint8_t> dest(kArea);
    const double cpu0 = ProcessCpuSeconds();
    for (auto _ : state)
        ReadAll(c, dest, truth);
    state.counters["process_cpu_s"] =
        benchmark::Counter(ProcessCpuSeconds() - cpu0, benchmark::Counter::kAvgIterations);
    sim.Stop();
}

struct TPtyRig {
    explicit TPtyRig(std::int32_t pacing) : sim(pty.Master()), mem(MakeMemory())
    {
        sim.InstallMemoryArea('R', 23, 'S', 23, mem);
        sim.SetPacing(pacing);
        sim.Start();
        vro::TDvxPortTable::Global().Assign(kPtyIndex, pty.SlavePath());
        c.OpenPort(kPtyIndex, kBaud);
    }
    ~TPtyRig() { sim.Stop(); }
    vro::sim::TSimPty pty;
    vro::sim::TSimulator sim;
    std::shared_ptr<vro::sim::TSimMemory> mem;
    vro::TDvxV24Connector c;
};

void BM_LinkPty(benchmark::State& state)
{
    TPtyRig rig(0);
    const auto truth = rig.mem->Bytes();
    std::vector<std::uint8_t> dest(kArea);
    const double cpu0 = ProcessCpuSeconds();
    for (auto _ : state)
        ReadAll(rig.c, dest, truth);
    state.counters["process_cpu_s"] =
        benchmark::Counter(ProcessCpuSeconds() - cpu0, benchmark::Counter::kAvgIterations);
}

void BM_LinkPaced(benchmark::State& state)
{
    TPtyRig rig(kBaud);
    const auto truth = rig.mem->Bytes();
    std::vector<std::uint8_t> dest(kArea);
    const double cpu0 = ProcessCpuSeconds();
    for (auto _ : state)
        ReadAll(rig.c, dest, truth);
    state.counters["process_cpu_s"] =
        benchmark::Counter(ProcessCpuSeconds() - cpu0, benchmark::Counter::kAvgIterations);
}

BENCHMARK(BM_LinkMemory)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_LinkPty)->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_LinkPaced)->Unit(benchmark::kSecond)->UseRealTime()->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    auto c = vro::bench::RunAll(argc, argv);
    using vro::bench::Figure;
    const double mb = static_cast<double>(kArea) / 1e6;
    // Benchmark names carry their options ("BM_LinkPaced/iterations:1/real_time").
    auto find = [&](const std::string& prefix) -> std::string {
        for (const auto& [name, s] : c.seconds)
            if (name.rfind(prefix + "/", 0) == 0 || name == prefix)
                return name;
        return {};
    };
    // Process CPU (connector and simulator threads) per read; the counter is
    // the total over all iterations, averaged by Google Benchmark.
    auto processCpu = [&](const std::string& name) {
        const auto& k = c.counters[name];
        auto it = k.find("process_cpu_s");
        return it == k.end() ? 0.0 : static_cast<double>(it->second);
    };
    if (auto n = find("BM_LinkMemory"); !n.empty()) {
        Figure("link_memory_mbps", mb / c.seconds[n], "MB/s");
        Figure("link_memory_cpu_ms_per_mb", c.cpuSeconds[n] / mb * 1e3, "ms/MB");
    }
    if (auto n = find("BM_LinkPty"); !n.empty()) {
        Figure("link_pty_mbps", mb / c.seconds[n], "MB/s");
        Figure("link_pty_cpu_ms_per_mb", c.cpuSeconds[n] / mb * 1e3, "ms/MB");
    }
    if (auto n = find("BM_LinkPaced"); !n.empty()) {
        const double s = c.seconds[n];
        const double wire = WireBytes(kArea) * 10.0 / kBaud;
        Figure("link_paced_ratio", s / wire, "x");
        Figure("link_paced_cpu_percent", processCpu(n) / s * 100.0, "%");
        Figure("link_paced_client_cpu_percent", c.cpuSeconds[n] / s * 100.0, "%");
    }
    return 0;
}
