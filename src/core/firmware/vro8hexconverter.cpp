#include "core/firmware/vro8hexconverter.h"

#include "core/util/charset.h"
#include "core/util/md5.h"

#include <algorithm>

namespace vro {

namespace {

constexpr std::uint64_t kIgnoredFrom = 0x40000;
constexpr std::uint64_t kArea0First = 0x8000;
constexpr std::uint64_t kArea0Last = 0xF9FF;
constexpr std::size_t kVersionLength = 14;

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// The trimmed line (characters up to the space cut at both ends), lower-cased.
std::string TrimLower(std::string_view line)
{
    std::size_t b = 0;
    std::size_t e = line.size();
    while (b < e && static_cast<unsigned char>(line[b]) <= ' ')
        ++b;
    while (e > b && static_cast<unsigned char>(line[e - 1]) <= ' ')
        --e;
    std::string out(line.substr(b, e - b));
    for (char& c : out)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::string_view TrimView(std::string_view line)
{
    while (!line.empty() && static_cast<unsigned char>(line.front()) <= ' ')
        line.remove_prefix(1);
    while (!line.empty() && static_cast<unsigned char>(line.back()) <= ' ')
        line.remove_suffix(1);
    return line;
}

std::string Decode(std::string_view encoded)
{
    std::string out(encoded);
    for (char& c : out) {
        if (c == 'I')
            c = '\r';
        else if (c == 'J')
            c = '\n';
        else if (c == 'T')
            c = ':';
    }
    return out;
}

std::string Encode(std::string_view text)
{
    std::string out(text);
    for (char& c : out) {
        if (c == '\r')
            c = 'I';
        else if (c == '\n')
            c = 'J';
        else if (c == ':')
            c = 'T';
    }
    return out;
}

void AppendHexByte(std::string& out, unsigned value)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    out += kDigits[(value >> 4) & 0xF];
    out += kDigits[value & 0xF];
}

void AppendRecord(std::string& out, std::uint16_t address, std::uint8_t type, const std::uint8_t* data, std::size_t n)
{
    unsigned sum = static_cast<unsigned>(n) + (address >> 8) + (address & 0xFF) + type;
    out += ':';
    AppendHexByte(out, static_cast<unsigned>(n));
    AppendHexByte(out, address >> 8);
    AppendHexByte(out, address & 0xFF);
    AppendHexByte(out, type);
    for (std::size_t i = 0; i < n; ++i) {
        AppendHexByte(out, data[i]);
        sum += data[i];
    }
    AppendHexByte(out, (0x100 - (sum & 0xFF)) & 0xFF);
    out += "\r\n";
}

class THexLineReader {
public:
    THexLineReader(int area, std::size_t lineNumber, const std::string& line)
        : area_(area), number_(lineNumber), line_(line)
    {}
    // The byte at character position pos (two hexadecimal digits).
    std::uint8_t Byte(std::size_t pos) const
    {
        if (pos + 2 > line_.size())
            Fail("the record is shorter than its byte count");
        const int hi = HexDigit(line_[pos]);
        const int lo = HexDigit(line_[pos + 1]);
        if (hi < 0 || lo < 0)
            Fail(std::string("\"") + line_[pos] + line_[pos + 1] + "\" is not a hexadecimal byte");
        return static_cast<std::uint8_t>(hi * 16 + lo);
    }
    [[noreturn]] void Fail(const std::string& what) const
    {
        throw EReConvert("area " + std::to_string(area_) + ", HEX line " + std::to_string(number_) + ": " + what);
    }

private:
    int area_;
    std::size_t number_;
    const std::string& line_;
};

} // namespace

std::vector<std::string> SplitTextLines(std::string_view text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            lines.emplace_back(text.substr(start, i - start));
            i += (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ? 2 : 1;
            start = i;
        } else {
            ++i;
        }
    }
    if (start < text.size())
        lines.emplace_back(text.substr(start));
    return lines;
}

std::string JoinUpdateFileLines(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() + 2);
    for (const std::string& line : SplitTextLines(bytes)) {
        out += line;
        out += "\r\n";
    }
    return out;
}

