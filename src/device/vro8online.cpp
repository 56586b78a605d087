#include "device/vro8online.h"

#include "link/dvxv24connector.h"
#include "link/vro8commands.h"

#include <algorithm>
#include <chrono>
#include <thread>

namespace vro {

namespace {

double PcNow()
{
    // Day count with day 0 = 1899-12-30 (the UNIX epoch is day 25569).
    const double secs = std::chrono::duration<double>(std::chrono::system_clock::now().time_since_epoch()).count();
    return 25569.0 + secs / 86400.0;
}

std::int32_t DateTimeStamp(double dt)
{
    // Seconds since 2000-01-01 (day 36526).
    const double s = (dt - 36526.0) * 86400.0;
    return s <= 0 ? 0 : static_cast<std::int32_t>(std::min(s + 0.5, 2147483647.0));
}

std::int32_t MulDiv(std::int64_t a, std::int64_t b, std::int64_t c) { return static_cast<std::int32_t>(a * b / c); }

} // namespace

TVro8OnlineRecording::TVro8OnlineRecording(TVro8Device& device)
    : TVro8Component(device),
      columnMinStore_(std::make_unique<std::array<std::array<std::atomic<std::int32_t>, kColumns>, kMaxChannels>>()),
      columnMaxStore_(std::make_unique<std::array<std::array<std::atomic<std::int32_t>, kColumns>, kMaxChannels>>()),
      columnMin_(*columnMinStore_), columnMax_(*columnMaxStore_)
{
    Now = PcNow;
}

TVro8OnlineRecording::~TVro8OnlineRecording() = default;

std::size_t TVro8OnlineRecording::Ch(int ch)
{
    if (ch < 0 || ch >= kMaxChannels)
        throw EVro8Device(EVro8Status::IndexOutOfRange, "Online channel " + std::to_string(ch) + " out of range");
    return static_cast<std::size_t>(ch);
}

std::size_t TVro8OnlineRecording::Col(int col)
{
    if (col < 0 || col >= kColumns)
        throw EVro8Device(EVro8Status::IndexOutOfRange, "Display column " + std::to_string(col) + " out of range");
    return static_cast<std::size_t>(col);
}

std::int32_t TVro8OnlineRecording::Ring(const std::array<TRing, kMaxChannels>& r, int ch, std::int32_t i) const
{
    const auto& ring = r[Ch(ch)];
    if (!ring || i < 0 || i >= ringLength_.load(std::memory_order_acquire))
        throw EVro8Device(EVro8Status::IndexOutOfRange, "Online sample " + std::to_string(i) + " out of range");
    return ring[static_cast<std::size_t>(i)].load(std::memory_order_relaxed);
}

std::int32_t TVro8OnlineRecording::TimeStamp(std::int32_t i) const
{
    if (!timeStamps_ || i < 0 || i >= ringLength_.load(std::memory_order_acquire))
        throw EVro8Device(EVro8Status::IndexOutOfRange, "Online event " + std::to_string(i) + " out of range");
    return timeStamps_[static_cast<std::size_t>(i)].load(std::memory_order_relaxed);
}

std::uint16_t TVro8OnlineRecording::State(std::int32_t i) const
{
    if (!states_ || i < 0 || i >= ringLength_.load(std::memory_order_acquire))
        throw EVro8Device(EVro8Status::IndexOutOfRange, "Online event " + std::to_string(i) + " out of range");
    return static_cast<std::uint16_t>(states_[static_cast<std::size_t>(i)].load(std::memory_order_relaxed));
}

std::int32_t TVro8OnlineRecording::HandOverCount() const
{
    if (type_ == 1)
        return PreCount() + PostCount();
    return Wrapped() ? L_ : WriteIndex();
}

void TVro8OnlineRecording::ReleaseTrigger(std::int32_t state)
{
    if (state == 0)
        return;
    if (type_ == 2) {
        manualEvent_.store(state, std::memory_order_release);
        return;
    }
    std::int32_t expected = 0;
    if (triggerState_.compare_exchange_strong(expected, state, std::memory_order_acq_rel))
        triggerTime_.store(Now(), std::memory_order_release);
}

void TVro8OnlineRecording::Prepare()
{
    if (running_.load(std::memory_order_acquire))
        throw EVro8Device(EVro8Status::OnlineParameters, "The online stream is already running");
    if (ChannelCount < 1 || ChannelCount > kMaxChannels)
        throw EVro8Device(EVro8Status::OnlineParameters,
                          "Online channel count " + std::to_string(ChannelCount) + " outside 1..32");
    if (BufferLength < 1)
        throw EVro8Device(EVro8Status::OnlineParameters,
                          "Online buffer length " + std::to_string(BufferLength) + " below 1");
    if (RecordingType < 0 || RecordingType > 2)
        throw EVro8Device(EVro8Status::OnlineParameters,
                          "Online recording type " + std::to_string(RecordingType) + " outside 0..2");
    L_ = BufferLength;
    type_ = RecordingType;
    cc_ = ChannelCount;
    const std::int32_t tp = std::clamp(TriggerPosition, 0, 10);
    TriggerPosition = tp;
    preLimit_ = MulDiv(L_, tp, 10);
    postLimit_ = L_ - preLimit_;

    // The rings are published with length 0 while they are replaced.
    ringLength_.store(0, std::memory_order_release);
    const auto n = static_cast<std::size_t>(L_);
    for (int c = 0; c < kMaxChannels; ++c) {
        values_[c].reset();
        minValues_[c].reset();
        maxValues_[c].reset();
        if (c < cc_) {
            values_[c] = std::make_unique<std::atomic<std::int32_t>[]>(n);
            if (type_ == 2) {
                minValues_[c] = std::make_unique<std::atomic<std::int32_t>[]>(n);
                maxValues_[c] = std::make_unique<std::atomic<std::int32_t>[]>(n);
            }
        }
        newest_[c].store(0, std::memory_order_relaxed);
        runMin_[c].store(0, std::memory_order_relaxed);
        runMax_[c].store(0, std::memory_order_relaxed);
    }
    timeStamps_.reset();
    states_.reset();
    if (type_ == 2) {
        timeStamps_ = std::make_unique<std::atomic<std::int32_t>[]>(n);
        states_ = std::make_unique<std::atomic<std::int32_t>[]>(n);
    }
    writeIndex_.store(0, std::memory_order_relaxed);
    recordCount_.store(0, std::memory_order_relaxed);
    column_.store(-1, std::memory_order_relaxed);
    const std::int32_t w = ClampWidth(displayWidth_.load(std::memory_order_relaxed));
    displayWidth_.store(w, std::memory_order_relaxed);
    requestedWidth_.store(w, std::memory_order_relaxed);
    startColumn_.store(0, std::memory_order_relaxed);
    endColumn_.store(0, std::memory_order_relaxed);
    wrapped_.store(false, std::memory_order_relaxed);
    newData_.store(false, std::memory_order_relaxed);
    bufferFull_.store(false, std::memory_order_relaxed);
    preCount_.store(0, std::memory_order_relaxed);
    postCount_.store(0, std::memory_order_relaxed);
    triggerState_.store(0, std::memory_order_relaxed);
    manualEvent_.store(0, std::memory_order_relaxed);
    inbuf_.clear();
    inpos_ = 0;
    ringLength_.store(L_, std::memory_order_release);
}

void TVro8OnlineRecording::PrepareRun()
{
    Prepare();
    linkRun_ = false;
    startTime_.store(Now(), std::memory_order_release);
    running_.store(true, std::memory_order_release);
}

void TVro8OnlineRecording::Start(bool repeat)
{
    Prepare();
    std::array<std::uint8_t, 6> data{
        static_cast<std::uint8_t>(type_),          static_cast<std::uint8_t>(type_ >> 8),
        static_cast<std::uint8_t>(SampleRate),     static_cast<std::uint8_t>(SampleRate >> 8),
        static_cast<std::uint8_t>(repeat ? 1 : 0), 0};
    Conn().TransferStatus(vro8::kWrite, vro8::kOnlineStart, data);
    linkRun_ = true;
    startTime_.store(Now(), std::memory_order_release);
    running_.store(true, std::memory_order_release);
    Conn().SetByteTimeout(3000);
}

void TVro8OnlineRecording::StopRun(bool link)
{
    if (!running_.load(std::memory_order_acquire))
        return;
    stopTime_.store(Now(), std::memory_order_release);
    running_.store(false, std::memory_order_release);
    if (link) {
        Conn().SendCancelSequence();
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
        Conn().ClearBuffers();
        Conn().RestoreByteTimeout();
    }
    inbuf_.clear();
    inpos_ = 0;
}

void TVro8OnlineRecording::Stop() { StopRun(linkRun_); }

std::int32_t TVro8OnlineRecording::Waiting()
{
    return Conn().Port().InQueue() + static_cast<std::int32_t>(inbuf_.size() - inpos_);
}

std::uint8_t TVro8OnlineRecording::ReadStreamByte()
{
    if (inpos_ < inbuf_.size())
        return inbuf_[inpos_++];
    TDvxV24Port& port = Conn().Port();
    const auto timeout = std::chrono::milliseconds(Conn().GetByteTimeout());
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::int32_t have = port.InQueue();
    while (have < 1) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline)
            throw EDvxV24Error("Timeout Error. No byte received.");
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count() + 1;
        have = port.WaitInQueue(1, static_cast<std::uint32_t>(left));
    }
    // Take everything that waits: one read per burst rather than per byte.
    inbuf_.resize(static_cast<std::size_t>(std::min<std::int32_t>(have, 16384)));
    const std::int32_t got = port.Read(inbuf_.data(), static_cast<std::int32_t>(inbuf_.size()));
    if (got < 1)
        throw EDvxV24Error("Timeout Error. No byte received.");
    inbuf_.resize(static_cast<std::size_t>(got));
    inpos_ = 1;
    return inbuf_[0];
}

