#include "recording_support.h"

#include "core/text/texts.h"
#include "core/util/atomicfile.h"
#include "core/xml/xmlutils.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

using namespace vro;
using vro::test::LoadBytes;
using vro::test::MakeRecording;
using vro::test::ReplaceOnce;
using vro::test::TRecordingShape;

namespace {

std::string Reference(const std::string& name)
{
    return ReadWholeFile(std::string(VRO_TEST_DATA) + "/recordings/" + name);
}

// Offset of the sample block: right after the separator behind the XML.
std::size_t BlockStart(const std::string& file)
{
    const std::string end = "</KorvatekRecording>\r\n";
    const auto at = file.find(end);
    EXPECT_NE(at, std::string::npos);
    EXPECT_EQ(file[at + end.size()], '\x1A');
    return at + end.size() + 1;
}

std::string MessageOf(const std::string& bytes)
{
    try {
        LoadBytes(bytes);
    } catch (const std::exception& e) {
        return e.what();
    }
    return "(loaded)";
}

void ExpectSameChannel(const TRecordingSensorWrapper& a, const TRecordingSensorWrapper& b)
{
    EXPECT_EQ(a.DeviceName, b.DeviceName);
    EXPECT_EQ(a.CustomName, b.CustomName);
    EXPECT_EQ(a.MeasureUnit, b.MeasureUnit);
    EXPECT_EQ(a.Comment, b.Comment);
    EXPECT_EQ(a.Decimals, b.Decimals);
    EXPECT_EQ(a.DeviceLoRange, b.DeviceLoRange);
    EXPECT_EQ(a.DeviceHiRange, b.DeviceHiRange);
    EXPECT_EQ(a.FullLoRange, b.FullLoRange);
    EXPECT_EQ(a.FullHiRange, b.FullHiRange);
    EXPECT_EQ(a.CurrentLoRange, b.CurrentLoRange);
    EXPECT_EQ(a.CurrentHiRange, b.CurrentHiRange);
    EXPECT_EQ(a.Style, b.Style);
    EXPECT_EQ(a.ColorIndex, b.ColorIndex);
    EXPECT_EQ(a.Visible, b.Visible);
    EXPECT_EQ(a.ShowMinMax, b.ShowMinMax);
    EXPECT_EQ(a.Has32BitSize, b.Has32BitSize);
    EXPECT_EQ(a.TimeShift, b.TimeShift);
    EXPECT_EQ(a.NoOriginalSensor, b.NoOriginalSensor);
    EXPECT_EQ(a.Values, b.Values);
    EXPECT_EQ(a.MinValues, b.MinValues);
    EXPECT_EQ(a.MaxValues, b.MaxValues);
}

void ExpectSameRecording(const TRecording& a, const TRecording& b)
{
    EXPECT_EQ(a.SensorId, b.SensorId);
    EXPECT_EQ(a.RecordingSource, b.RecordingSource);
    EXPECT_EQ(a.DeviceRecordingName, b.DeviceRecordingName);
    EXPECT_EQ(a.DeviceRecordingNumber, b.DeviceRecordingNumber);
    EXPECT_NEAR(a.StartTime, b.StartTime, 1e-8);
    EXPECT_NEAR(a.StopTime, b.StopTime, 1e-8);
    EXPECT_EQ(a.TriggerState, b.TriggerState);
    EXPECT_NEAR(a.TriggerTime, b.TriggerTime, 1e-8);
    EXPECT_EQ(a.RecordingType, b.RecordingType);
    EXPECT_EQ(a.SimpleCurvMode, b.SimpleCurvMode);
    EXPECT_EQ(a.ChannelCount, b.ChannelCount);
    EXPECT_EQ(a.RecordCount, b.RecordCount);
    EXPECT_EQ(a.HasMinMaxValues, b.HasMinMaxValues);
    EXPECT_EQ(a.HasStates, b.HasStates);
    EXPECT_EQ(a.HasTimeStamps, b.HasTimeStamps);
    EXPECT_EQ(a.HasSubTimes, b.HasSubTimes);
    EXPECT_EQ(a.PreTriggerCount, b.PreTriggerCount);
    EXPECT_EQ(a.SampleRate, b.SampleRate);
    EXPECT_EQ(a.Comment, b.Comment);
    EXPECT_EQ(a.Description, b.Description);
    EXPECT_EQ(a.InfoStrings, b.InfoStrings);
    EXPECT_EQ(a.LeftYAxis, b.LeftYAxis);
    EXPECT_EQ(a.RightYAxis, b.RightYAxis);
    EXPECT_EQ(a.XAxisIndex, b.XAxisIndex);
    EXPECT_EQ(a.ShowTableMinMax, b.ShowTableMinMax);
    EXPECT_EQ(a.Remarks, b.Remarks);
    EXPECT_EQ(a.SnapshotCamera.Count(), b.SnapshotCamera.Count());
    for (int i = 0; i < std::min(a.SnapshotCamera.Count(), b.SnapshotCamera.Count()); ++i) {
        EXPECT_EQ(a.SnapshotCamera.Items(i).Data, b.SnapshotCamera.Items(i).Data);
        EXPECT_EQ(a.SnapshotCamera.Items(i).Name, b.SnapshotCamera.Items(i).Name);
        EXPECT_EQ(a.SnapshotCamera.Items(i).Description, b.SnapshotCamera.Items(i).Description);
        EXPECT_NEAR(a.SnapshotCamera.Items(i).DateTime, b.SnapshotCamera.Items(i).DateTime, 1e-8);
    }
    ASSERT_TRUE(a.Time && b.Time);
    EXPECT_EQ(a.Time->TimeStamps, b.Time->TimeStamps);
    EXPECT_EQ(a.Time->LoRange, b.Time->LoRange);
    EXPECT_EQ(a.Time->HiRange, b.Time->HiRange);
    EXPECT_EQ(a.Time->FirstIndex, b.Time->FirstIndex);
    EXPECT_EQ(a.Time->LastIndex, b.Time->LastIndex);
    EXPECT_EQ(a.Time->TimeStampHasDate, b.Time->TimeStampHasDate);
    EXPECT_EQ(a.Time->HasSubTimes(), b.Time->HasSubTimes());
    if (a.Time->SubTimes && b.Time->SubTimes) {
        EXPECT_EQ(a.Time->SubTimes->Values, b.Time->SubTimes->Values);
    }
    EXPECT_EQ(a.State != nullptr, b.State != nullptr);
    if (a.State && b.State) {
        EXPECT_EQ(a.State->States, b.State->States);
        EXPECT_EQ(a.State->StateCodeId, b.State->StateCodeId);
    }
    for (int i = 0; i < std::min(a.ChannelCount, b.ChannelCount); ++i) {
        SCOPED_TRACE("channel " + std::to_string(i));
        ExpectSameChannel(a.Channel(i), b.Channel(i));
    }
}

std::unique_ptr<TRecording> Rich(bool wide)
{
    TRecordingShape s;
    s.Channels = 3;
    s.Records = 257;
    s.MinMax = true;
    s.States = true;
    s.SubTimes = true;
    s.Wide = wide;
    auto r = MakeRecording(s);
    r->SensorId = "ID 7";
    r->RecordingSource = 0;
    r->DeviceRecordingName = "Kessel <3> & \"Co\"";
    r->DeviceRecordingNumber = 77;
    r->StartTime = EncodeXmlDateTime(2021, 6, 7, 8, 9, 10, 0);
    r->StopTime = EncodeXmlDateTime(2021, 6, 7, 9, 0, 0, 125);
    r->TriggerState = 3;
    r->TriggerTime = EncodeXmlDateTime(2021, 6, 7, 8, 30, 0, 0);
    r->RecordingType = 2;
    r->SimpleCurvMode = 4;
    r->PreTriggerCount = 5;
    r->Comment = "Grüße\r\nzweite Zeile";
    r->Description = "desc";
    r->InfoStrings = {"@Trigger settings", "Event 1|> 5 bar", ""};
    r->LeftYAxis = 5;
    r->RightYAxis = 2;
    r->XAxisIndex = -1;
    r->ShowTableMinMax = 2;
    r->State->StateCodeId = 0x30024;
    r->Time->TimeStampHasDate = false;
    auto& c1 = r->Channel(1);
    c1.CustomName = "Vorlauf";
    c1.Comment = "c1";
    c1.Decimals = 7;
    c1.Style = 2;
    c1.ShowMinMax = true;
    c1.Visible = false;
    c1.TimeShift = -3;
    c1.NoOriginalSensor = true;
    c1.Values[10] = NoValue;
    c1.MinValues[11] = NoValue;
    c1.Values[12] = -5;
    c1.SetCurrentRange(-200, 400);
    TRemarkData m;
    m.RemarkId = 4;
    m.Comment = "Spitze";
    m.IsAnchored = true;
    m.AnchorIndex = 20;
    m.AnchorChannel = 1;
    m.FontSize = 10;
    m.IsItalic = true;
    m.BoxWidth = 80;
    r->Remarks = {m};
    r->LastRemarkId = 4;
    r->Time->SetRange(100010, 100100);
    r->SnapshotCamera.Add(r->GetViewState(), "Ansicht 1").Description = "mit Umlaut ä";
    r->SnapshotCamera.Items(0).DateTime = EncodeXmlDateTime(2022, 1, 1, 12, 0, 0, 250);
    return r;
}

} // namespace

