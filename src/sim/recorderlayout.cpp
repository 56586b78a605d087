#include "sim/recorderlayout.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace vro::sim {

namespace {

// Little-endian writes into a byte string at a fixed position.
void W8(TByteString& b, std::size_t at, std::uint8_t v) { b.at(at) = v; }
void W16(TByteString& b, std::size_t at, std::uint16_t v)
{
    b.at(at) = static_cast<std::uint8_t>(v);
    b.at(at + 1) = static_cast<std::uint8_t>(v >> 8);
}
void W32(TByteString& b, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.at(at + i) = static_cast<std::uint8_t>(v >> (8 * i));
}
void WText(TByteString& b, std::size_t at, std::size_t width, const std::string& s)
{
    for (std::size_t i = 0; i < width; ++i)
        b.at(at + i) = i < s.size() ? static_cast<std::uint8_t>(s[i]) : 0;
}

// Field positions of the recorder's header for one layout.
struct THeaderMap {
    std::size_t size, channelCount, channelBytes, triggers, triggerCount, combination, trigTime, trigState, preTrig,
        reserved /* 0: none */, comment, display;
};

const THeaderMap& MapOf(int v)
{
    static const THeaderMap v1{1224, 10, 48, 564, 4, 692, 696, 700, 704, 0, 708, 1220};
    static const THeaderMap v2{2408, 32, 52, 1748, 4, 1876, 1880, 1884, 1888, 0, 1892, 2404};
    static const THeaderMap v34{2540, 32, 56, 1876, 4, 2004, 2008, 2012, 2016, 2020, 2024, 2536};
    static const THeaderMap v5{2476, 32, 56, 1876, 2, 1940, 1944, 1948, 1952, 1956, 1960, 2472};
    switch (v) {
    case 1: return v1;
    case 2: return v2;
    case 3:
    case 4: return v34;
    case 5: return v5;
    default: throw std::invalid_argument("simulated recorder: layout version " + std::to_string(v));
    }
}

} // namespace

std::size_t HeaderBytes(int comVersion) { return MapOf(comVersion).size; }
std::size_t ChannelBytes(int comVersion) { return MapOf(comVersion).channelBytes; }

std::int32_t TSimRecording::WordsPerRecord() const
{
    std::int32_t perChannel = 0;
    for (const auto& c : Channels)
        perChannel += c.DataType == 4 ? 2 : 1;
    return (TimeStamps() ? 2 : 0) + (States() ? 1 : 0) + perChannel * (MinMax() ? 3 : 1);
}

void GenerateSamples(TSimRecording& rec)
{
    const std::size_t perRecord = static_cast<std::size_t>(rec.WordsPerRecord());
    rec.Words.assign(perRecord * rec.RecordCount, 0);
    std::size_t w = 0;
    std::uint32_t seed = rec.Number * 2654435761u + 12345u;
    for (std::uint32_t r = 0; r < rec.RecordCount; ++r) {
        if (rec.TimeStamps()) {
            const std::uint32_t ts = rec.StartTime + r;
            rec.Words[w++] = static_cast<std::uint16_t>(ts & 0xFFFF);
            rec.Words[w++] = static_cast<std::uint16_t>(ts >> 16);
        }
        if (rec.States())
            rec.Words[w++] = static_cast<std::uint16_t>((r / 100) & 0x0F);
        for (std::size_t c = 0; c < rec.Channels.size(); ++c) {
            seed = seed * 1103515245u + 12345u;
            const std::int32_t noise = static_cast<std::int32_t>((seed >> 16) % 21) - 10;
            const std::int32_t base = static_cast<std::int32_t>((r * (c + 1) * 7) % 2000) - 1000 + noise;
            const bool wide = rec.Channels[c].DataType == 4;
            auto put = [&](std::int32_t v) {
                if (wide) {
                    const std::int32_t big = v * 70000;
                    rec.Words[w++] = static_cast<std::uint16_t>(static_cast<std::uint32_t>(big) & 0xFFFF);
                    rec.Words[w++] = static_cast<std::uint16_t>(static_cast<std::uint32_t>(big) >> 16);
                } else {
                    rec.Words[w++] = static_cast<std::uint16_t>(static_cast<std::int16_t>(v));
                }
            };
            put(base);
            if (rec.MinMax()) {
                put(base - 5);
                put(base + 5);
            }
        }
    }
}

