// The simulator paced both ways: requests are handled once they would have
// come off the line, answers go out at the line's rate, and the byte counts
// it keeps (what the firmware benchmark's line time is taken from) are the
// exact sizes of the frames exchanged.
#include "link/dvxv24connector.h"
#include "link/dvxv24memoryport.h"
#include "sim/simulator.h"

#include <gtest/gtest.h>

namespace vro::sim {
namespace {

TEST(SimulatorPacing, PacedBothWaysAMultipacketWriteAndReadCarryEveryByteAndAreCountedExactly)
{
    TDvxV24MemoryPortPair pair;
    auto far = pair.TakeB();
    far->OpenEnd();
    TDvxV24Connector connector(pair.TakeA());
    connector.OpenPort(0, 460800);
    auto memory = std::make_shared<TSimMemory>(std::vector<std::uint8_t>(1000, 0));
    TSimulator simulator(*far);
    simulator.InstallMemoryArea('R', 23, 'S', 23, memory);
    simulator.SetPacing(460800);
    simulator.SetRequestPacing(true);
    simulator.Start();

    std::vector<std::uint8_t> source(1000);
    for (std::size_t i = 0; i < source.size(); ++i)
        source[i] = static_cast<std::uint8_t>(i * 13 + 7);
    EXPECT_EQ(connector.WriteMultipacket('S', 23, 240, source), 0);
    std::vector<std::uint8_t> back(1000, 0xFF);
    EXPECT_EQ(connector.ReadMultipacket('R', 23, 0, back), 1000);
    EXPECT_EQ(back, source);
    EXPECT_EQ(memory->Bytes(), source);

    const TSimStats st = simulator.Stats();
    simulator.Stop();
    // Five write packets (frame: 6 bytes around offset and data) answered by
    // ACK and a one-byte status frame; six reads (a 4-byte offset each)
    // answered by ACK and up to 240 bytes, the last one empty.
    EXPECT_EQ(st.FramesReceived, 11u);
    EXPECT_EQ(st.BytesReceived, 5u * 10 + 1000 + 6u * 10);
    EXPECT_EQ(st.BytesSent, 5u * 8 + 6u * 7 + 1000);
}

} // namespace
} // namespace vro::sim
