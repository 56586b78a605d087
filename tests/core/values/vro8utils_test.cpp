#include "core/values/vro8utils.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>

namespace vro {
namespace {

const TDvxFormatSettings iso = TDvxFormatSettings::Iso();

TEST(Scaling, RawToTextAndFloat)
{
    EXPECT_EQ(RawToText(12345, 2, iso), "123.45");
    EXPECT_EQ(RawToText(12345, 2, TDvxFormatSettings::German()), "123,45");
    EXPECT_EQ(RawToText(NoValue, 2, iso), "---");
    EXPECT_EQ(RawToText(7, 0, iso), "7");
    EXPECT_EQ(RawToText(-5, 3, iso), "-0.005");
    EXPECT_EQ(RawToText(2147483647, 8, iso), "21.47483647");
    EXPECT_EQ(RawToTextPlain(NoValue, 0, iso), "-2147483648");
    // Decimals from outside data beyond the factor table: no value.
    EXPECT_EQ(RawToText(5, 9, iso), "---");
    EXPECT_EQ(RawToText(5, -1, iso), "---");
    EXPECT_DOUBLE_EQ(RawToFloat(NoValue, 2), 0.0);
    EXPECT_DOUBLE_EQ(RawToFloat(-150, 2), -1.5);
    EXPECT_DOUBLE_EQ(RawToFloat(150, 12), 0.0);
}

TEST(Scaling, FloatToRawLimitsAndFaults)
{
    EXPECT_EQ(FloatToRaw(1.5, 2), 150);
    EXPECT_EQ(FloatToRaw(0.125, 2), 12);
    EXPECT_EQ(FloatToRaw(0.375, 2), 38);
    EXPECT_EQ(FloatToRaw(2e7, 2, false), NoValue);
    EXPECT_EQ(FloatToRaw(2e7, 2, true), 1000000000);
    EXPECT_EQ(FloatToRaw(-2e7, 2, true), -1000000000);
    EXPECT_EQ(FloatToRaw(1e7, 2, false), 1000000000);
    EXPECT_EQ(FloatToRaw(std::nan(""), 2, false), NoValue);
    EXPECT_EQ(FloatToRaw(std::nan(""), 2, true), -1000000000);
    EXPECT_EQ(FloatToRaw(INFINITY, 0, false), NoValue);
    EXPECT_EQ(FloatToRaw(-INFINITY, 0, true), -1000000000);
    EXPECT_EQ(FloatToRaw(1.0, 9), NoValue);
}

TEST(Scaling, TextToRawAndCheck)
{
    EXPECT_EQ(TextToRaw("12,34", 2), 1234);
    EXPECT_EQ(TextToRaw("abc", 2), 0);
    EXPECT_EQ(TextToRaw("nan", 2), 0);
    EXPECT_EQ(TextToRaw("1e300", 2), 2147483647);
    EXPECT_EQ(TextToRaw("-1e300", 2), -2147483647);
    EXPECT_EQ(TextToRaw("0.125", 2), 12);
    EXPECT_EQ(TextToRaw("1", 9), 0);

    EXPECT_EQ(CheckValueText("   ", 1, 0, 100), cvEmpty);
    EXPECT_EQ(CheckValueText("x", 1, 0, 100), cvNotANumber);
    EXPECT_EQ(CheckValueText("inf", 1, 0, 100), cvNotANumber);
    EXPECT_EQ(CheckValueText("12", 1, 0, 100), cvAboveMax);
    EXPECT_EQ(CheckValueText("-1", 0, 0, 100), cvBelowMin);
    EXPECT_EQ(CheckValueText("10", 1, 0, 100), cvValid);
    // Compared unrounded: 10.04 × 10 = 100.4 is above 100.
    EXPECT_EQ(CheckValueText("10.04", 1, 0, 100), cvAboveMax);
}

std::pair<std::int64_t, std::int64_t> Step(std::int64_t lo, std::int64_t hi, int r)
{
    AxisStep(lo, hi, r);
    return {lo, hi};
}

using P = std::pair<std::int64_t, std::int64_t>;

TEST(AxisSteps, RangesOfTenRoundSteps)
{
    EXPECT_EQ(Step(0, 1000, 0), P(0, 1000));
    EXPECT_EQ(Step(123, 4567, 1), P(0, 4600));
    EXPECT_EQ(Step(-37, 512, 2), P(-60, 540));
    EXPECT_EQ(Step(-1000, -20, 4), P(-1000, 0));
    EXPECT_EQ(Step(2500, 2600, 0), P(2500, 2600));
    EXPECT_EQ(Step(0, 5, 0), P(0, 10));
    EXPECT_EQ(Step(-3, 3, 0), P(-3, 7));
    EXPECT_THROW(Step(0, 1, 5), std::invalid_argument);
    EXPECT_EQ(AxisStepTable(23, 1), 24);
    EXPECT_EQ(AxisStepTable(53, 1), 55);
    EXPECT_EQ(AxisStepTable(101, 4), 200);
}

TEST(AxisSteps, RowPastTheTableGoesOnToTheNextDecade)
{
    // With the last row taken as it stands these ranges would not contain the data.
    EXPECT_EQ(Step(55, 1055, 0), P(0, 1100));
    EXPECT_EQ(Step(99, 1101, 1), P(0, 1200));
}

TEST(AxisSteps, SweepAlwaysContainsDataInTenEqualSteps)
{
    int checked = 0;
    for (int r = 0; r <= 4; ++r)
        for (std::int64_t lo = -1200; lo <= 1200; lo += 37)
            for (std::int64_t hi = lo; hi <= lo + 3000; hi += 41) {
                auto [l, h] = Step(lo, hi, r);
                ASSERT_LE(l, lo) << lo << ".." << hi << " r" << r;
                ASSERT_GE(h, hi) << lo << ".." << hi << " r" << r;
                ASSERT_EQ((h - l) % 10, 0);
                ASSERT_EQ(l % ((h - l) / 10), 0) << "lo is a multiple of the step";
                ++checked;
            }
    EXPECT_GT(checked, 1000);
}

TEST(AxisSteps, FullThirtyTwoBitRangeDoesNotOverflow)
{
    auto [l, h] = Step(-2000000000, 2000000000, 0);
    EXPECT_LE(l, -2000000000);
    EXPECT_GE(h, 2000000000);
    EXPECT_EQ(Step(0, 2147483647, 4), P(0, 5000000000));
    std::int32_t lo = 0, hi = 2147483647;
    AxisStep(lo, hi, 4);
    EXPECT_EQ(lo, 0);
    EXPECT_EQ(hi, 2147483647); // clamped to what 32 bits hold
    lo = -2147483647;
    hi = 0;
    AxisStep(lo, hi, 0);
    EXPECT_EQ(lo, -2147483647); // never the no-value marker
}

TEST(Grid, TenParts)
{
    EXPECT_EQ(GridFloor(57, 100, 10), 50);
    EXPECT_EQ(GridCeil(57, 100, 10), 60);
    EXPECT_EQ(GridFloor(57, 99, 10), 49);
    EXPECT_EQ(GridCeil(57, 99, 10), 59);
    EXPECT_EQ(GridFloor(60, 100, 10), 60);
    EXPECT_EQ(GridCeil(60, 100, 10), 60);
    // A view of no size: the position stays.
    EXPECT_EQ(GridFloor(57, 0, 10), 57);
    EXPECT_EQ(GridCeil(57, -5, 10), 57);
    EXPECT_EQ(GridFloor(2000000000, 2100000000, 10), 1890000000);
}

TEST(Stamps, DateTimeConversions)
{
    EXPECT_DOUBLE_EQ(StampToDateTime(0), 36526.0);
    EXPECT_EQ(DateTimeToStamp(0.5), 43200);
    EXPECT_EQ(DateTimeToStamp(36527.25), 86400 + 21600);
    EXPECT_EQ(DateTimeToStamp(StampToDateTime(123456789)), 123456789);
    // Stamps beyond 2^31 keep their 32 bits.
    EXPECT_EQ(static_cast<std::uint32_t>(DateTimeToStamp(StampToDateTime(4294967295u))), 4294967295u);
    EXPECT_EQ(static_cast<std::uint32_t>(DateTimeToStamp(StampToDateTime(3000000000u))), 3000000000u);
    EXPECT_EQ(DateTimeToStamp(std::nan("")), 0);
    EXPECT_EQ(DateTimeToStamp(1e300), -1);
    EXPECT_EQ(DateTimeToStamp(-1e300), -2147483647);
}

TEST(SampleIntervals, Table)
{
    ASSERT_EQ(TVro8SampleData::Rows().size(), 28u);
    EXPECT_EQ(TVro8SampleData::Row(0).Interval, 1);
    EXPECT_STREQ(TVro8SampleData::Row(14).Label, "6 s");
    EXPECT_STREQ(TVro8SampleData::Row(14).TimeUnit, "min");
    EXPECT_EQ(TVro8SampleData::Row(26).Interval, 864000000);
    EXPECT_EQ(TVro8SampleData::Row(27).Interval, 30000);
    EXPECT_THROW(TVro8SampleData::Row(28), std::out_of_range);
    EXPECT_THROW(TVro8SampleData::Row(-1), std::out_of_range);
    // Each row's interval equals its step in its unit: step / 10^dec units.
    const std::map<std::string, double> unitIn01ms{{"ms", 10}, {"s", 1e4}, {"min", 6e5}, {"h", 3.6e7}, {"d", 8.64e8}};
    for (const auto& row : TVro8SampleData::Rows())
        EXPECT_DOUBLE_EQ(row.TimeStep / std::pow(10.0, row.TimeDecimals) * unitIn01ms.at(row.TimeUnit), row.Interval)
            << row.Label;
}

TEST(StartRecordingTables, RateListsIndexRowsOfTheIntervalTable)
{
    // The VRO list is rows 0..17; its last four entries are 6 s .. 1 min.
    for (int i = 0; i < TVro8StartRates::VroCount; ++i)
        EXPECT_EQ(TVro8StartRates::RowOfIndex(false, i), i);
    EXPECT_EQ(TVro8StartRates::Interval(14), 60000);
    EXPECT_EQ(TVro8StartRates::Interval(17), 600000);
    EXPECT_STREQ(TVro8StartRates::Label(false, 14), "0.1 min");
    EXPECT_STREQ(TVro8StartRates::Label(false, 17), "1 min");
    EXPECT_EQ(TVro8StartRates::RowOfIndex(false, 18), -1);
    EXPECT_THROW(TVro8StartRates::Interval(18), std::out_of_range);
    // The PC list: index i is row i + 3, "1 ms" to "2 s".
    EXPECT_EQ(TVro8StartRates::RowOfIndex(true, 0), 3);
    EXPECT_EQ(TVro8StartRates::RowOfIndex(true, 10), 13);
    EXPECT_EQ(TVro8StartRates::RowOfIndex(true, 11), -1);
    EXPECT_EQ(TVro8StartRates::IndexOfRow(true, 2), -1);
    EXPECT_EQ(TVro8StartRates::IndexOfRow(true, 14), -1);
    EXPECT_EQ(TVro8StartRates::IndexOfRow(true, 9), 6);
    EXPECT_STREQ(TVro8StartRates::Label(true, 0), "1 ms");
    EXPECT_THROW(TVro8StartRates::Label(true, 11), std::out_of_range);
    EXPECT_EQ(TVro8StartRates::IndexOfRow(false, TVro8StartRates::VroDefaultRow), 6);
    EXPECT_STREQ(TVro8StartRates::Label(true, TVro8StartRates::IndexOfRow(true, TVro8StartRates::PcDefaultRow)),
                 "100 ms");
}

TEST(StartRecordingTables, TypedRatesAndTimes)
{
    EXPECT_EQ(TVro8StartRates::ParseRate("0.1ms", false), 0);
    EXPECT_EQ(TVro8StartRates::ParseRate("100 ms", false), 9);
    EXPECT_EQ(TVro8StartRates::ParseRate("0.1min", false), 14);
    EXPECT_EQ(TVro8StartRates::ParseRate("1MIN", false), 17);
    EXPECT_EQ(TVro8StartRates::ParseRate("0.1ms", true), -1); // not on the PC list
    EXPECT_EQ(TVro8StartRates::ParseRate("1min", true), -1);
    EXPECT_EQ(TVro8StartRates::ParseRate("2s", true), 13);
    EXPECT_EQ(TVro8StartRates::ParseRate("6 s", false), -1); // the list says 0.1 min
    EXPECT_EQ(TVro8StartRates::ParseRate("", false), -1);
    for (int i = 0; i < TVro8RecordingTimes::Count; ++i)
        EXPECT_EQ(TVro8RecordingTimes::ParseTime(TVro8RecordingTimes::ShortText(i)), i);
    EXPECT_EQ(TVro8RecordingTimes::ParseTime("60 s"), 5);
    EXPECT_EQ(TVro8RecordingTimes::ParseTime("3s"), -1);
}

TEST(StartRecordingTables, RecordingTimesAndSamples)
{
    ASSERT_EQ(TVro8RecordingTimes::Times().size(), 16u);
    EXPECT_EQ(TVro8RecordingTimes::Time(0), 10000);      // 1 s
    EXPECT_EQ(TVro8RecordingTimes::Time(5), 600000);     // 60 s
    EXPECT_EQ(TVro8RecordingTimes::Time(6), 1200000);    // 2 min
    EXPECT_EQ(TVro8RecordingTimes::Time(15), 864000000); // 24 h
    EXPECT_THROW(TVro8RecordingTimes::Time(16), std::out_of_range);
    EXPECT_THROW(TVro8RecordingTimes::Time(-1), std::out_of_range);
    // Samples = time / interval, integer division.
    EXPECT_EQ(TVro8RecordingTimes::Samples(4, 0), 500);        // 1 s at 2 ms
    EXPECT_EQ(TVro8RecordingTimes::Samples(5, 0), 200);        // 1 s at 5 ms
    EXPECT_EQ(TVro8RecordingTimes::Samples(0, 15), 864000000); // 24 h at 0.1 ms
    EXPECT_EQ(TVro8RecordingTimes::Samples(17, 0), 0);         // 1 s at 1 min
    EXPECT_EQ(TVro8RecordingTimes::Samples(16, 6), 4);         // 2 min at 30 s
    EXPECT_EQ(TVro8RecordingTimes::Samples(15, 1), 0);         // 2 s at 12 s
}

} // namespace
} // namespace vro
