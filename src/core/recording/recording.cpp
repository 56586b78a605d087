#include "core/recording/recording.h"

#include "core/text/texts.h"
#include "core/util/largearray.h"
#include "core/util/numeric.h"
#include "core/values/dvxdatautils.h"
#include "core/values/dvxdatetime.h"

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <limits>

namespace vro {

namespace {

constexpr std::int64_t kInt32Min = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();

std::int32_t ClampTo32(std::int64_t v) { return static_cast<std::int32_t>(std::clamp(v, kInt32Min, kInt32Max)); }

// Rounds halves to even and clamps into int32 (NaN gives `nan`).
std::int32_t RoundClamp32(double x, std::int32_t nan = 0)
{
    if (std::isnan(x))
        return nan;
    if (x >= 2147483647.0)
        return INT32_MAX;
    if (x <= -2147483648.0)
        return INT32_MIN;
    return static_cast<std::int32_t>(RoundHalfEven(x));
}

std::int64_t TruncTo64(double x)
{
    if (std::isnan(x))
        return 0;
    return static_cast<std::int64_t>(std::clamp(std::trunc(x), -9.0e18, 9.0e18));
}

std::int64_t Round64(double x)
{
    if (std::isnan(x))
        return 0;
    return static_cast<std::int64_t>(RoundHalfEven(std::clamp(x, -9.0e18, 9.0e18)));
}

// Characters of a UTF-8 text (column widths count characters, not bytes).
int CharCount(const std::string& s)
{
    int n = 0;
    for (unsigned char c : s)
        if ((c & 0xC0) != 0x80)
            ++n;
    return n;
}

// A trimmed field read as an int32; empty when it does not read.
std::optional<std::int32_t> ReadIntField(std::string_view field)
{
    const std::string t = DvxTrim(field);
    std::int64_t v = 0;
    const char* b = t.data();
    const char* e = t.data() + t.size();
    if (b != e && *b == '+')
        ++b;
    auto [p, ec] = std::from_chars(b, e, v);
    if (b == e || ec != std::errc() || p != e || v < kInt32Min || v > kInt32Max)
        return std::nullopt;
    return static_cast<std::int32_t>(v);
}

std::vector<std::string_view> Split(std::string_view text, char sep)
{
    std::vector<std::string_view> out;
    std::size_t s = 0;
    while (true) {
        std::size_t e = text.find(sep, s);
        if (e == std::string_view::npos) {
            out.push_back(text.substr(s));
            return out;
        }
        out.push_back(text.substr(s, e - s));
        s = e + 1;
    }
}

double NowDateTime() { return DvxNow(); }

// Fixed-point text of an int64 value with `decimals` decimals.
std::string FixedText(std::int64_t v, int decimals)
{
    return ConvertDvxFixValueToStr(std::clamp(decimals, 0, 8), true, v);
}

} // namespace

// ---------------------------------------------------------------------------
// View state texts

std::string InsertChannelIntoViewState(const std::string& viewState, const std::string& channelState)
{
    const std::size_t at = viewState.find('@');
    if (at == std::string::npos)
        return viewState + "#" + channelState;
    return viewState.substr(0, at) + "#" + channelState + viewState.substr(at);
}

// ---------------------------------------------------------------------------
// TSnapshotCam

TSnapshot& TSnapshotCam::Add(const std::string& viewState, const std::string& name)
{
    TSnapshot s;
    s.Data = viewState;
    s.Name = name;
    s.DateTime = NowDateTime();
    return Append(std::move(s));
}

TSnapshot& TSnapshotCam::Append(TSnapshot snapshot)
{
    items_.push_back(std::move(snapshot));
    return items_.back();
}

void TSnapshotCam::Delete(int i)
{
    if (i >= 0 && i < Count())
        items_.erase(items_.begin() + i);
}

void TSnapshotCam::Remove(const TSnapshot* snapshot)
{
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (&items_[i] == snapshot) {
            items_.erase(items_.begin() + static_cast<std::ptrdiff_t>(i));
            return;
        }
}

void TSnapshotCam::Move(int from, int to)
{
    if (from < 0 || from >= Count() || to < 0 || to >= Count() || from == to)
        return;
    TSnapshot s = std::move(items_[static_cast<std::size_t>(from)]);
    items_.erase(items_.begin() + from);
    items_.insert(items_.begin() + to, std::move(s));
}

void TSnapshotCam::AppendChannel(const std::string& channelState)
{
    for (auto& s : items_)
        s.Data = InsertChannelIntoViewState(s.Data, channelState);
}

// ---------------------------------------------------------------------------
// THistory

void THistory::Add(const std::string& text)
{
    if (Locked)
        return;
    if (Filled && text == Entries[static_cast<std::size_t>(Position)])
        return;
    if (Position < Last) {
        ++Position;
        for (int i = Position + 1; i <= Last; ++i)
            Entries[static_cast<std::size_t>(i)].clear();
    } else if (Position == Size - 1 && Last == Size - 1) {
        std::move(Entries.begin() + 1, Entries.end(), Entries.begin());
    } else if (Filled) {
        ++Position;
    }
    Entries[static_cast<std::size_t>(Position)] = text;
    Last = Position;
    Filled = true;
}

std::string THistory::Back()
{
    if (Position > 0)
        --Position;
    return Entries[static_cast<std::size_t>(Position)];
}

std::string THistory::Forward()
{
    if (Position < Last)
        ++Position;
    return Entries[static_cast<std::size_t>(Position)];
}

void THistory::Clear()
{
    Position = 0;
    Last = 0;
    Filled = false;
    for (auto& e : Entries)
        e.clear();
}

void THistory::AppendChannel(const std::string& channelState)
{
    if (!Filled)
        return;
    for (int i = 0; i <= Last; ++i)
        Entries[static_cast<std::size_t>(i)] =
            InsertChannelIntoViewState(Entries[static_cast<std::size_t>(i)], channelState);
}

// ---------------------------------------------------------------------------
// TRecordingSensorWrapper

TRecordingSensorWrapper::TRecordingSensorWrapper(TRecording& owner) : TRecordingWrapper(owner)
{
    const auto n = static_cast<std::size_t>(std::max(owner.RecordCount, 0));
    AssignLarge(Values, n);
    if (owner.HasMinMaxValues) {
        AssignLarge(MinValues, n);
        AssignLarge(MaxValues, n);
    }
}

std::string TRecordingSensorWrapper::GetName() const
{
    std::string name = CustomName.empty() ? DeviceName : CustomName;
    return NoOriginalSensor ? "*" + name : name;
}

std::string TRecordingSensorWrapper::GetLongName() const
{
    std::string name = CustomName.empty() ? DeviceName : CustomName + "(" + DeviceName + ")";
    return NoOriginalSensor ? "*" + name : name;
}

std::string TRecordingSensorWrapper::GetUnitText() const
{
    return MeasureUnit.empty() ? std::string() : "[" + MeasureUnit + "]";
}

std::int32_t TRecordingSensorWrapper::ShiftedAt(const TSensorValues& array, std::int32_t i) const
{
    std::int64_t k = i;
    if (TimeShift != 0 && owner_->TimeShiftActive) {
        k -= TimeShift;
        // Bounds come from Values, so min and max follow the values.
        if (k < 0 || k >= static_cast<std::int64_t>(Values.size()))
            return NoValue;
    }
    if (k < 0 || k >= static_cast<std::int64_t>(array.size()))
        return NoValue;
    return array[static_cast<std::size_t>(k)];
}

std::int32_t TRecordingSensorWrapper::GetValue(std::int32_t i) const { return ShiftedAt(Values, i); }
std::int32_t TRecordingSensorWrapper::GetMinValue(std::int32_t i) const { return ShiftedAt(MinValues, i); }
std::int32_t TRecordingSensorWrapper::GetMaxValue(std::int32_t i) const { return ShiftedAt(MaxValues, i); }
std::string TRecordingSensorWrapper::GetValueText(std::int32_t i) const { return RawToText(GetValue(i), Decimals); }
std::string TRecordingSensorWrapper::GetMinValueText(std::int32_t i) const
{
    return RawToText(GetMinValue(i), Decimals);
}
std::string TRecordingSensorWrapper::GetMaxValueText(std::int32_t i) const
{
    return RawToText(GetMaxValue(i), Decimals);
}

void TRecordingSensorWrapper::SetCurrentRange(std::int64_t lo, std::int64_t hi)
{
    if (lo == NoValue || hi == NoValue)
        return;
    constexpr std::int64_t limit = RawLimit;
    // Keep the arithmetic below far from int64 overflow.
    lo = std::clamp<std::int64_t>(lo, -(std::int64_t(1) << 40), std::int64_t(1) << 40);
    hi = std::clamp<std::int64_t>(hi, -(std::int64_t(1) << 40), std::int64_t(1) << 40);
    std::int64_t span = hi - lo;
    if (span > 2 * limit) {
        span = 2 * limit;
        lo = -limit;
    }
    if (span < 10) {
        if (std::int64_t(CurrentHiRange) - CurrentLoRange == 10 && CurrentLoRange >= -limit &&
            CurrentLoRange <= limit - 1 && lo >= CurrentLoRange && lo + span <= CurrentHiRange)
            return;
        span = 10;
    }
    if (lo + span > limit)
        lo = limit - span;
    if (lo < -limit)
        lo = -limit;
    CurrentLoRange = static_cast<std::int32_t>(lo);
    CurrentHiRange = static_cast<std::int32_t>(lo + span);
}

std::pair<std::int32_t, std::int32_t> TRecordingSensorWrapper::GetVisibleMinMax() const
{
    std::int32_t mn = NoValue, mx = NoValue;
    const TRecordingTimeWrapper* time = owner_->Time.get();
    if (!time)
        return {mn, mx};
    const std::int32_t first = std::max(time->FirstIndex, 0);
    const std::int32_t last = std::min(time->LastIndex, owner_->RecordCount - 1);
    const bool direct = TimeShift == 0 || !owner_->TimeShiftActive;
    for (std::int32_t i = first; i <= last; ++i) {
        const std::int32_t v =
            direct && static_cast<std::size_t>(i) < Values.size() ? Values[static_cast<std::size_t>(i)] : GetValue(i);
        if (v == NoValue)
            continue;
        if (mn == NoValue || v < mn)
            mn = v;
        if (mx == NoValue || v > mx)
            mx = v;
    }
    return {mn, mx};
}

namespace {
// The current span as a positive double (a damaged range never divides by 0).
double SafeSpan(std::int32_t lo, std::int32_t hi)
{
    const double span = static_cast<double>(hi) - static_cast<double>(lo);
    return span > 0 ? span : 1.0;
}
} // namespace

double TRecordingSensorWrapper::ValueToRelative(std::int32_t raw) const
{
    if (raw == NoValue)
        return std::numeric_limits<double>::quiet_NaN();
    return (static_cast<double>(raw) - CurrentLoRange) / SafeSpan(CurrentLoRange, CurrentHiRange);
}

std::int32_t TRecordingSensorWrapper::RelativeToValue(double x) const
{
    if (std::isnan(x))
        return NoValue;
    const std::int32_t v = RoundClamp32(CurrentLoRange + x * SafeSpan(CurrentLoRange, CurrentHiRange));
    return v == NoValue ? NoValue + 1 : v;
}

std::int32_t TRecordingSensorWrapper::ScaleValue(std::int32_t raw, std::int32_t a, std::int32_t b) const
{
    if (raw == NoValue)
        return NoValue;
    const double r =
        static_cast<double>(a) + RoundHalfEven((static_cast<double>(raw) - CurrentLoRange) *
                                               (static_cast<double>(b) - a) / SafeSpan(CurrentLoRange, CurrentHiRange));
    const std::int32_t v = RoundClamp32(r);
    return v == NoValue ? NoValue + 1 : v;
}

std::string TRecordingSensorWrapper::RelativeToText(double x) const { return RawToText(RelativeToValue(x), Decimals); }

std::string TRecordingSensorWrapper::RelativeSpanToText(double x) const
{
    const std::int32_t v = RoundClamp32(x * SafeSpan(CurrentLoRange, CurrentHiRange), NoValue);
    return RawToText(v, Decimals);
}

void TRecordingSensorWrapper::SetColorIndex(std::int32_t n) { ColorIndex = ((n % 10) + 10) % 10; }

void TRecordingSensorWrapper::SetStyle(std::int32_t n) { Style = (n >= 0 && n < 3) ? n : 0; }

void TRecordingSensorWrapper::SetTimeShift(std::int32_t n)
{
    TimeShift = n;
    owner_->Saved = false;
}

void TRecordingSensorWrapper::CopyFrom(const TRecordingSensorWrapper& source, std::int32_t first)
{
    Has32BitSize = source.Has32BitSize;
    DeviceName = source.DeviceName;
    CustomName = source.CustomName;
    MeasureUnit = source.MeasureUnit;
    Comment = source.Comment;
    DeviceLoRange = source.DeviceLoRange;
    DeviceHiRange = source.DeviceHiRange;
    FullLoRange = source.FullLoRange;
    FullHiRange = source.FullHiRange;
    CurrentLoRange = source.CurrentLoRange;
    CurrentHiRange = source.CurrentHiRange;
    Decimals = source.Decimals;
    Style = source.Style;
    ColorIndex = source.ColorIndex;
    ShowMinMax = source.ShowMinMax;
    TimeShift = source.TimeShift;
    NoOriginalSensor = source.NoOriginalSensor;
    Visible = true;

    const auto n = static_cast<std::size_t>(std::max(owner_->RecordCount, 0));
    auto copy = [&](TSensorValues& dest, const TSensorValues& src) {
        AssignLarge(dest, n, NoValue);
        if (first < 0) {
            for (std::size_t k = 0; k < n; ++k) {
                const std::int64_t j = static_cast<std::int64_t>(first) + static_cast<std::int64_t>(k);
                if (j >= 0 && j < static_cast<std::int64_t>(src.size()))
                    dest[k] = src[static_cast<std::size_t>(j)];
            }
            return;
        }
        const auto f = static_cast<std::size_t>(first);
        if (f < src.size())
            std::copy_n(src.begin() + static_cast<std::ptrdiff_t>(f), std::min(n, src.size() - f), dest.begin());
    };
    copy(Values, source.Values);
    if (owner_->HasMinMaxValues) {
        copy(MinValues, source.MinValues);
        copy(MaxValues, source.MaxValues);
    } else {
        MinValues.clear();
        MaxValues.clear();
    }
}

std::string TRecordingSensorWrapper::GetViewState() const
{
    return std::to_string(Visible ? 1 : 0) + "|" + std::to_string(CurrentLoRange) + "|" +
           std::to_string(CurrentHiRange) + "|" + std::to_string(Style) + "|" + std::to_string(ColorIndex) + "|" +
           std::to_string(ShowMinMax ? 1 : 0) + "|" + std::to_string(TimeShift);
}

void TRecordingSensorWrapper::SetViewState(const std::string& text, int index)
{
    const auto f = Split(text, '|');
    auto field = [&](std::size_t i) -> std::optional<std::int32_t> {
        return i < f.size() ? ReadIntField(f[i]) : std::nullopt;
    };
    Visible = field(0).value_or(1) != 0;
    // A range is taken directly only when it is a real range; a damaged text
    // (from a file) must not break the span invariant.
    const auto lo = field(1), hi = field(2);
    auto usable = [](std::int32_t l, std::int32_t h) { return l != NoValue && h != NoValue && l < h; };
    if (lo && hi && usable(*lo, *hi)) {
        CurrentLoRange = *lo;
        CurrentHiRange = *hi;
    } else if (usable(FullLoRange, FullHiRange)) {
        CurrentLoRange = FullLoRange;
        CurrentHiRange = FullHiRange;
    } else {
        SetCurrentRange(FullLoRange, FullHiRange);
        if (CurrentLoRange >= CurrentHiRange) {
            CurrentLoRange = 0;
            CurrentHiRange = 100;
        }
    }
    SetStyle(field(3).value_or(0));
    SetColorIndex(field(4).value_or(index));
    ShowMinMax = field(5).value_or(0) != 0;
    SetTimeShift(field(6).value_or(0));
}

int TRecordingSensorWrapper::GetTextLength(bool header, const std::string& prefix) const
{
    int n = 7;
    if (header)
        n = std::max({n, CharCount(prefix + GetName()), CharCount(GetUnitText())});
    return n;
}

int TRecordingSensorWrapper::GetTextWidth(bool header, const std::string& prefix, const TTextMeasure& measure) const
{
    int w = std::max(measure(RawToText(FullLoRange, Decimals)), measure(RawToText(FullHiRange, Decimals)));
    if (header)
        w = std::max({w, measure(prefix + GetName()), measure(GetUnitText())});
    return w;
}

// ---------------------------------------------------------------------------
// TRecordingTimeWrapper

TRecordingTimeWrapper::TRecordingTimeWrapper(TRecording& owner) : TRecordingWrapper(owner)
{
    const auto n = static_cast<std::size_t>(std::max(owner.RecordCount, 0));
    auto unknown = [&] {
        TimeUnit = text(154);
        TimeStep = 1;
        TimeDecimals = 0;
    };
    if (owner.HasTimeStamps) {
        AssignLarge(TimeStamps, n);
        TimeUnit.clear();
        TimeStep = 1;
        TimeDecimals = 0;
        if (owner.HasSubTimes) {
            SubTimes = std::make_unique<TRecordingSensorWrapper>(owner);
            SubTimes->DeviceName = "Unknown";
            SubTimes->MinValues.clear();
            SubTimes->MaxValues.clear();
        }
    } else if (owner.RecordingSource == 4 || owner.RecordingSource == 5) {
        // SampleRate is the interval itself in 0.1 ms: the first row from the
        // end whose interval divides it (row 0 divides everything).
        if (owner.SampleRate <= 0) {
            unknown();
        } else {
            const auto rows = TVro8SampleData::Rows();
            for (int r = TVro8SampleData::Count - 1; r >= 0; --r) {
                const auto& row = rows[static_cast<std::size_t>(r)];
                if (owner.SampleRate % row.Interval == 0) {
                    TimeUnit = row.TimeUnit;
                    TimeStep = owner.SampleRate / row.Interval * row.TimeStep;
                    TimeDecimals = row.TimeDecimals;
                    break;
                }
            }
        }
    } else if (!TVro8SampleData::Valid(owner.SampleRate)) {
        // Negative (unknown) or a row the table does not have.
        unknown();
    } else {
        const auto& row = TVro8SampleData::Row(owner.SampleRate);
        TimeUnit = row.TimeUnit;
        TimeStep = row.TimeStep;
        TimeDecimals = row.TimeDecimals;
    }
    FirstIndex = 0;
    LastIndex = owner.RecordCount - 1;
    TimeStampHasDate = true;
}

std::string TRecordingTimeWrapper::GetTitle() const { return text(149); }

std::string TRecordingTimeWrapper::GetUnitText() const
{
    return TimeUnit.empty() ? std::string() : "[" + TimeUnit + "]";
}

std::int32_t TRecordingTimeWrapper::GetTime(std::int32_t i) const
{
    if (!owner_->HasTimeStamps)
        return i;
    const std::int64_t n = std::min<std::int64_t>(owner_->RecordCount, static_cast<std::int64_t>(TimeStamps.size()));
    if (n <= 0)
        return 0;
    const std::int64_t k = std::clamp<std::int64_t>(i, 0, n - 1);
    return TimeStamps[static_cast<std::size_t>(k)];
}

double TRecordingTimeWrapper::GetDateTime(std::int32_t i) const
{
    if (!owner_->HasTimeStamps)
        return 0.0;
    return StampToDateTime(static_cast<std::uint32_t>(GetTime(i)));
}

double TRecordingTimeWrapper::TimeToValue(std::int32_t t) const
{
    if (owner_->HasTimeStamps)
        return t;
    const int d = std::clamp(TimeDecimals, 0, 8);
    return (static_cast<double>(t) - owner_->PreTriggerCount) * TimeStep / static_cast<double>(Vro8Factor[d]);
}

namespace {
bool RelativeStamps(const TRecording& r)
{
    return r.HasTimeStamps && r.Time && !r.Time->TimeStamps.empty() && r.Time->TimeStamps[0] == 0;
}

std::string ThreeDigits(std::int64_t v)
{
    v = std::clamp<std::int64_t>(v, 0, 999);
    std::string s = std::to_string(v);
    return std::string(3 - s.size(), '0') + s;
}
} // namespace

std::string TRecordingTimeWrapper::TimeToText(std::int32_t t) const
{
    if (!owner_->HasTimeStamps)
        return FixedText((static_cast<std::int64_t>(t) - owner_->PreTriggerCount) * TimeStep, TimeDecimals);
    if (RelativeStamps(*owner_))
        return DvxTimeSpanToStr(t);
    const double dt = StampToDateTime(static_cast<std::uint32_t>(t));
    return TimeStampHasDate ? DvxDateTimeToText(dt) : DvxTimeToText(dt);
}

std::int32_t TRecordingTimeWrapper::SubTimeAt(std::int32_t i) const
{
    if (!SubTimes || i < 0 || static_cast<std::size_t>(i) >= SubTimes->Values.size())
        return 0;
    return SubTimes->Values[static_cast<std::size_t>(i)];
}

std::string TRecordingTimeWrapper::IndexToText(std::int32_t i) const
{
    std::string s = TimeToText(GetTime(i));
    if (SubTimes)
        s += "," + ThreeDigits(SubTimeAt(i) / 10);
    return s;
}

std::int64_t TRecordingTimeWrapper::WindowSpan() const { return std::int64_t(HiRange) - LoRange; }

double TRecordingTimeWrapper::TimeToRelative(std::int32_t t) const
{
    const double span = static_cast<double>(WindowSpan());
    return (static_cast<double>(t) - LoRange) / (span != 0 ? span : 1.0);
}

std::int32_t TRecordingTimeWrapper::RelativeToTime(double x) const
{
    const double v = x * static_cast<double>(WindowSpan());
    return ClampTo32(LoRange + (SubTimes ? TruncTo64(v) : Round64(v)));
}

std::int32_t TRecordingTimeWrapper::RelativeToIndex(double x) const
{
    const std::int32_t t = RelativeToTime(x);
    std::int32_t i = IndexOfTime(t);
    if (SubTimes && owner_->HasTimeStamps && GetTime(i) == t) {
        const double v = x * static_cast<double>(WindowSpan());
        const std::int64_t f = Round64((v - std::trunc(v)) * 10000.0);
        std::int32_t best = i;
        for (std::int32_t k = i; k < owner_->RecordCount && GetTime(k) == t; ++k)
            if (SubTimeAt(k) <= f)
                best = k;
        i = best;
    }
    return i;
}

std::string TRecordingTimeWrapper::RelativeToText(double x) const
{
    const double v = x * static_cast<double>(WindowSpan());
    if (!owner_->HasTimeStamps) {
        const double t = (static_cast<double>(LoRange) + v - owner_->PreTriggerCount) * TimeStep;
        return FixedText(Round64(t), TimeDecimals);
    }
    if (!SubTimes)
        return TimeToText(ClampTo32(LoRange + Round64(v)));
    // With sub-times: the sample under the position, the time rounded.
    const std::int32_t t = ClampTo32(LoRange + Round64(v));
    std::int32_t i = IndexOfTime(t);
    if (GetTime(i) == t) {
        const std::int64_t f = Round64((v - std::trunc(v)) * 10000.0);
        std::int32_t best = i;
        for (std::int32_t k = i; k < owner_->RecordCount && GetTime(k) == t; ++k)
            if (SubTimeAt(k) <= f)
                best = k;
        i = best;
    }
    return IndexToText(i);
}

std::string TRecordingTimeWrapper::RelativeSpanToText(double x) const
{
    const double v = x * static_cast<double>(WindowSpan());
    const std::int64_t b = SubTimes ? TruncTo64(v) : Round64(v);
    if (!owner_->HasTimeStamps)
        return FixedText(b * TimeStep, TimeDecimals);
    if (RelativeStamps(*owner_))
        return DvxTimeSpanToStr(b);
    const bool negative = b < 0;
    const std::int64_t a = negative ? -b : b;
    std::string s;
    if (a > 86400)
        s = std::to_string(a / 86400) + "d ";
    s += DvxTimeToText(static_cast<double>(a % 86400) / 86400.0);
    if (SubTimes) {
        const double frac = std::fabs(v - std::trunc(v));
        s += "," + ThreeDigits(std::min<std::int64_t>(Round64(frac * 1000.0), 999));
    }
    return negative ? "-" + s : s;
}

std::int32_t TRecordingTimeWrapper::IndexToPosition(std::int32_t i, std::int32_t a, std::int32_t b) const
{
    std::int64_t span = WindowSpan();
    span = std::max<std::int64_t>(span, SubTimes ? 1 : 10);
    const double width = static_cast<double>(b) - a;
    double pos;
    if (!owner_->HasTimeStamps) {
        pos = a + RoundHalfEven(width * (static_cast<double>(i) - FirstIndex) / static_cast<double>(span));
    } else {
        pos = a + RoundHalfEven(width * (static_cast<double>(GetTime(i)) - LoRange) / static_cast<double>(span));
        if (SubTimes)
            pos += RoundHalfEven(width * SubTimeAt(i) / (static_cast<double>(span) * 10000.0));
    }
    return RoundClamp32(pos);
}

std::int32_t TRecordingTimeWrapper::SearchIndex(std::int32_t t, bool upper) const
{
    const std::int64_t n = std::min<std::int64_t>(owner_->RecordCount, static_cast<std::int64_t>(TimeStamps.size()));
    if (n <= 0)
        return 0;
    std::int64_t lo = 0, hi = n - 1;
    while (hi >= lo) {
        const std::int64_t mid = (lo + hi) / 2;
        const std::int32_t s = TimeStamps[static_cast<std::size_t>(mid)];
        if (t == s) {
            std::int64_t k = mid;
            if (upper)
                while (k + 1 < n && TimeStamps[static_cast<std::size_t>(k + 1)] == t)
                    ++k;
            else
                while (k > 0 && TimeStamps[static_cast<std::size_t>(k - 1)] == t)
                    --k;
            return static_cast<std::int32_t>(k);
        }
        if (t < s)
            hi = mid - 1;
        else
            lo = mid + 1;
    }
    if (hi < 0)
        return 0;
    if (lo <= n - 1)
        return static_cast<std::int32_t>(upper ? lo : hi);
    return static_cast<std::int32_t>(n - 1);
}

std::int32_t TRecordingTimeWrapper::IndexOfTime(std::int32_t t) const
{
    if (owner_->HasTimeStamps)
        return SearchIndex(t, false);
    return std::clamp(t, 0, std::max(owner_->RecordCount - 1, 0));
}

std::int32_t TRecordingTimeWrapper::SetRange(std::int64_t lo, std::int64_t hi)
{
    const std::int32_t count = owner_->RecordCount;
    const bool stamps = owner_->HasTimeStamps;
    const std::int64_t first = count > 0 ? GetTime(0) : 0;
    std::int64_t last = count > 0 ? GetTime(count - 1) : 0;
    if (!stamps && count > 0 && count % 5 == 0)
        last = count;
    std::int64_t span = hi - lo;
    if (last - first < span) {
        span = last - first;
        lo = first;
    }
    if (!SubTimes) {
        if (span < 10) {
            if (WindowSpan() == 10 && first <= LoRange && LoRange < last && lo >= LoRange && lo + span <= HiRange)
                return LastIndex;
            span = 10;
        }
    } else if (span <= 0) {
        span = 1;
    }
    if (lo + span > last)
        lo = last - span;
    if (lo < first)
        lo = first;
    LoRange = ClampTo32(lo);
    HiRange = ClampTo32(lo + span);
    if (stamps) {
        FirstIndex = SearchIndex(LoRange, false);
        LastIndex = SearchIndex(HiRange, true);
    } else {
        const std::int32_t maxIndex = std::max(count - 1, 0);
        FirstIndex = std::clamp(LoRange, 0, maxIndex);
        LastIndex = std::clamp(HiRange, 0, maxIndex);
    }
    return LastIndex;
}

void TRecordingTimeWrapper::ResetRange()
{
    const std::int32_t count = owner_->RecordCount;
    SetRange(GetTime(0), owner_->HasTimeStamps ? GetTime(count) : count);
}

std::int32_t TRecordingTimeWrapper::ParseTime(const std::string& textIn) const
{
    if (!owner_->HasTimeStamps) {
        const double v = StrToFloatEx(textIn);
        const int d = std::clamp(TimeDecimals, 0, 8);
        const double t = v * Vro8Factor[d] / (TimeStep != 0 ? TimeStep : 1);
        const auto r = RoundToInt<std::int32_t>(t);
        if (!r)
            throw EDvxValueError(textIn + " is an illegal Integer Value");
        return ClampTo32(static_cast<std::int64_t>(*r) + owner_->PreTriggerCount);
    }
    if (RelativeStamps(*owner_))
        return ConvertStrToDvxTimeSpan(textIn);
    if (TimeStampHasDate)
        return ConvertStrToDvxDateTime(textIn);
    const std::int64_t midnight = DvxDatePart(static_cast<std::uint32_t>(GetTime(FirstIndex)));
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(midnight + ConvertStrToDvxTime(textIn)));
}

