#include <gtest/gtest.h>

#include <climits>

#include "core/legacy/codepage.h"
#include "core/legacy/legacyrecording.h"
#include "core/legacy/legacybuilder.h"

using vro::ECorruptedFile;
using vro::TCodePage;
using vro::TLegacyRecording;
using vro::test::TLegacyBuilder;

namespace {

constexpr std::int32_t k2000 = 252460800; // 2000-01-01 in seconds since 1992

// A curve recording of variant 1 or 2 with inputs A and C, 3 records.
TLegacyBuilder CurveFile(int variant)
{
    TLegacyBuilder b(variant);
    b.U8(80, 1); // curve
    b.I32(81, k2000 + 3600);
    b.I32(85, k2000 + 7200); // trigger moment
    b.I32(89, 42);
    b.Str(93, "Pump\x84");
    b.U16(109, 3);
    b.Input(0, -1000, 1000, 2, " bar ", 1, true, -500, 500);
    b.Input(2, 0, 2000, 1,
            "\xF8"
            "C",
            9, false);
    b.I16(266, 1);
    b.U8(268, 10); // 3 s
    b.U8(269, 5);
    b.Str(310, "Desc");
    b.U16(464, 3);
    std::memcpy(b.bytes.data() + 466, "abc", 3);
    if (variant == 2) {
        b.Str(1491, "Press  ");
        b.Str(1491 + 16, "Temp");
    }
    b.Samples({1, -32768, 3});
    b.Samples({10, 20, 30});
    return b;
}

TLegacyRecording Read(const TLegacyBuilder& b, TCodePage page = TCodePage::Oem850)
{
    return TLegacyRecording::Read(b.bytes, page);
}

void ExpectCorrupted(const std::vector<std::uint8_t>& bytes, const std::string& part)
{
    try {
        TLegacyRecording::Read(bytes);
        FAIL() << "no error, expected " << part;
    } catch (const ECorruptedFile& e) {
        EXPECT_NE(std::string(e.what()).find("CorruptedFile"), std::string::npos);
        EXPECT_NE(std::string(e.what()).find(part), std::string::npos) << e.what();
    }
    std::string error;
    EXPECT_EQ(vro::CreateLegacyReader(bytes, &error), nullptr);
    EXPECT_FALSE(error.empty());
}

} // namespace

TEST(LegacyRecording, RecognisesTheThreeHeadersAndNothingElse)
{
    EXPECT_EQ(TLegacyRecording::DetectVariant(TLegacyBuilder(1).bytes), 1);
    EXPECT_EQ(TLegacyRecording::DetectVariant(TLegacyBuilder(2).bytes), 2);
    EXPECT_EQ(TLegacyRecording::DetectVariant(TLegacyBuilder(3).bytes), 3);
    auto other = TLegacyBuilder(1).bytes;
    other[3] = 'X';
    EXPECT_EQ(TLegacyRecording::DetectVariant(other), 0);
    EXPECT_EQ(TLegacyRecording::DetectVariant(std::vector<std::uint8_t>(79, ' ')), 0);
    std::string error;
    EXPECT_EQ(vro::CreateLegacyReader(other, &error), nullptr);
    EXPECT_EQ(error, "not a legacy recording file");
}

