#include "device/live/onlinerun.h"

#include "core/text/texts.h"
#include "core/util/numeric.h"
#include "core/values/vro8utils.h"
#include "device/setup/vro8setupblocks.h"
#include "link/dvxv24connector.h"

#include <algorithm>
#include <chrono>
#include <limits>
#include <stdexcept>

namespace vro {

std::pair<std::int32_t, std::int32_t> DisplayRangeOf(std::int32_t lo, std::int32_t hi)
{
    if (static_cast<std::int64_t>(hi) - lo < kMinDisplaySpan)
        hi = static_cast<std::int32_t>(std::min<std::int64_t>(static_cast<std::int64_t>(lo) + kMinDisplaySpan,
                                                              std::numeric_limits<std::int32_t>::max()));
    if (static_cast<std::int64_t>(hi) - lo < kMinDisplaySpan)
        lo = hi - kMinDisplaySpan;
    return {lo, hi};
}

TOnlineDisplaySettings DefaultDisplaySettings(const std::vector<TVro8ChannelDescription>& channels)
{
    TOnlineDisplaySettings s;
    s.ChannelCount = std::min<int>(static_cast<int>(channels.size()), TOnlineDisplaySettings::kMaxChannels);
    for (int c = 0; c < s.ChannelCount; ++c) {
        const auto [lo, hi] = DisplayRangeOf(channels[static_cast<std::size_t>(c)].LoRange,
                                             channels[static_cast<std::size_t>(c)].HiRange);
        s.LoY[static_cast<std::size_t>(c)] = lo;
        s.HiY[static_cast<std::size_t>(c)] = hi;
        s.LeftAxis |= 1u << c;
        s.Shown |= 1u << c;
    }
    return s;
}

TOnlineDisplaySettings ReuseDisplaySettings(const TOnlineDisplaySettings& previous,
                                            const std::vector<TVro8ChannelDescription>& channels)
{
    TOnlineDisplaySettings s = DefaultDisplaySettings(channels);
    const std::uint32_t exist = s.Shown;
    s.LeftAxis = previous.LeftAxis & exist;
    s.RightAxis = previous.RightAxis & exist;
    s.XChannel = previous.XChannel >= 0 && previous.XChannel < s.ChannelCount ? previous.XChannel : -1;
    s.DisplayMode = s.XChannel >= 0 ? 0 : previous.DisplayMode;
    for (int c = 0; c < std::min(s.ChannelCount, previous.ChannelCount); ++c) {
        const auto [lo, hi] =
            DisplayRangeOf(previous.LoY[static_cast<std::size_t>(c)], previous.HiY[static_cast<std::size_t>(c)]);
        s.LoY[static_cast<std::size_t>(c)] = lo;
        s.HiY[static_cast<std::size_t>(c)] = hi;
    }
    return s;
}

std::int64_t OnlineBufferLength(int type, int rateRow, int durationIndex, int channelCount)
{
    if (type == 2)
        return 500000 / (3 * static_cast<std::int64_t>(std::max(channelCount, 1)) + 3);
    return TVro8RecordingTimes::Samples(rateRow, durationIndex);
}

std::int32_t HandReleasedTriggers(const TVro8TriggerSetup& triggers, int comVersion)
{
    std::int32_t mask = 0;
    const int events = std::min(Vro8TriggerEventCount(comVersion), TVro8TriggerSetup::kEvents);
    for (int e = 0; e < events; ++e) {
        const auto ev = triggers.Event(e);
        if (ev.ActiveState() && ev.Source() == 0)
            mask |= 1 << e;
    }
    return mask;
}

TOnlineRangeCheck CheckOnlineRanges(const std::vector<TOnlineRangeText>& fields,
                                    const std::vector<TVro8ChannelDescription>& channels,
                                    std::vector<std::pair<std::int32_t, std::int32_t>>& ranges)
{
    ranges.clear();
    for (std::size_t c = 0; c < fields.size() && c < channels.size(); ++c) {
        const auto& ch = channels[c];
        const std::int64_t lo = std::min<std::int64_t>(-30000, ch.LoRange);
        const std::int64_t hi = std::max<std::int64_t>(30000, ch.HiRange);
        const int d = ch.Decimals;
        if (const int r = CheckValueText(fields[c].Lo, d, lo, hi); r != cvValid)
            return {static_cast<int>(c), false, 1275 + r};
        if (const int r = CheckValueText(fields[c].Hi, d, lo, hi); r != cvValid)
            return {static_cast<int>(c), true, 1275 + r};
        const std::int32_t l = TextToRaw(fields[c].Lo, d), h = TextToRaw(fields[c].Hi, d);
        if (static_cast<std::int64_t>(h) - l < kMinDisplaySpan)
            return {static_cast<int>(c), true, 1275 + cvBelowMin};
        ranges.emplace_back(l, h);
    }
    return {};
}

std::pair<std::int32_t, std::int32_t> MagnifierRange(std::int32_t a, std::int32_t b)
{
    std::int32_t lo = std::min(a, b), hi = std::max(a, b);
    lo = std::clamp(lo, -30000, 30000 - kMinDisplaySpan);
    hi = std::clamp(hi, lo + kMinDisplaySpan, 30000);
    return {lo, hi};
}

std::int32_t OnlinePixelValue(int pixel, int pixels, std::int32_t lo, std::int32_t hi, bool fromTop)
{
    const auto [l, h] = DisplayRangeOf(lo, hi);
    if (pixels <= 1)
        return l;
    const double p = fromTop ? static_cast<double>(pixels - 1 - pixel) : static_cast<double>(pixel);
    const double v = l + p * (static_cast<double>(h) - l) / (pixels - 1);
    return static_cast<std::int32_t>(std::clamp(RoundHalfEven(v), -2147483647.0, 2147483647.0));
}

TOnlineRun::TOnlineRun(TVro8Device& device) : device_(device), online_(device.OnlineRecording()) {}

TOnlineRun::~TOnlineRun()
{
    RequestStop();
    Join();
}

TOnlineChoices OnlineChoicesFromStart(const TVro8StartChoices& start)
{
    TOnlineChoices c;
    c.RecordingType = start.RecordingType;
    c.SampleRate = start.RateRow();
    c.DurationIndex = start.TimeIndex;
    c.SimpleCurvMode = start.RecordingOption;
    c.TriggerPosition = start.PreTrigger;
    c.Comment = start.Comment;
    return c;
}

void TOnlineRun::Configure(const TOnlineChoices& choices, std::int32_t displayWidth,
                           const std::optional<TOnlineDisplaySettings>& previous)
{
    if (Active())
        throw std::logic_error("an online run is still active");
    if (choices.RecordingType < 0 || choices.RecordingType > 2)
        throw std::invalid_argument("recording type " + std::to_string(choices.RecordingType) + " outside 0..2");
    if (!TVro8SampleData::Valid(choices.SampleRate))
        throw std::invalid_argument("sample-rate row " + std::to_string(choices.SampleRate) + " outside 0..27");
    const TVro8Measurement& m = device_.Measurement;
    const int count = m.ChannelCount();
    if (count < 1)
        throw std::runtime_error(text(1154));
    if (count > TVro8OnlineRecording::kMaxChannels)
        throw std::runtime_error("The recorder has " + std::to_string(count) +
                                 " active channels; an online measurement takes at most 32.");
    std::int64_t length = 0;
    if (choices.RecordingType == 2 || choices.DurationIndex >= 0) {
        if (choices.RecordingType != 2 && !TVro8RecordingTimes::Valid(choices.DurationIndex))
            throw std::invalid_argument("recording-time index " + std::to_string(choices.DurationIndex) +
                                        " outside 0..15");
        length = OnlineBufferLength(choices.RecordingType, choices.SampleRate, choices.DurationIndex, count);
    } else {
        length = choices.BufferLength;
    }
    if (length < 1)
        throw std::runtime_error("the recording time is shorter than one sample interval");
    if (length * count > kMaxOnlineSamples)
        throw std::runtime_error(text(1159));
    handTriggers_ = choices.HandTriggers;
    if (handTriggers_ < 0) {
        TVro8TriggerSetup t;
        t.Decode(device_.ComVersion(), device_.SetupBlocks.ReadBlock(EVro8Block::Trigger));
        handTriggers_ = HandReleasedTriggers(t, device_.ComVersion());
    }

    channels_.clear();
    for (int c = 0; c < count; ++c)
        channels_.push_back(m.Channel(c));
    choices_ = choices;
    online_.RecordingType = choices.RecordingType;
    online_.SampleRate = choices.SampleRate;
    online_.Duration = std::max(choices.DurationIndex, 0);
    online_.SimpleCurvMode = choices.RecordingType == 0 ? choices.SimpleCurvMode : 0;
    online_.TriggerPosition = std::clamp(choices.TriggerPosition, 0, 10);
    online_.ChannelCount = count;
    online_.BufferLength = static_cast<std::int32_t>(length);
    online_.SetDisplayWidth(displayWidth);
    Settings = previous ? ReuseDisplaySettings(*previous, channels_) : DefaultDisplaySettings(channels_);
    if (choices.RecordingType != 0)
        Settings.DisplayMode = 0;
    StoreSettingsInRecording();
}

void TOnlineRun::Begin(bool repeat, std::function<void()> notify, std::function<void()> ended)
{
    if (Active())
        throw std::logic_error("an online run is still active");
    notify_ = std::move(notify);
    ended_ = std::move(ended);
    stop_.store(false, std::memory_order_relaxed);
    live_.store(false, std::memory_order_relaxed);
    pending_.store(false, std::memory_order_relaxed);
    finished_.store(false, std::memory_order_relaxed);
    notices_.store(0, std::memory_order_relaxed);
    endReason_ = EOnlineEnd::None;
    error_.clear();
    worker_ = std::thread([this, repeat] { Work(repeat); });
}

void TOnlineRun::Join()
{
    if (worker_.joinable())
        worker_.join();
}

void TOnlineRun::Notify()
{
    // At most one notice waits for the reader.
    if (!pending_.exchange(true, std::memory_order_acq_rel)) {
        notices_.fetch_add(1, std::memory_order_relaxed);
        if (notify_)
            notify_();
    }
}

void TOnlineRun::Work(bool repeat)
{
    EOnlineEnd reason = EOnlineEnd::Ended;
    std::string error;
    try {
        online_.Start(repeat);
    } catch (const std::exception& e) {
        endReason_ = EOnlineEnd::StartFailed;
        error_ = e.what();
        finished_.store(true, std::memory_order_release);
        if (ended_)
            ended_();
        return;
    }
    live_.store(true, std::memory_order_release);
    Notify();
    try {
        while (!stop_.load(std::memory_order_acquire)) {
            bool done = false;
            try {
                do {
                    if (!online_.Running()) {
                        done = true;
                        break;
                    }
                    online_.Poll();
                } while (online_.Waiting() >= 20 && !stop_.load(std::memory_order_relaxed));
            } catch (const std::exception& e) {
                device_.Connector().RestoreByteTimeout();
                reason = EOnlineEnd::LinkBroken;
                error = e.what();
                done = true;
            }
            if (online_.TakeNewData())
                Notify();
            if (done)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    } catch (...) {
        reason = EOnlineEnd::LinkBroken;
        error = "unexpected failure of the online stream";
    }
    try {
        online_.Stop();
    } catch (...) {
        // The byte timeout is restored; a cancel the recorder did not take is left alone.
        try {
            device_.Connector().RestoreByteTimeout();
        } catch (...) {
        }
    }
    endReason_ = reason;
    error_ = error;
    live_.store(false, std::memory_order_release);
    finished_.store(true, std::memory_order_release);
    if (ended_)
        ended_();
}

bool TOnlineRun::CanTrigger() const
{
    if (handTriggers_ == 0 || choices_.RecordingType == 0)
        return false;
    return choices_.RecordingType == 2 || online_.TriggerState() == 0;
}

void TOnlineRun::Trigger()
{
    if (!Live() || !CanTrigger())
        return;
    // Bit i of the state is event i + 1: the mask already counts that way.
    online_.ReleaseTrigger(handTriggers_);
}

void TOnlineRun::StoreSettingsInRecording()
{
    for (int c = 0; c < TVro8OnlineRecording::kMaxChannels; ++c) {
        online_.LoY[static_cast<std::size_t>(c)] = Settings.LoY[static_cast<std::size_t>(c)];
        online_.HiY[static_cast<std::size_t>(c)] = Settings.HiY[static_cast<std::size_t>(c)];
    }
    online_.LeftAxisChannels = Settings.LeftAxis;
    online_.RightAxisChannels = Settings.RightAxis;
    online_.AllChannels = Settings.Shown;
    online_.XChannel = Settings.XChannel;
}

} // namespace vro