std::string TRecordingTimeWrapper::GetSampleIntervalText() const
{
    if (owner_->RecordingType > 2) {
        const int d = std::clamp(TimeDecimals, 0, 8);
        std::string s = ConvertDvxFixValueToStr(d, false, TimeStep);
        return s + " " + TimeUnit;
    }
    if (!TVro8SampleData::Valid(owner_->SampleRate))
        return text(154);
    return TVro8SampleData::Row(owner_->SampleRate).Label;
}

std::string TRecordingTimeWrapper::GetDurationText() const
{
    if (owner_->HasTimeStamps)
        return {};
    return FixedText(static_cast<std::int64_t>(owner_->RecordCount) * TimeStep, TimeDecimals);
}

std::string TRecordingTimeWrapper::GetOffsetText(std::int32_t count) const
{
    if (owner_->HasTimeStamps)
        throw std::logic_error("GetOffsetText called on a recording with time stamps");
    return FixedText(static_cast<std::int64_t>(count) * TimeStep, TimeDecimals);
}

int TRecordingTimeWrapper::GetTextLength(bool header, const std::string& prefix) const
{
    const std::string tail = SubTimes ? ",999" : "";
    int n = std::max(CharCount(TimeToText(HiRange) + tail), CharCount(TimeToText(LoRange) + (SubTimes ? ",000" : "")));
    if (header)
        n = std::max({n, CharCount(prefix + GetTitle()), CharCount(GetUnitText())});
    return n;
}

