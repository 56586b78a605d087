#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <fstream>

#include "core/construct/construct.h"
#include "core/construct/loadrecordingfile.h"
#include "core/legacy/legacybuilder.h"
#include "core/text/texts.h"
#include "core/values/vro8utils.h"

using namespace vro;

namespace {

constexpr std::int32_t k2000 = 252460800;

// A recording with time stamps, values = 10 x stamp (+ channel index).
std::unique_ptr<TRecording> Stamped(const std::vector<std::int32_t>& stamps, int channels = 1, bool states = false,
                                    const std::vector<std::int32_t>& subs = {})
{
    auto r = std::make_unique<TRecording>();
    r->RecordingSource = 0;
    r->RecordingType = 2;
    r->HasTimeStamps = true;
    r->HasStates = states;
    r->HasSubTimes = !subs.empty();
    r->ChannelCount = channels;
    r->RecordCount = static_cast<std::int32_t>(stamps.size());
    r->CreateChannelObjects();
    for (std::size_t k = 0; k < stamps.size(); ++k) {
        r->Time->TimeStamps[k] = stamps[k];
        if (!subs.empty())
            r->Time->SubTimes->Values[k] = subs[k];
        for (int c = 0; c < channels; ++c)
            r->Channel(c).Values[k] = stamps[k] * 10 + c;
        if (states)
            r->State->States[k] = static_cast<std::uint16_t>(stamps[k] % 7);
    }
    r->Time->ResetRange();
    return r;
}

std::vector<std::int32_t> Stamps(const TRecording& r)
{
    return {r.Time->TimeStamps.begin(), r.Time->TimeStamps.begin() + r.RecordCount};
}

std::filesystem::path TempDir()
{
    auto d = std::filesystem::temp_directory_path() / ("vro_construct_" + std::to_string(::getpid()));
    std::filesystem::create_directories(d);
    return d;
}

void WriteBytes(const std::filesystem::path& p, const std::vector<std::uint8_t>& b)
{
    std::ofstream(p, std::ios::binary)
        .write(reinterpret_cast<const char*>(b.data()), static_cast<std::streamsize>(b.size()));
}

test::TLegacyBuilder LegacyEventLog(std::int32_t start)
{
    test::TLegacyBuilder b(2);
    b.U8(80, 0);
    b.I32(81, start);
    b.I32(85, start + 30);
    b.I32(89, 9);
    b.Str(93, "Log");
    b.U16(109, 3);
    b.Input(1, -100, 100, 1, "bar", 2, true, -50, 50);
    b.Input(6, 0, 500, 0, "mA", 0, false);
    b.Str(1491 + 8, "P1");
    b.Str(1491 + 48, "Diff");
    b.Samples({1, -32768, 3});
    b.Samples({7, 8, 9});
    b.Stamps({static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(start + 10),
              static_cast<std::uint32_t>(start + 30)});
    b.States({0, 3, 6});
    return b;
}

} // namespace

