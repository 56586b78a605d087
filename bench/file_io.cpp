// Loading and saving a large recording against a plain read and write of the
// same number of bytes, in the same run: 32 channels of 1,000,000 samples,
// 32-bit with min/max (about 384 MB). The plain write syncs the file to disk
// like the save does (the save replaces its target only after an fsync), and
// the plain read reads into a freshly allocated buffer like the load fills
// freshly allocated arrays.
#include "figures.h"

#include "core/recording/recording.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <unistd.h>

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
        auto rec = std::make_unique<vro::TRecording>();
        rec->ChannelCount = kChannels;
        rec->RecordCount = kSamples;
        rec->HasMinMaxValues = true;
        rec->SampleRate = 3;
        rec->CreateChannelObjects();
        std::uint32_t seed = 12345;
        for (int c = 0; c < kChannels; ++c) {
            auto& ch = rec->Channel(c);
            ch.DeviceName = "Channel " + std::to_string(c);
            ch.Has32BitSize = true;
            ch.Decimals = 3;
            ch.FullLoRange = ch.DeviceLoRange = -1000000;
            ch.FullHiRange = ch.DeviceHiRange = 1000000;
            ch.ResetCurrentRange();
            for (std::int32_t k = 0; k < kSamples; ++k) {
                seed = seed * 1664525u + 1013904223u;
                const auto v = static_cast<std::int32_t>((seed >> 8) % 2000000) - 1000000;
                ch.Values[static_cast<std::size_t>(k)] = v;
                ch.MinValues[static_cast<std::size_t>(k)] = v - 17;
                ch.MaxValues[static_cast<std::size_t>(k)] = v + 17;
            }
        }
        rec->Time->ResetRange();
        rec->FileName = RecordingPath().string();
        rec->NameConfirmed = true;
        rec->SaveToFile();
        return rec;
    }();
    return *r;
}

std::size_t FileBytes() { return static_cast<std::size_t>(std::filesystem::file_size(RecordingPath())); }

void Fail(const std::string& what) { throw std::runtime_error(what + ": " + std::strerror(errno)); }

void BM_PlainWrite(benchmark::State& state)
{
    Source();
    const std::size_t size = FileBytes();
    auto buf = std::make_unique<std::uint8_t[]>(size);
    std::memset(buf.get(), 0x5A, size);
    for (auto _ : state) {
        const int fd = ::open(PlainPath().c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0)
            Fail("open");
        for (std::size_t off = 0; off < size;) {
            const ssize_t n = ::write(fd, buf.get() + off, std::min<std::size_t>(size - off, 1 << 20));
            if (n <= 0)
                Fail("write");
            off += static_cast<std::size_t>(n);
        }
        if (::fsync(fd) != 0 || ::close(fd) != 0)
            Fail("fsync");
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

void BM_Save(benchmark::State& state)
{
    vro::TRecording& r = Source();
    for (auto _ : state)
        r.SaveToFile();
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * FileBytes()));
}

void BM_PlainRead(benchmark::State& state)
{
    Source();
    const std::size_t size = FileBytes();
    for (auto _ : state) {
        auto buf = std::make_unique_for_overwrite<std::uint8_t[]>(size);
        const int fd = ::open(RecordingPath().c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0)
            Fail("open");
        for (std::size_t off = 0; off < size;) {
            const ssize_t n = ::read(fd, buf.get() + off, size - off);
            if (n <= 0)
                Fail("read");
            off += static_cast<std::size_t>(n);
        }
        ::close(fd);
        benchmark::DoNotOptimize(buf.get());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

void BM_Load(benchmark::State& state)
{
    Source();
    for (auto _ : state) {
        vro::TRecording r;
        r.LoadFromFile(RecordingPath());
        benchmark::DoNotOptimize(r.Channel(kChannels - 1).MaxValues.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * FileBytes()));
}

BENCHMARK(BM_PlainWrite)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(BM_Save)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();
BENCHMARK(BM_PlainRead)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();
BENCHMARK(BM_Load)->Unit(benchmark::kMillisecond)->Iterations(10)->UseRealTime();

} // namespace

int main(int argc, char** argv)
{
    auto c = vro::bench::RunAll(argc, argv);
    // Run names carry their settings ("BM_Load/iterations:10/real_time").
    auto t = [&](const std::string& name) {
        for (const auto& [run, secs] : c.seconds)
            if (run == name || run.rfind(name + "/", 0) == 0)
                return secs;
        return 0.0;
    };
    if (t("BM_PlainRead") > 0 && t("BM_Load") > 0) {
        vro::bench::Figure("file_load_ratio", t("BM_Load") / t("BM_PlainRead"), "x");
        vro::bench::Figure("file_load_seconds", t("BM_Load"), "s");
    }
    if (t("BM_PlainWrite") > 0 && t("BM_Save") > 0) {
        vro::bench::Figure("file_save_ratio", t("BM_Save") / t("BM_PlainWrite"), "x");
        vro::bench::Figure("file_save_seconds", t("BM_Save"), "s");
    }
    std::error_code ec;
    std::filesystem::remove_all(Folder(), ec);
    return 0;
}
