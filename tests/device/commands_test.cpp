// The recorder command layer against the simulated recorder over the
// in-memory pair, for every layout version, every command and every error
// status; one run over a pseudo-terminal.
#include "support/recorderrig.h"
#include "device/vro8online.h"
#include "link/dvxv24connector.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

using namespace vro;
using namespace vro::test;
using vro::sim::ERecorderFault;

namespace {

std::string Latin1(const std::string& s)
{
    std::string out;
    for (unsigned char c : s) {
        if (c < 0x80)
            out += static_cast<char>(c);
        else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// The message of the EVro8Device a call raises ("" when it raises none).
template <typename F>
std::string DeviceError(F f)
{
    try {
        f();
    } catch (const EVro8Device& e) {
        return e.what();
    }
    return "";
}

} // namespace

class EveryLayout : public ::testing::TestWithParam<int> {};

TEST_P(EveryLayout, IdentifyChannelsValuesDirectoryAndDownloads)
{
    const int v = GetParam();
    TRecorderRig rig(v);
    rig.Connect();
    TVro8Device& d = *rig.device;
    EXPECT_EQ(d.ComVersion(), v);
    EXPECT_EQ(d.Ident().IdentText, "VRO8K-M V2.10");
    EXPECT_EQ(d.Ident().HardwareVariant, 1);

    d.Measurement.ReadChannels();
    const auto chans = rig.recorder->Channels();
    ASSERT_EQ(d.Measurement.ChannelCount(), static_cast<int>(chans.size()));
    for (int i = 0; i < d.Measurement.ChannelCount(); ++i) {
        const auto& c = d.Measurement.Channel(i);
        EXPECT_EQ(c.LoRange, chans[i].LoRange);
        EXPECT_EQ(c.HiRange, chans[i].HiRange);
        EXPECT_EQ(c.Decimals, chans[i].Decimals);
        EXPECT_EQ(c.Input, chans[i].Input);
        EXPECT_EQ(c.SubChannel, v == 1 ? 0 : chans[i].SubChannel);
        EXPECT_EQ(c.DataType, chans[i].DataType);
        EXPECT_EQ(c.Name, chans[i].Name);
        EXPECT_EQ(c.Unit, Latin1(chans[i].Unit));
    }
    EXPECT_EQ(d.Measurement.FindChannel(4, 0), 4);
    EXPECT_EQ(d.Measurement.FindChannel(4, 1), v == 1 ? -1 : 4);
    d.Measurement.ReadCurrentValues();
    for (int i = 0; i < d.Measurement.ChannelCount(); ++i) {
        ASSERT_TRUE(d.Measurement.Value(i).has_value());
        EXPECT_GE(*d.Measurement.Value(i), chans[i].LoRange - 1);
        EXPECT_LE(*d.Measurement.Value(i), chans[i].HiRange + 1);
    }
    EXPECT_TRUE(d.Measurement.ResetMinMax());

    d.Directory.RefreshRecordings();
    const auto recs = rig.recorder->Recordings();
    ASSERT_EQ(d.Directory.Count(), static_cast<int>(recs.size()));
    EXPECT_EQ(d.Directory.ListEntries()[0].substr(0, 14), "Pressure test ");
    for (int i = 0; i < d.Directory.Count(); ++i) {
        SCOPED_TRACE(recs[i].Name);
        EXPECT_EQ(d.Directory.Entry(i).Handle, recs[i].Handle);
        EXPECT_EQ(d.Directory.Entry(i).Number, recs[i].Number);
        ASSERT_EQ(rig.Download(i), TVro8Recording::kLoaded);
        const TVro8Header& h = d.Recording.Header();
        EXPECT_EQ(h.Name, recs[i].Name);
        EXPECT_EQ(h.StartTime, recs[i].StartTime);
        EXPECT_EQ(h.StopTime, recs[i].StopTime);
        EXPECT_EQ(h.Type, recs[i].Type);
        EXPECT_EQ(h.RecordCount, recs[i].RecordCount);
        EXPECT_EQ(h.Comment, recs[i].Comment);
        ASSERT_EQ(h.Channels.size(), recs[i].Channels.size());
        for (std::size_t c = 0; c < h.Channels.size(); ++c) {
            EXPECT_EQ(h.Channels[c].Name, recs[i].Channels[c].Name);
            EXPECT_EQ(h.Channels[c].DataType, recs[i].Channels[c].DataType);
            EXPECT_EQ(h.Channels[c].SubChannel, 0); // headers carry none
        }
        EXPECT_EQ(h.TriggerCombination, recs[i].Combination);
        EXPECT_EQ(h.PreTriggerCount, recs[i].PreTriggerCount);
        for (int t = 0; t < 4; ++t) {
            const bool present = t < (v == 5 ? 2 : 4);
            EXPECT_EQ(h.Triggers[t].Source, present ? recs[i].Triggers[t].Source : 0);
            EXPECT_EQ(h.Triggers[t].Value, present ? recs[i].Triggers[t].Value : 0);
        }
        EXPECT_EQ(d.Recording.Samples(), recs[i].Words);
        // Reading the first record back in the model's order.
        d.Recording.ResetReadPosition();
        if (h.HasTimeStamps())
            EXPECT_EQ(static_cast<std::uint32_t>(d.Recording.ReadLong()), recs[i].StartTime);
    }

    d.Directory.RefreshSetups();
    EXPECT_TRUE(d.Directory.HoldsSetups());
    EXPECT_EQ(d.Directory.Count(), static_cast<int>(rig.recorder->SetupCount()));
    d.SetupBlocks.SaveToDirectory("Stored", 77);
    d.Directory.RefreshSetups();
    ASSERT_EQ(d.Directory.Count(), 3);
    EXPECT_EQ(d.Directory.Entry(2).Name, "Stored");
    EXPECT_EQ(d.Directory.Entry(2).Number, v == 1 ? 3u : 77u);
    d.SetupBlocks.LoadFromDirectory(2);
    d.Directory.DeleteEntry(2);
    EXPECT_EQ(rig.recorder->SetupCount(), 2u);

    for (auto b :
         {EVro8Block::Sensor, EVro8Block::Trigger, EVro8Block::Recording, EVro8Block::Display, EVro8Block::Base}) {
        auto bytes = d.SetupBlocks.ReadBlock(b);
        EXPECT_EQ(bytes, rig.recorder->Block(static_cast<std::uint8_t>(b)));
        bytes.back() ^= 0x01;
        d.SetupBlocks.WriteBlock(b, bytes);
        EXPECT_EQ(bytes, rig.recorder->Block(static_cast<std::uint8_t>(b)));
    }
    if (v == 4) {
        auto can = d.SetupBlocks.ReadBlock(EVro8Block::Can);
        ASSERT_EQ(can.size(), 2180u);
        can[2179] = 0x42;
        d.SetupBlocks.WriteBlock(EVro8Block::Can, can);
        EXPECT_EQ(rig.recorder->Block(107)[2179], 0x42);
    } else {
        EXPECT_THROW(d.SetupBlocks.ReadBlock(EVro8Block::Can), EVro8Device);
    }
    EXPECT_EQ(d.SetupBlocks.ReadSmartFlags().size(), v == 1 ? 0u : v == 5 ? 3u : 4u);
    EXPECT_EQ(d.SetupBlocks.SmartSensorText(1), "DVX-P B 600bar");
    EXPECT_EQ(d.SetupBlocks.SubChannelText(2, 3), "Sub C3 pressure");
    EXPECT_EQ(d.FlashAreas.ReadVersion(0), "VRO8K-S 1.07");
    EXPECT_EQ(d.FlashAreas.ReadVersion(1), "VRO8K-M 2.10");
}

INSTANTIATE_TEST_SUITE_P(ComVersions, EveryLayout, ::testing::Values(1, 2, 3, 4, 5));

TEST(RecorderCommands, LayoutsOutsideOneToFiveAreRefusedAtConnect)
{
    TRecorderRig rig(3);
    rig.recorder->SetComVersion(6);
    const TVro8ConnectResult r = Vro8Connect(*rig.device);
    EXPECT_FALSE(r.Connected);
    EXPECT_EQ(r.ComVersion, 6);
    EXPECT_NE(r.Error.find("layout version 6"), std::string::npos) << r.Error;
    EXPECT_FALSE(rig.device->Identified());
    EXPECT_THROW(rig.device->Measurement.ReadChannels(), EVro8Device);
    rig.recorder->SetComVersion(0);
    EXPECT_NE(Vro8Connect(*rig.device).Error.find("version 0"), std::string::npos);
    rig.recorder->SetComVersion(2);
    EXPECT_TRUE(Vro8Connect(*rig.device).Connected);

    // A recorder that does not answer R 40 leaves the device unidentified.
    rig.recorder->SetFault('R', 40, {ERecorderFault::Silence});
    const TVro8ConnectResult silent = Vro8Connect(*rig.device);
    EXPECT_FALSE(silent.Connected);
    EXPECT_EQ(silent.Error, "Timeout Error. No byte received.");
}

TEST(RecorderCommands, StatusAnswersBecomeDeviceErrors)
{
    TRecorderRig rig(3);
    rig.Connect();
    TVro8Device& d = *rig.device;
    d.Directory.RefreshRecordings();
    auto& r = *rig.recorder;
    r.SetFault('R', 33, {ERecorderFault::Status, 7});
    EXPECT_EQ(DeviceError([&] { d.Directory.DeleteEntry(0); }), "    7: DeleteFile");
    r.SetFault('R', 33, {ERecorderFault::Status, -12});
    EXPECT_EQ(DeviceError([&] { d.Directory.DeleteEntry(0); }), "  -12: DeleteFile");
    r.SetFault('R', 33, {ERecorderFault::Short, 1});
    EXPECT_EQ(DeviceError([&] { d.Directory.DeleteEntry(0); }), "Unexpected Messagelen received");
    r.SetFault('R', 33, {ERecorderFault::Empty});
    EXPECT_EQ(DeviceError([&] { d.Directory.DeleteEntry(0); }), "Unexpected Messagelen received");
    r.ClearFaults();
    EXPECT_EQ(DeviceError([&] { d.Directory.DeleteEntry(99); }), "Entry 99 does not exist (5 entries)");

    r.SetFault('R', 20, {ERecorderFault::Status, 3});
    EXPECT_EQ(DeviceError([&] { d.Recording.StartLoad(1); }), "    3: LoadRecordingStruct");
    EXPECT_EQ(d.Recording.LoadState(), TVro8Recording::kFailed);
    r.SetFault('R', 20, {ERecorderFault::Short, 2});
    EXPECT_EQ(DeviceError([&] { d.Recording.StartLoad(1); }), "Unexpected Messagelen received");
    r.ClearFaults();
    r.SetFault('R', 22, {ERecorderFault::Status, 4});
    EXPECT_EQ(DeviceError([&] { d.Recording.StartLoad(1); }), "    4: LoadRecordingData");
    EXPECT_EQ(rig.connector->GetByteTimeout(), 2000u);
    r.ClearFaults();

    r.SetFault('R', 25, {ERecorderFault::Status, 5});
    EXPECT_EQ(DeviceError([&] { d.SetupBlocks.SaveToDirectory("x", 1); }), "    5: Save Setup To Directory");
    d.Directory.RefreshSetups();
    r.SetFault('R', 24, {ERecorderFault::Status, 6});
    EXPECT_EQ(DeviceError([&] { d.SetupBlocks.LoadFromDirectory(0); }), "    6: Load Setup From Directory");
    d.Directory.RefreshRecordings();
    EXPECT_THROW(d.SetupBlocks.LoadFromDirectory(0), EVro8Device); // not the setup list

    r.SetFault('S', 13, {ERecorderFault::Status, 1});
    EXPECT_FALSE(d.Measurement.ResetMinMax());
    r.SetFault('S', 101, {ERecorderFault::Status, 1});
    auto trig = d.SetupBlocks.ReadBlock(EVro8Block::Trigger);
    EXPECT_THROW(d.SetupBlocks.WriteBlock(EVro8Block::Trigger, trig), EDvxV24Error);
    EXPECT_THROW(d.SetupBlocks.WriteBlock(EVro8Block::Trigger, std::vector<std::uint8_t>(5)), EVro8Device);
    r.SetFault('S', 100, {ERecorderFault::Status, 2, 1, 1}); // the second packet is refused
    EXPECT_THROW(d.SetupBlocks.WriteBlock(EVro8Block::Sensor, std::vector<std::uint8_t>(720)), EDvxV24Error);
}

TEST(RecorderCommands, ChannelListAndCurrentValueFaults)
{
    TRecorderRig rig(2);
    rig.Connect();
    TVro8Device& d = *rig.device;
    auto& r = *rig.recorder;
    std::vector<sim::TSimChannel> many(71);
    r.SetChannels(many, false);
    try {
        d.Measurement.ReadChannels();
        ADD_FAILURE() << "71 channels accepted";
    } catch (const EVro8Device& e) {
        EXPECT_EQ(e.Kind(), EVro8Status::IllegalChannelCount);
    }
    many.resize(70);
    r.SetChannels(many, false);
    d.Measurement.ReadChannels();
    EXPECT_EQ(d.Measurement.ChannelCount(), 70);

    // 32 channels with min/max do not fit into 192 bytes: the values beyond are absent.
    std::vector<sim::TSimChannel> thirtyTwo(32, sim::TSimChannel{-100, 100, 0, 1, 0, 0, "c", "u"});
    r.SetChannels(thirtyTwo, true);
    d.Measurement.ReadChannels();
    d.Measurement.ReadCurrentValues();
    EXPECT_EQ(d.Measurement.ChannelCount(), 32);
    EXPECT_TRUE(d.Measurement.Max(31).has_value());
    // Fewer channels answered than listed: the list is read again.
    r.SetChannels(std::vector<sim::TSimChannel>(20, thirtyTwo[0]), true);
    int before = r.RequestCount('R', 10);
    d.Measurement.ReadCurrentValues();
    EXPECT_EQ(r.RequestCount('R', 10), before + 1);
    EXPECT_EQ(d.Measurement.ChannelCount(), 20);
    // 40 channels with min/max: the answer covers 32, the rest have no value.
    thirtyTwo.resize(40, thirtyTwo[0]);
    r.SetChannels(thirtyTwo, true);
    d.Measurement.ReadChannels();
    before = r.RequestCount('R', 10);
    d.Measurement.ReadCurrentValues();
    EXPECT_EQ(r.RequestCount('R', 10), before + 1);
    EXPECT_EQ(d.Measurement.ChannelCount(), 40);
    EXPECT_TRUE(d.Measurement.Value(31).has_value());
    EXPECT_FALSE(d.Measurement.Value(32).has_value());

    r.SetChannels(std::vector<sim::TSimChannel>(16, thirtyTwo[0]), true);
    d.Measurement.ReadChannels();
    r.SetFault('R', 12, {ERecorderFault::Short, 6}); // 90 bytes for 16 triples
    d.Measurement.ReadCurrentValues();
    EXPECT_EQ(r.RequestCount('R', 10), before + 3);
    EXPECT_TRUE(d.Measurement.Value(14).has_value());
    EXPECT_FALSE(d.Measurement.Value(15).has_value());
    r.ClearFaults();

    r.SetFault('R', 11, {ERecorderFault::Short, 1});
    EXPECT_EQ(DeviceError([&] { d.Measurement.ReadChannels(); }), "Unexpected Messagelen received");
    EXPECT_EQ(d.Measurement.ChannelCount(), 16); // the old list stays whole
    r.SetFault('R', 11, {ERecorderFault::Long, 1});
    EXPECT_THROW(d.Measurement.ReadChannels(), EDvxV24Error);
}

TEST(RecorderCommands, ShortDirectoriesAndHeadersAreRefused)
{
    TRecorderRig rig(5);
    rig.Connect();
    TVro8Device& d = *rig.device;
    auto& r = *rig.recorder;
    r.SetFault('R', 32, {ERecorderFault::CutAt, 44 * 2 + 10});
    EXPECT_THROW(d.Directory.RefreshRecordings(), EVro8Device);
    EXPECT_EQ(d.Directory.Count(), 2); // only the complete entries
    r.ClearFaults();
    d.Directory.RefreshRecordings();

    r.SetFault('R', 21, {ERecorderFault::CutAt, 100});
    try {
        d.Recording.StartLoad(0);
        ADD_FAILURE();
    } catch (const EVro8Device& e) {
        EXPECT_STREQ(e.what(), "Illegal Header");
        EXPECT_EQ(e.Finding(), "header of 100 bytes, expected 2476");
    }
    r.SetFault('R', 21, {ERecorderFault::OverPiece, 4});
    EXPECT_THROW(d.Recording.StartLoad(0), EDvxV24Error); // "Multipacket Error: ..." overruns the header
    r.ClearFaults();

    const auto h = d.Directory.Entry(2).Handle;
    r.PatchHeader(h, 68, 33); // ChannelCount 33
    try {
        d.Recording.StartLoad(2);
        ADD_FAILURE();
    } catch (const EVro8Device& e) {
        EXPECT_STREQ(e.what(), "Illegal Header");
        EXPECT_EQ(e.Finding(), "Illegal ChannelCount 33");
    }
    EXPECT_EQ(d.Recording.LoadState(), TVro8Recording::kFailed);
    ASSERT_EQ(rig.Download(1), TVro8Recording::kLoaded); // the connector is fine afterwards
}

TEST(RecorderCommands, DownloadFailureCancelAndRecovery)
{
    TRecorderRig rig(3);
    rig.Connect();
    TVro8Device& d = *rig.device;
    auto& r = *rig.recorder;
    sim::TSimRecording big;
    big.Name = "Big";
    big.Number = 9;
    big.Type = 0x80;
    big.Channels.assign(8, sim::TSimChannel{});
    big.RecordCount = 20000;
    r.AddRecording(big);
    d.Directory.RefreshRecordings();
    const int bigIndex = d.Directory.Count() - 1;

    std::int64_t failedExpected = 0;
    d.Recording.OnLoadFailed = [&](TVro8Recording&, std::int64_t expected) { failedExpected = expected; };
    r.SetFault('R', 23, {ERecorderFault::Silence, 0, -1, 3}); // the recorder stops answering after 3 pieces
    EXPECT_EQ(rig.Download(1), TVro8Recording::kFailed);
    EXPECT_EQ(failedExpected, static_cast<std::int64_t>(r.Recordings()[1].Words.size() * 2));
    EXPECT_EQ(d.Recording.BytesRead(), 3 * 240);
    r.ClearFaults();
    rig.connector->ClearBuffers();
    d.Directory.RefreshRecordings(); // usable again
    ASSERT_EQ(rig.Download(1), TVro8Recording::kLoaded);

    // Cancel during the download.
    r.SetFault('R', 23, {ERecorderFault::Delay, 2, -1, 0});
    d.Recording.StartLoad(bigIndex);
    while (rig.connector->GetProgressDone() < 2400)
        std::this_thread::yield();
    rig.connector->Cancel();
    ASSERT_TRUE(rig.connector->WaitAsyncEnded(10000));
    EXPECT_EQ(d.Recording.LoadState(), TVro8Recording::kCancelled);
    r.ClearFaults();
    EXPECT_THROW(d.Recording.StartLoad(99), EVro8Device);
}

// A download under injected link faults delivers exactly the recorder's samples.
TEST(RecorderCommands, DownloadUnderLinkFaultsIsExact)
{
    TRecorderRig rig(4);
    rig.Connect();
    TVro8Device& d = *rig.device;
    sim::TSimRecording rec;
    rec.Name = "Faulty line";
    rec.Number = 11;
    rec.Type = 0x20 | 0x40 | 0x80;
    rec.Channels.assign(3, sim::TSimChannel{});
    rec.Channels[2].DataType = 4;
    rec.RecordCount = 3000;
    rig.recorder->AddRecording(rec);
    d.Directory.RefreshRecordings();
    const int index = d.Directory.Count() - 1;
    const auto words = rig.recorder->Recordings().back().Words;
    for (int round = 0; round < 3; ++round) {
        d.Recording.StartLoad(index);
        rig.simulator->SetRandomFaults(0.05,
                                       {sim::ESimFault::LoseAnswer, sim::ESimFault::Silent, sim::ESimFault::FlipBit,
                                        sim::ESimFault::Garbage, sim::ESimFault::WrongAddress},
                                       static_cast<std::uint32_t>(round + 1));
        ASSERT_TRUE(rig.connector->WaitAsyncEnded(120000));
        rig.simulator->ClearFaults();
        ASSERT_EQ(d.Recording.LoadState(), TVro8Recording::kLoaded) << rig.connector->LastError();
        EXPECT_EQ(d.Recording.Samples(), words);
    }
    EXPECT_GT(rig.simulator->Stats().FaultsTotal(), 10u);
}

TEST(RecorderCommands, RemoteRecordingStatesAndSynchronousLoad)
{
    sim::TSimProfile p;
    p.RemoteDuration = std::chrono::milliseconds(60000);
    p.StoringTime = std::chrono::milliseconds(300);
    p.RemoteRecords = 321;
    TRecorderRig rig(3, p);
    rig.Connect();
    TVro8Device& d = *rig.device;
    EXPECT_EQ(d.RemoteRecording.GetRecorderState(), 3); // idle: another byte
    EXPECT_EQ(d.RemoteRecording.StartRemoteRecording(false), 1);
    EXPECT_EQ(rig.recorder->Transcript().back().Data, (std::vector<std::uint8_t>{0, 0}));
    EXPECT_EQ(d.RemoteRecording.GetRecorderState(), 0);
    EXPECT_EQ(d.RemoteRecording.StartRemoteRecording(true), 0); // refused while running
    EXPECT_EQ(rig.recorder->Transcript().back().Data, (std::vector<std::uint8_t>{1, 0}));
    d.RemoteRecording.StopRemoteRecording();
    EXPECT_EQ(d.RemoteRecording.GetRecorderState(), 1);
    // The ping waits until the recorder has stored the run.
    rig.connector->SetByteTimeout(20000);
    rig.connector->TransferStatus('R', 210, std::vector<std::uint8_t>(4, 0));
    rig.connector->RestoreByteTimeout();
    d.RemoteRecording.LoadSynchronous();
    EXPECT_EQ(d.Recording.Header().RecordCount, 321u);
    EXPECT_EQ(d.Recording.Samples(), rig.recorder->Recordings().back().Words);
    EXPECT_EQ(rig.recorder->RequestCount('R', 20), 0);
    rig.recorder->SetFault('R', 23, {ERecorderFault::CutAt, 40});
    EXPECT_EQ(DeviceError([&] { d.RemoteRecording.LoadSynchronous(); }), "Illegal Size Received");

    rig.recorder->SetFault('R', 210, {ERecorderFault::Long, 1});
    EXPECT_THROW(d.RemoteRecording.StopRemoteRecording(), EDvxV24Error);
}

TEST(RecorderCommands, OnlineStreamDecodesTheRecordersRecords)
{
    sim::TSimProfile p;
    p.Online.Interval = std::chrono::microseconds(1000);
    p.Online.BadChecksumEvery = 7;
    p.Online.JunkEvery = 5;
    TRecorderRig rig(3, p);
    rig.Connect();
    TVro8Device& d = *rig.device;
    d.Measurement.ReadChannels();
    TVro8OnlineRecording& o = d.OnlineRecording();
    o.RecordingType = 0;
    o.ChannelCount = d.Measurement.ChannelCount();
    o.BufferLength = 2000;
    o.SimpleCurvMode = 1;
    o.SetDisplayWidth(300);
    o.Start(false);
    EXPECT_EQ(rig.connector->GetByteTimeout(), 3000u);
    while (o.RecordCount() < 150)
        o.Poll();
    o.Stop();
    EXPECT_FALSE(o.Running());
    EXPECT_EQ(rig.connector->GetByteTimeout(), 2000u);
    EXPECT_FALSE(rig.recorder->Streaming());
    const auto sent = rig.recorder->StreamedRecords();
    ASSERT_GE(sent.size(), 150u);
    for (int i = 0; i < 150; ++i)
        for (int c = 0; c < o.ChannelCount; ++c)
            ASSERT_EQ(o.Value(c, i), sent[i][c]) << "record " << i << " channel " << c;
    // The link is usable again after the stream.
    d.Directory.RefreshRecordings();
    EXPECT_GT(d.Directory.Count(), 0);

    o.RecordingType = 2;
    o.BufferLength = 10;
    o.Start(true);
    EXPECT_EQ(rig.recorder->Transcript().back().Data, (std::vector<std::uint8_t>{2, 0, 0, 0, 1, 0}));
    while (o.Running())
        o.Poll();
    EXPECT_TRUE(o.BufferFull());
    EXPECT_EQ(o.WriteIndex(), 10);

    o.ChannelCount = 40;
    EXPECT_THROW(o.Start(false), EVro8Device);
    EXPECT_EQ(rig.connector->GetByteTimeout(), 2000u);
}

TEST(RecorderCommands, FirmwareAreas)
{
    TRecorderRig rig(3);
    rig.Connect();
    TVro8Device& d = *rig.device;
    std::vector<std::uint8_t> image(TVro8FlashAreas::kArea0Size);
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<std::uint8_t>(i * 13);
    d.FlashAreas.WriteArea(0, image);
    EXPECT_EQ(rig.recorder->FirmwareArea(0), image);
    std::vector<std::uint8_t> back;
    EXPECT_TRUE(d.FlashAreas.ReadArea(0, back));
    EXPECT_EQ(back, image);
    rig.recorder->SetFault('R', 111, {ERecorderFault::CutAt, 1000});
    EXPECT_FALSE(d.FlashAreas.ReadArea(0, back));
    EXPECT_EQ(back[1000], 0xFF);
    EXPECT_THROW(d.FlashAreas.WriteArea(1, image), EVro8Device);
}

TEST(RecorderCommands, EndToEndOverAPseudoTerminal)
{
    std::string why;
    if (!sim::TSimPty::Available(why))
        GTEST_SKIP() << why;
    TPtyRecorderRig rig(5);
    const TVro8ConnectResult r = Vro8Connect(*rig.device);
    ASSERT_TRUE(r.Connected) << r.Error;
    EXPECT_EQ(r.ComVersion, 5);
    rig.device->Measurement.ReadChannels();
    rig.device->Directory.RefreshRecordings();
    rig.device->Recording.StartLoad(2);
    ASSERT_TRUE(rig.connector->WaitAsyncEnded(60000));
    ASSERT_EQ(rig.device->Recording.LoadState(), TVro8Recording::kLoaded);
    EXPECT_EQ(rig.device->Recording.Samples(), rig.recorder->Recordings()[2].Words);
}

TEST(RecorderCommands, TriggerTextsOfADownloadedHeader)
{
    TRecorderRig rig(3);
    rig.Connect();
    TVro8Device& d = *rig.device;
    d.Directory.RefreshRecordings();
    d.Recording.ReadHeader(2); // "Trigger run"
    const std::string level = d.Recording.TriggerText(0);
    EXPECT_EQ(level.rfind("Channel B rises to 50", 0), 0u) << level;
    EXPECT_EQ(level.substr(level.size() - 4), " bar");
    EXPECT_EQ(d.Recording.TriggerText(1), "Trigger input J switches on rising slope");
    EXPECT_EQ(d.Recording.TriggerText(2), "Disabled");
    EXPECT_EQ(d.Recording.CombinationText(), "1 and 2");
    EXPECT_THROW(d.Recording.TriggerText(4), EVro8Device);
}
