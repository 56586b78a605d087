#include "device/vro8records.h"

#include "core/util/bytes.h"
#include "core/util/charset.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace vro {

std::string Vro8StatusText(int status, const char* what)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%5d: %s", status, what);
    return buf;
}

const char* Vro8StatusWhat(EVro8Status kind)
{
    switch (kind) {
    case EVro8Status::DeleteFile: return "DeleteFile";
    case EVro8Status::LoadRecordingStruct: return "LoadRecordingStruct";
    case EVro8Status::LoadRecordingData: return "LoadRecordingData";
    case EVro8Status::SaveSetup: return "Save Setup To Directory";
    case EVro8Status::LoadSetup: return "Load Setup From Directory";
    default: return "Device status";
    }
}

void CheckVro8Status(int status, EVro8Status kind)
{
    if (status != 0)
        throw EVro8Device(kind, Vro8StatusText(status, Vro8StatusWhat(kind)), status);
}

bool Vro8ComVersionKnown(int v) { return v >= kVro8MinComVersion && v <= kVro8MaxComVersion; }

static void RequireKnown(int comVersion)
{
    if (!Vro8ComVersionKnown(comVersion))
        throw EVro8Device(EVro8Status::UnsupportedComVersion,
                          "Unsupported recorder layout version " + std::to_string(comVersion));
}

static void RequireSize(TBytes b, std::size_t n)
{
    if (b.size() != n)
        throw EVro8Device(EVro8Status::UnexpectedMessageLen, "Unexpected Messagelen received");
}

std::size_t Vro8ChannelSize(int comVersion)
{
    RequireKnown(comVersion);
    return comVersion == 1 ? 48 : comVersion == 2 ? 52 : 56;
}

std::size_t Vro8HeaderSize(int comVersion)
{
    RequireKnown(comVersion);
    switch (comVersion) {
    case 1: return 1224;
    case 2: return 2408;
    case 5: return 2476;
    default: return 2540;
    }
}

int Vro8MaxRecordingChannels(int comVersion) { return comVersion == 1 ? 10 : 32; }
int Vro8TriggerEvents(int comVersion) { return comVersion == 5 ? 2 : 4; }

std::string Vro8Text(TBytes field, std::size_t maxChars)
{
    const std::size_t n = std::min(maxChars, field.size());
    std::size_t len = 0;
    while (len < n && field[len] != 0)
        ++len;
    return Latin1ToUtf8(std::string_view(reinterpret_cast<const char*>(field.data()), len));
}

std::string Vro8TrimmedText(TBytes field, std::size_t maxChars)
{
    std::string s = Vro8Text(field, maxChars);
    const auto b = s.find_first_not_of(' ');
    if (b == std::string::npos)
        return {};
    const auto e = s.find_last_not_of(' ');
    return s.substr(b, e - b + 1);
}

// ---- identification ------------------------------------------------------------

TVro8Ident DecodeIdent(TBytes answer)
{
    RequireSize(answer, kVro8IdentSize);
    TVro8Ident id;
    std::copy(answer.begin(), answer.end(), id.Raw.begin());
    id.IdentText = Vro8Text(answer.subspan(0, 14), 14);
    id.ComVersion = GetU16(answer, 26);
    id.HardwareVariant = GetI16(answer, 28);
    return id;
}

bool Vro8IdentIsRecorder(const std::string& t) { return t.rfind("VRO8K-M ", 0) == 0 || t.rfind("VRO8000 ", 0) == 0; }

// ---- channel descriptions ------------------------------------------------------

TVro8ChannelRecord ConvertChannelRecord(int comVersion, TBytes in, bool fromHeader)
{
    RequireSize(in, Vro8ChannelSize(comVersion));
    TVro8ChannelRecord out{};
    std::span<std::uint8_t> o(out);
    if (comVersion >= 3) {
        std::copy(in.begin(), in.end(), out.begin());
        return out;
    }
    // Layouts 1 and 2: 16-bit ranges widened with their sign.
    PutLE<std::int32_t>(o, 0, GetI16(in, 0));
    PutLE<std::int32_t>(o, 4, GetI16(in, 2));
    if (comVersion == 1) {
        PutLE<std::uint16_t>(o, 8, in[4]);
        out[10] = in[5];
        out[11] = 0;
        PutLE<std::int16_t>(o, 12, GetI16(in, 6));
        std::copy_n(in.begin() + 8, 32, out.begin() + 14);
        std::copy_n(in.begin() + 40, 8, out.begin() + 46);
    } else {
        PutLE<std::uint16_t>(o, 8, GetU16(in, 4));
        out[10] = in[6];
        out[11] = fromHeader ? 0 : in[7];
        PutLE<std::int16_t>(o, 12, GetI16(in, 8));
        std::copy_n(in.begin() + 10, 32, out.begin() + 14);
        std::copy_n(in.begin() + 42, 8, out.begin() + 46);
    }
    return out;
}