TEST(FillFromLegacy, EventLogFieldByField)
{
    const auto legacy = TLegacyRecording::Read(LegacyEventLog(k2000 + 3600).bytes);
    TRecording r;
    FillFromLegacy(r, legacy);
    EXPECT_EQ(r.RecordingSource, 2);
    EXPECT_EQ(r.DeviceRecordingNumber, 9);
    EXPECT_EQ(r.DeviceRecordingName, "Log");
    EXPECT_DOUBLE_EQ(r.StartTime, 36526 + 1.0 / 24);
    EXPECT_DOUBLE_EQ(r.StopTime, 36526 + (3600 + 30) / 86400.0);
    EXPECT_EQ(r.TriggerTime, 0.0);
    EXPECT_EQ(r.RecordingType, 2);
    EXPECT_TRUE(r.HasTimeStamps);
    EXPECT_TRUE(r.HasStates);
    EXPECT_FALSE(r.HasMinMaxValues);
    EXPECT_EQ(r.SimpleCurvMode, 0);
    EXPECT_EQ(r.ShowTableMinMax, 1);
    EXPECT_EQ(r.ChannelCount, 2);
    EXPECT_EQ(r.RecordCount, 3);
    EXPECT_EQ(r.XAxisIndex, -1);
    EXPECT_EQ(r.LeftYAxis, 1);
    EXPECT_EQ(r.RightYAxis, 2);
    EXPECT_FALSE(r.Saved);
    EXPECT_FALSE(r.NameConfirmed);
    const auto& a = r.Channel(0);
    EXPECT_EQ(a.DeviceName, "Channel B");
    EXPECT_EQ(a.CustomName, "P1");
    EXPECT_EQ(a.GetName(), "P1");
    EXPECT_EQ(a.DeviceLoRange, -100);
    EXPECT_EQ(a.FullHiRange, 100);
    EXPECT_EQ(a.CurrentLoRange, -50);
    EXPECT_EQ(a.CurrentHiRange, 50);
    EXPECT_EQ(a.Decimals, 1);
    EXPECT_EQ(a.MeasureUnit, "bar");
    EXPECT_EQ(a.ColorIndex, 6); // unit code 2 -> colour class 14 -> colour 6
    EXPECT_EQ(a.Style, 2);
    EXPECT_EQ(a.Values, (TSensorValues{1, NoValue, 3}));
    EXPECT_EQ(a.GetValueText(1), "---");
    const auto& b = r.Channel(1);
    EXPECT_EQ(b.DeviceName, "Channel A-B");
    EXPECT_EQ(b.CustomName, "Diff");
    EXPECT_FALSE(b.Visible);
    EXPECT_EQ(Stamps(r), (std::vector<std::int32_t>{3600, 3610, 3630}));
    EXPECT_EQ(r.State->States, (TStateValues{0, 3, 6}));
    EXPECT_EQ(r.State->GetStateText(1), "T12");
}

TEST(LoadRecordingFile, DecidesTheKindFromTheContent)
{
    EXPECT_EQ(DetectRecordingFileKind({}), TRecordingFileKind::Unknown);
    const std::string rec = RecordingFileHeader();
    EXPECT_EQ(DetectRecordingFileKind({reinterpret_cast<const std::uint8_t*>(rec.data()), rec.size()}),
              TRecordingFileKind::Recording);
    EXPECT_EQ(DetectRecordingFileKind(test::TLegacyBuilder(1).bytes), TRecordingFileKind::Legacy1);
    EXPECT_EQ(DetectRecordingFileKind(test::TLegacyBuilder(2).bytes), TRecordingFileKind::Legacy2);
    EXPECT_EQ(DetectRecordingFileKind(test::TLegacyBuilder(3).bytes), TRecordingFileKind::Legacy3);
    // Only the first 40 bytes of the header count; a shorter start is no recording file.
    EXPECT_EQ(DetectRecordingFileKind({reinterpret_cast<const std::uint8_t*>(rec.data()), 39}),
              TRecordingFileKind::Unknown);
    EXPECT_EQ(DetectRecordingFileKind(std::vector<std::uint8_t>(100, 'x')), TRecordingFileKind::Unknown);
}

