// The sensor, trigger and CAN editors against the in-process simulator:
// rows per class, mode and layout, the check order and messages, nothing
// stored after a refusal, the raw values kept across channels and decimals.
#include "core/text/texts.h"
#include "core/values/dvxdatetime.h"
#include "device/setup/vro8setup.h"
#include "device/setupedit/vro8caneditor.h"
#include "device/setupedit/vro8sensoreditor.h"
#include "device/setupedit/vro8triggereditor.h"
#include "support/recorderrig.h"

#include <gtest/gtest.h>

namespace vro {
namespace {

using Rows = std::vector<std::string>;

struct TEditRig {
    explicit TEditRig(int v) : rig(v)
    {
        SelectLibraryLanguage("en");
        SetDvxFormatSettings(TDvxFormatSettings::Iso());
        rig.Connect();
        setup = std::make_unique<TVro8Setup>(*rig.device);
    }
    TVro8SetupData Recorder()
    {
        TVro8Setup s(*rig.device);
        s.ReadAll();
        return s.Data;
    }
    test::TRecorderRig rig;
    std::unique_ptr<TVro8Setup> setup;
};

TEST(SensorEditor, ListViewRowsAndBoxes)
{
    TEditRig r(3);
    TVro8SensorEditor e(*r.setup);
    e.Open(true);
    ASSERT_EQ(e.Rows.size(), 12u);
    EXPECT_EQ(e.Rows[0].Caption, "Channel A");
    // Input B has one smart sub-channel in the simulator.
    ASSERT_EQ(e.Rows[1].Subs.size(), 1u);
    EXPECT_EQ(e.Rows[1].Subs[0].Caption, "  |- Sub 1");
    EXPECT_EQ(e.Rows[1].Subs[0].Label.rfind("  |-> ", 0), 0u);
    EXPECT_TRUE(e.Rows[1].Subs[0].Checked);
    // Unchecking sub-channel 1 sets bit 0 of the mask and writes at once.
    e.SetSubActive(1, 0, false);
    EXPECT_EQ(r.Recorder().Sensors.Sensor(1).SubChannelMask() & 1, 1);
    e.SetSubActive(1, 0, true);
    EXPECT_EQ(r.Recorder().Sensors.Sensor(1).SubChannelMask() & 1, 0);
    e.SetActive(5, true);
    EXPECT_TRUE(r.Recorder().Sensors.Sensor(5).ActiveState());
    e.SetActive(5, false);
    EXPECT_FALSE(r.Recorder().Sensors.Sensor(5).ActiveState());
    // Layout 5: five records, smart rows on the first three only.
    TEditRig r5(5);
    TVro8SensorEditor e5(*r5.setup);
    e5.Open(true);
    EXPECT_EQ(e5.Rows.size(), 5u);
}

TEST(SensorEditor, RowsPerClassAndMode)
{
    TEditRig r(3);
    TVro8SensorEditor e(*r.setup);
    e.Open(true);
    ASSERT_TRUE(e.OpenSettings(0));
    EXPECT_EQ(e.Heading, "Channel A");
    EXPECT_EQ(e.Mode.Offered, 2);
    e.Mode.Select(0);
    e.ModeChanged();
    EXPECT_EQ(e.SettingsRows(), Rows{"ModusComboBox"});
    e.Mode.Select(1);
    e.ModeChanged();
    EXPECT_EQ(e.SettingsRows(), (Rows{"ModusComboBox", "InputSignalComboBox", "LoRangeEdit", "HiRangeEdit",
                                      "UnitComboBox", "x44x47xDecimalFormatComboBox"}));
    EXPECT_EQ(e.UnitList.size(), 11u);
    // Record B: the orifice mode with its own rows and units.
    e.SettingsCancel();
    ASSERT_TRUE(e.OpenSettings(1));
    EXPECT_EQ(e.Mode.Offered, 5);
    e.Mode.Select(3);
    e.ModeChanged();
    EXPECT_EQ(e.SettingsRows(), Rows{"ModusComboBox"});
    e.Mode.Select(4);
    e.ModeChanged();
    EXPECT_EQ(e.SettingsRows(),
              (Rows{"ModusComboBox", "x44x47xDecimalFormatComboBox", "UnitComboBox", "VolEdit", "PressureEdit"}));
    EXPECT_EQ(e.UnitList, (Rows{text(891), "l/min"}));
    // Counter input I, calculated channel K.
    e.SettingsCancel();
    ASSERT_TRUE(e.OpenSettings(8));
    EXPECT_EQ(e.Class(), TVro8SensorEditor::EClass::Counter);
    EXPECT_EQ(e.SettingsRows(), (Rows{"InputSignalComboBox", "UnitComboBox", "FactorEdit", "HiRangeEdit",
                                      "x44x47xDecimalFormatComboBox"}));
    e.SettingsCancel();
    ASSERT_TRUE(e.OpenSettings(10));
    EXPECT_TRUE(e.Signal.Entries.empty());
    e.Mode.Select(1);
    e.ModeChanged();
    EXPECT_EQ(e.SettingsRows(), (Rows{"ModusComboBox", "UnitComboBox", "HiRangeEdit", "x44x47xDecimalFormatComboBox"}));
    EXPECT_EQ(e.UnitList, (Rows{"kW", "PS", "hp"}));
    EXPECT_FALSE(e.UnitFreeText);
    // Record B on layout 5 has no orifice modes.
    TEditRig r5(5);
    TVro8SensorEditor e5(*r5.setup);
    e5.Open(true);
    ASSERT_TRUE(e5.OpenSettings(1));
    EXPECT_EQ(e5.Mode.Offered, 2);
    EXPECT_EQ(TVro8SensorEditor::ClassOf(3, 5), TVro8SensorEditor::EClass::Counter);
    EXPECT_EQ(TVro8SensorEditor::ClassOf(4, 5), TVro8SensorEditor::EClass::Calculated);
}

TEST(SensorEditor, ManualRangesAreCheckedBeforeAnythingIsStored)
{
    TEditRig r(3);
    TVro8SensorEditor e(*r.setup);
    e.Open(true);
    const TVro8SensorSetup before = r.Recorder().Sensors;
    ASSERT_TRUE(e.OpenSettings(0));
    e.Mode.Select(1);
    e.ModeChanged();
    e.Decimals.Select(2);
    e.LoRange = "-10.00";
    e.HiRange = "300.01";
    TVro8EditResult res = e.SettingsOk();
    ASSERT_TRUE(res);
    EXPECT_EQ(res->Field, "HiRangeEdit");
    EXPECT_FALSE(e.CancelShown()) << "OK hides Cancel whether or not the checks passed";
    // Nothing stored: not even the decimals (the next write would scale the old range).
    EXPECT_EQ(r.setup->SensorSetup().Sensor(0).Decimals(), before.Sensor(0).Decimals());
    EXPECT_TRUE(r.Recorder().Sensors == before);
    e.HiRange = "300.00";
    e.Name = "Main pressure";
    e.Unit = "mbar-long-unit";
    ASSERT_FALSE(e.SettingsOk());
    const TVro8SetupData held = r.Recorder();
    const TVro8SensorSetupWrapper w = held.Sensors.Sensor(0);
    EXPECT_EQ(w.HiRange(), 30000);
    EXPECT_EQ(w.LoRange(), -1000);
    EXPECT_EQ(w.Decimals(), 2);
    EXPECT_EQ(w.Mode(), 1);
    EXPECT_EQ(w.Name(), "Main pressure");
    EXPECT_EQ(w.MUnit(), "mbar-lon");
    EXPECT_FALSE(e.InSettings());
}

TEST(SensorEditor, CounterAndOrifice)
{
    TEditRig r(3);
    TVro8SensorEditor e(*r.setup);
    e.Open(true);
    ASSERT_TRUE(e.OpenSettings(8));
    e.Decimals.Select(0);
    e.HiRange = "99";
    TVro8EditResult res = e.SettingsOk();
    ASSERT_TRUE(res);
    EXPECT_EQ(res->Field, "HiRangeEdit");
    e.HiRange = "100";
    e.Factor = "-1";
    res = e.SettingsOk();
    ASSERT_TRUE(res);
    EXPECT_EQ(res->Field, "FactorEdit");
    e.Factor = "2.5";
    ASSERT_FALSE(e.SettingsOk());
    EXPECT_EQ(r.Recorder().Sensors.Sensor(8).Factor(), 250u);
    EXPECT_EQ(r.Recorder().Sensors.Sensor(8).HiRange(), 100);

    // Orifice: pressure 250.0 with one pressure decimal (the first channel has 0... +1).
    ASSERT_TRUE(e.OpenSettings(1));
    e.Mode.Select(4);
    e.ModeChanged();
    e.Decimals.Select(1);
    e.DecimalsChanged();
    EXPECT_EQ(r.setup->SensorSetup().Sensor(1).Decimals(), 1) << "stored at once";
    const int pd = e.PressureDecimals();
    EXPECT_EQ(pd, std::min(r.rig.device->Measurement.Channel(0).Decimals + 1, 3));
    e.Pressure = "250.0";
    e.Volume = "12.5";
    // The volume keeps its raw value when the decimals change: 12.5 at 1 is 1.25 at 2.
    e.Decimals.Select(2);
    e.DecimalsChanged();
    EXPECT_EQ(e.Volume, "1.25");
    ASSERT_FALSE(e.SettingsOk());
    const TVro8SetupData held = r.Recorder();
    const TVro8SensorSetupWrapper b = held.Sensors.Sensor(1);
    EXPECT_EQ(b.FactorLow(), 125);
    EXPECT_EQ(b.FactorHigh(), pd == 1 ? 2500 : pd == 2 ? 25000 : 250000 % 65536);
    EXPECT_EQ(b.Mode(), 4);
}

TEST(SensorEditor, PressureDecimalsFollowTheFirstChannel)
{
    TEditRig r(3);
    for (const auto& [d, want] : std::vector<std::pair<int, int>>{{0, 1}, {1, 2}, {2, 3}, {3, 3}, {7, 8}, {8, 8}}) {
        auto ch = r.rig.recorder->Channels();
        ch[0].Decimals = static_cast<std::uint16_t>(d);
        r.rig.recorder->SetChannels(ch, false);
        TVro8SensorEditor e(*r.setup);
        e.Open(true);
        EXPECT_EQ(e.PressureDecimals(), want) << d;
    }
    r.rig.recorder->SetChannels({}, false);
    TVro8SensorEditor e(*r.setup);
    e.Open(true);
    EXPECT_EQ(e.PressureDecimals(), 1) << "no channel counts as 0 decimals";
}

TEST(TriggerEditor, DrawingPerCombination)
{
    auto d = Vro8TriggerDrawing(2); // "1 and 2 and 3"
    ASSERT_EQ(d.Boxes.size(), 1u);
    EXPECT_EQ(d.Boxes[0].Y, 15);
    EXPECT_EQ(d.Boxes[0].H, 62);
    EXPECT_EQ(d.Boxes[0].X, 30);
    EXPECT_EQ(d.Boxes[0].W, 28);
    int straight = 0;
    for (const auto& l : d.Lines)
        if (l.X1 == 10 && l.X2 == 100) {
            ++straight;
            EXPECT_EQ(l.Y1, 90);
        }
    EXPECT_EQ(straight, 1) << "only event 4 runs straight to the bracket";
    EXPECT_TRUE(Vro8TriggerDrawing(0).Boxes.empty());
    EXPECT_EQ(Vro8TriggerDrawing(4).Boxes.size(), 2u);
    EXPECT_EQ(Vro8TriggerDrawing(4).Boxes[1].Y, 67);
}

TEST(TriggerEditor, MainViewAndLayoutFive)
{
    TEditRig r(3);
    TVro8TriggerEditor e(*r.setup);
    e.Open(true);
    EXPECT_EQ(e.EventCount(), 4);
    EXPECT_EQ(e.Combination.Offered, 5);
    e.SetActive(2, true);
    EXPECT_TRUE(r.Recorder().Triggers.Event(2).ActiveState());
    e.Combination.Select(3);
    e.Ok();
    EXPECT_EQ(r.Recorder().Triggers.Combination(), 3u);
    TEditRig r5(5);
    TVro8TriggerEditor e5(*r5.setup);
    e5.Open(true);
    EXPECT_EQ(e5.EventCount(), 2);
    EXPECT_EQ(e5.Combination.Offered, 2);
    e5.OpenEvent(0);
    EXPECT_EQ(e5.ValueSensor.Offered, 5);
    e5.Source.Select(1);
    EXPECT_EQ(e5.EventRows(), (Rows{"x13x17xSourceComboBox", "EdgeComboBox"}));
}

TEST(TriggerEditor, EventChecksAndRawValues)
{
    TEditRig r(3);
    TVro8TriggerEditor e(*r.setup);
    e.Open(true);
    e.OpenEvent(0);
    EXPECT_EQ(e.Heading, "Event 1");
    // Timed: 0 repetitions refused, 1 accepted; a date before 2000 refused.
    e.Source.Select(4);
    e.Count = "0";
    TVro8EditResult res = e.EventOk();
    ASSERT_TRUE(res);
    EXPECT_EQ(res->Field, "CountEdit");
    const TVro8TriggerSetup before = r.Recorder().Triggers;
    EXPECT_TRUE(r.Recorder().Triggers == before);
    e.Count = "1";
    e.StartMode.Select(1);
    e.StartDate = "1999-12-31";
    e.StartTime = "12:00:00";
    res = e.EventOk();
    ASSERT_TRUE(res);
    EXPECT_EQ(res->Field, "StartDateEdit");
    e.StartDate = "2068-01-20";
    EXPECT_TRUE(e.EventOk());
    e.StartDate = "2030-06-01";
    ASSERT_FALSE(e.EventOk());
    const TVro8SetupData held = r.Recorder();
    const TVro8TriggerEventWrapper t = held.Triggers.Event(0);
    EXPECT_EQ(t.Source(), 4);
    EXPECT_EQ(t.Count(), 1);
    EXPECT_EQ(t.StartMode(), 1);
    EXPECT_EQ(DvxDateToText(t.StartDateValue()), "2030-06-01");

    // Specific value on channel A (1 decimal in the simulator): 30000 raw at most.
    e.OpenEvent(1);
    e.Source.Select(2);
    e.ValueSensor.Select(0);
    e.ChannelChanged(false);
    e.Value = "3000.1";
    res = e.EventOk();
    ASSERT_TRUE(res);
    EXPECT_EQ(res->Field, "ValueEdit");
    e.Value = "12.5";
    // Another channel keeps the raw value: input I (decimals 0) shows 125.
    e.ValueSensor.Select(8);
    e.ChannelChanged(false);
    EXPECT_EQ(e.Value, "125");
    EXPECT_FALSE(e.SubChannelShown(false));
    // Input B carries a smart sensor: its sub-channel row shows.
    e.ValueSensor.Select(1);
    e.ChannelChanged(false);
    EXPECT_TRUE(e.SubChannelShown(false));
    EXPECT_NE(std::find(e.EventRows().begin(), e.EventRows().end(), "ValueSubChannelComboBox"), e.EventRows().end());
    ASSERT_FALSE(e.EventOk());
    EXPECT_EQ(r.Recorder().Triggers.Event(1).SubChannel(), 2) << "the event's own sub-channel stays chosen";
    EXPECT_EQ(r.Recorder().Triggers.Event(1).Sensor(), 1);

    // Window: the lower limit is checked first.
    e.OpenEvent(1);
    e.Source.Select(3);
    e.LoLimit = "99999";
    e.HiLimit = "99999";
    res = e.EventOk();
    ASSERT_TRUE(res);
    EXPECT_EQ(res->Field, "LoLimitEdit");
}

TEST(TriggerEditor, StartRecordingUseAndCancel)
{
    TEditRig r(3);
    TVro8TriggerEditor e(*r.setup);
    e.Open(true);
    e.OpenForStart(1);
    EXPECT_TRUE(e.InEvent());
    EXPECT_EQ(e.Event(), 1);
    EXPECT_EQ(e.Heading, "Event 2");
    // Cancel: the model goes back to the recorder's block and the editor closes.
    const TVro8TriggerSetup held = r.Recorder().Triggers;
    EXPECT_FALSE(e.Cancel());
    EXPECT_TRUE(e.Closed());
    EXPECT_TRUE(r.setup->TriggerSetup() == held);
    // OK writes events 1 and 2 on, 3 and 4 off, no combination.
    e.OpenForStart(0);
    e.Source.Select(0);
    ASSERT_FALSE(e.EventOk());
    EXPECT_TRUE(e.Closed());
    const TVro8SetupData after = r.Recorder();
    const TVro8TriggerSetup& t = after.Triggers;
    EXPECT_TRUE(t.Event(0).ActiveState());
    EXPECT_TRUE(t.Event(1).ActiveState());
    EXPECT_FALSE(t.Event(2).ActiveState());
    EXPECT_EQ(t.Combination(), 0u);
}

TEST(CanEditor, IdentifierIsHexadecimal)
{
    EXPECT_EQ(Vro8ParseHexId("7FF"), 0x7FFu);
    EXPECT_EQ(Vro8ParseHexId("0x1ad"), 0x1ADu);
    EXPECT_EQ(Vro8ParseHexId("$12B"), 0x12Bu);
    EXPECT_EQ(Vro8ParseHexId("20000000"), 0x20000000u);
    EXPECT_FALSE(Vro8ParseHexId(""));
    EXPECT_FALSE(Vro8ParseHexId("0x"));
    EXPECT_FALSE(Vro8ParseHexId("12G"));
    EXPECT_FALSE(Vro8ParseHexId("123456789"));
}

TEST(CanEditor, ChecksInOrder)
{
    TEditRig r(4);
    TVro8CanEditor e(*r.setup);
    e.Open(true);
    ASSERT_EQ(e.Rows.size(), 32u);
    EXPECT_EQ(e.Rows[0].Caption, "Message 1");
    e.SetActive(3, true);
    EXPECT_TRUE(r.Recorder().Can.Message(3).Active());
    e.OpenSettings(0);
    EXPECT_EQ(e.MessageId, "100");
    e.MessageId = "7FF";
    ASSERT_FALSE(e.SettingsOk());
    EXPECT_EQ(r.Recorder().Can.Message(0).MessageId(), 0x7FFu);
    const TVro8CanSetup before = r.Recorder().Can;
    e.OpenSettings(0);
    e.MessageId = "800";
    TVro8EditResult res = e.SettingsOk();
    ASSERT_TRUE(res);
    EXPECT_EQ(res->Field, "MessageIdEdit");
    EXPECT_FALSE(e.CancelShown());
    e.FrameFormat.Select(1);
    e.MessageId = "20000000";
    res = e.SettingsOk();
    ASSERT_TRUE(res);
    EXPECT_EQ(res->Field, "MessageIdEdit");
    e.MessageId = "1FFFFFFF";
    e.DataOffset = "8";
    res = e.SettingsOk();
    ASSERT_TRUE(res);
    EXPECT_EQ(res->Field, "DataOffsetEdit");
    e.DataOffset = "7";
    e.LoRange = "30001";
    res = e.SettingsOk();
    ASSERT_TRUE(res);
    EXPECT_EQ(res->Field, "LoRangeEdit") << "ranges come first";
    const TVro8SetupData now = r.Recorder();
    EXPECT_TRUE(now.Can == before);
    e.LoRange = "-5";
    ASSERT_FALSE(e.SettingsOk());
    EXPECT_EQ(r.Recorder().Can.Message(0).MessageId(), 0x1FFFFFFFu);
    EXPECT_EQ(r.Recorder().Can.Message(0).DataOffset(), 7);
}

} // namespace
} // namespace vro
