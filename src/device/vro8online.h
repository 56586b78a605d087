// TVro8OnlineRecording: the online measurement stream. After S 104 the
// recorder sends bare records (88 88, values, status, check byte) until the
// PC sends the ESC cancel sequence. The object decodes them into per-channel
// sample rings (sized once per run, L entries) and keeps per-column minimum
// and maximum buffers for a display W columns wide (fixed arrays inside the
// object, W at most 2048, 2049 columns so that the last one never overruns).
//
// Threads: exactly one writer, the online thread, calls Start, Poll and Stop.
// Readers (the display) may read every accessor at any time from another
// thread. Every shared value is a std::atomic:
//  - ring values and column extremes are written and read relaxed: a repaint
//    may show a column that is being filled, as a live view does;
//  - WriteIndex, Wrapped, StartColumn, EndColumn and RecordCount are stored
//    with release after the values they cover, and readers load them with
//    acquire, so a reader that sees an index also sees the samples below it;
//  - NewData is set with release after a completed column and taken by the
//    reader with an acquire exchange (TakeNewData);
//  - RequestedWidth is the reader's one write (relaxed: the writer takes it
//    over at the next record, clamped to 1..2048);
//  - a trigger released by hand goes through compare-and-swap on
//    TriggerState (types 0/1) or a request the writer stores (type 2), so
//    that the writer stays the only one to touch the rings.
// Every index that depends on the recorder's data is bounded: the event log
// stops storing (and ends the run as "buffer full") when its L entries are used.
#pragma once

#include "device/vro8device.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace vro {

class TVro8OnlineRecording : public TVro8Component {
public:
    static constexpr int kMaxChannels = 32;
    static constexpr int kMaxWidth = 2048;
    static constexpr int kColumns = 2049;

    explicit TVro8OnlineRecording(TVro8Device& device);
    ~TVro8OnlineRecording();

    // ---- configuration, set by the caller before Start ----
    std::int32_t Duration = 0;
    std::int32_t RecordingType = 0; // 0 simple curve, 1 with trigger, 2 event log
    std::int32_t SampleRate = 0;
    std::int32_t ChannelCount = 1; // 1..32
    std::int32_t BufferLength = 1000;
    std::int32_t SimpleCurvMode = 0;
    std::int32_t TriggerPosition = 0;
    void SetDisplayWidth(std::int32_t w) { displayWidth_.store(ClampWidth(w), std::memory_order_relaxed); }
    // Display settings kept for the real-time display.
    std::array<std::int32_t, kMaxChannels> LoY{}, HiY{};
    std::uint32_t LeftAxisChannels = 0, RightAxisChannels = 0, AllChannels = 0;
    std::int32_t XChannel = -1;

    // Prepares the buffers and sends S 104; raises the connector's errors
    // (the stream is then not running) and EVro8Device for a configuration
    // outside the limits (ChannelCount 1..32, BufferLength >= 1, type 0..2).
    void Start(bool repeat);
    // Prepares a run without the link (the records come through PollFrom).
    void PrepareRun();
    // Ends the stream: the cancel sequence, 200 ms, buffers cleared, byte
    // timeout restored. Nothing when not running.
    void Stop();
    // Reads at most one record from the connector's port; raises
    // "Timeout Error. No byte received." when a byte does not come in time.
    void Poll();
    // The same over any byte source (raising when it has no byte).
    using TByteSource = std::function<std::uint8_t()>;
    void PollFrom(const TByteSource& next);
    // Bytes waiting for Poll (the port's and those already taken from it).
    std::int32_t Waiting();

    // ---- for the display and the recording model (any thread) ----
    bool Running() const { return running_.load(std::memory_order_acquire); }
    bool NewData() const { return newData_.load(std::memory_order_acquire); }
    // Returns NewData and clears it.
    bool TakeNewData() { return newData_.exchange(false, std::memory_order_acq_rel); }
    void SetRequestedWidth(std::int32_t w) { requestedWidth_.store(w, std::memory_order_relaxed); }
    std::int32_t RequestedWidth() const { return requestedWidth_.load(std::memory_order_relaxed); }
    std::int32_t DisplayWidth() const { return displayWidth_.load(std::memory_order_acquire); }
    std::int32_t WriteIndex() const { return writeIndex_.load(std::memory_order_acquire); }
    bool Wrapped() const { return wrapped_.load(std::memory_order_acquire); }
    std::int32_t RecordCount() const { return recordCount_.load(std::memory_order_acquire); }
    std::int32_t Column() const { return column_.load(std::memory_order_relaxed); }
    std::int32_t StartColumn() const { return startColumn_.load(std::memory_order_acquire); }
    std::int32_t EndColumn() const { return endColumn_.load(std::memory_order_acquire); }
    std::int32_t PreCount() const { return preCount_.load(std::memory_order_acquire); }
    std::int32_t PostCount() const { return postCount_.load(std::memory_order_acquire); }
    std::int32_t PreLimit() const { return preLimit_; }
    std::int32_t PostLimit() const { return postLimit_; }
    std::int32_t TriggerState() const { return triggerState_.load(std::memory_order_acquire); }
    double TriggerTime() const { return triggerTime_.load(std::memory_order_acquire); }
    double StartTime() const { return startTime_.load(std::memory_order_acquire); }
    double StopTime() const { return stopTime_.load(std::memory_order_acquire); }
    // True when an event log ended because its L entries were used.
    bool BufferFull() const { return bufferFull_.load(std::memory_order_acquire); }
    // Samples a finished run hands to the recording model.
    std::int32_t HandOverCount() const;