TEST(LoadRecordingFile, OpensRecordingAndLegacyFilesAlike)
{
    const auto dir = TempDir();
    // A recording file, written by the model.
    {
        auto r = Stamped({3600, 3610, 3620}, 2);
        r->FileName = (dir / "new.vxrf").string();
        r->NameConfirmed = true;
        r->SaveToFile();
    }
    TRecording rec;
    LoadRecordingFile(dir / "new.vxrf", rec);
    EXPECT_EQ(rec.ChannelCount, 2);
    EXPECT_EQ(rec.RecordCount, 3);
    EXPECT_EQ(rec.FileName, (dir / "new.vxrf").string());

    // A legacy file into the same object: everything of the first file goes.
    // Starts on 1999-12-30 12:00: moved to 2000-01-01 12:00 and text 11 is due.
    const auto path = dir / "old.vro";
    WriteBytes(path, LegacyEventLog(k2000 - 2 * 86400 + 43200).bytes);
    LoadRecordingFile(path, rec);
    EXPECT_EQ(rec.FileName, path.string());
    EXPECT_EQ(rec.RecordingSource, 2);
    EXPECT_EQ(rec.ChannelCount, 2);
    EXPECT_EQ(rec.Time->TimeStamps[0], 43200);
    ASSERT_EQ(rec.LoadWarnings.size(), 1u);
    EXPECT_EQ(rec.LoadWarnings[0], text(11));
    // The same bytes from memory give the same recording.
    TRecording mem;
    LoadRecordingBytes(LegacyEventLog(k2000 - 2 * 86400 + 43200).bytes, "m.vro", mem);
    EXPECT_EQ(mem.FileName, "m.vro");
    EXPECT_EQ(Stamps(mem), Stamps(rec));

    // A damaged legacy file: "Unknown File" with the reason, nothing half-built.
    auto cut = LegacyEventLog(k2000).bytes;
    cut.resize(cut.size() - 1);
    WriteBytes(path, cut);
    TRecording bad;
    LoadRecordingFile(dir / "new.vxrf", bad);
    try {
        LoadRecordingFile(path, bad);
        FAIL();
    } catch (const ERecording& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Unknown File", 0), 0u) << e.what();
        EXPECT_NE(std::string(e.what()).find("CorruptedFile"), std::string::npos);
    }

    WriteBytes(path, std::vector<std::uint8_t>(100, 'x'));
    TRecording none;
    try {
        LoadRecordingFile(path, none);
        FAIL();
    } catch (const ERecording& e) {
        EXPECT_STREQ(e.what(), "Unknown File");
    }
    EXPECT_EQ(none.ChannelCount, 0);
    // A recording object's own reader takes no legacy file, whatever ran before.
    WriteBytes(path, LegacyEventLog(k2000).bytes);
    EXPECT_THROW(none.LoadFromFile(path), ERecording);
    EXPECT_THROW(LoadRecordingFile(dir / "missing.vxrf", none), ERecording);
    std::filesystem::remove_all(dir);
}

TEST(FillFromTextFile, ConvertsWithTheColumnDecimals)
{
    textimport::TTextFileHandler h;
    h.Load("/data/in.csv", "t;a;b\n0;1,25;100\n1;;200\n2;2,5;2e12\n");
    h.Import(textimport::TTextFileSettings::FromAnalysis(h.Settings()));
    TRecording r;
    FillFromTextFile(r, h);
    EXPECT_EQ(r.RecordingSource, 5);
    EXPECT_EQ(r.RecordingType, 4);
    EXPECT_EQ(r.FileName, "/data/in.csv");
    EXPECT_EQ(r.GetDisplayFileName(), "*/data/in.csv");
    EXPECT_EQ(r.ChannelCount, 2);
    EXPECT_EQ(r.RecordCount, 3);
    EXPECT_EQ(r.SampleRate, 10000);
    EXPECT_FALSE(r.HasTimeStamps);
    EXPECT_EQ(r.XAxisIndex, -1);
    EXPECT_EQ(r.LeftYAxis & 1, 1);
    EXPECT_EQ(r.Time->TimeUnit, "s");
    const auto& a = r.Channel(0);
    EXPECT_EQ(a.DeviceName, "a");
    EXPECT_EQ(a.Decimals, 2);
    EXPECT_EQ(a.Values, (TSensorValues{125, NoValue, 250}));
    EXPECT_EQ(a.DeviceLoRange, 125);
    EXPECT_EQ(a.DeviceHiRange, 1125); // 1.25 .. 11.25
    EXPECT_EQ(a.FullHiRange, a.DeviceHiRange);
    EXPECT_EQ(a.CurrentLoRange, 125);
    EXPECT_EQ(a.CurrentHiRange, 1125);
    EXPECT_TRUE(a.Has32BitSize);
    EXPECT_TRUE(a.Visible);
    const auto& b = r.Channel(1);
    EXPECT_EQ(b.ColorIndex, 1);
    EXPECT_EQ(b.Decimals, 0);
    EXPECT_EQ(b.Values, (TSensorValues{100, 200, NoValue})); // beyond the raw limit: no value
}

