// TDvxV24Connector: the program's one way of talking to the recorder. It owns
// one port, frames requests, matches and checks answers (dvxv24frame.h), and
// offers single and repeated exchanges, multi-packet reads and writes of
// memory areas in pieces of at most 240 bytes, one asynchronous multi-packet
// read on a worker thread (TDvxV24Thread), the service sequences, transfer
// statistics (TDvxV24Monitor) and a transfer log of every byte.
//
// Threads: the connector is used by one thread at a time: the caller's
// (user-interface) thread, or the worker during an asynchronous read, while
// which nobody else starts an exchange (IsAsyncActive). Cancel, IsAsyncActive,
// GetTransferState and the progress counters may be used from any thread.
// The log sink, progress handler, monitor handler and completion handler are
// called through the injected dispatcher (a function that runs a function on
// the user's thread, e.g. as a queued call); without a dispatcher they run at
// once on the thread that produced them. Handlers posted after the connector
// was destroyed are dropped.
//
// Errors are EDvxV24Error exceptions carrying the connector's fixed English
// texts; Detail() adds the reason where the system knows one (the open error).
#pragma once

#include "link/dvxv24port.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace vro {

class EDvxV24Error : public std::runtime_error {
public:
    explicit EDvxV24Error(const std::string& message, std::string detail = {})
        : std::runtime_error(message), detail_(std::move(detail))
    {}
    const std::string& Detail() const { return detail_; }

private:
    std::string detail_;
};

// Runs a function on the user's thread.
using TDvxDispatcher = std::function<void(std::function<void()>)>;

enum class ETransferState : std::uint8_t { tsIdle = 0, tsReading = 1, tsWriting = 2, tsFailed = 3 };

struct TDvxV24MonitorStats {
    std::int32_t Sum = 0, Avg = 0, Errors = 0, Count = 0, Max = 0, Min = 0, Last = 0;
};

// Times every exchange. Thread-safe; OnChange receives a snapshot through
// the dispatcher.
class TDvxV24Monitor {
public:
    void Reset();
    void Start();
    void Success();
    void Failure();
    TDvxV24MonitorStats Stats() const;
    void SetOnChange(std::function<void(const TDvxV24MonitorStats&)> handler);
    void SetDispatcher(TDvxDispatcher dispatcher);
    // "Count:%5d   Last:%5dms   Min:%5dms   Max:%5dms   Avg:%5dms   Error:%5d"
    static std::string FormatLabel(const TDvxV24MonitorStats& s);

private:
    void Notify(std::unique_lock<std::mutex>& lock);

    mutable std::mutex mutex_;
    std::uint32_t startTick_ = 0;
    TDvxV24MonitorStats stats_;
    std::function<void(const TDvxV24MonitorStats&)> onChange_;
    TDvxDispatcher dispatcher_;
};

class TDvxV24Connector;

// The worker of the asynchronous read: its parameters, its result and its thread.
class TDvxV24Thread {
public:
    char Address = 0;
    std::uint8_t Number = 0;
    std::uint8_t* Dest = nullptr;
    std::int32_t MaxTotal = 0;
    std::int32_t StartOffset = 0;
    std::int32_t Result = 0;
    TDvxV24Connector* Connector = nullptr;
    std::thread Thread;
};

class TDvxV24Connector {
public:
    static constexpr std::uint32_t kDefaultByteTimeout = 2000;
    static constexpr std::int32_t kPieceSize = 240;
    static constexpr std::int32_t kInQueueSize = 16384;
    static constexpr std::int32_t kOutQueueSize = 1024;
    static constexpr std::int32_t kMaxTxLength = 2049;

    // Without a port the connector uses a TDvxV24SerialPort.
    explicit TDvxV24Connector(std::unique_ptr<TDvxV24Port> port = nullptr, TDvxDispatcher dispatcher = {});
    ~TDvxV24Connector();
    TDvxV24Connector(const TDvxV24Connector&) = delete;
    TDvxV24Connector& operator=(const TDvxV24Connector&) = delete;