bool TVro8000HexConverter::Split(std::string_view text, std::vector<std::string>& area0Lines, std::string& hardwareCode,
                                 std::vector<std::string>& area1Lines)
{
    area0Lines.clear();
    area1Lines.clear();
    hardwareCode.clear();
    const std::size_t eq = text.find('=');
    if (eq == std::string_view::npos || text.size() - eq - 1 < 2)
        throw EReConvert("the file holds no hardware code (\"=\" and two characters)");
    hardwareCode.assign(text.substr(eq + 1, 2));
    if (hardwareCode != "01" && hardwareCode != "02" && hardwareCode != "04")
        return false;

    constexpr std::size_t kCheckLine = 34; // 32 digits, CR, LF
    if (text.size() < kCheckLine)
        throw EReConvert("the file is shorter than its MD5 line");
    const std::string_view expected = text.substr(text.size() - kCheckLine, 32);
    const std::string_view body = text.substr(0, text.size() - kCheckLine);
    if (Md5Hex(body) != expected)
        throw EReConvert("the MD5 line does not match the text before it");

    // The last "=" is searched from the body's second-to-last character on.
    if (body.size() < 2)
        throw EReConvert("the file holds no area texts");
    const std::size_t last = body.rfind('=', body.size() - 2);
    if (last == std::string_view::npos || last == 0)
        throw EReConvert("the file holds no area texts (two \"=\" are needed)");
    const std::size_t previous = body.rfind('=', last - 1);
    if (previous == std::string_view::npos)
        throw EReConvert("the file holds only one area text (two \"=\" are needed)");

    area0Lines = SplitTextLines(Decode(body.substr(previous + 1, last - previous - 1)));
    area1Lines = SplitTextLines(Decode(body.substr(last + 1)));
    return true;
}

TVro8HexImage LoadHexImage(int area, const std::vector<std::string>& lines)
{
    TVro8HexImage out;
    out.Image.assign(Vro8AreaSize(area), 0xFF);
    std::uint64_t base = 0;
    bool endSeen = false;
    std::size_t number = 0;
    for (const std::string& raw : lines) {
        ++number;
        const std::string line = TrimLower(raw);
        if (line.empty())
            continue;
        if (line == ":00000001ff") {
            endSeen = true;
            continue;
        }
        const THexLineReader r(area, number, line);
        if (endSeen)
            r.Fail("a line after the end record");
        if (line.size() <= 10)
            r.Fail("the line is too short for a record");
        if (line[0] != ':')
            r.Fail("the line does not begin with \":\"");
        const std::size_t n = r.Byte(1);
        const std::uint8_t addrHi = r.Byte(3);
        const std::uint8_t addrLo = r.Byte(5);
        const std::string type = line.substr(7, 2);
        if (type != "00" && type != "02" && type != "03" && type != "04" && type != "05")
            r.Fail("unknown record type \"" + type + "\"");
        if (line.size() < 11 + 2 * n)
            r.Fail("the record is shorter than its byte count");
        unsigned sum = static_cast<unsigned>(n) + addrHi + addrLo + r.Byte(7);
        for (std::size_t i = 0; i < n; ++i)
            sum += r.Byte(9 + 2 * i);
        sum += r.Byte(9 + 2 * n);
        if ((sum & 0xFF) != 0)
            r.Fail("wrong record checksum");

        if (type == "02" || type == "04") {
            if (n < 2)
                r.Fail("an address record needs two data bytes");
            const std::uint64_t value = static_cast<std::uint64_t>(r.Byte(9)) * 256 + r.Byte(11);
            base = type == "02" ? value * 16 : value * 65536;
            continue;
        }
        if (type != "00")
            continue; // start addresses have no effect
        const std::uint64_t address = base + static_cast<std::uint64_t>(addrHi) * 256 + addrLo;
        if (address >= kIgnoredFrom) {
            out.DroppedBytes += n;
            continue;
        }
        for (std::size_t i = 0; i < n; ++i) {
            const std::uint64_t a = address + i;
            const std::uint8_t value = r.Byte(9 + 2 * i);
            if (area == 1 && a < kVro8Area1Size) {
                out.Image[static_cast<std::size_t>(a)] = value;
                ++out.StoredBytes;
            } else if (area == 0 && a >= kArea0First && a <= kArea0Last) {
                out.Image[static_cast<std::size_t>(a - kArea0First)] = value;
                ++out.StoredBytes;
            } else {
                ++out.DroppedBytes;
            }
        }
    }
    if (!endSeen)
        throw EReConvert("area " + std::to_string(area) + ": the HEX text has no end record");
    return out;
}