TEST(RecordingFileLayout, HeaderWarningAndBlockOfTwoSixteenBitChannels)
{
    TRecordingShape s;
    s.Records = 1000;
    auto r = MakeRecording(s);
    const std::string file = r->SaveToString();
    ASSERT_GT(file.size(), 215u);
    EXPECT_EQ(file.substr(0, 80), "Korvatek binary recording file" + std::string(48, ' ') + "\r\n");
    EXPECT_EQ(file.substr(80, 135), RecordingFileWarning());
    EXPECT_EQ(file.substr(215, 18), "<KorvatekRecording");
    EXPECT_EQ(file.size() - BlockStart(file), 4000u);
    EXPECT_EQ(r->SampleBlockSize(), 4000);
    EXPECT_NE(file.find("    <GeneralParameters ChannelCount=\"2\" HasMinMaxValues=\"0\" HasStates=\"0\" "
                        "HasTimeStamps=\"0\" HasSubTimes=\"0\" RecordCount=\"1000\""),
              std::string::npos);
}

TEST(RecordingFileLayout, SixteenBitNoValueAndNegativeValues)
{
    TRecordingShape s;
    s.Records = 2;
    s.Channels = 1;
    auto r = MakeRecording(s);
    r->Channel(0).Values = {NoValue, -5};
    const std::string file = r->SaveToString();
    EXPECT_EQ(file.substr(BlockStart(file)), std::string("\x00\x80\xFB\xFF", 4));
    auto back = LoadBytes(file);
    EXPECT_EQ(back->Channel(0).Values, (TSensorValues{NoValue, -5}));
}

