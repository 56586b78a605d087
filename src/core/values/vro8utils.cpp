#include "core/values/vro8utils.h"

#include <array>
#include <cmath>
#include <stdexcept>

#include "core/util/numeric.h"
#include "core/values/dvxdatautils.h"

namespace vro {

namespace {

constexpr int RoundUpTo(int k, int m) { return (k + m - 1) / m * m; }

// The step table as its rows are defined: row k holds the steps that a raw
// step of k is rounded up to, from fine (column 1) to coarse (column 4).
constexpr std::array<int, 4> StepRow(int k)
{
    if (k <= 2)
        return {k, k, k, k};
    switch (k) {
    case 3: return {3, 3, 3, 5};
    case 4: return {4, 4, 5, 5};
    case 5: return {5, 5, 5, 5};
    case 6: return {6, 6, 8, 10};
    case 7: return {7, 8, 8, 10};
    case 8: return {8, 8, 8, 10};
    case 9: return {9, 10, 10, 10};
    case 10: return {10, 10, 10, 10};
    case 11: return {11, 12, 15, 20};
    case 12: return {12, 12, 15, 20};
    case 13:
    case 14: return {k, 15, 15, 20};
    case 15: return {15, 15, 15, 20};
    case 20: return {20, 20, 20, 20};
    case 25: return {25, 25, 30, 50};
    case 101: return {110, 120, 150, 200};
    default: break;
    }
    if (k <= 19)
        return {k, 20, 20, 20};
    if (k <= 24)
        return {RoundUpTo(k, 2), 25, 30, 50};
    if (k <= 30)
        return {RoundUpTo(k, 2), 30, 30, 50};
    if (k <= 40)
        return {RoundUpTo(k, 2), 40, 50, 50};
    if (k <= 50)
        return {RoundUpTo(k, 2), 50, 50, 50};
    if (k <= 60)
        return {RoundUpTo(k, 5), 60, 75, 100};
    if (k <= 75)
        return {RoundUpTo(k, 5), 75, 75, 100};
    if (k <= 90)
        return {RoundUpTo(k, 5), 100, 100, 100};
    return {100, 100, 100, 100};
}

constexpr auto MakeStepTable()
{
    std::array<std::array<int, 4>, 102> t{};
    for (int k = 1; k <= 101; ++k)
        t[static_cast<std::size_t>(k)] = StepRow(k);
    return t;
}

constexpr auto StepTable = MakeStepTable();

constexpr TVro8SampleRow SampleRows[TVro8SampleData::Count] = {
    {1, 1, 1, "ms", "0.1 ms"},       {2, 2, 1, "ms", "0.2 ms"},      {5, 5, 1, "ms", "0.5 ms"},
    {10, 1, 0, "ms", "1 ms"},        {20, 2, 0, "ms", "2 ms"},       {50, 5, 0, "ms", "5 ms"},
    {100, 1, 2, "s", "10 ms"},       {200, 2, 2, "s", "20 ms"},      {500, 5, 2, "s", "50 ms"},
    {1000, 1, 1, "s", "100 ms"},     {2000, 2, 1, "s", "200 ms"},    {5000, 5, 1, "s", "500 ms"},
    {10000, 1, 0, "s", "1 s"},       {20000, 2, 0, "s", "2 s"},      {60000, 1, 1, "min", "6 s"},
    {120000, 2, 1, "min", "12 s"},   {300000, 5, 1, "min", "30 s"},  {600000, 1, 0, "min", "1 min"},
    {1200000, 2, 0, "min", "2 min"}, {3600000, 1, 1, "h", "6 min"},  {7200000, 2, 1, "h", "12 min"},
    {18000000, 5, 1, "h", "30 min"}, {36000000, 1, 0, "h", "1 h"},   {72000000, 2, 0, "h", "2 h"},
    {216000000, 6, 0, "h", "6 h"},   {432000000, 5, 1, "d", "12 h"}, {864000000, 1, 0, "d", "1 d"},
    {30000, 3, 0, "s", "3 s"},
};

using Wide = __int128;

} // namespace

double RawToFloat(std::int32_t raw, int d)
{
    if (raw == NoValue || !DecimalsValid(d))
        return 0.0;
    return raw / static_cast<double>(Vro8Factor[d]);
}

std::int32_t FloatToRaw(double x, int d, bool clamp)
{
    if (!DecimalsValid(d))
        return NoValue;
    const double a = static_cast<double>(Vro8Factor[d]) * x;
    // Tested explicitly: the platform does not trap floating-point faults.
    if (std::isnan(a))
        return clamp ? -RawLimit : NoValue;
    if (a > RawLimit)
        return clamp ? RawLimit : NoValue;
    if (a < -RawLimit)
        return clamp ? -RawLimit : NoValue;
    return static_cast<std::int32_t>(RoundHalfEven(a));
}

std::string RawToTextPlain(std::int32_t raw, int d, const TDvxFormatSettings& fs)
{
    if (!DecimalsValid(d))
        return "---";
    // Exact digits of the integer: every 32-bit raw value has at most 10
    // significant digits, so fixed notation never needs rounding.
    const bool negative = raw < 0;
    const std::int64_t mag = negative ? -std::int64_t{raw} : std::int64_t{raw};
    std::string digits = std::to_string(mag);
    if (static_cast<int>(digits.size()) <= d)
        digits.insert(0, static_cast<std::size_t>(d) + 1 - digits.size(), '0');
    if (d > 0)
        digits.insert(digits.size() - static_cast<std::size_t>(d), 1, fs.DecimalSeparator);
    return negative ? "-" + digits : digits;
}

std::string RawToText(std::int32_t raw, int d, const TDvxFormatSettings& fs)
{
    if (raw == NoValue)
        return "---";
    return RawToTextPlain(raw, d, fs);
}

std::int32_t TextToRaw(std::string_view text, int d)
{
    if (!DecimalsValid(d))
        return 0;
    double v;
    try {
        v = StrToFloatEx(text);
    } catch (const std::exception&) {
        return 0;
    }
    const double a = v * Vro8Factor[d];
    if (std::isnan(a))
        return 0;
    if (a > 2147483647.0)
        return 2147483647;
    if (a < -2147483647.0)
        return -2147483647;
    return static_cast<std::int32_t>(RoundHalfEven(a));
}

int CheckValueText(std::string_view text, int d, std::int64_t min, std::int64_t max)
{
    const std::string t = DvxTrim(text);
    if (t.empty())
        return cvEmpty;
    if (!DecimalsValid(d))
        return cvNotANumber;
    double v;
    try {
        v = StrToFloatEx(t);
    } catch (const std::exception&) {
        return cvNotANumber;
    }
    const double a = v * Vro8Factor[d];
    if (a > static_cast<double>(max))
        return cvAboveMax;
    if (a < static_cast<double>(min))
        return cvBelowMin;
    return cvValid;
}

int AxisStepTable(int k, int c)
{
    if (k < 1 || k > 101 || c < 1 || c > 4)
        throw std::out_of_range("AxisStepTable: row " + std::to_string(k) + ", column " + std::to_string(c));
    return StepTable[static_cast<std::size_t>(k)][static_cast<std::size_t>(c - 1)];
}

void AxisStep(std::int64_t& lo, std::int64_t& hi, int raster)
{
    if (raster < 0 || raster > 4)
        throw std::invalid_argument("AxisStep: raster " + std::to_string(raster) + " out of range 0..4");
    // 128-bit arithmetic: spans of 32- or 64-bit data and ten times a step
    // never overflow.
    const Wide l = lo, h = hi;
    Wide k = (h - l) / 10;
    if (k < 1)
        k = 1;
    Wide p = 1;
    while (k > 100) {
        k = (k + 9) / 10;
        p *= 10;
    }
    Wide newLo = l, newHi = h;
    // When row 101 is passed without a fit, the next decade is tried; a
    // step of at least (hi - lo) / 9 always fits, so this ends.
    const auto fits = [&]() {
        for (Wide kk = k; kk <= 101; ++kk) {
            const Wide step = (raster == 0 ? kk : StepTable[static_cast<std::size_t>(kk)][raster - 1]) * p;
            const Wide span = 10 * step;
            if (l >= 0 && span >= h) {
                newLo = 0;
                newHi = span;
                return true;
            }
            newLo = l >= 0 ? l / step * step : (l - step + 1) / step * step;
            newHi = newLo + span;
            if (newHi >= h)
                return true;
        }
        return false;
    };
    while (!fits()) {
        p *= 10;
        k = 10;
    }
    const Wide maxV = std::numeric_limits<std::int64_t>::max();
    const Wide minV = -maxV;
    lo = static_cast<std::int64_t>(newLo < minV ? minV : (newLo > maxV ? maxV : newLo));
    hi = static_cast<std::int64_t>(newHi < minV ? minV : (newHi > maxV ? maxV : newHi));
}

void AxisStep(std::int32_t& lo, std::int32_t& hi, int raster)
{
    std::int64_t l = lo, h = hi;
    AxisStep(l, h, raster);
    // Clamped to ±2147483647: the most negative value is the no-value marker.
    lo = static_cast<std::int32_t>(ClampInt64(l, -2147483647, 2147483647));
    hi = static_cast<std::int32_t>(ClampInt64(h, -2147483647, 2147483647));
}

int GridFloor(int a, int e, int n)
{
    if (e <= 0 || n <= 0)
        return a;
    return static_cast<int>(std::int64_t{a} * n / e * e / n);
}

int GridCeil(int a, int e, int n)
{
    if (e <= 0 || n <= 0)
        return a;
    return static_cast<int>((std::int64_t{a} * n + e - 1) / e * e / n);
}

double StampToDateTime(std::uint32_t stamp) { return stamp / 86400.0 + 36526.0; }

std::int32_t DateTimeToStamp(double x)
{
    if (std::isnan(x))
        return 0;
    const double v = RoundHalfEven(x >= 1 ? (x - 36526.0) * 86400.0 : x * 86400.0);
    if (v >= 4294967295.0)
        return -1; // all 32 bits set: the largest unsigned stamp
    if (v >= 2147483648.0)
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
    if (v < -2147483647.0)
        return -2147483647;
    return static_cast<std::int32_t>(v);
}

std::span<const TVro8SampleRow> TVro8SampleData::Rows() { return SampleRows; }

const TVro8SampleRow& TVro8SampleData::Row(int row)
{
    if (!Valid(row))
        throw std::out_of_range("sample-interval row " + std::to_string(row) + " out of range 0..27");
    return SampleRows[row];
}

namespace {

constexpr const char* VroRateLabels[TVro8StartRates::VroCount] = {
    "0.1 ms", "0.2 ms", "0.5 ms", "1 ms", "2 ms", "5 ms",    "10 ms",   "20 ms",   "50 ms",
    "100 ms", "200 ms", "500 ms", "1 s",  "2 s",  "0.1 min", "0.2 min", "0.5 min", "1 min"};

constexpr std::int64_t RecordingTimeValues[TVro8RecordingTimes::Count] = {
    10000,   20000,    50000,    100000,   300000,    600000,    1200000,   3000000,
    6000000, 18000000, 36000000, 72000000, 144000000, 288000000, 432000000, 864000000};

constexpr const char* RecordingTimeShort[TVro8RecordingTimes::Count] = {
    "1s", "2s", "5s", "10s", "30s", "60s", "2min", "5min", "10min", "30min", "60min", "2h", "4h", "8h", "12h", "24h"};

// Lower case without blanks, for comparing typed rates and times.
std::string Squeezed(std::string_view text)
{
    std::string out;
    for (char c : text)
        if (c != ' ' && c != '\t')
            out += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return out;
}

} // namespace

int TVro8StartRates::RowOfIndex(bool toPc, int index)
{
    if (index < 0 || index >= Count(toPc))
        return -1;
    return toPc ? index + PcFirstRow : index;
}

int TVro8StartRates::IndexOfRow(bool toPc, int row)
{
    const int index = toPc ? row - PcFirstRow : row;
    return index >= 0 && index < Count(toPc) ? index : -1;
}

const char* TVro8StartRates::Label(bool toPc, int index)
{
    const int row = RowOfIndex(toPc, index);
    if (row < 0)
        throw std::out_of_range("sample-rate entry " + std::to_string(index) + " out of range");
    return VroRateLabels[row];
}

std::int64_t TVro8StartRates::Interval(int row)
{
    if (row < 0 || row >= VroCount)
        throw std::out_of_range("sample-rate row " + std::to_string(row) + " out of range 0..17");
    return TVro8SampleData::Row(row).Interval;
}

int TVro8StartRates::ParseRate(std::string_view text, bool toPc)
{
    const std::string want = Squeezed(text);
    for (int row = 0; row < VroCount; ++row)
        if (Squeezed(VroRateLabels[row]) == want)
            return IndexOfRow(toPc, row) >= 0 ? row : -1;
    return -1;
}

std::span<const std::int64_t> TVro8RecordingTimes::Times() { return RecordingTimeValues; }

std::int64_t TVro8RecordingTimes::Time(int index)
{
    if (!Valid(index))
        throw std::out_of_range("recording-time index " + std::to_string(index) + " out of range 0..15");
    return RecordingTimeValues[index];
}

std::int64_t TVro8RecordingTimes::Samples(int row, int index) { return Time(index) / TVro8StartRates::Interval(row); }

int TVro8RecordingTimes::ParseTime(std::string_view text)
{
    const std::string want = Squeezed(text);
    for (int i = 0; i < Count; ++i)
        if (want == RecordingTimeShort[i])
            return i;
    return -1;
}

const char* TVro8RecordingTimes::ShortText(int index)
{
    if (!Valid(index))
        throw std::out_of_range("recording-time index " + std::to_string(index) + " out of range 0..15");
    return RecordingTimeShort[index];
}

} // namespace vro
