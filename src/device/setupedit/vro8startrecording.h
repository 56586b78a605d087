// TVro8StartRecording: the start-recording page without its window. It holds
// the user's choices (kept for the program's run, not in the configuration),
// checks them against the recorder's limits, starts a remote recording in
// the recorder ("Save to VRO") or hands a run to the real-time frame ("Save
// to PC"), and supervises a remote recording until it is read out, also as a
// numbered series of files.
//
// Everything that reaches outside the page is injected as TVro8StartServices:
// the recorder's remote-recording commands, the download, the series name
// question, the device window's busy state, the real-time frame and the
// clocks. Vro8StartServices fills the recorder's part from a manager; tests
// put their own state source and clock in.
//
// Threads: the caller's (the user-interface thread); PeriodicUpdate is driven
// by the device window's periodic update (or a plain loop in `vro`).
#pragma once

#include "device/setupedit/vro8editcommon.h"
#include "device/vro8records.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace vro {

class TVro8Manager;
class TVro8Setup;
class TRecordingManager;
class TVro8SensorSetup;
class TVro8TriggerSetup;

// The page's choices. `SaveToVro` is the save option (0 "Save to PC",
// 1 "Save to VRO"); the two sample-rate lists keep their own selection.
struct TVro8StartChoices {
    int RecordingType = 0;
    bool SaveToVro = false;
    int PcRateIndex = 6;  // "100 ms"
    int VroRateIndex = 6; // "10 ms"
    int TimeIndex = 5;    // 60 seconds
    int RecordingOption = 0;
    int PreTrigger = 0;
    bool Automatic = false;
    std::string Name;
    std::string Comment;

    // Row of the sample-interval table the chosen rate stands for.
    int RateRow() const;
    std::int64_t Interval() const;
    std::int64_t Samples() const;
    // Types the page offers with the save option on the layout (type 3 only
    // with "Save to VRO" on layout 3 and up).
    static int TypeCount(bool saveToVro, int comVersion);
    // Whether the automatic-measurement control shows: types 1 and 3, and
    // type 2 with "Save to VRO". A remembered "Activated" counts only there.
    bool AutomaticShown() const;
    bool AutomaticInEffect() const { return Automatic && AutomaticShown(); }

    // The choices of this program run.
    static TVro8StartChoices& Remembered();
};

// What the checks look at.
struct TVro8StartCheckInput {
    int ComVersion = 3;
    const TVro8SensorSetup* Sensors = nullptr;
    const TVro8TriggerSetup* Triggers = nullptr;
    // The recorder's channel list (R 10), read again at Start.
    std::vector<TVro8ChannelDescription> Channels;
    std::int32_t BaudRate = 460800;
    // The PC clock as a date-time (day 0 = 1899-12-30).
    double Now = 0.0;
};

// The outcome of the checks; Text 0 when they all passed. A trigger fault
// carries its number (from 1) and the detail text (1163 .. 1168).
struct TVro8StartCheck {
    int Text = 0;
    int Trigger = 0;
    int Detail = 0;
    std::string Message;
    int Channels = 0;
    std::int64_t Interval = 0;
    std::int64_t Samples = 0;
    bool Ok() const { return Text == 0; }
};

// The checks in their order, the first failure wins.
TVro8StartCheck Vro8CheckStart(const TVro8StartChoices& choices, const TVro8StartCheckInput& in);

struct TVro8StartServices {
    // S 106: true when the recorder reports that it started.
    std::function<bool(bool repeat)> StartRemote;
    // ENQ probe: 0 running, 1 finished, anything else: no recording.
    std::function<std::int32_t()> GetRecorderState;
    // R 210, errors ignored by the caller.
    std::function<void()> StopRemote;
    // Reads the recording just made (a document, or with saveToFile the next
    // file of the series); returns the file written. Progress 0..1000 goes
    // to Progress while it runs.
    std::function<std::string(bool saveToFile)> Download;
    // A free base name for a series of files; empty when the user cancelled.
    std::function<std::optional<std::string>()> AskSeriesName;
    // The series' base name, counter start and the recordings' comment.
    std::function<void(const std::string& base, int number, const std::string& comment)> PrepareSeries;
    // The device window: busy with (or without) a remote recording running.
    std::function<void(bool busy, bool remote)> SetBusy;
    // The real-time frame's Start ("Save to PC"); false when it could not
    // start (it has said why). Empty while there is no real-time frame.
    std::function<bool(bool saveToFile, bool repeat, const TVro8StartChoices& choices)> StartOnline;
    // The channel list (R 10) read again, and the line speed.
    std::function<std::vector<TVro8ChannelDescription>()> ReadChannels;
    std::function<std::int32_t()> BaudRate;
    // Milliseconds of a steady clock, and the PC clock as a date-time.
    std::function<std::int64_t()> NowMs;
    std::function<double()> Now;
};

