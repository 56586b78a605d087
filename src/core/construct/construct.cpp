#include "core/construct/construct.h"

#include <algorithm>
#include <cstdio>
#include <numeric>
#include <type_traits>

#include "core/template/safefilename.h"
#include "core/text/texts.h"
#include "core/util/atomicfile.h"
#include "core/values/vro8utils.h"

namespace vro {

namespace {

// A 16-bit sample of the recorder; -32768 is never a measured value (the
// encodings are symmetric) and is the file form of no value, so it becomes
// no value here too.
std::int32_t Widen16(std::uint16_t word)
{
    const auto v = static_cast<std::int16_t>(word);
    return v == -32768 ? NoValue : v;
}

std::string DeviceChannelName(const TDeviceChannelInfo& c)
{
    std::string name = c.Input >= 0 && c.Input <= 11 ? text(215 + c.Input) : "Channel " + std::to_string(c.Input + 1);
    if (c.SubChannel != 0)
        name += "-" + std::to_string(c.SubChannel);
    return name;
}

void DescribeDeviceChannel(TRecordingSensorWrapper& ch, const TDeviceChannelInfo& c, int index)
{
    ch.DeviceName = DeviceChannelName(c);
    ch.CustomName = c.Name;
    ch.DeviceLoRange = ch.FullLoRange = c.LoRange;
    ch.DeviceHiRange = ch.FullHiRange = c.HiRange;
    ch.SetCurrentRange(c.LoRange, c.HiRange);
    ch.Decimals = DecimalsValid(c.Decimals) ? c.Decimals : 0;
    ch.MeasureUnit = c.Unit;
    ch.Visible = true;
    ch.ColorIndex = index % 10;
    ch.ShowMinMax = false;
    ch.Style = 0;
    ch.Comment.clear();
}

void CheckCounts(std::int64_t channels, std::int64_t records)
{
    if (channels < 1 || channels > TRecording::MaxChannels)
        throw EConstruct("Illegal ChannelCount " + std::to_string(channels));
    if (records < 1 || records > INT32_MAX)
        throw EConstruct("Illegal RecordCount " + std::to_string(records));
}

} // namespace

// ---- recorder ---------------------------------------------------------------

std::int64_t TDeviceRecordingData::RecordWords() const
{
    std::int64_t perChannel = 0;
    for (const auto& c : Channels)
        perChannel += c.DataType == 4 ? 2 : 1;
    return (HasTimeStamps() ? 2 : 0) + (HasStates() ? 1 : 0) + perChannel * (HasMinMax() ? 3 : 1);
}

std::string DeviceFileName(const std::filesystem::path& folder, const std::string& name, std::int32_t number)
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "-%5.5d", number);
    // The number makes the component neither "." nor "..".
    const std::string base = SafeFileName(name + buf);
    std::filesystem::path p = FileInFolder(folder, base + ".vxrf");
    std::error_code ec;
    for (int k = 1; std::filesystem::exists(p, ec); ++k)
        p = FileInFolder(folder, base + "-" + std::to_string(k) + ".vxrf");
    return p.string();
}