TEST(LegacyRecording, Variant1CurveFromTheHeaderBlock)
{
    const auto r = Read(CurveFile(1));
    EXPECT_EQ(r.Variant(), 1);
    EXPECT_EQ(r.RecordingNumber(), 42);
    EXPECT_EQ(r.Name(), "Pump\xC3\xA4"); // OEM 0x84 = a umlaut
    EXPECT_EQ(r.Comment(), "abc");
    EXPECT_EQ(r.Description(), "Desc");
    EXPECT_EQ(r.RecordingType(), 1);
    EXPECT_DOUBLE_EQ(r.StartTime(), 36526.0 + 1.0 / 24);
    EXPECT_DOUBLE_EQ(r.TriggerTime(), 36526.0 + 2.0 / 24);
    EXPECT_EQ(r.SampleRate(), 27); // rate code 10: the 3 s row
    EXPECT_EQ(r.RecordCount(), 3);
    EXPECT_EQ(r.PreTriggerCount(), 1);
    EXPECT_EQ(r.TriggerState(), 5);
    EXPECT_EQ(r.XAxisIndex(), -1);
    EXPECT_EQ(r.LeftYAxis(), 1);
    EXPECT_EQ(r.RightYAxis(), 2);
    ASSERT_EQ(r.ChannelCount(), 2);

    const auto& a = r.Channel(0);
    EXPECT_EQ(a.DeviceName, "Channel A");
    EXPECT_EQ(a.CustomName, ""); // variant 1 carries no names
    EXPECT_EQ(a.MeasureUnit, "bar");
    EXPECT_EQ(a.Decimals, 2);
    EXPECT_EQ(a.DeviceLoRange, -1000);
    EXPECT_EQ(a.FullHiRange, 1000);
    EXPECT_EQ(a.DisplayLoRange, -500);
    EXPECT_EQ(a.DisplayHiRange, 500);
    EXPECT_EQ(a.ColorIndex, 2); // unit code 1 -> class 2 -> colour 2
    EXPECT_EQ(a.Style, 0);
    EXPECT_TRUE(a.Visible);
    EXPECT_EQ(a.Values, (std::vector<std::int32_t>{1, INT_MIN, 3}));

    const auto& c = r.Channel(1);
    EXPECT_EQ(c.DeviceName, "Channel C");
    EXPECT_EQ(c.MeasureUnit, "\xC2\xB0"
                             "C"); // OEM 0xF8 is the degree sign
    EXPECT_EQ(c.ColorIndex, 1);    // unit code 9 has no class: channel index mod 10
    EXPECT_FALSE(c.Visible);
    EXPECT_EQ(c.Values, (std::vector<std::int32_t>{10, 20, 30}));
}

TEST(LegacyRecording, Variant2HasChannelNamesAndTheCodePageIsSelectable)
{
    const auto b = CurveFile(2);
    const auto r = Read(b);
    EXPECT_EQ(r.Variant(), 2);
    EXPECT_EQ(r.Channel(0).CustomName, "Press");
    EXPECT_EQ(r.Channel(1).CustomName, "Temp");
    auto copy = b;
    copy.bytes[94 + 4] = 0x9B; // last character of the name: o-slash in 850, cent sign in 437
    EXPECT_EQ(Read(copy, TCodePage::Oem850).Name(), "Pump\xC3\xB8");
    EXPECT_EQ(Read(copy, TCodePage::Oem437).Name(), "Pump\xC2\xA2");
}

TEST(LegacyRecording, EventLogBefore2000MovesToItsTimeOfDayOn2000_01_01)
{
    // Starts on 1999-12-30 12:00: correction 172800 s, first sample 2000-01-01 12:00.
    const std::int32_t start = k2000 - 2 * 86400 + 43200;
    TLegacyBuilder b(2);
    b.U8(80, 0); // event log
    b.I32(81, start);
    b.I32(85, start + 20);
    b.U16(109, 3);
    b.Input(1, 0, 100, 0, "V");
    b.Samples({5, 6, 7});
    b.Stamps({static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(start + 10), 5});
    b.States({0, 1, 6});
    const auto r = Read(b);
    EXPECT_TRUE(r.IsEventLog());
    EXPECT_EQ(r.RecordingType(), 2);
    EXPECT_TRUE(r.RecordedBefore2000());
    EXPECT_EQ(r.Channel(0).Style, 2);                                         // event logs are drawn as line and points
    EXPECT_EQ(r.TimeStamps(), (std::vector<std::uint32_t>{43200, 43210, 0})); // a stamp before 2000 stays 0
    EXPECT_EQ(r.States(), (std::vector<std::uint8_t>{0, 1, 6}));
    EXPECT_DOUBLE_EQ(r.StartTime(), 36526.0 - 1.5);
    EXPECT_DOUBLE_EQ(r.StopTime(), 36526.0 - 1.5 + 20.0 / 86400);
}

TEST(LegacyRecording, EventLogStartingAtMidnightBefore2000StaysOnTheFirstDay)
{
    const std::int32_t start = k2000 - 86400; // 1999-12-31 00:00:00
    TLegacyBuilder b(1);
    b.U8(80, 0);
    b.I32(81, start);
    b.U16(109, 1);
    b.Input(0, 0, 100, 0, "V");
    b.Samples({1});
    b.Stamps({static_cast<std::uint32_t>(start)});
    b.States({0});
    const auto r = Read(b);
    EXPECT_EQ(r.TimeStamps(), (std::vector<std::uint32_t>{0})); // 2000-01-01 00:00, not 2000-01-02
}

