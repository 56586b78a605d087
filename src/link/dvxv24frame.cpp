#include "link/dvxv24frame.h"

#include <cstdio>
#include <stdexcept>

namespace vro::dvx {

std::uint8_t FrameCheckByte(std::uint8_t len, std::uint8_t address, std::uint8_t number,
                            std::span<const std::uint8_t> data)
{
    std::uint8_t sum = static_cast<std::uint8_t>(len + address + number);
    for (std::uint8_t b : data)
        sum = static_cast<std::uint8_t>(sum + b);
    return static_cast<std::uint8_t>(~sum);
}

std::vector<std::uint8_t> BuildFrame(char address, std::uint8_t number, std::span<const std::uint8_t> data)
{
    if (data.size() > static_cast<std::size_t>(kMaxFrameData))
        throw std::length_error("frame of " + std::to_string(data.size()) + " data bytes; at most 253 fit");
    const auto len = static_cast<std::uint8_t>(data.size() + 2);
    const auto adr = static_cast<std::uint8_t>(address);
    std::vector<std::uint8_t> f;
    f.reserve(data.size() + 6);
    f.push_back(kStx);
    f.push_back(len);
    f.push_back(adr);
    f.push_back(number);
    f.insert(f.end(), data.begin(), data.end());
    f.push_back(FrameCheckByte(len, adr, number, data));
    f.push_back(kEtx);
    return f;
}

EAnswerAddress ClassifyAnswerAddress(char request, char answer)
{
    if (request == 'R')
        return answer == 'S' ? EAnswerAddress::Expected : EAnswerAddress::Wrong;
    if (request == 'S')
        return answer == 'C' ? EAnswerAddress::Expected : EAnswerAddress::Wrong;
    if (answer == '*')
        return EAnswerAddress::Expected;
    return answer == request ? EAnswerAddress::Echo : EAnswerAddress::Wrong;
}

std::string WrongAddressText(char request, char answer)
{
    if (request == 'R')
        return "Error: No S command type received";
    if (request == 'S')
        return "Error: No C command type received";
    return std::string("Error. Received Adr ") + answer + ", not allowed.";
}

std::string ExpectedByteText(const char* what, int received, int expected)
{
    char buf[160];
    std::snprintf(buf, sizeof buf, "Error: %s Received %d, expected %d.", what, received, expected);
    return buf;
}

TDvxFrameParser::TDvxFrameParser(char requestAddress, std::uint8_t number, std::int32_t maxLen)
    : request_(requestAddress), number_(number), maxLen_(maxLen < 0 ? 0 : maxLen)
{}

TDvxFrameParser::EStep TDvxFrameParser::Fail(std::string text)
{
    error_ = std::move(text);
    return step_ = EStep::Failed;
}

TDvxFrameParser::EStep TDvxFrameParser::Expect(std::uint8_t b, std::uint8_t want, const char* what)
{
    if (b != want)
        return Fail(ExpectedByteText(what, b, want));
    return step_;
}

TDvxFrameParser::EStep TDvxFrameParser::FeedByte(std::uint8_t b)
{
    if (step_ != EStep::Byte)
        return Fail("frame parser fed a byte out of turn");
    switch (field_) {
    case EField::Stx:
        if (Expect(b, kStx, "No STX") == EStep::Failed)
            return step_;
        sum_ = 0;
        field_ = EField::Len;
        return step_;
    case EField::Len: {
        sum_ = static_cast<std::uint8_t>(sum_ + b);
        if (b < 2) {
            char buf[64];
            std::snprintf(buf, sizeof buf, "Error. Received len %d, less than 2.", b);
            return Fail(buf);
        }
        n_ = b - 2;
        field_ = EField::Adr;
        return step_;
    }
    case EField::Adr:
        sum_ = static_cast<std::uint8_t>(sum_ + b);
        address_ = static_cast<char>(b);
        haveAddress_ = true;
        switch (ClassifyAnswerAddress(request_, address_)) {
        case EAnswerAddress::Wrong: return Fail(WrongAddressText(request_, address_));
        case EAnswerAddress::Echo: echo_ = true; break;
        case EAnswerAddress::Expected: break;
        }
        field_ = EField::Nr;
        return step_;
    case EField::Nr:
        sum_ = static_cast<std::uint8_t>(sum_ + b);
        if (Expect(b, number_, "Different command number in answer") == EStep::Failed)
            return step_;
        if (echo_) {
            echoLeft_ = n_;
            field_ = echoLeft_ > 0 ? EField::EchoData : EField::Chk;
            return step_;
        }
        if (n_ > maxLen_) {
            char buf[96];
            std::snprintf(buf, sizeof buf, "Error. Received len %d, exceeds the maxlen %d.", n_, maxLen_);
            return Fail(buf);
        }
        if (n_ > 0) {
            field_ = EField::Data;
            return step_ = EStep::Block;
        }
        field_ = EField::Chk;
        return step_;
    case EField::EchoData:
        sum_ = static_cast<std::uint8_t>(sum_ + b);
        if (--echoLeft_ == 0)
            field_ = EField::Chk;
        return step_;
    case EField::Chk:
        sum_ = static_cast<std::uint8_t>(sum_ + b);
        if (sum_ != 0xFF)
            return Fail("Illegal checksum received");
        field_ = EField::Etx;
        return step_;
    case EField::Etx:
        if (Expect(b, kEtx, "No ETX") == EStep::Failed)
            return step_;
        return step_ = echo_ ? EStep::Echo : EStep::Done;
    case EField::Data: break;
    }
    return Fail("frame parser fed a byte out of turn");
}

TDvxFrameParser::EStep TDvxFrameParser::FeedBlock(std::span<const std::uint8_t> bytes)
{
    if (step_ != EStep::Block || field_ != EField::Data)
        return Fail("frame parser fed a block out of turn");
    if (bytes.size() != static_cast<std::size_t>(n_))
        return Fail("Timeout Error. No byte received.");
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        data_[i] = bytes[i];
        sum_ = static_cast<std::uint8_t>(sum_ + bytes[i]);
    }
    dataHave_ = n_;
    field_ = EField::Chk;
    return step_ = EStep::Byte;
}

} // namespace vro::dvx
