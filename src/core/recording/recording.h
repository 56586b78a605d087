// The recording model: one multi-channel time series with everything that
// belongs to it (channel descriptions, time base, optional min/max values,
// states, time stamps and sub-times, trigger data, texts, remarks, snapshots,
// view history and the view settings).
//
// Ownership: a TRecording owns its channel objects (32 slots, slots
// 0..ChannelCount-1 in use), the time object (always present once the
// channel objects were created), the state object (only with HasStates), the
// snapshot camera and the history. Each wrapper keeps a plain back reference
// to its owner and reads RecordCount, the flags and TimeShiftActive from it.
//
// Invariants kept by every operation of this unit:
//  - ChannelCount never exceeds 32;
//  - every sample array (values, min, max, stamps, sub-times, states) has
//    exactly RecordCount elements (only a time-stamp repair may leave the
//    channel arrays longer than RecordCount; only the first RecordCount
//    entries are then used);
//  - a channel's CurrentLoRange < CurrentHiRange with a span of at least 10.
//
// Samples are flat arrays of raw int32 values (the no-value marker is
// -2147483648), so the file code reads and writes them in bulk.
//
// Threads: none. The model is read and changed from the user-interface
// thread only.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "core/values/vro8utils.h"

namespace vro {

class TXmlWriter;
class TXmlReader;
class TFileBytes;

using TSensorValues = std::vector<std::int32_t>;
using TTimeValues = std::vector<std::int32_t>;
using TStateValues = std::vector<std::uint16_t>;

// Raised by loading, saving and the model's own checks; the message is the
// system's text for the situation.
class ERecording : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Measures the width of a text on a canvas (screen or printer); the layer
// that owns the canvas supplies it.
using TTextMeasure = std::function<int(const std::string&)>;

class TRecording;

// One remark placed on the graph.
struct TRemarkData {
    std::int32_t RemarkId = 0; // unique within the recording, 1 upward; 0 = always shown
    bool Visible = true;
    std::int32_t XAxisIndex = 0; // X-axis setting the remark belongs to
    std::int32_t XPosition = 0;
    std::int32_t YPosition = 0;
    std::string Comment;
    std::int32_t FontColor = 0;
    std::int32_t FontSize = 0;
    bool IsBold = false;
    bool IsItalic = false;
    bool IsUnderlined = false;
    bool IsAnchored = false;
    std::int32_t AnchorIndex = 0;   // sample index pointed at (unshifted)
    std::int32_t AnchorChannel = 0; // may name no channel when read from a file: never index with it unchecked
    std::int32_t BoxWidth = 50;

    // Where the graph drew the remark's frame last, in pixels of the graph
    // control; the mouse's hit tests use it. Run-time only: not in the file
    // and not compared.
    struct TBox {
        std::int32_t Left = 0, Top = 0, Right = 0, Bottom = 0;
    } BoxRect;

    bool operator==(const TRemarkData& o) const
    {
        return RemarkId == o.RemarkId && Visible == o.Visible && XAxisIndex == o.XAxisIndex &&
               XPosition == o.XPosition && YPosition == o.YPosition && Comment == o.Comment &&
               FontColor == o.FontColor && FontSize == o.FontSize && IsBold == o.IsBold && IsItalic == o.IsItalic &&
               IsUnderlined == o.IsUnderlined && IsAnchored == o.IsAnchored && AnchorIndex == o.AnchorIndex &&
               AnchorChannel == o.AnchorChannel && BoxWidth == o.BoxWidth;
    }
};

// One stored view: a view state text with a name.
struct TSnapshot {
    std::string Data;
    double DateTime = 0.0;
    std::string Description;
    std::string Name;

    bool operator==(const TSnapshot&) const = default;
};

// The stored views of a recording, in list order.
class TSnapshotCam {
public:
    std::int32_t Version = 0;