TEST(FillFromTextFile, TimeStampsFromDates)
{
    textimport::TTextFileHandler h;
    h.Load("in.txt", "d\tv\n2000-01-01 00:00:05\t1\n2000-01-01 00:00:06\t2\n2000-01-01 00:01:00\t3\n");
    h.Import(textimport::TTextFileSettings::FromAnalysis(h.Settings()));
    TRecording r;
    FillFromTextFile(r, h);
    EXPECT_TRUE(r.HasTimeStamps);
    EXPECT_EQ(Stamps(r), (std::vector<std::int32_t>{5, 6, 60}));
    EXPECT_EQ(r.Time->LoRange, 5);
}

namespace {

TDeviceRecordingData DeviceRecording()
{
    TDeviceRecordingData d;
    d.Name = "Test";
    d.Number = 12;
    d.StartTime = 86400;
    d.StopTime = 86400 + 100;
    d.Type = 2; // event log: stamps, states, min/max
    d.SimpleCurveMode = 3;
    d.SampleRate = 12;
    d.RecordCount = 2;
    d.PreTriggerCount = 1;
    d.TriggerTime = 86400 + 50;
    d.TriggerState = 1;
    d.Comment = "remark";
    d.Channels = {TDeviceChannelInfo{0, 0, "P", "bar", 2, -1000, 1000, 0},
                  TDeviceChannelInfo{3, 2, "Count", "", 0, 0, 100000, 4}};
    d.TriggerTexts = {"t1", "t2", "t3", "t4"};
    d.CombinationText = "t1 or t2";
    d.LeftYAxis = 3;
    d.XAxisIndex = -1;
    // Record: stamp (2 words), state, ch0 value/min/max (1 word each), ch1 value/min/max (2 words each).
    static const std::vector<std::uint16_t> kSamples = {10,     0, 5,      100,    0x8000, 200, 0x86A0, 0x0001,
                                                        0,      0, 0xFFFF, 0xFFFF, 20,     0,   6,      0xFFFF,
                                                        0xFFFE, 1, 7,      0,      7,      0,   7,      0};
    d.Samples = kSamples;
    return d;
}

} // namespace

TEST(FillFromDevice, FieldByFieldAndSampleBySample)
{
    TRecording r;
    FillFromDevice(r, DeviceRecording(), false, "/x/a.vxrf", {});
    EXPECT_EQ(r.RecordingSource, 0);
    EXPECT_EQ(r.FileName, "/x/a.vxrf");
    EXPECT_TRUE(r.NameConfirmed);
    EXPECT_EQ(r.DeviceRecordingName, "Test");
    EXPECT_EQ(r.DeviceRecordingNumber, 12);
    EXPECT_DOUBLE_EQ(r.StartTime, 36527);
    EXPECT_EQ(r.RecordingType, 2);
    EXPECT_EQ(r.SimpleCurvMode, 3);
    EXPECT_EQ(r.SampleRate, 12);
    EXPECT_EQ(r.PreTriggerCount, 1);
    EXPECT_EQ(r.TriggerState, 1);
    EXPECT_DOUBLE_EQ(r.TriggerTime, 36527 + 50 / 86400.0);
    EXPECT_EQ(r.Comment, "remark");
    EXPECT_TRUE(r.HasMinMaxValues && r.HasStates && r.HasTimeStamps);
    EXPECT_EQ(r.LeftYAxis, 3);
    EXPECT_EQ(r.RightYAxis, 0);
    EXPECT_EQ(r.ShowTableMinMax, 2);
    EXPECT_EQ(Stamps(r), (std::vector<std::int32_t>{10, 20}));
    EXPECT_EQ(r.State->States, (TStateValues{5, 6}));
    const auto& a = r.Channel(0);
    EXPECT_EQ(a.DeviceName, "Channel A");
    EXPECT_EQ(a.CustomName, "P");
    EXPECT_EQ(a.CurrentLoRange, -1000);
    EXPECT_EQ(a.ColorIndex, 0);
    EXPECT_EQ(a.Values, (TSensorValues{100, -1}));
    EXPECT_EQ(a.MinValues, (TSensorValues{NoValue, -2})); // 16-bit -32768 is no value
    EXPECT_EQ(a.MaxValues, (TSensorValues{200, 1}));
    EXPECT_FALSE(a.Has32BitSize);
    const auto& b = r.Channel(1);
    EXPECT_EQ(b.DeviceName, "Channel D-2");
    EXPECT_EQ(b.Values, (TSensorValues{100000, 7}));
    EXPECT_EQ(b.MinValues, (TSensorValues{0, 7}));
    EXPECT_EQ(b.MaxValues, (TSensorValues{-1, 7}));
    EXPECT_TRUE(b.Has32BitSize); // 100000 does not fit 16 bits
    ASSERT_EQ(r.InfoStrings.size(), 6u);
    EXPECT_EQ(r.InfoStrings[0], "@" + text(1146));
    EXPECT_EQ(r.InfoStrings[4], text(1144) + " 4|t4");
    EXPECT_EQ(r.InfoStrings[5], text(1145) + "|t1 or t2");
}

