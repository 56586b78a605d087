// Recordings read out of the simulated recorder, built with FillFromDevice
// and compared sample by sample with what the simulator holds, for every
// layout version, and under injected link faults.
#include <gtest/gtest.h>

#include <climits>

#include "core/construct/construct.h"
#include "core/text/texts.h"
#include "core/values/vro8utils.h"
#include "device/manager/vro8manager.h"
#include "device/vro8device.h"
#include "sim/recorder.h"
#include "support/recorderrig.h"

using namespace vro;

namespace {

using TRig = test::TRecorderRig;

// What the simulator holds, decoded on its own: per record the stamp, the
// state and per channel value, min and max.
void ExpectSameSamples(const TRecording& r, const sim::TSimRecording& s)
{
    ASSERT_EQ(r.RecordCount, static_cast<std::int32_t>(s.RecordCount));
    ASSERT_EQ(r.ChannelCount, static_cast<std::int32_t>(s.Channels.size()));
    std::size_t p = 0;
    auto word = [&] { return s.Words.at(p++); };
    auto value = [&](bool wide) -> std::int32_t {
        if (wide) {
            const std::uint32_t lo = word();
            return static_cast<std::int32_t>(lo | (static_cast<std::uint32_t>(word()) << 16));
        }
        const auto v = static_cast<std::int16_t>(word());
        return v == -32768 ? NoValue : v;
    };
    for (std::int32_t k = 0; k < r.RecordCount; ++k) {
        const auto ks = static_cast<std::size_t>(k);
        if (s.TimeStamps()) {
            const std::uint32_t lo = word();
            const std::uint32_t hi = word();
            ASSERT_EQ(r.Time->TimeStamps[ks], static_cast<std::int32_t>(lo | (hi << 16))) << "record " << k;
        }
        if (s.States())
            ASSERT_EQ(r.State->States[ks], word()) << "record " << k;
        for (std::size_t c = 0; c < s.Channels.size(); ++c) {
            const bool wide = s.Channels[c].DataType == 4;
            const auto& ch = r.Channel(static_cast<int>(c));
            ASSERT_EQ(ch.Values[ks], value(wide)) << "record " << k << " channel " << c;
            if (s.MinMax()) {
                ASSERT_EQ(ch.MinValues[ks], value(wide));
                ASSERT_EQ(ch.MaxValues[ks], value(wide));
            }
        }
    }
}

} // namespace

class FillFromDeviceEveryLayout : public ::testing::TestWithParam<int> {};

TEST_P(FillFromDeviceEveryLayout, MatchesTheSimulatorSampleBySample)
{
    TRig rig(GetParam());
    ASSERT_TRUE(Vro8Connect(*rig.device).Connected);
    rig.device->Directory.RefreshRecordings();
    const auto recs = rig.recorder->Recordings();
    ASSERT_EQ(rig.device->Directory.Count(), static_cast<int>(recs.size()));
    for (int i = 0; i < rig.device->Directory.Count(); ++i) {
        const auto& s = recs[static_cast<std::size_t>(i)];
        SCOPED_TRACE(s.Name);
        ASSERT_EQ(rig.Download(i, 120000), TVro8Recording::kLoaded) << rig.connector->LastError();
        TRecording r;
        FillFromDevice(r, DeviceRecordingData(rig.device->Recording), false, "", {});
        EXPECT_EQ(r.RecordingSource, 0);
        EXPECT_EQ(r.DeviceRecordingNumber, static_cast<std::int32_t>(s.Number));
        EXPECT_EQ(r.RecordingType, s.Type & 0x0F);
        EXPECT_DOUBLE_EQ(r.StartTime, StampToDateTime(s.StartTime));
        EXPECT_EQ(r.HasTimeStamps, s.TimeStamps());
        EXPECT_EQ(r.HasStates, s.States());
        EXPECT_EQ(r.HasMinMaxValues, s.MinMax());
        EXPECT_FALSE(r.NameConfirmed);
        const auto& h = rig.device->Recording.Header();
        for (int c = 0; c < r.ChannelCount; ++c) {
            const auto& ch = r.Channel(c);
            const auto& hc = h.Channels[static_cast<std::size_t>(c)];
            std::string name = hc.Input <= 11 ? text(215 + hc.Input) : "";
            if (hc.SubChannel != 0)
                name += "-" + std::to_string(hc.SubChannel);
            EXPECT_EQ(ch.DeviceName, name);
            EXPECT_EQ(ch.CustomName, hc.Name);
            EXPECT_EQ(ch.MeasureUnit, hc.Unit);
            EXPECT_EQ(ch.Decimals, hc.Decimals);
            EXPECT_EQ(ch.DeviceLoRange, hc.LoRange);
            EXPECT_EQ(ch.FullHiRange, hc.HiRange);
            EXPECT_EQ(ch.ColorIndex, c % 10);
        }
        ExpectSameSamples(r, s);
    }
}

INSTANTIATE_TEST_SUITE_P(ComVersions, FillFromDeviceEveryLayout, ::testing::Values(1, 2, 3, 4, 5));

TEST(FillFromDevice, UnderLinkFaultsTheRecordingIsExact)
{
    TRig rig(3);
    ASSERT_TRUE(Vro8Connect(*rig.device).Connected);
    sim::TSimRecording rec;
    rec.Name = "Faulty line";
    rec.Number = 11;
    rec.Type = 0x20 | 0x40 | 0x80;
    rec.Channels.assign(3, sim::TSimChannel{});
    rec.Channels[2].DataType = 4;
    rec.RecordCount = 2000;
    rig.recorder->AddRecording(rec);
    rig.device->Directory.RefreshRecordings();
    const int index = rig.device->Directory.Count() - 1;
    rig.device->Recording.StartLoad(index);
    rig.simulator->SetRandomFaults(0.05, {sim::ESimFault::LoseAnswer, sim::ESimFault::FlipBit, sim::ESimFault::Garbage},
                                   7);
    ASSERT_TRUE(rig.connector->WaitAsyncEnded(120000));
    rig.simulator->ClearFaults();
    ASSERT_EQ(rig.device->Recording.LoadState(), TVro8Recording::kLoaded) << rig.connector->LastError();
    TRecording r;
    FillFromDevice(r, DeviceRecordingData(rig.device->Recording), false, "x.vxrf", {});
    ExpectSameSamples(r, rig.recorder->Recordings().back());
    EXPECT_EQ(CheckTimeStamps(r), 0);
}
