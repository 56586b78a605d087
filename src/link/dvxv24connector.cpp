#include "link/dvxv24connector.h"

#include "core/util/bytes.h"
#include "link/dvxv24format.h"
#include "link/dvxv24frame.h"
#include "link/dvxv24serialport.h"
#include "link/dvxv24ticks.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace vro {

using v24detail::Format;

namespace {
bool IsRecorderAddress(char a) { return a == 'R' || a == 'S'; }

} // namespace

int TDvxV24Connector::PerMille(std::int64_t done, std::int64_t total)
{
    if (total <= 0)
        return 0;
    const std::int64_t scaled = done * 1000;
    std::int64_t q = scaled / total;
    const std::int64_t r2 = (scaled % total) * 2;
    if (r2 > total || (r2 == total && (q & 1)))
        ++q;
    return static_cast<int>(q);
}

// ---------------------------------------------------------------- connector

struct TDvxV24Connector::TLife {
    std::atomic<bool> alive{true};
};

TDvxV24Connector::TDvxV24Connector(std::unique_ptr<TDvxV24Port> port, TDvxDispatcher dispatcher)
    : port_(port ? std::move(port) : std::make_unique<TDvxV24SerialPort>()), dispatcher_(std::move(dispatcher)),
      life_(std::make_shared<TLife>())
{
    if (dispatcher_) {
        // Monitor notifications posted after the connector died are dropped.
        auto life = life_;
        auto d = dispatcher_;
        monitor_.SetDispatcher([life, d](std::function<void()> fn) {
            d([life, fn = std::move(fn)] {
                if (life->alive.load())
                    fn();
            });
        });
    }
}

TDvxV24Connector::~TDvxV24Connector()
{
    life_->alive.store(false);
    cancelled_.store(true);
    std::unique_ptr<TDvxV24Thread> running;
    std::vector<std::unique_ptr<TDvxV24Thread>> ended;
    {
        std::lock_guard lock(handlerMutex_);
        running = std::move(asyncThread_);
        ended = std::move(ended_);
    }
    // The worker tests Cancelled between exchanges, so it ends after the current one.
    if (running && running->Thread.joinable() && running->Thread.get_id() != std::this_thread::get_id())
        running->Thread.join();
    for (auto& t : ended)
        if (t->Thread.joinable() && t->Thread.get_id() != std::this_thread::get_id())
            t->Thread.join();
        else if (t->Thread.joinable())
            t->Thread.detach();
    try {
        Close();
    } catch (...) {
    }
}

void TDvxV24Connector::Dispatch(std::function<void()> fn)
{
    if (!dispatcher_) {
        fn();
        return;
    }
    auto life = life_;
    dispatcher_([life, fn = std::move(fn)] {
        if (life->alive.load())
            fn();
    });
}

void TDvxV24Connector::DeliverLog(std::string line)
{
    Dispatch([this, line = std::move(line)] {
        std::function<void(const std::string&)> sink;
        {
            std::lock_guard lock(handlerMutex_);
            sink = logSink_;
        }
        if (sink)
            sink(line);
    });
}

void TDvxV24Connector::Log(const std::string& text)
{
    if (!logging_.load()) {
        pendingLine_.clear();
        return;
    }
    std::string line = Format("%8.3fs: ", static_cast<double>(ElapsedSeconds(openTick_))) + text;
    pendingLine_.clear();
    DeliverLog(std::move(line));
}

void TDvxV24Connector::SetLogLines(std::function<void(const std::string&)> sink)
{
    std::lock_guard lock(handlerMutex_);
    logSink_ = std::move(sink);
    logging_.store(static_cast<bool>(logSink_));
}

void TDvxV24Connector::SetOnProgress(std::function<void(int)> handler)
{
    std::lock_guard lock(handlerMutex_);
    onProgress_ = std::move(handler);
}

void TDvxV24Connector::SetOnAsyncDone(std::function<void(std::int32_t)> handler)
{
    std::lock_guard lock(handlerMutex_);
    onAsyncDone_ = std::move(handler);
}

std::string TDvxV24Connector::LastError() const
{
    std::lock_guard lock(handlerMutex_);
    return lastError_;
}

void TDvxV24Connector::SetFailure(const std::string& message)
{
    std::lock_guard lock(handlerMutex_);
    lastError_ = message;
}

void TDvxV24Connector::RaiseError(const std::string& message, const std::string& detail)
{
    const std::string partial = pendingLine_;
    Log(partial);
    Log("TDvxV24Connector: " + message);
    throw EDvxV24Error(message, detail);
}