TEST(FillFromDevice, AutoNameAndShortData)
{
    const auto dir = TempDir();
    std::ofstream(dir / "Test-00012.vxrf") << "x";
    TRecording r;
    FillFromDevice(r, DeviceRecording(), true, "", dir);
    EXPECT_EQ(r.FileName, (dir / "Test-00012-1.vxrf").string());
    EXPECT_TRUE(r.NameConfirmed);

    auto d = DeviceRecording();
    d.Samples = d.Samples.first(d.Samples.size() - 1);
    TRecording s;
    EXPECT_THROW(FillFromDevice(s, d, false, "", {}), EConstruct);
    EXPECT_EQ(s.ChannelCount, 0);
    EXPECT_EQ(s.RecordCount, 0);
    std::filesystem::remove_all(dir);
}

TEST(FillFromOnline, CopiesTheLastRecordsInTimeOrder)
{
    TOnlineRecordingData o;
    o.RecordingType = 0;
    o.SampleRate = 9;
    o.Channels = {TDeviceChannelInfo{1, 0, "T", "C", 1, 0, 1000, 0}};
    o.DisplayRanges = {{100, 300}};
    o.BufferLength = 5;
    o.WriteIndex = 2;
    o.Values = {{30, 40, 50, 10, -32768}};
    TRecording r;
    FillFromOnline(r, o, 4);
    EXPECT_EQ(r.RecordingSource, 1);
    EXPECT_EQ(r.RecordCount, 4);
    EXPECT_FALSE(r.HasTimeStamps);
    EXPECT_EQ(r.Channel(0).Values, (TSensorValues{10, NoValue, 30, 40}));
    EXPECT_EQ(r.Channel(0).CurrentLoRange, 100);
    EXPECT_EQ(r.Channel(0).CurrentHiRange, 300);
    EXPECT_EQ(r.ShowTableMinMax, 2);
    TRecording bad;
    EXPECT_THROW(FillFromOnline(bad, o, 6), EConstruct);
    EXPECT_EQ(bad.ChannelCount, 0);
}

namespace {

std::unique_ptr<TRecording> Plain(int records, int channels)
{
    auto r = std::make_unique<TRecording>();
    r->RecordingSource = 0;
    r->RecordingType = 1;
    r->SampleRate = 12;
    r->ChannelCount = channels;
    r->RecordCount = records;
    r->CreateChannelObjects();
    for (int c = 0; c < channels; ++c)
        for (int k = 0; k < records; ++k)
            r->Channel(c).Values[static_cast<std::size_t>(k)] = k + 1000 * c;
    r->Time->ResetRange();
    return r;
}

} // namespace

