#include "link/dvxv24logtext.h"

#include "core/util/text.h"

#include "core/util/charset.h"
#include "core/values/dvxdatautils.h"

#include <cstdio>
#include <stdexcept>

namespace vro {

namespace {
std::string Printf(const char* fmt, int a, unsigned b, const std::string& c, int d)
{
    char buf[96];
    std::snprintf(buf, sizeof buf, fmt, a, b, c.c_str(), d);
    return buf;
}

std::string CharOf(std::uint8_t b)
{
    if (b < 32)
        return " ";
    return Latin1ToUtf8(std::string(1, static_cast<char>(b)));
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

} // namespace

std::string DecodeHeaderLine()
{
    char buf[64];
    std::snprintf(buf, sizeof buf, "%4s %3s %2s %4s %7s %13s", "Adr", "Hex", "Ch", "8bit", "16bit", "32bit");
    return buf;
}

std::vector<std::string> DecodeDataBytes(std::span<const std::uint8_t> bytes, EDecodeWindow window)
{
    std::vector<std::string> out;
    if (bytes.empty()) {
        out.emplace_back("no data");
        return out;
    }
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        const std::uint8_t b = bytes[i];
        std::string line = Printf("%3d:  %2X  %1s  %3d", static_cast<int>(i), b, CharOf(b), b);
        char extra[48];
        switch (i % 4) {
        case 1: {
            const auto v16 = static_cast<std::int16_t>(bytes[i - 1] | (bytes[i] << 8));
            std::snprintf(extra, sizeof extra, "  %6d", v16);
            out.push_back(line + extra);
            out.emplace_back(" -----------------------");
            break;
        }
        case 3: {
            const auto v16 = static_cast<std::int16_t>(bytes[i - 1] | (bytes[i] << 8));
            const auto v32 = static_cast<std::int32_t>(
                static_cast<std::uint32_t>(bytes[i - 3]) | (static_cast<std::uint32_t>(bytes[i - 2]) << 8) |
                (static_cast<std::uint32_t>(bytes[i - 1]) << 16) | (static_cast<std::uint32_t>(bytes[i]) << 24));
            std::snprintf(extra, sizeof extra, "  %6d  %12d", v16, v32);
            out.push_back(line + extra);
            out.emplace_back(38, window == EDecodeWindow::Log ? '=' : '-');
            break;
        }
        default: out.push_back(line);
        }
    }
    return out;
}

std::optional<std::vector<std::string>> DecodeFrameLogLine(const std::string& line)
{
    // "%8.3fs: " then a 26-character frame header, then " XX" groups.
    const auto stamp = line.find("s: ");
    if (stamp == std::string::npos)
        return std::nullopt;
    const std::size_t h = stamp + 3;
    constexpr std::size_t kHeader = 26;
    if (line.size() < h + kHeader)
        return std::nullopt;
    const std::string kind = line.substr(h, 9);
    if ((kind != "Transmit " && kind != "Receive  " && kind != "Echo     ") || line.compare(h + 8, 6, " Adr \"") != 0)
        return std::nullopt;
    std::vector<std::uint8_t> bytes;
    for (std::size_t p = h + kHeader; p + 3 <= line.size(); p += 3) {
        const int hi = HexDigit(line[p + 1]), lo = HexDigit(line[p + 2]);
        if (line[p] != ' ' || hi < 0 || lo < 0)
            break; // a group that cannot be read ends the decoding
        bytes.push_back(static_cast<std::uint8_t>(hi * 16 + lo));
    }
    std::vector<std::string> out;
    out.push_back(line.substr(0, std::min<std::size_t>(line.size(), h + kHeader - 1)));
    out.push_back(DecodeHeaderLine());
    out.emplace_back(38, '=');
    // Data: from the fifth byte up to the check byte, as far as the line has them.
    std::span<const std::uint8_t> data;
    if (bytes.size() > 4) {
        std::size_t end = bytes.size();
        if (bytes.size() > 1 && bytes[1] >= 2)
            end = std::min<std::size_t>(end, 4 + static_cast<std::size_t>(bytes[1] - 2));
        data = std::span(bytes).subspan(4, end > 4 ? end - 4 : 0);
    }
    for (auto& l : DecodeDataBytes(data, EDecodeWindow::Log))
        out.push_back(std::move(l));
    return out;
}

std::vector<std::uint8_t> ParseManualData(const std::vector<std::string>& lines)
{
    std::vector<std::uint8_t> out;
    for (const auto& raw : lines) {
        const std::string line(Trim(raw));
        if (line.empty())
            continue;
        const auto colon = line.find(':');
        const std::string valueText(Trim(line.substr(0, colon)));
        int size = 1;
        if (colon != std::string::npos) {
            try {
                size = StrToIntEx(Trim(line.substr(colon + 1)));
            } catch (const std::exception&) {
                size = -1;
            }
        }
        if (size != 1 && size != 2 && size != 4)
            throw std::invalid_argument("Ungültige Datengröße in " + line + ", nur 1,2 und 4 erlaubt.");
        std::int32_t value = 0;
        try {
            value = StrToIntEx(valueText);
        } catch (const std::exception&) {
            throw std::invalid_argument("Ungültige Datenangabe in " + line + ".");
        }
        for (int i = 0; i < size; ++i)
            out.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) >> (8 * i)));
        if (out.size() > 250)
            throw std::invalid_argument("Zuviele Daten angegeben, max 255.");
    }
    return out;
}

} // namespace vro