TVro8ChannelDescription DecodeChannel(TBytes c)
{
    RequireSize(c, kVro8ChannelSize);
    TVro8ChannelDescription d;
    d.LoRange = GetI32(c, 0);
    d.HiRange = GetI32(c, 4);
    d.Decimals = GetU16(c, 8);
    d.Input = c[10];
    d.SubChannel = c[11];
    d.DataType = GetI16(c, 12);
    d.Name = Vro8TrimmedText(c.subspan(14, 32), 32);
    d.Unit = Vro8TrimmedText(c.subspan(46, 8), 8);
    return d;
}

// ---- current values --------------------------------------------------------------

std::optional<std::int16_t> TVro8ValueArea::Word(int channel, int part) const
{
    if (channel < 0 || channel >= AnsweredChannels())
        return std::nullopt;
    const std::size_t word = MinMax ? static_cast<std::size_t>(channel) * 3 + part : static_cast<std::size_t>(channel);
    return GetI16(std::span<const std::uint8_t>(Bytes.data(), Length), word * 2);
}

std::optional<std::int16_t> TVro8ValueArea::Min(int channel) const { return MinMax ? Word(channel, 1) : std::nullopt; }

std::optional<std::int16_t> TVro8ValueArea::Max(int channel) const { return MinMax ? Word(channel, 2) : std::nullopt; }

TVro8ValueArea DecodeValues(TBytes answer, bool minMax)
{
    if (answer.size() > kVro8ValueAreaSize)
        throw EVro8Device(EVro8Status::UnexpectedMessageLen, "Unexpected Messagelen received");
    TVro8ValueArea a;
    std::copy(answer.begin(), answer.end(), a.Bytes.begin());
    a.Length = answer.size();
    a.MinMax = minMax;
    return a;
}

// ---- directory -------------------------------------------------------------------

TVro8Entry DecodeEntry(TBytes e)
{
    RequireSize(e, kVro8EntrySize);
    TVro8Entry r;
    r.Handle = GetU16(e, 0);
    r.Name = Vro8TrimmedText(e.subspan(4, 32), 32);
    r.Number = GetU32(e, 36);
    r.Date = GetU32(e, 40);
    return r;
}

std::vector<TVro8Entry> DecodeEntries(TBytes bytes, std::size_t count)
{
    if (bytes.size() / kVro8EntrySize < count)
        throw EVro8Device(EVro8Status::DirectoryIncomplete,
                          "Directory incomplete: " + std::to_string(bytes.size() / kVro8EntrySize) + " of " +
                              std::to_string(count) + " entries received");
    std::vector<TVro8Entry> out;
    out.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        out.push_back(DecodeEntry(bytes.subspan(i * kVro8EntrySize, kVro8EntrySize)));
    return out;
}

// ---- trigger events --------------------------------------------------------------

TVro8TriggerEvent DecodeTriggerEvent(TBytes t)
{
    RequireSize(t, kVro8TriggerEventSize);
    TVro8TriggerEvent e;
    e.StartDate = GetU32(t, 0);
    e.StartTime = GetU32(t, 4);
    e.ActiveState = GetU16(t, 8);
    e.Source = GetU16(t, 10);
    e.Input = GetU16(t, 12);
    e.Edge = GetU16(t, 14);
    e.Sensor = t[16];
    e.SubChannel = t[17];
    e.Value = GetI16(t, 18);
    e.Direction = GetU16(t, 20);
    e.LoLimet = GetI16(t, 22);
    e.HiLimit = GetI16(t, 24);
    e.Count = GetU16(t, 26);
    e.Distance = GetU16(t, 28);
    e.StartMode = GetU16(t, 30);
    return e;
}

// ---- headers ----------------------------------------------------------------------

namespace {
// Where the parts after the channel descriptions lie in a layout's header.
struct THeaderParts {
    std::size_t triggers;     // trigger events, followed by the combination
    std::size_t triggerBlock; // bytes of events + combination
    std::size_t timeStatePre; // trigger time, state, pre-trigger count (12 bytes)
    std::size_t reserved;     // 0 when the layout has none
    std::size_t comment;
    std::size_t display;
};

THeaderParts PartsOf(int comVersion)
{
    switch (comVersion) {
    case 1: return {564, 132, 696, 0, 708, 1220};
    case 2: return {1748, 132, 1880, 0, 1892, 2404};
    case 5: return {1876, 68, 1944, 1956, 1960, 2472};
    default: return {1876, 132, 2008, 2020, 2024, 2536};
    }
}
} // namespace

