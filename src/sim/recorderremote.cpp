// Remote recording: S 106 starts a run, R 210 stops it or (with data) pings;
// ENQ tells the state. A run's recording joins the memory.
#include "sim/recorder.h"

#include "core/util/bytes.h"

#include <algorithm>

namespace vro::sim {

void TSimRecorder::AdvanceRemote(TClock::time_point now)
{
    if (remote_ == ESimRemoteState::Measuring && now >= remoteChange_) {
        remote_ = ESimRemoteState::Storing;
        remoteChange_ = now + profile_.StoringTime;
        FinishRemoteRun();
    }
    if (remote_ == ESimRemoteState::Storing && now >= remoteChange_)
        remote_ = ESimRemoteState::Finished;
}

// The run's recording joins the memory and is selected for R 21 / R 23, so
// that it can be read without a directory entry.
void TSimRecorder::FinishRemoteRun()
{
    TSimRecording r;
    r.Handle = NextHandle();
    r.Number = remoteNumber_++;
    r.Name = "Remote " + std::to_string(r.Number);
    r.StartTime = Now2000();
    r.StopTime = r.StartTime + 1;
    r.Type = 0x80;
    r.SampleRate = 5;
    const std::size_t maxCh = profile_.ComVersion == 1 ? 10 : 32;
    r.Channels.assign(channels_.begin(), channels_.begin() + static_cast<long>(std::min(maxCh, channels_.size())));
    r.RecordCount = profile_.RemoteRecords.value_or(200);
    // The run follows the recording block: name, number, type, sample rate
    // and recording time (the recorder's own tables, in 0.1 ms).
    static constexpr std::uint32_t kIntervals[18] = {1,    2,    5,    10,    20,    50,    100,    200,    500,
                                                     1000, 2000, 5000, 10000, 20000, 60000, 120000, 300000, 600000};
    static constexpr std::uint32_t kTimes[16] = {10000,     20000,     50000,     100000,   300000,   600000,
                                                 1200000,   3000000,   6000000,   18000000, 36000000, 72000000,
                                                 144000000, 288000000, 432000000, 864000000};
    const TByteString& rb = blocks_[102];
    if (rb.size() == 48) {
        const std::uint16_t type = GetU16(rb, 4), rate = GetU16(rb, 6), duration = GetU16(rb, 8);
        std::string name(reinterpret_cast<const char*>(rb.data() + 14), 32);
        name.resize(std::min(name.find('\0'), name.size()));
        if (!name.empty())
            r.Name = name;
        r.Number = GetU32(rb, 0);
        r.SimpleCurveMode = GetU16(rb, 10);
        if (type == 2)
            r.Type = 2; // event log: min/max, states and time stamps
        else if (rate < 18)
            r.Type = type & 0x0F;
        if (rate < 18)
            r.SampleRate = rate;
        if (!profile_.RemoteRecords && rate < 18 && duration < 16)
            r.RecordCount =
                std::clamp<std::uint32_t>(kTimes[duration] / kIntervals[rate], 1, profile_.RemoteMaxRecords);
    }
    GenerateSamples(r);
    headerHandle_ = sampleHandle_ = r.Handle;
    recordings_.push_back(std::move(r));
}

ESimRemoteState TSimRecorder::RemoteState()
{
    TLock l(mutex_);
    AdvanceRemote(TClock::now());
    return remote_;
}

std::optional<std::uint8_t> TSimRecorder::HandleEnq()
{
    TLock l(mutex_);
    AdvanceRemote(TClock::now());
    switch (remote_) {
    case ESimRemoteState::Measuring: return profile_.EnqMeasuring;
    case ESimRemoteState::Storing:
    case ESimRemoteState::Finished: return profile_.EnqFinished;
    default: return profile_.EnqIdle;
    }
}

TRecorderAnswer TSimRecorder::AnswerRemoteStart(const TCall& c)
{
    if (c.Data.size() != 2)
        return {};
    if (remote_ == ESimRemoteState::Measuring || remote_ == ESimRemoteState::Storing)
        return {}; // refused: already busy
    remote_ = ESimRemoteState::Measuring;
    remoteChange_ = c.Now + profile_.RemoteDuration;
    return Data({0x01});
}

TRecorderAnswer TSimRecorder::AnswerRemoteStop(const TCall& c)
{
    const auto now = c.Now;
    if (c.Data.empty()) {
        // Stop: a measuring run ends now and is stored.
        if (remote_ == ESimRemoteState::Measuring) {
            remote_ = ESimRemoteState::Storing;
            remoteChange_ = now + profile_.StoringTime;
            FinishRemoteRun();
        }
        return Data({0});
    }
    if (c.Data.size() == 4) {
        // Ping: while storing the answer waits until the recorder is free.
        TRecorderAnswer ans = Status1(0);
        if (remote_ == ESimRemoteState::Storing && remoteChange_ > now)
            ans.Delay = std::chrono::duration_cast<std::chrono::milliseconds>(remoteChange_ - now) +
                        std::chrono::milliseconds(1);
        return ans;
    }
    return Silence();
}

} // namespace vro::sim