std::uint32_t TDvxV24Connector::ByteTimesMs(std::int32_t bytes, std::int32_t baudrate)
{
    if (baudrate <= 0 || bytes <= 0)
        return 0;
    return static_cast<std::uint32_t>(static_cast<std::int64_t>(bytes) * 10000 / baudrate);
}

void TDvxV24Connector::WaitByteTimes(std::int32_t n)
{
    const std::uint32_t ms = ByteTimesMs(n, baudrate_);
    if (ms > 1)
        SleepMs(ms);
}

// ---------------------------------------------------------------- port handling

void TDvxV24Connector::Open()
{
    openTick_ = GetTickCount32();
    Close();
    if (!port_->Open(portIndex_, kInQueueSize, kOutQueueSize))
        RaiseError(Format("Serial Open Error Com%d", portIndex_ + 1), port_->LastError());
    if (!port_->ConfigureDefault(baudrate_, 0)) {
        const std::string detail = port_->LastError();
        Close();
        RaiseError(Format("Serial Init Error Com%d, Baudrate %d", portIndex_ + 1, baudrate_), detail);
    }
    Log(Format("Open Port Com%d: %d", portIndex_ + 1, baudrate_));
}

void TDvxV24Connector::Close()
{
    if (!port_->IsOpen())
        return;
    try {
        port_->Close();
    } catch (...) {
    }
    Log(Format("Close Port Com%d:", portIndex_ + 1));
}

bool TDvxV24Connector::IsOpen() const { return port_->IsOpen(); }

void TDvxV24Connector::SetBaudrate(std::int32_t value)
{
    // Every wait divides by the speed: a speed of 0 or less is refused.
    if (value <= 0)
        throw EDvxV24Error(Format("Illegal Baudrate %d", value));
    if (value == baudrate_)
        return;
    if (port_->IsOpen()) {
        Close();
        baudrate_ = value;
        Open();
    } else {
        baudrate_ = value;
    }
}

void TDvxV24Connector::SetPortIndex(std::int32_t value)
{
    if (value == portIndex_)
        return;
    if (port_->IsOpen()) {
        Close();
        portIndex_ = value;
        Open();
    } else {
        portIndex_ = value;
    }
}

void TDvxV24Connector::OpenPort(std::int32_t portIndex, std::int32_t baudrate)
{
    if (baudrate <= 0)
        throw EDvxV24Error(Format("Illegal Baudrate %d", baudrate));
    portIndex_ = portIndex;
    baudrate_ = baudrate;
    Open();
}

bool TDvxV24Connector::PortExists(std::int32_t index) { return TDvxV24SerialPort::PortExists(index); }
bool TDvxV24Connector::PortAvailable(std::int32_t index) { return TDvxV24SerialPort::PortAvailable(index); }

void TDvxV24Connector::PurgeAll() { port_->Purge(true, true, true, true); }

void TDvxV24Connector::ClearBuffers()
{
    PurgeAll();
    Log("Clear all Buffers");
}

void TDvxV24Connector::SendCancelSequence()
{
    PurgeAll();
    std::uint8_t esc[255];
    std::memset(esc, dvx::kEsc, sizeof esc);
    port_->Write(esc, sizeof esc);
    if (logging_.load()) {
        std::string line = "Cancel Transmission: ";
        for (int i = 0; i < 255; ++i)
            line += " 1B";
        Log(line);
    }
    WaitByteTimes(1000);
    PurgeAll();
}

// ---------------------------------------------------------------- bytes

void TDvxV24Connector::AppendHex(std::uint8_t b)
{
    if (!logging_.load())
        return;
    static const char* digits = "0123456789ABCDEF";
    pendingLine_ += ' ';
    pendingLine_ += digits[b >> 4];
    pendingLine_ += digits[b & 15];
}

void TDvxV24Connector::PutByte(std::uint8_t b)
{
    if (txLength_ > kMaxTxLength - 1)
        throw EDvxV24Error("Transmitbuffer Overflow");
    txBuffer_[txLength_++] = b;
    AppendHex(b);
    checksum_ = static_cast<std::uint8_t>(checksum_ + b);
}

void TDvxV24Connector::Flush()
{
    const std::int32_t n = txLength_;
    txLength_ = 0;
    if (port_->Write(txBuffer_, n) != n)
        RaiseError(Format("Serial Write Error Com%d", portIndex_ + 1));
}