TEST(RecordingFileLayout, BlockOrderWithEveryPart)
{
    TRecordingShape s;
    s.Records = 2;
    s.Channels = 1;
    s.MinMax = true;
    s.States = true;
    s.SubTimes = true;
    auto r = MakeRecording(s);
    r->Channel(0).Has32BitSize = true;
    r->Time->TimeStamps = {0x01020304, 0x01020305};
    r->State->States = {0xA1B2, 3};
    r->Time->SubTimes->Values = {9999, 1};
    r->Channel(0).Values = {-1, 2};
    r->Channel(0).MinValues = {-2, 1};
    r->Channel(0).MaxValues = {0, NoValue};
    const std::string file = r->SaveToString();
    const std::string block = file.substr(BlockStart(file));
    const std::string expected("\x04\x03\x02\x01\x05\x03\x02\x01"  // stamps
                               "\xB2\xA1\x03\x00"                  // states
                               "\x0F\x27\x01\x00"                  // sub-times, 16-bit
                               "\xFF\xFF\xFF\xFF\x02\x00\x00\x00"  // values
                               "\xFE\xFF\xFF\xFF\x01\x00\x00\x00"  // min
                               "\x00\x00\x00\x00\x00\x00\x00\x80", // max
                               40);
    EXPECT_EQ(block, expected);
    // With sub-times the channel count carries the sub-time channel, which is Sensor 0.
    EXPECT_NE(file.find("ChannelCount=\"2\""), std::string::npos);
    EXPECT_NE(file.find("<Sensor SensorNumber=\"0\" DeviceName=\"Unknown\""), std::string::npos);
    EXPECT_NE(file.find("<Sensor SensorNumber=\"1\" DeviceName=\"Channel A\""), std::string::npos);
}

