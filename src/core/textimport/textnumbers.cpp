#include "core/textimport/textnumbers.h"

#include "core/util/text.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <limits>

#include "core/util/numeric.h"

namespace vro::textimport {

namespace {

constexpr std::size_t kMaxNumberText = 80;

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
// Optional sign, then digits of `base` up to the end. Values up to 2^64-1
// before the sign; the caller checks its own range.
std::optional<long double> ReadDigits(std::string_view s, int base, bool allowSign)
{
    bool negative = false;
    if (allowSign && !s.empty() && (s[0] == '-' || s[0] == '+')) {
        negative = s[0] == '-';
        s.remove_prefix(1);
    }
    if (s.empty())
        return std::nullopt;
    std::uint64_t v = 0;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v, base);
    if (ec != std::errc() || p != s.data() + s.size())
        return std::nullopt;
    const auto r = static_cast<long double>(v);
    return negative ? -r : r;
}

// The lower-cased text in a stack buffer, optionally without inner blanks.
struct TSmallText {
    std::array<char, kMaxNumberText> buf{};
    std::size_t len = 0;
    std::string_view view() const { return {buf.data(), len}; }
};

std::optional<TSmallText> Prepare(std::string_view text, bool dropBlanks)
{
    text = Trim(text);
    if (text.empty() || text.size() > kMaxNumberText)
        return std::nullopt;
    TSmallText t;
    for (char c : text) {
        if (dropBlanks && IsBlank(c))
            continue;
        t.buf[t.len++] = LowerAscii(c);
    }
    if (t.len == 0)
        return std::nullopt;
    return t;
}

// The integer notations shared by both integer readers. `binary` enables the
// trailing "b" form; the value is returned wide for the caller's range check.
std::optional<long double> ReadIntegerNotation(std::string_view s, bool binary)
{
    int base = 10;
    if (s.size() > 2 && s[0] == '0' && s[1] == 'x') {
        s.remove_prefix(2);
        base = 16;
    } else if (s[0] == '$') {
        s.remove_prefix(1);
        base = 16;
    } else if (s.back() == 'h') {
        s.remove_suffix(1);
        base = 16;
    } else if (s.back() == 'd') {
        s.remove_suffix(1);
    } else if (binary && s.back() == 'b') {
        s.remove_suffix(1);
        if (s.empty() || s.size() > 32)
            return std::nullopt;
        std::uint32_t v = 0;
        for (char c : s) {
            if (c != '0' && c != '1')
                return std::nullopt;
            v = (v << 1) | static_cast<std::uint32_t>(c - '0');
        }
        return static_cast<long double>(static_cast<std::int32_t>(v));
    }
    if (s.empty())
        return std::nullopt;
    if (base == 16) {
        // A hexadecimal value may carry a sign in front of its digits.
        return ReadDigits(s, 16, true);
    }
    return ReadDigits(s, 10, true);
}

} // namespace

std::optional<double> ReadNumber(std::string_view text)
{
    text = Trim(text);
    if (double v; !text.empty()) {
        int d = 0;
        if (ReadPlainDecimal(text, v, d))
            return v;
    }
    if (text.empty() || text.size() > kMaxNumberText)
        return std::nullopt;
    const char first = text.front();
    const char last = LowerAscii(text.back());
    const bool hexPrefix = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
    if (first == '$' || last == 'd' || last == 'h' || hexPrefix || last == 'b') {
        auto t = Prepare(text, last == 'b');
        if (!t)
            return std::nullopt;
        auto v = ReadIntegerNotation(t->view(), last == 'b' && first != '$' && !hexPrefix);
        if (!v)
            return std::nullopt;
        if (last == 'b' && first != '$' && !hexPrefix) {
            if (*v > INT32_MAX || *v < INT32_MIN)
                return std::nullopt;
        } else if (*v > static_cast<long double>(INT64_MAX) || *v < static_cast<long double>(INT64_MIN)) {
            return std::nullopt;
        }
        return static_cast<double>(*v);
    }
    // Decimal: copy with "," made ".", without a leading "+".
    std::array<char, kMaxNumberText> buf;
    std::size_t n = 0;
    std::size_t i = 0;
    if (text[0] == '+')
        i = 1;
    for (; i < text.size(); ++i)
        buf[n++] = text[i] == ',' ? '.' : text[i];
    std::size_t digitAt = (n > 0 && buf[0] == '-') ? 1 : 0;
    // Only digits or a decimal point may start the number (no "inf", "nan").
    if (digitAt >= n || !(IsDigit(buf[digitAt]) || buf[digitAt] == '.'))
        return std::nullopt;
    double v = 0;
    auto [p, ec] = std::from_chars(buf.data(), buf.data() + n, v, std::chars_format::general);
    if (ec != std::errc() || p != buf.data() + n || !std::isfinite(v))
        return std::nullopt;
    return v;
}

