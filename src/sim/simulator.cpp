#include "sim/simulator.h"

#include "core/util/bytes.h"
#include "link/dvxv24ticks.h"

#include <sys/prctl.h>

#include <algorithm>
#include <chrono>

namespace vro::sim {

namespace {
constexpr std::uint8_t kAckByte = 0x06;
constexpr std::uint8_t kEnqByte = 0x05;
constexpr std::size_t kPiece = 240;

bool IsRecorder(char a) { return a == 'R' || a == 'S'; }

char WrongAnswerAddress(char right)
{
    switch (right) {
    case 'S': return 'C';
    case 'C': return 'S';
    default: return '#';
    }
}
} // namespace

const char* SimFaultName(ESimFault f)
{
    switch (f) {
    case ESimFault::None: return "none";
    case ESimFault::LoseAnswer: return "lose answer";
    case ESimFault::FlipBit: return "flip bit";
    case ESimFault::Garbage: return "garbage";
    case ESimFault::Delay: return "delay";
    case ESimFault::Silent: return "silent";
    case ESimFault::WrongAddress: return "wrong address";
    case ESimFault::Count_: break;
    }
    return "?";
}

std::uint64_t TSimStats::FaultsTotal() const
{
    std::uint64_t n = 0;
    for (std::size_t i = 1; i < kSimFaultKinds; ++i)
        n += Faults[i];
    return n;
}

// ---------------------------------------------------------------- memory

std::vector<std::uint8_t> TSimMemory::Read(std::uint32_t offset, std::size_t max) const
{
    std::lock_guard lock(mutex_);
    if (offset >= bytes_.size())
        return {};
    const std::size_t n = std::min(max, bytes_.size() - offset);
    return {bytes_.begin() + offset, bytes_.begin() + static_cast<std::ptrdiff_t>(offset + n)};
}

bool TSimMemory::Write(std::uint32_t offset, std::span<const std::uint8_t> data)
{
    std::lock_guard lock(mutex_);
    if (offset > bytes_.size() || data.size() > bytes_.size() - offset)
        return false;
    std::copy(data.begin(), data.end(), bytes_.begin() + offset);
    return true;
}

std::vector<std::uint8_t> TSimMemory::Bytes() const
{
    std::lock_guard lock(mutex_);
    return bytes_;
}

void TSimMemory::Assign(std::vector<std::uint8_t> bytes)
{
    std::lock_guard lock(mutex_);
    bytes_ = std::move(bytes);
}

std::size_t TSimMemory::Size() const
{
    std::lock_guard lock(mutex_);
    return bytes_.size();
}

// ---------------------------------------------------------------- simulator

TSimulator::TSimulator(TDvxV24Port& port) : port_(port) {}

TSimulator::~TSimulator() { Stop(); }

void TSimulator::SetHandler(char address, std::uint8_t number, TSimHandler handler)
{
    std::lock_guard lock(mutex_);
    handlers_[{address, number}] = std::move(handler);
}

void TSimulator::RemoveHandler(char address, std::uint8_t number)
{
    std::lock_guard lock(mutex_);
    handlers_.erase({address, number});
}

bool TSimulator::HasHandler(char address, std::uint8_t number) const
{
    std::lock_guard lock(mutex_);
    return handlers_.count({address, number}) > 0;
}

void TSimulator::SetEnqHandler(std::function<std::optional<std::uint8_t>()> handler)
{
    std::lock_guard lock(mutex_);
    enqHandler_ = std::move(handler);
}

void TSimulator::SetIdleByteHook(std::function<void(std::uint8_t)> hook)
{
    std::lock_guard lock(mutex_);
    idleHook_ = std::move(hook);
}

void TSimulator::SetEcho(bool on)
{
    std::lock_guard lock(mutex_);
    echo_ = on;
}

void TSimulator::InstallMemoryArea(char readAddress, std::uint8_t readNumber, char writeAddress,
                                   std::uint8_t writeNumber, std::shared_ptr<TSimMemory> memory)
{
    SetHandler(readAddress, readNumber, [memory](const TSimRequest& r) -> TSimAnswer {
        if (r.Data.size() < 4)
            return std::nullopt; // a request without its offset gets no answer
        return memory->Read(GetU32(r.Data, 0), kPiece);
    });
    SetHandler(writeAddress, writeNumber, [memory](const TSimRequest& r) -> TSimAnswer {
        if (r.Data.size() < 4)
            return std::nullopt;
        const bool ok = memory->Write(GetU32(r.Data, 0), std::span(r.Data).subspan(4));
        return std::vector<std::uint8_t>{static_cast<std::uint8_t>(ok ? 0 : 1)};
    });
}

void TSimulator::InjectFault(ESimFault fault, std::uint32_t count)
{
    std::lock_guard lock(mutex_);
    if (fault != ESimFault::None && count > 0)
        queued_.emplace_back(fault, count);
}

void TSimulator::SetRandomFaults(double probability, std::vector<ESimFault> kinds, std::uint32_t seed)
{
    std::lock_guard lock(mutex_);
    faultProbability_ = probability;
    faultKinds_ = std::move(kinds);
    rng_.seed(seed);
}

void TSimulator::ClearFaults()
{
    std::lock_guard lock(mutex_);
    queued_.clear();
    faultProbability_ = 0;
    faultKinds_.clear();
    silent_ = false;
}

void TSimulator::SetSilent(bool on)
{
    std::lock_guard lock(mutex_);
    silent_ = on;
}

void TSimulator::SetDelayMs(std::uint32_t ms)
{
    std::lock_guard lock(mutex_);
    delayMs_ = ms;
}

void TSimulator::SetPacing(std::int32_t baud)
{
    std::lock_guard lock(mutex_);
    pacingBaud_ = baud > 0 ? baud : 0;
}

void TSimulator::SetRequestPacing(bool on)
{
    std::lock_guard lock(mutex_);
    paceRequests_ = on;
}

void TSimulator::SetGapMs(std::uint32_t ms)
{
    std::lock_guard lock(mutex_);
    receiver_.SetGapMs(ms);
}

TSimStats TSimulator::Stats() const
{
    std::lock_guard lock(mutex_);
    TSimStats s = stats_;
    s.BadFrames = receiver_.BadFrames();
    return s;
}

void TSimulator::Start()
{
    if (running_.load())
        return;
    stop_.store(false);
    running_.store(true);
    thread_ = std::thread([this] { Run(); });
}

void TSimulator::Stop()
{
    stop_.store(true);
    if (thread_.joinable())
        thread_.join();
    running_.store(false);
}

ESimFault TSimulator::NextFault()
{
    // Called with mutex_ held.
    if (!queued_.empty()) {
        auto& [fault, left] = queued_.front();
        const ESimFault f = fault;
        if (--left == 0)
            queued_.erase(queued_.begin());
        return f;
    }
    if (faultProbability_ > 0 && !faultKinds_.empty()) {
        std::uniform_real_distribution<double> u(0.0, 1.0);
        if (u(rng_) < faultProbability_) {
            std::uniform_int_distribution<std::size_t> pick(0, faultKinds_.size() - 1);
            return faultKinds_[pick(rng_)];
        }
    }
    return ESimFault::None;
}

void TSimulator::Run()
{
    // Precise sleeps for pacing: the default timer slack of 50 us per sleep
    // would add up over thousands of frames.
    prctl(PR_SET_TIMERSLACK, 1UL, 0, 0, 0);
    std::vector<std::uint8_t> buf(4096);
    // Request pacing: when the last byte read would have come off the line.
    using TClock = std::chrono::steady_clock;
    TClock::time_point lineDue{};
    while (!stop_.load()) {
        const std::int32_t n = port_.WaitInQueue(1, 20);
        if (n <= 0) {
            if (port_.IoFailed())
                SleepMs(20); // a broken port: keep serving, but never spin
            continue;
        }
        const std::int32_t got =
            port_.Read(buf.data(), std::min<std::int32_t>(n, static_cast<std::int32_t>(buf.size())));
        const std::uint32_t now = GetTickCount32();
        std::int32_t baud = 0;
        {
            std::lock_guard lock(mutex_);
            stats_.BytesReceived += static_cast<std::uint64_t>(std::max(got, 0));
            if (paceRequests_)
                baud = pacingBaud_;
        }
        // The bytes read now started arriving when the line was free and
        // they were here, one byte time each.
        const double nsPerByte = baud > 0 ? 1e10 / baud : 0.0;
        const TClock::time_point chunkStart = baud > 0 ? std::max(lineDue, TClock::now()) : TClock::time_point{};
        for (std::int32_t i = 0; i < got; ++i) {
            TSimFrameReceiver::EEvent ev;
            {
                std::lock_guard lock(mutex_);
                ev = receiver_.Feed(buf[static_cast<std::size_t>(i)], now);
            }
            if (ev == TSimFrameReceiver::EEvent::Frame) {
                TSimRequest req;
                {
                    std::lock_guard lock(mutex_);
                    req = receiver_.Request();
                }
                if (baud > 0)
                    std::this_thread::sleep_until(
                        chunkStart + std::chrono::nanoseconds(static_cast<long long>(nsPerByte * (i + 1))));
                HandleRequest(req);
            } else if (ev == TSimFrameReceiver::EEvent::IdleByte) {
                HandleIdleByte(buf[static_cast<std::size_t>(i)]);
            }
        }
        if (baud > 0)
            lineDue = chunkStart + std::chrono::nanoseconds(static_cast<long long>(nsPerByte * got));
    }
}

void TSimulator::HandleIdleByte(std::uint8_t b)
{
    std::function<std::optional<std::uint8_t>()> enq;
    std::function<void(std::uint8_t)> hook;
    bool silent = false;
    {
        std::lock_guard lock(mutex_);
        if (b == kEnqByte) {
            ++stats_.Enqs;
            enq = enqHandler_;
        } else {
            hook = idleHook_;
        }
        silent = silent_;
    }
    if (b == kEnqByte) {
        if (silent)
            return;
        const std::optional<std::uint8_t> answer = enq ? enq() : std::optional<std::uint8_t>(kAckByte);
        if (answer)
            Send({*answer});
    } else if (hook) {
        hook(b);
    }
}

void TSimulator::HandleRequest(const TSimRequest& req)
{
    TSimHandler handler;
    ESimFault fault;
    bool silent, echo;
    std::uint32_t delayMs;
    {
        std::lock_guard lock(mutex_);
        ++stats_.FramesReceived;
        auto it = handlers_.find({req.Address, req.Number});
        if (it != handlers_.end())
            handler = it->second;
        silent = silent_;
        echo = echo_ && !IsRecorder(req.Address);
        delayMs = delayMs_;
        fault = (silent || !handler) ? ESimFault::None : NextFault();
        if (!handler)
            ++stats_.Unhandled;
    }
    if (silent || !handler)
        return;
    TSimAnswer answer = handler(req);
    if (!answer)
        return;
    const char right = SimAnswerAddress(req.Address);
    std::vector<std::uint8_t> frame;
    try {
        frame =
            EncodeSimFrame(fault == ESimFault::WrongAddress ? WrongAnswerAddress(right) : right, req.Number, *answer);
    } catch (const std::length_error&) {
        std::lock_guard lock(mutex_);
        ++stats_.Unhandled; // a handler bug: an answer no frame can carry
        return;
    }
    std::vector<std::uint8_t> out;
    if (echo) {
        // On a sensor bus the request comes back as it went out.
        out = EncodeSimFrame(req.Address, req.Number, req.Data);
    }
    if (IsRecorder(req.Address))
        out.push_back(kAckByte);
    if (fault != ESimFault::LoseAnswer)
        out.insert(out.end(), frame.begin(), frame.end());
    {
        std::lock_guard lock(mutex_);
        if (fault != ESimFault::None)
            ++stats_.Faults[static_cast<std::size_t>(fault)];
        switch (fault) {
        case ESimFault::FlipBit: {
            std::uniform_int_distribution<std::size_t> at(0, out.size() - 1);
            std::uniform_int_distribution<int> bit(0, 7);
            out[at(rng_)] ^= static_cast<std::uint8_t>(1u << bit(rng_));
            break;
        }
        case ESimFault::Garbage: {
            std::uniform_int_distribution<int> len(1, 16), byte(0, 255);
            std::vector<std::uint8_t> junk(static_cast<std::size_t>(len(rng_)));
            for (auto& b : junk)
                b = static_cast<std::uint8_t>(byte(rng_));
            // Noise on the line, not a lucky ACK or frame start.
            if (junk[0] == kAckByte || junk[0] == 0x02)
                junk[0] = 0xFE;
            out.insert(out.begin(), junk.begin(), junk.end());
            break;
        }
        default: break;
        }
    }
    if (fault == ESimFault::Silent)
        return;
    if (fault == ESimFault::Delay) {
        // A recorder that is slow to answer drops the answer when the
        // host starts talking again (a repeat, the cancel sequence).
        if (InputArrivedWithin(delayMs)) {
            std::lock_guard lock(mutex_);
            ++stats_.DroppedDelayed;
            return;
        }
    }
    Send(std::move(out));
    std::lock_guard lock(mutex_);
    ++stats_.AnswersSent;
}

bool TSimulator::InputArrivedWithin(std::uint32_t ms)
{
    const std::uint32_t deadline = Deadline(ms);
    while (!stop_.load()) {
        const std::uint32_t left = RemainingMs(deadline);
        if (left == 0)
            return port_.InQueue() > 0;
        if (port_.WaitInQueue(1, std::min<std::uint32_t>(left, 20)) > 0)
            return true;
    }
    return true;
}

void TSimulator::Send(std::vector<std::uint8_t> bytes)
{
    std::int32_t baud;
    {
        std::lock_guard lock(mutex_);
        baud = pacingBaud_;
        stats_.BytesSent += bytes.size();
    }
    if (baud <= 0) {
        port_.Write(bytes.data(), static_cast<std::int32_t>(bytes.size()));
        return;
    }
    // Each chunk leaves when the line would have finished carrying it:
    // ten bit times a byte, on an absolute schedule so that late wake-ups
    // do not add up.
    using namespace std::chrono;
    // About half a millisecond of line time per write (at least 8 bytes):
    // fine enough for the receiver, few enough wake-ups for the simulator.
    const std::size_t kChunk = std::max<std::size_t>(8, static_cast<std::size_t>(baud) / 20000);
    const double nsPerByte = 1e10 / baud;
    const auto start = steady_clock::now();
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const std::size_t n = std::min(kChunk, bytes.size() - sent);
        const auto due = start + nanoseconds(static_cast<long long>(nsPerByte * static_cast<double>(sent + n)));
        std::this_thread::sleep_until(due);
        port_.Write(bytes.data() + sent, static_cast<std::int32_t>(n));
        sent += n;
    }
}

} // namespace vro::sim