TEST(RecordingFileReference, PlainSixteenBitFileLoadsAndSavesIdentically)
{
    const std::string bytes = Reference("plain16.vxrf");
    auto r = LoadBytes(bytes);
    EXPECT_EQ(r->ChannelCount, 2);
    EXPECT_EQ(r->RecordCount, 5);
    EXPECT_EQ(r->Comment, "Druck & Temperatur");
    EXPECT_EQ(r->Description, "Zeile 1\r\nZeile 2");
    EXPECT_EQ(r->DeviceRecordingNumber, 12);
    EXPECT_EQ(r->Channel(0).CustomName, "Kesseldruck");
    EXPECT_EQ(r->Channel(1).MeasureUnit, "\xC2\xB0"
                                         "C");
    EXPECT_EQ(r->Channel(0).Values, (TSensorValues{0, -5, NoValue, 32767, -32767}));
    EXPECT_EQ(r->Channel(1).Values, (TSensorValues{10, 20, 30, 40, 50}));
    EXPECT_EQ(r->InfoStrings, (std::vector<std::string>{"@Trigger settings", "Event 1|none"}));
    EXPECT_EQ(r->Time->HiRange, 10);
    EXPECT_TRUE(r->Saved);
    EXPECT_TRUE(r->NameConfirmed);
    EXPECT_EQ(r->SaveToString(), bytes);
}

TEST(RecordingFileReference, FullFileLoadsAndSavesIdentically)
{
    const std::string bytes = Reference("full.vxrf");
    auto r = LoadBytes(bytes);
    EXPECT_EQ(r->ChannelCount, 2);
    ASSERT_TRUE(r->Time->SubTimes);
    EXPECT_EQ(r->Time->SubTimes->Values, (TSensorValues{0, 5000, 9999}));
    EXPECT_EQ(r->Time->TimeStamps, (TTimeValues{757479845, 757479846, 757479846}));
    EXPECT_EQ(r->State->States, (TStateValues{1, 0, 65535}));
    EXPECT_EQ(r->Channel(0).Values, (TSensorValues{1, -2, NoValue}));
    EXPECT_EQ(r->Channel(0).MaxValues, (TSensorValues{2, -1, 2000000000}));
    EXPECT_EQ(r->Channel(1).Values, (TSensorValues{100, NoValue, 7}));
    EXPECT_EQ(r->Channel(1).MinValues, (TSensorValues{99, NoValue, 6}));
    EXPECT_FALSE(r->Channel(1).Visible);
    EXPECT_EQ(r->TriggerState, 5);
    ASSERT_EQ(r->Remarks.size(), 1u);
    EXPECT_EQ(r->Remarks[0].Comment, "peak");
    EXPECT_EQ(r->LastRemarkId, 3);
    ASSERT_EQ(r->SnapshotCamera.Count(), 1);
    EXPECT_EQ(r->SnapshotCamera.Version, 1);
    EXPECT_EQ(r->SnapshotCamera.Items(0).Name, "View 1");
    EXPECT_EQ(r->Time->FirstIndex, 0);
    EXPECT_EQ(r->Time->LastIndex, 2);
    EXPECT_EQ(r->GetVersion(), "VROWIN_V02_E02");
    EXPECT_EQ(r->SaveToString(), bytes);
}

TEST(RecordingFileRoundTrip, EveryFieldAndSampleSurvives)
{
    for (bool wide : {false, true}) {
        SCOPED_TRACE(wide ? "32-bit" : "16-bit");
        auto r = Rich(wide);
        const std::string file = r->SaveToString();
        auto back = LoadBytes(file);
        ExpectSameRecording(*r, *back);
        EXPECT_EQ(back->ChannelCount, 3);
        EXPECT_EQ(back->LastRemarkId, 4);
        EXPECT_EQ(back->SaveToString(), file);
    }
}

TEST(RecordingFileRoundTrip, DecimalsAndTheVisibleWindow)
{
    auto r = Rich(false);
    const std::string file = r->SaveToString();
    auto back = LoadBytes(file);
    EXPECT_EQ(back->Channel(1).Decimals, 7);
    EXPECT_EQ(back->Time->LoRange, 100010);
    EXPECT_EQ(back->Time->HiRange, 100100);
    auto twelve = LoadBytes(ReplaceOnce(file, "Decimals=\"7\"", "Decimals=\"12\""));
    EXPECT_EQ(twelve->Channel(1).Decimals, 8);
}

