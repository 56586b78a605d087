// The recorder's own side of the DVX frame: encoder and receiver, written
// from the recorder's point of view and independent of the connector's
// frame code, so that tests of one against the other prove something.
//
//   STX 0x02 | LEN = n + 2 | ADR | NR | n data | CHK = ~(LEN+ADR+NR+data) | ETX 0x03
#pragma once

#include <cstdint>
#include <span>
#include <vector>

namespace vro::sim {

struct TSimRequest {
    char Address = 0;
    std::uint8_t Number = 0;
    std::vector<std::uint8_t> Data;
};

// An answer or request frame. More than 253 data bytes raise std::length_error.
std::vector<std::uint8_t> EncodeSimFrame(char address, std::uint8_t number, std::span<const std::uint8_t> data);

// The address the recorder answers with: S for R, C for S, * for sensor addresses.
char SimAnswerAddress(char requestAddress);

// Length-driven receive state machine. Bytes outside a frame (anything but
// STX while idle: ENQ, ESC, the null and 0x55 sequences) come back as idle
// bytes; a frame whose LEN is below 2, whose check byte is wrong or whose ETX
// is missing is dropped and counted; a pause of more than GapMs inside a
// frame drops the partial frame and starts over with the new byte.
class TSimFrameReceiver {
public:
    enum class EEvent { None, Frame, BadFrame, IdleByte };

    explicit TSimFrameReceiver(std::uint32_t gapMs = 100) : gapMs_(gapMs) {}
    void SetGapMs(std::uint32_t ms) { gapMs_ = ms; }

    EEvent Feed(std::uint8_t b, std::uint32_t nowMs);
    // The last complete frame (valid after EEvent::Frame).
    const TSimRequest& Request() const { return request_; }
    std::uint8_t IdleByte() const { return idleByte_; }
    bool InFrame() const { return state_ != EState::Idle; }
    void Reset() { state_ = EState::Idle; }

    std::uint64_t BadFrames() const { return badFrames_; }
    std::uint64_t GapResets() const { return gapResets_; }

private:
    enum class EState { Idle, Len, Adr, Nr, Data, Chk, Etx };
    EEvent Bad();

    std::uint32_t gapMs_;
    EState state_ = EState::Idle;
    std::uint32_t lastMs_ = 0;
    std::uint8_t len_ = 0;
    std::uint8_t sum_ = 0;
    std::uint8_t chk_ = 0;
    std::size_t want_ = 0;
    TSimRequest request_;
    TSimRequest building_;
    std::uint8_t idleByte_ = 0;
    std::uint64_t badFrames_ = 0;
    std::uint64_t gapResets_ = 0;
};

} // namespace vro::sim