void FillFromDevice(TRecording& r, const TDeviceRecordingData& s, bool autoName, const std::string& fileName,
                    const std::filesystem::path& folder)
{
    const std::int64_t channels = static_cast<std::int64_t>(s.Channels.size());
    CheckCounts(channels, static_cast<std::int64_t>(s.RecordCount));
    const std::int64_t words = s.RecordWords() * static_cast<std::int64_t>(s.RecordCount);
    if (static_cast<std::int64_t>(s.Samples.size()) < words)
        throw EConstruct("Illegal Size Received: " + std::to_string(s.Samples.size()) + " sample words, " +
                         std::to_string(words) + " expected");

    r.RecordingSource = 0;
    r.DeviceRecordingName = s.Name;
    r.DeviceRecordingNumber = static_cast<std::int32_t>(s.Number);
    if (autoName) {
        r.FileName = DeviceFileName(folder, s.Name, static_cast<std::int32_t>(s.Number));
        r.NameConfirmed = true;
    } else {
        r.FileName = fileName;
        r.NameConfirmed = !fileName.empty();
    }
    const int type = s.RecordingType();
    r.StartTime = StampToDateTime(s.StartTime);
    r.StopTime = StampToDateTime(s.StopTime);
    r.RecordingType = static_cast<std::uint8_t>(type);
    r.SimpleCurvMode = s.SimpleCurveMode;
    r.SampleRate = s.SampleRate;
    r.ChannelCount = static_cast<std::int32_t>(channels);
    r.RecordCount = static_cast<std::int32_t>(s.RecordCount);
    if (type != 0) {
        r.PreTriggerCount = s.PreTriggerCount;
        r.TriggerTime = StampToDateTime(s.TriggerTime);
        r.TriggerState = s.TriggerState;
    }
    r.Comment = s.Comment;
    r.Description.clear();
    r.Saved = false;
    r.HasMinMaxValues = s.HasMinMax();
    r.HasTimeStamps = s.HasTimeStamps();
    r.HasStates = s.HasStates();
    r.HasSubTimes = false;
    r.CreateChannelObjects();
    r.LeftYAxis = s.LeftYAxis;
    r.XAxisIndex = s.XAxisIndex;
    r.RightYAxis = 0;
    for (int i = 0; i < r.ChannelCount; ++i) {
        auto& ch = r.Channel(i);
        const auto& c = s.Channels[static_cast<std::size_t>(i)];
        DescribeDeviceChannel(ch, c, i);
        ch.Has32BitSize = type == 3 && c.DataType == 4;
    }

    // Record by record; a 32-bit channel (data type 4) takes two words per
    // value, low word first, whatever the recording type.
    std::size_t p = 0;
    auto word = [&]() { return s.Samples[p++]; };
    auto value = [&](bool wide) -> std::int32_t {
        if (!wide)
            return Widen16(word());
        const std::uint32_t lo = word();
        const std::uint32_t hi = word();
        return static_cast<std::int32_t>(lo | (hi << 16));
    };
    for (std::int32_t k = 0; k < r.RecordCount; ++k) {
        const auto ks = static_cast<std::size_t>(k);
        if (r.HasTimeStamps) {
            const std::uint32_t lo = word();
            const std::uint32_t hi = word();
            r.Time->TimeStamps[ks] = static_cast<std::int32_t>(lo | (hi << 16));
        }
        if (r.HasStates)
            r.State->States[ks] = word();
        for (int i = 0; i < r.ChannelCount; ++i) {
            auto& ch = r.Channel(i);
            const bool wide = s.Channels[static_cast<std::size_t>(i)].DataType == 4;
            ch.Values[ks] = value(wide);
            if (r.HasMinMaxValues) {
                ch.MinValues[ks] = value(wide);
                ch.MaxValues[ks] = value(wide);
            }
        }
    }
    // A value beyond the 16-bit range must not be cut when saving.
    r.PromoteWideChannels();
    r.Time->ResetRange();
    r.ShowTableMinMax = 2;
    r.InfoStrings.clear();
    if (type != 0) {
        r.InfoStrings.push_back("@" + text(1146));
        for (int n = 1; n <= 4; ++n)
            r.InfoStrings.push_back(text(1144) + " " + std::to_string(n) + "|" +
                                    s.TriggerTexts[static_cast<std::size_t>(n - 1)]);
        r.InfoStrings.push_back(text(1145) + "|" + s.CombinationText);
    }
}