    int Count() const { return static_cast<int>(items_.size()); }
    TSnapshot& Items(int i) { return items_.at(static_cast<std::size_t>(i)); }
    const TSnapshot& Items(int i) const { return items_.at(static_cast<std::size_t>(i)); }
    // Appends a snapshot of `viewState` named `name`, dated now; returns it.
    TSnapshot& Add(const std::string& viewState, const std::string& name);
    // Appends a ready snapshot (file reading).
    TSnapshot& Append(TSnapshot snapshot);
    TSnapshot* Last() { return items_.empty() ? nullptr : &items_.back(); }
    // Out of range: nothing.
    void Delete(int i);
    // Deletes the first entry that is `snapshot` (by address).
    void Remove(const TSnapshot* snapshot);
    // Moves the entry at `from` to position `to`; out of range: nothing.
    void Move(int from, int to);
    void Clear() { items_.clear(); }
    // Appends "#" + channel state before the "@" of every stored view.
    void AppendChannel(const std::string& channelState);

    bool operator==(const TSnapshotCam&) const = default;

private:
    std::vector<TSnapshot> items_;
};

// Back/forward list of view state texts, 40 entries.
class THistory {
public:
    static constexpr int Size = 40;

    std::int32_t Position = 0;
    std::int32_t Last = 0;
    bool Filled = false;
    bool Locked = false;
    std::array<std::string, Size> Entries;

    void Add(const std::string& text);
    std::string Back();
    std::string Forward();
    bool CanBack() const { return Position > 0; }
    bool CanForward() const { return Position < Last; }
    void Clear();
    // Appends "#" + channel state before the "@" of every filled entry.
    void AppendChannel(const std::string& channelState);
};

// Inserts "#" + channelState before the "@" of a view state text, or at the
// end when the text has no "@" (a hand-made or damaged text).
std::string InsertChannelIntoViewState(const std::string& viewState, const std::string& channelState);

class TRecordingWrapper {
public:
    explicit TRecordingWrapper(TRecording& owner) : owner_(&owner) {}
    virtual ~TRecordingWrapper() = default;
    TRecording& Owner() const { return *owner_; }

protected:
    TRecording* owner_;
};

// One channel.
class TRecordingSensorWrapper : public TRecordingWrapper {
public:
    // Sizes Values (and MinValues/MaxValues when the owner HasMinMaxValues)
    // to the owner's RecordCount, all zero.
    explicit TRecordingSensorWrapper(TRecording& owner);

    std::string DeviceName;
    std::string CustomName;
    std::string MeasureUnit;
    std::string Comment;
    std::int32_t Decimals = 0; // 0..8
    std::int32_t DeviceLoRange = 0;
    std::int32_t DeviceHiRange = 100;
    std::int32_t FullLoRange = 0;
    std::int32_t FullHiRange = 100;
    std::int32_t CurrentLoRange = 0;
    std::int32_t CurrentHiRange = 100;
    std::int32_t Style = 0;      // 0..2
    std::int32_t ColorIndex = 0; // 0..9
    bool Visible = true;
    bool ShowMinMax = false;
    bool Has32BitSize = false;
    std::int32_t TimeShift = 0;
    bool NoOriginalSensor = false;
    TSensorValues Values;
    TSensorValues MinValues;
    TSensorValues MaxValues;
    std::int32_t NextColor = 0;

    std::string GetName() const;
    std::string GetLongName() const;
    std::string GetUnitText() const;

    // Time-shifted access: with TimeShift != 0 and the owner's
    // TimeShiftActive the index moves back by TimeShift; outside the array
    // the result is no value. Any index outside the array gives no value.
    std::int32_t GetValue(std::int32_t i) const;
    std::int32_t GetMinValue(std::int32_t i) const;
    std::int32_t GetMaxValue(std::int32_t i) const;
    void SetValue(std::int32_t i, std::int32_t raw) { Values.at(static_cast<std::size_t>(i)) = raw; }
    std::string GetValueText(std::int32_t i) const;
    std::string GetMinValueText(std::int32_t i) const;
    std::string GetMaxValueText(std::int32_t i) const;