TByteString WriteIdent(const std::string& text, std::uint16_t comVersion, std::int16_t hardwareVariant)
{
    TByteString b(80, 0);
    WText(b, 0, 14, text);
    // Filler the system does not read: a serial-number-like pattern.
    for (std::size_t i = 14; i < 26; ++i)
        b[i] = static_cast<std::uint8_t>('0' + (i % 10));
    W16(b, 26, comVersion);
    W16(b, 28, static_cast<std::uint16_t>(hardwareVariant));
    for (std::size_t i = 30; i < 80; ++i)
        b[i] = static_cast<std::uint8_t>(0xA0 + (i % 16));
    return b;
}

TByteString WriteChannel(int comVersion, const TSimChannel& c)
{
    TByteString b(ChannelBytes(comVersion), 0);
    switch (comVersion) {
    case 1: // 16-bit ranges, 8-bit decimals, no sub-channel
        W16(b, 0, static_cast<std::uint16_t>(c.LoRange));
        W16(b, 2, static_cast<std::uint16_t>(c.HiRange));
        W8(b, 4, static_cast<std::uint8_t>(c.Decimals));
        W8(b, 5, c.Input);
        W16(b, 6, static_cast<std::uint16_t>(c.DataType));
        WText(b, 8, 32, c.Name);
        WText(b, 40, 8, c.Unit);
        break;
    case 2:
        W16(b, 0, static_cast<std::uint16_t>(c.LoRange));
        W16(b, 2, static_cast<std::uint16_t>(c.HiRange));
        W16(b, 4, c.Decimals);
        W8(b, 6, c.Input);
        W8(b, 7, c.SubChannel);
        W16(b, 8, static_cast<std::uint16_t>(c.DataType));
        WText(b, 10, 32, c.Name);
        WText(b, 42, 8, c.Unit);
        break;
    default:
        W32(b, 0, static_cast<std::uint32_t>(c.LoRange));
        W32(b, 4, static_cast<std::uint32_t>(c.HiRange));
        W16(b, 8, c.Decimals);
        W8(b, 10, c.Input);
        W8(b, 11, c.SubChannel);
        W16(b, 12, static_cast<std::uint16_t>(c.DataType));
        WText(b, 14, 32, c.Name);
        WText(b, 46, 8, c.Unit);
        b[54] = 0x5A; // spare bytes: not read by the PC
        b[55] = 0xA5;
        break;
    }
    return b;
}

TByteString WriteTriggerEvent(const TSimTriggerEvent& e)
{
    TByteString b(32, 0);
    W32(b, 0, e.StartDate);
    W32(b, 4, e.StartTime);
    W16(b, 8, e.ActiveState);
    W16(b, 10, e.Source);
    W16(b, 12, e.Input);
    W16(b, 14, e.Edge);
    W8(b, 16, e.Sensor);
    W8(b, 17, e.SubChannel);
    W16(b, 18, static_cast<std::uint16_t>(e.Value));
    W16(b, 20, e.Direction);
    W16(b, 22, static_cast<std::uint16_t>(e.LoLimet));
    W16(b, 24, static_cast<std::uint16_t>(e.HiLimit));
    W16(b, 26, e.Count);
    W16(b, 28, e.Distance);
    W16(b, 30, e.StartMode);
    return b;
}