void FillFromOnline(TRecording& r, const TOnlineRecordingData& s, std::int32_t count)
{
    const std::int64_t channels = static_cast<std::int64_t>(s.Channels.size());
    CheckCounts(channels, count);
    const std::int32_t L = s.BufferLength;
    if (L < 1 || count > L)
        throw EConstruct("Illegal RecordCount " + std::to_string(count) + " for a buffer of " + std::to_string(L));
    if (s.WriteIndex < 0 || s.WriteIndex > L)
        throw EConstruct("Illegal WriteIndex " + std::to_string(s.WriteIndex));
    const bool events = s.RecordingType == 2;
    const auto needRing = [&](const std::vector<std::vector<std::int32_t>>& rings, const char* what) {
        if (rings.size() < static_cast<std::size_t>(channels))
            throw EConstruct(std::string(what) + ": too few channels");
        for (std::int64_t i = 0; i < channels; ++i)
            if (rings[static_cast<std::size_t>(i)].size() < static_cast<std::size_t>(L))
                throw EConstruct(std::string(what) + ": buffer shorter than its length");
    };
    needRing(s.Values, "Values");
    if (events) {
        needRing(s.MinValues, "MinValues");
        needRing(s.MaxValues, "MaxValues");
        if (s.TimeStamps.size() < static_cast<std::size_t>(L) || s.States.size() < static_cast<std::size_t>(L))
            throw EConstruct("TimeStamps: buffer shorter than its length");
    }

    r.RecordingSource = 1;
    r.DeviceRecordingName.clear();
    r.DeviceRecordingNumber = 0;
    r.FileName.clear();
    r.NameConfirmed = false;
    r.StartTime = s.StartTime;
    r.StopTime = s.StopTime;
    r.RecordingType = s.RecordingType;
    r.SimpleCurvMode = s.SimpleCurvMode;
    r.SampleRate = s.SampleRate;
    r.ChannelCount = static_cast<std::int32_t>(channels);
    r.RecordCount = count;
    if (s.RecordingType == 1) {
        r.PreTriggerCount = s.PreTriggerCount;
        r.TriggerState = s.TriggerState;
        r.TriggerTime = s.TriggerTime;
    }
    r.Comment.clear();
    r.Description.clear();
    r.Saved = false;
    r.HasMinMaxValues = r.HasTimeStamps = r.HasStates = events;
    r.HasSubTimes = false;
    r.CreateChannelObjects();
    r.LeftYAxis = s.LeftYAxis;
    r.RightYAxis = s.RightYAxis;
    r.XAxisIndex = s.XAxisIndex;
    for (int i = 0; i < r.ChannelCount; ++i) {
        auto& ch = r.Channel(i);
        DescribeDeviceChannel(ch, s.Channels[static_cast<std::size_t>(i)], i);
        if (static_cast<std::size_t>(i) < s.DisplayRanges.size())
            ch.SetCurrentRange(s.DisplayRanges[static_cast<std::size_t>(i)].first,
                               s.DisplayRanges[static_cast<std::size_t>(i)].second);
    }
    // The last `count` records in time order, wrapping at the buffer end.
    std::int32_t p = s.WriteIndex - count;
    if (p < 0)
        p += L;
    auto fix = [](std::int32_t v) { return v == -32768 ? NoValue : v; };
    for (std::int32_t k = 0; k < count; ++k) {
        const auto ks = static_cast<std::size_t>(k);
        const auto ps = static_cast<std::size_t>(p);
        if (events) {
            r.Time->TimeStamps[ks] = static_cast<std::int32_t>(s.TimeStamps[ps]);
            r.State->States[ks] = s.States[ps];
        }
        for (int i = 0; i < r.ChannelCount; ++i) {
            auto& ch = r.Channel(i);
            const auto is = static_cast<std::size_t>(i);
            ch.Values[ks] = fix(s.Values[is][ps]);
            if (events) {
                ch.MinValues[ks] = fix(s.MinValues[is][ps]);
                ch.MaxValues[ks] = fix(s.MaxValues[is][ps]);
            }
        }
        if (++p == L)
            p = 0;
    }
    r.PromoteWideChannels();
    r.Time->ResetRange();
    r.ShowTableMinMax = 2;
}

// ---- legacy file ------------------------------------------------------------