void TDvxV24Connector::SendFrame(char address, std::uint8_t number, std::span<const std::uint8_t> data)
{
    // LEN is one byte: a longer frame would go out with a wrapped length.
    if (data.size() > static_cast<std::size_t>(dvx::kMaxFrameData))
        RaiseError(Format("Error. Transmit len %d, exceeds the maxlen %d.", static_cast<int>(data.size()),
                          dvx::kMaxFrameData));
    pendingLine_ = Format("Transmit Adr \"%c\" Nr %3.3d : ", address, number);
    txLength_ = 0;
    checksum_ = 0;
    for (std::uint8_t b : dvx::BuildFrame(address, number, data))
        PutByte(b);
    Flush();
    WaitByteTimes(10);
    Log(pendingLine_);
}

std::uint8_t TDvxV24Connector::ReadByte()
{
    const std::uint32_t deadline = Deadline(byteTimeout_);
    for (;;) {
        if (port_->InQueue() > 0) {
            std::uint8_t b = 0;
            if (port_->Read(&b, 1) == 1) {
                checksum_ = static_cast<std::uint8_t>(checksum_ + b);
                AppendHex(b);
                return b;
            }
        }
        if (DeadlinePassed(deadline) || port_->IoFailed() || !port_->IsOpen())
            RaiseError("Timeout Error. No byte received.");
        // Sleep in the kernel until a byte comes or the time is up.
        port_->WaitInQueue(1, std::max<std::uint32_t>(1, RemainingMs(deadline)));
    }
}

void TDvxV24Connector::ExpectByte(std::uint8_t value, const char* what)
{
    const std::uint8_t b = ReadByte();
    if (b != value)
        RaiseError(dvx::ExpectedByteText(what, b, value));
}

void TDvxV24Connector::WaitForBlock(std::int32_t n)
{
    std::uint32_t deadline = Deadline(byteTimeout_);
    std::int32_t best = -1;
    for (;;) {
        const std::int32_t have = port_->InQueue();
        if (have > best) {
            best = have;
            deadline = Deadline(byteTimeout_);
        }
        if (have >= n)
            return;
        if (DeadlinePassed(deadline) || port_->IoFailed() || !port_->IsOpen())
            RaiseError("Timeout Error in Block. No byte received.");
        // The port sleeps about as long as the missing bytes take on the line.
        port_->WaitInQueue(n, std::max<std::uint32_t>(1, RemainingMs(deadline)));
    }
}

void TDvxV24Connector::ReadBlock(std::uint8_t* buffer, std::int32_t n)
{
    const std::int32_t got = port_->Read(buffer, n);
    for (std::int32_t i = 0; i < std::max(got, 0); ++i)
        AppendHex(buffer[i]);
    if (got < n)
        RaiseError("Timeout Error. No byte received.");
}

std::int32_t TDvxV24Connector::ReceiveFrame(char address, std::uint8_t number, std::span<std::uint8_t> answer)
{
    pendingLine_ = Format("Receive  Adr \"%c\" Nr %3.3d : ", address, number);
    constexpr std::size_t kAddressPos = 14; // the character between the quotes
    const auto maxLen = static_cast<std::int32_t>(std::min<std::size_t>(answer.size(), dvx::kMaxFrameData));
    dvx::TDvxFrameParser parser(address, number, maxLen);
    std::uint8_t block[dvx::kMaxFrameData];
    bool addressShown = false;
    for (;;) {
        switch (parser.Step()) {
        case dvx::TDvxFrameParser::EStep::Byte:
            parser.FeedByte(ReadByte());
            if (!addressShown && parser.HaveAddress()) {
                addressShown = true;
                if (pendingLine_.size() > kAddressPos)
                    pendingLine_[kAddressPos] = parser.ReceivedAddress();
            }
            break;
        case dvx::TDvxFrameParser::EStep::Block: {
            const std::int32_t n = parser.BlockSize();
            WaitForBlock(n);
            ReadBlock(block, n);
            parser.FeedBlock({block, static_cast<std::size_t>(n)});
            break;
        }
        case dvx::TDvxFrameParser::EStep::Failed: RaiseError(parser.Error());
        case dvx::TDvxFrameParser::EStep::Done: {
            const auto data = parser.Data();
            std::copy(data.begin(), data.end(), answer.begin());
            Log(pendingLine_);
            return static_cast<std::int32_t>(data.size());
        }
        case dvx::TDvxFrameParser::EStep::Echo:
            if (pendingLine_.size() >= 9)
                pendingLine_ = "Echo     " + pendingLine_.substr(9);
            Log(pendingLine_);
            return -1;
        }
    }
}

// ---------------------------------------------------------------- exchanges

