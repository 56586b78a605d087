// Text import of a 1,000,000-row x 8-column CSV file (a time column and
// seven value columns) into floating-point columns, compared with pandas'
// read_csv on the same file in the same run (Debian's python3-pandas).
// Both sides read the file from disk and produce every column as doubles;
// ours also runs the delimiter, header and time-column analysis. Both are
// timed as the best of five runs, wall clock and processor time.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <unistd.h>

#include "core/construct/construct.h"
#include "figures.h"

namespace {

constexpr int kRows = 1000000;
constexpr int kValueColumns = 7;

std::filesystem::path CsvPath()
{
    static const auto p =
        std::filesystem::temp_directory_path() / ("vro_bench_textimport_" + std::to_string(getpid()) + ".csv");
    return p;
}

void WriteCsv()
{
    std::string s;
    s.reserve(static_cast<std::size_t>(kRows) * 64);
    s += "Time";
    for (int c = 0; c < kValueColumns; ++c)
        s += ",Sensor" + std::to_string(c + 1);
    s += '\n';
    char buf[32];
    unsigned x = 12345;
    for (int i = 0; i < kRows; ++i) {
        s += std::to_string(i / 1000) + '.';
        std::snprintf(buf, sizeof buf, "%03d", i % 1000);
        s += buf;
        for (int c = 0; c < kValueColumns; ++c) {
            x = x * 1103515245u + 12345u;
            const int v = static_cast<int>((x >> 8) % 2000001) - 1000000;
            std::snprintf(buf, sizeof buf, ",%.3f", v / 1000.0);
            s += buf;
        }
        s += '\n';
    }
    std::ofstream(CsvPath(), std::ios::binary) << s;
}

void BM_TextImport(benchmark::State& state)
{
    for (auto _ : state) {
        vro::textimport::TTextFileHandler h;
        h.LoadFile(CsvPath());
        h.Import(vro::textimport::TTextFileSettings::FromAnalysis(h.Settings()));
        benchmark::DoNotOptimize(h.Sensors().data());
        if (h.ChannelCount() != kValueColumns || h.RecordCount() != kRows)
            state.SkipWithError("unexpected import result");
    }
}
BENCHMARK(BM_TextImport)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_TextImportToRecording(benchmark::State& state)
{
    for (auto _ : state) {
        vro::textimport::TTextFileHandler h;
        h.LoadFile(CsvPath());
        h.Import(vro::textimport::TTextFileSettings::FromAnalysis(h.Settings()));
        vro::TRecording r;
        vro::FillFromTextFile(r, h);
        benchmark::DoNotOptimize(r.Channel(0).Values.data());
    }
}
BENCHMARK(BM_TextImportToRecording)->Unit(benchmark::kMillisecond)->Iterations(3);

struct TTimes {
    double Wall = 0; // best of five, seconds
    double Cpu = 0;  // process time of the same runs, best of five
};

double CpuNow()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + t.tv_nsec / 1e9;
}

// Our import timed the way the pandas side is timed: the best of five.
TTimes OurSeconds()
{
    TTimes best{1e9, 1e9};
    for (int k = 0; k < 5; ++k) {
        const auto t = std::chrono::steady_clock::now();
        const double c = CpuNow();
        vro::textimport::TTextFileHandler h;
        h.LoadFile(CsvPath());
        h.Import(vro::textimport::TTextFileSettings::FromAnalysis(h.Settings()));
        benchmark::DoNotOptimize(h.Sensors().data());
        best.Wall = std::min(best.Wall, std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count());
        best.Cpu = std::min(best.Cpu, CpuNow() - c);
    }
    return best;
}

struct TPandas {
    double Wall = 0; // best of five, seconds
    double Cpu = 0;  // process time of the same runs, best of five
};

// pandas read_csv on the same file.
TPandas PandasSeconds()
{
    const std::string cmd = "/usr/bin/python3 -c \"import pandas as pd, time\n"
                            "wall = cpu = 1e9\n"
                            "for _ in range(5):\n"
                            "    t = time.perf_counter(); c = time.process_time(); df = pd.read_csv('" +
                            CsvPath().string() +
                            "')\n"
                            "    wall = min(wall, time.perf_counter() - t); cpu = min(cpu, time.process_time() - c)\n"
                            "assert df.shape == (" +
                            std::to_string(kRows) + ", " + std::to_string(kValueColumns + 1) +
                            ")\n"
                            "print(wall, cpu)\"";
    TPandas r;
    if (FILE* p = popen(cmd.c_str(), "r")) {
        if (std::fscanf(p, "%lf %lf", &r.Wall, &r.Cpu) != 2)
            r = {};
        pclose(p);
    }
    return r;
}

} // namespace

int main(int argc, char** argv)
{
    WriteCsv();
    auto c = vro::bench::RunAll(argc, argv);
    const TPandas pandas = PandasSeconds();
    const TTimes best = OurSeconds();
    const double ours = best.Wall;
    const double oursCpu = best.Cpu;
    const double toRecording = c.seconds["BM_TextImportToRecording/iterations:3"];
    std::filesystem::remove(CsvPath());
    std::fprintf(stderr,
                 "text import of %d x %d: %.1f ms ours (%.1f ms CPU; %.1f ms into a recording), "
                 "%.1f ms pandas read_csv (%.1f ms CPU)\n",
                 kRows, kValueColumns + 1, ours * 1e3, oursCpu * 1e3, toRecording * 1e3, pandas.Wall * 1e3,
                 pandas.Cpu * 1e3);
    vro::bench::Figure("import_ms", ours * 1e3, "ms");
    vro::bench::Figure("import_pandas_ms", pandas.Wall * 1e3, "ms");
    vro::bench::Figure("import_to_recording_ms", toRecording * 1e3, "ms");
    vro::bench::Figure("import_mrows_per_s", kRows / ours / 1e6, "Mrows/s");
    if (pandas.Wall > 0) {
        // Wall-clock times of both; on a busy machine the processor times
        // (both single-threaded) tell the work apart more reliably.
        vro::bench::Figure("import_speedup_vs_pandas", pandas.Wall / ours, "x");
        vro::bench::Figure("import_cpu_speedup_vs_pandas", pandas.Cpu / oursCpu, "x");
    }
    return 0;
}