TVro8HeaderBytes ConvertHeader(int comVersion, TBytes in)
{
    if (in.size() != Vro8HeaderSize(comVersion))
        throw EVro8Device(EVro8Status::IllegalHeader, "Illegal Header", 0,
                          "header of " + std::to_string(in.size()) + " bytes");
    TVro8HeaderBytes out{};
    if (comVersion == 3 || comVersion == 4) {
        std::copy(in.begin(), in.end(), out.begin());
        return out;
    }
    std::copy_n(in.begin(), 84, out.begin());
    const std::size_t cs = Vro8ChannelSize(comVersion);
    const std::size_t channels = comVersion == 1 ? 10 : 32;
    for (std::size_t i = 0; i < channels; ++i) {
        auto rec = ConvertChannelRecord(comVersion, in.subspan(84 + i * cs, cs), true);
        std::copy(rec.begin(), rec.end(), out.begin() + 84 + static_cast<long>(i * kVro8ChannelSize));
    }
    const THeaderParts p = PartsOf(comVersion);
    const std::size_t events = static_cast<std::size_t>(Vro8TriggerEvents(comVersion)) * kVro8TriggerEventSize;
    // Events into the first slots; the combination to its common place.
    std::copy_n(in.begin() + static_cast<long>(p.triggers), events, out.begin() + vro8hdr::Triggers);
    std::copy_n(in.begin() + static_cast<long>(p.triggers + events), 4, out.begin() + vro8hdr::Combination);
    std::copy_n(in.begin() + static_cast<long>(p.timeStatePre), 12, out.begin() + vro8hdr::TriggerTime);
    if (p.reserved)
        std::copy_n(in.begin() + static_cast<long>(p.reserved), 4, out.begin() + vro8hdr::Reserved);
    std::copy_n(in.begin() + static_cast<long>(p.comment), vro8hdr::CommentSize, out.begin() + vro8hdr::Comment);
    std::copy_n(in.begin() + static_cast<long>(p.display), 4, out.begin() + vro8hdr::DisplayValues);
    return out;
}

TVro8Header DecodeHeader(const TVro8HeaderBytes& h)
{
    TBytes b(h);
    TVro8Header r;
    r.Name = Vro8TrimmedText(b.subspan(vro8hdr::Name, 32), 32);
    r.Number = GetU32(b, vro8hdr::Number);
    r.StartTime = GetU32(b, vro8hdr::StartTime);
    r.DataSize = GetI32(b, vro8hdr::DataSize);
    r.RecordCount = GetU32(b, vro8hdr::RecordCount);
    r.Type = GetU32(b, vro8hdr::Type);
    r.SimpleCurveMode = GetI32(b, vro8hdr::SimpleCurveMode);
    r.SampleRate = GetI32(b, vro8hdr::SampleRate);
    r.ChannelCount = GetI32(b, vro8hdr::ChannelCount);
    r.ValueCount = GetU32(b, vro8hdr::ValueCount);
    r.RecordSize = GetI32(b, vro8hdr::RecordSize);
    r.StopTime = GetU32(b, vro8hdr::StopTime);
    if (r.ChannelCount >= 0 && r.ChannelCount <= static_cast<int>(kVro8HeaderChannels))
        for (int i = 0; i < r.ChannelCount; ++i)
            r.Channels.push_back(DecodeChannel(
                b.subspan(vro8hdr::Channels + static_cast<std::size_t>(i) * kVro8ChannelSize, kVro8ChannelSize)));
    for (std::size_t i = 0; i < kVro8HeaderTriggers; ++i)
        r.Triggers[i] = DecodeTriggerEvent(b.subspan(vro8hdr::Triggers + i * kVro8TriggerEventSize, 32));
    r.TriggerCombination = GetI32(b, vro8hdr::Combination);
    r.TriggerTime = GetU32(b, vro8hdr::TriggerTime);
    r.TriggerState = GetI32(b, vro8hdr::TriggerState);
    r.PreTriggerCount = GetI32(b, vro8hdr::PreTriggerCount);
    r.Comment = Vro8Text(b.subspan(vro8hdr::Comment, vro8hdr::CommentSize), vro8hdr::CommentSize);
    return r;
}

