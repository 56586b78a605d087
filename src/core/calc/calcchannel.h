// Derived channels: calculated channels (a formula over the other channels)
// and filtered channels (a moving average of one channel). The dialogs drive
// these steps; the command line runs them in one go.
//
// A derived channel is appended in slot ChannelCount. Its samples never
// depend on which view last switched the time shifts on or off: formula
// variables read every channel with its own time shift applied (so the new
// channel has shift 0), a filter reads the stored samples of its source and
// keeps the source's shift.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vro {

class TRecording;
class TRecordingSensorWrapper;

// Why a recording cannot get a derived channel now: a text number, or 0.
// `calculated` selects the texts of the formula dialog (406/407) or of the
// filter dialog (447/448).
int DerivedChannelRefusal(const TRecording& recording, bool calculated);

// Why the channels cannot be time-shifted now: 467 (time stamps: the
// recording is an event log), 468 (the X axis shows a channel, not the
// time), 469 (the graph draws no channel; a warning, the others are errors),
// or 0. `drawnChannels`: how many channels the graph draws.
int TimeShiftRefusal(const TRecording& recording, std::size_t drawnChannels);

// Why channels cannot be deleted now: 467 (time stamps: the recording is an
// event log), or 0.
int DeleteChannelRefusal(const TRecording& recording);

// The channel name "<word> n+1", n the number of the last channel whose
// DeviceName carries `word` followed by a blank and a number.
std::string NextDerivedName(const TRecording& recording, const std::string& word, int except);
// Colour: the first of 1..7 no other channel uses, by the passes rule.
int NextDerivedColor(const TRecording& recording, int except);

struct TCalcResult {
    int TextNumber = 0;  // 0 on success; else the message's text number (400, 401, 408..412)
    std::string Message; // the text to show (status line and message)
    int Decimals = 0;    // the decimals used
    double ResultMin = 0, ResultMax = 0;
};

class TCalcChannel {
public:
    // The channel is created at the first Calculate.
    explicit TCalcChannel(TRecording& recording);

    // Compiles and computes with `decimals`; with `automatic` the decimals
    // are then chosen from the size of the results and the computation runs
    // again when they differ. On success the channel is finished.
    TCalcResult Calculate(const std::string& formula, int decimals, bool automatic, const std::string& unit);
    // Finishes the channel again with a new unit (after a successful calculation).
    void SetUnit(const std::string& unit);
    // The channel stays: the recording is unsaved and the stored views get it, hidden.
    void Accept();
    // The channel created here is removed again.
    void Cancel();

    bool HasChannel() const { return index_ >= 0; }
    int ChannelIndex() const { return index_; }
    int OriginalChannelCount() const { return originals_; }
    // "  S<n>  <long name>" lines for the help text and the comment.
    std::string ChannelList() const;

    // Automatic decimals for results up to m: 4..0, or -1 when too large.
    static int AutomaticDecimals(double m);

private:
    void CreateChannel();
    TCalcResult Compute(int decimals);
    void Finish(int decimals);

    TRecording& recording_;
    int originals_;
    int index_ = -1;
    std::string formula_;
    std::string unit_;
    double min_ = 0, max_ = 0;
    bool ok_ = false;
};

class TFilterChannel {
public:
    // Creates the new channel at once, taking over channel 0.
    explicit TFilterChannel(TRecording& recording);
    // Takes over `source` (0..originals-1) and computes with the requested width.
    void Apply(int source, std::int32_t requestedWidth);
    void Accept();
    void Cancel();
    int ChannelIndex() const { return index_; }

private:
    void Describe();

    TRecording& recording_;
    int index_ = -1;
    int source_ = 0;
};

} // namespace vro
