// The recorder's own frame encoder and receiver against exact byte strings.
#include "sim/simframe.h"

#include <gtest/gtest.h>

namespace vro::sim {
namespace {

using EEvent = TSimFrameReceiver::EEvent;

std::vector<std::uint8_t> B(std::initializer_list<int> l)
{
    std::vector<std::uint8_t> v;
    for (int x : l)
        v.push_back(static_cast<std::uint8_t>(x));
    return v;
}

TEST(SimFrame, EncodesExactBytes)
{
    EXPECT_EQ(EncodeSimFrame('S', 40, {}), B({0x02, 0x02, 0x53, 0x28, 0x82, 0x03}));
    EXPECT_EQ(EncodeSimFrame('C', 40, B({1, 2, 3})), B({0x02, 0x05, 0x43, 0x28, 1, 2, 3, 0x89, 0x03}));
    EXPECT_EQ(EncodeSimFrame('*', 7, B({0xFF, 0xFF, 0xFF})), B({0x02, 0x05, 0x2A, 0x07, 0xFF, 0xFF, 0xFF, 0xCC, 0x03}));
    EXPECT_EQ(EncodeSimFrame('S', 1, std::vector<std::uint8_t>(253)).size(), 259u);
    EXPECT_THROW(EncodeSimFrame('S', 1, std::vector<std::uint8_t>(254)), std::length_error);
    EXPECT_EQ(SimAnswerAddress('R'), 'S');
    EXPECT_EQ(SimAnswerAddress('S'), 'C');
    EXPECT_EQ(SimAnswerAddress('a'), '*');
}

struct TFed {
    std::vector<TSimRequest> frames;
    std::vector<std::uint8_t> idle;
    int bad = 0;
};

TFed FeedAll(TSimFrameReceiver& rx, const std::vector<std::uint8_t>& bytes, std::uint32_t now = 1000)
{
    TFed out;
    for (auto b : bytes)
        switch (rx.Feed(b, now)) {
        case EEvent::Frame: out.frames.push_back(rx.Request()); break;
        case EEvent::IdleByte: out.idle.push_back(b); break;
        case EEvent::BadFrame: ++out.bad; break;
        case EEvent::None: break;
        }
    return out;
}

TEST(SimFrame, ReceivesRequests)
{
    TSimFrameReceiver rx;
    // R 23 with offset 0xF0, preceded by ESC noise and followed by an ENQ.
    auto r = FeedAll(rx, B({0x1B, 0x1B, 0x02, 0x06, 0x52, 0x17, 0xF0, 0, 0, 0, 0xA0, 0x03, 0x05}));
    ASSERT_EQ(r.frames.size(), 1u);
    EXPECT_EQ(r.frames[0].Address, 'R');
    EXPECT_EQ(r.frames[0].Number, 23);
    EXPECT_EQ(r.frames[0].Data, B({0xF0, 0, 0, 0}));
    EXPECT_EQ(r.idle, B({0x1B, 0x1B, 0x05}));
    EXPECT_EQ(r.bad, 0);
}

TEST(SimFrame, DropsBadFrames)
{
    struct Case {
        std::vector<std::uint8_t> bytes;
        const char* what;
    } cases[] = {
        {B({0x02, 0x01}), "length below 2"},
        {B({0x02, 0x00}), "length 0"},
        {B({0x02, 0x02, 0x52, 0x28, 0x84, 0x03}), "check byte"},
        {B({0x02, 0x02, 0x52, 0x28, 0x83, 0x04}), "end byte"},
    };
    for (const auto& c : cases) {
        TSimFrameReceiver rx;
        auto r = FeedAll(rx, c.bytes);
        EXPECT_TRUE(r.frames.empty()) << c.what;
        EXPECT_EQ(r.bad, 1) << c.what;
        EXPECT_FALSE(rx.InFrame()) << c.what;
        // The next good frame is taken.
        auto good = FeedAll(rx, B({0x02, 0x02, 0x52, 0x28, 0x83, 0x03}));
        EXPECT_EQ(good.frames.size(), 1u) << c.what;
    }
}

TEST(SimFrame, GapInsideAFrameStartsOver)
{
    TSimFrameReceiver rx(50);
    FeedAll(rx, B({0x02, 0x06, 0x52}), 1000);
    EXPECT_TRUE(rx.InFrame());
    // 100 ms later a whole frame comes: the torn one is forgotten.
    auto r = FeedAll(rx, B({0x02, 0x02, 0x52, 0x28, 0x83, 0x03}), 1100);
    ASSERT_EQ(r.frames.size(), 1u);
    EXPECT_EQ(r.frames[0].Number, 40);
    EXPECT_EQ(rx.GapResets(), 1u);
}

TEST(SimFrame, LongestFrame)
{
    TSimFrameReceiver rx;
    std::vector<std::uint8_t> data(253);
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<std::uint8_t>(i);
    auto r = FeedAll(rx, EncodeSimFrame('S', 9, data));
    ASSERT_EQ(r.frames.size(), 1u);
    EXPECT_EQ(r.frames[0].Data, data);
}

} // namespace
} // namespace vro::sim
