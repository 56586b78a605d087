// The start-recording page: the checks in their order at both sides of each
// limit, and the supervision of a remote recording over an injected state
// source and clock.
#include "core/recording/recording.h"
#include "core/text/texts.h"
#include "core/values/dvxdatetime.h"
#include "core/values/vro8utils.h"
#include "device/manager/vro8manager.h"
#include "device/setup/vro8setup.h"
#include "device/setupedit/vro8startrecording.h"
#include "support/recorderrig.h"

#include <gtest/gtest.h>

#include <chrono>
#include <deque>
#include <thread>

namespace vro {
namespace {

TVro8ChannelDescription Chan(int input, std::int32_t lo = -10000, std::int32_t hi = 30000, int sub = 0)
{
    TVro8ChannelDescription c;
    c.Input = static_cast<std::uint8_t>(input);
    c.SubChannel = static_cast<std::uint8_t>(sub);
    c.LoRange = lo;
    c.HiRange = hi;
    c.Decimals = 1;
    return c;
}

struct TCheckRig {
    TVro8SensorSetup sensors;
    TVro8TriggerSetup triggers;
    TVro8StartCheckInput in;
    TVro8StartChoices ch;
    explicit TCheckRig(int channels = 1, int comVersion = 3)
    {
        in.ComVersion = comVersion;
        in.Sensors = &sensors;
        in.Triggers = &triggers;
        for (int i = 0; i < channels; ++i)
            in.Channels.push_back(Chan(i));
        in.BaudRate = 115200;
        in.Now = 46000.0; // 2025-12-09
    }
    // Sets the rate by its row on the chosen list.
    void Rate(int row)
    {
        (ch.SaveToVro ? ch.VroRateIndex : ch.PcRateIndex) = TVro8StartRates::IndexOfRow(!ch.SaveToVro, row);
    }
    int Run() const { return Vro8CheckStart(ch, in).Text; }
};

TEST(StartChecks, ChannelsAgainstTheRate)
{
    TCheckRig r(0);
    EXPECT_EQ(r.Run(), 1154);
    // Save to VRO at 0.1 ms: (channels + 1) / 2 must not exceed the interval.
    TCheckRig v(2);
    v.ch.SaveToVro = true;
    v.ch.TimeIndex = 0; // 1 s: 10000 samples
    v.Rate(0);
    EXPECT_EQ(v.Run(), 0);
    v.in.Channels.push_back(Chan(2));
    EXPECT_EQ(v.Run(), 1171) << "0.1 ms with three channels gives 1171, not 1170";
    // Save to PC at 1 ms and 115200 baud: two channels pass, three fail.
    TCheckRig p(2);
    p.Rate(3);
    p.ch.TimeIndex = 0;
    EXPECT_EQ(p.Run(), 0);
    p.in.Channels.push_back(Chan(2));
    EXPECT_EQ(p.Run(), 1157);
    // A slower line reduces the count: 57600 baud fails already with two.
    p.in.Channels.pop_back();
    p.in.BaudRate = 57600;
    EXPECT_EQ(p.Run(), 1157);
}

TEST(StartChecks, SamplesPerChannelAndTotal)
{
    TCheckRig r(1);
    r.ch.TimeIndex = 0; // 1 s
    r.Rate(4);          // 2 ms: 500 samples pass
    EXPECT_EQ(r.Run(), 0);
    r.Rate(5); // 5 ms: 200 samples
    EXPECT_EQ(r.Run(), 1158);
    // 24 h at 0.1 ms with one channel: far beyond 500000 (VRO).
    TCheckRig v(1);
    v.ch.SaveToVro = true;
    v.ch.TimeIndex = 15;
    v.Rate(0);
    EXPECT_EQ(v.Run(), 1170);
    // Exactly at the limits: 500000 passes, one sample more per channel does not.
    TCheckRig e(5);
    e.ch.SaveToVro = true;
    e.ch.TimeIndex = 6; // 2 min = 1200000
    e.Rate(3);          // 1 ms: 120000 samples x 5 = 600000
    EXPECT_EQ(e.Run(), 1170);
    e.in.Channels.resize(4); // 480000
    EXPECT_EQ(e.Run(), 0);
    TCheckRig pc(9);
    pc.ch.TimeIndex = 6;
    pc.ch.TimeIndex = 7; // 5 min at 5 ms: 60000 x 9 = 540000 passes on the PC (limit 1000000) ...
    pc.Rate(5);
    EXPECT_EQ(pc.Run(), 0);
    pc.ch.TimeIndex = 8; // 10 min: 120000 x 9 = 1080000
    EXPECT_EQ(pc.Run(), 1159);
    // Type 2 skips all of these.
    pc.ch.RecordingType = 2;
    pc.triggers.Event(0).SetActiveState(true);
    EXPECT_EQ(pc.Run(), 0);
}

TEST(StartChecks, OrificeAndSmartSensorsNeedOneMillisecond)
{
    TCheckRig r(1);
    r.ch.SaveToVro = true;
    r.ch.TimeIndex = 0;
    r.sensors.Sensor(1).SetActiveState(true);
    r.sensors.Sensor(1).SetMode(4);
    r.Rate(2); // 0.5 ms
    EXPECT_EQ(r.Run(), 1169);
    r.Rate(3);
    EXPECT_EQ(r.Run(), 0);
    r.sensors.Sensor(1).SetMode(2); // the blank entry: not an orifice
    r.Rate(2);
    EXPECT_EQ(r.Run(), 0);
    // A smart sensor on an active input 0..3.
    const std::uint8_t flags[4] = {0, 0, 3, 0};
    r.sensors.TakeSmartFlags(3, flags);
    EXPECT_EQ(r.Run(), 0) << "input C is not active";
    r.sensors.Sensor(2).SetActiveState(true);
    EXPECT_EQ(r.Run(), 1173);
    r.Rate(3);
    EXPECT_EQ(r.Run(), 0);
    // Both before the channel count: 1169 wins over 1171.
    r.sensors.Sensor(1).SetMode(3);
    r.Rate(0);
    r.in.Channels.resize(3, Chan(0));
    EXPECT_EQ(r.Run(), 1169);
}

TEST(StartChecks, Triggers)
{
    TCheckRig r(2);
    r.ch.RecordingType = 1;
    r.ch.TimeIndex = 0;
    r.Rate(4); // 2 ms: up to four channels at 115200 baud
    EXPECT_EQ(r.Run(), 1155);
    auto ev = r.triggers.Event(1);
    ev.SetActiveState(true);
    ev.SetSource(2);
    ev.SetSensor(1);
    ev.SetValue(30001);
    TVro8StartCheck c = Vro8CheckStart(r.ch, r.in);
    EXPECT_EQ(c.Text, 1156);
    EXPECT_EQ(c.Trigger, 2);
    EXPECT_EQ(c.Detail, 1164);
    EXPECT_EQ(c.Message, text(1156) + " 2\n" + text(1164));
    ev.SetValue(30000);
    EXPECT_EQ(r.Run(), 0);
    ev.SetSensor(5); // no channel on input F
    EXPECT_EQ(Vro8CheckStart(r.ch, r.in).Detail, 1163);
    // Window: range -10000..30000 spans 40000, so the width must be >= 600.
    ev.SetSensor(0);
    ev.SetSource(3);
    ev.SetLoLimet(0);
    ev.SetHiLimit(599);
    EXPECT_EQ(Vro8CheckStart(r.ch, r.in).Detail, 1166);
    ev.SetHiLimit(600);
    EXPECT_EQ(r.Run(), 0);
    ev.SetLoLimet(-10001);
    EXPECT_EQ(Vro8CheckStart(r.ch, r.in).Detail, 1165);
    ev.SetLoLimet(0);
    // Timed, once, with a start time: before the PC clock fails.
    ev.SetSource(4);
    ev.SetCount(1);
    ev.SetStartMode(1);
    ev.SetStartDateValue(45999.0);
    ev.SetStartTimeValue(0.5);
    EXPECT_EQ(Vro8CheckStart(r.ch, r.in).Detail, 1167);
    ev.SetStartDateValue(46001.0);
    EXPECT_EQ(r.Run(), 0);
    ev.SetStartDateValue(45999.0);
    ev.SetCount(2); // repeats: not "once"
    EXPECT_EQ(r.Run(), 0);
    ev.SetCount(0);
    ev.SetStartMode(0); // immediately
    EXPECT_EQ(r.Run(), 0);
    // Digital input I is input 8: a measurement channel there is a fault.
    ev.SetSource(1);
    ev.SetInput(0);
    EXPECT_EQ(r.Run(), 0);
    r.in.Channels.push_back(Chan(8));
    EXPECT_EQ(Vro8CheckStart(r.ch, r.in).Detail, 1168);
    ev.SetInput(1); // J = 9
    EXPECT_EQ(r.Run(), 0);
    // The first faulty trigger wins.
    auto first = r.triggers.Event(0);
    first.SetActiveState(true);
    first.SetSource(2);
    first.SetSensor(7);
    ev.SetInput(0);
    EXPECT_EQ(Vro8CheckStart(r.ch, r.in).Trigger, 1);
    // Type 0 does not look at triggers.
    r.ch.RecordingType = 0;
    EXPECT_EQ(r.Run(), 0);
}

TEST(StartChecks, DigitalInputOnLayoutFiveIsD)
{
    TCheckRig r(1, 5);
    r.ch.RecordingType = 1;
    r.ch.TimeIndex = 0;
    r.Rate(4);
    auto ev = r.triggers.Event(0);
    ev.SetActiveState(true);
    ev.SetSource(1);
    ev.SetInput(1);
    r.in.Channels.push_back(Chan(9));
    EXPECT_EQ(r.Run(), 0);
    r.in.Channels.push_back(Chan(3));
    EXPECT_EQ(Vro8CheckStart(r.ch, r.in).Detail, 1168);
}

TEST(StartChoices, AutomaticCountsOnlyWhereItShows)
{
    TVro8StartChoices c;
    c.Automatic = true;
    EXPECT_FALSE(c.AutomaticInEffect()); // type 0
    c.RecordingType = 2;
    EXPECT_FALSE(c.AutomaticInEffect()); // event log on the PC
    c.SaveToVro = true;
    EXPECT_TRUE(c.AutomaticInEffect());
    c.RecordingType = 1;
    c.SaveToVro = false;
    EXPECT_TRUE(c.AutomaticInEffect());
    EXPECT_EQ(TVro8StartChoices::TypeCount(true, 2), 3);
    EXPECT_EQ(TVro8StartChoices::TypeCount(true, 3), 4);
    EXPECT_EQ(TVro8StartChoices::TypeCount(false, 5), 3);
    // The lists keep their own selection.
    c.PcRateIndex = 0;
    c.VroRateIndex = 17;
    EXPECT_EQ(c.RateRow(), 3);
    c.SaveToVro = true;
    EXPECT_EQ(c.RateRow(), 17);
    EXPECT_EQ(c.Interval(), 600000);
}

// ---- supervision ----

struct TFakeRecorder {
    std::deque<std::int32_t> states;
    std::vector<bool> starts; // repeat flags of S 106
    bool acceptStart = true;
    int stops = 0;
    int downloads = 0;
    int polls = 0;
    std::int64_t now = 0;
    std::vector<std::pair<bool, bool>> busy;
    std::string base = "/tmp/series.vxrf";
    int number = 0;
    bool failSave = false;
    bool askCancelled = false;