std::int32_t Vro8RecordSize(std::uint32_t type, const std::vector<TVro8ChannelDescription>& channels)
{
    const bool all = type == 2;
    std::int64_t words = 0;
    for (const auto& c : channels)
        words += c.Is32Bit() ? 2 : 1;
    if (all || (type & 0x20))
        words *= 3;
    if (all || (type & 0x80))
        words += 2;
    if (all || (type & 0x40))
        words += 1;
    return static_cast<std::int32_t>(words);
}

std::optional<std::string> CheckHeader(const TVro8HeaderBytes& common, int comVersion)
{
    const TBytes b(common);
    const std::uint32_t recordCount = GetU32(b, vro8hdr::RecordCount);
    const std::int32_t recordSize = GetI32(b, vro8hdr::RecordSize);
    const std::int32_t dataSize = GetI32(b, vro8hdr::DataSize);
    const std::uint32_t type = GetU32(b, vro8hdr::Type);
    const std::int32_t sampleRate = GetI32(b, vro8hdr::SampleRate);
    const std::uint32_t channelCount = GetU32(b, vro8hdr::ChannelCount);
    const std::uint32_t valueCount = GetU32(b, vro8hdr::ValueCount);
    auto fmt = [](const char* f, long long v) {
        char buf[96];
        std::snprintf(buf, sizeof buf, f, v);
        return std::string(buf);
    };
    if (recordCount < 1 || recordCount > static_cast<std::uint32_t>(kVro8MaxRecordCount))
        return fmt("Illegal RecordCount %lld", static_cast<std::int32_t>(recordCount));
    // The channel count bounds the walk over the descriptions below, so it is
    // checked before anything sums over the channels.
    const std::uint32_t maxChannels = static_cast<std::uint32_t>(Vro8MaxRecordingChannels(comVersion));
    if (channelCount > maxChannels)
        return fmt("Illegal ChannelCount %lld", static_cast<std::int32_t>(channelCount));
    std::vector<TVro8ChannelDescription> channels;
    for (std::uint32_t i = 0; i < channelCount; ++i)
        channels.push_back(DecodeChannel(b.subspan(vro8hdr::Channels + i * kVro8ChannelSize, kVro8ChannelSize)));
    if (recordSize != Vro8RecordSize(type, channels))
        return fmt("Illegal RecordSize %lld", recordSize);
    if (static_cast<std::int64_t>(dataSize) != static_cast<std::int64_t>(recordCount) * recordSize)
        return fmt("Illegal Datasize %lld", dataSize);
    if ((type & 0x0F) > 3)
        return fmt("Illegal RecordingType %lld", type & 0x0F);
    if (sampleRate < 0 || sampleRate >= kVro8SampleRates)
        return fmt("Illegal SampleRate %lld", sampleRate);
    const bool minMax = type == 2 || (type & 0x20);
    if (valueCount != (minMax ? channelCount * 3 : channelCount))
        return fmt("Illegal ValueCount %lld", static_cast<std::int32_t>(valueCount));
    for (std::uint32_t i = 0; i < channelCount; ++i) {
        const auto& c = channels[i];
        char buf[96];
        if (c.HiRange < c.LoRange) {
            std::snprintf(buf, sizeof buf, "Sensor %u: LoRange greater HiRange", i);
            return std::string(buf);
        }
        if (c.Decimals > 8) {
            std::snprintf(buf, sizeof buf, "Sensor %u: Illegal Decimals %u", i, c.Decimals);
            return std::string(buf);
        }
        if (c.Input > 12) {
            std::snprintf(buf, sizeof buf, "Sensor %u: Illegal Portnumber %u", i, c.Input);
            return std::string(buf);
        }
    }
    return std::nullopt;
}

// ---- samples ------------------------------------------------------------------------

std::uint16_t TVro8SampleReader::ReadWord()
{
    if (pos_ >= words_.size())
        throw EVro8Device(EVro8Status::ReadPastEnd, "Read past the end of the recording data");
    return words_[pos_++];
}

std::int32_t TVro8SampleReader::ReadLong()
{
    if (words_.size() - std::min(pos_, words_.size()) < 2)
        throw EVro8Device(EVro8Status::ReadPastEnd, "Read past the end of the recording data");
    const std::uint32_t lo = words_[pos_], hi = words_[pos_ + 1];
    pos_ += 2;
    return static_cast<std::int32_t>(lo | (hi << 16));
}

std::vector<std::uint16_t> Vro8SampleWords(TBytes bytes)
{
    if (bytes.size() % 2)
        throw EVro8Device(EVro8Status::IllegalSizeReceived, "Illegal Size Received");
    std::vector<std::uint16_t> w(bytes.size() / 2);
    for (std::size_t i = 0; i < w.size(); ++i)
        w[i] = static_cast<std::uint16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));
    return w;
}

} // namespace vro