// The recorder's part of the services from a manager: remote commands,
// download, channel list, baud rate, series preparation, the clocks. The
// caller adds SetBusy, AskSeriesName and StartOnline.
TVro8StartServices Vro8StartServices(TVro8Manager& manager);

class TVro8StartRecording {
public:
    static constexpr int TextBase = 1174;
    enum class EState { Editing, OnlineRun, RemoteRunning, Pausing, ReadingOut };
    // A message for the user: text and whether it is a device error (text
    // 684, heading 696, the error latch) or an error icon only.
    struct TNotice {
        std::string Message;
        bool DeviceError = false;
    };

    TVro8StartRecording(TVro8Setup& setup, TVro8StartServices services,
                        TVro8StartChoices& choices = TVro8StartChoices::Remembered());

    // Opening: reads the sensor, trigger and recording blocks, the smart
    // flags and the channel list on every layout (so that Start writes the
    // recorder's own recording block back and the checks see its sensors
    // and triggers). A type the save option does not offer falls back to 0.
    void Open();
    TVro8StartChoices& Choices() { return choices_; }
    // A choice changed in the window: a type no longer offered falls back to 0.
    void ChoicesChanged();
    // The controls shown for the choices, by object name, top to bottom.
    std::vector<std::string> Controls() const;
    std::vector<std::string> TypeEntries() const;
    std::vector<std::string> RateEntries() const;
    std::vector<std::string> TimeEntries() const;
    std::string SensorSummary() const;
    std::string TriggerSummary() const;
    // Start and stop triggers (events 1 and 2), layout 3 and up only.
    bool HasStartStopSummaries() const;
    std::string StartTriggerSummary() const;
    std::string StopTriggerSummary() const;

    // The checks on what the page holds now (channel list of the last read).
    TVro8StartCheck Check() const;
    // Start steps 1 to 7. Empty when something started or the user
    // cancelled the series name; otherwise the notice to show.
    std::optional<TNotice> Start();
    // Supervision while a remote recording runs; a notice to show, if any.
    std::optional<TNotice> PeriodicUpdate();
    // Supervises a remote recording that this page did not start (the device
    // window found the recorder measuring): when it finishes, busy ends and
    // the recording stays in the recorder.
    void Watch();
    // "End measurement": R 210 (errors ignored), supervision and busy end.
    // During a read-out it asks the read-out to cancel instead.
    void Stop();
    // From the real-time frame: a run ended; with automatic measurement the
    // next run starts at once.
    void OnlineRunEnded();
    // From the real-time frame: end the automatic repetition.
    void EndAutomatic() { automatic_ = false; }

    // Whether a "Save to PC" run can start (the real-time frame is there).
    bool CanStartOnline() const { return static_cast<bool>(svc_.StartOnline); }
    EState State() const { return state_; }
    bool Running() const
    {
        return state_ == EState::RemoteRunning || state_ == EState::Pausing || state_ == EState::ReadingOut;
    }
    bool StartedHere() const { return startedHere_; }
    bool Automatic() const { return automatic_; }
    int Phase() const { return phase_; }
    // The state line: 1282 animated by phase, 1284 with the read-out's
    // progress, 1283 while a series file is saved.
    std::string StateLine() const { return stateLine_; }
    // Progress of the read-out (0..1000), for the state line.
    void SetProgress(int perMille);
    // Set by Stop during a read-out; the download's progress hook reads it.
    bool CancelRequested() const { return cancel_; }
    // Files the series wrote so far.
    const std::vector<std::string>& Files() const { return files_; }
    // Summaries need rebuilding (an editor was opened from the page).
    bool RefreshNeeded = false;

    static std::string PhaseText(int phase);
    static constexpr std::int64_t kPauseMs = 500;

private:
    void StoreIntoBlock();
    std::optional<TNotice> StartRun(bool repeat);
    std::optional<TNotice> ReadOut();
    void EndBusy();

    TVro8Setup& setup_;
    TVro8StartServices svc_;
    TVro8StartChoices& choices_;
    std::vector<TVro8ChannelDescription> channels_;
    EState state_ = EState::Editing;
    bool automatic_ = false;
    bool startedHere_ = false;
    bool cancel_ = false;
    int phase_ = 0;
    std::int64_t pauseStart_ = 0;
    std::string stateLine_;
    std::vector<std::string> files_;
};

} // namespace vro