TEST(LegacyRecording, EventLogFrom2000OnKeepsItsStamps)
{
    TLegacyBuilder b(2);
    b.U8(80, 0);
    b.I32(81, k2000 + 100);
    b.U16(109, 2);
    b.Input(0, 0, 100, 0, "V");
    b.Samples({1, 2});
    b.Stamps({k2000 + 100, 0xFFFFFFF0u}); // far beyond the model's 31-bit stamps
    b.States({0, 0});
    const auto r = Read(b);
    EXPECT_FALSE(r.RecordedBefore2000());
    EXPECT_EQ(r.TimeStamps(), (std::vector<std::uint32_t>{100, INT32_MAX}));
}

namespace {

TLegacyBuilder Variant3File()
{
    TLegacyBuilder b(3);
    b.U8(80, 1);
    b.I32(81, k2000);
    b.I32(85, k2000 + 60);
    b.Str(93, "\x80uro"); // Windows 1252: euro sign
    b.U8(111 + 0, 1);
    b.U8(111 + 2, 1);
    b.I16(119 + 0, -10);
    b.I16(135 + 0, 10);
    b.I16(119 + 4, -20);
    b.I16(135 + 4, 20);
    b.U16(109, 999); // ignored: variant 3 has its own counts
    b.I32(1555, 0);
    b.I32(1567, 2);
    b.I32(1571, 2);
    b.I32(1575, 2); // X axis: channel 1
    b.I32(1579, 3);
    b.I32(1583, 0);
    b.I32(1587, 1);
    b.I32(1591, 12);
    // Records in another order than the inputs: the samples follow the inputs.
    b.Record(0, 2, "Second", 3, 2, true, -200, 200, 3, "mA", 150, -150);
    b.Record(1, 0, "First", 20, 5, false, -100, 100, 1, "V", 90, -90);
    b.Samples({11, 12}); // input 0
    b.Samples({21, 22}); // input 2
    return b;
}

} // namespace

TEST(LegacyRecording, Variant3ReadsCountsAndChannelTable)
{
    const auto r = Read(Variant3File());
    EXPECT_EQ(r.Variant(), 3);
    EXPECT_EQ(r.Name(), "\xE2\x82\xACuro");
    EXPECT_EQ(r.RecordCount(), 2);
    EXPECT_EQ(r.XAxisIndex(), 1);
    EXPECT_EQ(r.LeftYAxis(), 3);
    EXPECT_EQ(r.RightYAxis(), 0);
    EXPECT_EQ(r.PreTriggerCount(), 1);
    EXPECT_EQ(r.SampleRate(), 15); // code 12
    ASSERT_EQ(r.ChannelCount(), 2);
    const auto& a = r.Channel(0);
    EXPECT_EQ(a.Input, 2);
    EXPECT_EQ(a.DeviceName, "Channel C");
    EXPECT_EQ(a.CustomName, "Second");
    EXPECT_EQ(a.ColorIndex, 3); // class 3
    EXPECT_EQ(a.Style, 2);
    EXPECT_EQ(a.DeviceLoRange, -20);
    EXPECT_EQ(a.FullLoRange, -200);
    EXPECT_EQ(a.DisplayHiRange, 150);
    EXPECT_EQ(a.DisplayLoRange, -150);
    EXPECT_EQ(a.Decimals, 3);
    EXPECT_EQ(a.MeasureUnit, "mA");
    EXPECT_EQ(a.Values, (std::vector<std::int32_t>{21, 22}));
    const auto& b = r.Channel(1);
    EXPECT_EQ(b.Input, 0);
    EXPECT_EQ(b.ColorIndex, 1); // class 20 is outside the table: index mod 10
    EXPECT_EQ(b.Style, 0);      // style code 5: plain line
    EXPECT_FALSE(b.Visible);
    EXPECT_EQ(b.Values, (std::vector<std::int32_t>{11, 12}));
}

TEST(LegacyRecording, UnknownRateCodeGivesAnUnknownInterval)
{
    auto b = CurveFile(1);
    b.U8(268, 16);
    EXPECT_EQ(Read(b).SampleRate(), -1);
    auto c = Variant3File();
    c.I32(1591, -3);
    EXPECT_EQ(Read(c).SampleRate(), -1);
}

