// The DVX frame as pure functions over byte buffers, kept apart from the
// receive loop so that they can be tested against exact byte strings and
// fuzzed:
//
//   STX 0x02 | LEN = n + 2 | ADR | NR | n data bytes | CHK | ETX 0x03
//
// CHK is the bitwise NOT of the 8-bit sum of LEN, ADR, NR and the data, so a
// receiver that adds LEN..CHK gets 0xFF. LEN is one byte: at most 253 data
// bytes per frame.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vro::dvx {

constexpr std::uint8_t kStx = 0x02;
constexpr std::uint8_t kEtx = 0x03;
constexpr std::uint8_t kEnq = 0x05;
constexpr std::uint8_t kAck = 0x06;
constexpr std::uint8_t kNak = 0x15;
constexpr std::uint8_t kEsc = 0x1B;
constexpr std::int32_t kMaxFrameData = 253;

// NOT of the 8-bit sum of LEN, ADR, NR and the data bytes.
std::uint8_t FrameCheckByte(std::uint8_t len, std::uint8_t address, std::uint8_t number,
                            std::span<const std::uint8_t> data);
// The whole frame. Raises std::length_error for more than 253 data bytes
// (the LEN byte could not carry the count).
std::vector<std::uint8_t> BuildFrame(char address, std::uint8_t number, std::span<const std::uint8_t> data);

// The answer address a request address expects, and what a received one means.
enum class EAnswerAddress { Expected, Echo, Wrong };
EAnswerAddress ClassifyAnswerAddress(char request, char answer);
// The error text for a wrong answer address.
std::string WrongAddressText(char request, char answer);

// Receives one answer frame byte by byte (or the data as one block), in the
// order and with the checks of the connector, and yields the error text of
// the first fault. It never holds more than 253 data bytes and never writes
// past MaxLen: an over-long answer fails before its data are read.
class TDvxFrameParser {
public:
    enum class EStep {
        Byte,  // wants exactly one byte next
        Block, // wants BlockSize() data bytes next, as one piece
        Done,  // a good answer: Data() holds DataLength() bytes
        Echo,  // a good echo of the request (its data skipped)
        Failed // Error() says why
    };

    // MaxLen: the caller's answer buffer size (0..253 used; larger is capped).
    TDvxFrameParser(char requestAddress, std::uint8_t number, std::int32_t maxLen);

    EStep Step() const { return step_; }
    std::int32_t BlockSize() const { return step_ == EStep::Block ? n_ : 0; }
    // One byte in state Byte.
    EStep FeedByte(std::uint8_t b);
    // BlockSize() bytes in state Block; another size fails the parse.
    EStep FeedBlock(std::span<const std::uint8_t> bytes);

    char ReceivedAddress() const { return address_; }
    bool HaveAddress() const { return haveAddress_; }
    std::int32_t DataLength() const { return n_; }
    std::span<const std::uint8_t> Data() const { return {data_, static_cast<std::size_t>(dataHave_)}; }
    const std::string& Error() const { return error_; }

private:
    enum class EField { Stx, Len, Adr, Nr, Data, EchoData, Chk, Etx };
    EStep Fail(std::string text);
    EStep Expect(std::uint8_t b, std::uint8_t want, const char* what);

    char request_;
    std::uint8_t number_;
    std::int32_t maxLen_;
    EField field_ = EField::Stx;
    EStep step_ = EStep::Byte;
    std::uint8_t sum_ = 0;
    std::int32_t n_ = 0;
    std::int32_t dataHave_ = 0;
    std::int32_t echoLeft_ = 0;
    bool echo_ = false;
    bool haveAddress_ = false;
    char address_ = 0;
    std::uint8_t data_[kMaxFrameData] = {};
    std::string error_;
};

// "Error: %s Received %d, expected %d."
std::string ExpectedByteText(const char* what, int received, int expected);

} // namespace vro::dvx
