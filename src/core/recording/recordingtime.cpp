#include "core/recording/recording.h"

#include "core/recording/recordingdetail.h"
#include "core/text/texts.h"
#include "core/util/largearray.h"
#include "core/values/dvxdatetime.h"

#include <algorithm>

namespace vro {

using namespace recording_detail;

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

} // namespace vro