TEST(ExtractVisibleRange, WindowChannelsAndTrigger)
{
    auto r = Plain(300, 3);
    r->Time->FirstIndex = 100;
    r->Time->LastIndex = 199;
    r->PreTriggerCount = 150;
    r->TriggerState = 3;
    r->Channel(1).Visible = false;
    r->LeftYAxis = 4;  // channel 2
    r->RightYAxis = 1; // channel 0
    auto e = ExtractVisibleRange(*r);
    ASSERT_TRUE(e);
    EXPECT_EQ(e->RecordCount, 100);
    EXPECT_EQ(e->PreTriggerCount, 50);
    EXPECT_EQ(e->TriggerState, 3);
    EXPECT_EQ(e->ChannelCount, 2);
    EXPECT_EQ(e->Channel(1).Values[0], 2100);
    EXPECT_EQ(e->LeftYAxis, 2);
    EXPECT_EQ(e->RightYAxis, 1);
    EXPECT_FALSE(e->Saved);
    EXPECT_TRUE(e->FileName.empty());

    r->PreTriggerCount = 50;
    e = ExtractVisibleRange(*r);
    EXPECT_EQ(e->PreTriggerCount, 0);
    EXPECT_EQ(e->TriggerState, 0);
    // A trigger on the first or last sample of the window stays.
    r->PreTriggerCount = 100;
    e = ExtractVisibleRange(*r);
    EXPECT_EQ(e->PreTriggerCount, 0);
    EXPECT_EQ(e->TriggerState, 3);
    r->PreTriggerCount = 199;
    e = ExtractVisibleRange(*r);
    EXPECT_EQ(e->PreTriggerCount, 99);
    EXPECT_EQ(e->TriggerState, 3);

    // The X-axis channel comes along even when hidden.
    r->XAxisIndex = 1;
    e = ExtractVisibleRange(*r);
    EXPECT_EQ(e->ChannelCount, 3);
    EXPECT_EQ(e->XAxisIndex, 1);
    for (int c = 0; c < 3; ++c)
        r->Channel(c).Visible = false;
    r->XAxisIndex = -1;
    EXPECT_EQ(ExtractVisibleRange(*r), nullptr);
}

TEST(ExtractVisibleRange, StampsSubTimesAndStates)
{
    auto r = Stamped({1, 2, 3, 4, 5}, 1, true, {10, 20, 30, 40, 50});
    r->Time->FirstIndex = 1;
    r->Time->LastIndex = 3;
    r->Time->TimeStampHasDate = false;
    auto e = ExtractVisibleRange(*r);
    EXPECT_EQ(Stamps(*e), (std::vector<std::int32_t>{2, 3, 4}));
    EXPECT_EQ(e->Time->SubTimes->Values, (TSensorValues{20, 30, 40}));
    EXPECT_EQ(e->State->States, (TStateValues{2, 3, 4}));
    EXPECT_FALSE(e->Time->TimeStampHasDate);
}

TEST(TimeStamps, CheckAndRepairBothFaults)
{
    auto r = Stamped({100, 101, 50});
    EXPECT_EQ(CheckTimeStamps(*r), 2);
    EXPECT_EQ(r->TimeStampFault, 2);
    EXPECT_EQ(r->TimeStampFaultIndex, 2);
    RepairTimeStamps(*r);
    EXPECT_EQ(Stamps(*r), (std::vector<std::int32_t>{100, 101, 102}));
    EXPECT_DOUBLE_EQ(r->StopTime, StampToDateTime(102));
    EXPECT_EQ(CheckTimeStamps(*r), 0);

    r = Stamped({400000, 400001, 10}, 1, true);
    EXPECT_EQ(CheckTimeStamps(*r), 1);
    EXPECT_EQ(r->TimeStampFaultIndex, 2);
    RepairTimeStamps(*r);
    EXPECT_EQ(r->RecordCount, 2);
    EXPECT_EQ(r->Time->TimeStamps.size(), 2u);
    EXPECT_EQ(r->Channel(0).Values.size(), 2u);
    EXPECT_EQ(r->State->States.size(), 2u);
    EXPECT_EQ(r->DataSize(), 2 * (2 + 4 + 2));

    // A step back of exactly four days is no fault; one second more is.
    r = Stamped({400000, 400000 - 345600});
    EXPECT_EQ(CheckTimeStamps(*r), 0);
    r = Stamped({400000, 400000 - 345601});
    EXPECT_EQ(CheckTimeStamps(*r), 1);
    r = Plain(3, 1);
    EXPECT_EQ(CheckTimeStamps(*r), 0);
}