void TVro8OnlineRecording::Poll()
{
    PollFrom([this] { return ReadStreamByte(); });
}

void TVro8OnlineRecording::PollFrom(const TByteSource& next)
{
    if (!running_.load(std::memory_order_acquire))
        return;
    if (next() != 0x88)
        return;
    if (next() != 0x88)
        return;
    if (type_ == 2)
        RecordEvent(next);
    else
        RecordOneOne(next);
}

void TVro8OnlineRecording::RecordEvent(const TByteSource& next)
{
    for (int c = 0; c < cc_; ++c) {
        auto word = [&] {
            const std::uint8_t lo = next();
            const std::uint8_t hi = next();
            return static_cast<std::int32_t>(static_cast<std::int16_t>(lo | (hi << 8)));
        };
        newest_[c].store(word(), std::memory_order_relaxed);
        runMin_[c].store(word(), std::memory_order_relaxed);
        runMax_[c].store(word(), std::memory_order_relaxed);
    }
    std::int32_t status = next();
    (void)next(); // the free byte is not checked
    if (status == 0)
        status = manualEvent_.exchange(0, std::memory_order_acq_rel);
    if (status != 0) {
        const std::int32_t w = writeIndex_.load(std::memory_order_relaxed);
        if (w < L_) {
            const auto i = static_cast<std::size_t>(w);
            for (int c = 0; c < cc_; ++c) {
                values_[c][i].store(newest_[c].load(std::memory_order_relaxed), std::memory_order_relaxed);
                minValues_[c][i].store(runMin_[c].load(std::memory_order_relaxed), std::memory_order_relaxed);
                maxValues_[c][i].store(runMax_[c].load(std::memory_order_relaxed), std::memory_order_relaxed);
            }
            timeStamps_[i].store(DateTimeStamp(Now()), std::memory_order_relaxed);
            states_[i].store(status, std::memory_order_relaxed);
            writeIndex_.store(w + 1, std::memory_order_release); // publishes the event above
        }
    }
    newData_.store(true, std::memory_order_release);
    recordCount_.fetch_add(1, std::memory_order_acq_rel);
    if (writeIndex_.load(std::memory_order_relaxed) >= L_) {
        // The event log is full: no event may be stored past its L entries.
        bufferFull_.store(true, std::memory_order_release);
        Stop();
    }
}

