// The recording file reader on arbitrary bytes. A load either fails with an
// exception or gives a recording that keeps the model's invariants; such a
// recording is then exercised (view states from its snapshots, remarks, time
// and value texts) and saved, and saving what was loaded back again must be
// stable after one normalising pass.
#include "core/recording/recording.h"

#include <cstdint>
#include <cstdlib>
#include <exception>
#include <string>

using namespace vro;

namespace {

void Check(bool ok)
{
    if (!ok)
        std::abort();
}

void CheckInvariants(const TRecording& r)
{
    Check(r.ChannelCount >= 1 && r.ChannelCount <= TRecording::MaxChannels);
    Check(r.RecordCount >= 1);
    Check(r.Time != nullptr);
    const auto n = static_cast<std::size_t>(r.RecordCount);
    for (int i = 0; i < r.ChannelCount; ++i) {
        const auto& c = r.Channel(i);
        Check(c.Values.size() == n);
        Check(!r.HasMinMaxValues || (c.MinValues.size() == n && c.MaxValues.size() == n));
        Check(c.CurrentLoRange < c.CurrentHiRange);
        Check(c.Decimals >= 0 && c.Decimals <= 8);
    }
    Check(!r.HasTimeStamps || r.Time->TimeStamps.size() == n);
    Check(!r.HasSubTimes || (r.Time->SubTimes && r.Time->SubTimes->Values.size() == n));
    Check(!r.HasStates || (r.State && r.State->States.size() == n));
    Check(r.Remarks.size() <= 100);
    Check(r.XAxisIndex >= -1 && r.XAxisIndex < r.ChannelCount);
}

void Exercise(TRecording& r)
{
    for (const auto& m : r.Remarks)
        (void)r.GetRemarkIndex(m);
    const std::int32_t last = r.RecordCount - 1;
    for (std::int32_t i : {std::int32_t(0), last / 2, last}) {
        (void)r.Time->IndexToText(i);
        (void)r.Time->IndexToPosition(i, 0, 1000);
        if (r.State)
            (void)r.State->GetStateText(i);
        for (int c = 0; c < r.ChannelCount; ++c) {
            (void)r.Channel(c).GetValueText(i);
            (void)r.Channel(c).ScaleValue(r.Channel(c).GetValue(i), 0, 480);
        }
    }
    (void)r.Time->RelativeToText(0.37);
    (void)r.Time->RelativeSpanToText(0.5);
    (void)r.Time->RelativeToIndex(0.5);
    for (int s = 0; s < r.SnapshotCamera.Count() && s < 8; ++s) {
        r.SetViewState(r.SnapshotCamera.Items(s).Data);
        for (int c = 0; c < r.ChannelCount; ++c)
            Check(r.Channel(c).CurrentLoRange < r.Channel(c).CurrentHiRange);
    }
    (void)r.GetViewState();
}

std::string LoadAndSave(const std::string& bytes)
{
    TRecording r;
    r.LoadFromMemory({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}, "fuzz.vxrf");
    CheckInvariants(r);
    return r.SaveToString();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TRecording r;
    try {
        r.LoadFromMemory({data, size}, "fuzz.vxrf");
    } catch (const std::exception&) {
        Check(r.ChannelCount == 0 && r.Channels[0] == nullptr);
        return 0;
    }
    CheckInvariants(r);
    const std::string first = r.SaveToString();
    try {
        Exercise(r);
    } catch (const std::exception&) {
        // Value texts may refuse odd inputs; the model must survive it.
    }
    CheckInvariants(r);
    // What was saved loads again, and saving is stable after one pass.
    const std::string second = LoadAndSave(first);
    Check(LoadAndSave(second) == second);
    return 0;
}
