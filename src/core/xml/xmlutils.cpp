#include "core/xml/xmlutils.h"

#include "core/util/text.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <system_error>

namespace vro {

namespace {

// The entity that stands for the byte at s[i] (and for CR LF the pair), or
// empty; `used` is the number of input bytes it replaces.
inline std::string_view EntityFor(std::string_view s, std::size_t i, std::size_t& used)
{
    used = 1;
    switch (s[i]) {
    case '&': return "&amp;";
    case '<': return "&lt;";
    case '>': return "&gt;";
    case '"': return "&quot;";
    case '\'': return "&apos;";
    case '\r':
        if (i + 1 < s.size() && s[i + 1] == '\n') {
            used = 2;
            return "&#10;";
        }
        return {};
    default: return {};
    }
}

inline bool NeedsEscape(unsigned char c)
{
    return c == '&' || c == '<' || c == '>' || c == '"' || c == '\'' || c == '\r';
}

void AppendUtf8(std::string& out, std::uint32_t cp)
{
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

// One UTF-8 sequence at s[i]: the code point, or -1 for a malformed one
// (then len = 1).
std::int32_t DecodeUtf8(std::string_view s, std::size_t i, std::size_t& len)
{
    const auto b0 = static_cast<unsigned char>(s[i]);
    len = 1;
    int n;
    std::int32_t cp;
    if ((b0 & 0xE0) == 0xC0) {
        n = 1;
        cp = b0 & 0x1F;
    } else if ((b0 & 0xF0) == 0xE0) {
        n = 2;
        cp = b0 & 0x0F;
    } else if ((b0 & 0xF8) == 0xF0) {
        n = 3;
        cp = b0 & 0x07;
    } else
        return -1;
    if (s.size() - i <= static_cast<std::size_t>(n))
        return -1;
    for (int k = 1; k <= n; ++k) {
        const auto b = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
        if ((b & 0xC0) != 0x80)
            return -1;
        cp = (cp << 6) | (b & 0x3F);
    }
    static constexpr std::int32_t kMin[] = {0, 0x80, 0x800, 0x10000};
    if (cp < kMin[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return -1;
    len = static_cast<std::size_t>(n) + 1;
    return cp;
}

template <typename T>
T ParseInt(std::string_view text, T def)
{
    const char* b = text.data();
    const char* e = b + text.size();
    if (b != e && *b == '+')
        ++b;
    if (b == e)
        return def;
    T v{};
    auto [p, ec] = std::from_chars(b, e, v);
    if (ec != std::errc() || p != e)
        return def;
    return v;
}

// Days from 0001-01-01 (day 1) in the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468; // days since 1970-01-01
}

void CivilFromDays(std::int64_t z, std::int64_t& y, unsigned& m, unsigned& d)
{
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    y = static_cast<std::int64_t>(yoe) + era * 400;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y += m <= 2;
}

// 1899-12-30 relative to 1970-01-01.
const std::int64_t kEpochShift = DaysFromCivil(1899, 12, 30);

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m)
{
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

void AppendDigits(std::string& out, std::int64_t v, int width)
{
    char buf[24];
    int n = 0;
    do {
        buf[n++] = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v > 0 && n < 20);
    for (int i = n; i < width; ++i)
        out.push_back('0');
    while (n > 0)
        out.push_back(buf[--n]);
}

} // namespace

void AppendXmlEscaped(std::string& out, std::string_view text)
{
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size();) {
        if (!NeedsEscape(static_cast<unsigned char>(text[i]))) {
            ++i;
            continue;
        }
        std::size_t used;
        const std::string_view ent = EntityFor(text, i, used);
        if (ent.empty()) { // a lone carriage return stays as it is
            ++i;
            continue;
        }
        out.append(text.substr(start, i - start));
        out.append(ent);
        i += used;
        start = i;
    }
    out.append(text.substr(start));
}

std::string XmlEscape(std::string_view text)
{
    std::string out;
    out.reserve(text.size() + 8);
    AppendXmlEscaped(out, text);
    return out;
}

namespace {
// The entity at text[i] (which is '&'), or 0 bytes matched.
inline std::size_t MatchEntity(std::string_view text, std::size_t i, std::string_view& repl)
{
    static constexpr std::pair<std::string_view, std::string_view> kTable[] = {
        {"&amp;", "&"}, {"&lt;", "<"}, {"&gt;", ">"}, {"&quot;", "\""}, {"&apos;", "'"}, {"&#10;", "\r\n"}};
    const std::string_view rest = text.substr(i);
    for (const auto& [ent, r] : kTable)
        if (rest.starts_with(ent)) {
            repl = r;
            return ent.size();
        }
    return 0;
}

// "&#xH..H;" with 1..6 hex digits and a valid code point.
inline std::size_t MatchHexReference(std::string_view text, std::size_t i, std::uint32_t& cp)
{
    const std::string_view rest = text.substr(i);
    if (!rest.starts_with("&#x"))
        return 0;
    std::uint32_t v = 0;
    std::size_t k = 3;
    for (; k < rest.size() && k < 10; ++k) {
        const char c = rest[k];
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            break;
        v = v * 16 + static_cast<std::uint32_t>(d);
    }
    if (k == 3 || k > 9 || k >= rest.size() || rest[k] != ';')
        return 0;
    if (v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF))
        return 0;
    cp = v;
    return k + 1;
}
} // namespace

std::string XmlUnescape(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] != '&') {
            const void* amp = std::memchr(text.data() + i, '&', text.size() - i);
            if (!amp)
                break;
            i = static_cast<std::size_t>(static_cast<const char*>(amp) - text.data());
            continue;
        }
        std::string_view repl;
        const std::size_t n = MatchEntity(text, i, repl);
        if (n == 0) {
            ++i;
            continue;
        }
        out.append(text.substr(start, i - start));
        out.append(repl);
        i += n;
        start = i;
    }
    out.append(text.substr(start));
    return out;
}

