// TOnlineRun: one real-time measurement on the PC, free of any window
// system. It configures the device's TVro8OnlineRecording from the start
// page's choices, runs the worker (the online thread) and keeps the display
// settings that survive from run to run.
//
// Threads: the worker (a std::thread owned here) is the only caller of the
// online object's Start, Poll and Stop. It reports through two callbacks,
// which the caller turns into queued calls on its own thread:
//  - notify: new data (at most one notice pending: the worker calls it only
//    when the previous one was taken with TakeNotice);
//  - ended: once, as the worker's very last act (after Stop).
// Everything else (Configure, Trigger, Join, the settings) belongs to the
// caller's thread. Nothing raised on the worker escapes it: a failed start
// and a broken link end the run with EndReason and Error set.
//
// The rings are replaced by the online object's Start on the worker; Live()
// is true only between the worker's first notice and its end, and readers
// draw curves only then.
#pragma once

#include "device/setupedit/vro8startrecording.h"
#include "device/vro8device.h"
#include "device/vro8online.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace vro {

class TVro8TriggerSetup;

// What the start page chose for an online run.
struct TOnlineChoices {
    int RecordingType = 0;         // 0 simple curve, 1 with trigger, 2 event log
    int SampleRate = 9;            // row of the sample-interval table (TVro8SampleData)
    int DurationIndex = 5;         // index of TVro8RecordingTimes; -1: BufferLength below
    std::int64_t BufferLength = 0; // checked against the sample limit before it reaches the ring
    int SimpleCurvMode = 0;        // 0 end when the time has elapsed, 1 continuous
    int TriggerPosition = 0;       // pre-trigger share in tenths
    std::string Comment;
    // Bit i: trigger event i + 1 is active and released by hand. Negative:
    // Configure reads the recorder's trigger block to find out.
    std::int32_t HandTriggers = -1;
};

// What the start page's "Save to PC" hands the real-time frame: the type,
// the rate's row of the sample-interval table, the recording-time index,
// the recording option, the pre-trigger share and the comment.
TOnlineChoices OnlineChoicesFromStart(const TVro8StartChoices& start);

// The display settings of the real-time frame (kept between runs).
struct TOnlineDisplaySettings {
    static constexpr int kMaxChannels = TVro8OnlineRecording::kMaxChannels;
    int XChannel = -1;          // -1: time
    std::uint32_t LeftAxis = 0; // bit sets over the channels
    std::uint32_t RightAxis = 0;
    std::uint32_t Shown = 0;
    std::array<std::int32_t, kMaxChannels> LoY{}, HiY{};
    int DisplayMode = 0; // 0 roll, 1 overwrite from the left
    int ChannelCount = 0;
    bool operator==(const TOnlineDisplaySettings&) const = default;
};

// The smallest display span in raw units: a narrower measuring range is
// shown as lo .. lo + 10 (a zero or negative span cannot be scaled).
inline constexpr std::int32_t kMinDisplaySpan = 10;
std::pair<std::int32_t, std::int32_t> DisplayRangeOf(std::int32_t lo, std::int32_t hi);

// All channels on the left axis, none on the right, time as X axis, each
// channel's range its measuring range, all shown, roll mode.
TOnlineDisplaySettings DefaultDisplaySettings(const std::vector<TVro8ChannelDescription>& channels);
// The previous run's settings limited to the channels that exist now; every
// channel shown again.
TOnlineDisplaySettings ReuseDisplaySettings(const TOnlineDisplaySettings& previous,
                                            const std::vector<TVro8ChannelDescription>& channels);

// The ring length: types 0 and 1 recording time / interval; type 2
// 500000 / (3 × channels + 3).
std::int64_t OnlineBufferLength(int type, int rateRow, int durationIndex, int channelCount);
// The most samples (channels × ring length) a run may hold.
inline constexpr std::int64_t kMaxOnlineSamples = 1000000;

// Bit i for every active trigger event i (of those the layout has) whose
// source is 0 (released by hand).
std::int32_t HandReleasedTriggers(const TVro8TriggerSetup& triggers, int comVersion);

