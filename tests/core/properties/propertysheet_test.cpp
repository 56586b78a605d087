#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

#include "core/properties/descriptionedit.h"
#include "core/properties/propertysheet.h"
#include "core/text/texts.h"
#include "core/values/vro8utils.h"

using namespace vro;

namespace {

// A recording of `type` with one channel "P" (range 0 .. 250,0 bar) and the
// given information lines; the type's flags as the recorder sets them.
std::unique_ptr<TRecording> Recording(int type, std::vector<std::string> info = {})
{
    auto r = std::make_unique<TRecording>();
    r->RecordingType = static_cast<std::uint8_t>(type);
    r->HasTimeStamps = r->HasStates = r->HasMinMaxValues = type == 2;
    r->SampleRate = 9;
    r->ChannelCount = 1;
    r->RecordCount = 4;
    r->CreateChannelObjects();
    auto& c = r->Channel(0);
    c.DeviceName = "Channel A";
    c.CustomName = "P";
    c.MeasureUnit = "bar";
    c.Decimals = 1;
    c.DeviceLoRange = 0;
    c.DeviceHiRange = 2500;
    r->StartTime = EncodeDvxDateTime({2024, 3, 1, 8, 0, 0, 0}).value();
    r->StopTime = EncodeDvxDateTime({2024, 3, 1, 9, 30, 5, 0}).value();
    r->InfoStrings = std::move(info);
    r->Time->ResetRange();
    return r;
}

std::vector<std::string> Labels(const TPropertySheet& s)
{
    std::vector<std::string> out;
    for (const auto& e : s.Entries)
        out.push_back(e.Heading ? "@" + e.Label : e.Label);
    return out;
}

const TSheetEntry* Find(const TPropertySheet& s, const std::string& label)
{
    for (const auto& e : s.Entries)
        if (e.Label == label)
            return &e;
    return nullptr;
}

class PropertySheet : public ::testing::Test {
protected:
    void SetUp() override { SelectTextLanguage("en"); }
    void TearDown() override { SelectTextLanguage("en"); }
    const TDvxFormatSettings iso = TDvxFormatSettings::Iso();
};

} // namespace

TEST_F(PropertySheet, RowsEachTypeGetsAndTheirPlaces)
{
    const auto s0 = BuildPropertySheet(*Recording(0), iso);
    EXPECT_EQ(Labels(s0), (std::vector<std::string>{"@General", "Recording", "Sampling rate", "Total duration",
                                                    "Sensors", "Records", "Started on", "Completed on", "@P(Channel A)",
                                                    "Measurement range"}));
    // Heading at 15, rows at 33, 54, 75, ...; the final y after the last row.
    EXPECT_EQ(s0.Entries[0].Top, 15);
    EXPECT_EQ(s0.Entries[1].Top, 33);
    EXPECT_EQ(s0.Entries[2].Top, 54);
    EXPECT_EQ(s0.Entries[3].Top, 75);
    EXPECT_EQ(s0.Entries[8].Top, 33 + 7 * 21 + 5);
    EXPECT_EQ(s0.Height, s0.Entries[9].Top + 21);
    EXPECT_EQ(s0.Entries[1].Value, "Simple measurement curve");
    EXPECT_EQ(Find(s0, "Completed on")->Value, "01.03.2024   09:30:05");
    EXPECT_EQ(Find(s0, "Started on")->Value, DvxDateTimeToText(Recording(0)->StartTime, iso));
    EXPECT_EQ(Find(s0, "Measurement range")->Value, "0 .. 250 bar");

    const auto s1 = BuildPropertySheet(*Recording(1), iso);
    EXPECT_NE(Find(s1, "Triggered on:"), nullptr);
    EXPECT_NE(Find(s1, "Trigger event "), nullptr);
    EXPECT_EQ(Find(s0, "Triggered on:"), nullptr);

    // An event log has a state column: no rate, no duration.
    const auto s2 = BuildPropertySheet(*Recording(2), iso);
    EXPECT_EQ(Find(s2, "Sampling rate"), nullptr);
    EXPECT_EQ(Find(s2, "Total duration"), nullptr);
    EXPECT_EQ(Find(s2, "Recording")->Value, "Event log");

    // Type 3 shows no completion; neither does a recording without a stop time.
    auto r3 = Recording(3);
    EXPECT_EQ(Find(BuildPropertySheet(*r3, iso), "Completed on"), nullptr);
    EXPECT_EQ(Find(BuildPropertySheet(*r3, iso), "Recording")->Value, "Dvx-Log");
    auto r4 = Recording(4);
    r4->StopTime = 0;
    r4->StartTime = 0;
    const auto s4 = BuildPropertySheet(*r4, iso);
    EXPECT_EQ(Find(s4, "Completed on"), nullptr);
    EXPECT_EQ(Find(s4, "Started on"), nullptr);
    EXPECT_EQ(Find(s4, "Recording")->Value, "");

    auto withSensor = Recording(0);
    withSensor->SensorId = "S-17";
    EXPECT_EQ(Labels(BuildPropertySheet(*withSensor, iso))[1], "Sensor");
}