std::string IntToXml(std::int64_t n)
{
    char buf[24];
    auto [p, ec] = std::to_chars(buf, buf + sizeof buf, n);
    (void)ec;
    return std::string(buf, p);
}

std::int32_t XmlToInt(std::string_view text, std::int32_t def) { return ParseInt<std::int32_t>(text, def); }
std::int64_t XmlToInt64(std::string_view text, std::int64_t def) { return ParseInt<std::int64_t>(text, def); }

std::string BoolToXml(bool b) { return b ? "1" : "0"; }

bool XmlToBool(std::string_view text, bool def)
{
    if (text == "0" || EqualNoCase(text, "false") || EqualNoCase(text, "no"))
        return false;
    if (text == "1" || EqualNoCase(text, "true") || EqualNoCase(text, "yes"))
        return true;
    return def;
}

double EncodeXmlDateTime(int year, int month, int day, int hour, int minute, int second, int msec)
{
    const double date = static_cast<double>(
        DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) - kEpochShift);
    const double time = (((hour * 60.0 + minute) * 60.0 + second) * 1000.0 + msec) / 86400000.0;
    // Before day 0 the time of day counts away from zero, as in the platform's date type.
    return date < 0 ? date - time : date + time;
}

std::string DateTimeToXml(double dateTime)
{
    // Years 1..9999 span day counts -693593 .. 2958465.
    if (!std::isfinite(dateTime) || dateTime <= -693594.0 || dateTime >= 2958466.0)
        return {};
    std::int64_t days;
    std::int64_t ms;
    if (dateTime >= 0) {
        const std::int64_t total = std::llround(dateTime * 86400000.0);
        days = total / 86400000;
        ms = total % 86400000;
    } else {
        days = static_cast<std::int64_t>(std::trunc(dateTime));
        ms = std::llround((static_cast<double>(days) - dateTime) * 86400000.0);
        if (ms >= 86400000)
            ms = 86400000 - 1;
    }
    std::int64_t y;
    unsigned m, d;
    CivilFromDays(days + kEpochShift, y, m, d);
    if (y < 1 || y > 9999)
        return {};
    std::string out;
    out.reserve(23);
    AppendDigits(out, y, 4);
    out.push_back('-');
    AppendDigits(out, m, 2);
    out.push_back('-');
    AppendDigits(out, d, 2);
    out.push_back('T');
    AppendDigits(out, ms / 3600000, 2);
    out.push_back(':');
    AppendDigits(out, ms / 60000 % 60, 2);
    out.push_back(':');
    AppendDigits(out, ms / 1000 % 60, 2);
    out.push_back('.');
    AppendDigits(out, ms % 1000, 3);
    return out;
}

double XmlToDateTime(std::string_view t, double def)
{
    if (t.size() < 19)
        return def;
    if (t[4] != '-' || t[7] != '-' || (t[10] != 'T' && t[10] != 't') || t[13] != ':' || t[16] != ':')
        return def;
    auto num = [&](std::size_t from, std::size_t count, int& v) {
        v = 0;
        for (std::size_t i = from; i < from + count; ++i) {
            if (t[i] < '0' || t[i] > '9')
                return false;
            v = v * 10 + (t[i] - '0');
        }
        return true;
    };
    int y, mo, d, h, mi, s;
    if (!num(0, 4, y) || !num(5, 2, mo) || !num(8, 2, d) || !num(11, 2, h) || !num(14, 2, mi) || !num(17, 2, s))
        return def;
    if (y < 1 || mo < 1 || mo > 12 || d < 1 || d > DaysInMonth(y, mo) || h > 23 || mi > 59 || s > 59)
        return def;
    return EncodeXmlDateTime(y, mo, d, h, mi, s);
}

