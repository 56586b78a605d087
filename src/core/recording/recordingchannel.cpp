#include "core/recording/recording.h"

#include "core/recording/recordingdetail.h"
#include "core/util/largearray.h"

#include <algorithm>

namespace vro {

using namespace recording_detail;

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

} // namespace vro
