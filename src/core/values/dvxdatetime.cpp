#include "core/values/dvxdatetime.h"
#include "core/values/localeformat.h"

#include "core/util/text.h"

#include <chrono>
#include <ctime>
#include <cmath>
#include <cstdio>
#include <vector>

namespace vro {

namespace {

TDvxFormatSettings& GlobalSettings()
{
    static TDvxFormatSettings settings = FormatSettingsFromLocale(TLocaleFacts::C());
    return settings;
}

// Days since 1970-01-01 of a proleptic Gregorian date.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, int& year, int& month, int& day)
{
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2));
}

constexpr std::int64_t DaysOf18991230 = -25569; // DaysFromCivil(1899, 12, 30)

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

int DaysInMonth(int y, int m)
{
    static const int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : days[m - 1];
}

// Splits s at any of the separator characters into groups of digits; empty
// when a group is empty, too long or holds anything but digits.
bool SplitNumbers(std::string_view s, std::string_view seps, std::size_t maxGroups, std::vector<std::string_view>& out)
{
    out.clear();
    std::size_t start = 0;
    for (std::size_t i = 0; i <= s.size(); ++i) {
        if (i == s.size() || seps.find(s[i]) != std::string_view::npos) {
            out.push_back(s.substr(start, i - start));
            start = i + 1;
        }
    }
    if (out.size() > maxGroups)
        return false;
    for (auto g : out) {
        if (g.empty() || g.size() > 4)
            return false;
        for (char c : g)
            if (c < '0' || c > '9')
                return false;
    }
    return true;
}

int ToInt(std::string_view digits)
{
    int v = 0;
    for (char c : digits)
        v = v * 10 + (c - '0');
    return v;
}

} // namespace

double DvxNow()
{
    using namespace std::chrono;
    const auto now = system_clock::now();
    const double secs = duration<double>(now.time_since_epoch()).count();
    // Day 0 is 1899-12-30; the Unix epoch is day 25569. Local time is what
    // the user sees; the offset of the zone is applied by the platform.
    const std::time_t tt = system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&tt, &local);
    return 25569.0 + (secs + static_cast<double>(local.tm_gmtoff)) / 86400.0;
}