void FillFromLegacy(TRecording& r, const TLegacyRecording& s)
{
    CheckCounts(s.ChannelCount(), s.RecordCount());
    r.RecordingSource = 2;
    r.DeviceRecordingNumber = s.RecordingNumber();
    r.DeviceRecordingName = s.Name();
    r.Comment = s.Comment();
    r.Description = s.Description();
    r.StartTime = s.StartTime();
    r.StopTime = s.IsEventLog() ? s.StopTime() : 0.0;
    r.TriggerTime = s.IsEventLog() ? 0.0 : s.TriggerTime();
    r.RecordingType = static_cast<std::uint8_t>(s.RecordingType());
    r.SampleRate = s.SampleRate();
    r.ChannelCount = s.ChannelCount();
    r.RecordCount = s.RecordCount();
    r.PreTriggerCount = s.PreTriggerCount();
    r.TriggerState = s.TriggerState();
    r.SimpleCurvMode = 0;
    r.HasMinMaxValues = false;
    r.HasTimeStamps = r.HasStates = s.IsEventLog();
    r.HasSubTimes = false;
    r.LeftYAxis = s.LeftYAxis();
    r.RightYAxis = s.RightYAxis();
    r.XAxisIndex = s.XAxisIndex();
    r.ShowTableMinMax = 1;
    r.Saved = false;
    r.NameConfirmed = false;
    r.CreateChannelObjects();
    for (int i = 0; i < r.ChannelCount; ++i) {
        auto& ch = r.Channel(i);
        const auto& c = s.Channel(i);
        ch.DeviceName = c.DeviceName;
        ch.CustomName = c.CustomName;
        ch.DeviceLoRange = c.DeviceLoRange;
        ch.DeviceHiRange = c.DeviceHiRange;
        ch.FullLoRange = c.FullLoRange;
        ch.FullHiRange = c.FullHiRange;
        ch.SetCurrentRange(c.DisplayLoRange, c.DisplayHiRange);
        ch.Decimals = c.Decimals;
        ch.MeasureUnit = c.MeasureUnit;
        ch.Visible = c.Visible;
        ch.SetColorIndex(c.ColorIndex);
        ch.SetStyle(c.Style);
        ch.ShowMinMax = false;
        ch.Comment.clear();
        std::copy(c.Values.begin(), c.Values.end(), ch.Values.begin());
    }
    if (s.IsEventLog()) {
        for (std::size_t k = 0; k < s.TimeStamps().size(); ++k) {
            r.Time->TimeStamps[k] = static_cast<std::int32_t>(s.TimeStamps()[k]);
            r.State->States[k] = s.States()[k];
        }
    }
    r.Time->ResetRange();
    r.CheckAxes();
}

// ---- text file --------------------------------------------------------------

void FillFromTextFile(TRecording& r, const textimport::TTextFileHandler& s)
{
    CheckCounts(s.ChannelCount(), s.RecordCount());
    if (s.HasTimeStamps() && s.TimeStamps().size() < static_cast<std::size_t>(s.RecordCount()))
        throw EConstruct("TimeStamps: fewer than RecordCount");
    for (const auto& c : s.Sensors())
        if (c.Values.size() < static_cast<std::size_t>(s.RecordCount()) || !DecimalsValid(c.Decimals))
            throw EConstruct("column " + c.Name + ": inconsistent");

    r.RecordingSource = s.RecordingSource();
    r.RecordingType = s.RecordingType();
    r.FileName = s.FileName();
    r.ChannelCount = s.ChannelCount();
    r.HasMinMaxValues = s.HasMinMaxValues();
    r.HasTimeStamps = s.HasTimeStamps();
    r.HasStates = s.HasStates();
    r.HasSubTimes = false;
    r.PreTriggerCount = s.PreTriggerCount();
    r.RecordCount = s.RecordCount();
    r.SampleRate = s.SampleRate();
    r.Comment = s.Comment();
    r.SensorId.clear();
    r.Saved = false;
    r.NameConfirmed = false;
    r.CreateChannelObjects();
    for (int i = 0; i < r.ChannelCount; ++i) {
        auto& ch = r.Channel(i);
        const auto& c = s.Sensors()[static_cast<std::size_t>(i)];
        const int d = c.Decimals;
        ch.Decimals = d;
        ch.DeviceLoRange = ch.FullLoRange = FloatToRaw(c.Minimum, d);
        ch.DeviceHiRange = ch.FullHiRange = FloatToRaw(c.Maximum, d);
        ch.DeviceName = c.Name;
        ch.MeasureUnit = c.Unit;
        ch.Has32BitSize = c.Has32BitSize;
        ch.ResetCurrentRange();
        for (std::int32_t k = 0; k < r.RecordCount; ++k)
            ch.Values[static_cast<std::size_t>(k)] = FloatToRaw(c.Values[static_cast<std::size_t>(k)], d);
        ch.Visible = true;
        ch.SetColorIndex(i);
    }
    if (r.HasTimeStamps)
        std::copy_n(s.TimeStamps().begin(), r.RecordCount, r.Time->TimeStamps.begin());
    r.Time->ResetRange();
    r.XAxisIndex = -1;
    r.LeftYAxis |= 1;
}

// ---- extract ----------------------------------------------------------------

