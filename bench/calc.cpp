// Formula channels and the moving-average filter over 10,000,000 samples.
// The formula figure is compared with numpy evaluating the same expression on
// the same values in the same run (python3-numpy).
#include "core/calc/filter.h"
#include "core/calc/parser.h"
#include "figures.h"

#include <cmath>
#include <cstdio>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr std::int64_t kSamples = 10'000'000;
constexpr const char* kFormula = "(s1 + s2) * 0.5 + sqrt(abs(s3))";

struct TData {
    std::vector<std::int32_t> raw[3]; // three channels, 2 decimals
    TData()
    {
        std::mt19937 rng(3);
        for (auto& c : raw) {
            c.resize(kSamples);
            for (auto& v : c)
                v = static_cast<std::int32_t>(rng() % 2000001) - 1000000;
        }
    }
};

TData& Data()
{
    static TData d;
    return d;
}

void BM_FormulaBlocks(benchmark::State& state)
{
    auto& d = Data();
    vro::TVROMath math;
    if (math.Compile(kFormula, {"pi", "e", "s1", "s2", "s3"}) != 0)
        state.SkipWithError("formula does not compile");
    std::vector<double> out(kSamples);
    const auto source = [&](int n, std::int64_t first, int count, double* dst) {
        const std::int32_t* src = d.raw[n - 2].data() + first;
        for (int j = 0; j < count; ++j)
            dst[j] = src[j] == INT32_MIN ? NAN : src[j] * 0.01;
    };
    for (auto _ : state) {
        math.EvaluateRange(source, 0, kSamples, out.data());
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * kSamples);
}
BENCHMARK(BM_FormulaBlocks)->Unit(benchmark::kMillisecond)->MinTime(1.0);

void BM_FormulaPerSample(benchmark::State& state)
{
    auto& d = Data();
    vro::TVROMath math;
    math.Compile(kFormula, {"pi", "e", "s1", "s2", "s3"});
    std::vector<double> out(kSamples);
    std::int64_t i = 0;
    math.VariableValue = [&](int n) { return d.raw[n - 2][static_cast<std::size_t>(i)] * 0.01; };
    for (auto _ : state) {
        for (i = 0; i < kSamples; ++i)
            out[static_cast<std::size_t>(i)] = math.Evaluate();
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * kSamples);
}
BENCHMARK(BM_FormulaPerSample)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_MovingAverage1000(benchmark::State& state)
{
    auto& d = Data();
    std::vector<std::int32_t> out(kSamples);
    for (auto _ : state) {
        vro::TFilter::Apply(d.raw[0], 1000, out);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetItemsProcessed(state.iterations() * kSamples);
}
BENCHMARK(BM_MovingAverage1000)->Unit(benchmark::kMillisecond)->MinTime(1.0);

// numpy on the same values: the best of five evaluations, in seconds.
double NumpySeconds()
{
    auto& d = Data();
    char path[] = "/tmp/vro_bench_calcXXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0)
        return NAN;
    FILE* f = fdopen(fd, "wb");
    for (auto& c : d.raw)
        std::fwrite(c.data(), sizeof(std::int32_t), c.size(), f);
    std::fclose(f);
    const std::string cmd =
        "/usr/bin/python3 -c \"import numpy as np, time\n"
        "r = np.fromfile('" +
        std::string(path) +
        "', dtype='<i4').reshape(3, -1) * 0.01\n"
        "s1, s2, s3 = r[0], r[1], r[2]\n"
        "best = 1e9\n"
        "for _ in range(5):\n"
        "    t = time.perf_counter(); x = (s1 + s2) * 0.5 + np.sqrt(np.abs(s3)); best = min(best, time.perf_counter() - t)\n"
        "print(best)\" 2>/dev/null";
    double seconds = NAN;
    if (FILE* p = popen(cmd.c_str(), "r")) {
        if (std::fscanf(p, "%lf", &seconds) != 1)
            seconds = NAN;
        pclose(p);
    }
    std::remove(path);
    return seconds;
}

} // namespace

int main(int argc, char** argv)
{
    auto c = vro::bench::RunAll(argc, argv);
    const double blocks = c.seconds["BM_FormulaBlocks/min_time:1.000"];
    const double numpy = NumpySeconds();
    std::fprintf(stderr, "formula: %.1f ms ours, %.1f ms numpy, %.1f ms per-sample interpreter\n", blocks * 1e3,
                 numpy * 1e3, c.seconds["BM_FormulaPerSample/iterations:1"] * 1e3);
    vro::bench::Figure("formula_msamples_per_s", kSamples / blocks / 1e6, "Msamples/s");
    vro::bench::Figure("formula_speedup_vs_numpy", numpy / blocks, "x");
    vro::bench::Figure("movavg_msamples_per_s", kSamples / c.seconds["BM_MovingAverage1000/min_time:1.000"] / 1e6,
                       "Msamples/s");
    return 0;
}