namespace {

int CurrentYear()
{
    using namespace std::chrono;
    const year_month_day ymd{floor<days>(system_clock::now())};
    return static_cast<int>(ymd.year());
}

std::optional<double> ParseDate(std::string_view text, const TDvxFormatSettings& fs)
{
    std::string seps = ".-/";
    seps.push_back(fs.DateSeparator);
    std::vector<std::string_view> g;
    if (!SplitNumbers(text, seps, 3, g) || g.size() < 2)
        return std::nullopt;
    int year = 0, month = 0, day = 0;
    std::string_view yearText;
    if (g.size() == 3) {
        switch (fs.DateOrder) {
        case TDateOrder::DMY:
            day = ToInt(g[0]);
            month = ToInt(g[1]);
            yearText = g[2];
            break;
        case TDateOrder::MDY:
            month = ToInt(g[0]);
            day = ToInt(g[1]);
            yearText = g[2];
            break;
        case TDateOrder::YMD:
            yearText = g[0];
            month = ToInt(g[1]);
            day = ToInt(g[2]);
            break;
        }
        if (fs.DateOrder != TDateOrder::YMD && (g[0].size() > 2 || g[1].size() > 2))
            return std::nullopt;
        if (fs.DateOrder == TDateOrder::YMD && (g[1].size() > 2 || g[2].size() > 2))
            return std::nullopt;
        year = ToInt(yearText);
        if (yearText.size() <= 2)
            year += year < 50 ? 2000 : 1900;
    } else {
        if (g[0].size() > 2 || g[1].size() > 2)
            return std::nullopt;
        if (fs.DateOrder == TDateOrder::DMY) {
            day = ToInt(g[0]);
            month = ToInt(g[1]);
        } else {
            month = ToInt(g[0]);
            day = ToInt(g[1]);
        }
        year = CurrentYear();
    }
    TDvxDateParts p;
    p.Year = year;
    p.Month = month;
    p.Day = day;
    return EncodeDvxDateTime(p);
}

std::optional<double> ParseTime(std::string_view text, const TDvxFormatSettings& fs)
{
    text = Trim(text);
    int ampm = 0; // 1 am, 2 pm
    for (int i = 0; i < 2 && ampm == 0; ++i) {
        for (std::string_view marker :
             {std::string_view(i == 0 ? fs.AmText : fs.PmText), std::string_view(i == 0 ? "AM" : "PM")}) {
            if (!marker.empty() && EndsWithNoCase(text, marker)) {
                text = Trim(text.substr(0, text.size() - marker.size()));
                ampm = i + 1;
                break;
            }
        }
    }
    if (text.empty())
        return std::nullopt;
    // Milliseconds after the seconds: ".zzz" or ",zzz", unless that
    // character is the time separator itself.
    int ms = 0;
    const std::size_t lastSep = text.find_last_of(std::string{':', fs.TimeSeparator});
    const std::size_t frac = text.find_first_of(".,", lastSep == std::string_view::npos ? 0 : lastSep + 1);
    if (frac != std::string_view::npos && text[frac] != fs.TimeSeparator && lastSep != std::string_view::npos) {
        std::string_view f = text.substr(frac + 1);
        if (f.empty() || f.size() > 3)
            return std::nullopt;
        for (char c : f)
            if (c < '0' || c > '9')
                return std::nullopt;
        ms = ToInt(f);
        for (std::size_t i = f.size(); i < 3; ++i)
            ms *= 10;
        text = text.substr(0, frac);
    }
    std::string seps = ":";
    seps.push_back(fs.TimeSeparator);
    std::vector<std::string_view> g;
    if (!SplitNumbers(text, seps, 3, g))
        return std::nullopt;
    for (auto part : g)
        if (part.size() > 2)
            return std::nullopt;
    if (ms != 0 && g.size() < 3)
        return std::nullopt;
    int hour = ToInt(g[0]);
    const int minute = g.size() > 1 ? ToInt(g[1]) : 0;
    const int second = g.size() > 2 ? ToInt(g[2]) : 0;
    if (ampm != 0) {
        if (hour < 1 || hour > 12)
            return std::nullopt;
        hour = hour % 12 + (ampm == 2 ? 12 : 0);
    }
    if (hour > 23 || minute > 59 || second > 59)
        return std::nullopt;
    return (hour * 3600.0 + minute * 60.0 + second + ms / 1000.0) / 86400.0;
}

std::string Pad2(int v)
{
    char b[16];
    std::snprintf(b, sizeof b, "%02d", v);
    return b;
}

} // namespace

TDvxFormatSettings TDvxFormatSettings::German() { return TDvxFormatSettings{}; }

TDvxFormatSettings TDvxFormatSettings::Iso()
{
    TDvxFormatSettings fs;
    fs.DateOrder = TDateOrder::YMD;
    fs.DateSeparator = '-';
    fs.TimeSeparator = ':';
    fs.DecimalSeparator = '.';
    fs.ListSeparator = ',';
    return fs;
}

const TDvxFormatSettings& DvxFormatSettings() { return GlobalSettings(); }

void SetDvxFormatSettings(const TDvxFormatSettings& settings) { GlobalSettings() = settings; }

std::optional<double> EncodeDvxDateTime(const TDvxDateParts& p)
{
    if (p.Year < 1 || p.Year > 9999 || p.Month < 1 || p.Month > 12 || p.Day < 1 ||
        p.Day > DaysInMonth(p.Year, p.Month) || p.Hour < 0 || p.Hour > 23 || p.Minute < 0 || p.Minute > 59 ||
        p.Second < 0 || p.Second > 59 || p.Millisecond < 0 || p.Millisecond > 999)
        return std::nullopt;
    const double date = static_cast<double>(
        DaysFromCivil(p.Year, static_cast<unsigned>(p.Month), static_cast<unsigned>(p.Day)) - DaysOf18991230);
    const double time = (p.Hour * 3600000.0 + p.Minute * 60000.0 + p.Second * 1000.0 + p.Millisecond) / 86400000.0;
    return date >= 0 ? date + time : date - time;
}