void AppendStringAsXml(std::string& out, std::string_view s)
{
    for (std::size_t i = 0; i < s.size();) {
        // Runs of plain ASCII go over in one piece.
        std::size_t j = i;
        while (j < s.size() && static_cast<unsigned char>(s[j]) < 0x80 &&
               !NeedsEscape(static_cast<unsigned char>(s[j])))
            ++j;
        if (j > i) {
            out.append(s.data() + i, j - i);
            i = j;
            continue;
        }
        const auto c = static_cast<unsigned char>(s[i]);
        if (c < 0x80) {
            std::size_t used;
            const std::string_view ent = NeedsEscape(c) ? EntityFor(s, i, used) : std::string_view{};
            if (ent.empty()) {
                out.push_back(static_cast<char>(c));
                ++i;
            } else {
                out.append(ent);
                i += used;
            }
            continue;
        }
        std::size_t len;
        const std::int32_t cp = DecodeUtf8(s, i, len);
        i += len;
        if (cp < 0) {
            out.push_back('?');
        } else if (cp <= 0xFF) {
            out.push_back(static_cast<char>(cp));
        } else {
            char buf[8];
            auto [p, ec] = std::to_chars(buf, buf + sizeof buf, cp, 16);
            (void)ec;
            out.append("&#x");
            out.append(buf, p);
            out.push_back(';');
        }
    }
}

std::string StringToXml(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size() + 8);
    AppendStringAsXml(out, utf8);
    return out;
}

std::string XmlToString(std::string_view raw, std::string_view def)
{
    if (raw.empty())
        return std::string(def);
    std::string out;
    out.reserve(raw.size() + raw.size() / 8);
    for (std::size_t i = 0; i < raw.size();) {
        const auto c = static_cast<unsigned char>(raw[i]);
        if (c == '&') {
            std::string_view repl;
            std::size_t n = MatchEntity(raw, i, repl);
            if (n > 0) {
                out.append(repl);
                i += n;
                continue;
            }
            std::uint32_t cp;
            n = MatchHexReference(raw, i, cp);
            if (n > 0) {
                AppendUtf8(out, cp);
                i += n;
                continue;
            }
        }
        AppendUtf8(out, c); // ISO-8859-1 byte
        ++i;
    }
    return out;
}

std::string FixedToXml(std::int64_t raw, int decimals)
{
    if (decimals < 0)
        decimals = 0;
    const bool neg = raw < 0;
    // Magnitude as unsigned: also right for the most negative value.
    const std::uint64_t mag = neg ? 0 - static_cast<std::uint64_t>(raw) : static_cast<std::uint64_t>(raw);
    char digits[24];
    auto [p, ec] = std::to_chars(digits, digits + sizeof digits, mag);
    (void)ec;
    std::string_view ds(digits, static_cast<std::size_t>(p - digits));
    std::string out;
    out.reserve(ds.size() + static_cast<std::size_t>(decimals) + 3);
    if (neg)
        out.push_back('-');
    const auto dec = static_cast<std::size_t>(decimals);
    if (ds.size() <= dec) {
        out.push_back('0');
        if (dec > 0) {
            out.push_back('.');
            out.append(dec - ds.size(), '0');
            out.append(ds);
        }
    } else {
        out.append(ds.substr(0, ds.size() - dec));
        if (dec > 0) {
            out.push_back('.');
            out.append(ds.substr(ds.size() - dec));
        }
    }
    return out;
}

std::string FloatToXml(double x, int decimals)
{
    char buf[400];
    std::to_chars_result r;
    if (decimals < 0)
        r = std::to_chars(buf, buf + sizeof buf, x);
    else
        r = std::to_chars(buf, buf + sizeof buf, x, std::chars_format::fixed, decimals > 60 ? 60 : decimals);
    if (r.ec != std::errc()) // beyond the buffer: fall back to the shortest form
        r = std::to_chars(buf, buf + sizeof buf, x);
    return std::string(buf, r.ptr);
}

double XmlToFloat(std::string_view text, double def)
{
    const char* b = text.data();
    const char* e = b + text.size();
    if (b != e && *b == '+')
        ++b;
    if (b == e)
        return def;
    // from_chars in general format takes no "0x" but does take "inf"/"nan": refuse those.
    for (const char* q = b; q != e; ++q) {
        const char c = *q;
        if (!((c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E'))
            return def;
    }
    double v = 0;
    auto [p, ec] = std::from_chars(b, e, v);
    if (ec != std::errc() || p != e || !std::isfinite(v))
        return def;
    return v;
}

} // namespace vro
