#include "core/values/localeformat.h"

#include <algorithm>
#include <clocale>
#include <langinfo.h>
#include <optional>
#include <string_view>
#include <vector>

namespace vro {

namespace {

enum class TField { Day, Month, Year, Hour, Minute, Second, AmPm, Other };

struct TToken {
    TToken(TField field = TField::Other, bool twelveHour = false) : Field(field), TwelveHour(twelveHour) {}
    TField Field;
    bool TwelveHour;     // %I, %l, h with AP
    std::string Literal; // the text between fields
};

bool IsAsciiLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// strftime: conversions, with the composite ones expanded.
std::vector<TToken> TokensStrftime(std::string_view p, int depth = 0)
{
    std::vector<TToken> out;
    for (std::size_t i = 0; i < p.size(); ++i) {
        if (p[i] != '%' || i + 1 >= p.size()) {
            if (out.empty() || out.back().Field != TField::Other)
                out.push_back({});
            out.back().Literal += p[i];
            continue;
        }
        ++i;
        // GNU flags and the E/O modifiers.
        while (i < p.size() && std::string_view("-_0^#EO").find(p[i]) != std::string_view::npos)
            ++i;
        if (i >= p.size())
            break;
        const auto sub = [&](std::string_view s) {
            if (depth < 2)
                for (TToken& t : TokensStrftime(s, depth + 1))
                    out.push_back(std::move(t));
        };
        switch (p[i]) {
        case 'd':
        case 'e': out.push_back({TField::Day}); break;
        case 'm':
        case 'b':
        case 'h':
        case 'B': out.push_back({TField::Month}); break;
        case 'y':
        case 'Y':
        case 'G': out.push_back({TField::Year}); break;
        case 'H':
        case 'k': out.push_back({TField::Hour}); break;
        case 'I':
        case 'l': out.push_back({TField::Hour, true}); break;
        case 'M': out.push_back({TField::Minute}); break;
        case 'S': out.push_back({TField::Second}); break;
        case 'p':
        case 'P': out.push_back({TField::AmPm}); break;
        case 'D': sub("%m/%d/%y"); break;
        case 'F': sub("%Y-%m-%d"); break;
        case 'T': sub("%H:%M:%S"); break;
        case 'R': sub("%H:%M"); break;
        case 'r': sub("%I:%M:%S %p"); break;
        case '%':
            if (out.empty() || out.back().Field != TField::Other)
                out.push_back({});
            out.back().Literal += '%';
            break;
        default: out.push_back({TField::Other}); break;
        }
    }
    return out;
}

// The toolkit's (and ICU's) patterns: runs of one letter, 'quoted' text.
std::vector<TToken> TokensLetters(std::string_view p)
{
    std::vector<TToken> out;
    bool twelve = false;
    for (std::size_t i = 0; i < p.size();) {
        const char c = p[i];
        if (c == '\'') {
            const std::size_t end = p.find('\'', i + 1);
            if (out.empty() || out.back().Field != TField::Other)
                out.push_back({});
            out.back().Literal += std::string(p.substr(i + 1, end == std::string_view::npos ? end : end - i - 1));
            i = end == std::string_view::npos ? p.size() : end + 1;
            continue;
        }
        if (!IsAsciiLetter(c)) {
            if (out.empty() || out.back().Field != TField::Other)
                out.push_back({});
            out.back().Literal += c;
            ++i;
            continue;
        }
        std::size_t n = 1;
        while (i + n < p.size() && p[i + n] == c)
            ++n;
        switch (c) {
        case 'd': out.push_back({n <= 2 ? TField::Day : TField::Other}); break;
        case 'M':
        case 'L': out.push_back({TField::Month}); break;
        case 'y':
        case 'Y':
        case 'u': out.push_back({TField::Year}); break;
        case 'h':
        case 'K': out.push_back({TField::Hour, true}); break;
        case 'H':
        case 'k': out.push_back({TField::Hour}); break;
        case 'm': out.push_back({TField::Minute}); break;
        case 's': out.push_back({TField::Second}); break;
        case 'a':
        case 'A':
        case 'b':
        case 'B':
            twelve = true;
            out.push_back({TField::AmPm});
            break;
        default: out.push_back({TField::Other}); break;
        }
        i += n;
    }
    // The toolkit's 'h' is a 12-hour field only beside an AM/PM field.
    if (!twelve)
        for (TToken& t : out)
            if (t.Field == TField::Hour)
                t.TwelveHour = false;
    return out;
}

std::vector<TToken> Tokens(std::string_view pattern)
{
    return pattern.find('%') != std::string_view::npos ? TokensStrftime(pattern) : TokensLetters(pattern);
}

// The first character after the field that can serve as a separator:
// punctuation, not a blank, letter or digit.
std::optional<char> SeparatorAfter(const std::vector<TToken>& t, std::size_t field)
{
    if (field + 1 >= t.size() || t[field + 1].Field != TField::Other)
        return std::nullopt;
    for (char c : t[field + 1].Literal) {
        const auto u = static_cast<unsigned char>(c);
        if (u > 0x20 && u < 0x7F && !IsAsciiLetter(c) && !(c >= '0' && c <= '9'))
            return c;
    }
    return std::nullopt;
}

void ReadDate(const std::string& pattern, TDvxFormatSettings& fs)
{
    const std::vector<TToken> t = Tokens(pattern);
    std::optional<std::size_t> day, month, year;
    for (std::size_t i = 0; i < t.size(); ++i) {
        if (t[i].Field == TField::Day && !day)
            day = i;
        else if (t[i].Field == TField::Month && !month)
            month = i;
        else if (t[i].Field == TField::Year && !year)
            year = i;
    }
    if (!day || !month || !year)
        return;
    if (*year < *day && *year < *month)
        fs.DateOrder = TDateOrder::YMD;
    else if (*day < *month)
        fs.DateOrder = TDateOrder::DMY;
    else
        fs.DateOrder = TDateOrder::MDY;
    const std::size_t first = std::min({*day, *month, *year});
    const std::optional<char> sep = SeparatorAfter(t, first);
    fs.DateSeparator = sep ? *sep : fs.DateOrder == TDateOrder::YMD ? '-' : fs.DateOrder == TDateOrder::DMY ? '.' : '/';
}

void ReadTime(const std::string& pattern, TDvxFormatSettings& fs)
{
    const std::vector<TToken> t = Tokens(pattern);
    for (std::size_t i = 0; i < t.size(); ++i)
        if (t[i].Field == TField::Hour) {
            fs.TwelveHour = t[i].TwelveHour;
            // A "." would read as the start of milliseconds: ':' stays then.
            if (const std::optional<char> sep = SeparatorAfter(t, i); sep && *sep != '.')
                fs.TimeSeparator = *sep;
            return;
        }
}

} // namespace

TLocaleFacts TLocaleFacts::C() { return {".", "%m/%d/%y", "%H:%M:%S", "AM", "PM"}; }

TDvxFormatSettings FormatSettingsFromLocale(const TLocaleFacts& facts)
{
    TDvxFormatSettings fs;
    // The C locale's forms for whatever the facts leave open.
    fs.DateOrder = TDateOrder::MDY;
    fs.DateSeparator = '/';
    // Four-digit years and leading zeros whatever the pattern says, as the
    // program always wrote them: a short pattern's "07" reads ambiguously.
    fs.FourDigitYear = true;
    fs.LeadingZeroDayMonth = true;
    fs.TimeSeparator = ':';
    fs.TwelveHour = false;

    const std::string& d = facts.DecimalPoint;
    fs.DecimalSeparator = d.size() == 1 && (d[0] == ',' || d[0] == '.') ? d[0] : '.';
    fs.ListSeparator = fs.DecimalSeparator == ',' ? ';' : ',';
    ReadDate(facts.DateFormat, fs);
    ReadTime(facts.TimeFormat, fs);
    fs.AmText = facts.AmText.empty() ? "AM" : facts.AmText;
    fs.PmText = facts.PmText.empty() ? "PM" : facts.PmText;
    return fs;
}

TLocaleFacts CLibraryLocaleFacts()
{
    const char* current = std::setlocale(LC_ALL, nullptr);
    const std::string saved = current ? current : "C";
    TLocaleFacts f;
    if (std::setlocale(LC_ALL, "") == nullptr) {
        // A locale the environment names but the machine lacks: the C library
        // keeps "C"; so does the program.
        std::setlocale(LC_ALL, saved.c_str());
        return TLocaleFacts::C();
    }
    if (const std::lconv* lc = std::localeconv(); lc && lc->decimal_point)
        f.DecimalPoint = lc->decimal_point;
    f.DateFormat = nl_langinfo(D_FMT);
    f.TimeFormat = nl_langinfo(T_FMT);
    if (f.TimeFormat.empty())
        f.TimeFormat = nl_langinfo(T_FMT_AMPM);
    f.AmText = nl_langinfo(AM_STR);
    f.PmText = nl_langinfo(PM_STR);
    std::setlocale(LC_ALL, saved.c_str());
    return f;
}

} // namespace vro