int TRecordingTimeWrapper::GetTextWidth(bool header, const std::string& prefix, const TTextMeasure& measure) const
{
    int w = std::max(measure(TimeToText(HiRange) + (SubTimes ? ",999" : "")),
                     measure(TimeToText(LoRange) + (SubTimes ? ",000" : "")));
    if (header)
        w = std::max({w, measure(prefix + GetTitle()), measure(GetUnitText())});
    return w;
}

// ---------------------------------------------------------------------------
// TRecordingStateWrapper

TRecordingStateWrapper::TRecordingStateWrapper(TRecording& owner) : TRecordingWrapper(owner)
{
    AssignLarge(States, static_cast<std::size_t>(std::max(owner.RecordCount, 0)));
}

std::string TRecordingStateWrapper::GetTitle() const { return text(148); }

std::string TRecordingStateWrapper::GetStateText(std::int32_t i) const
{
    if (i < 0 || static_cast<std::size_t>(i) >= States.size())
        return "-";
    const std::uint16_t state = States[static_cast<std::size_t>(i)];
    std::string s;
    if (owner_->RecordingType == 3 || owner_->RecordingType == 4) {
        s = FormatBitGroups(state, StateCodeId);
    } else if (owner_->RecordingSource == 2) {
        static const char* const names[] = {"MAN", "Tr1", "Tr2", "T12", "MIN", "MAX", "TAS"};
        if (state < 7)
            s = names[state];
    } else {
        for (int b = 0; b < 4; ++b)
            if (state & (1u << b)) {
                if (!s.empty())
                    s += ", ";
                s += "T" + std::to_string(b + 1);
            }
    }
    return s.empty() ? "-" : s;
}