    // The range rules: no change for a no-value end, span limited to
    // 2,000,000,000 and at least 10, kept inside +-1,000,000,000.
    void SetCurrentRange(std::int64_t lo, std::int64_t hi);
    void ResetCurrentRange() { SetCurrentRange(FullLoRange, FullHiRange); }
    // Smallest and largest value of the visible samples (time-shifted,
    // no-values skipped); both no value when there is none.
    std::pair<std::int32_t, std::int32_t> GetVisibleMinMax() const;
    double ValueToRelative(std::int32_t raw) const;
    std::int32_t RelativeToValue(double x) const;
    std::int32_t ScaleValue(std::int32_t raw, std::int32_t a, std::int32_t b) const;
    std::string RelativeToText(double x) const;
    std::string RelativeSpanToText(double x) const;
    void SetColorIndex(std::int32_t n);
    void SetStyle(std::int32_t n);
    // Marks the owner unsaved.
    void SetTimeShift(std::int32_t n);
    // Takes over the description and the samples from `first` on (values
    // beyond the source's end become no value); sized to this owner's
    // RecordCount. Visible becomes true.
    void CopyFrom(const TRecordingSensorWrapper& source, std::int32_t first);
    // "%d|%d|%d|%d|%d|%d|%d": Visible, CurrentLoRange, CurrentHiRange,
    // Style, ColorIndex, ShowMinMax, TimeShift.
    std::string GetViewState() const;
    // Restores from a channel state; `index` gives the default colour.
    void SetViewState(const std::string& text, int index);
    int GetTextLength(bool header, const std::string& prefix) const;
    int GetTextWidth(bool header, const std::string& prefix, const TTextMeasure& measure) const;

private:
    std::int32_t ShiftedAt(const TSensorValues& array, std::int32_t i) const;
};

// The time base and the visible window.
class TRecordingTimeWrapper : public TRecordingWrapper {
public:
    // Sets up the time base from the owner's flags, source and SampleRate
    // and sizes the stamp and sub-time arrays to RecordCount.
    explicit TRecordingTimeWrapper(TRecording& owner);

    TTimeValues TimeStamps;
    std::unique_ptr<TRecordingSensorWrapper> SubTimes; // only with HasTimeStamps and HasSubTimes
    std::string TimeUnit;
    std::int32_t TimeStep = 1;
    std::int32_t TimeDecimals = 0;
    bool TimeStampHasDate = true;
    std::int32_t LoRange = 0;
    std::int32_t HiRange = 0;
    std::int32_t FirstIndex = 0;
    std::int32_t LastIndex = 0;

    std::string GetTitle() const;
    std::string GetUnit() const { return TimeUnit; }
    std::string GetUnitText() const;
    // The stamp of sample i (index clamped to the samples), or i itself
    // without time stamps.
    std::int32_t GetTime(std::int32_t i) const;
    double GetDateTime(std::int32_t i) const;
    double TimeToValue(std::int32_t t) const;
    std::string TimeToText(std::int32_t t) const;
    std::string IndexToText(std::int32_t i) const;
    double TimeToRelative(std::int32_t t) const;
    std::int32_t RelativeToTime(double x) const;
    std::int32_t RelativeToIndex(double x) const;
    std::string RelativeToText(double x) const;
    std::string RelativeSpanToText(double x) const;
    std::int32_t IndexToPosition(std::int32_t i, std::int32_t a, std::int32_t b) const;
    // Sets the visible window by the window rules; returns LastIndex.
    std::int32_t SetRange(std::int64_t lo, std::int64_t hi);
    void ResetRange();
    std::int32_t IndexOfTime(std::int32_t t) const;
    // Inverse of TimeToText; raises the value readers' errors.
    std::int32_t ParseTime(const std::string& text) const;
    std::string GetSampleIntervalText() const;
    std::string GetDurationText() const;
    // Must not be called with time stamps (raises std::logic_error).
    std::string GetOffsetText(std::int32_t count) const;
    int GetTextLength(bool header, const std::string& prefix) const;
    int GetTextWidth(bool header, const std::string& prefix, const TTextMeasure& measure) const;

    bool HasSubTimes() const { return SubTimes != nullptr; }
    std::int32_t SubTimeAt(std::int32_t i) const;

private:
    // Binary search in TimeStamps; upper mode gives the last of a run of
    // equal stamps, lower mode the first.
    std::int32_t SearchIndex(std::int32_t t, bool upper) const;
    std::int64_t WindowSpan() const;
};

// The state (event) column.
class TRecordingStateWrapper : public TRecordingWrapper {
public:
    explicit TRecordingStateWrapper(TRecording& owner);

