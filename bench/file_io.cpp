// Loading and saving a large recording against a plain read and write of the
// same number of bytes, in the same run: 32 channels of 1,000,000 samples,
// 32-bit with min/max (about 384 MB). The plain write creates a new file and
// syncs it to disk like the save does (the save writes a new temporary file
// and replaces its target only after an fsync); the plain read reads into a
// buffer that is already mapped.
#include "figures.h"
#include "loadfiles.h"

#include "core/recording/recording.h"

#include <cerrno>
#include <chrono>
#include <functional>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

constexpr int kChannels = 32;
constexpr std::int32_t kSamples = 1000000;

std::filesystem::path Folder()
{
    static const std::filesystem::path dir = [] {
        auto d = std::filesystem::temp_directory_path() / ("vro-bench-file-io-" + std::to_string(::getpid()));
        std::filesystem::create_directories(d);
        return d;
    }();
    return dir;
}

std::filesystem::path RecordingPath() { return Folder() / "big.vxrf"; }
std::filesystem::path PlainPath() { return Folder() / "plain.bin"; }

vro::TRecording& Source()
{
    static std::unique_ptr<vro::TRecording> r = [] {
        vro::bench::WriteBigRecording(RecordingPath(), kChannels, kSamples, true);
        auto rec = std::make_unique<vro::TRecording>();
        rec->LoadFromFile(RecordingPath());
        return rec;
    }();
    return *r;
}

std::size_t FileBytes() { return static_cast<std::size_t>(std::filesystem::file_size(RecordingPath())); }

void PlainWrite(const std::uint8_t* buf, std::size_t size)
{
    ::unlink(PlainPath().c_str());
    const int fd = ::open(PlainPath().c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        vro::bench::Fail("open");
    for (std::size_t off = 0; off < size;) {
        const ssize_t n = ::write(fd, buf + off, std::min<std::size_t>(size - off, 1 << 20));
        if (n <= 0)
            vro::bench::Fail("write");
        off += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0 || ::close(fd) != 0)
        vro::bench::Fail("fsync");
}

using vro::bench::Seconds;

// The machine is shared: each round runs the plain operation and ours back
// to back, so that a busy moment lands on both; the figures are the medians
// of the rounds (the ratio: of the rounds' ratios).
void BM_Write(benchmark::State& state)
{
    vro::TRecording& r = Source();
    const std::size_t size = FileBytes();
    auto buf = std::make_unique<std::uint8_t[]>(size);
    std::memset(buf.get(), 0x5A, size);
    std::vector<double> plain, save, ratio;
    for (auto _ : state) {
        plain.push_back(Seconds([&] { PlainWrite(buf.get(), size); }));
        save.push_back(Seconds([&] { r.SaveToFile(); }));
        ratio.push_back(save.back() / plain.back());
    }
    state.counters["plain_s"] = vro::bench::Median(plain);
    state.counters["save_s"] = vro::bench::Median(save);
    state.counters["ratio"] = vro::bench::Median(ratio);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size * 2));
}

// Five rounds of the plain read and the load; the figure is the median of
// the rounds' ratios.
void BM_Read(benchmark::State& state)
{
    Source();
    vro::bench::TLoadRounds r;
    for (auto _ : state)
        r = vro::bench::MeasureLoad(RecordingPath(), 5);
    state.counters["plain_s"] = vro::bench::Median(r.Plain);
    state.counters["load_s"] = vro::bench::Median(r.Load);
    state.counters["ratio"] = vro::bench::Median(r.Ratio);
}

BENCHMARK(BM_Write)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(BM_Read)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    auto c = vro::bench::RunAll(argc, argv);
    // Run names carry their settings ("BM_Read/iterations:10/real_time").
    auto counter = [&](const std::string& bench, const std::string& name) {
        for (const auto& [run, counters] : c.counters)
            if (run == bench || run.rfind(bench + "/", 0) == 0) {
                auto it = counters.find(name);
                return it == counters.end() ? 0.0 : static_cast<double>(it->second);
            }
        return 0.0;
    };
    const double plainRead = counter("BM_Read", "plain_s"), load = counter("BM_Read", "load_s");
    const double plainWrite = counter("BM_Write", "plain_s"), save = counter("BM_Write", "save_s");
    if (plainRead > 0 && load > 0) {
        vro::bench::Figure("file_load_ratio", counter("BM_Read", "ratio"), "x");
        vro::bench::Figure("file_load_seconds", load, "s");
    }
    if (plainWrite > 0 && save > 0) {
        vro::bench::Figure("file_save_ratio", counter("BM_Write", "ratio"), "x");
        vro::bench::Figure("file_save_seconds", save, "s");
    }
    std::error_code ec;
    std::filesystem::remove_all(Folder(), ec);
    return 0;
}
