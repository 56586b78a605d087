// Input checks: a typed text checked against a range, with the message to show.
#include "core/values/dvxdatautils.h"

#include "core/text/texts.h"
#include "core/util/numeric.h"

#include <cmath>

namespace vro {

namespace {

// Replaces the first "%d" or "%s" of a message pattern by `value`.
std::string Fill(std::string_view pattern, const std::string& value)
{
    for (std::size_t i = 0; i + 1 < pattern.size(); ++i)
        if (pattern[i] == '%' && (pattern[i + 1] == 'd' || pattern[i + 1] == 's'))
            return std::string(pattern.substr(0, i)) + value + std::string(pattern.substr(i + 2));
    return std::string(pattern);
}

} // namespace

std::string CheckEmptyText(std::string& Text)
{
    Text = DvxTrim(Text);
    return Text.empty() ? std::string(LibraryTexts().EmptyInputError) : std::string();
}

std::string CheckFixValueText(std::string& Text, int Decimals, std::int64_t Min, std::int64_t Max)
{
    std::string msg = CheckEmptyText(Text);
    if (!msg.empty())
        return msg;
    const TLibraryTexts& t = LibraryTexts();
    if (Decimals < 0 || Decimals > 8)
        return t.IllegalCharError;
    double v;
    try {
        v = StrToFloatEx(Text);
    } catch (const std::exception&) {
        return t.IllegalCharError;
    }
    const std::int64_t f = DvxDecimalFactor[Decimals];
    const auto shown = [&](std::int64_t limit) { return std::to_string(limit / f); };
    const double guard = 68719476736.0 / static_cast<double>(f); // 2^36
    if (v > guard)
        return Fill(t.GreaterThanError, shown(Max));
    if (v < -guard)
        return Fill(t.LessThanError, shown(Min));
    const auto raw = static_cast<std::int64_t>(RoundHalfEven(v * static_cast<double>(f)));
    if (raw > Max)
        return Fill(t.GreaterThanError, shown(Max));
    if (raw < Min)
        return Fill(t.LessThanError, shown(Min));
    return {};
}

std::string CheckDateText(std::string& Text, double MinDate, double MaxDate, const TDvxFormatSettings& fs)
{
    std::string msg = CheckEmptyText(Text);
    if (!msg.empty())
        return msg;
    const TLibraryTexts& t = LibraryTexts();
    const auto d = DvxTextToDate(Text, fs);
    if (!d)
        return t.InvalidDateError;
    // A date is compared by days: the day of MinDate itself is allowed.
    if (*d < std::floor(MinDate))
        return Fill(t.DateTooEarlyError, DvxDateToText(MinDate, fs));
    if (*d > MaxDate)
        return Fill(t.DateTooLateError, DvxDateToText(MaxDate, fs));
    return {};
}

std::string CheckTimeText(std::string& Text, const TDvxFormatSettings& fs)
{
    std::string msg = CheckEmptyText(Text);
    if (!msg.empty())
        return msg;
    return DvxTextToTime(Text, fs) ? std::string() : std::string(LibraryTexts().InvalidTimeError);
}

std::string CheckDateTimeText(std::string& Text, double Min, double Max, const TDvxFormatSettings& fs)
{
    std::string msg = CheckEmptyText(Text);
    if (!msg.empty())
        return msg;
    const TLibraryTexts& t = LibraryTexts();
    auto v = DvxTextToDateTime(Text, fs);
    if (!v)
        return t.InvalidDateTimeError;
    if (*v >= 0 && *v < 1)
        *v += std::floor(Min);
    // Half a millisecond of slack: the limit and the typed text reach the
    // same moment by different arithmetic.
    const double slack = 0.5 / 86400000.0;
    if (*v < Min - slack)
        return Fill(t.DateTimeTooEarlyError, DvxDateTimeToText(Min, fs));
    if (*v > Max + slack)
        return Fill(t.DateTimeTooLateError, DvxDateTimeToText(Max, fs));
    return {};
}

std::string CheckTimeSpanText(std::string& Text, std::int64_t Min, std::int64_t Max)
{
    std::string msg = CheckEmptyText(Text);
    if (!msg.empty())
        return msg;
    const TLibraryTexts& t = LibraryTexts();
    std::int32_t v;
    try {
        v = ConvertStrToDvxTimeSpan(Text);
    } catch (const std::exception&) {
        return t.InvalidTimeSpanError;
    }
    if (v < Min)
        return Fill(t.TimeSpanTooSmallError, DvxTimeSpanToStr(Min));
    if (v > Max)
        return Fill(t.TimeSpanTooLargeError, DvxTimeSpanToStr(Max));
    return {};
}

} // namespace vro