std::unique_ptr<TRecording> ExtractVisibleRange(const TRecording& r)
{
    if (!r.Time || r.RecordCount < 1)
        return nullptr;
    std::vector<int> taken;
    for (int j = 0; j < r.ChannelCount; ++j)
        if (r.Channel(j).Visible || j == r.XAxisIndex)
            taken.push_back(j);
    if (taken.empty())
        return nullptr;
    const std::int32_t first = std::clamp(r.Time->FirstIndex, 0, r.RecordCount - 1);
    const std::int32_t last = std::clamp(r.Time->LastIndex, first, r.RecordCount - 1);

    auto n = std::make_unique<TRecording>();
    n->RecordingSource = r.RecordingSource;
    n->DeviceRecordingName = r.DeviceRecordingName;
    n->DeviceRecordingNumber = r.DeviceRecordingNumber;
    n->StartTime = r.StartTime;
    n->StopTime = r.StopTime;
    n->RecordingType = r.RecordingType;
    n->SimpleCurvMode = r.SimpleCurvMode;
    n->Comment = r.Comment;
    n->Description = r.Description;
    n->TimeShiftActive = r.TimeShiftActive;
    n->ShowTableMinMax = r.ShowTableMinMax;
    n->HasMinMaxValues = r.HasMinMaxValues;
    n->HasStates = r.HasStates;
    n->HasTimeStamps = r.HasTimeStamps;
    n->HasSubTimes = r.HasSubTimes;
    n->SampleRate = r.SampleRate;
    n->TriggerState = r.TriggerState;
    n->TriggerTime = r.TriggerTime;
    n->RecordCount = last - first + 1;
    n->ChannelCount = static_cast<std::int32_t>(taken.size());
    // The trigger stays when its sample is inside the extract, also at either end.
    if (first <= r.PreTriggerCount && r.PreTriggerCount <= last) {
        n->PreTriggerCount = r.PreTriggerCount - first;
    } else {
        n->PreTriggerCount = 0;
        n->TriggerState = 0;
    }
    n->FileName.clear();
    n->Saved = false;
    n->NameConfirmed = false;
    n->CreateChannelObjects();
    const auto f = static_cast<std::size_t>(first);
    const auto count = static_cast<std::size_t>(n->RecordCount);
    if (n->HasTimeStamps) {
        std::copy_n(r.Time->TimeStamps.begin() + static_cast<std::ptrdiff_t>(f), count, n->Time->TimeStamps.begin());
        if (n->Time->SubTimes && r.Time->SubTimes)
            std::copy_n(r.Time->SubTimes->Values.begin() + static_cast<std::ptrdiff_t>(f), count,
                        n->Time->SubTimes->Values.begin());
    }
    n->Time->TimeStampHasDate = r.Time->TimeStampHasDate;
    if (n->HasStates)
        n->State->CopyFrom(*r.State, first);
    n->LeftYAxis = n->RightYAxis = 0;
    n->XAxisIndex = -1;
    for (std::size_t i = 0; i < taken.size(); ++i) {
        const int j = taken[i];
        n->Channel(static_cast<int>(i)).CopyFrom(r.Channel(j), first);
        if (r.LeftYAxis & (1 << j))
            n->LeftYAxis |= 1 << i;
        if (r.RightYAxis & (1 << j))
            n->RightYAxis |= 1 << i;
        if (j == r.XAxisIndex)
            n->XAxisIndex = static_cast<std::int32_t>(i);
    }
    n->Time->ResetRange();
    return n;
}

// ---- time stamps --------------------------------------------------------------

int CheckTimeStamps(TRecording& r)
{
    r.TimeStampFault = 0;
    r.TimeStampFaultIndex = 0;
    if (!r.HasTimeStamps || !r.Time)
        return 0;
    const auto& t = r.Time->TimeStamps;
    const std::int64_t n = std::min<std::int64_t>(r.RecordCount, static_cast<std::int64_t>(t.size()));
    for (std::int64_t i = 0; i + 1 < n; ++i) {
        const std::int64_t a = t[static_cast<std::size_t>(i)];
        const std::int64_t b = t[static_cast<std::size_t>(i + 1)];
        int fault = 0;
        if (b + 345600 < a)
            fault = 1;
        else if (b < a && a < b + 345600)
            fault = 2;
        if (fault != 0) {
            r.TimeStampFault = static_cast<std::uint8_t>(fault);
            r.TimeStampFaultIndex = static_cast<std::int32_t>(i + 1);
            return fault;
        }
    }
    return 0;
}

