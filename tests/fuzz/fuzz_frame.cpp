// Arbitrary bytes into both frame receivers: the connector's answer parser
// (with request address, number and buffer size taken from the input) and
// the simulated recorder's request receiver. Neither may read or write
// outside its buffers, and what they accept must be a well-formed frame.
#include "link/dvxv24frame.h"
#include "sim/simframe.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 3)
        return 0;
    const char address = static_cast<char>(data[0]);
    const std::uint8_t number = data[1];
    const std::int32_t maxLen = data[2];
    data += 3;
    size -= 3;

    vro::dvx::TDvxFrameParser parser(address, number, maxLen);
    std::size_t i = 0;
    using EStep = vro::dvx::TDvxFrameParser::EStep;
    while (i < size) {
        if (parser.Step() == EStep::Byte) {
            parser.FeedByte(data[i++]);
        } else if (parser.Step() == EStep::Block) {
            const auto n = static_cast<std::size_t>(parser.BlockSize());
            if (n > 253 || n > static_cast<std::size_t>(maxLen))
                std::abort(); // a block the caller's buffer cannot hold
            if (i + n > size)
                break;
            parser.FeedBlock({data + i, n});
            i += n;
        } else {
            break;
        }
    }
    if (parser.Step() == EStep::Done) {
        const auto d = parser.Data();
        // An accepted answer rebuilds to exactly the bytes it came from.
        const auto again = vro::dvx::BuildFrame(parser.ReceivedAddress(), number, d);
        if (again.size() > i || !std::equal(again.begin(), again.end(), data + i - again.size()))
            std::abort();
    }

    vro::sim::TSimFrameReceiver rx(50);
    std::uint32_t now = 0;
    for (std::size_t k = 0; k < size; ++k) {
        // Every 64th byte comes after a pause, to reach the gap reset.
        now += (k % 64 == 63) ? 100 : 1;
        if (rx.Feed(data[k], now) == vro::sim::TSimFrameReceiver::EEvent::Frame) {
            const auto& r = rx.Request();
            const auto f = vro::sim::EncodeSimFrame(r.Address, r.Number, r.Data);
            if (f.size() > k + 1 || !std::equal(f.begin(), f.end(), data + k + 1 - f.size()))
                std::abort();
        }
    }
    return 0;
}
