// Loading at scale: 32 channels × 10,000,000 samples, 32-bit with min/max
// (3.84 GB), against the plain read of the same bytes in the same run, and
// the cost per byte against the same recording at 1,000,000 samples. Needs
// about 12 GB of memory (the plain read's buffer, the loaded arrays and the
// file in the page cache) and 3.84 GB of disk; the files are removed at the
// end. Without that much memory available it says so and prints nothing.
#include "figures.h"
#include "loadfiles.h"

#include <cstdio>
#include <fstream>

namespace {

constexpr int kChannels = 32;
constexpr int kRounds = 5;

double AvailableBytes()
{
    std::ifstream meminfo("/proc/meminfo");
    std::string key;
    double kb = 0;
    while (meminfo >> key >> kb) {
        if (key == "MemAvailable:")
            return kb * 1024.0;
        meminfo.ignore(1 << 10, '\n');
    }
    return 0;
}

struct TFolder {
    std::filesystem::path Path = vro::bench::TempFolder("load-10m");
    ~TFolder()
    {
        std::error_code ec;
        std::filesystem::remove_all(Path, ec);
    }
};

struct TScale {
    double Ratio = 0, SecondsPerByte = 0, Seconds = 0, PlainSeconds = 0;
};

TScale Measure(const std::filesystem::path& file, std::int32_t samples)
{
    vro::bench::WriteBigRecording(file, kChannels, samples, true);
    const double bytes = static_cast<double>(std::filesystem::file_size(file));
    // The file is removed from its folder at once and read through the open
    // descriptor, so that gigabytes are not left behind when the run is
    // stopped half-way.
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        vro::bench::Fail("open");
    std::filesystem::remove(file);
    const auto rounds = vro::bench::MeasureLoad("/proc/self/fd/" + std::to_string(fd), kRounds);
    ::close(fd);
    for (std::size_t k = 0; k < rounds.Load.size(); ++k)
        std::fprintf(stderr, "%d samples round %zu: plain %.3f s, load %.3f s\n", samples, k, rounds.Plain[k],
                     rounds.Load[k]);
    TScale s;
    s.Ratio = vro::bench::Median(rounds.Ratio);
    s.Seconds = vro::bench::Median(rounds.Load);
    s.PlainSeconds = vro::bench::Median(rounds.Plain);
    s.SecondsPerByte = s.Seconds / bytes;
    return s;
}

} // namespace

int main()
{
    constexpr double kNeed = 12.5e9;
    if (AvailableBytes() < kNeed) {
        std::fprintf(stderr, "bench_load_10m: needs %.1f GB of available memory, %.1f GB are: skipped\n", kNeed / 1e9,
                     AvailableBytes() / 1e9);
        return 0;
    }
    TFolder dir;
    const TScale small = Measure(dir.Path / "r1m.vxrf", 1000000);
    const TScale big = Measure(dir.Path / "r10m.vxrf", 10000000);
    vro::bench::Figure("file_load_ratio_10m", big.Ratio, "x");
    vro::bench::Figure("file_load_seconds_10m", big.Seconds, "s");
    vro::bench::Figure("file_plain_read_seconds_10m", big.PlainSeconds, "s");
    vro::bench::Figure("load_ms_per_mb_1m", small.SecondsPerByte * 1e9, "ms/MB");
    vro::bench::Figure("load_ms_per_mb_10m", big.SecondsPerByte * 1e9, "ms/MB");
    vro::bench::Figure("load_scaling_10m_1m", big.SecondsPerByte / small.SecondsPerByte, "x");
    return 0;
}