    std::int32_t StateCodeId = 0;
    TStateValues States;

    std::string GetTitle() const;
    std::string GetStateText(std::int32_t i) const;
    // Inserts one state at `index` (clamped to the end).
    void InsertState(std::int32_t index, std::uint16_t state);
    // Inserts all states of `other` at `index` (clamped to the end).
    void InsertStates(const TRecordingStateWrapper& other, std::int32_t index);
    // Takes the states of `other` from `first` on, sized to this owner's
    // RecordCount (0 beyond the source's end).
    void CopyFrom(const TRecordingStateWrapper& other, std::int32_t first);
    // Grows the array by n zero states.
    void Grow(std::int32_t n);
    int GetTextLength(bool header, const std::string& prefix) const;
    int GetTextWidth(bool header, const std::string& prefix, const TTextMeasure& measure) const;
};

// What the recording manager provides to a recording when it saves: the
// duplicate-name dialog loop and the before-save notification. Injected so
// that the model builds and tests without the manager.
class TRecordingHost {
public:
    virtual ~TRecordingHost() = default;
    // Views store their current settings into the recording.
    virtual void BeforeSave(TRecording& recording) = 0;
    // Save dialog with `current` as proposal; empty when the user cancelled.
    virtual std::optional<std::string> AskSaveName(const std::string& current) = 0;
    // No other open recording has this file name.
    virtual bool IsNameFree(const std::string& name) = 0;
    // Shows an error message (text 10 for a duplicate name).
    virtual void ShowError(const std::string& message) = 0;
    // The document list shows the recordings' current names again.
    virtual void Refresh() = 0;
};

class TRecording {
public:
    static constexpr int MaxChannels = 32;

    // Empty: no channels, XAxisIndex -1, LastRemarkId 0.
    TRecording();
    ~TRecording();
    TRecording(const TRecording&) = delete;
    TRecording& operator=(const TRecording&) = delete;

    std::string FileName;
    std::string SensorId;
    std::int32_t RecordingSource = 0; // 0 recorder, 1 online, 2 legacy, 4/5 text import
    std::string DeviceRecordingName;
    std::int32_t DeviceRecordingNumber = 0;
    double StartTime = 0.0;
    double StopTime = 0.0;
    std::int32_t TriggerState = 0;
    double TriggerTime = 0.0;
    std::uint8_t RecordingType = 0;
    std::int32_t SimpleCurvMode = 0;
    std::int32_t ChannelCount = 0;
    std::int32_t RecordCount = 0;
    bool HasMinMaxValues = false;
    bool HasStates = false;
    bool HasTimeStamps = false;
    bool HasSubTimes = false;
    std::int32_t PreTriggerCount = 0;
    std::int32_t SampleRate = 0;
    std::string Comment;
    std::string Description;
    std::vector<std::string> InfoStrings;
    std::int32_t LeftYAxis = 0;
    std::int32_t RightYAxis = 0;
    std::int32_t XAxisIndex = -1;
    std::uint8_t ShowTableMinMax = 0;
    std::vector<TRemarkData> Remarks;
    std::array<std::unique_ptr<TRecordingSensorWrapper>, MaxChannels> Channels;
    std::unique_ptr<TRecordingTimeWrapper> Time;
    std::unique_ptr<TRecordingStateWrapper> State;
    TSnapshotCam SnapshotCamera;
    THistory History;
    bool Saved = false;
    bool NameConfirmed = false;
    bool TimeShiftActive = false;
    std::int32_t LastRemarkId = 0;
    std::int32_t SequenceNumber = 0;
    std::uint8_t TimeStampFault = 0;
    std::int32_t TimeStampFaultIndex = 0;

    // Messages a load produced that are no failure (more than 100 remarks);
    // the caller shows them.
    std::vector<std::string> LoadWarnings;

    // The recording manager's side of saving; may be null (then the name is
    // taken as it stands and nothing is notified).
    TRecordingHost* Host = nullptr;

    // Channel i (0..ChannelCount-1); raises std::out_of_range otherwise.
    TRecordingSensorWrapper& Channel(int i) const;

    // Creates ChannelCount channel objects, the time object and, with
    // HasStates, the state object, sized to RecordCount. Raises ERecording
    // when the counts exceed what the model holds.
    void CreateChannelObjects();

