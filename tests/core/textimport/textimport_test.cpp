#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "core/textimport/textfilehandler.h"
#include "core/textimport/textnumbers.h"

using namespace vro::textimport;

namespace {

// Loads a text and imports it with the choices the analysis proposes.
TTextFileHandler Import(const std::string& text, const TTextImportOverrides& o = {},
                        void (*change)(TTextFileSettings&) = nullptr)
{
    TTextFileHandler h;
    h.Load("test.csv", text, o);
    auto choice = TTextFileSettings::FromAnalysis(h.Settings());
    if (change)
        change(choice);
    h.Import(choice);
    return h;
}

std::string ImportError(const std::string& text, const TTextImportOverrides& o = {})
{
    try {
        Import(text, o);
    } catch (const ETextImport& e) {
        return e.what();
    }
    return "";
}

} // namespace

TEST(TextNumbers, ReadsTheProgramsNotations)
{
    EXPECT_EQ(ReadNumber("1,5"), 1.5);
    EXPECT_EQ(ReadNumber(" 1.5 "), 1.5);
    EXPECT_EQ(ReadNumber("+2"), 2.0);
    EXPECT_EQ(ReadNumber("-.5"), -0.5);
    EXPECT_EQ(ReadNumber("1e3"), 1000.0);
    EXPECT_EQ(ReadNumber("$1f"), 31.0);
    EXPECT_EQ(ReadNumber("0x1F"), 31.0);
    EXPECT_EQ(ReadNumber("1Fh"), 31.0);
    EXPECT_EQ(ReadNumber("101b"), 5.0);
    EXPECT_EQ(ReadNumber("12d"), 12.0);
    for (const char* bad : {"", "-", "inf", "nan", "1.2.3", "1,2,3", "abc", "1e", "1 2", "1e999"})
        EXPECT_FALSE(ReadNumber(bad)) << bad;
    EXPECT_EQ(ReadInteger(" 1 0 "), 10);
    EXPECT_EQ(ReadInteger("-7"), -7);
    EXPECT_FALSE(ReadInteger("1.5"));
    EXPECT_FALSE(ReadInteger("10a"));
    EXPECT_FALSE(ReadInteger("2147483648"));
    EXPECT_EQ(CountDecimals("1,2345"), 4);
    EXPECT_EQ(CountDecimals("1.25"), 2);
    EXPECT_EQ(CountDecimals("12"), 0);
}

TEST(TextNumbers, ReadsDateTimesInTheLocaleForms)
{
    TTextLocale de;
    const double d2000 = 36526;
    EXPECT_EQ(ReadDateTime("01.01.2000", de), d2000);
    EXPECT_EQ(ReadDateTime("2000-01-02 12:00", de), d2000 + 1.5);
    EXPECT_EQ(ReadDateTime("2000-01-02T06:00:00", de), d2000 + 1.25);
    EXPECT_EQ(ReadDateTime("2.1.00 18:00:00", de), d2000 + 1.75);
    EXPECT_EQ(ReadDateTime("12:00:00", de), 0.5);
    TTextLocale us;
    us.ShortDateFormat = "M/d/yyyy";
    EXPECT_EQ(ReadDateTime("1/2/2000 1:00 PM", us), d2000 + 1 + 13.0 / 24);
    EXPECT_EQ(ReadDateTime("1/2/2000", de), d2000 + 31); // day first: 1 February
    for (const char* bad :
         {"", "1.5", "31.02.2000", "2000-13-01", "25:00", "12:60", "01.01.2000 x", "1.1.2000 13:00 PM"})
        EXPECT_FALSE(ReadDateTime(bad, de)) << bad;
    EXPECT_EQ(DateTimeToSeconds2000(d2000 + 1.5), 129600);
    EXPECT_EQ(DateTimeToSeconds2000(d2000 + (86399.6 / 86400)), 86400); // rounds up to the next day
    EXPECT_EQ(DateTimeToSeconds2000(0.5), 43200);                       // a pure time counts as day 0
    EXPECT_FALSE(DateTimeToSeconds2000(d2000 - 1));
    EXPECT_FALSE(DateTimeToSeconds2000(d2000 + 30000));
}

