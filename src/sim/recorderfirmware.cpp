#include "sim/recorderfirmware.h"

#include "core/util/bytes.h"

#include <algorithm>
#include <stdexcept>

namespace vro::sim {

namespace {

constexpr std::size_t kVersionBytes = 14;
constexpr std::size_t kArea1VersionAt = 0x3BF00;
constexpr std::size_t kArea0VersionAt = 0x79C0;
constexpr std::size_t kArea0OldVersionAt = 0x7980;
constexpr std::size_t kOwnFrom = 20;
constexpr std::size_t kOwnTo = 24;

void PutVersion(std::vector<std::uint8_t>& image, std::size_t at, const std::string& text)
{
    for (std::size_t i = 0; i < kVersionBytes; ++i)
        image[at + i] = i < text.size() ? static_cast<std::uint8_t>(text[i]) : 0;
}

long ParseNumber(const std::string& option, const std::string& text, long lo, long hi)
{
    std::size_t used = 0;
    long v = 0;
    try {
        v = std::stol(text, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (text.empty() || used != text.size() || v < lo || v > hi)
        throw std::invalid_argument(option + ": \"" + text + "\" is not a number " + std::to_string(lo) + ".." +
                                    std::to_string(hi));
    return v;
}

std::vector<std::string> Fields(const std::string& text, char sep)
{
    std::vector<std::string> out;
    std::size_t start = 0;
    for (;;) {
        const std::size_t at = text.find(sep, start);
        out.push_back(text.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos)
            return out;
        start = at + 1;
    }
}

} // namespace

std::array<std::chrono::milliseconds, 2> ParseEraseTimes(const std::string& text)
{
    const auto f = Fields(text, ',');
    if (f.size() != 2)
        throw std::invalid_argument("--fw-erase-ms: \"" + text + "\" is not A0,A1");
    return {std::chrono::milliseconds(ParseNumber("--fw-erase-ms", f[0], 0, 600000)),
            std::chrono::milliseconds(ParseNumber("--fw-erase-ms", f[1], 0, 600000))};
}

TBadByteOption ParseBadByte(const std::string& text)
{
    const auto f = Fields(text, ':');
    if (f.size() != 2 && f.size() != 3)
        throw std::invalid_argument("--fw-bad-byte: \"" + text + "\" is not AREA:OFFSET[:WRITES]");
    const int area = static_cast<int>(ParseNumber("--fw-bad-byte", f[0], 0, 1));
    const long max = static_cast<long>(area == 0 ? TSimFirmware::kArea0Bytes : TSimFirmware::kArea1Bytes) - 1;
    TBadByteOption o;
    o.Cell = {area, static_cast<std::size_t>(ParseNumber("--fw-bad-byte", f[1], 0, max))};
    if (f.size() == 3)
        o.Writes = ParseNumber("--fw-bad-byte", f[2], 1, 1000000);
    return o;
}

TSimFirmwareConfig::TPowerLoss ParsePowerLoss(const std::string& text)
{
    const auto f = Fields(text, ':');
    if (f.size() != 2 && f.size() != 3)
        throw std::invalid_argument("--fw-power-loss: \"" + text + "\" is not AREA:N[:MS]");
    TSimFirmwareConfig::TPowerLoss p;
    p.Area = static_cast<int>(ParseNumber("--fw-power-loss", f[0], 0, 1));
    p.Packets = ParseNumber("--fw-power-loss", f[1], 0, 1000000);
    if (f.size() == 3)
        p.Off = std::chrono::milliseconds(ParseNumber("--fw-power-loss", f[2], 0, 600000));
    return p;
}

TSimFirmware::TSimFirmware()
{
    // The factory firmware: erased flash with the version texts.
    running_[0].assign(kArea0Bytes, 0xFF);
    running_[1].assign(kArea1Bytes, 0xFF);
    PutVersion(running_[0], kArea0VersionAt, "VRO8K-S 1.07");
    PutVersion(running_[1], kArea1VersionAt, "VRO8K-M 2.10");
    stored_ = running_;
}

bool TSimFirmware::TakeActivation(TClock::time_point now)
{
    if (!activationPending_ || Asleep(now))
        return false;
    activationPending_ = false;
    running_ = stored_;
    ++activations_;
    const std::string text = VersionAt(1, running_[1]);
    identText_ = text.empty() ? std::nullopt : std::optional<std::string>(text);
    return true;
}

TSimFirmware::TWriteAnswer TSimFirmware::Write(int area, std::span<const std::uint8_t> packet, TClock::time_point now)
{
    const std::size_t s = Slot(area);
    std::vector<std::uint8_t>& flash = stored_[s];
    if (packet.size() < 4)
        return {false, 1, {}};
    const std::uint32_t offset = GetU32(packet, 0);
    const std::size_t n = packet.size() - 4;
    if (offset > flash.size() || n > flash.size() - offset)
        return {false, 2, {}};

    TWriteAnswer answer;
    if (offset == 0) {
        std::fill(flash.begin(), flash.end(), 0xFF);
        erased_[s] = true;
        complete_[s] = false;
        intact_[s] = true;
        sinceErase_[s] = 0;
        ++writes_[s];
        answer.Delay = config_.EraseTime[s];
    }
    const bool cellFails = config_.BadByte && config_.BadByte->first == area &&
                           (config_.BadByteWrites <= 0 || writes_[s] <= config_.BadByteWrites);
    if (config_.PowerLoss && !powerLossDone_ && config_.PowerLoss->Area == area && erased_[s] &&
        sinceErase_[s] >= config_.PowerLoss->Packets) {
        // The lights go out: this packet is lost, nothing is activated.
        powerLossDone_ = true;
        asleepUntil_ = now + config_.PowerLoss->Off;
        erased_ = {};
        complete_ = {};
        activationPending_ = false;
        return {true, 0, {}};
    }
    for (std::size_t i = 0; i < n; ++i) {
        std::uint8_t b = packet[4 + i];
        if (cellFails && config_.BadByte->second == offset + i) {
            b ^= 0x01;
            intact_[s] = false;
        }
        flash[offset + i] = b;
    }
    ++packets_[s];
    ++sinceErase_[s];
    if (erased_[s] && offset + n == flash.size())
        complete_[s] = true;
    return answer;
}

void TSimFirmware::PatchReadPiece(int area, std::uint32_t offset, std::vector<std::uint8_t>& piece) const
{
    if (area != 1 || !config_.OwnBytes)
        return;
    for (std::size_t i = kOwnFrom; i < kOwnTo; ++i)
        if (i >= offset && i - offset < piece.size())
            piece[i - offset] ^= 0x5A;
}

void TSimFirmware::ReadAnswered(int area, std::uint32_t offset, std::size_t bytes, TClock::time_point now)
{
    if (area != 1 || bytes != 0 || offset != kArea1Bytes)
        return;
    if (!(complete_[0] && complete_[1] && intact_[0] && intact_[1]))
        return;
    // Once per complete write of both areas.
    erased_ = {};
    complete_ = {};
    activationPending_ = true;
    asleepUntil_ = now + config_.ActivateTime;
}

std::vector<std::uint8_t> TSimFirmware::VersionAnswer(int area) const
{
    const std::string text = VersionAt(area, running_[Slot(area)]);
    std::vector<std::uint8_t> out(kVersionBytes, 0);
    std::copy(text.begin(), text.end(), out.begin());
    return out;
}

std::string TSimFirmware::VersionAt(int area, const std::vector<std::uint8_t>& image)
{
    std::size_t at = kArea1VersionAt;
    if (area == 0) {
        static const std::string kMarked = "VRO8K-S ";
        at = std::equal(kMarked.begin(), kMarked.end(), image.begin() + kArea0VersionAt) ? kArea0VersionAt
                                                                                         : kArea0OldVersionAt;
    }
    std::string text;
    for (std::size_t i = 0; i < kVersionBytes && image[at + i] != 0 && image[at + i] != 0xFF; ++i)
        text += static_cast<char>(image[at + i]);
    return text;
}

std::string TSimFirmware::Summary() const
{
    return "firmware: area 0 " + std::to_string(packets_[0]) + " packets, area 1 " + std::to_string(packets_[1]) +
           " packets, " + std::to_string(activations_) + " activations";
}

} // namespace vro::sim