void TVro8OnlineRecording::RecordOneOne(const TByteSource& next)
{
    const std::int32_t p = writeIndex_.load(std::memory_order_relaxed);
    std::uint8_t sum = 0;
    for (int c = 0; c < cc_; ++c) {
        const std::uint8_t lo = next();
        const std::uint8_t hi = next();
        sum = static_cast<std::uint8_t>(sum + lo + hi);
        const std::int32_t v = static_cast<std::int16_t>(lo | (hi << 8));
        newest_[c].store(v, std::memory_order_relaxed);
        values_[c][static_cast<std::size_t>(p)].store(v, std::memory_order_relaxed);
    }
    const std::uint8_t status = next();
    const std::uint8_t check = next();
    if (status != 0)
        ReleaseTrigger(status); // the first non-zero status of the run, also in a bad record
    if (check != sum)
        return; // dropped: the position stays, the next record overwrites it

    const std::int32_t requested = ClampWidth(requestedWidth_.load(std::memory_order_relaxed));
    if (requested != displayWidth_.load(std::memory_order_relaxed) || column_.load(std::memory_order_relaxed) == -1) {
        displayWidth_.store(requested, std::memory_order_release);
        Rebuild();
        newData_.store(true, std::memory_order_release);
    }
    UpdateColumns(p);

    std::int32_t w = p + 1;
    if (w >= L_) {
        w = 0;
        wrapped_.store(true, std::memory_order_release);
    }
    writeIndex_.store(w, std::memory_order_release); // publishes the sample at p
    const std::int32_t W = displayWidth_.load(std::memory_order_relaxed);
    const bool wrapped = wrapped_.load(std::memory_order_relaxed);
    bool stop = false;
    if (type_ == 0) {
        if (wrapped) {
            endColumn_.store(W - 1, std::memory_order_release);
            if (SimpleCurvMode == 0)
                stop = true;
            startColumn_.store(MulDiv(w, W, L_), std::memory_order_release);
        } else {
            endColumn_.store(MulDiv(w, W, L_), std::memory_order_release);
        }
    } else {
        const bool triggered = triggerState_.load(std::memory_order_acquire) != 0;
        std::int32_t pre = preCount_.load(std::memory_order_relaxed);
        std::int32_t post = postCount_.load(std::memory_order_relaxed);
        if (!triggered && pre < preLimit_)
            preCount_.store(++pre, std::memory_order_release);
        else if (triggered && post < postLimit_)
            postCount_.store(++post, std::memory_order_release);
        else if (triggered)
            stop = true;
        endColumn_.store(MulDiv(pre + post, W, L_), std::memory_order_release);
        std::int32_t c = w - (pre + post);
        if (c < 0)
            c += L_;
        startColumn_.store(MulDiv(c, W, L_), std::memory_order_release);
    }
    recordCount_.fetch_add(1, std::memory_order_acq_rel);
    if (stop)
        Stop();
}