void TRecordingStateWrapper::InsertState(std::int32_t index, std::uint16_t state)
{
    const auto at =
        static_cast<std::size_t>(std::clamp<std::int64_t>(index, 0, static_cast<std::int64_t>(States.size())));
    States.insert(States.begin() + static_cast<std::ptrdiff_t>(at), state);
}

void TRecordingStateWrapper::InsertStates(const TRecordingStateWrapper& other, std::int32_t index)
{
    const auto at =
        static_cast<std::size_t>(std::clamp<std::int64_t>(index, 0, static_cast<std::int64_t>(States.size())));
    const TStateValues copy = other.States; // other may be this object
    States.insert(States.begin() + static_cast<std::ptrdiff_t>(at), copy.begin(), copy.end());
}

void TRecordingStateWrapper::CopyFrom(const TRecordingStateWrapper& other, std::int32_t first)
{
    StateCodeId = other.StateCodeId;
    const auto n = static_cast<std::size_t>(std::max(owner_->RecordCount, 0));
    TStateValues out(n, 0);
    for (std::size_t k = 0; k < n; ++k) {
        const std::int64_t j = static_cast<std::int64_t>(first) + static_cast<std::int64_t>(k);
        if (j >= 0 && j < static_cast<std::int64_t>(other.States.size()))
            out[k] = other.States[static_cast<std::size_t>(j)];
    }
    States = std::move(out);
}