    // Port handling.
    void Open();
    void Close();
    bool IsOpen() const;
    // Values of 0 or less are refused (EDvxV24Error "Illegal Baudrate %d"); the
    // old speed stays.
    void SetBaudrate(std::int32_t value);
    std::int32_t GetBaudrate() const { return baudrate_; }
    void SetPortIndex(std::int32_t value);
    std::int32_t GetPortIndex() const { return portIndex_; }
    void OpenPort(std::int32_t portIndex, std::int32_t baudrate);
    static bool PortExists(std::int32_t index);
    static bool PortAvailable(std::int32_t index);
    TDvxV24Port& Port() { return *port_; }

    void ClearBuffers();
    void SendCancelSequence();
    void SetByteTimeout(std::uint32_t ms) { byteTimeout_ = ms; }
    void RestoreByteTimeout() { byteTimeout_ = kDefaultByteTimeout; }
    std::uint32_t GetByteTimeout() const { return byteTimeout_; }
    void SetRepeatLimit(std::uint32_t n) { repeatLimit_ = n; }
    std::uint32_t GetRepeatLimit() const { return repeatLimit_; }
    void SetRepeatTime(std::uint32_t ms) { repeatTime_ = ms; }
    std::uint32_t GetRepeatTime() const { return repeatTime_; }
    std::uint32_t GetRepeatCount() const { return repeatCount_; }

    // The log sink: receives every finished line "%8.3fs: %s". Empty = no log.
    void SetLogLines(std::function<void(const std::string&)> sink);
    bool IsLogging() const { return logging_.load(); }

    // Exchanges. MaxLen is answer.size() (at most 253 are ever used).
    std::int32_t Transfer(char address, std::uint8_t number, std::span<std::uint8_t> answer,
                          std::span<const std::uint8_t> data = {});
    // -1 when cancelled before an attempt succeeded.
    std::int32_t TransferRepeated(char address, std::uint8_t number, std::span<std::uint8_t> answer,
                                  std::span<const std::uint8_t> data = {});
    // An answer of exactly answer.size() bytes, or "Unexpected Messagelen received".
    void TransferExact(char address, std::uint8_t number, std::span<std::uint8_t> answer);
    // An answer of one status byte that must be 0.
    std::int32_t TransferStatus(char address, std::uint8_t number, std::span<const std::uint8_t> data = {});

    // Reads the area into dest (MaxTotal = dest.size()); returns the offset
    // reached. Failures end the read with tsFailed (see GetTransferState and
    // LastError); they are not raised, except for a negative StartOffset.
    std::int32_t ReadMultipacket(char address, std::uint8_t number, std::int32_t startOffset,
                                 std::span<std::uint8_t> dest);
    // Writes source in packets of PacketSize (1..240) bytes. Returns 0; every
    // failure, a cancel and a refused packet raise after setting tsFailed.
    std::int32_t WriteMultipacket(char address, std::uint8_t number, std::int32_t packetSize,
                                  std::span<const std::uint8_t> source);
    // Runs ReadMultipacket on the worker; dest must live until OnAsyncDone.
    // Raises "Asynchron Transfer still active!" while one runs.
    void StartAsyncRead(char address, std::uint8_t number, std::int32_t startOffset, std::span<std::uint8_t> dest);
    bool IsAsyncActive() const;
    // Waits (bounded) until the worker has ended and its completion was
    // dispatched; true when it did. For callers without an event loop.
    bool WaitAsyncEnded(std::uint32_t timeoutMs);
    void Cancel() { cancelled_.store(true); }
    bool IsCancelled() const { return cancelled_.load(); }
    std::int32_t GetEnqState();
    void SendNullSequence();
    void Send55Sequence();