TEST(RecordingFileRoundTrip, WideSixteenBitChannelsArePromoted)
{
    TRecordingShape s;
    s.Records = 3;
    s.MinMax = true;
    auto r = MakeRecording(s);
    r->Channel(1).MaxValues[2] = 40000; // out of 16-bit reach, only in the max array
    r->Channel(0).Values[1] = -32768;   // the marker value itself is not representable either
    const std::string file = r->SaveToString();
    EXPECT_NE(file.find("RecordingVersion=\"VROWIN_V02_E02\""), std::string::npos);
    auto back = LoadBytes(file);
    EXPECT_TRUE(back->Channel(0).Has32BitSize);
    EXPECT_TRUE(back->Channel(1).Has32BitSize);
    EXPECT_EQ(back->Channel(1).MaxValues[2], 40000);
    EXPECT_EQ(back->Channel(0).Values[1], -32768);
}

TEST(RecordingFileRoundTrip, EmptySnapshotCameraAndSubTimes)
{
    TRecordingShape s;
    s.Channels = 3;
    s.Records = 4;
    s.SubTimes = true;
    auto r = MakeRecording(s);
    const std::string file = r->SaveToString();
    EXPECT_NE(file.find("ChannelCount=\"4\""), std::string::npos);
    for (int k = 0; k < 4; ++k)
        EXPECT_NE(file.find("<Sensor SensorNumber=\"" + std::to_string(k) + "\""), std::string::npos);
    EXPECT_NE(file.find("<SnapshotCamera Version=\"1\">\r\n    </SnapshotCamera>"), std::string::npos);
    auto back = LoadBytes(file);
    EXPECT_EQ(back->ChannelCount, 3);
    EXPECT_EQ(back->SnapshotCamera.Count(), 0);
    EXPECT_EQ(back->SnapshotCamera.Version, 1);
    EXPECT_EQ(back->Time->SubTimes->Values, r->Time->SubTimes->Values);
}

TEST(RecordingFileRemarks, MoreThanAHundredRemarks)
{
    auto r = Rich(false);
    r->Remarks.assign(150, TRemarkData());
    for (int i = 0; i < 150; ++i)
        r->Remarks[static_cast<std::size_t>(i)].RemarkId = i + 1;
    auto back = LoadBytes(r->SaveToString());
    EXPECT_EQ(back->Remarks.size(), 100u);
    EXPECT_EQ(back->LastRemarkId, 100);
    ASSERT_EQ(back->LoadWarnings.size(), 1u);
    EXPECT_EQ(back->LoadWarnings[0], "Max. Remark Anzahl \xC3\xBC"
                                     "berschritten");
    // Announced remarks that never come are not kept as empty boxes.
    r->Remarks.resize(2);
    auto fewer = LoadBytes(ReplaceOnce(r->SaveToString(), "RemarkCount=\"2\"", "RemarkCount=\"9\""));
    EXPECT_EQ(fewer->Remarks.size(), 2u);
}

TEST(RecordingFileMalformed, CountsAreCheckedBeforeAnythingIsAllocated)
{
    TRecordingShape s;
    s.Records = 20;
    auto r = MakeRecording(s);
    const std::string file = r->SaveToString();
    const std::string count = "RecordCount=\"20\"";
    EXPECT_EQ(MessageOf(ReplaceOnce(file, count, "RecordCount=\"0\"")), "Illegal RecordSize 0");
    EXPECT_EQ(MessageOf(ReplaceOnce(file, count, "")), "Illegal RecordSize 0");
    EXPECT_EQ(MessageOf(ReplaceOnce(file, count, "RecordCount=\"-3\"")), "Illegal RecordSize -3");
    EXPECT_EQ(MessageOf(ReplaceOnce(file, count, "RecordCount=\"99999999999\"")), "Illegal RecordSize 99999999999");
    // Half a billion samples claimed by a small file: refused, nothing allocated.
    EXPECT_NE(MessageOf(ReplaceOnce(file, count, "RecordCount=\"500000000\"")).find("needs at least"),
              std::string::npos);
    // One sample more than the block holds.
    EXPECT_NE(MessageOf(ReplaceOnce(file, count, "RecordCount=\"21\"")).find("Stream read error"), std::string::npos);
    EXPECT_NE(MessageOf(file.substr(0, file.size() - 1)).find("Stream read error"), std::string::npos);
    // 32-bit flags that the block cannot back.
    EXPECT_NE(MessageOf(ReplaceOnce(file, "Has32BitSize=\"0\"", "Has32BitSize=\"1\"")).find("needs 120"),
              std::string::npos);
}