void TRecordingStateWrapper::Grow(std::int32_t n)
{
    if (n > 0)
        States.resize(States.size() + static_cast<std::size_t>(n), 0);
}

namespace {
std::string WidestStateText(const TRecording& r, std::int32_t codeId)
{
    if (r.RecordingType == 3 || r.RecordingType == 4)
        return FormatBitGroups(65535, codeId);
    return r.RecordingSource == 2 ? "WWW" : "T1, T2, T3, T4";
}
} // namespace

int TRecordingStateWrapper::GetTextLength(bool header, const std::string& prefix) const
{
    int n = CharCount(WidestStateText(*owner_, StateCodeId));
    if (header)
        n = std::max(n, CharCount(prefix + GetTitle()));
    return n;
}

int TRecordingStateWrapper::GetTextWidth(bool header, const std::string& prefix, const TTextMeasure& measure) const
{
    int w = measure(WidestStateText(*owner_, StateCodeId));
    if (header)
        w = std::max(w, measure(prefix + GetTitle()));
    return w;
}

// ---------------------------------------------------------------------------
// TRecording

TRecording::TRecording() = default;
TRecording::~TRecording() = default;

TRecordingSensorWrapper& TRecording::Channel(int i) const
{
    if (i < 0 || i >= ChannelCount || i >= MaxChannels || !Channels[static_cast<std::size_t>(i)])
        throw std::out_of_range("channel " + std::to_string(i) + " does not exist");
    return *Channels[static_cast<std::size_t>(i)];
}