TEST(Merge, CheckAppendCodes)
{
    auto a = Stamped({1, 2});
    auto plain = Plain(2, 2);
    EXPECT_EQ(CheckAppend(*a, *plain), 3); // before the channel count
    EXPECT_EQ(CheckAppend(*a, *Stamped({3}, 2)), 2);
    EXPECT_EQ(CheckAppend(*a, *Stamped({3}, 1, true)), 5);
    auto mm = Stamped({3});
    mm->HasMinMaxValues = true;
    EXPECT_EQ(CheckAppend(*a, *mm), 4);
    auto dec = Stamped({3});
    dec->Channel(0).Decimals = 2;
    EXPECT_EQ(CheckAppend(*a, *dec), 2);
    EXPECT_EQ(CheckAppend(*a, *Stamped({3})), 0);

    // 20,000,000 bytes together: 32 channels of 32 bit and stamps, 132 bytes a record.
    std::vector<std::int32_t> many(151516);
    for (std::size_t k = 0; k < many.size(); ++k)
        many[k] = static_cast<std::int32_t>(k);
    auto x = Stamped(many, 32);
    auto y = Stamped({1000000}, 32);
    for (int c = 0; c < 32; ++c)
        y->Channel(c).Has32BitSize = true;
    EXPECT_EQ(CheckAppend(*x, *y), 1); // the 16-bit side becomes 32-bit in the result
    const auto before = Stamps(*x);
    EXPECT_EQ(AppendRecording(*x, *y), 1);
    EXPECT_EQ(x->RecordCount, 151516);
    EXPECT_EQ(Stamps(*x), before);
}

TEST(Merge, BlocksAtTheEndAtTheStartAndInAGap)
{
    auto r = Stamped({10, 20, 30});
    EXPECT_EQ(AppendRecording(*r, *Stamped({40, 50})), 0);
    EXPECT_EQ(Stamps(*r), (std::vector<std::int32_t>{10, 20, 30, 40, 50}));
    EXPECT_EQ(r->Channel(0).Values, (TSensorValues{100, 200, 300, 400, 500}));

    r = Stamped({10, 20, 30});
    EXPECT_EQ(AppendRecording(*r, *Stamped({1, 5})), 0);
    EXPECT_EQ(Stamps(*r), (std::vector<std::int32_t>{1, 5, 10, 20, 30}));

    r = Stamped({10, 20, 30, 40}, 1, true);
    r->StartTime = 5;
    r->StopTime = 6;
    auto o = Stamped({22, 25}, 1, true);
    o->StartTime = 4;
    o->StopTime = 7;
    o->Channel(0).Has32BitSize = true;
    EXPECT_EQ(AppendRecording(*r, *o), 0);
    EXPECT_EQ(Stamps(*r), (std::vector<std::int32_t>{10, 20, 22, 25, 30, 40}));
    EXPECT_EQ(r->Channel(0).Values, (TSensorValues{100, 200, 220, 250, 300, 400}));
    EXPECT_EQ(r->State->States, (TStateValues{3, 6, 1, 4, 2, 5}));
    EXPECT_TRUE(r->Channel(0).Has32BitSize);
    EXPECT_EQ(r->StartTime, 4);
    EXPECT_EQ(r->StopTime, 7);
    EXPECT_EQ(r->Time->LastIndex, 5);
}

TEST(Merge, OverlappingRecordingsInterleave)
{
    auto r = Stamped({10, 20, 30});
    EXPECT_EQ(AppendRecording(*r, *Stamped({15, 25, 35})), 0);
    EXPECT_EQ(Stamps(*r), (std::vector<std::int32_t>{10, 15, 20, 25, 30, 35}));
    EXPECT_EQ(r->Channel(0).Values, (TSensorValues{100, 150, 200, 250, 300, 350}));

    // One sample here: sample by sample; equal stamps keep the other's order.
    r = Stamped({20});
    auto o = Stamped({20, 20, 30});
    o->Channel(0).Values = {1, 2, 3};
    EXPECT_EQ(AppendRecording(*r, *o), 0);
    EXPECT_EQ(Stamps(*r), (std::vector<std::int32_t>{20, 20, 20, 30}));
    EXPECT_EQ(r->Channel(0).Values, (TSensorValues{1, 2, 200, 3}));
}

