// Text export of 8 channels x 1,000,000 samples, beside pandas
// DataFrame.to_csv writing the same values (python3-pandas) in the same run.
#include "core/export/textexport.h"
#include "core/recording/recording.h"
#include "figures.h"

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>
#include <unistd.h>

namespace {

constexpr int kChannels = 8;
constexpr int kSamples = 1'000'000;

std::string TempName(const char* what)
{
    return (std::filesystem::temp_directory_path() / ("vro_bench_" + std::to_string(::getpid()) + what)).string();
}

vro::TRecording& Recording()
{
    static vro::TRecording r;
    static bool made = false;
    if (!made) {
        r.ChannelCount = kChannels;
        r.RecordCount = kSamples;
        r.SampleRate = 1;
        r.CreateChannelObjects();
        std::mt19937 rng(1);
        for (int c = 0; c < kChannels; ++c) {
            auto& ch = r.Channel(c);
            ch.DeviceName = "Channel " + std::to_string(c + 1);
            ch.MeasureUnit = "bar";
            ch.Decimals = 2;
            for (auto& v : ch.Values)
                v = static_cast<std::int32_t>(rng() % 200001) - 100000;
        }
        r.Time->ResetRange();
        made = true;
    }
    return r;
}

std::uintmax_t gBytes = 0;

void BM_TextExport(benchmark::State& state)
{
    auto& r = Recording();
    vro::TExportParameter p;
    p.ApplyFormatPreset(vro::TExportParameter::efCsv, ';');
    const std::string out = TempName(".csv");
    for (auto _ : state)
        vro::WriteTextFile(r, p, out);
    gBytes = std::filesystem::file_size(out);
    std::filesystem::remove(out);
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(gBytes));
}
BENCHMARK(BM_TextExport)->Unit(benchmark::kMillisecond)->MinTime(2.0);

// pandas to_csv of the same values (time column and 8 channels with two decimals).
double PandasSeconds()
{
    auto& r = Recording();
    const std::string raw = TempName(".raw");
    if (FILE* f = std::fopen(raw.c_str(), "wb")) {
        for (int c = 0; c < kChannels; ++c)
            std::fwrite(r.Channel(c).Values.data(), 4, kSamples, f);
        std::fclose(f);
    }
    const std::string out = TempName(".pandas.csv");
    const std::string cmd = "/usr/bin/python3 -c \"import numpy as np, pandas as pd, time\n"
                            "v = np.fromfile('" +
                            raw +
                            "', dtype='<i4').reshape(8, -1) / 100.0\n"
                            "df = pd.DataFrame({'Channel %d' % (i + 1): v[i] for i in range(8)})\n"
                            "df.insert(0, 'Time', np.arange(v.shape[1]) * 0.1)\n"
                            "best = 1e9\n"
                            "for _ in range(2):\n"
                            "    t = time.perf_counter(); df.to_csv('" +
                            out +
                            "', sep=';', index=False, float_format='%.2f'); best = min(best, time.perf_counter() - t)\n"
                            "print(best)\" 2>/dev/null";
    double seconds = NAN;
    if (FILE* p = popen(cmd.c_str(), "r")) {
        if (std::fscanf(p, "%lf", &seconds) != 1)
            seconds = NAN;
        pclose(p);
    }
    std::filesystem::remove(raw);
    std::filesystem::remove(out);
    return seconds;
}

} // namespace

int main(int argc, char** argv)
{
    auto c = vro::bench::RunAll(argc, argv);
    const double ours = c.seconds["BM_TextExport/min_time:2.000"];
    const double pandas = PandasSeconds();
    std::fprintf(stderr, "text export: %.0f ms ours, %.0f ms pandas to_csv, %.1f MB\n", ours * 1e3, pandas * 1e3,
                 static_cast<double>(gBytes) / 1e6);
    vro::bench::Figure("export_mb_per_s", static_cast<double>(gBytes) / 1e6 / ours, "MB/s");
    vro::bench::Figure("export_speedup_vs_pandas", pandas / ours, "x");
    return 0;
}