void TRecording::CreateChannelObjects()
{
    if (ChannelCount < 0 || ChannelCount > MaxChannels)
        throw ERecording("Illegal ChannelCount " + std::to_string(ChannelCount));
    if (RecordCount < 0)
        throw ERecording("Illegal RecordSize " + std::to_string(RecordCount));
    if (HasSubTimes && !HasTimeStamps)
        throw ERecording("Sub-times without time stamps");
    for (auto& c : Channels)
        c.reset();
    Time.reset();
    State.reset();
    for (int i = 0; i < ChannelCount; ++i)
        Channels[static_cast<std::size_t>(i)] = std::make_unique<TRecordingSensorWrapper>(*this);
    Time = std::make_unique<TRecordingTimeWrapper>(*this);
    if (HasStates)
        State = std::make_unique<TRecordingStateWrapper>(*this);
}

std::string TRecording::GetName() const { return std::filesystem::path(FileName).stem().string(); }

std::string TRecording::GetRelativeFileName() const
{
    if (FileName.empty())
        return {};
    std::error_code ec;
    const auto cwd = std::filesystem::current_path(ec);
    if (ec)
        return FileName;
    const auto rel = std::filesystem::path(FileName).lexically_relative(cwd);
    return rel.empty() ? FileName : rel.string();
}