TEST(RecordingFileMalformed, ChannelCounts)
{
    TRecordingShape s;
    s.Records = 2;
    auto r = MakeRecording(s);
    const std::string file = r->SaveToString();
    const std::string count = "ChannelCount=\"2\"";
    EXPECT_EQ(MessageOf(ReplaceOnce(file, count, "ChannelCount=\"33\"")), "Illegal ChannelCount 33 (at most 32)");
    EXPECT_EQ(MessageOf(ReplaceOnce(file, count, "ChannelCount=\"-1\"")), "Illegal ChannelCount -1 (at most 32)");
    std::string zero = text(7);
    zero.replace(zero.find("%s"), 2, "memory.vxrf");
    EXPECT_EQ(MessageOf(ReplaceOnce(file, count, "ChannelCount=\"0\"")), zero);
    // With sub-times one more is allowed; a 33rd channel beside them is not.
    TRecordingShape st = s;
    st.SubTimes = true;
    st.Channels = 32;
    auto full = MakeRecording(st);
    const std::string subFile = full->SaveToString();
    EXPECT_EQ(LoadBytes(subFile)->ChannelCount, 32);
    EXPECT_EQ(MessageOf(ReplaceOnce(subFile, "ChannelCount=\"33\"", "ChannelCount=\"34\"")),
              "Illegal ChannelCount 34 (at most 33)");
    // Sensor numbers outside the channels are ignored.
    auto back = LoadBytes(ReplaceOnce(file, "SensorNumber=\"1\"", "SensorNumber=\"7\""));
    EXPECT_EQ(back->Channel(1).DeviceName, "Unknown");
}

TEST(RecordingFileMalformed, FlagsThatContradictTheContent)
{
    auto noStamps = MakeRecording(TRecordingShape{2, 3});
    const std::string plain = noStamps->SaveToString();
    EXPECT_EQ(MessageOf(ReplaceOnce(plain, "HasSubTimes=\"0\"", "HasSubTimes=\"1\"")),
              "Illegal recording: HasSubTimes without HasTimeStamps");
    // A State element without HasStates has nothing to fill and is skipped.
    auto state = LoadBytes(ReplaceOnce(plain, "<Time ", "<State StateCodeId=\"5\" />\r\n    <Time "));
    EXPECT_EQ(state->State, nullptr);
    // The first element must be GeneralParameters.
    EXPECT_EQ(MessageOf(ReplaceOnce(plain, "<GeneralParameters", "<Descriptions /><GeneralParameters")),
              "Invalid first element in RecordingParameters");
}

TEST(RecordingFileMalformed, InfoStringCountsAndUnknownElements)
{
    auto r = Rich(false);
    const std::string file = r->SaveToString();
    auto huge = LoadBytes(ReplaceOnce(file, "InfoStringCount=\"3\"", "InfoStringCount=\"2000000000\""));
    EXPECT_LE(huge->InfoStrings.size(), 4u);
    EXPECT_EQ(huge->InfoStrings[0], "@Trigger settings");
    auto negative = LoadBytes(ReplaceOnce(file, "InfoStringCount=\"3\"", "InfoStringCount=\"-4\""));
    EXPECT_TRUE(negative->InfoStrings.empty());
    // An unknown element with children is skipped whole, even when its
    // children carry known names.
    auto skipped = LoadBytes(ReplaceOnce(
        file, "<RemarkDataCount",
        "<Extra a=\"1\">\r\n<Sensor SensorNumber=\"1\" DeviceName=\"X\" />\r\n</Extra>\r\n<RemarkDataCount"));
    EXPECT_EQ(skipped->Channel(1).DeviceName, "Channel B");
}

