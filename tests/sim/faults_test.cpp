// Multi-packet reads through the connector while the simulated recorder
// injects faults: every read either returns exactly the recorder's bytes or
// fails with one of the connector's errors once its repeats are used up.
// Never silently wrong data.
#include "link/dvxv24connector.h"
#include "link/dvxv24memoryport.h"
#include "sim/simulator.h"

#include <gtest/gtest.h>

#include <random>

namespace vro::sim {
namespace {

struct TRig {
    explicit TRig(std::size_t size)
    {
        TDvxV24MemoryPortPair pair;
        far = pair.TakeB();
        far->OpenEnd();
        connector = std::make_unique<TDvxV24Connector>(pair.TakeA());
        // A fast line keeps the repeat pauses (300 and 1000 byte times) short.
        connector->OpenPort(0, 4'000'000);
        connector->SetByteTimeout(25);
        memory = std::make_shared<TSimMemory>(Bytes(size));
        simulator = std::make_unique<TSimulator>(*far);
        simulator->InstallMemoryArea('R', 23, 'S', 23, memory);
        simulator->SetDelayMs(40); // longer than the byte time-out: the answer comes too late
        simulator->Start();
    }
    ~TRig()
    {
        connector.reset();
        simulator->Stop();
    }
    static std::vector<std::uint8_t> Bytes(std::size_t n)
    {
        std::mt19937 g(42);
        std::vector<std::uint8_t> v(n);
        for (auto& b : v)
            b = static_cast<std::uint8_t>(g());
        return v;
    }
    std::unique_ptr<TDvxV24MemoryPort> far;
    std::unique_ptr<TDvxV24Connector> connector;
    std::shared_ptr<TSimMemory> memory;
    std::unique_ptr<TSimulator> simulator;
};

bool IsConnectorError(const std::string& e)
{
    for (const char* known :
         {"Timeout Error. No byte received.", "Timeout Error in Block. No byte received.", "Error: No STX Received",
          "Error: No ACK Received", "Error: Different command number in answer", "Error: No ETX Received",
          "Error. Received len", "Error: No S command type received", "Illegal checksum received",
          "Multipacket Error: Received len"})
        if (e.rfind(known, 0) == 0)
            return true;
    return false;
}

TEST(Faults, EachKindIsCaughtAndRepeated)
{
    const struct {
        ESimFault fault;
        const char* error; // with no repeats allowed; empty: depends on the byte hit
    } cases[] = {
        {ESimFault::LoseAnswer, "Timeout Error. No byte received."},
        {ESimFault::Silent, "Timeout Error. No byte received."},
        {ESimFault::Delay, "Timeout Error. No byte received."},
        {ESimFault::WrongAddress, "Error: No S command type received"},
        {ESimFault::Garbage, ""},
        {ESimFault::FlipBit, ""},
    };
    for (const auto& c : cases) {
        TRig rig(1000);
        std::vector<std::uint8_t> dest(1000);
        rig.simulator->InjectFault(c.fault);
        EXPECT_EQ(rig.connector->ReadMultipacket('R', 23, 0, dest), 0) << SimFaultName(c.fault);
        EXPECT_EQ(rig.connector->GetTransferState(), ETransferState::tsFailed);
        if (*c.error)
            EXPECT_EQ(rig.connector->LastError(), c.error) << SimFaultName(c.fault);
        else
            EXPECT_TRUE(IsConnectorError(rig.connector->LastError())) << rig.connector->LastError();
        // With one repeat the same fault costs nothing.
        rig.connector->SetRepeatLimit(1);
        rig.connector->SetRepeatTime(10000);
        rig.simulator->InjectFault(c.fault);
        EXPECT_EQ(rig.connector->ReadMultipacket('R', 23, 0, dest), 1000) << SimFaultName(c.fault);
        EXPECT_EQ(rig.connector->GetTransferState(), ETransferState::tsIdle);
        EXPECT_EQ(dest, rig.memory->Bytes()) << SimFaultName(c.fault);
    }
}

TEST(Faults, ThousandsOfRandomFaultsNeverCorruptData)
{
    TRig rig(2400);
    rig.connector->SetRepeatLimit(5);
    rig.connector->SetRepeatTime(100000);
    rig.simulator->SetRandomFaults(0.35,
                                   {ESimFault::LoseAnswer, ESimFault::FlipBit, ESimFault::Garbage, ESimFault::Delay,
                                    ESimFault::Silent, ESimFault::WrongAddress},
                                   7);
    const auto truth = rig.memory->Bytes();
    int reads = 0, good = 0, failed = 0, corrupt = 0;
    while (rig.simulator->Stats().FaultsTotal() < 1000) {
        std::vector<std::uint8_t> dest(truth.size());
        const std::int32_t got = rig.connector->ReadMultipacket('R', 23, 0, dest);
        ++reads;
        if (rig.connector->GetTransferState() == ETransferState::tsIdle) {
            if (got == static_cast<std::int32_t>(truth.size()) && dest == truth)
                ++good;
            else
                ++corrupt;
        } else {
            ++failed;
            EXPECT_TRUE(IsConnectorError(rig.connector->LastError())) << rig.connector->LastError();
            // What was read before the failure is right, too.
            EXPECT_TRUE(std::equal(dest.begin(), dest.begin() + got, truth.begin()));
        }
    }
    const auto stats = rig.simulator->Stats();
    for (std::size_t k = 1; k < kSimFaultKinds; ++k)
        EXPECT_GT(stats.Faults[k], 50u) << SimFaultName(static_cast<ESimFault>(k));
    EXPECT_GE(stats.FaultsTotal(), 1000u);
    EXPECT_EQ(corrupt, 0);
    EXPECT_GT(good, failed);
    std::printf("[faults] %llu injected over %d reads: %d exact, %d failed, %d corrupt\n",
                static_cast<unsigned long long>(stats.FaultsTotal()), reads, good, failed, corrupt);
}

TEST(Faults, WritesUnderFaultsLandExactlyOrFail)
{
    TRig rig(2400);
    rig.connector->SetRepeatLimit(5);
    rig.connector->SetRepeatTime(100000);
    rig.simulator->SetRandomFaults(0.3, {ESimFault::LoseAnswer, ESimFault::FlipBit, ESimFault::WrongAddress}, 3);
    for (int round = 0; round < 20; ++round) {
        std::vector<std::uint8_t> src(2400);
        for (std::size_t i = 0; i < src.size(); ++i)
            src[i] = static_cast<std::uint8_t>(i * 13 + round);
        try {
            rig.connector->WriteMultipacket('S', 23, 240, src);
            EXPECT_EQ(rig.memory->Bytes(), src);
        } catch (const EDvxV24Error&) {
            EXPECT_EQ(rig.connector->GetTransferState(), ETransferState::tsFailed);
        }
    }
}

} // namespace
} // namespace vro::sim