    TVro8StartServices Services()
    {
        TVro8StartServices s;
        s.StartRemote = [this](bool repeat) {
            starts.push_back(repeat);
            return acceptStart;
        };
        s.GetRecorderState = [this] {
            ++polls;
            if (states.empty())
                return 0;
            const std::int32_t v = states.front();
            states.pop_front();
            return v;
        };
        s.StopRemote = [this] { ++stops; };
        s.Download = [this](bool toFile) -> std::string {
            ++downloads;
            if (failSave)
                throw EVro8SaveFailed("run.vxrf", "cannot write");
            return toFile ? "run-" + std::to_string(number++) : std::string{};
        };
        s.AskSeriesName = [this]() -> std::optional<std::string> {
            if (askCancelled)
                return std::nullopt;
            return base;
        };
        s.PrepareSeries = [this](const std::string&, int n, const std::string&) { number = n; };
        s.SetBusy = [this](bool b, bool remote) { busy.emplace_back(b, remote); };
        s.ReadChannels = [] { return std::vector<TVro8ChannelDescription>{Chan(0)}; };
        s.BaudRate = [] { return 460800; };
        s.NowMs = [this] { return now; };
        s.Now = [] { return 46000.0; };
        return s;
    }
};

// The page over the in-process simulator's blocks, with the remote
// recording's state, start, download and clock injected.
class Supervision : public ::testing::Test {
protected:
    test::TRecorderRig rig{3};
    TFakeRecorder rec;
    std::unique_ptr<TVro8Setup> setup;
    TVro8StartChoices choices;
    std::unique_ptr<TVro8StartRecording> page;