TByteString WriteHeader(int comVersion, const TSimRecording& r)
{
    const THeaderMap& m = MapOf(comVersion);
    TByteString b(m.size, 0);
    W32(b, 0, 0x00C0FFEE); // not used by the PC
    WText(b, 4, 32, r.Name);
    W32(b, 36, r.Number);
    W32(b, 40, r.StartTime);
    const std::int32_t recordSize = r.WordsPerRecord();
    W32(b, 44, static_cast<std::uint32_t>(recordSize * static_cast<std::int32_t>(r.RecordCount)));
    W32(b, 48, r.RecordCount);
    W32(b, 56, r.Type);
    W32(b, 60, static_cast<std::uint32_t>(r.SimpleCurveMode));
    W32(b, 64, static_cast<std::uint32_t>(r.SampleRate));
    W32(b, 68, static_cast<std::uint32_t>(r.Channels.size()));
    W32(b, 72, static_cast<std::uint32_t>(r.Channels.size() * (r.MinMax() ? 3 : 1)));
    W32(b, 76, static_cast<std::uint32_t>(recordSize));
    W32(b, 80, r.StopTime);
    for (std::size_t i = 0; i < r.Channels.size() && i < m.channelCount; ++i) {
        TSimChannel c = r.Channels[i];
        if (comVersion <= 2)
            c.SubChannel = 0xEE; // the header slot of layout 2 carries something the PC must not take
        auto rec = WriteChannel(comVersion, c);
        std::copy(rec.begin(), rec.end(), b.begin() + static_cast<long>(84 + i * m.channelBytes));
    }
    for (std::size_t t = 0; t < m.triggerCount; ++t) {
        TSimTriggerEvent e = r.Triggers[t];
        auto rec = WriteTriggerEvent(e);
        std::copy(rec.begin(), rec.end(), b.begin() + static_cast<long>(m.triggers + t * 32));
    }
    W32(b, m.combination, static_cast<std::uint32_t>(r.Combination));
    W32(b, m.trigTime, r.TriggerTime);
    W32(b, m.trigState, static_cast<std::uint32_t>(r.TriggerState));
    W32(b, m.preTrig, static_cast<std::uint32_t>(r.PreTriggerCount));
    if (m.reserved)
        W32(b, m.reserved, 0x11223344);
    WText(b, m.comment, 512, r.Comment);
    W16(b, m.display, 7);
    W16(b, m.display + 2, 9);
    return b;
}

TByteString WriteEntry(std::uint16_t handle, const std::string& name, std::uint32_t number, std::uint32_t date)
{
    TByteString b(44, 0);
    W16(b, 0, handle);
    b[2] = 0x77; // not used
    WText(b, 4, 32, name);
    W32(b, 36, number);
    W32(b, 40, date);
    return b;
}

TByteString WriteSampleBytes(const std::vector<std::uint16_t>& words)
{
    TByteString b;
    b.reserve(words.size() * 2);
    for (auto w : words) {
        b.push_back(static_cast<std::uint8_t>(w));
        b.push_back(static_cast<std::uint8_t>(w >> 8));
    }
    return b;
}

TByteString WriteOnlineRecord(const std::vector<std::int16_t>& values, std::uint8_t status, bool badChecksum)
{
    TByteString b{0x88, 0x88};
    std::uint8_t sum = 0;
    for (auto v : values) {
        const auto u = static_cast<std::uint16_t>(v);
        b.push_back(static_cast<std::uint8_t>(u));
        b.push_back(static_cast<std::uint8_t>(u >> 8));
        sum = static_cast<std::uint8_t>(sum + static_cast<std::uint8_t>(u) + static_cast<std::uint8_t>(u >> 8));
    }
    b.push_back(status);
    b.push_back(badChecksum ? static_cast<std::uint8_t>(sum ^ 0x5A) : sum);
    return b;
}

TByteString WriteOnlineEvent(const std::vector<std::array<std::int16_t, 3>>& triples, std::uint8_t status,
                             std::uint8_t freeByte)
{
    TByteString b{0x88, 0x88};
    for (const auto& t : triples)
        for (auto v : t) {
            const auto u = static_cast<std::uint16_t>(v);
            b.push_back(static_cast<std::uint8_t>(u));
            b.push_back(static_cast<std::uint8_t>(u >> 8));
        }
    b.push_back(status);
    b.push_back(freeByte);
    return b;
}

} // namespace vro::sim
