#include "app/diag/v24decode.h"

#include "core/util/charset.h"
#include "core/values/dvxdatautils.h"

#include <cstdio>

namespace vro::app {

namespace {

std::string Format(const char* fmt, auto... args)
{
    const int n = std::snprintf(nullptr, 0, fmt, args...);
    if (n <= 0)
        return {};
    std::string out(static_cast<std::size_t>(n) + 1, '\0');
    std::snprintf(out.data(), out.size(), fmt, args...);
    out.resize(static_cast<std::size_t>(n));
    return out;
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

std::string DecodeHeaderLine() { return Format("%4s %3s %2s %4s %7s %13s", "Adr", "Hex", "Ch", "8bit", "16bit", "32bit"); }

std::vector<std::string> DecodeDataBytes(const std::vector<std::uint8_t>& data, char groupChar)
{
    std::vector<std::string> out;
    for (std::size_t i = 0; i < data.size(); ++i) {
        const std::uint8_t b = data[i];
        // The byte as a character of the wire's code page (ISO-8859-1).
        const std::string ch = b < 32 ? std::string(" ") : vro::Latin1ToUtf8(std::string(1, static_cast<char>(b)));
        std::string line = Format("%3d:  %2X  %1s  %3d", static_cast<int>(i), b, ch.c_str(), b);
        const int phase = static_cast<int>(i % 4);
        if (phase == 1 || phase == 3) {
            const auto v16 = static_cast<std::int16_t>(data[i - 1] | (data[i] << 8));
            line += Format("  %6d", v16);
        }
        if (phase == 3) {
            const auto v32 = static_cast<std::int32_t>(static_cast<std::uint32_t>(data[i - 3]) |
                                                       (static_cast<std::uint32_t>(data[i - 2]) << 8) |
                                                       (static_cast<std::uint32_t>(data[i - 1]) << 16) |
                                                       (static_cast<std::uint32_t>(data[i]) << 24));
            line += Format("  %12d", v32);
        }
        out.push_back(line);
        if (phase == 1)
            out.push_back(" -----------------------");
        if (phase == 3)
            out.push_back(std::string(38, groupChar));
    }
    return out;
}

bool IsFrameLine(const std::string& line) { return line.size() >= 25 && line.compare(19, 6, " Adr \"") == 0; }

std::vector<std::string> DecodeFrameLine(const std::string& line)
{
    if (!IsFrameLine(line))
        return {};
    std::vector<std::string> out;
    out.push_back(line.substr(0, 36));
    out.push_back(DecodeHeaderLine());
    out.push_back(std::string(38, '='));
    std::vector<std::uint8_t> frame;
    bool complete = true;
    // Group i is " XX" at (1-based) character 38 + 3i.
    for (std::size_t pos = 37; pos < line.size(); pos += 3) {
        if (pos + 2 >= line.size()) {
            complete = false;
            break;
        }
        const int hi = HexDigit(line[pos + 1]);
        const int lo = HexDigit(line[pos + 2]);
        if (line[pos] != ' ' || hi < 0 || lo < 0) {
            complete = false;
            break;
        }
        frame.push_back(static_cast<std::uint8_t>(hi * 16 + lo));
    }
    // Data bytes: from the fifth byte up to the check byte (the last two are
    // the check byte and ETX when the line is whole).
    std::vector<std::uint8_t> data;
    const std::size_t end = complete ? (frame.size() >= 2 ? frame.size() - 2 : 0) : frame.size();
    for (std::size_t i = 4; i < end; ++i)
        data.push_back(frame[i]);
    if (data.empty()) {
        out.push_back("no data");
        return out;
    }
    for (std::string& l : DecodeDataBytes(data, '='))
        out.push_back(std::move(l));
    return out;
}

TManualData ParseManualData(const std::vector<std::string>& lines)
{
    TManualData r;
    for (const std::string& raw : lines) {
        const std::string line = vro::DvxTrim(raw);
        if (line.empty())
            continue;
        const auto colon = line.find(':');
        const std::string valueText = vro::DvxTrim(line.substr(0, colon));
        int size = 1;
        if (colon != std::string::npos) {
            const std::string sizeText = vro::DvxTrim(line.substr(colon + 1));
            size = vro::StrToIntExDef(sizeText, -1);
        }
        if (size != 1 && size != 2 && size != 4) {
            r.bytes.clear();
            r.error = Format("Ungültige Datengröße in %s, nur 1,2 und 4 erlaubt.", line.c_str());
            return r;
        }
        std::int64_t value = 0;
        try {
            value = vro::StrToInt64Ex(valueText);
        } catch (const std::exception&) {
            r.bytes.clear();
            r.error = Format("Ungültige Datenangabe in %s.", line.c_str());
            return r;
        }
        for (int k = 0; k < size; ++k)
            r.bytes.push_back(static_cast<std::uint8_t>((static_cast<std::uint64_t>(value) >> (8 * k)) & 0xFF));
        if (r.bytes.size() > 250) {
            r.bytes.clear();
            r.error = "Zuviele Daten angegeben, max 255.";
            return r;
        }
    }
    return r;
}

std::optional<std::uint8_t> ParseManualNumber(const std::string& text)
{
    const std::int32_t n = vro::StrToIntExDef(vro::DvxTrim(text), -1);
    if (n < 0 || n > 255)
        return std::nullopt;
    return static_cast<std::uint8_t>(n);
}

} // namespace vro::app
