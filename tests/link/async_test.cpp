// The asynchronous multi-packet read: progress and completion through a
// queued dispatcher (as a user-interface event loop would run them),
// cancel, and the refusal of a second read while one runs.
#include "core/util/bytes.h"
#include "link/dvxporttable.h"
#include "link/link_support.h"

#include <gtest/gtest.h>

namespace vro::test {
namespace {

using sim::TSimRequest;

// Holds the simulator's answers to the read command until released, so
// that a test decides when the worker may go on.
class TGate {
public:
    void Open()
    {
        {
            std::lock_guard lock(m_);
            open_ = true;
        }
        cv_.notify_all();
    }
    void Pass()
    {
        std::unique_lock lock(m_);
        ++waiting_;
        cv_.notify_all();
        cv_.wait_for(lock, std::chrono::seconds(20), [&] { return open_; });
    }
    bool WaitForWaiter()
    {
        std::unique_lock lock(m_);
        return cv_.wait_for(lock, std::chrono::seconds(20), [&] { return waiting_ > 0; });
    }

private:
    std::mutex m_;
    std::condition_variable cv_;
    bool open_ = false;
    int waiting_ = 0;
};

TEST(AsyncRead, ProgressAndCompletionOnTheUserThread)
{
    TQueueDispatcher ui;
    TLinkRig rig(ui.Dispatcher());
    auto mem = rig.InstallMemory(24000);
    const auto uiThread = std::this_thread::get_id();
    std::vector<int> progress;
    std::int32_t result = -100;
    bool onUiThread = true;
    rig.connector->SetOnProgress([&](int pm) {
        onUiThread = onUiThread && std::this_thread::get_id() == uiThread;
        progress.push_back(pm);
    });
    rig.connector->SetOnAsyncDone([&](std::int32_t r) {
        onUiThread = onUiThread && std::this_thread::get_id() == uiThread;
        result = r;
    });
    std::vector<std::uint8_t> dest(24000);
    rig.connector->StartAsyncRead('R', 23, 0, dest);
    EXPECT_TRUE(rig.connector->IsAsyncActive());
    ASSERT_TRUE(ui.PumpUntil([&] { return result != -100; }));
    EXPECT_FALSE(rig.connector->IsAsyncActive());
    EXPECT_EQ(result, 24000);
    EXPECT_EQ(dest, mem->Bytes());
    EXPECT_TRUE(onUiThread);
    ASSERT_EQ(progress.size(), 101u); // 100 pieces and the closing empty answer
    EXPECT_TRUE(std::is_sorted(progress.begin(), progress.end()));
    EXPECT_EQ(progress.back(), 1000);
    // The read set the repeat parameters for every later exchange.
    EXPECT_EQ(rig.connector->GetRepeatLimit(), 5u);
    EXPECT_EQ(rig.connector->GetRepeatTime(), 2000u);
    // Log lines of the worker reached the sink in order.
    ui.PumpAll();
    std::size_t receives = 0;
    for (const auto& t : rig.log.Texts())
        receives += t.rfind("Receive  Adr \"S\" Nr 023 :", 0) == 0;
    EXPECT_EQ(receives, 101u);
}

TEST(AsyncRead, SecondReadIsRefusedAndCancelGivesMinusTwo)
{
    TQueueDispatcher ui;
    TLinkRig rig(ui.Dispatcher());
    auto mem = std::make_shared<sim::TSimMemory>(Pattern(4800));
    TGate gate;
    rig.simulator->SetHandler('R', 23, [&, mem](const TSimRequest& r) -> sim::TSimAnswer {
        if (GetU32(r.Data, 0) == 480)
            gate.Pass();
        return mem->Read(GetU32(r.Data, 0), 240);
    });
    std::int32_t result = -100;
    rig.connector->SetOnAsyncDone([&](std::int32_t r) { result = r; });
    std::vector<std::uint8_t> dest(4800), other(10);
    rig.connector->StartAsyncRead('R', 23, 0, dest);
    ASSERT_TRUE(gate.WaitForWaiter());
    try {
        rig.connector->StartAsyncRead('R', 23, 0, other);
        ADD_FAILURE() << "a second read was started";
    } catch (const EDvxV24Error& e) {
        EXPECT_STREQ(e.what(), "Asynchron Transfer still active!");
    }
    EXPECT_TRUE(rig.connector->IsAsyncActive());
    rig.connector->Cancel();
    gate.Open();
    ASSERT_TRUE(ui.PumpUntil([&] { return result != -100; }));
    EXPECT_EQ(result, -2);
    EXPECT_EQ(rig.connector->GetTransferState(), ETransferState::tsIdle);
    // The first read was left alone: what it stored is right.
    const auto bytes = mem->Bytes();
    EXPECT_TRUE(std::equal(dest.begin(), dest.begin() + 720, bytes.begin()));
    // A new read may start once the first has ended.
    result = -100;
    rig.connector->StartAsyncRead('R', 23, 0, dest);
    ASSERT_TRUE(ui.PumpUntil([&] { return result != -100; }));
    EXPECT_EQ(result, 4800);
    EXPECT_EQ(dest, bytes);
}

TEST(AsyncRead, CancelRightAfterTheStartCounts)
{
    TLinkRig rig; // no dispatcher: the completion runs on the worker
    auto mem = rig.InstallMemory(100000);
    std::atomic<std::int32_t> result{-100};
    rig.connector->SetOnAsyncDone([&](std::int32_t r) { result = r; });
    std::vector<std::uint8_t> dest(100000);
    rig.connector->StartAsyncRead('R', 23, 0, dest);
    rig.connector->Cancel();
    ASSERT_TRUE(rig.connector->WaitAsyncEnded(20000));
    EXPECT_EQ(result.load(), -2);
    EXPECT_LT(rig.connector->GetProgressDone(), 100000);
}

TEST(AsyncRead, FailureIsReportedThroughTheState)
{
    TLinkRig rig;
    rig.connector->SetByteTimeout(30);
    rig.InstallMemory(2000);
    rig.simulator->SetSilent(true);
    std::atomic<std::int32_t> result{-100};
    rig.connector->SetOnAsyncDone([&](std::int32_t r) { result = r; });
    std::vector<std::uint8_t> dest(2000);
    rig.connector->StartAsyncRead('R', 23, 0, dest);
    ASSERT_TRUE(rig.connector->WaitAsyncEnded(30000));
    EXPECT_EQ(result.load(), 0);
    EXPECT_EQ(rig.connector->GetTransferState(), ETransferState::tsFailed);
    EXPECT_EQ(rig.connector->LastError(), "Timeout Error. No byte received.");
}

TEST(AsyncRead, DestroyingTheConnectorDuringARead)
{
    TQueueDispatcher ui;
    auto rig = std::make_unique<TLinkRig>(ui.Dispatcher());
    rig->InstallMemory(200000);
    rig->connector->SetByteTimeout(200);
    bool called = false;
    rig->connector->SetOnAsyncDone([&](std::int32_t) { called = true; });
    std::vector<std::uint8_t> dest(200000);
    rig->connector->StartAsyncRead('R', 23, 0, dest);
    rig.reset(); // cancels, waits for the worker, drops what it posted
    ui.PumpAll();
    EXPECT_FALSE(called);
}

} // namespace
} // namespace vro::test
