// Decimal scaling of measured values, axis steps, the ten-part grid,
// recorder time stamps and the sample-interval table.
//
// Every measured value is a raw signed 32-bit integer with a number of
// decimals d: the physical value is raw / 10^d. NoValue marks a sample
// without a value. The functions here never raise for bad data: decimals
// outside 0..8 (which may come from a file or the recorder) are treated as
// "no readable value" (RawToText "---", RawToFloat 0.0, FloatToRaw NoValue,
// TextToRaw 0, CheckValueText 2).
#pragma once

#include <cstdint>
#include <limits>
#include <span>
#include <string>
#include <string_view>

#include "core/values/dvxdatetime.h"

namespace vro {

// The raw value of a sample without a value.
inline constexpr std::int32_t NoValue = std::numeric_limits<std::int32_t>::min();
// Limit of raw values made from floating point.
inline constexpr std::int32_t RawLimit = 1000000000;
// factor[d] = 10^d, d = 0..8.
inline constexpr std::int32_t Vro8Factor[9] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};

inline constexpr bool DecimalsValid(int d) { return d >= 0 && d <= 8; }

// 0.0 for NoValue (and invalid decimals); else raw / 10^d.
double RawToFloat(std::int32_t raw, int d);
// 10^d × x rounded (halves to even). Outside ±RawLimit or not finite: with
// clamp the nearest limit (NaN → -RawLimit), without clamp NoValue.
std::int32_t FloatToRaw(double x, int d, bool clamp = false);
// "---" for NoValue; else raw / 10^d with exactly d decimals and the
// settings' decimal separator ("123,45" German, "123.45" ISO).
std::string RawToText(std::int32_t raw, int d, const TDvxFormatSettings& fs = DvxFormatSettings());
// The same without the NoValue test ("---" only for invalid decimals).
std::string RawToTextPlain(std::int32_t raw, int d, const TDvxFormatSettings& fs = DvxFormatSettings());
// Number reader of the value encodings (StrToFloatEx) × 10^d, limited to
// ±2147483647 and rounded; 0 when the text cannot be read.
std::int32_t TextToRaw(std::string_view text, int d);

enum TCheckValueResult : int {
    cvValid = 0,
    cvEmpty = 1,
    cvNotANumber = 2,
    cvAboveMax = 3,
    cvBelowMin = 4,
};
// The number × 10^d (not rounded) against min..max (raw), in this order:
// empty, not a number, above max, below min.
int CheckValueText(std::string_view text, int d, std::int64_t min, std::int64_t max);

// Widens lo..hi to exactly ten equal round-numbered steps that contain it.
// raster 0 takes the plain step, 1..4 ever coarser columns of the step
// table; raster outside 0..4 raises std::invalid_argument. Computed in 64
// bits; the 32-bit form clamps the result to the int32 range.
void AxisStep(std::int64_t& lo, std::int64_t& hi, int raster);
void AxisStep(std::int32_t& lo, std::int32_t& hi, int raster);
// The step table, row k = 1..101, column c = 1..4.
int AxisStepTable(int k, int c);

// The grid line at or before / at or after position a of n parts on extent
// e. e ≤ 0 or n ≤ 0 leave a unchanged.
int GridFloor(int a, int e, int n);
int GridCeil(int a, int e, int n);

// Recorder time stamp (seconds since 2000-01-01) to a date-time.
double StampToDateTime(std::uint32_t stamp);
// Date-time to a stamp: x ≥ 1 as round((x − 36526) × 86400), below 1 (a time
// of day or duration) as round(x × 86400). A result in 2^31..2^32-1 is
// returned as the same 32 bits (the recorder's stamps are unsigned); beyond
// that it saturates, NaN gives 0.
std::int32_t DateTimeToStamp(double x);

// One row of the sample-interval table.
struct TVro8SampleRow {
    std::int32_t Interval; // in 0.1 ms
    std::int32_t TimeStep;
    int TimeDecimals;
    const char* TimeUnit; // "ms", "s", "min", "h", "d"
    const char* Label;    // "0.1 ms" ... "1 d"
};

// The sample-interval table, shared by the recording model and the recorder
// setup. Row 27 ("3 s") stands after row 26, out of ascending order.
struct TVro8SampleData {
    static constexpr int Count = 28;
    static std::span<const TVro8SampleRow> Rows();
    static bool Valid(int row) { return row >= 0 && row < Count; }
    // Raises std::out_of_range for a row outside 0..27.
    static const TVro8SampleRow& Row(int row);
};

// The start-recording page's sample-rate lists. Both index rows of the
// sample-interval table: the "Save to VRO" list is rows 0..17 ("0.1 ms" to
// "1 min"), list index = row = the recording block's `SampleRate`; the
// "Save to PC" list is rows 3..13 ("1 ms" to "2 s"), list index i = row i + 3,
// which the online stream takes as its `SampleRate`.
struct TVro8StartRates {
    static constexpr int VroCount = 18;
    static constexpr int PcFirstRow = 3;
    static constexpr int PcCount = 11;
    static constexpr int VroDefaultRow = 6; // "10 ms"
    static constexpr int PcDefaultRow = 9;  // "100 ms"
    static int Count(bool toPc) { return toPc ? PcCount : VroCount; }
    // Row of list index `index`, or -1 when the list has no such entry.
    static int RowOfIndex(bool toPc, int index);
    // List index of `row`, or -1 when the list does not offer that row.
    static int IndexOfRow(bool toPc, int row);
    // The list's entry text ("0.1 min" for row 14 of the VRO list); raises
    // std::out_of_range for an index the list does not have.
    static const char* Label(bool toPc, int index);
    // Interval of a row in 0.1 ms; raises std::out_of_range outside 0..17.
    static std::int64_t Interval(int row);
    // The row of a typed rate ("0.1ms", "100 ms", "2s", "0.1min", "1min"),
    // or -1; `toPc` limits it to the PC list.
    static int ParseRate(std::string_view text, bool toPc);
};

// The start-recording page's recording times (texts 1189..1204), in 0.1 ms:
// 1, 2, 5, 10, 30, 60 s, 2, 5, 10, 30, 60 min, 2, 4, 8, 12, 24 h. The index is
// the recording block's `Duration`.
struct TVro8RecordingTimes {
    static constexpr int Count = 16;
    static constexpr int FirstText = 1189;
    static constexpr int DefaultIndex = 5; // 60 seconds
    static std::span<const std::int64_t> Times();
    static bool Valid(int index) { return index >= 0 && index < Count; }
    // Raises std::out_of_range for an index outside 0..15.
    static std::int64_t Time(int index);
    // Samples per channel: time / interval of `row`, integer division.
    static std::int64_t Samples(int row, int index);
    // The index of a typed time ("1s", "60s", "2min", "24h"; blanks ignored), or -1.
    static int ParseTime(std::string_view text);
    // The short form ParseTime takes ("60s", "2min", "24h").
    static const char* ShortText(int index);
};

} // namespace vro