TEST(TextImport, CommaCsvWithHeaderAndEquidistantTime)
{
    const auto h = Import("Time,Pressure,Temp\n0.0,1.25,20\n0.5,1.5,21\n1.0,1.75,22\n1.5,2,23\n");
    EXPECT_EQ(h.Settings().Delimiter, ',');
    EXPECT_EQ(h.FirstDataLine(), 1);
    EXPECT_EQ(h.TimeColumn(), 0);
    EXPECT_FALSE(h.HasTimeStamps());
    EXPECT_EQ(h.SampleRate(), 5000);
    EXPECT_EQ(h.RecordCount(), 4);
    EXPECT_EQ(h.RecordingSource(), 5);
    EXPECT_EQ(h.RecordingType(), 4);
    ASSERT_EQ(h.ChannelCount(), 2);
    const auto& p = h.Sensors()[0];
    EXPECT_EQ(p.Name, "Pressure");
    EXPECT_EQ(p.Decimals, 2);
    EXPECT_EQ(p.Values, (std::vector<double>{1.25, 1.5, 1.75, 2}));
    EXPECT_EQ(p.Minimum, 1.25);
    EXPECT_EQ(p.Maximum, 11.25); // span below 10: max = min + 10
    EXPECT_TRUE(p.Has32BitSize);
    EXPECT_EQ(h.Sensors()[1].Name, "Temp");
    EXPECT_EQ(h.Sensors()[1].Decimals, 0);
}

TEST(TextImport, SemicolonCsvWithDecimalCommaAndNoHeader)
{
    const auto h = Import("0;1,5;-2\n1;2,25;-3\n2;3;-4\n");
    EXPECT_EQ(h.Settings().Delimiter, ';');
    EXPECT_EQ(h.FirstDataLine(), 0); // the first line starts with an integer
    EXPECT_EQ(h.RecordCount(), 3);   // every line is a sample
    EXPECT_EQ(h.SampleRate(), 10000);
    ASSERT_EQ(h.ChannelCount(), 2);
    EXPECT_EQ(h.Sensors()[0].Name, "Sensor A");
    EXPECT_EQ(h.Sensors()[1].Name, "Sensor B");
    EXPECT_EQ(h.Sensors()[0].Values, (std::vector<double>{1.5, 2.25, 3}));
    EXPECT_EQ(h.Sensors()[0].Decimals, 2);
}

TEST(TextImport, TabSeparatedWithDatesGivesTimeStamps)
{
    const auto h = Import("Date\tA\tB\n01.01.2000 00:00:10\t1\t2\n01.01.2000 00:00:20\t3\t4\n"
                          "02.01.2000 00:00:00\t5\t6\n");
    EXPECT_EQ(h.Settings().Delimiter, '\t');
    EXPECT_TRUE(h.Settings().TimeHasStamps);
    EXPECT_TRUE(h.HasTimeStamps());
    EXPECT_TRUE(h.TimeIsDateTime());
    EXPECT_EQ(h.TimeStamps(), (std::vector<std::int32_t>{10, 20, 86400}));
    EXPECT_EQ(h.ChannelCount(), 2);
    EXPECT_EQ(TTextFileSettings::FromAnalysis(h.Settings()).Time, TTimeInterpretation::DateTime);
}

TEST(TextImport, RelativeTimes)
{
    // Integer seconds that do not step evenly become relative time stamps.
    auto h = Import("t;v\n0;1\n1;2\n5;3\n");
    EXPECT_TRUE(h.HasTimeStamps());
    EXPECT_FALSE(h.TimeIsDateTime());
    EXPECT_EQ(h.TimeStamps(), (std::vector<std::int32_t>{0, 1, 5}));
    // Fractions that do not step evenly keep the time column, without stamps.
    h = Import("t;v\n0,5;1\n1,5;2\n5,25;3\n");
    EXPECT_FALSE(h.HasTimeStamps());
    EXPECT_EQ(h.TimeColumn(), 0);
    EXPECT_EQ(h.SampleRate(), 0);
    EXPECT_EQ(h.ChannelCount(), 1);
    // A step too long for the sample-rate field: integer stamps instead of an overflow.
    h = Import("t;v\n0;1\n300000;2\n600000;3\n");
    EXPECT_TRUE(h.HasTimeStamps());
    EXPECT_EQ(h.TimeStamps(), (std::vector<std::int32_t>{0, 300000, 600000}));
}

