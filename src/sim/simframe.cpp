#include "sim/simframe.h"

#include <stdexcept>
#include <string>

namespace vro::sim {

namespace {
constexpr std::uint8_t kStart = 0x02;
constexpr std::uint8_t kEnd = 0x03;
} // namespace

std::vector<std::uint8_t> EncodeSimFrame(char address, std::uint8_t number, std::span<const std::uint8_t> data)
{
    if (data.size() > 253)
        throw std::length_error("simulated recorder: answer of " + std::to_string(data.size()) +
                                " bytes does not fit one frame");
    std::vector<std::uint8_t> out(data.size() + 6);
    out[0] = kStart;
    out[1] = static_cast<std::uint8_t>(data.size() + 2);
    out[2] = static_cast<std::uint8_t>(address);
    out[3] = number;
    unsigned sum = out[1] + out[2] + out[3];
    for (std::size_t i = 0; i < data.size(); ++i) {
        out[4 + i] = data[i];
        sum += data[i];
    }
    out[4 + data.size()] = static_cast<std::uint8_t>(0xFF - (sum & 0xFF));
    out[5 + data.size()] = kEnd;
    return out;
}

char SimAnswerAddress(char requestAddress)
{
    switch (requestAddress) {
    case 'R': return 'S';
    case 'S': return 'C';
    default: return '*';
    }
}

TSimFrameReceiver::EEvent TSimFrameReceiver::Bad()
{
    ++badFrames_;
    state_ = EState::Idle;
    return EEvent::BadFrame;
}

TSimFrameReceiver::EEvent TSimFrameReceiver::Feed(std::uint8_t b, std::uint32_t nowMs)
{
    if (state_ != EState::Idle && static_cast<std::int32_t>(nowMs - lastMs_) > static_cast<std::int32_t>(gapMs_)) {
        // The sender paused inside a frame: what came so far is no frame.
        ++gapResets_;
        state_ = EState::Idle;
    }
    lastMs_ = nowMs;
    switch (state_) {
    case EState::Idle:
        if (b == kStart) {
            building_.Data.clear();
            state_ = EState::Len;
            return EEvent::None;
        }
        idleByte_ = b;
        return EEvent::IdleByte;
    case EState::Len:
        if (b < 2)
            return Bad();
        len_ = b;
        sum_ = b;
        want_ = static_cast<std::size_t>(b - 2);
        state_ = EState::Adr;
        return EEvent::None;
    case EState::Adr:
        building_.Address = static_cast<char>(b);
        sum_ = static_cast<std::uint8_t>(sum_ + b);
        state_ = EState::Nr;
        return EEvent::None;
    case EState::Nr:
        building_.Number = b;
        sum_ = static_cast<std::uint8_t>(sum_ + b);
        state_ = want_ > 0 ? EState::Data : EState::Chk;
        return EEvent::None;
    case EState::Data:
        building_.Data.push_back(b);
        sum_ = static_cast<std::uint8_t>(sum_ + b);
        if (building_.Data.size() == want_)
            state_ = EState::Chk;
        return EEvent::None;
    case EState::Chk:
        if (static_cast<std::uint8_t>(sum_ + b) != 0xFF)
            return Bad();
        state_ = EState::Etx;
        return EEvent::None;
    case EState::Etx:
        if (b != kEnd)
            return Bad();
        request_ = std::move(building_);
        building_ = TSimRequest{};
        state_ = EState::Idle;
        return EEvent::Frame;
    }
    return EEvent::None;
}

} // namespace vro::sim
