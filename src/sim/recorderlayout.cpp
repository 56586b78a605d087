#include "sim/recorderlayout.h"

#include "core/util/bytes.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace vro::sim {

namespace {

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
    PutText(b, 0, 14, text);
    // Filler the system does not read: a serial-number-like pattern.
    for (std::size_t i = 14; i < 26; ++i)
        b[i] = static_cast<std::uint8_t>('0' + (i % 10));
    PutLE<std::uint16_t>(b, 26, comVersion);
    PutLE<std::uint16_t>(b, 28, static_cast<std::uint16_t>(hardwareVariant));
    for (std::size_t i = 30; i < 80; ++i)
        b[i] = static_cast<std::uint8_t>(0xA0 + (i % 16));
    return b;
}

TByteString WriteChannel(int comVersion, const TSimChannel& c)
{
    TByteString b(ChannelBytes(comVersion), 0);
    switch (comVersion) {
    case 1: // 16-bit ranges, 8-bit decimals, no sub-channel
        PutLE<std::uint16_t>(b, 0, static_cast<std::uint16_t>(c.LoRange));
        PutLE<std::uint16_t>(b, 2, static_cast<std::uint16_t>(c.HiRange));
        b.at(4) = static_cast<std::uint8_t>(c.Decimals);
        b.at(5) = c.Input;
        PutLE<std::uint16_t>(b, 6, static_cast<std::uint16_t>(c.DataType));
        PutText(b, 8, 32, c.Name);
        PutText(b, 40, 8, c.Unit);
        break;
    case 2:
        PutLE<std::uint16_t>(b, 0, static_cast<std::uint16_t>(c.LoRange));
        PutLE<std::uint16_t>(b, 2, static_cast<std::uint16_t>(c.HiRange));
        PutLE<std::uint16_t>(b, 4, c.Decimals);
        b.at(6) = c.Input;
        b.at(7) = c.SubChannel;
        PutLE<std::uint16_t>(b, 8, static_cast<std::uint16_t>(c.DataType));
        PutText(b, 10, 32, c.Name);
        PutText(b, 42, 8, c.Unit);
        break;
    default:
        PutLE<std::uint32_t>(b, 0, static_cast<std::uint32_t>(c.LoRange));
        PutLE<std::uint32_t>(b, 4, static_cast<std::uint32_t>(c.HiRange));
        PutLE<std::uint16_t>(b, 8, c.Decimals);
        b.at(10) = c.Input;
        b.at(11) = c.SubChannel;
        PutLE<std::uint16_t>(b, 12, static_cast<std::uint16_t>(c.DataType));
        PutText(b, 14, 32, c.Name);
        PutText(b, 46, 8, c.Unit);
        b[54] = 0x5A; // spare bytes: not read by the PC
        b[55] = 0xA5;
        break;
    }
    return b;
}

TByteString WriteTriggerEvent(const TSimTriggerEvent& e)
{
    TByteString b(32, 0);
    PutLE<std::uint32_t>(b, 0, e.StartDate);
    PutLE<std::uint32_t>(b, 4, e.StartTime);
    PutLE<std::uint16_t>(b, 8, e.ActiveState);
    PutLE<std::uint16_t>(b, 10, e.Source);
    PutLE<std::uint16_t>(b, 12, e.Input);
    PutLE<std::uint16_t>(b, 14, e.Edge);
    b.at(16) = e.Sensor;
    b.at(17) = e.SubChannel;
    PutLE<std::uint16_t>(b, 18, static_cast<std::uint16_t>(e.Value));
    PutLE<std::uint16_t>(b, 20, e.Direction);
    PutLE<std::uint16_t>(b, 22, static_cast<std::uint16_t>(e.LoLimet));
    PutLE<std::uint16_t>(b, 24, static_cast<std::uint16_t>(e.HiLimit));
    PutLE<std::uint16_t>(b, 26, e.Count);
    PutLE<std::uint16_t>(b, 28, e.Distance);
    PutLE<std::uint16_t>(b, 30, e.StartMode);
    return b;
}

TByteString WriteHeader(int comVersion, const TSimRecording& r)
{
    const THeaderMap& m = MapOf(comVersion);
    TByteString b(m.size, 0);
    PutLE<std::uint32_t>(b, 0, 0x00C0FFEE); // not used by the PC
    PutText(b, 4, 32, r.Name);
    PutLE<std::uint32_t>(b, 36, r.Number);
    PutLE<std::uint32_t>(b, 40, r.StartTime);
    const std::int32_t recordSize = r.WordsPerRecord();
    PutLE<std::uint32_t>(b, 44, static_cast<std::uint32_t>(recordSize * static_cast<std::int32_t>(r.RecordCount)));
    PutLE<std::uint32_t>(b, 48, r.RecordCount);
    PutLE<std::uint32_t>(b, 56, r.Type);
    PutLE<std::uint32_t>(b, 60, static_cast<std::uint32_t>(r.SimpleCurveMode));
    PutLE<std::uint32_t>(b, 64, static_cast<std::uint32_t>(r.SampleRate));
    PutLE<std::uint32_t>(b, 68, static_cast<std::uint32_t>(r.Channels.size()));
    PutLE<std::uint32_t>(b, 72, static_cast<std::uint32_t>(r.Channels.size() * (r.MinMax() ? 3 : 1)));
    PutLE<std::uint32_t>(b, 76, static_cast<std::uint32_t>(recordSize));
    PutLE<std::uint32_t>(b, 80, r.StopTime);
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
    PutLE<std::uint32_t>(b, m.combination, static_cast<std::uint32_t>(r.Combination));
    PutLE<std::uint32_t>(b, m.trigTime, r.TriggerTime);
    PutLE<std::uint32_t>(b, m.trigState, static_cast<std::uint32_t>(r.TriggerState));
    PutLE<std::uint32_t>(b, m.preTrig, static_cast<std::uint32_t>(r.PreTriggerCount));
    if (m.reserved)
        PutLE<std::uint32_t>(b, m.reserved, 0x11223344);
    PutText(b, m.comment, 512, r.Comment);
    PutLE<std::uint16_t>(b, m.display, 7);
    PutLE<std::uint16_t>(b, m.display + 2, 9);
    return b;
}

TByteString WriteEntry(std::uint16_t handle, const std::string& name, std::uint32_t number, std::uint32_t date)
{
    TByteString b(44, 0);
    PutLE<std::uint16_t>(b, 0, handle);
    b[2] = 0x77; // not used
    PutText(b, 4, 32, name);
    PutLE<std::uint32_t>(b, 36, number);
    PutLE<std::uint32_t>(b, 40, date);
    return b;
}

TByteString WriteSampleBytes(const std::vector<std::uint16_t>& words)
{
    TByteString b;
    b.reserve(words.size() * 2);
    for (auto w : words) {
        AppendLE(b, w);
    }
    return b;
}

TByteString WriteOnlineRecord(const std::vector<std::int16_t>& values, std::uint8_t status, bool badChecksum)
{
    TByteString b{0x88, 0x88};
    std::uint8_t sum = 0;
    for (auto v : values) {
        const auto u = static_cast<std::uint16_t>(v);
        AppendLE(b, u);
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
            AppendLE(b, v);
        }
    b.push_back(status);
    b.push_back(freeByte);
    return b;
}

} // namespace vro::sim