    void SetUp() override
    {
        rig.Connect();
        setup = std::make_unique<TVro8Setup>(*rig.device);
        choices.SaveToVro = true;
        choices.Name = "Run";
        choices.TimeIndex = 0;
        choices.VroRateIndex = 3; // 1 ms
        page = std::make_unique<TVro8StartRecording>(*setup, rec.Services(), choices);
        page->Open();
    }
    void Series()
    {
        choices.RecordingType = 1;
        choices.Automatic = true;
        // One active trigger that passes the checks: the key.
        setup->TriggerSetup().Event(0).SetActiveState(true);
        setup->TriggerSetup().Event(0).SetSource(0);
        setup->WriteBlock(EVro8Block::Trigger);
    }
};

TEST_F(Supervision, OneRunIsWatchedAndReadOut)
{
    ASSERT_FALSE(page->Start());
    EXPECT_EQ(rec.starts, std::vector<bool>{false});
    ASSERT_EQ(rec.busy.back(), std::make_pair(true, true));
    EXPECT_EQ(page->StateLine(), TVro8StartRecording::PhaseText(0));
    // The choices went into the recorder's recording block.
    TVro8Setup check(*rig.device);
    check.ReadBlock(EVro8Block::Recording);
    EXPECT_EQ(check.RecordingSetup().RecordingName(), "Run");
    EXPECT_EQ(check.RecordingSetup().SampleRate(), 3);
    EXPECT_EQ(check.RecordingSetup().Duration(), 0);

    rec.states = {0, 0, 0, 0, 0, 0, 0};
    for (int i = 1; i <= 7; ++i) {
        EXPECT_FALSE(page->PeriodicUpdate());
        EXPECT_EQ(page->Phase(), i % 6);
        EXPECT_EQ(page->StateLine(), TVro8StartRecording::PhaseText(i % 6));
    }
    rec.states = {1};
    EXPECT_FALSE(page->PeriodicUpdate());
    EXPECT_EQ(rec.downloads, 1);
    EXPECT_EQ(page->State(), TVro8StartRecording::EState::Editing);
    EXPECT_EQ(rec.busy.back(), std::make_pair(false, false));
}

TEST_F(Supervision, ARecordingStartedElsewhereIsNotReadOut)
{
    page->Watch();
    rec.states = {0, 1};
    page->PeriodicUpdate();
    page->PeriodicUpdate();
    EXPECT_EQ(rec.downloads, 0);
    EXPECT_EQ(page->State(), TVro8StartRecording::EState::Editing);
    // Any other state ends the busy state too, silently.
    page->Watch();
    rec.states = {3};
    EXPECT_FALSE(page->PeriodicUpdate());
    EXPECT_FALSE(page->Running());
}

TEST_F(Supervision, SeriesPausesWithoutPollingThenRepeats)
{
    Series();
    ASSERT_FALSE(page->Start());
    rec.states = {1};
    page->PeriodicUpdate();
    EXPECT_EQ(rec.downloads, 1);
    EXPECT_EQ(page->State(), TVro8StartRecording::EState::Pausing);
    EXPECT_EQ(page->StateLine(), text(1283));
    const int polls = rec.polls;
    rec.now += 499;
    rec.states = {1}; // would be a second read-out if polled
    page->PeriodicUpdate();
    EXPECT_EQ(rec.polls, polls);
    EXPECT_EQ(rec.starts.size(), 1u);
    rec.now += 1;
    page->PeriodicUpdate();
    EXPECT_EQ(rec.starts, (std::vector<bool>{false, true}));
    EXPECT_EQ(rec.downloads, 1);
    rec.states = {0, 1};
    page->PeriodicUpdate();
    page->PeriodicUpdate();
    EXPECT_EQ(rec.downloads, 2);
    EXPECT_EQ(page->Files(), (std::vector<std::string>{"run-1", "run-2"}));
    // The frame's "end automatic": the run under way is the last.
    rec.now += 500;
    page->PeriodicUpdate();
    page->EndAutomatic();
    rec.states = {1};
    page->PeriodicUpdate();
    EXPECT_EQ(rec.downloads, 3);
    EXPECT_EQ(page->State(), TVro8StartRecording::EState::Editing);
}

TEST_F(Supervision, RefusedStartsAndCancelledName)
{
    rec.acceptStart = false;
    auto n = page->Start();
    ASSERT_TRUE(n);
    EXPECT_EQ(n->Message, text(1281));
    EXPECT_FALSE(n->DeviceError);
    EXPECT_FALSE(page->Running());
    // A refused repeat ends the series.
    rec.acceptStart = true;
    Series();
    ASSERT_FALSE(page->Start());
    rec.states = {1};
    page->PeriodicUpdate();
    rec.acceptStart = false;
    rec.now += 500;
    n = page->PeriodicUpdate();
    ASSERT_TRUE(n);
    EXPECT_EQ(n->Message, text(1281));
    EXPECT_FALSE(page->Running());
    // Cancelling the series name starts nothing and says nothing.
    rec.starts.clear();
    rec.askCancelled = true;
    EXPECT_FALSE(page->Start());
    EXPECT_TRUE(rec.starts.empty());
    // A blank name: 1172 after the block was written.
    rec.askCancelled = false;
    choices.Name = "   ";
    n = page->Start();
    ASSERT_TRUE(n);
    EXPECT_EQ(n->Message, text(1172));
    EXPECT_TRUE(rec.starts.empty());
}

TEST_F(Supervision, StopEndsTheRunAndCancelsAReadOut)
{
    ASSERT_FALSE(page->Start());
    page->Stop();
    EXPECT_EQ(rec.stops, 1);
    EXPECT_FALSE(page->Running());
    EXPECT_EQ(rec.busy.back(), std::make_pair(false, false));
    // During the read-out Stop cancels it instead of sending R 210.
    ASSERT_FALSE(page->Start());
    TVro8StartServices s = rec.Services();
    s.Download = [this](bool) {
        ++rec.downloads;
        page->Stop();
        EXPECT_TRUE(page->CancelRequested());
        throw std::runtime_error("cancelled");
        return std::string{};
    };
    page = std::make_unique<TVro8StartRecording>(*setup, s, choices);
    page->Open();
    ASSERT_FALSE(page->Start());
    rec.states = {1};
    EXPECT_FALSE(page->PeriodicUpdate()) << "a cancelled read-out is no error";
    EXPECT_EQ(rec.stops, 1);
    EXPECT_FALSE(page->Running());
}

TEST_F(Supervision, ASeriesFileThatCannotBeWrittenEndsTheSeries)
{
    Series();
    ASSERT_FALSE(page->Start());
    rec.failSave = true;
    rec.states = {1};
    const auto n = page->PeriodicUpdate();
    ASSERT_TRUE(n);
    EXPECT_EQ(n->Message, text(18));
    EXPECT_FALSE(n->DeviceError);
    EXPECT_FALSE(page->Running());
}

TEST(StartDetached, TheBlockWriteFailingIsADeviceError)
{
    TFakeRecorder rec;
    TVro8Setup setup(3);
    TVro8StartChoices choices;
    choices.SaveToVro = true;
    choices.Name = "Run";
    TVro8StartRecording page(setup, rec.Services(), choices);
    const auto n = page.Start();
    ASSERT_TRUE(n);
    EXPECT_TRUE(n->DeviceError);
    EXPECT_TRUE(rec.starts.empty());
}

TEST(StartPhases, StateLineTexts)
{
    const std::string t = text(1282);
    EXPECT_EQ(TVro8StartRecording::PhaseText(0), t);
    EXPECT_EQ(TVro8StartRecording::PhaseText(1), ". " + t + " .");
    EXPECT_EQ(TVro8StartRecording::PhaseText(2), ".. " + t + " ..");
    EXPECT_EQ(TVro8StartRecording::PhaseText(3), "... " + t + " ...");
    EXPECT_EQ(TVro8StartRecording::PhaseText(4), ".. " + t + " ..");
    EXPECT_EQ(TVro8StartRecording::PhaseText(5), ". " + t + " .");
}


// A type-2 run (event log) started from the page, watched and read out
// against the simulated recorder through the device layer: the recording
// carries min/max values, states and time stamps, the recording block's
// name and rate row, and time / interval records.
TEST(RemoteRun, EventLogIsStartedWatchedAndReadOut)
{
    test::TRecorderRig rig{4};
    rig.Connect();
    TVro8Device& dev = *rig.device;
    TVro8Setup setup(dev);
    TVro8StartChoices choices;
    choices.SaveToVro = true;
    choices.RecordingType = 2;
    choices.Name = "Events";
    choices.TimeIndex = 1;    // 2 s
    choices.VroRateIndex = 9; // row 9: 100 ms
    std::unique_ptr<TRecording> read;
    std::vector<std::pair<bool, bool>> busy;
    TVro8StartServices s;
    s.StartRemote = [&dev](bool repeat) { return dev.RemoteRecording.StartRemoteRecording(repeat) == 1; };
    s.GetRecorderState = [&dev] { return dev.RemoteRecording.GetRecorderState(); };
    s.StopRemote = [&dev] { dev.RemoteRecording.StopRemoteRecording(); };
    s.ReadChannels = [&dev] {
        dev.Measurement.ReadChannels();
        std::vector<TVro8ChannelDescription> list;
        for (int i = 0; i < dev.Measurement.ChannelCount(); ++i)
            list.push_back(dev.Measurement.Channel(i));
        return list;
    };
    s.BaudRate = [] { return 460800; };
    s.NowMs = [] {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    };
    s.Now = [] { return DvxNow(); };
    s.SetBusy = [&busy](bool b, bool remote) { busy.emplace_back(b, remote); };
    s.Download = [&](bool) {
        TTakeReport report;
        read = Vro8ReadRemoteRecording(dev, 20000, TTakeNaming{}, report);
        return std::string{};
    };
    TVro8StartRecording page(setup, std::move(s), choices);
    page.Open();
    const auto notice = page.Start();
    ASSERT_FALSE(notice) << notice->Message;
    EXPECT_EQ(setup.Data.Recording.RecordingType(), 2);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (page.State() != TVro8StartRecording::EState::Editing && std::chrono::steady_clock::now() < deadline) {
        const auto n = page.PeriodicUpdate();
        ASSERT_FALSE(n) << n->Message;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ASSERT_TRUE(read) << "the run was read out";
    EXPECT_EQ(read->RecordingType, 2);
    EXPECT_TRUE(read->HasMinMaxValues);
    EXPECT_TRUE(read->HasStates);
    EXPECT_TRUE(read->HasTimeStamps);
    EXPECT_EQ(read->RecordCount, 20) << "2 s at 100 ms";
    EXPECT_EQ(read->SampleRate, 9);
    EXPECT_EQ(read->DeviceRecordingName, "Events");
    EXPECT_EQ(static_cast<std::size_t>(read->ChannelCount), rig.recorder->Channels().size());
    ASSERT_FALSE(busy.empty());
    EXPECT_EQ(busy.front(), std::make_pair(true, true));
    EXPECT_FALSE(busy.back().first);
}

} // namespace
} // namespace vro