TEST(LegacyRecording, LengthBytesAreCutToTheirSlots)
{
    auto b = CurveFile(1);
    b.Str(93, "ABCDEFGHIJKLMNO", 255); // would read the record count and beyond if not cut
    b.U16(464, 60000);
    const auto r = Read(b);
    EXPECT_EQ(r.Name(), "ABCDEFGHIJKLMNO");
    EXPECT_EQ(r.Comment().size(), 1023u);
}

TEST(LegacyRecording, DamagedFilesFailWithTheReason)
{
    for (int variant : {1, 2}) {
        auto b = CurveFile(variant);
        auto cut = b.bytes;
        cut.pop_back();
        ExpectCorrupted(cut, "data bytes");
        cut.resize(b.DataStart() - 1);
        ExpectCorrupted(cut, "header block");
    }
    auto v3 = Variant3File();
    auto cut = v3.bytes;
    cut.resize(2000);
    ExpectCorrupted(cut, "channel table");

    auto b = CurveFile(1);
    b.U16(109, 0);
    ExpectCorrupted(b.bytes, "record count 0");
    b = CurveFile(1);
    for (int i = 0; i < 8; ++i)
        b.U8(111 + static_cast<std::size_t>(i), 0);
    ExpectCorrupted(b.bytes, "no input");
    b = CurveFile(2);
    b.U8(151, 9);
    ExpectCorrupted(b.bytes, "9 decimals");
    // An event log whose stamps and states are missing.
    b = CurveFile(2);
    b.U8(80, 0);
    ExpectCorrupted(b.bytes, "data bytes");
}

TEST(LegacyRecording, Variant3CountsMustMatchTheFile)
{
    auto b = Variant3File();
    b.I32(1571, 0);
    ExpectCorrupted(b.bytes, "outside 1..8");
    b = Variant3File();
    b.I32(1571, 9);
    ExpectCorrupted(b.bytes, "outside 1..8");
    b = Variant3File();
    b.I32(1571, 1);
    ExpectCorrupted(b.bytes, "differs");
    b = Variant3File();
    b.I32(1567, -1);
    ExpectCorrupted(b.bytes, "record count -1");
    b = Variant3File();
    b.I32(1567, INT32_MAX); // must not allocate before the check
    ExpectCorrupted(b.bytes, "data bytes");
    b = Variant3File();
    b.I32(1603 + 80, 8);
    ExpectCorrupted(b.bytes, "input 8");
    b = Variant3File();
    b.I32(1603 + 80, 2); // input 2 twice, input 0 not described
    ExpectCorrupted(b.bytes, "described twice");
    b = Variant3File();
    b.I32(1603 + 56, -1);
    ExpectCorrupted(b.bytes, "-1 decimals");
}

TEST(CodePage, ConvertsEveryByteToOneCharacter)
{
    EXPECT_EQ(vro::CodePageToUtf8("a\x81\xE1", TCodePage::Oem437), "a\xC3\xBC\xC3\x9F");
    EXPECT_EQ(vro::CodePageToUtf8("\xB5", TCodePage::Oem850), "\xC3\x81");
    EXPECT_EQ(vro::CodePageToUtf8("\xB5", TCodePage::Oem437), "\xE2\x95\xA1");
    EXPECT_EQ(vro::CodePageToUtf8("\x81\xFC", TCodePage::Win1252), "\xC2\x81\xC3\xBC");
}

TEST(LegacyRecording, OutOfRangeAxisAndPretriggerBecomeNeutral)
{
    auto b = Variant3File();
    b.I32(1575, INT32_MIN);
    b.I32(1587, 3); // beyond the 2 records
    auto r = Read(b);
    EXPECT_EQ(r.XAxisIndex(), -1);
    EXPECT_EQ(r.PreTriggerCount(), 0);
    b.I32(1575, 3); // channel 2 of 2 channels
    b.I32(1587, -5);
    r = Read(b);
    EXPECT_EQ(r.XAxisIndex(), -1);
    EXPECT_EQ(r.PreTriggerCount(), 0);
    b.I32(1575, 0);
    EXPECT_EQ(Read(b).XAxisIndex(), -1);
}