    std::int32_t NewestValue(int ch) const { return newest_[Ch(ch)].load(std::memory_order_relaxed); }
    std::int32_t RunMin(int ch) const { return runMin_[Ch(ch)].load(std::memory_order_relaxed); }
    std::int32_t RunMax(int ch) const { return runMax_[Ch(ch)].load(std::memory_order_relaxed); }
    std::int32_t Value(int ch, std::int32_t i) const { return Ring(values_, ch, i); }
    std::int32_t MinValue(int ch, std::int32_t i) const { return Ring(minValues_, ch, i); }
    std::int32_t MaxValue(int ch, std::int32_t i) const { return Ring(maxValues_, ch, i); }
    std::int32_t TimeStamp(std::int32_t i) const;
    std::uint16_t State(std::int32_t i) const;
    std::int32_t ColumnMin(int ch, int col) const
    {
        return columnMin_[Ch(ch)][Col(col)].load(std::memory_order_relaxed);
    }
    std::int32_t ColumnMax(int ch, int col) const
    {
        return columnMax_[Ch(ch)][Col(col)].load(std::memory_order_relaxed);
    }

    // A trigger released by hand: types 0/1 set TriggerState when it is
    // still 0; type 2 asks the writer to store an event at the next record.
    void ReleaseTrigger(std::int32_t state);

    // The PC clock as a date-time day count (injectable for tests).
    std::function<double()> Now;

private:
    using TRing = std::unique_ptr<std::atomic<std::int32_t>[]>;
    static std::int32_t ClampWidth(std::int32_t w) { return w < 1 ? 1 : w > kMaxWidth ? kMaxWidth : w; }
    static std::size_t Ch(int ch);
    static std::size_t Col(int col);
    std::int32_t Ring(const std::array<TRing, kMaxChannels>& r, int ch, std::int32_t i) const;
    void Prepare();
    void RecordOneOne(const TByteSource& next);
    void RecordEvent(const TByteSource& next);
    void Rebuild();
    void UpdateColumns(std::int32_t p);
    std::uint8_t ReadStreamByte();
    void StopRun(bool link);

    // Configuration taken over at Start (the writer's copy).
    std::int32_t L_ = 1, type_ = 0, cc_ = 1;
    std::int32_t preLimit_ = 0, postLimit_ = 0;
    bool linkRun_ = false;

    std::array<std::atomic<std::int32_t>, kMaxChannels> newest_{}, runMin_{}, runMax_{};
    std::array<TRing, kMaxChannels> values_, minValues_, maxValues_;
    TRing timeStamps_, states_;
    std::atomic<std::int32_t> ringLength_{0}; // entries the rings hold (readers bound by it)
    std::unique_ptr<std::array<std::array<std::atomic<std::int32_t>, kColumns>, kMaxChannels>> columnMinStore_,
        columnMaxStore_;
    std::array<std::array<std::atomic<std::int32_t>, kColumns>, kMaxChannels>& columnMin_;
    std::array<std::array<std::atomic<std::int32_t>, kColumns>, kMaxChannels>& columnMax_;

    std::atomic<std::int32_t> writeIndex_{0}, recordCount_{0}, column_{-1}, startColumn_{0}, endColumn_{0};
    std::atomic<std::int32_t> displayWidth_{500}, requestedWidth_{500};
    std::atomic<std::int32_t> preCount_{0}, postCount_{0}, triggerState_{0};
    std::atomic<std::int32_t> manualEvent_{0};
    std::atomic<double> triggerTime_{0}, startTime_{0}, stopTime_{0};
    std::atomic<bool> wrapped_{false}, newData_{false}, running_{false}, bufferFull_{false};

    std::vector<std::uint8_t> inbuf_; // bytes taken from the port, not yet decoded
    std::size_t inpos_ = 0;
};

} // namespace vro