// The column buffers anew over the samples stored so far, in ring order.
void TVro8OnlineRecording::Rebuild()
{
    const std::int32_t W = displayWidth_.load(std::memory_order_relaxed);
    const std::int32_t n = wrapped_.load(std::memory_order_relaxed) ? L_ : writeIndex_.load(std::memory_order_relaxed);
    if (W < L_) {
        std::int32_t column = -1;
        for (std::int32_t i = 0; i < n; ++i) {
            const std::int32_t prev = column;
            column = MulDiv(i, W, L_);
            for (int c = 0; c < cc_; ++c) {
                const std::int32_t v = values_[c][static_cast<std::size_t>(i)].load(std::memory_order_relaxed);
                if (column == prev) {
                    runMin_[c].store(std::min(runMin_[c].load(std::memory_order_relaxed), v),
                                     std::memory_order_relaxed);
                    runMax_[c].store(std::max(runMax_[c].load(std::memory_order_relaxed), v),
                                     std::memory_order_relaxed);
                } else {
                    if (prev >= 0) {
                        columnMin_[c][static_cast<std::size_t>(prev)].store(runMin_[c].load(std::memory_order_relaxed),
                                                                            std::memory_order_relaxed);
                        columnMax_[c][static_cast<std::size_t>(prev)].store(runMax_[c].load(std::memory_order_relaxed),
                                                                            std::memory_order_relaxed);
                    }
                    runMin_[c].store(v, std::memory_order_relaxed);
                    runMax_[c].store(v, std::memory_order_relaxed);
                }
            }
        }
        if (wrapped_.load(std::memory_order_relaxed) && n > 0) {
            // A full ring goes on at WriteIndex, usually inside a column: the
            // last column is closed, and the column of the next sample is
            // reopened over its positions before WriteIndex, so that when it
            // closes it covers all its samples, not only the ones after the
            // rebuild.
            for (int c = 0; c < cc_; ++c) {
                columnMin_[c][static_cast<std::size_t>(column)].store(runMin_[c].load(std::memory_order_relaxed),
                                                                      std::memory_order_relaxed);
                columnMax_[c][static_cast<std::size_t>(column)].store(runMax_[c].load(std::memory_order_relaxed),
                                                                      std::memory_order_relaxed);
            }
            const std::int32_t p = writeIndex_.load(std::memory_order_relaxed);
            const std::int32_t col = MulDiv(p, W, L_);
            column = -1;
            for (std::int32_t i = p - 1; i >= 0 && MulDiv(i, W, L_) == col; --i)
                for (int c = 0; c < cc_; ++c) {
                    const std::int32_t v = values_[c][static_cast<std::size_t>(i)].load(std::memory_order_relaxed);
                    const bool first = column < 0;
                    runMin_[c].store(first ? v : std::min(runMin_[c].load(std::memory_order_relaxed), v),
                                     std::memory_order_relaxed);
                    runMax_[c].store(first ? v : std::max(runMax_[c].load(std::memory_order_relaxed), v),
                                     std::memory_order_relaxed);
                    if (c == cc_ - 1)
                        column = col;
                }
        }
        column_.store(column, std::memory_order_relaxed);
    } else {
        // Each sample fills the same columns as the per-record update gives
        // it (p * W / L up to (p + 1) * W / L - 1), so that a rebuilt display
        // and a growing one agree when W is not a multiple of L.
        std::int32_t column = 0;
        for (std::int32_t i = 0; i < n; ++i) {
            const std::int32_t first = MulDiv(i, W, L_);
            const std::int32_t last = std::min(MulDiv(i + 1, W, L_) - 1, W - 1);
            for (int c = 0; c < cc_; ++c) {
                const std::int32_t v = values_[c][static_cast<std::size_t>(i)].load(std::memory_order_relaxed);
                for (std::int32_t col = first; col <= last; ++col) {
                    columnMin_[c][static_cast<std::size_t>(col)].store(v, std::memory_order_relaxed);
                    columnMax_[c][static_cast<std::size_t>(col)].store(v, std::memory_order_relaxed);
                }
            }
            column = last;
        }
        column_.store(column, std::memory_order_relaxed);
    }
}