void RepairTimeStamps(TRecording& r)
{
    if (!r.HasTimeStamps || !r.Time || r.TimeStampFault == 0)
        return;
    const std::int32_t at = r.TimeStampFaultIndex;
    if (at < 1 || at >= r.RecordCount)
        return;
    const auto a = static_cast<std::size_t>(at);
    if (r.TimeStampFault == 1) {
        // Cut at the fault; every array follows so that the model's arrays
        // keep RecordCount elements.
        r.Time->TimeStamps.resize(a);
        if (r.Time->SubTimes)
            r.Time->SubTimes->Values.resize(a);
        for (int i = 0; i < r.ChannelCount; ++i) {
            auto& ch = r.Channel(i);
            ch.Values.resize(a);
            if (r.HasMinMaxValues) {
                ch.MinValues.resize(a);
                ch.MaxValues.resize(a);
            }
        }
        if (r.State)
            r.State->States.resize(a);
        r.RecordCount = at;
    } else {
        auto& t = r.Time->TimeStamps;
        for (std::size_t k = a; k < static_cast<std::size_t>(r.RecordCount); ++k)
            t[k] = t[k - 1] == INT32_MAX ? INT32_MAX : t[k - 1] + 1;
    }
    r.Time->ResetRange();
    r.StopTime = r.Time->GetDateTime(r.RecordCount - 1);
    r.Saved = false;
}

// ---- merge ------------------------------------------------------------------

