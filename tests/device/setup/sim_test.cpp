// Setups through the simulated recorder over the in-memory port pair: what
// is written reads back equal on every layout, the recorder holds it in its
// own arrangement, failed reads keep the previous contents, and the
// settings directory stores and restores whole setups.
#include "device/setup/setup_support.h"

#include "device/vro8connect.h"
#include "link/dvxporttable.h"
#include "sim/setupstore.h"
#include "sim/simpty.h"

#include <gtest/gtest.h>

namespace vro::test {
namespace {

// What a read from the recorder can show of a setup on the layout: blocks
// the layout does not transfer keep what the reading setup held before.
void ExpectSameOnLayout(const TVro8SetupData& a, const TVro8SetupData& b, int v)
{
    for (int i = 0; i < Vro8SensorCount(v); ++i)
        EXPECT_EQ(
            std::vector<std::uint8_t>(a.Sensors.Bytes().begin() + i * 60, a.Sensors.Bytes().begin() + i * 60 + 60),
            std::vector<std::uint8_t>(b.Sensors.Bytes().begin() + i * 60, b.Sensors.Bytes().begin() + i * 60 + 60))
            << "sensor " << i;
    EXPECT_EQ(a.Triggers.Encode(v), b.Triggers.Encode(v));
    EXPECT_TRUE(a.Recording == b.Recording);
    EXPECT_TRUE(a.Base == b.Base);
    EXPECT_TRUE(a.Display == b.Display);
    if (v == 4) {
        EXPECT_TRUE(a.Can == b.Can);
    }
}

class SimByLayout : public ::testing::TestWithParam<int> {};

TEST_P(SimByLayout, WrittenSetupReadsBackEqual)
{
    const int v = GetParam();
    TSetupRig rig(v);
    TVro8Setup out(*rig.device);
    FillSetup(out.Data, v, 7);
    out.WriteAll();

    TVro8Setup in(*rig.device);
    in.ReadAll();
    ExpectSameOnLayout(out.Data, in.Data, v);

    // The recorder holds the blocks in its own arrangement.
    const sim::TSimSetupStore store(*rig.recorder);
    EXPECT_EQ(store.SensorCount(), Vro8SensorCount(v));
    EXPECT_EQ(store.EventCount(), Vro8TriggerEventCount(v));
    for (int i = 0; i < store.SensorCount(); ++i) {
        const auto f = store.Sensor(i);
        ASSERT_TRUE(f);
        const auto w = out.Data.Sensors.Sensor(i);
        EXPECT_EQ(f->Factor, w.Factor());
        EXPECT_EQ(f->Signal, w.Signal());
        EXPECT_EQ(f->LoRange, w.LoRange());
        EXPECT_EQ(f->HiRange, w.HiRange());
        EXPECT_EQ(f->Decimals, w.Decimals());
        EXPECT_EQ(f->MUnit, w.MUnit() == "bar" ? "bar"
                                               : "\xb0"
                                                 "C");
        EXPECT_EQ(f->SubChannelMask, v == 1 ? 0 : w.SubChannelMask());
        EXPECT_EQ(f->Spare1, 0);
        EXPECT_EQ(f->Spare2, 0);
    }
    EXPECT_EQ(store.Combination(), out.Data.Triggers.Combination());
    EXPECT_EQ(store.RecordingName(), "Run 7");
    if (v == 4) {
        EXPECT_EQ(store.CanName(31), "Message 731");
    } else {
        EXPECT_EQ(rig.recorder->RequestCount('S', 107), 0);
    }
    EXPECT_EQ(rig.recorder->RequestCount('R', 50), v == 1 ? 0 : 1);
}

TEST_P(SimByLayout, SettingsDirectoryStoresAndRestoresWholeSetups)
{
    const int v = GetParam();
    TSetupRig rig(v);
    TVro8Setup setup(*rig.device);
    FillSetup(setup.Data, v, 1);
    setup.SaveToDirectory("Leak test 2", 42);
    const TVro8SetupData saved = setup.Data;

    // The name goes out as 32 bytes (layout 1) or with the number (36).
    std::size_t r25 = 0;
    for (const auto& r : rig.recorder->Transcript())
        if (r.Address == 'R' && r.Number == 25)
            r25 = r.Data.size();
    EXPECT_EQ(r25, v == 1 ? 32u : 36u);

    FillSetup(setup.Data, v, 2);
    setup.WriteAll();
    rig.device->Directory.RefreshSetups();
    int index = -1;
    for (int i = 0; i < rig.device->Directory.Count(); ++i)
        if (rig.device->Directory.Entry(i).Name == "Leak test 2")
            index = i;
    ASSERT_GE(index, 0);
    if (v != 1) {
        EXPECT_EQ(rig.device->Directory.Entry(index).Number, 42u);
    }
    setup.LoadFromDirectory(index);
    ExpectSameOnLayout(saved, setup.Data, v);
}

TEST_P(SimByLayout, RecorderToFileToRecorder)
{
    const int v = GetParam();
    TSetupRig rig(v);
    TVro8Setup setup(*rig.device);
    FillSetup(setup.Data, v, 3);
    const std::string text = setup.SaveToString();
    TVro8Setup fromFile(*rig.device);
    fromFile.LoadFromString(text);
    fromFile.WriteAll();
    TVro8Setup back(*rig.device);
    back.ReadAll();
    ExpectSameOnLayout(setup.Data, back.Data, v);
}

INSTANTIATE_TEST_SUITE_P(AllLayouts, SimByLayout, ::testing::Values(1, 2, 3, 4, 5));

// A read that fails part way raises and leaves every block as it was.
// The recorder's channel list follows its sensor block as the device layer
// writes it: smart sensors by their sub-channel mask, the record's own
// range in mode 1, the CAN bus by its active messages; a fixed list stays.
TEST(SimSensors, ChannelListFollowsTheSensorBlock)
{
    sim::TSimProfile profile;
    profile.SmartSubChannels = std::vector<int>{3, 0, 0, 0};
    profile.CanBusInput = 2;
    TSetupRig rig(4, profile);
    TVro8Setup setup(*rig.device);
    setup.ReadAll();
    TVro8Measurement& m = rig.device->Measurement;
    const auto inputs = [&] {
        m.ReadChannels();
        std::vector<std::pair<int, int>> out;
        for (int c = 0; c < m.ChannelCount(); ++c)
            out.emplace_back(m.Channel(c).Input, m.Channel(c).SubChannel);
        return out;
    };
    using P = std::vector<std::pair<int, int>>;
    // A with three sub-channels, B, CAN messages 1 and 2 on C, D.
    EXPECT_EQ(inputs(), (P{{0, 1}, {0, 2}, {0, 3}, {1, 0}, {2, 1}, {2, 2}, {3, 0}}));
    EXPECT_EQ(setup.Data.Sensors.SmartFlag(0), 3);
    EXPECT_EQ(setup.SensorDescription(2), "CAN-Bus");

    // Sub-channel 2 of A off, record E on in mode 1, CAN message 5 on.
    setup.Data.Sensors.Sensor(0).SetSubChannelMask(0x2);
    auto e = setup.Data.Sensors.Sensor(4);
    e.SetActiveState(true);
    e.SetMode(1);
    e.SetLoRange(-50);
    e.SetHiRange(450);
    e.SetDecimals(2);
    e.SetName("Own E");
    e.SetMUnit("mbar");
    setup.WriteBlock(EVro8Block::Sensor);
    EXPECT_EQ(inputs(), (P{{0, 1}, {0, 3}, {1, 0}, {2, 1}, {2, 2}, {3, 0}, {4, 0}}));
    const TVro8ChannelDescription& own = m.Channel(6);
    EXPECT_EQ(own.LoRange, -50);
    EXPECT_EQ(own.HiRange, 450);
    EXPECT_EQ(own.Decimals, 2);
    EXPECT_EQ(own.Name, "Own E");
    EXPECT_EQ(own.Unit, "mbar");
    auto msg = setup.Data.Can.Message(4);
    msg.SetActive(true);
    setup.WriteBlock(EVro8Block::Can);
    EXPECT_EQ(inputs(), (P{{0, 1}, {0, 3}, {1, 0}, {2, 1}, {2, 2}, {2, 5}, {3, 0}, {4, 0}}));
    EXPECT_EQ(m.Channel(5).Name, "CAN 5");
    EXPECT_EQ(m.Channel(3).Unit, "bar");

    // A stored setup loaded (R 24) brings its own sensor block along.
    rig.recorder->ClearMemory();
    const std::uint16_t handle = rig.recorder->AddSetup("Snapshot", 1);
    (void)handle;
    setup.Data.Sensors.Sensor(4).SetActiveState(false);
    setup.WriteBlock(EVro8Block::Sensor);
    EXPECT_EQ(inputs().size(), 7u);
    rig.device->Directory.RefreshSetups();
    setup.LoadFromDirectory(0);
    EXPECT_EQ(inputs().size(), 8u) << "the snapshot had record E on";

    // A fixed list (a rig's own channels) no longer follows.
    rig.recorder->SetChannels({{0, 100, 0, 0, 0, 0, "Fixed", "V"}}, false);
    setup.WriteBlock(EVro8Block::Sensor);
    EXPECT_EQ(inputs(), (P{{0, 0}}));
}

// Without smart or CAN options the untouched default block keeps the
// default channel list; the first change makes the list follow the block.
TEST(SimSensors, DefaultBlockKeepsTheDefaultList)
{
    TSetupRig rig(3);
    TVro8Setup setup(*rig.device);
    setup.ReadAll();
    rig.device->Measurement.ReadChannels();
    EXPECT_EQ(rig.device->Measurement.ChannelCount(), 6);
    setup.WriteAll();
    rig.device->Measurement.ReadChannels();
    EXPECT_EQ(rig.device->Measurement.ChannelCount(), 6) << "the same block written back";
    setup.Data.Sensors.Sensor(0).SetActiveState(false);
    setup.WriteBlock(EVro8Block::Sensor);
    rig.device->Measurement.ReadChannels();
    // B carries the default smart sensor with one sub-channel; C and D plain.
    ASSERT_EQ(rig.device->Measurement.ChannelCount(), 3);
    EXPECT_EQ(rig.device->Measurement.Channel(0).Input, 1);
    EXPECT_EQ(rig.device->Measurement.Channel(0).SubChannel, 1);
    EXPECT_EQ(rig.device->Measurement.Channel(1).Name, "Temperature");
}

TEST(SimFaults, FailedReadsKeepThePreviousContents)
{
    struct TCase {
        char Address;
        std::uint8_t Number;
        sim::TRecorderFault Fault;
    };
    const std::vector<TCase> cases = {
        {'R', 100, {sim::ERecorderFault::CutAt, 240}}, {'R', 107, {sim::ERecorderFault::CutAt, 480}},
        {'R', 101, {sim::ERecorderFault::Short, 4}},   {'R', 105, {sim::ERecorderFault::Long, 2}},
        {'R', 50, {sim::ERecorderFault::Short, 1}},
    };
    for (const auto& c : cases) {
        TSetupRig rig(4);
        TVro8Setup setup(*rig.device);
        FillSetup(setup.Data, 4, 9);
        const TVro8SetupData before = setup.Data;
        rig.recorder->SetFault(c.Address, c.Number, c.Fault);
        EXPECT_ANY_THROW(setup.ReadAll()) << "command " << int(c.Number);
        EXPECT_TRUE(setup.Data == before) << "command " << int(c.Number);
        rig.recorder->ClearFaults();
        setup.ReadAll(); // the link is usable again
        EXPECT_FALSE(setup.Data == before);
    }
}

TEST(SimFaults, SetupWithoutIdentificationOrDeviceRaises)
{
    TSetupRig rig(3);
    rig.device->ForgetIdentification();
    TVro8Setup setup(*rig.device);
    EXPECT_THROW(setup.ReadAll(), EVro8Device);
    EXPECT_THROW(setup.SaveToString(), EVro8Device); // no file of layout 0
    TVro8Setup fileOnly(3);
    EXPECT_THROW(fileOnly.WriteAll(), EVro8SetupBlock);
    EXPECT_THROW(TVro8Setup(6), EVro8SetupBlock);
}

TEST(SimFaults, DirectoryStatusErrorsRaiseWithTheirText)
{
    TSetupRig rig(2);
    TVro8Setup setup(*rig.device);
    rig.recorder->SetFault('R', 25, {sim::ERecorderFault::Status, 7});
    try {
        setup.SaveToDirectory("x", 1);
        FAIL() << "no error";
    } catch (const EVro8Device& e) {
        EXPECT_STREQ(e.what(), "    7: Save Setup To Directory");
    }
    rig.recorder->ClearFaults();
    rig.device->Directory.RefreshSetups();
    ASSERT_GT(rig.device->Directory.Count(), 0);
    rig.recorder->SetFault('R', 24, {sim::ERecorderFault::Status, 3});
    try {
        setup.LoadFromDirectory(0);
        FAIL() << "no error";
    } catch (const EVro8Device& e) {
        EXPECT_STREQ(e.what(), "    3: Load Setup From Directory");
    }
}

} // namespace
} // namespace vro::test