std::string TRecording::GetDisplayFileName() const { return RecordingSource == 5 ? "*" + FileName : FileName; }

std::string TRecording::GetVersion() const
{
    if (RecordingSource == 5)
        return "PELLOVIS_V03_E01";
    bool wide = RecordingSource == 4;
    for (int i = 0; i < ChannelCount && !wide; ++i)
        wide = Channels[static_cast<std::size_t>(i)] && Channels[static_cast<std::size_t>(i)]->Has32BitSize;
    return wide ? "VROWIN_V02_E02" : "VROWIN_V02_E01";
}

bool TRecording::IsKnownVersion(const std::string& version)
{
    return version == "VROWIN_V02_E01" || version == "VROWIN_V02_E02" || version == "PELLOVIS_V03_E01";
}

bool TRecording::DeleteChannel(int index)
{
    if (index < 0 || index >= ChannelCount || ChannelCount < 2)
        return false;
    for (int i = index; i < ChannelCount - 1; ++i)
        Channels[static_cast<std::size_t>(i)] = std::move(Channels[static_cast<std::size_t>(i + 1)]);
    Channels[static_cast<std::size_t>(ChannelCount - 1)].reset();
    for (int r = static_cast<int>(Remarks.size()) - 1; r >= 0; --r) {
        TRemarkData& m = Remarks[static_cast<std::size_t>(r)];
        if (!m.IsAnchored)
            continue;
        if (m.AnchorChannel == index)
            Remarks.erase(Remarks.begin() + r);
        else if (m.AnchorChannel > index)
            --m.AnchorChannel;
    }
    // The axis bit sets follow the channels: bit `index` goes, the higher
    // bits move down one place.
    auto dropBit = [index](std::int32_t set) {
        const auto u = static_cast<std::uint32_t>(set);
        const std::uint32_t low = index == 0 ? 0u : (u & ((1u << index) - 1u));
        const std::uint32_t high = index >= 31 ? 0u : ((u >> (index + 1)) << index);
        return static_cast<std::int32_t>(low | high);
    };
    LeftYAxis = dropBit(LeftYAxis);
    RightYAxis = dropBit(RightYAxis);
    if (XAxisIndex == index)
        XAxisIndex = -1;
    else if (XAxisIndex > index)
        --XAxisIndex;
    --ChannelCount;
    SnapshotCamera.Clear();
    History.Clear();
    Saved = false;
    return true;
}