std::int32_t TDvxV24Connector::Transfer(char address, std::uint8_t number, std::span<std::uint8_t> answer,
                                        std::span<const std::uint8_t> data)
{
    PurgeAll();
    SendFrame(address, number, data);
    if (IsRecorderAddress(address))
        ExpectByte(dvx::kAck, "No ACK");
    monitor_.Start();
    try {
        std::int32_t r = ReceiveFrame(address, number, answer);
        if (r == -1) {
            r = ReceiveFrame(address, number, answer);
            if (r == -1)
                RaiseError("Received Double Echo");
        }
        monitor_.Success();
        return r;
    } catch (...) {
        monitor_.Failure();
        throw;
    }
}

std::int32_t TDvxV24Connector::TransferRepeated(char address, std::uint8_t number, std::span<std::uint8_t> answer,
                                                std::span<const std::uint8_t> data)
{
    const std::uint32_t deadline = Deadline(repeatTime_);
    repeatCount_ = 0;
    while (!cancelled_.load()) {
        try {
            return Transfer(address, number, answer, data);
        } catch (const EDvxV24Error&) {
            repeatCount_ += 1;
            if (repeatCount_ > repeatLimit_ || DeadlinePassed(deadline))
                throw;
            WaitByteTimes(300);
            SendCancelSequence();
            WaitByteTimes(300);
            ClearBuffers();
        }
    }
    return -1;
}

void TDvxV24Connector::TransferExact(char address, std::uint8_t number, std::span<std::uint8_t> answer)
{
    const std::int32_t r = Transfer(address, number, answer);
    if (r != static_cast<std::int32_t>(answer.size()))
        RaiseError("Unexpected Messagelen received");
}

std::int32_t TDvxV24Connector::TransferStatus(char address, std::uint8_t number, std::span<const std::uint8_t> data)
{
    // Room for any answer, so that a longer one is reported as what it is.
    std::uint8_t answer[dvx::kMaxFrameData];
    const std::int32_t r = Transfer(address, number, answer, data);
    if (r != 1)
        RaiseError("No Answer - Byte received");
    if (answer[0] != 0)
        RaiseError("Error-Code responsed: Data could not be transferred");
    return 0;
}

void TDvxV24Connector::NotifyProgress()
{
    const std::int64_t total = progressTotal_.load();
    if (total <= 0)
        return;
    {
        std::lock_guard lock(handlerMutex_);
        if (!onProgress_)
            return;
    }
    const int pm = PerMille(progressDone_.load(), total);
    Dispatch([this, pm] {
        std::function<void(int)> handler;
        {
            std::lock_guard lock(handlerMutex_);
            handler = onProgress_;
        }
        if (handler)
            handler(pm);
    });
}

std::int32_t TDvxV24Connector::ReadMultipacket(char address, std::uint8_t number, std::int32_t startOffset,
                                               std::span<std::uint8_t> dest)
{
    return ReadMultipacketImpl(address, number, startOffset, dest, true);
}