TEST(RecordingFileMalformed, VersionsHeadersAndSeparators)
{
    auto r = MakeRecording(TRecordingShape{});
    const std::string file = r->SaveToString();
    EXPECT_EQ(MessageOf(ReplaceOnce(file, "VROWIN_V02_E01", "VROWIN_V09_E01")), text(12));
    EXPECT_EQ(MessageOf("plain text, no recording"), "Unknown File");
    EXPECT_EQ(MessageOf(""), "Unknown File");
    EXPECT_NE(MessageOf(file.substr(0, 60)).find("Stream read error"), std::string::npos);
    EXPECT_NE(MessageOf(file.substr(0, 700)), "(loaded)");
    const std::size_t block = BlockStart(file);
    EXPECT_NE(MessageOf(file.substr(0, block - 1)).find("Stream read error"), std::string::npos);
    // A failed load leaves an empty recording, never a partly filled one.
    TRecording t;
    const std::string bad = ReplaceOnce(file, "RecordCount=\"10\"", "RecordCount=\"11\"");
    EXPECT_THROW(t.LoadFromMemory({reinterpret_cast<const std::uint8_t*>(bad.data()), bad.size()}, "x"), ERecording);
    EXPECT_EQ(t.ChannelCount, 0);
    EXPECT_EQ(t.Channels[0], nullptr);
    EXPECT_FALSE(t.Saved);
}

TEST(RecordingFileDisk, SaveAndLoadThroughFiles)
{
    const std::string dir = vro::test::TempFolder("disk");
    auto r = Rich(true);
    r->FileName = dir + "/a.vxrf";
    r->SaveToFile();
    EXPECT_TRUE(r->Saved);
    TRecording back;
    back.LoadFromFile(r->FileName);
    ExpectSameRecording(*r, back);
    EXPECT_EQ(back.FileName, r->FileName);
    EXPECT_EQ(ReadWholeFile(r->FileName), r->SaveToString());
}

TEST(RecordingFileDisk, FailedSavesAreReportedAndKeepTheOldFile)
{
    const std::string dir = vro::test::TempFolder("fail");
    auto r = MakeRecording(TRecordingShape{});
    r->FileName = dir + "/missing/a.vxrf";
    EXPECT_THROW(
        {
            try {
                r->SaveToFile();
            } catch (const ERecording& e) {
                EXPECT_EQ(e.what(), text(18));
                throw;
            }
        },
        ERecording);
    EXPECT_FALSE(r->Saved);
    // The target is a folder: the write succeeds, replacing it fails after
    // creation. The error reaches the caller and nothing is left behind.
    std::filesystem::create_directory(dir + "/folder.vxrf");
    r->FileName = dir + "/folder.vxrf";
    EXPECT_THROW(r->SaveToFile(), std::exception);
    EXPECT_FALSE(r->Saved);
    EXPECT_TRUE(std::filesystem::is_directory(dir + "/folder.vxrf"));
    int entries = 0;
    for ([[maybe_unused]] auto& e : std::filesystem::directory_iterator(dir))
        ++entries;
    EXPECT_EQ(entries, 1); // only folder.vxrf: no temporary file is left
    // An inconsistent recording is not written over a good file.
    r->FileName = dir + "/good.vxrf";
    r->SaveToFile();
    const std::string good = ReadWholeFile(r->FileName);
    r->Channel(0).Values.resize(3);
    EXPECT_THROW(r->SaveToFile(), ERecording);
    EXPECT_EQ(ReadWholeFile(r->FileName), good);
}

TEST(RecordingFileDisk, LoadFromFileTakesOnlyRecordingFiles)
{
    const std::string dir = vro::test::TempFolder("foreign");
    const std::string name = dir + "/old.vro";
    WriteFileAtomically(name, "not a recording file");
    TRecording r;
    EXPECT_THROW(r.LoadFromFile(name), ERecording);
    EXPECT_EQ(r.ChannelCount, 0);
    EXPECT_THROW(r.LoadFromFile(dir + "/none.vxrf"), ERecording);
}

namespace {
class THostFake : public TRecordingHost {
public:
    std::vector<std::string> answers;
    std::vector<std::string> taken;
    std::vector<std::string> errors;
    int beforeSave = 0, refreshed = 0;
    void BeforeSave(TRecording&) override { ++beforeSave; }
    std::optional<std::string> AskSaveName(const std::string&) override
    {
        if (answers.empty())
            return std::nullopt;
        std::string a = answers.front();
        answers.erase(answers.begin());
        return a;
    }
    bool IsNameFree(const std::string& name) override
    {
        return std::find(taken.begin(), taken.end(), name) == taken.end();
    }
    void ShowError(const std::string& message) override { errors.push_back(message); }
    void Refresh() override { ++refreshed; }
};
} // namespace