TEST(Merge, SubTimesCompareAsPartOfTheTime)
{
    // (10 s, .5000) (11 s, .1000) with (10 s, .8000): the new sample belongs
    // between the two, not at the end.
    auto r = Stamped({10, 11}, 1, false, {5000, 1000});
    auto o = Stamped({10}, 1, false, {8000});
    o->Channel(0).Values = {7};
    EXPECT_EQ(AppendRecording(*r, *o), 0);
    EXPECT_EQ(Stamps(*r), (std::vector<std::int32_t>{10, 10, 11}));
    EXPECT_EQ(r->Time->SubTimes->Values, (TSensorValues{5000, 8000, 1000}));
    EXPECT_EQ(r->Channel(0).Values, (TSensorValues{100, 7, 110}));

    // An other recording without sub-times gets sub-time 0.
    r = Stamped({10, 11}, 1, false, {5000, 1000});
    EXPECT_EQ(AppendRecording(*r, *Stamped({12})), 0);
    EXPECT_EQ(r->Time->SubTimes->Values, (TSensorValues{5000, 1000, 0}));
}

TEST(Merge, OtherValuesAreReadTimeShifted)
{
    auto r = Stamped({1, 2});
    auto o = Stamped({5, 6, 7});
    o->TimeShiftActive = true;
    o->Channel(0).TimeShift = 1;
    EXPECT_EQ(AppendRecording(*r, *o), 0);
    EXPECT_EQ(r->Channel(0).Values, (TSensorValues{10, 20, NoValue, 50, 60}));
}

TEST(Merge, RemarksFollowTheirSamples)
{
    auto anchored = [](std::int32_t index) {
        TRemarkData m;
        m.IsAnchored = true;
        m.AnchorIndex = index;
        return m;
    };
    // Block in front: every sample here moves up by the other's count.
    auto r = Stamped({10, 20, 30});
    r->Remarks = {anchored(0), anchored(2)};
    EXPECT_EQ(AppendRecording(*r, *Stamped({1, 2})), 0);
    EXPECT_EQ(r->Remarks[0].AnchorIndex, 2);
    EXPECT_EQ(r->Remarks[1].AnchorIndex, 4);
    EXPECT_EQ(r->Time->TimeStamps[static_cast<std::size_t>(r->Remarks[1].AnchorIndex)], 30);

    // Block at the end: nothing moves.
    r = Stamped({10, 20, 30});
    r->Remarks = {anchored(1)};
    EXPECT_EQ(AppendRecording(*r, *Stamped({40})), 0);
    EXPECT_EQ(r->Remarks[0].AnchorIndex, 1);

    // Interleaved: each remark keeps pointing at the sample it was placed on.
    r = Stamped({10, 20, 30});
    r->Remarks = {anchored(0), anchored(1), anchored(2)};
    EXPECT_EQ(AppendRecording(*r, *Stamped({5, 15, 25, 35})), 0);
    for (std::size_t k = 0; k < 3; ++k)
        EXPECT_EQ(r->Channel(0).Values[static_cast<std::size_t>(r->Remarks[k].AnchorIndex)],
                  static_cast<std::int32_t>(100 * (k + 1)));
}

TEST(Merge, BlockAfterARepairKeepsOnlyTheUsedSamples)
{
    // A repair cut the stamps; the channel arrays are still longer.
    auto r = Stamped({400000, 400001, 10}, 1, true);
    EXPECT_EQ(CheckTimeStamps(*r), 1);
    RepairTimeStamps(*r);
    r->Channel(0).Values.push_back(99); // longer than RecordCount
    EXPECT_EQ(AppendRecording(*r, *Stamped({400002}, 1, true)), 0);
    EXPECT_EQ(r->RecordCount, 3);
    EXPECT_EQ(Stamps(*r), (std::vector<std::int32_t>{400000, 400001, 400002}));
    EXPECT_EQ(r->Channel(0).Values, (TSensorValues{4000000, 4000010, 4000020}));
    EXPECT_EQ(r->State->States.size(), 3u);
}