TEST(TextImport, WithoutTimeColumnEveryColumnIsAChannel)
{
    // The first column does not ascend, so the delimiter rule for numeric
    // first fields fails; the second chance finds the comma all the same.
    const auto h = Import("a,b\n5,1\n3,2\n4,3\n");
    EXPECT_EQ(h.Settings().Delimiter, ',');
    EXPECT_EQ(h.TimeColumn(), -1);
    EXPECT_TRUE(h.Settings().NoTimeReference);
    EXPECT_EQ(h.ChannelCount(), 2);
    EXPECT_EQ(h.SampleRate(), 0);
    EXPECT_EQ(TTextFileSettings::FromAnalysis(h.Settings()).Time, TTimeInterpretation::NoTime);
    // A single ascending column is the only data: it stays a channel.
    const auto one = Import("x\n1\n2\n3\n");
    EXPECT_EQ(one.ChannelCount(), 1);
    EXPECT_EQ(one.TimeColumn(), -1);
}

TEST(TextImport, FixedWidthColumns)
{
    const std::string text = " Time Level  Flow\n"
                             "    0   1.5    10\n"
                             "    1 12.25    11\n"
                             "    2     3     -\n";
    const auto h = Import(text, {}, [](TTextFileSettings& s) { s.Separation = TColumnSeparation::FixedWidth; });
    EXPECT_EQ(h.TimeColumn(), 0);
    EXPECT_EQ(h.SampleRate(), 10000);
    ASSERT_EQ(h.ChannelCount(), 2);
    EXPECT_EQ(h.Sensors()[0].Name, "Level");
    EXPECT_EQ(h.Sensors()[0].Values, (std::vector<double>{1.5, 12.25, 3}));
    EXPECT_EQ(h.Sensors()[1].Name, "Flow");
    EXPECT_TRUE(std::isnan(h.Sensors()[1].Values[2]));
    // No position blank in all lines after the first: a single column.
    const auto one =
        Import("v\n1.5\n12\n7.25\n", {}, [](TTextFileSettings& s) { s.Separation = TColumnSeparation::FixedWidth; });
    EXPECT_EQ(one.ChannelCount(), 1);
}

TEST(TextImport, EmptyCellsAndRanges)
{
    // An empty first cell, a "---" cell, a column without any value.
    const auto h = Import("t,a,b,c\n0,,0.1,\n1,5,---,\n2,7,0.9,\n");
    ASSERT_EQ(h.ChannelCount(), 3);
    const auto& a = h.Sensors()[0];
    EXPECT_TRUE(std::isnan(a.Values[0]));
    EXPECT_EQ(a.Minimum, 5);
    EXPECT_EQ(a.Maximum, 15);
    const auto& b = h.Sensors()[1];
    EXPECT_TRUE(std::isnan(b.Values[1]));
    EXPECT_DOUBLE_EQ(b.Minimum, 0.1);
    EXPECT_DOUBLE_EQ(b.Maximum, 10.1);
    const auto& c = h.Sensors()[2];
    EXPECT_TRUE(std::isnan(c.Values[0]) && std::isnan(c.Values[2]));
    EXPECT_EQ(c.Minimum, 0);
    EXPECT_EQ(c.Maximum, 10);
}

TEST(TextImport, TrailingEmptyCellReadsTheSameWhetherTabIsTrimmedOrNot)
{
    // "3\t4\t" loses its trailing tab when lines are trimmed; the missing last
    // field then reads as empty, which is what the tab would have given.
    const auto h = Import("t\ta\tb\n0\t1\t2\n1\t3\t\n2\t5\t6\n");
    ASSERT_EQ(h.ChannelCount(), 2);
    EXPECT_TRUE(std::isnan(h.Sensors()[1].Values[1]));
    EXPECT_EQ(h.Sensors()[0].Values[1], 3);
}

TEST(TextImport, LargeValuesGetFewerDecimalsInsteadOfBecomingNoValue)
{
    const auto h = Import("t,v\n0,123456.7890\n1,-2.5\n2,3\n");
    EXPECT_EQ(h.Sensors()[0].Decimals, 3);
    const auto huge = Import("t,v\n0,5e12\n1,1.5\n2,3\n");
    EXPECT_EQ(huge.Sensors()[0].Decimals, 0);
}