TEST(RecordingFileDisk, NameCheckBeforeTheFirstSave)
{
    const std::string dir = vro::test::TempFolder("host");
    THostFake host;
    auto r = MakeRecording(TRecordingShape{});
    r->Host = &host;
    r->NameConfirmed = false;
    r->FileName = dir + "/proposal.vxrf";
    host.taken = {dir + "/open.vxrf"};
    host.answers = {dir + "/open.vxrf", dir + "/free.vxrf"};
    r->SaveToFile();
    ASSERT_EQ(host.errors.size(), 1u);
    EXPECT_NE(host.errors[0].find(dir + "/open.vxrf"), std::string::npos);
    EXPECT_EQ(r->FileName, dir + "/free.vxrf");
    EXPECT_TRUE(r->NameConfirmed);
    EXPECT_TRUE(r->Saved);
    EXPECT_EQ(host.refreshed, 1);
    EXPECT_EQ(host.beforeSave, 1);
    EXPECT_TRUE(std::filesystem::exists(dir + "/free.vxrf"));
    // Cancelling ends the save silently.
    auto q = MakeRecording(TRecordingShape{});
    q->Host = &host;
    q->NameConfirmed = false;
    q->FileName = dir + "/never.vxrf";
    q->SaveToFile();
    EXPECT_FALSE(q->Saved);
    EXPECT_FALSE(std::filesystem::exists(dir + "/never.vxrf"));
}

// A file on disk has its sample block read by offset, piece by piece, while
// bytes in memory are converted in place: both must give the same recording,
// and a damaged file the same message.
void WriteFile(const std::string& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string LoadFileMessage(const std::string& path, TRecording& into)
{
    try {
        into.LoadFromFile(path);
    } catch (const std::exception& e) {
        return e.what();
    }
    return "(loaded)";
}

TEST(RecordingFileDisk, FileAndMemoryLoadsAgreeForEveryKind)
{
    const std::string dir = vro::test::TempFolder("kinds");
    std::vector<TRecordingShape> specs;
    for (const bool wide : {false, true})
        for (const bool minMax : {false, true}) {
            TRecordingShape s;
            s.Wide = wide;
            s.MinMax = minMax;
            s.Records = 300;
            specs.push_back(s);
            s.States = s.Stamps = true;
            specs.push_back(s);
            s.SubTimes = true;
            specs.push_back(s);
        }
    // More than one conversion piece (2^20 samples) per 16-bit array, and a
    // last piece that is not full.
    TRecordingShape big;
    big.Channels = 1;
    big.Records = (1 << 20) + 4099;
    big.States = big.Stamps = big.SubTimes = true;
    specs.push_back(big);
    int n = 0;
    for (const auto& s : specs) {
        SCOPED_TRACE(n);
        auto r = MakeRecording(s);
        if (s.Records > 1000) { // 16-bit values, no-value markers and extremes across a piece's end
            auto& v = r->Channel(0).Values;
            for (std::size_t k = 0; k < v.size(); ++k)
                v[k] = static_cast<std::int32_t>((k * 7) % 60001) - 30000;
            for (std::size_t k = 0; k < 3; ++k)
                v[(1u << 20) - 1 + k] = k == 0 ? NoValue : k == 1 ? -32767 : 32767;
        }
        const std::string bytes = r->SaveToString();
        const std::string path = dir + "/r" + std::to_string(n++) + ".vxrf";
        WriteFile(path, bytes);
        TRecording fromFile;
        ASSERT_EQ(LoadFileMessage(path, fromFile), "(loaded)");
        auto fromMemory = LoadBytes(bytes);
        ExpectSameRecording(*fromMemory, fromFile);
        ExpectSameRecording(*r, fromFile);
        EXPECT_EQ(fromFile.SaveToString(), bytes);
        // Cut inside the sample block, or with counts the block cannot back.
        const std::size_t block = BlockStart(bytes);
        for (const std::string& bad :
             {bytes.substr(0, bytes.size() - 1), bytes.substr(0, block + (bytes.size() - block) / 2),
              bytes.substr(0, block), ReplaceOnce(bytes, "RecordCount=\"", "RecordCount=\"1")}) {
            WriteFile(path, bad);
            TRecording failed;
            const std::string message = LoadFileMessage(path, failed);
            EXPECT_NE(message, "(loaded)");
            EXPECT_EQ(message, MessageOf(bad));
            EXPECT_EQ(failed.ChannelCount, 0);
        }
    }
}
