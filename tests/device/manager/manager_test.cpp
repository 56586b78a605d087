// The device manager against the simulated recorder over the in-memory
// port pair: identification, the one automatic reconnection, the ping, and
// recordings made from a remote recording and from an online run.
#include "core/construct/construct.h"
#include "core/recording/recording.h"
#include "core/text/texts.h"
#include "device/manager/vro8manager.h"
#include "device/vro8online.h"
#include "link/connection/dvxconnection.h"
#include "link/dvxv24memoryport.h"
#include "sim/recorder.h"
#include "sim/recorderservice.h"
#include "sim/simulator.h"
#include "support/simfarend.h"

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <filesystem>
#include <thread>

namespace vro::test {
namespace {

namespace fs = std::filesystem;

class TRecordingUi : public IVro8AutoConnectUi {
public:
    std::vector<std::string> events;
    void Show(const std::string& t) override { events.push_back("show:" + t); }
    void SetState(const std::string& t) override { events.push_back("state:" + t); }
    void Finish() override { events.push_back("finish"); }
};

// The connection over one end of a memory pair, the recorder on the other.
struct TManagerRig : test::TSimFarEnd {
    explicit TManagerRig(sim::TSimProfile profile = {}) : TSimFarEnd(profile)
    {
        connection = std::make_unique<TDvxConnection>(pair.TakeA());
        connection->SetBaudrate(460800);
        manager = std::make_unique<TVro8Manager>(*connection);
        manager->SetAutoConnectUi(&ui);
    }
    ~TManagerRig()
    {
        manager.reset();
        StopRecorder();
        connection.reset();
    }
    std::unique_ptr<TDvxConnection> connection;
    std::unique_ptr<TVro8Manager> manager;
    TRecordingUi ui;
};

fs::path TempFolder(const std::string& name)
{
    const fs::path p = fs::temp_directory_path() / ("vro-manager-" + name + "-" + std::to_string(::getpid()));
    fs::remove_all(p);
    fs::create_directories(p);
    return p;
}

TEST(DeviceManager, ConnectIdentifiesAndForgets)
{
    TManagerRig rig;
    EXPECT_FALSE(rig.manager->IsConnected());
    rig.connection->Open();
    rig.manager->Connect();
    EXPECT_TRUE(rig.manager->IsConnected()) << rig.manager->LastConnectResult().Error;
    EXPECT_EQ(rig.manager->GetDescription(), "VRO8K-M V2.10");
    EXPECT_EQ(rig.manager->Device().ComVersion(), 3);
    // Closing the port ends the connection by itself; reopening brings the identity back.
    rig.connection->Close();
    EXPECT_FALSE(rig.manager->IsConnected());
    rig.connection->Open();
    EXPECT_TRUE(rig.manager->IsConnected());
    rig.manager->ForgetIdentity();
    EXPECT_FALSE(rig.manager->IsConnected()) << "forgotten although the port is open";
    EXPECT_TRUE(rig.connection->IsOpen());
    EXPECT_EQ(rig.manager->GetDescription(), "");
}

TEST(DeviceManager, SilentRecorderLeavesItUnidentifiedWithoutRaising)
{
    TManagerRig rig;
    rig.simulator->SetSilent(true);
    rig.connection->Open();
    rig.connection->Connector().SetByteTimeout(100);
    EXPECT_NO_THROW(rig.manager->Connect());
    EXPECT_FALSE(rig.manager->IsConnected());
    EXPECT_EQ(rig.manager->GetDescription(), "");
    EXPECT_FALSE(rig.manager->LastConnectResult().Error.empty());
    EXPECT_FALSE(rig.manager->Ping());
}

TEST(DeviceManager, RecorderOfAnUnknownLayoutIsRefused)
{
    sim::TSimProfile p;
    p.ComVersion = 3;
    TManagerRig rig(p);
    rig.recorder->SetComVersion(9);
    rig.connection->Open();
    rig.manager->Connect();
    EXPECT_FALSE(rig.manager->IsConnected());
    EXPECT_EQ(rig.manager->LastConnectResult().ComVersion, 9);
}

TEST(DeviceManager, AutoConnectOffOnlyReports)
{
    TManagerRig rig;
    rig.connection->AutoConnect = false;
    EXPECT_FALSE(rig.manager->EnsureConnected());
    EXPECT_FALSE(rig.manager->AutoConnectTried());
    EXPECT_TRUE(rig.ui.events.empty());
    EXPECT_FALSE(rig.connection->IsOpen());
}

TEST(DeviceManager, AutoConnectRestoresOnceAndOnlyOnce)
{
    SelectTextLanguage("en");
    TManagerRig rig;
    rig.connection->AutoConnect = true;
    EXPECT_TRUE(rig.manager->EnsureConnected());
    EXPECT_EQ(rig.ui.events, (std::vector<std::string>{"show:" + text(698), "state:" + text(700), "finish"}));
    EXPECT_EQ(rig.manager->GetDescription(), "VRO8K-M V2.10");
    // Connected: no attempt at all.
    EXPECT_TRUE(rig.manager->EnsureConnected());
    // A lost connection is not restored a second time in the same run.
    rig.manager->ForgetIdentity();
    rig.connection->Close();
    rig.ui.events.clear();
    EXPECT_FALSE(rig.manager->EnsureConnected());
    EXPECT_TRUE(rig.ui.events.empty());
    EXPECT_FALSE(rig.connection->IsOpen());
}

TEST(DeviceManager, AutoConnectWithoutRecorderReportsAndClosesThePort)
{
    SelectTextLanguage("en");
    TManagerRig rig;
    rig.simulator->SetSilent(true);
    rig.connection->Connector().SetByteTimeout(100);
    rig.connection->AutoConnect = true;
    EXPECT_FALSE(rig.manager->EnsureConnected());
    EXPECT_EQ(rig.ui.events, (std::vector<std::string>{"show:" + text(698), "state:" + text(699), "finish"}));
    EXPECT_FALSE(rig.connection->IsOpen());
    rig.ui.events.clear();
    EXPECT_FALSE(rig.manager->EnsureConnected());
    EXPECT_TRUE(rig.ui.events.empty());
}

TEST(DeviceManager, PingAnswersWhileTheRecorderIsThere)
{
    TManagerRig rig;
    rig.connection->Open();
    rig.manager->Connect();
    ASSERT_TRUE(rig.manager->IsConnected());
    EXPECT_TRUE(rig.manager->Ping());
    EXPECT_TRUE(rig.manager->Ping());
    rig.simulator->SetSilent(true);
    rig.connection->Connector().SetByteTimeout(100);
    EXPECT_FALSE(rig.manager->Ping());
    rig.simulator->SetSilent(false);
    rig.connection->Connector().RestoreByteTimeout();
    EXPECT_TRUE(rig.manager->Ping());
    rig.connection->Close();
    EXPECT_FALSE(rig.manager->Ping()) << "a closed port never pings";
}

TEST(DeviceManager, FinishedRemoteRecordingBecomesTheNextFileOfTheSeries)
{
    sim::TSimProfile p;
    p.RemoteDuration = std::chrono::milliseconds(50);
    p.StoringTime = std::chrono::milliseconds(50);
    p.RemoteRecords = 120;
    TManagerRig rig(p);
    rig.connection->Open();
    rig.manager->Connect();
    ASSERT_TRUE(rig.manager->IsConnected());
    const fs::path folder = TempFolder("remote");
    rig.manager->SeriesBaseName = (folder / "Test.vxrf").string();
    rig.manager->SeriesNumber = 1;
    rig.manager->RecordingComment = "Pump 3, after repair";
    for (int run = 1; run <= 2; ++run) {
        ASSERT_EQ(rig.manager->Device().RemoteRecording.StartRemoteRecording(false), 1);
        // Bounded wait for the recorder to report the run finished.
        int state = 0;
        for (int i = 0; i < 500 && state != 1; ++i) {
            state = rig.manager->Device().RemoteRecording.GetRecorderState();
            if (state != 1)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        ASSERT_EQ(state, 1);
        const std::string name = rig.manager->DownloadRemoteRecording(true);
        EXPECT_EQ(name, (folder / ("Test-00" + std::to_string(run) + ".vxrf")).string());
        ASSERT_TRUE(fs::exists(name));
        TRecording r;
        r.LoadFromFile(name);
        EXPECT_EQ(r.RecordCount, 120);
        EXPECT_EQ(r.Comment, "Pump 3, after repair");
        const TDeviceRecordingData data = DeviceRecordingData(rig.manager->Device().Recording);
        EXPECT_EQ(data.TriggerTexts[0], rig.manager->Device().Recording.TriggerText(0));
        EXPECT_FALSE(data.TriggerTexts[3].empty());
        EXPECT_FALSE(data.CombinationText.empty());
        EXPECT_EQ(data.Samples.size(), rig.manager->Device().Recording.Samples().size());
    }
    EXPECT_EQ(rig.manager->SeriesNumber, 3);
    EXPECT_EQ(rig.connection->Connector().GetByteTimeout(), TDvxV24Connector::kDefaultByteTimeout);
    fs::remove_all(folder);
}

TEST(DeviceManager, DownloadFailuresReachTheCaller)
{
    TManagerRig rig;
    rig.connection->Open();
    rig.manager->Connect();
    ASSERT_TRUE(rig.manager->IsConnected());
    rig.simulator->SetSilent(true);
    rig.connection->Connector().SetByteTimeout(100);
    rig.manager->SeriesBaseName = (fs::temp_directory_path() / "never.vxrf").string();
    rig.manager->StoreWaitMs = 200;
    EXPECT_ANY_THROW(rig.manager->DownloadRemoteRecording(true));
    EXPECT_FALSE(fs::exists(fs::temp_directory_path() / "never-001.vxrf"));
}

std::vector<std::uint8_t> OnlineRecord(const std::vector<std::int16_t>& values)
{
    std::vector<std::uint8_t> r{0x88, 0x88};
    std::uint8_t sum = 0;
    for (auto v : values) {
        const auto u = static_cast<std::uint16_t>(v);
        r.push_back(u & 0xFF);
        r.push_back(u >> 8);
        sum = static_cast<std::uint8_t>(sum + (u & 0xFF) + (u >> 8));
    }
    r.push_back(0);
    r.push_back(sum);
    return r;
}

TEST(DeviceManager, OnlineRunBecomesARecordingFile)
{
    TManagerRig rig;
    rig.connection->Open();
    rig.manager->Connect();
    ASSERT_TRUE(rig.manager->IsConnected());
    rig.manager->ReadChannels();
    const int channels = rig.manager->Device().Measurement.ChannelCount();
    ASSERT_GE(channels, 2);
    TVro8OnlineRecording& o = rig.manager->Device().OnlineRecording();
    o.Now = [] { return 45000.5; };
    o.RecordingType = 0;
    o.SimpleCurvMode = 1; // a rolling ring: the run goes on past its length
    o.ChannelCount = 2;
    o.BufferLength = 50;
    o.SetDisplayWidth(20);
    o.LoY[0] = -100;
    o.HiY[0] = 100;
    o.PrepareRun();
    std::deque<std::uint8_t> bytes;
    for (int k = 0; k < 70; ++k) { // wraps the 50-entry ring
        const auto rec = OnlineRecord({static_cast<std::int16_t>(k), static_cast<std::int16_t>(-k)});
        bytes.insert(bytes.end(), rec.begin(), rec.end());
    }
    for (int k = 0; k < 70 && !bytes.empty(); ++k)
        o.PollFrom([&] {
            if (bytes.empty())
                throw std::runtime_error("no byte");
            const std::uint8_t b = bytes.front();
            bytes.pop_front();
            return b;
        });
    ASSERT_TRUE(bytes.empty());
    ASSERT_TRUE(o.Wrapped());
    const fs::path folder = TempFolder("online");
    rig.manager->SeriesBaseName = (folder / "Online.vxrf").string();
    rig.manager->SeriesNumber = 7;
    rig.manager->RecordingComment = "live";
    const std::string name = rig.manager->BuildOnlineRecording(true, 30);
    EXPECT_EQ(name, (folder / "Online-007.vxrf").string());
    EXPECT_EQ(rig.manager->SeriesNumber, 8);
    TRecording r;
    r.LoadFromFile(name);
    EXPECT_EQ(r.RecordCount, 30);
    EXPECT_EQ(r.Comment, "live");
    // The last 30 of 70 records, in time order: 40..69.
    EXPECT_EQ(r.Channel(0).GetValue(0), 40 * 1);
    EXPECT_EQ(r.Channel(1).GetValue(29), -69);
    // More samples than the ring holds are refused.
    EXPECT_ANY_THROW(rig.manager->BuildOnlineRecording(true, 51));
    fs::remove_all(folder);
}

} // namespace
} // namespace vro::test