std::optional<std::int32_t> ReadInteger(std::string_view text)
{
    auto t = Prepare(text, true);
    if (!t)
        return std::nullopt;
    const std::string_view s = t->view();
    const bool hex = (s.size() > 2 && s[0] == '0' && s[1] == 'x') || s[0] == '$' || s.back() == 'h';
    auto v = ReadIntegerNotation(s, true);
    if (!v)
        return std::nullopt;
    // Hexadecimal values may use the full 32 bits.
    if (hex && *v >= 0 && *v <= static_cast<long double>(UINT32_MAX))
        return static_cast<std::int32_t>(static_cast<std::uint32_t>(*v));
    if (*v > INT32_MAX || *v < INT32_MIN)
        return std::nullopt;
    return static_cast<std::int32_t>(*v);
}

int CountDecimals(std::string_view cell)
{
    auto pos = cell.find(',');
    if (pos == std::string_view::npos)
        pos = cell.find('.');
    if (pos == std::string_view::npos)
        return 0;
    return static_cast<int>(cell.size() - pos - 1);
}

std::int64_t DaysFromCivil(int year, int month, int day)
{
    // Days since 1970-01-01 (proleptic Gregorian), then moved to 1899-12-30.
    const int y = year - (month <= 2 ? 1 : 0);
    const int era = (y >= 0 ? y : y - 399) / 400;
    const int yoe = y - era * 400;
    const int doy = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const int doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return static_cast<std::int64_t>(era) * 146097 + doe - 719468 + 25569;
}

namespace {

struct TCursor {
    std::string_view s;
    std::size_t pos = 0;
    bool End() const { return pos >= s.size(); }
    char Peek() const { return End() ? '\0' : s[pos]; }
    // Up to maxDigits digits; empty when there is none.
    std::optional<int> Number(std::size_t maxDigits, std::size_t* count = nullptr)
    {
        std::size_t n = 0;
        int v = 0;
        while (!End() && IsDigit(s[pos]) && n < maxDigits) {
            v = v * 10 + (s[pos] - '0');
            ++pos;
            ++n;
        }
        if (n == 0 || (!End() && IsDigit(s[pos])))
            return std::nullopt;
        if (count)
            *count = n;
        return v;
    }
    void SkipBlanks()
    {
        while (!End() && (s[pos] == ' ' || s[pos] == '\t'))
            ++pos;
    }
};

bool IsDateSeparator(char c, char own) { return c == '.' || c == '/' || c == '-' || (own != 0 && c == own); }

char FirstSeparator(const std::string& form)
{
    for (char c : form)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) && c != ' ')
            return c;
    return 0;
}

int DaysInMonth(int y, int m)
{
    static constexpr std::array<int, 12> days = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return m == 2 && leap ? 29 : days[static_cast<std::size_t>(m - 1)];
}