TDvxDateParts DecodeDvxDateTime(double dateTime)
{
    TDvxDateParts p;
    if (!std::isfinite(dateTime) || std::fabs(dateTime) > 3.0e6)
        return p;
    double whole = std::trunc(dateTime);
    std::int64_t days = static_cast<std::int64_t>(whole);
    auto ms = static_cast<std::int64_t>(std::nearbyint(std::fabs(dateTime - whole) * 86400000.0));
    if (ms >= 86400000) {
        ms -= 86400000;
        days += dateTime < 0 && days != 0 ? -1 : 1;
    }
    CivilFromDays(days + DaysOf18991230, p.Year, p.Month, p.Day);
    p.Hour = static_cast<int>(ms / 3600000);
    p.Minute = static_cast<int>(ms / 60000 % 60);
    p.Second = static_cast<int>(ms / 1000 % 60);
    p.Millisecond = static_cast<int>(ms % 1000);
    return p;
}

std::string DvxDateToText(double dateTime, const TDvxFormatSettings& fs)
{
    const TDvxDateParts p = DecodeDvxDateTime(dateTime);
    auto dm = [&](int v) { return fs.LeadingZeroDayMonth ? Pad2(v) : std::to_string(v); };
    char yb[16];
    if (fs.FourDigitYear)
        std::snprintf(yb, sizeof yb, "%04d", p.Year);
    else
        std::snprintf(yb, sizeof yb, "%02d", p.Year % 100);
    const std::string sep(1, fs.DateSeparator);
    switch (fs.DateOrder) {
    case TDateOrder::DMY: return dm(p.Day) + sep + dm(p.Month) + sep + yb;
    case TDateOrder::MDY: return dm(p.Month) + sep + dm(p.Day) + sep + yb;
    case TDateOrder::YMD: break;
    }
    return yb + sep + dm(p.Month) + sep + dm(p.Day);
}

std::string DvxTimeToText(double dateTime, const TDvxFormatSettings& fs)
{
    const TDvxDateParts p = DecodeDvxDateTime(dateTime);
    const std::string sep(1, fs.TimeSeparator);
    if (fs.TwelveHour) {
        const int h = p.Hour % 12 == 0 ? 12 : p.Hour % 12;
        return std::to_string(h) + sep + Pad2(p.Minute) + sep + Pad2(p.Second) + " " +
               (p.Hour < 12 ? fs.AmText : fs.PmText);
    }
    return Pad2(p.Hour) + sep + Pad2(p.Minute) + sep + Pad2(p.Second);
}

std::string DvxDateTimeToText(double dateTime, const TDvxFormatSettings& fs)
{
    if (std::trunc(dateTime) == 0)
        return DvxTimeToText(dateTime, fs);
    return DvxDateToText(dateTime, fs) + " " + DvxTimeToText(dateTime, fs);
}

std::optional<double> DvxTextToDate(std::string_view text, const TDvxFormatSettings& fs)
{
    return ParseDate(Trim(text), fs);
}

std::optional<double> DvxTextToTime(std::string_view text, const TDvxFormatSettings& fs)
{
    return ParseTime(Trim(text), fs);
}

std::optional<double> DvxTextToDateTime(std::string_view text, const TDvxFormatSettings& fs)
{
    text = Trim(text);
    if (text.empty())
        return std::nullopt;
    std::size_t cut = text.find_first_of(" \t");
    const std::size_t t = text.find_first_of("Tt");
    if (cut == std::string_view::npos && t != std::string_view::npos)
        cut = t;
    if (cut != std::string_view::npos) {
        const auto date = ParseDate(text.substr(0, cut), fs);
        const auto time = ParseTime(text.substr(cut + 1), fs);
        if (date && time)
            return *date >= 0 ? *date + *time : *date - *time;
        // "1:05 PM" is a time alone with a blank inside.
        return ParseTime(text, fs);
    }
    if (const auto date = ParseDate(text, fs))
        return date;
    return ParseTime(text, fs);
}

} // namespace vro
