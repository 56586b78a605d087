#include "sim/recorderservice.h"

#include "link/vro8commands.h"

#include <chrono>

namespace vro::sim {

void TSimRecorderService::InstallHandlers(TSimulator& sim, std::shared_ptr<TSimRecorder> recorder,
                                          std::function<void()> streamStarted)
{
    auto install = [&](char address, std::uint8_t number) {
        sim.SetHandler(address, number, [recorder, streamStarted](const TSimRequest& req) -> TSimAnswer {
            TRecorderAnswer a = recorder->HandleFrame(req.Address, req.Number, req.Data);
            if (a.Delay.count() > 0)
                std::this_thread::sleep_for(a.Delay); // on the simulator's thread, outside the recorder's lock
            if (a.Silent)
                return std::nullopt;
            if (req.Address == vro8::kWrite && req.Number == vro8::kOnlineStart && streamStarted &&
                recorder->Streaming())
                streamStarted();
            return a.Data;
        });
    };
    for (const auto& c : TSimRecorder::CommandSet())
        install(c.Address, c.Number);
    sim.SetEnqHandler([recorder] { return recorder->HandleEnq(); });
    sim.SetIdleByteHook([recorder](std::uint8_t b) {
        if (b == 0x1B)
            recorder->HandleCancel();
    });
}

TSimRecorderService::TSimRecorderService(TSimulator& sim, TDvxV24Port& port, std::shared_ptr<TSimRecorder> recorder)
    : recorder_(std::move(recorder)), pump_(std::make_shared<TSimStreamPump>(port, recorder_))
{
    std::weak_ptr<TSimStreamPump> pump = pump_;
    InstallHandlers(sim, recorder_, [pump] {
        if (auto p = pump.lock())
            p->Wake();
    });
}

TSimRecorderService::~TSimRecorderService() = default;

// ---- stream pump --------------------------------------------------------------------------------

TSimStreamPump::TSimStreamPump(TDvxV24Port& port, std::shared_ptr<TSimRecorder> recorder)
    : port_(port), recorder_(std::move(recorder))
{
    thread_ = std::thread([this] { Run(); });
}

TSimStreamPump::~TSimStreamPump()
{
    {
        std::lock_guard<std::mutex> l(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    if (thread_.joinable())
        thread_.join();
}

void TSimStreamPump::Wake()
{
    std::lock_guard<std::mutex> l(mutex_);
    wake_.notify_all();
}

void TSimStreamPump::Run()
{
    std::unique_lock<std::mutex> l(mutex_);
    while (!stop_) {
        if (!recorder_->Streaming()) {
            wake_.wait_for(l, std::chrono::milliseconds(10));
            continue;
        }
        l.unlock();
        TByteString bytes = recorder_->PullStream(std::chrono::steady_clock::now());
        if (!bytes.empty()) {
            const auto n = port_.Write(bytes.data(), static_cast<std::int32_t>(bytes.size()));
            if (n < static_cast<std::int32_t>(bytes.size()))
                recorder_->CountDropped(1);
        }
        l.lock();
        wake_.wait_for(l, std::chrono::microseconds(500));
    }
}

} // namespace vro::sim