void TRecording::AppendChannelToViews()
{
    if (ChannelCount < 1)
        return;
    TRecordingSensorWrapper& c = Channel(ChannelCount - 1);
    const bool visible = c.Visible;
    c.Visible = false;
    const std::string state = c.GetViewState();
    c.Visible = visible;
    SnapshotCamera.AppendChannel(state);
    History.AppendChannel(state);
}

void TRecording::CheckAxes()
{
    if (XAxisIndex >= ChannelCount || XAxisIndex < -1)
        XAxisIndex = -1;
    if (XAxisIndex >= 0 && !Channel(XAxisIndex).Visible)
        XAxisIndex = -1;
    if (ChannelCount < 1)
        return;
    bool other = false;
    for (int i = 0; i < ChannelCount && !other; ++i)
        other = i != XAxisIndex && Channel(i).Visible;
    if (!other) {
        if (XAxisIndex < 0)
            Channel(0).Visible = true;
        else
            XAxisIndex = -1;
    }
}

std::string TRecording::GetViewState() const
{
    std::string s = std::to_string(SequenceNumber);
    for (std::int64_t v :
         {std::int64_t(Time ? Time->LoRange : 0), std::int64_t(Time ? Time->HiRange : 0), std::int64_t(XAxisIndex),
          std::int64_t(LeftYAxis), std::int64_t(RightYAxis), std::int64_t(ShowTableMinMax)})
        s.append("|").append(std::to_string(v));
    for (int i = 0; i < ChannelCount; ++i)
        s.append("#").append(Channel(i).GetViewState());
    s += "@";
    bool firstId = true;
    for (const auto& r : Remarks)
        if (r.Visible && r.RemarkId != 0) {
            if (!firstId)
                s += "|";
            s += std::to_string(r.RemarkId);
            firstId = false;
        }
    return s;
}

void TRecording::SetViewState(const std::string& text)
{
    const std::size_t at = text.find('@');
    const std::string_view head = std::string_view(text).substr(0, at);
    const auto parts = Split(head, '#');
    const auto general = Split(parts[0], '|');
    auto field = [&](std::size_t i) -> std::optional<std::int32_t> {
        return i < general.size() ? ReadIntField(general[i]) : std::nullopt;
    };
    if (Time)
        Time->SetRange(field(1).value_or(0), field(2).value_or(2147483647));
    XAxisIndex = field(3).value_or(-1);
    LeftYAxis = field(4).value_or(-1);
    RightYAxis = field(5).value_or(-1);
    const std::int32_t tableMinMax = field(6).value_or(-1);
    ShowTableMinMax = static_cast<std::uint8_t>(tableMinMax >= 0 && tableMinMax <= 2 ? tableMinMax : 0);
    for (int i = 0; i < ChannelCount; ++i) {
        const std::size_t k = static_cast<std::size_t>(i) + 1;
        Channel(i).SetViewState(k < parts.size() ? std::string(parts[k]) : std::string(), i);
    }
    if (at != std::string::npos) {
        for (auto& r : Remarks)
            r.Visible = r.RemarkId == 0;
        for (auto id : Split(std::string_view(text).substr(at + 1), '|'))
            if (auto v = ReadIntField(id)) {
                const int idx = FindRemark(*v);
                if (idx >= 0)
                    Remarks[static_cast<std::size_t>(idx)].Visible = true;
            }
    }
    Saved = false;
    CheckAxes();
}

std::int64_t TRecording::DataSize() const
{
    std::int64_t perSample = 0;
    for (int i = 0; i < ChannelCount; ++i)
        perSample += (HasMinMaxValues ? 3 : 1) * (Channel(i).Has32BitSize ? 4 : 2);
    if (HasTimeStamps)
        perSample += 4;
    if (HasStates)
        perSample += 2;
    return perSample * std::max<std::int64_t>(RecordCount, 0);
}

int TRecording::FindRemark(std::int32_t remarkId) const
{
    for (std::size_t i = 0; i < Remarks.size(); ++i)
        if (Remarks[i].RemarkId == remarkId)
            return static_cast<int>(i);
    return -1;
}

void TRecording::DeleteRemark(int index)
{
    if (index < 0 || index >= static_cast<int>(Remarks.size()))
        return;
    Remarks.erase(Remarks.begin() + index);
    Saved = false;
}

bool TRecording::HasAnchorChannel(const TRemarkData& remark) const
{
    return remark.AnchorChannel >= 0 && remark.AnchorChannel < ChannelCount &&
           Channels[static_cast<std::size_t>(remark.AnchorChannel)] != nullptr;
}

std::int32_t TRecording::GetRemarkIndex(const TRemarkData& remark) const
{
    if (TimeShiftActive && remark.AnchorIndex >= 0 && HasAnchorChannel(remark))
        return ClampTo32(std::int64_t(remark.AnchorIndex) + Channel(remark.AnchorChannel).TimeShift);
    return remark.AnchorIndex;
}

void TRecording::SetRemarkIndex(std::int32_t index, TRemarkData& remark) const
{
    if (TimeShiftActive && index >= 0 && HasAnchorChannel(remark))
        remark.AnchorIndex = ClampTo32(std::int64_t(index) - Channel(remark.AnchorChannel).TimeShift);
    else
        remark.AnchorIndex = index;
}

} // namespace vro
