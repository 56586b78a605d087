#include "link/link_support.h"

#include "link/dvxv24ticks.h"

#include <chrono>
#include <cstdio>

namespace vro::test {

std::vector<std::string> TLogCapture::Texts() const
{
    std::vector<std::string> out;
    for (const auto& l : Lines()) {
        const auto p = l.find("s: ");
        out.push_back(p == std::string::npos ? l : l.substr(p + 3));
    }
    return out;
}

bool TQueueDispatcher::PumpUntil(const std::function<bool()>& pred, int timeoutMs)
{
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        std::function<void()> fn;
        {
            std::unique_lock lock(mutex_);
            while (queue_.empty()) {
                if (pred())
                    return true;
                if (cv_.wait_until(lock, end) == std::cv_status::timeout && queue_.empty())
                    return pred();
            }
            fn = std::move(queue_.front());
            queue_.pop_front();
        }
        fn();
    }
}

void TQueueDispatcher::PumpAll()
{
    for (;;) {
        std::function<void()> fn;
        {
            std::lock_guard lock(mutex_);
            if (queue_.empty())
                return;
            fn = std::move(queue_.front());
            queue_.pop_front();
        }
        fn();
    }
}

TLinkRig::TLinkRig(TDvxDispatcher dispatcher, std::int32_t baud)
{
    TDvxV24MemoryPortPair pair;
    auto a = pair.TakeA();
    near = a.get();
    far = pair.TakeB();
    far->OpenEnd();
    connector = std::make_unique<TDvxV24Connector>(std::move(a), std::move(dispatcher));
    connector->SetLogLines(log.Sink());
    connector->OpenPort(0, baud);
    simulator = std::make_unique<sim::TSimulator>(*far);
    simulator->Start();
}

TLinkRig::~TLinkRig()
{
    // The connector first: it ends a running worker after its current exchange.
    connector.reset();
    simulator->Stop();
}

std::shared_ptr<sim::TSimMemory> TLinkRig::InstallMemory(std::size_t size, char readAdr, std::uint8_t readNr,
                                                         char writeAdr, std::uint8_t writeNr)
{
    auto mem = std::make_shared<sim::TSimMemory>(Pattern(size));
    simulator->InstallMemoryArea(readAdr, readNr, writeAdr, writeNr, mem);
    return mem;
}

TScriptPeer::TScriptPeer(TDvxV24Port& port) : port_(port), thread_([this] { Run(); }) {}

TScriptPeer::~TScriptPeer()
{
    stop_.store(true);
    thread_.join();
}

void TScriptPeer::Push(std::vector<std::uint8_t> reply)
{
    std::lock_guard lock(mutex_);
    replies_.push_back(std::move(reply));
}

std::vector<sim::TSimRequest> TScriptPeer::Requests() const
{
    std::lock_guard lock(mutex_);
    return requests_;
}

void TScriptPeer::Run()
{
    sim::TSimFrameReceiver rx(1000);
    while (!stop_.load()) {
        if (port_.WaitInQueue(1, 10) <= 0)
            continue;
        std::uint8_t b = 0;
        while (port_.Read(&b, 1) == 1) {
            const auto ev = rx.Feed(b, GetTickCount32());
            const bool answer = ev == sim::TSimFrameReceiver::EEvent::Frame ||
                                (ev == sim::TSimFrameReceiver::EEvent::IdleByte && b == 0x05);
            if (!answer)
                continue;
            std::vector<std::uint8_t> reply;
            {
                std::lock_guard lock(mutex_);
                if (ev == sim::TSimFrameReceiver::EEvent::Frame)
                    requests_.push_back(rx.Request());
                if (replies_.empty())
                    continue;
                reply = std::move(replies_.front());
                replies_.pop_front();
            }
            port_.Write(reply.data(), static_cast<std::int32_t>(reply.size()));
        }
    }
}

std::vector<std::uint8_t> Bytes(std::initializer_list<int> b)
{
    std::vector<std::uint8_t> out;
    for (int x : b)
        out.push_back(static_cast<std::uint8_t>(x));
    return out;
}

std::vector<std::uint8_t> Pattern(std::size_t n, unsigned seed)
{
    std::vector<std::uint8_t> out(n);
    std::uint32_t x = 2463534242u + seed;
    for (auto& b : out) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        b = static_cast<std::uint8_t>(x);
    }
    return out;
}

std::string Hex(const std::vector<std::uint8_t>& b)
{
    std::string s;
    char buf[4];
    for (auto x : b) {
        std::snprintf(buf, sizeof buf, "%s%02X", s.empty() ? "" : " ", x);
        s += buf;
    }
    return s;
}

} // namespace vro::test