void TVro8OnlineRecording::UpdateColumns(std::int32_t p)
{
    const std::int32_t W = displayWidth_.load(std::memory_order_relaxed);
    if (L_ > W) {
        const std::int32_t prev = column_.load(std::memory_order_relaxed);
        const std::int32_t column = MulDiv(p, W, L_);
        column_.store(column, std::memory_order_relaxed);
        const bool closes = column != prev && prev >= 0;
        for (int c = 0; c < cc_; ++c) {
            const std::int32_t v = newest_[c].load(std::memory_order_relaxed);
            if (column == prev) {
                runMin_[c].store(std::min(runMin_[c].load(std::memory_order_relaxed), v), std::memory_order_relaxed);
                runMax_[c].store(std::max(runMax_[c].load(std::memory_order_relaxed), v), std::memory_order_relaxed);
            } else {
                if (prev >= 0) {
                    columnMin_[c][static_cast<std::size_t>(prev)].store(runMin_[c].load(std::memory_order_relaxed),
                                                                        std::memory_order_relaxed);
                    columnMax_[c][static_cast<std::size_t>(prev)].store(runMax_[c].load(std::memory_order_relaxed),
                                                                        std::memory_order_relaxed);
                }
                runMin_[c].store(v, std::memory_order_relaxed);
                runMax_[c].store(v, std::memory_order_relaxed);
            }
        }
        if (closes)
            newData_.store(true, std::memory_order_release); // once per completed column
    } else {
        const std::int32_t first = MulDiv(p, W, L_);
        const std::int32_t last = std::min(MulDiv(p + 1, W, L_) - 1, W - 1);
        column_.store(last, std::memory_order_relaxed);
        for (int c = 0; c < cc_; ++c) {
            const std::int32_t v = newest_[c].load(std::memory_order_relaxed);
            for (std::int32_t col = first; col <= last; ++col) {
                columnMin_[c][static_cast<std::size_t>(col)].store(v, std::memory_order_relaxed);
                columnMax_[c][static_cast<std::size_t>(col)].store(v, std::memory_order_relaxed);
            }
        }
        newData_.store(true, std::memory_order_release);
    }
}

} // namespace vro