namespace vro::test {
namespace {

// End to end over a pseudo-terminal and the serial port.
TEST(SimPty, SetupWrittenAndReadBackOverASerialPort)
{
    std::string why;
    if (!sim::TSimPty::Available(why))
        GTEST_SKIP() << "no pseudo-terminals: " << why;
    sim::TSimPty pty;
    sim::TSimProfile profile;
    profile.ComVersion = 5;
    auto recorder = std::make_shared<sim::TSimRecorder>(profile);
    sim::TSimulator simulator(pty.Master());
    auto service = std::make_unique<sim::TSimRecorderService>(simulator, pty.Master(), recorder);
    simulator.Start();
    {
        TDvxV24Connector connector;
        connector.SetPortIndex(TDvxPortTable::Global().AssignFree(pty.SlavePath()));
        connector.SetBaudrate(460800);
        connector.Open();
        TVro8Device device(connector);
        ASSERT_TRUE(Vro8Connect(device).Connected);
        TVro8Setup out(device);
        FillSetup(out.Data, 5, 4);
        out.WriteAll();
        TVro8Setup in(device);
        in.ReadAll();
        ExpectSameOnLayout(out.Data, in.Data, 5);
        EXPECT_EQ(recorder->Block(100).size(), 300u);
        EXPECT_EQ(recorder->Block(101).size(), 68u);
    }
    simulator.Stop();
    service.reset();
}

} // namespace
} // namespace vro::test