std::int32_t TDvxV24Connector::ReadMultipacketImpl(char address, std::uint8_t number, std::int32_t startOffset,
                                                   std::span<std::uint8_t> dest, bool clearCancel)
{
    // A negative start would store before the buffer; an area beyond 2 GiB
    // cannot be addressed by the 32-bit offsets of the requests.
    if (startOffset < 0)
        throw EDvxV24Error(Format("Multipacket Error: start offset %d is negative.", startOffset));
    if (dest.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        throw EDvxV24Error("Multipacket Error: area larger than 2 GiB.");
    const auto maxTotal = static_cast<std::int32_t>(dest.size());
    if (clearCancel)
        cancelled_.store(false);
    transferState_.store(ETransferState::tsReading);
    progressTotal_.store(maxTotal);
    progressDone_.store(0);
    std::int32_t offset = startOffset;
    bool skipFirst = startOffset > 0;
    std::uint8_t piece[kPieceSize];
    try {
        while (!cancelled_.load()) {
            std::uint8_t request[4];
            PutLE<std::int32_t>(request, 0, skipFirst ? 0 : offset);
            const std::int32_t c = TransferRepeated(address, number, piece, request);
            if (c < 0)
                break; // cancelled
            if (skipFirst) {
                // The answer to the request at offset 0 is only thrown away.
                skipFirst = false;
            } else {
                if (static_cast<std::int64_t>(offset) + c > maxTotal)
                    RaiseError(Format("Multipacket Error: Received len %d, exceeds the maxlen %d. (Number: %d "
                                      "Address: %d)",
                                      static_cast<int>(std::min<std::int64_t>(std::int64_t(offset) + c, INT32_MAX)),
                                      maxTotal, number, static_cast<int>(static_cast<unsigned char>(address))));
                std::copy(piece, piece + c, dest.begin() + offset);
                offset += c;
                progressDone_.store(offset);
                NotifyProgress();
            }
            if (c == 0)
                break;
        }
        transferState_.store(ETransferState::tsIdle);
    } catch (const std::exception& e) {
        SetFailure(e.what());
        transferState_.store(ETransferState::tsFailed);
    }
    return offset;
}

std::int32_t TDvxV24Connector::WriteMultipacket(char address, std::uint8_t number, std::int32_t packetSize,
                                                std::span<const std::uint8_t> source)
{
    if (packetSize < 1 || packetSize > kPieceSize)
        throw EDvxV24Error(Format("Multipacket Error: packet size %d outside 1..%d.", packetSize, kPieceSize));
    if (source.size() > static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()))
        throw EDvxV24Error("Multipacket Error: area larger than 2 GiB.");
    const auto total = static_cast<std::int32_t>(source.size());
    cancelled_.store(false);
    transferState_.store(ETransferState::tsWriting);
    progressTotal_.store(total);
    progressDone_.store(0);
    std::int32_t sent = 0;
    std::int32_t status = 0;
    try {
        std::vector<std::uint8_t> packet;
        while (!cancelled_.load() && sent < total) {
            const std::int32_t d = std::min(total - sent, packetSize);
            packet.clear();
            AppendLE<std::int32_t>(packet, sent);
            packet.insert(packet.end(), source.begin() + sent, source.begin() + sent + d);
            std::uint8_t answer[1] = {0};
            const std::int32_t r = TransferRepeated(address, number, answer, packet);
            if (r < 0)
                break; // cancelled before the packet was taken
            // An answer without its status byte is not an acceptance.
            if (r != 1)
                RaiseError("No Answer - Byte received");
            status = answer[0];
            if (status != 0)
                RaiseError("Multipacket Error:A transmit packet gets ErrorResult " + std::to_string(status));
            sent += d;
            progressDone_.store(sent);
            NotifyProgress();
        }
        // A cancelled write left the area partly written: that is no success.
        if (sent < total)
            RaiseError(Format("Multipacket Error: transfer cancelled after %d of %d bytes.", sent, total));
        transferState_.store(ETransferState::tsIdle);
        return status;
    } catch (const std::exception& e) {
        SetFailure(e.what());
        transferState_.store(ETransferState::tsFailed);
        throw;
    }
}

// ---------------------------------------------------------------- service sequences

void TDvxV24Connector::SendServiceBytes(const std::uint8_t* bytes, std::int32_t count) { port_->Write(bytes, count); }

std::int32_t TDvxV24Connector::GetEnqState()
{
    Log("Start GetEnqState synchronistation");
    std::int32_t r = 0;
    try {
        ClearBuffers();
        const std::uint8_t enq = dvx::kEnq;
        SendServiceBytes(&enq, 1);
        Log("Transmit ENQ : 05");
        pendingLine_ = "Receive  ENQ :";
        r = ReadByte();
        Log(pendingLine_);
    } catch (const EDvxV24Error&) {
        r = 0;
    }
    byteTimeout_ = kDefaultByteTimeout;
    Log("End GetEnqState synchronistation");
    return r;
}

void TDvxV24Connector::SendNullSequence()
{
    Log("Start null sequence");
    const std::uint8_t zero = 0x00, ff = 0xFF;
    for (int i = 0; i < 201; ++i) {
        SendServiceBytes(&zero, 1);
        Log("Transmit : 00");
        SleepMs(10);
    }
    SendServiceBytes(&ff, 1);
    Log("Transmit : FF");
    Log("Null sequence finished");
}

void TDvxV24Connector::Send55Sequence()
{
    Log("Start 0x55 sequence");
    const std::uint8_t x55 = 0x55;
    for (int i = 0; i < 251; ++i) {
        SendServiceBytes(&x55, 1);
        Log("Transmit : 55");
        SleepMs(10);
    }
    const std::uint8_t tail[] = {0xAA, 'D', 'v', 'x', 'S', 't', 'a', 'r', 't'};
    std::string line = "Transmit :";
    for (std::uint8_t b : tail) {
        SendServiceBytes(&b, 1);
        line += Format(" %02X", b);
    }
    Log(line);
    Log("0x55 sequence finished");
}

} // namespace vro