TEST(TextImport, RefusedFiles)
{
    EXPECT_EQ(ImportError(""), "No Data in File");
    EXPECT_EQ(ImportError("1,2\n\n   \n"), "No Data in File");
    // Two lines whose second splits: the analysis needs a third line.
    EXPECT_EQ(ImportError("a,b\n1,2\n"), "No Data in File");
    EXPECT_EQ(ImportError("t,v\n0,1\n1,x\n2,3\n"), "Line 3, column 2: \"x\" is no number");
    std::string wide = "t";
    std::string row = "0";
    for (int i = 0; i < 33; ++i) {
        wide += ",c" + std::to_string(i);
        row += ",1";
    }
    EXPECT_EQ(ImportError(wide + "\n" + row + "\n" + row + "\n"),
              "The file has 33 data columns; a recording holds at most 32 channels");
    // 32 data columns beside the time column are fine.
    EXPECT_EQ(ImportError(wide.substr(0, wide.rfind(',')) + "\n" + row.substr(0, row.rfind(',')) + "\n0.5" +
                          row.substr(1, row.rfind(',') - 1) + "\n"),
              "");
}

TEST(TextImport, CommandLineOverrides)
{
    // A preamble line before the header.
    TTextImportOverrides o;
    o.HeaderLine = 2;
    auto h = Import("exported by someone\nt;a\n0;1\n1;2\n2;3\n", o);
    EXPECT_EQ(h.RecordCount(), 3);
    EXPECT_EQ(h.Sensors()[0].Name, "a");
    EXPECT_EQ(h.SampleRate(), 10000);
    // No header although the first line does not start with an integer.
    o = {};
    o.HeaderLine = 0;
    h = Import("0.5;1\n1.5;2\n2.5;3\n", o);
    EXPECT_EQ(h.RecordCount(), 3);
    // The second column as time column, or none at all.
    o = {};
    o.TimeColumn = 2;
    h = Import("a;t\n7;0\n8;2\n9;4\n", o);
    EXPECT_EQ(h.TimeColumn(), 1);
    EXPECT_EQ(h.SampleRate(), 20000);
    EXPECT_EQ(h.Sensors()[0].Name, "a");
    o.TimeColumn = 0;
    h = Import("t;a\n0;1\n1;2\n2;3\n", o);
    EXPECT_EQ(h.ChannelCount(), 2);
    o.TimeColumn = 2;
    EXPECT_EQ(ImportError("a;t\n7;x\n8;y\n9;z\n", o), "Column 2 holds no times");
}

TEST(TextFileSettings, DialogLogic)
{
    TTextImportSettings a;
    a.Delimiter = '#';
    auto s = TTextFileSettings::FromAnalysis(a);
    EXPECT_EQ(s.Separation, TColumnSeparation::Other);
    EXPECT_EQ(s.OtherDelimiter, "#");
    EXPECT_EQ(s.Delimiter(), '#');
    a.Delimiter = 0;
    EXPECT_EQ(TTextFileSettings::FromAnalysis(a).OtherDelimiter, "");
    a.HasTimeColumn = true;
    EXPECT_EQ(TTextFileSettings::FromAnalysis(a).Time, TTimeInterpretation::Seconds);

    s.Time = TTimeInterpretation::AddTime;
    EXPECT_EQ(s.HelpText(), 716);
    for (const char* bad : {"", "abc", "0", "-1", "300000"}) {
        s.IntervalText = bad;
        EXPECT_EQ(s.Validate(), 719) << bad;
        EXPECT_EQ(s.Interval(), 0);
    }
    s.IntervalText = "0,25";
    EXPECT_EQ(s.Validate(), 0);
    EXPECT_EQ(s.Interval(), 0.25);
    s.Time = TTimeInterpretation::NoTime;
    EXPECT_EQ(s.HelpText(), 717);
    s.Time = TTimeInterpretation::DateTime;
    EXPECT_EQ(s.HelpText(), 715);
    s.Time = TTimeInterpretation::Seconds;
    EXPECT_EQ(s.HelpText(), 718);

    s.Separation = TColumnSeparation::FixedWidth;
    const auto cells = s.PreviewCells({"a  b", "1  2", "10 20"});
    ASSERT_EQ(cells.size(), 3u);
    EXPECT_EQ(cells[2], (std::vector<std::string>{"10", "20"}));
}