    ETransferState GetTransferState() const { return transferState_.load(); }
    std::int64_t GetProgressTotal() const { return progressTotal_.load(); }
    std::int64_t GetProgressDone() const { return progressDone_.load(); }
    // Message of the failure that ended the last multi-packet transfer.
    std::string LastError() const;

    // Progress per mille of the running multi-packet transfer.
    void SetOnProgress(std::function<void(int)> handler);
    // Completion of the asynchronous read: offset reached, or -2 when cancelled.
    void SetOnAsyncDone(std::function<void(std::int32_t)> handler);

    TDvxV24Monitor& Monitor() { return monitor_; }

    // Byte count -> milliseconds the line needs for it (ten bits a byte).
    static std::uint32_t ByteTimesMs(std::int32_t bytes, std::int32_t baudrate);
    // Done/Total in per mille, rounded to nearest with halves to even, in
    // 64-bit arithmetic (exact for areas of any 32-bit size).
    static int PerMille(std::int64_t done, std::int64_t total);

private:
    struct TLife;

    [[noreturn]] void RaiseError(const std::string& message, const std::string& detail = {});
    void Log(const std::string& text);
    void Dispatch(std::function<void()> fn);
    void WaitByteTimes(std::int32_t n);
    void PutByte(std::uint8_t b);
    void Flush();
    void PurgeAll();
    void SendFrame(char address, std::uint8_t number, std::span<const std::uint8_t> data);
    std::uint8_t ReadByte();
    void ExpectByte(std::uint8_t value, const char* what);
    void WaitForBlock(std::int32_t n);
    void ReadBlock(std::uint8_t* buffer, std::int32_t n);
    std::int32_t ReceiveFrame(char address, std::uint8_t number, std::span<std::uint8_t> answer);
    void SendServiceBytes(const std::uint8_t* bytes, std::int32_t count);
    void NotifyProgress();
    void AppendHex(std::uint8_t b);
    void SetFailure(const std::string& message);
    void JoinFinishedWorker();
    void RunAsync(TDvxV24Thread* t);
    void CompleteAsync();
    void DeliverLog(std::string line);
    std::int32_t ReadMultipacketImpl(char address, std::uint8_t number, std::int32_t startOffset,
                                     std::span<std::uint8_t> dest, bool clearCancel);

    std::unique_ptr<TDvxV24Port> port_;
    TDvxDispatcher dispatcher_;
    std::shared_ptr<TLife> life_;

    std::int32_t baudrate_ = 9600;
    std::uint8_t checksum_ = 0;
    std::atomic<bool> logging_{false};
    std::uint32_t openTick_ = 0;
    std::string pendingLine_;
    TDvxV24Monitor monitor_;
    std::atomic<bool> cancelled_{false};
    std::atomic<std::int64_t> progressTotal_{0};
    std::atomic<std::int64_t> progressDone_{0};
    std::atomic<ETransferState> transferState_{ETransferState::tsIdle};
    std::int32_t portIndex_ = 0;
    std::uint32_t repeatLimit_ = 0;
    std::uint32_t repeatCount_ = 0;
    std::uint32_t repeatTime_ = 0;
    std::uint32_t byteTimeout_ = kDefaultByteTimeout;
    std::uint8_t txBuffer_[2052] = {};
    std::int32_t txLength_ = 0;

    mutable std::mutex handlerMutex_; // guards the handlers, the sink, lastError_ and the worker
    std::function<void(const std::string&)> logSink_;
    std::function<void(int)> onProgress_;
    std::function<void(std::int32_t)> onAsyncDone_;
    std::string lastError_;
    std::unique_ptr<TDvxV24Thread> asyncThread_;        // set while IsAsyncActive
    std::vector<std::unique_ptr<TDvxV24Thread>> ended_; // ended, waiting to be joined
    bool completing_ = false;                           // the completion step is running
    std::condition_variable asyncEnded_;
};

} // namespace vro