std::string ImageVersionText(int area, const std::vector<std::uint8_t>& image)
{
    std::size_t at = 0x3BF00;
    if (area == 0) {
        static constexpr std::string_view kMark = "VRO8K-S ";
        at = 0x79C0;
        const bool marked = image.size() >= at + kMark.size() &&
                            std::equal(kMark.begin(), kMark.end(), image.begin() + static_cast<long>(at));
        if (!marked)
            at = 0x7980;
    }
    std::string text;
    for (std::size_t i = at; i < image.size() && i < at + kVersionLength; ++i) {
        if (image[i] == 0 || image[i] == 0xFF)
            break;
        text += static_cast<char>(image[i]);
    }
    return Latin1ToUtf8(text);
}

bool HardwareCodeAccepted(int hardwareVariant, std::string_view code)
{
    switch (hardwareVariant) {
    case 0: return code == "01" || code == "03";
    case 1: return code == "02";
    case 2: return code == "03";
    case 3: return code == "04";
    default: return false;
    }
}

std::vector<int> VariantsAccepting(std::string_view code)
{
    std::vector<int> out;
    for (int v = 0; v <= 3; ++v)
        if (HardwareCodeAccepted(v, code))
            out.push_back(v);
    return out;
}

std::string TVro8UpdateFile::PathLabel() const
{
    return ImageVersionText(1, Areas[1].Image) + " / " + ImageVersionText(0, Areas[0].Image);
}

TVro8UpdateFile DecodeUpdateFile(std::string_view bytes)
{
    TVro8UpdateFile f;
    const std::string text = JoinUpdateFileLines(bytes);
    std::vector<std::string> lines0;
    std::vector<std::string> lines1;
    f.SplitDone = TVro8000HexConverter::Split(text, lines0, f.HardwareCode, lines1);
    if (!f.SplitDone)
        throw EReConvert("hardware code \"" + f.HardwareCode + "\" is not one of \"01\", \"02\", \"04\"");
    f.Checksum.assign(text.substr(text.size() - 34, 32));
    // Area 1 first, as the recorder is asked and loaded in that order.
    f.Areas[1] = LoadHexImage(1, lines1);
    f.Areas[0] = LoadHexImage(0, lines0);
    return f;
}

std::string MakeUpdateFileText(std::string_view code, std::string_view area0Hex, std::string_view area1Hex)
{
    auto encodeLines = [](std::string_view hex) {
        std::string joined;
        for (const std::string& line : SplitTextLines(hex)) {
            joined += TrimView(line);
            joined += "\r\n";
        }
        return Encode(joined);
    };
    std::string body = "VXUPD=";
    body += code;
    body += "\r\n=";
    body += encodeLines(area0Hex);
    body += "=";
    body += encodeLines(area1Hex);
    body += "\r\n";
    const std::string md5 = Md5Hex(body);
    return body + md5 + "\r\n";
}

std::string ImageToHex(int area, const std::vector<std::uint8_t>& image)
{
    std::string out;
    const std::uint64_t origin = area == 0 ? kArea0First : 0;
    long upper = -1;
    for (std::size_t off = 0; off < image.size(); off += 16) {
        const std::size_t n = std::min<std::size_t>(16, image.size() - off);
        const auto* chunk = image.data() + off;
        if (std::all_of(chunk, chunk + n, [](std::uint8_t b) { return b == 0xFF; }))
            continue;
        const std::uint64_t address = origin + off;
        const long hi = static_cast<long>(address >> 16);
        if (hi != upper) {
            const std::uint8_t value[2] = {static_cast<std::uint8_t>(hi >> 8), static_cast<std::uint8_t>(hi & 0xFF)};
            AppendRecord(out, 0, 4, value, 2);
            upper = hi;
        }
        AppendRecord(out, static_cast<std::uint16_t>(address & 0xFFFF), 0, chunk, n);
    }
    out += ":00000001FF\r\n";
    return out;
}

std::vector<std::uint8_t> MakeSampleImage(int area, std::string_view version, std::uint32_t seed)
{
    std::vector<std::uint8_t> image(Vro8AreaSize(area));
    std::uint32_t x = seed ? seed : 1;
    for (std::uint8_t& b : image) {
        // xorshift32: a fixed, reproducible byte sequence
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        b = static_cast<std::uint8_t>(x >> 24);
    }
    const std::string latin1 = Utf8ToLatin1(version);
    std::size_t at = 0x3BF00;
    if (area == 0)
        at = latin1.rfind("VRO8K-S ", 0) == 0 ? 0x79C0 : 0x7980;
    for (std::size_t i = 0; i < kVersionLength; ++i)
        image[at + i] = i < latin1.size() ? static_cast<std::uint8_t>(latin1[i]) : 0;
    return image;
}

} // namespace vro
