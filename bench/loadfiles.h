// Shared by the load benchmarks: large recording files written once into a
// temporary folder, the plain read of the same bytes that a load is held
// against, and the median of rounds (the machine is shared: the median of
// paired rounds, not the luckiest one, is what a figure quotes).
#pragma once

#include "core/recording/recording.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

namespace vro::bench {

inline std::filesystem::path TempFolder(const std::string& what)
{
    auto d = std::filesystem::temp_directory_path() / ("vro-bench-" + what + "-" + std::to_string(::getpid()));
    std::filesystem::create_directories(d);
    return d;
}

// `channels` × `samples` of noise with min/max, 16- or 32-bit, saved to `path`.
inline void WriteBigRecording(const std::filesystem::path& path, int channels, std::int32_t samples, bool wide)
{
    vro::TRecording rec;
    rec.ChannelCount = channels;
    rec.RecordCount = samples;
    rec.HasMinMaxValues = true;
    rec.SampleRate = 3;
    rec.CreateChannelObjects();
    std::uint32_t seed = 12345;
    const std::int32_t range = wide ? 1000000 : 30000;
    for (int c = 0; c < channels; ++c) {
        auto& ch = rec.Channel(c);
        ch.DeviceName = "Channel " + std::to_string(c);
        ch.Has32BitSize = wide;
        ch.Decimals = 3;
        ch.FullLoRange = ch.DeviceLoRange = -range;
        ch.FullHiRange = ch.DeviceHiRange = range;
        ch.ResetCurrentRange();
        for (std::int32_t k = 0; k < samples; ++k) {
            seed = seed * 1664525u + 1013904223u;
            const auto v = static_cast<std::int32_t>((seed >> 8) % std::uint32_t(2 * (range - 100))) - (range - 100);
            ch.Values[static_cast<std::size_t>(k)] = v;
            ch.MinValues[static_cast<std::size_t>(k)] = v - 17;
            ch.MaxValues[static_cast<std::size_t>(k)] = v + 17;
        }
    }
    rec.Time->ResetRange();
    rec.FileName = path.string();
    rec.NameConfirmed = true;
    rec.SaveToFile();
}

[[noreturn]] inline void Fail(const std::string& what) { throw std::runtime_error(what + ": " + std::strerror(errno)); }

// Reads the file whole into `buf` (at least its size, already mapped).
inline void PlainRead(const std::filesystem::path& path, std::uint8_t* buf, std::size_t size)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        Fail("open");
    for (std::size_t off = 0; off < size;) {
        const ssize_t n = ::read(fd, buf + off, std::min<std::size_t>(size - off, std::size_t(1) << 30));
        if (n <= 0)
            Fail("read");
        off += static_cast<std::size_t>(n);
    }
    ::close(fd);
    benchmark::DoNotOptimize(buf);
}

inline double Seconds(const std::function<void()>& f)
{
    const auto t0 = std::chrono::steady_clock::now();
    f();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

inline double Median(std::vector<double> v)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    const std::size_t m = v.size() / 2;
    return v.size() % 2 ? v[m] : (v[m - 1] + v[m]) / 2;
}

// Rounds of the plain read and the load of `path`, back to back, so that a
// busy moment lands on both.
struct TLoadRounds {
    std::vector<double> Plain, Load, Ratio;
};
inline TLoadRounds MeasureLoad(const std::filesystem::path& path, int rounds)
{
    const auto size = static_cast<std::size_t>(std::filesystem::file_size(path));
    // The plain read goes into memory that is already mapped: its time is
    // the bare cost of getting the bytes, without the page faults of fresh
    // memory (which in a virtual machine cost several times the copy).
    auto buf = std::make_unique<std::uint8_t[]>(size);
    std::memset(buf.get(), 0, size);
    TLoadRounds r;
    for (int k = 0; k < rounds; ++k) {
        r.Plain.push_back(Seconds([&] { PlainRead(path, buf.get(), size); }));
        r.Load.push_back(Seconds([&] {
            vro::TRecording rec;
            rec.LoadFromFile(path);
            benchmark::DoNotOptimize(rec.Channel(rec.ChannelCount - 1).Values.data());
        }));
        r.Ratio.push_back(r.Load.back() / r.Plain.back());
    }
    return r;
}

} // namespace vro::bench