    // Reads a recording file; anything else fails with "Unknown File". A
    // file of any kind the program opens (legacy files too) goes through
    // LoadRecordingFile (core/construct/loadrecordingfile.h) instead.
    void LoadFromFile(const std::filesystem::path& name);
    // The same from a file already opened; `name` becomes FileName.
    void LoadFromFile(const TFileBytes& file, const std::string& name);
    // True when `bytes` start with the recording file's header.
    static bool IsRecordingFile(std::span<const std::uint8_t> bytes);
    // The same from bytes in memory (the file's whole content); `name`
    // becomes FileName. A failed load leaves the recording empty (no
    // channels).
    void LoadFromMemory(std::span<const std::uint8_t> bytes, const std::string& name);
    // Writes FileName through a temporary file; runs SaveWithNameCheck first
    // when NameConfirmed is false and a host is set. Raises ERecording (text
    // 18) when the file cannot be created, EFileWrite on a later write error;
    // the old file stays intact and Saved false on any failure.
    void SaveToFile();
    void SaveWithNameCheck();
    // Back to the empty state (as after a failed load).
    void Clear();
    // The whole file as bytes (what SaveToFile writes).
    std::string SaveToString();

    void WriteParameters(TXmlWriter& writer) const;
    void ReadParameters(TXmlReader& reader);

    std::string GetName() const;
    std::string GetRelativeFileName() const;
    std::string GetDisplayFileName() const;
    std::string GetVersion() const;
    static bool IsKnownVersion(const std::string& version);

    bool DeleteChannel(int index);
    void AppendChannelToViews();
    void CheckAxes();
    std::string GetViewState() const;
    void SetViewState(const std::string& text);

    // Bytes of sample data (sub-times not counted), 64-bit.
    std::int64_t DataSize() const;
    // The next free id: LastRemarkId + 1; once LastRemarkId has reached the
    // largest id, the smallest positive id no remark uses.
    std::int32_t NewRemarkId();
    int FindRemark(std::int32_t remarkId) const;
    void DeleteRemark(int index);
    std::int32_t GetRemarkIndex(const TRemarkData& remark) const;
    void SetRemarkIndex(std::int32_t index, TRemarkData& remark) const;

    // True when AnchorChannel names an existing channel.
    bool HasAnchorChannel(const TRemarkData& remark) const;

    // The sample block (the file code's bulk conversion): ReadData checks
    // the block against the counts before anything is read; WriteData hands
    // the bytes to `sink` in large pieces.
    void ReadData(std::span<const std::uint8_t> block);
    // Where ReadData takes the sample block from, in order: Take fills
    // `dest` with the next n bytes or raises ERecording.
    class TBlockReader {
    public:
        virtual ~TBlockReader() = default;
        virtual std::uint64_t Size() const = 0;
        virtual void Take(std::uint8_t* dest, std::size_t n) = 0;
    };
    void ReadData(TBlockReader& block);
    void WriteData(const std::function<void(std::span<const std::uint8_t>)>& sink) const;
    // Bytes the sample block needs for the current flags and channels.
    std::int64_t SampleBlockSize() const;
    // Marks 32-bit every 16-bit channel whose values (or min/max) leave
    // -32767..32767, and a 16-bit sub-time channel leaving 0..65535, so that
    // saving never cuts a value to its low 16 bits.
    void PromoteWideChannels();

private:
    template <typename Sink>
    void WriteWholeFile(TXmlWriter& writer, const Sink& sink);
    // With fd >= 0 the sample block is read from that file (whose content
    // `bytes` maps) by offset instead of from `bytes`.
    void LoadFrom(std::span<const std::uint8_t> bytes, const std::string& name, int fd);
    void ParseFile(std::span<const std::uint8_t> bytes, int fd);

    // Upper bound of sample-block bytes while reading the parameters, so
    // that counts that cannot be backed by the file allocate nothing.
    std::uint64_t readLimit_ = UINT64_MAX;
};

// The fixed header and warning of a recording file (80 and 135 bytes).
std::string RecordingFileHeader();
std::string RecordingFileWarning();

} // namespace vro
