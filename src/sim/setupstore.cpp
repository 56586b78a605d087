#include "sim/setupstore.h"

#include "core/util/bytes.h"

namespace vro::sim {

namespace {

using TBlock = std::vector<std::uint8_t>;

// A 0-padded character field (the recorder's texts are plain ASCII here).
std::string Chars(const TBlock& b, std::size_t o, std::size_t width)
{
    std::string s;
    for (std::size_t i = 0; i < width && b[o + i] != 0; ++i)
        s.push_back(static_cast<char>(b[o + i]));
    return s;
}

} // namespace

std::optional<TSimSensorFields> TSimSetupStore::DecodeSensor(int v, const TBlock& b, int index)
{
    if (index < 0)
        return std::nullopt;
    const std::size_t o = static_cast<std::size_t>(index) * 60;
    if (o + 60 > b.size())
        return std::nullopt;
    TSimSensorFields f;
    f.Factor = GetU32(b, o);
    if (v == 1) {
        f.ActiveState = GetU16(b, o + 4);
        f.Mode = GetU16(b, o + 6);
        f.Signal = GetU16(b, o + 8);
        f.Spare1 = GetU16(b, o + 10);
        f.LoRange = static_cast<std::int16_t>(GetU16(b, o + 12));
        f.HiRange = static_cast<std::int16_t>(GetU16(b, o + 14));
        f.Decimals = GetU16(b, o + 16);
        f.Spare2 = GetU16(b, o + 18);
    } else {
        f.SubChannelMask = static_cast<std::int32_t>(GetU32(b, o + 4));
        f.ActiveState = GetU16(b, o + 8);
        f.Mode = GetU16(b, o + 10);
        f.Signal = GetU16(b, o + 12);
        f.LoRange = static_cast<std::int16_t>(GetU16(b, o + 14));
        f.HiRange = static_cast<std::int16_t>(GetU16(b, o + 16));
        f.Decimals = GetU16(b, o + 18);
    }
    f.Name = Chars(b, o + 20, 32);
    f.MUnit = Chars(b, o + 52, 8);
    return f;
}

std::optional<TSimTriggerFields> TSimSetupStore::DecodeTrigger(const TBlock& b, int index)
{
    if (index < 0)
        return std::nullopt;
    const std::size_t o = static_cast<std::size_t>(index) * 32;
    // The combination follows the last event: an event must end before it.
    if (o + 32 + 4 > b.size())
        return std::nullopt;
    TSimTriggerFields t;
    t.StartDate = GetU32(b, o);
    t.StartTime = GetU32(b, o + 4);
    t.ActiveState = GetU16(b, o + 8);
    t.Source = GetU16(b, o + 10);
    t.Input = GetU16(b, o + 12);
    t.Edge = GetU16(b, o + 14);
    t.Sensor = b[o + 16];
    t.SubChannel = b[o + 17];
    t.Value = static_cast<std::int16_t>(GetU16(b, o + 18));
    t.Direction = GetU16(b, o + 20);
    t.LoLimet = static_cast<std::int16_t>(GetU16(b, o + 22));
    t.HiLimit = static_cast<std::int16_t>(GetU16(b, o + 24));
    t.Count = GetU16(b, o + 26);
    t.Distance = GetU16(b, o + 28);
    t.StartMode = GetU16(b, o + 30);
    return t;
}

int TSimSetupStore::SensorCount() const { return static_cast<int>(recorder_.Block(100).size() / 60); }

std::optional<TSimSensorFields> TSimSetupStore::Sensor(int index) const
{
    return DecodeSensor(recorder_.Profile().ComVersion, recorder_.Block(100), index);
}

int TSimSetupStore::EventCount() const
{
    const std::size_t n = recorder_.Block(101).size();
    return n < 4 ? 0 : static_cast<int>((n - 4) / 32);
}

std::optional<TSimTriggerFields> TSimSetupStore::Trigger(int index) const
{
    return DecodeTrigger(recorder_.Block(101), index);
}

std::optional<std::uint32_t> TSimSetupStore::Combination() const
{
    const TBlock b = recorder_.Block(101);
    if (b.size() < 4)
        return std::nullopt;
    return GetU32(b, b.size() - 4);
}

std::optional<std::string> TSimSetupStore::RecordingName() const
{
    const TBlock b = recorder_.Block(102);
    if (b.size() < 46)
        return std::nullopt;
    return Chars(b, 14, 32);
}

std::optional<std::string> TSimSetupStore::CanName(int message) const
{
    const TBlock b = recorder_.Block(107);
    if (message < 0 || static_cast<std::size_t>(message) * 68 + 68 > b.size())
        return std::nullopt;
    return Chars(b, static_cast<std::size_t>(message) * 68 + 28, 32);
}

} // namespace vro::sim
