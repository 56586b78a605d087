// Calendar values and their texts without the platform's locale.
//
// A date-time inside the program is a day count as a double: day 0 is
// 1899-12-30, the time of day is the fraction (2000-01-01 00:00 is 36526.0).
// How dates and times are written and read (order of day, month and year,
// separators, 12- or 24-hour clock, decimal separator) is a plain settings
// record, TDvxFormatSettings: the app fills it from the user's locale once at
// start-up, the core never consults the C locale. Two ready forms exist: a
// German-style one ("31.12.2024 13:45:00", decimal comma) and ISO
// ("2024-12-31 13:45:00", decimal point).
//
// The program-wide settings (DvxFormatSettings) are set by the user-interface
// thread at start-up, before other threads run, and only read afterwards.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vro {

enum class TDateOrder { DMY, MDY, YMD };

struct TDvxFormatSettings {
    TDateOrder DateOrder = TDateOrder::DMY;
    char DateSeparator = '.';
    char TimeSeparator = ':';
    char DecimalSeparator = ',';
    char ListSeparator = ';';
    // Short date form: four-digit years ("31.12.2024") or two ("31.12.24").
    bool FourDigitYear = true;
    // Leading zeros on day and month in the short date form.
    bool LeadingZeroDayMonth = true;
    // 12-hour clock with AmText/PmText after the time; otherwise 24-hour.
    bool TwelveHour = false;
    std::string AmText = "AM";
    std::string PmText = "PM";

    static TDvxFormatSettings German();
    static TDvxFormatSettings Iso();
};

// The program-wide settings; German() until SetDvxFormatSettings is called.
const TDvxFormatSettings& DvxFormatSettings();
void SetDvxFormatSettings(const TDvxFormatSettings& settings);

// Day count of 1899-12-30 for the date 2000-01-01.
inline constexpr double DvxDate2000 = 36526.0;

struct TDvxDateParts {
    int Year = 1899, Month = 12, Day = 30;
    int Hour = 0, Minute = 0, Second = 0, Millisecond = 0;
};

// Date-time from calendar parts; empty when a part is out of its range
// (month 1..12, day within the month, year 1..9999, hour 0..23, minute and
// second 0..59, millisecond 0..999).
std::optional<double> EncodeDvxDateTime(const TDvxDateParts& parts);
// Calendar parts of a date-time (milliseconds rounded to nearest). Values
// before 1899-12-30 follow the platform's convention: the integer part counts
// days backwards, the fraction is the time of day.
TDvxDateParts DecodeDvxDateTime(double dateTime);

// Texts in the settings' short date form and long time form ("hh:nn:ss").
// The PC clock as a local date-time (day 0 = 1899-12-30).
double DvxNow();

std::string DvxDateToText(double dateTime, const TDvxFormatSettings& fs = DvxFormatSettings());
std::string DvxTimeToText(double dateTime, const TDvxFormatSettings& fs = DvxFormatSettings());
// Date, a blank, time; a value whose integer part is 0 (a pure time) is
// written as the time alone.
std::string DvxDateTimeToText(double dateTime, const TDvxFormatSettings& fs = DvxFormatSettings());

// Readers: surrounding blanks are ignored, anything else unexpected makes
// the result empty. A date is day, month and year in the settings' order,
// separated by the date separator (also accepted: '.', '-' and '/'); two-digit
// years count from 2000 below 50 and from 1900 otherwise; a date with only
// two numbers takes the current year. A time is hours[:minutes[:seconds
// [.milliseconds]]] with the time separator (':' always accepted) and, on
// either clock, an optional AM/PM text. A date-time is a date, then blanks or
// "T", then a time; a date alone or a time alone is accepted too.
std::optional<double> DvxTextToDate(std::string_view text, const TDvxFormatSettings& fs = DvxFormatSettings());
std::optional<double> DvxTextToTime(std::string_view text, const TDvxFormatSettings& fs = DvxFormatSettings());
std::optional<double> DvxTextToDateTime(std::string_view text, const TDvxFormatSettings& fs = DvxFormatSettings());

} // namespace vro