// The date at the cursor; the cursor stays where it was when none is there.
std::optional<double> ReadDate(TCursor& c, const TTextLocale& locale)
{
    const std::size_t start = c.pos;
    const char own = FirstSeparator(locale.ShortDateFormat);
    std::array<int, 3> n{};
    std::array<std::size_t, 3> digits{};
    for (int k = 0; k < 3; ++k) {
        if (k > 0) {
            if (!IsDateSeparator(c.Peek(), own)) {
                c.pos = start;
                return std::nullopt;
            }
            ++c.pos;
        }
        auto v = c.Number(4, &digits[static_cast<std::size_t>(k)]);
        if (!v) {
            c.pos = start;
            return std::nullopt;
        }
        n[static_cast<std::size_t>(k)] = *v;
    }
    int y = 0, m = 0, d = 0;
    std::size_t yearDigits = 0;
    if (digits[0] == 4) {
        y = n[0], m = n[1], d = n[2];
        yearDigits = 4;
    } else {
        // Order of the fields from the positions of d, M and y in the form.
        const auto& f = locale.ShortDateFormat;
        auto at = [&](char a, char b) {
            auto p = f.find_first_of(std::string{a, b});
            return p == std::string::npos ? f.size() : p;
        };
        std::array<std::pair<std::size_t, char>, 3> order = {std::pair{at('d', 'D'), 'd'}, std::pair{at('m', 'M'), 'm'},
                                                             std::pair{at('y', 'Y'), 'y'}};
        if (order[0].first == f.size() || order[1].first == f.size() || order[2].first == f.size())
            order = {std::pair{0, 'd'}, std::pair{1, 'm'}, std::pair{2, 'y'}};
        std::sort(order.begin(), order.end());
        for (std::size_t k = 0; k < 3; ++k) {
            if (order[k].second == 'd')
                d = n[k];
            else if (order[k].second == 'm')
                m = n[k];
            else {
                y = n[k];
                yearDigits = digits[k];
            }
        }
    }
    if (yearDigits <= 2)
        y += y < locale.TwoDigitYearPivot ? 2000 : 1900;
    if (y < 1 || m < 1 || m > 12 || d < 1 || d > DaysInMonth(y, m)) {
        c.pos = start;
        return std::nullopt;
    }
    return static_cast<double>(DaysFromCivil(y, m, d));
}

std::optional<double> ReadTime(TCursor& c, const TTextLocale& locale)
{
    const char own = FirstSeparator(locale.LongTimeFormat);
    auto isSep = [&](char ch) { return ch == ':' || (own != 0 && ch == own); };
    auto h = c.Number(2);
    if (!h || !isSep(c.Peek()))
        return std::nullopt;
    ++c.pos;
    auto m = c.Number(2);
    if (!m || *m > 59)
        return std::nullopt;
    double seconds = 0;
    if (isSep(c.Peek())) {
        ++c.pos;
        auto s = c.Number(2);
        if (!s || *s > 59)
            return std::nullopt;
        seconds = *s;
        if (c.Peek() == '.' || c.Peek() == ',') {
            ++c.pos;
            double scale = 0.1;
            std::size_t n = 0;
            while (!c.End() && IsDigit(c.Peek())) {
                seconds += (c.Peek() - '0') * scale;
                scale /= 10;
                ++c.pos;
                ++n;
            }
            if (n == 0)
                return std::nullopt;
        }
    }
    int hour = *h;
    c.SkipBlanks();
    if (c.s.size() - c.pos >= 2) {
        const char a = LowerAscii(c.s[c.pos]);
        const char b = LowerAscii(c.s[c.pos + 1]);
        if ((a == 'a' || a == 'p') && b == 'm') {
            if (hour < 1 || hour > 12)
                return std::nullopt;
            hour = hour % 12 + (a == 'p' ? 12 : 0);
            c.pos += 2;
        }
    }
    if (hour > 23)
        return std::nullopt;
    return (hour * 3600.0 + *m * 60.0 + seconds) / 86400.0;
}

} // namespace

std::optional<double> ReadDateTime(std::string_view text, const TTextLocale& locale)
{
    TCursor c{Trim(text)};
    if (c.s.empty())
        return std::nullopt;
    double value = 0;
    if (auto date = ReadDate(c, locale)) {
        value = *date;
        if (c.End())
            return value;
        if (c.Peek() == 'T' || c.Peek() == 't')
            ++c.pos;
        else if (c.Peek() == ' ' || c.Peek() == '\t')
            c.SkipBlanks();
        else
            return std::nullopt;
    }
    auto time = ReadTime(c, locale);
    if (!time || !c.End())
        return std::nullopt;
    return value + *time;
}

std::optional<std::int32_t> DateTimeToSeconds2000(double dateTime)
{
    if (!std::isfinite(dateTime) || dateTime < 0)
        return std::nullopt;
    double days = std::trunc(dateTime);
    const double fraction = dateTime - days;
    if (days >= 1)
        days -= 36526;
    else
        days = 0;
    if (days < 0)
        return std::nullopt;
    const double seconds = days * 86400 + RoundHalfEven(fraction * 86400);
    if (seconds > INT32_MAX)
        return std::nullopt;
    return static_cast<std::int32_t>(seconds);
}

} // namespace vro::textimport