namespace {

std::int64_t MergedDataSize(const TRecording& r, const TRecording& o)
{
    std::int64_t perRecord = (r.HasTimeStamps ? 4 : 0) + (r.HasStates ? 2 : 0);
    for (int i = 0; i < r.ChannelCount; ++i) {
        const bool wide = r.Channel(i).Has32BitSize || o.Channel(i).Has32BitSize;
        perRecord += (r.HasMinMaxValues ? 3 : 1) * (wide ? 4 : 2);
    }
    return perRecord * (static_cast<std::int64_t>(r.RecordCount) + o.RecordCount);
}

struct TKey {
    std::int32_t Stamp;
    std::int32_t Sub;
    bool operator<(const TKey& k) const { return Stamp != k.Stamp ? Stamp < k.Stamp : Sub < k.Sub; }
    bool operator<=(const TKey& k) const { return !(k < *this); }
};

// Room for `total` elements, grown by half at least, so that appending block
// after block to a growing result costs in proportion to what is appended.
template <class V>
void Reserve(V& v, std::size_t total)
{
    if (v.capacity() < total)
        v.reserve(std::max(total, v.capacity() + v.capacity() / 2));
}

// Inserts n elements at pos, element j being value(j); the room was
// reserved, so nothing here allocates.
template <class V, class F>
void InsertAt(V& v, std::size_t used, std::size_t pos, std::size_t n, F value)
{
    v.resize(used); // a time-stamp repair may have left it longer
    v.insert(v.begin() + static_cast<std::ptrdiff_t>(pos), n, typename V::value_type{});
    for (std::size_t j = 0; j < n; ++j)
        v[pos + j] = value(static_cast<std::int32_t>(j));
}

// The other's samples as one block at position `at`, in place: every array
// is reserved first (the only step that can fail, and it changes no content),
// then the later samples move up and the block fills the gap.
void AppendBlock(TRecording& r, const TRecording& o, std::int32_t at, bool subs, bool otherSubs)
{
    const auto n1 = static_cast<std::size_t>(r.RecordCount);
    const auto n2 = static_cast<std::size_t>(o.RecordCount);
    const auto pos = static_cast<std::size_t>(at);
    const std::size_t total = n1 + n2;
    Reserve(r.Time->TimeStamps, total);
    if (subs)
        Reserve(r.Time->SubTimes->Values, total);
    if (r.HasStates)
        Reserve(r.State->States, total);
    for (int c = 0; c < r.ChannelCount; ++c) {
        auto& ch = r.Channel(c);
        Reserve(ch.Values, total);
        if (r.HasMinMaxValues) {
            Reserve(ch.MinValues, total);
            Reserve(ch.MaxValues, total);
        }
    }

    // Nothing below can fail.
    InsertAt(r.Time->TimeStamps, n1, pos, n2,
             [&](std::int32_t j) { return o.Time->TimeStamps[static_cast<std::size_t>(j)]; });
    if (subs)
        InsertAt(r.Time->SubTimes->Values, n1, pos, n2,
                 [&](std::int32_t j) { return otherSubs ? o.Time->SubTimes->Values[static_cast<std::size_t>(j)] : 0; });
    if (r.HasStates)
        InsertAt(r.State->States, n1, pos, n2,
                 [&](std::int32_t j) { return o.State->States[static_cast<std::size_t>(j)]; });
    for (int c = 0; c < r.ChannelCount; ++c) {
        auto& ch = r.Channel(c);
        const auto& theirs = o.Channel(c);
        InsertAt(ch.Values, n1, pos, n2, [&](std::int32_t j) { return theirs.GetValue(j); });
        if (r.HasMinMaxValues) {
            InsertAt(ch.MinValues, n1, pos, n2, [&](std::int32_t j) { return theirs.GetMinValue(j); });
            InsertAt(ch.MaxValues, n1, pos, n2, [&](std::int32_t j) { return theirs.GetMaxValue(j); });
        }
        ch.Has32BitSize = ch.Has32BitSize || theirs.Has32BitSize;
    }
    // A remark points at a sample by its index: it follows its sample.
    for (auto& remark : r.Remarks)
        if (remark.AnchorIndex >= at && remark.AnchorIndex < r.RecordCount)
            remark.AnchorIndex += o.RecordCount;
}

// Sample by sample by the plan: for each result position the source sample,
// >= 0 this recording's index, < 0 the other's index j as -1 - j. Every new
// array is built first; only then are the old ones replaced.
void Interleave(TRecording& r, const TRecording& o, const std::vector<std::int32_t>& plan, bool subs, bool otherSubs)
{
    const std::size_t total = plan.size();
    auto build = [&](const auto& mine, auto theirs) {
        std::remove_cvref_t<decltype(mine)> out(total);
        for (std::size_t k = 0; k < total; ++k) {
            const std::int32_t p = plan[k];
            out[k] = p >= 0 ? mine[static_cast<std::size_t>(p)] : theirs(-1 - p);
        }
        return out;
    };
    TTimeValues stamps =
        build(r.Time->TimeStamps, [&](std::int32_t j) { return o.Time->TimeStamps[static_cast<std::size_t>(j)]; });
    TSensorValues subTimes;
    if (subs)
        subTimes = build(r.Time->SubTimes->Values, [&](std::int32_t j) {
            return otherSubs ? o.Time->SubTimes->Values[static_cast<std::size_t>(j)] : 0;
        });
    TStateValues states;
    if (r.HasStates)
        states = build(r.State->States, [&](std::int32_t j) { return o.State->States[static_cast<std::size_t>(j)]; });
    struct TChannelArrays {
        TSensorValues Values, Min, Max;
    };
    std::vector<TChannelArrays> channels(static_cast<std::size_t>(r.ChannelCount));
    for (int c = 0; c < r.ChannelCount; ++c) {
        const auto& mine = r.Channel(c);
        const auto& theirs = o.Channel(c);
        auto& out = channels[static_cast<std::size_t>(c)];
        out.Values = build(mine.Values, [&](std::int32_t j) { return theirs.GetValue(j); });
        if (r.HasMinMaxValues) {
            out.Min = build(mine.MinValues, [&](std::int32_t j) { return theirs.GetMinValue(j); });
            out.Max = build(mine.MaxValues, [&](std::int32_t j) { return theirs.GetMaxValue(j); });
        }
    }
    // Where each of this recording's samples goes, for the remarks.
    std::vector<std::int32_t> moved;
    if (!r.Remarks.empty()) {
        moved.resize(static_cast<std::size_t>(r.RecordCount));
        for (std::size_t k = 0; k < total; ++k)
            if (plan[k] >= 0)
                moved[static_cast<std::size_t>(plan[k])] = static_cast<std::int32_t>(k);
    }

    // Nothing below can fail.
    r.Time->TimeStamps = std::move(stamps);
    if (subs)
        r.Time->SubTimes->Values = std::move(subTimes);
    if (r.HasStates)
        r.State->States = std::move(states);
    for (int c = 0; c < r.ChannelCount; ++c) {
        auto& ch = r.Channel(c);
        auto& in = channels[static_cast<std::size_t>(c)];
        ch.Values = std::move(in.Values);
        if (r.HasMinMaxValues) {
            ch.MinValues = std::move(in.Min);
            ch.MaxValues = std::move(in.Max);
        }
        ch.Has32BitSize = ch.Has32BitSize || o.Channel(c).Has32BitSize;
    }
    for (auto& remark : r.Remarks)
        if (remark.AnchorIndex >= 0 && remark.AnchorIndex < r.RecordCount)
            remark.AnchorIndex = moved[static_cast<std::size_t>(remark.AnchorIndex)];
}

} // namespace