TEST(TextImport, DialogChoicesAddTimeAndStamps)
{
    // "Add time" replaces the sample rate.
    auto h = Import("a,b\n5,1\n3,2\n", {}, [](TTextFileSettings& s) {
        s.Time = TTimeInterpretation::AddTime;
        s.IntervalText = "0.1";
    });
    EXPECT_EQ(h.SampleRate(), 1000);
    // Date/time of day without a time column: stamps, all 0.
    h = Import("a,b\n5,1\n3,2\n4,2\n", {}, [](TTextFileSettings& s) { s.Time = TTimeInterpretation::DateTime; });
    EXPECT_TRUE(h.HasTimeStamps());
    EXPECT_EQ(h.TimeStamps(), (std::vector<std::int32_t>{0, 0, 0}));
    // "No time relationship" does not make the analysed time column a channel.
    h = Import("t,a\n0,1\n1,2\n2,3\n", {}, [](TTextFileSettings& s) { s.Time = TTimeInterpretation::NoTime; });
    EXPECT_EQ(h.ChannelCount(), 1);
    EXPECT_EQ(h.SampleRate(), 10000);
    // Date/time of day on a column of fractions: the time fields must be integers.
    EXPECT_THROW(
        Import("t,a\n0.5,1\n1,2\n1.5,3\n", {}, [](TTextFileSettings& s) { s.Time = TTimeInterpretation::DateTime; }),
        ETextImport);
}

TEST(TextImport, QuotedCellsAndCarriageReturns)
{
    const auto h = Import("\"t\";\"a b\"\r\n\"0\";\"1,5\"\r\n\"1\";\"2\"\r\n\"2\";\"3\"\r\n");
    EXPECT_EQ(h.Sensors()[0].Name, "a b");
    EXPECT_EQ(h.Sensors()[0].Values, (std::vector<double>{1.5, 2, 3}));
}

TEST(TextImport, LoadFileReadsTheFileItself)
{
    const auto path =
        std::filesystem::temp_directory_path() / ("vro_textimport_" + std::to_string(::getpid()) + ".csv");
    {
        std::ofstream(path, std::ios::binary) << "\xEF\xBB\xBFt,v\n0,1\n1,2\n2,3";
    }
    TTextFileHandler h;
    h.LoadFile(path);
    h.Import(TTextFileSettings::FromAnalysis(h.Settings()));
    EXPECT_EQ(h.FileName(), path.string());
    EXPECT_EQ(h.Sensors()[0].Name, "v"); // the byte-order mark is not part of the header
    EXPECT_EQ(h.Sensors()[0].Values, (std::vector<double>{1, 2, 3}));
    std::filesystem::remove(path);
    EXPECT_THROW(h.LoadFile(path), ETextImport);
}

TEST(TextImport, ImportAgainWithOtherChoices)
{
    TTextFileHandler h;
    h.Load("x.txt", "t a\n0 1\n1 2\n2 3\n");
    auto fixed = TTextFileSettings::FromAnalysis(h.Settings());
    fixed.Separation = TColumnSeparation::FixedWidth;
    h.Import(fixed);
    EXPECT_EQ(h.ChannelCount(), 1);
    EXPECT_EQ(h.Sensors()[0].Name, "a");
    auto other = fixed;
    other.Separation = TColumnSeparation::Other;
    other.OtherDelimiter = " ";
    h.Import(other);
    EXPECT_EQ(h.ChannelCount(), 1);
    EXPECT_EQ(h.Sensors()[0].Values, (std::vector<double>{1, 2, 3}));
}

TEST(TextImport, UnitsLineOfTheTextExport)
{
    // Tabs, "Separate row": titles, units in brackets, then the samples.
    auto h = Import("Time\tPressure\tFlow\r\n[s]\t[bar]\t[l/min]\r\n0.00\t12.3\t45.67\r\n0.50\t12.4\t---\r\n"
                    "1.00\t12.5\t45.69\r\n");
    EXPECT_EQ(h.Settings().Delimiter, '\t');
    EXPECT_EQ(h.RecordCount(), 3);
    EXPECT_EQ(h.SampleRate(), 5000);
    ASSERT_EQ(h.ChannelCount(), 2);
    EXPECT_EQ(h.Sensors()[0].Name, "Pressure");
    EXPECT_EQ(h.Sensors()[0].Unit, "bar");
    EXPECT_EQ(h.Sensors()[1].Unit, "l/min");
    EXPECT_TRUE(std::isnan(h.Sensors()[1].Values[1]));
    // The same column-aligned, with an empty unit cell.
    h = Import(" Time Pressure  Flow\n  [s]    [bar]      \n 0.00     12.3 45.67\n 0.50     12.4   ---\n"
               " 1.00     12.5 45.69\n",
               {}, [](TTextFileSettings& s) { s.Separation = TColumnSeparation::FixedWidth; });
    ASSERT_EQ(h.ChannelCount(), 2);
    EXPECT_EQ(h.Sensors()[0].Unit, "bar");
    EXPECT_EQ(h.Sensors()[1].Unit, "");
    EXPECT_EQ(h.Sensors()[1].Values[2], 45.69);
}