// ---- the display settings dialog's range check ----
struct TOnlineRangeText {
    std::string Lo, Hi;
};
// The first failing field: its channel, whether it is the upper one and the
// message text (1276 empty, 1277 illegal characters, 1278 too large, 1279 too
// small; an upper limit less than 10 above the lower one is too small).
// Text 0: every field passed and `ranges` holds the raw limits.
struct TOnlineRangeCheck {
    int Channel = -1;
    bool Upper = false;
    int Text = 0;
};
// Limits ±30000 raw units, widened to a channel's own measuring range where
// that reaches further (so that unchanged ranges always pass).
TOnlineRangeCheck CheckOnlineRanges(const std::vector<TOnlineRangeText>& fields,
                                    const std::vector<TVro8ChannelDescription>& channels,
                                    std::vector<std::pair<std::int32_t, std::int32_t>>& ranges);

// The magnifier's range from a dragged extent (raw values at its two
// edges, in any order): lo kept within -30000..29990, hi within lo + 10 ..
// 30000.
std::pair<std::int32_t, std::int32_t> MagnifierRange(std::int32_t a, std::int32_t b);
// The value a plot row or column stands for in a range (the inverse of the
// drawing model's scaling); `fromTop` for rows.
std::int32_t OnlinePixelValue(int pixel, int pixels, std::int32_t lo, std::int32_t hi, bool fromTop);

enum class EOnlineEnd { None, Ended, StartFailed, LinkBroken };

class TOnlineRun {
public:
    explicit TOnlineRun(TVro8Device& device);
    ~TOnlineRun(); // ends a running worker and waits for it
    TOnlineRun(const TOnlineRun&) = delete;
    TOnlineRun& operator=(const TOnlineRun&) = delete;

    // Configures the online object for a run over the recorder's current
    // channels (Measurement as last read): type, rate, ring length, trigger
    // position, channel count and display width; the display settings from
    // `previous` or the defaults. Raises std::runtime_error with text 1159
    // for more than 1,000,000 samples, with a plain message for more than 32
    // channels or none, and the link's errors when the trigger block is read.
    void Configure(const TOnlineChoices& choices, std::int32_t displayWidth,
                   const std::optional<TOnlineDisplaySettings>& previous);
    // Starts the worker: Start(repeat), a notice, the poll loop, Stop, ended.
    void Begin(bool repeat, std::function<void()> notify, std::function<void()> ended);
    // Tells the worker to end the run (End); it stops at its next turn.
    void RequestStop() { stop_.store(true, std::memory_order_release); }
    // Waits for the worker (after `ended`, or to end a run by force).
    void Join();
    bool Active() const { return worker_.joinable(); }
    bool Live() const { return live_.load(std::memory_order_acquire); }
    bool Finished() const { return finished_.load(std::memory_order_acquire); }
    // Clears the pending notice so that the worker may post the next one.
    void TakeNotice() { pending_.store(false, std::memory_order_release); }
    long NoticeCount() const { return notices_.load(std::memory_order_relaxed); }

    EOnlineEnd EndReason() const { return endReason_; } // valid after Join
    const std::string& Error() const { return error_; }

    // The hand trigger: for type 2 an event at the next record, for type 1
    // only while not yet triggered. CanTrigger tells whether it applies now.
    bool CanTrigger() const;
    void Trigger();

    // The display settings into the online object (axes and ranges), before
    // the recording is built from it.
    void StoreSettingsInRecording();

    TVro8OnlineRecording& Online() { return online_; }
    const TVro8OnlineRecording& Online() const { return online_; }
    const std::vector<TVro8ChannelDescription>& Channels() const { return channels_; }
    const TOnlineChoices& Choices() const { return choices_; }
    std::int32_t HandTriggers() const { return handTriggers_; }

    TOnlineDisplaySettings Settings;

private:
    void Work(bool repeat);
    void Notify();

    TVro8Device& device_;
    TVro8OnlineRecording& online_;
    std::vector<TVro8ChannelDescription> channels_;
    TOnlineChoices choices_;
    std::int32_t handTriggers_ = 0;
    std::function<void()> notify_, ended_;
    std::thread worker_;
    std::atomic<bool> stop_{false}, live_{false}, pending_{false}, finished_{false};
    std::atomic<long> notices_{0};
    EOnlineEnd endReason_ = EOnlineEnd::None;
    std::string error_;
};

} // namespace vro