int CheckAppend(const TRecording& r, const TRecording& o)
{
    if (!o.HasTimeStamps || !r.HasTimeStamps)
        return 3;
    if (r.ChannelCount != o.ChannelCount)
        return 2;
    if (r.HasStates != o.HasStates)
        return 5;
    if (r.HasMinMaxValues != o.HasMinMaxValues)
        return 4;
    // Raw values of different decimals would be merged off by a power of ten.
    for (int i = 0; i < r.ChannelCount; ++i)
        if (r.Channel(i).Decimals != o.Channel(i).Decimals)
            return 2;
    if (std::max(r.DataSize() + o.DataSize(), MergedDataSize(r, o)) > kMaxMergeBytes)
        return 1;
    return 0;
}

int AppendRecording(TRecording& r, const TRecording& o)
{
    if (const int code = CheckAppend(r, o); code != 0)
        return code;
    const std::int32_t n1 = r.RecordCount;
    const std::int32_t n2 = o.RecordCount;
    if (n2 < 1)
        return 0;
    const bool subs = r.HasSubTimes && r.Time->SubTimes;
    const bool otherSubs = o.HasSubTimes && o.Time->SubTimes;
    auto keyT = [&](std::int32_t i) {
        return TKey{r.Time->TimeStamps[static_cast<std::size_t>(i)],
                    subs ? r.Time->SubTimes->Values[static_cast<std::size_t>(i)] : 0};
    };
    auto keyO = [&](std::int32_t j) {
        return TKey{o.Time->TimeStamps[static_cast<std::size_t>(j)],
                    subs && otherSubs ? o.Time->SubTimes->Values[static_cast<std::size_t>(j)] : 0};
    };

    std::int32_t blockAt = -1;
    if (n1 >= 2) {
        const TKey t0 = keyT(0), tl = keyT(n1 - 1), o0 = keyO(0), ol = keyO(n2 - 1);
        if (t0.Stamp < ol.Stamp) {
            if (o0.Stamp < tl.Stamp) {
                for (std::int32_t i = n1 - 2; i >= 0; --i)
                    if (keyT(i) <= o0 && ol <= keyT(i + 1)) {
                        blockAt = i + 1;
                        break;
                    }
            } else if (tl <= o0) {
                blockAt = n1;
            }
        } else if (ol <= t0) {
            blockAt = 0;
        }
    }
    if (blockAt >= 0) {
        AppendBlock(r, o, blockAt, subs, otherSubs);
    } else {
        // Sample by sample: each of the other's samples (in time order, its own
        // order kept at equal times) goes before the first sample here that is
        // not earlier than it.
        std::vector<std::int32_t> others(static_cast<std::size_t>(n2));
        std::iota(others.begin(), others.end(), 0);
        std::stable_sort(others.begin(), others.end(),
                         [&](std::int32_t a, std::int32_t b) { return keyO(a) < keyO(b); });
        std::vector<std::int32_t> plan;
        plan.reserve(static_cast<std::size_t>(n1) + static_cast<std::size_t>(n2));
        std::int32_t i = 0;
        for (std::int32_t j : others) {
            const TKey k = keyO(j);
            while (i < n1 && keyT(i) < k)
                plan.push_back(i++);
            plan.push_back(-1 - j);
        }
        while (i < n1)
            plan.push_back(i++);
        Interleave(r, o, plan, subs, otherSubs);
    }
    r.RecordCount = n1 + n2;
    if (o.StartTime != 0 && (r.StartTime == 0 || o.StartTime < r.StartTime))
        r.StartTime = o.StartTime;
    r.StopTime = std::max(r.StopTime, o.StopTime);
    r.Saved = false;
    r.Time->ResetRange();
    return 0;
}

} // namespace vro