TEST_F(PropertySheet, TriggerEventAndTriggerTime)
{
    EXPECT_EQ(TriggerEventText(5), "Trigger1, Trigger3");
    EXPECT_EQ(TriggerEventText(0), "-");
    EXPECT_EQ(TriggerEventText(255), "Trigger1, Trigger2, Trigger3, Trigger4, Trigger5, Trigger6, Trigger7, Trigger8");
    EXPECT_EQ(TriggerEventText(256), "-"); // bit 8 is no trigger
    EXPECT_EQ(TriggerTimeText(StampToDateTime(4294967295u)), "-");
    EXPECT_EQ(TriggerTimeText(EncodeDvxDateTime({2024, 3, 1, 8, 0, 7, 0}).value()), "01.03.2024   08:00:07");

    // The no-trigger value survives a save and a reload.
    auto r = Recording(1);
    r->TriggerState = 5;
    r->TriggerTime = StampToDateTime(4294967295u);
    const auto file = std::filesystem::temp_directory_path() / ("vro_sheet_" + std::to_string(::getpid()) + ".vxrf");
    r->FileName = file.string();
    r->NameConfirmed = true;
    r->SaveToFile();
    TRecording back;
    back.LoadFromFile(file);
    std::filesystem::remove(file);
    const auto s = BuildPropertySheet(back, iso);
    EXPECT_EQ(Find(s, "Triggered on:")->Value, "-");
    EXPECT_EQ(Find(s, "Trigger event ")->Value, "Trigger1, Trigger3");
}

TEST_F(PropertySheet, InformationLines)
{
    const auto s = BuildPropertySheet(*Recording(0, {"@Device", "Serial|1234|x", " Place | Hall 4 ", "Lonely"}), iso);
    const auto at = [&](const std::string& label) { return *Find(s, label); };
    EXPECT_TRUE(at("Device").Heading);
    EXPECT_EQ(at("Serial").Value, "1234");
    EXPECT_EQ(at("Place").Value, "Hall 4");
    EXPECT_EQ(at("Lonely").Value, "");
    EXPECT_FALSE(at("Lonely").Heading);
    EXPECT_EQ(SplitInfoLine("a||b").Value, "");
    EXPECT_EQ(SplitInfoLine("@").Label, "");
}

TEST_F(PropertySheet, RangeTexts)
{
    EXPECT_EQ(ShortestDecimalText(2500, 1, iso), "250");
    EXPECT_EQ(ShortestDecimalText(-100, 2, iso), "-1");
    EXPECT_EQ(ShortestDecimalText(1234, 2, iso), "12.34");
    EXPECT_EQ(ShortestDecimalText(-5, 3, iso), "-0.005");
    EXPECT_EQ(ShortestDecimalText(std::numeric_limits<std::int32_t>::max(), 0, iso), "2147483647");
    TDvxFormatSettings german;
    german.DecimalSeparator = ',';
    EXPECT_EQ(ShortestDecimalText(1234, 2, german), "12,34");

    // A channel whose device range lacks an end shows only its heading.
    auto r = Recording(0);
    r->Channel(0).DeviceHiRange = NoValue;
    const auto s = BuildPropertySheet(*r, iso);
    EXPECT_EQ(Labels(s).back(), "@P(Channel A)");
}

TEST_F(PropertySheet, TextsInEachLanguage)
{
    auto r = Recording(1);
    r->TriggerState = 2;
    for (const char* code : {"de", "en", "fr"}) {
        SelectTextLanguage(code);
        const auto lang = TextLanguage();
        const auto s = BuildPropertySheet(*r, iso);
        EXPECT_EQ(s.Entries[0].Label, text(lang, 292)) << code;
        EXPECT_EQ(s.Entries[1].Value, text(lang, 294)) << code;
        EXPECT_EQ(Find(s, text(lang, 303) + " ")->Value, text(lang, 304) + "2") << code;
    }
}

TEST(DescriptionEdit, OnlyChangedTextsAreStored)
{
    EXPECT_EQ(RecordingTextToControl("a\r\nb\r\n"), "a\nb\n");
    EXPECT_EQ(ControlTextToRecording("a\nb\n"), "a\r\nb\r\n");
    EXPECT_EQ(ControlTextToRecording("a\r\nb"), "a\r\nb");

    TRecording r;
    r.Description = "Pump 3";
    r.Comment = "first line\r\nsecond line";
    r.Saved = true;
    // Shown and taken back unchanged: nothing is written.
    EXPECT_FALSE(CommitDescription(r, RecordingTextToControl(r.Description), RecordingTextToControl(r.Comment)));
    EXPECT_TRUE(r.Saved);
    EXPECT_EQ(r.Comment, "first line\r\nsecond line");
    // A bare line feed from elsewhere stays as it is while unedited.
    r.Comment = "x\ny";
    EXPECT_FALSE(CommitDescription(r, "Pump 3", RecordingTextToControl(r.Comment)));
    EXPECT_EQ(r.Comment, "x\ny");

    EXPECT_TRUE(CommitDescription(r, "Pump 4", "x\ny"));
    EXPECT_FALSE(r.Saved);
    EXPECT_EQ(r.Description, "Pump 4");
    EXPECT_EQ(r.Comment, "x\ny");
    r.Saved = true;
    EXPECT_TRUE(CommitDescription(r, "Pump 4", "x\ny\nz"));
    EXPECT_EQ(r.Comment, "x\r\ny\r\nz");
    EXPECT_FALSE(r.Saved);
}
