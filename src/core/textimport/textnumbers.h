// Readers for the cells of imported text files: numbers in the notations the
// program accepts everywhere ("," or "." as decimal separator, hexadecimal
// and binary forms), integers, and date-time texts in the locale's forms.
// All of them work on a string_view and allocate nothing, so the import can
// call them once per cell.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vro::textimport {

// The locale settings the import needs, as plain values (the desktop program
// fills them from the system locale).
struct TTextLocale {
    // Short date form: the order of d, M and y decides how a date is read;
    // "." "/" and "-" are accepted as date separators whatever the form says,
    // and a date whose first number has four digits is always year-month-day.
    std::string ShortDateFormat = "dd.MM.yyyy";
    // Long time form: its first non-letter is accepted as time separator
    // besides ":".
    std::string LongTimeFormat = "HH:mm:ss";
    // Two-digit years below this value are 20xx, the others 19xx.
    int TwoDigitYearPivot = 50;
};

std::string_view Trim(std::string_view s);

// A number as the program reads typed or imported numbers: decimal with "."
// or "," as separator and an optional exponent; "$1f", "0x1f", "1fh"
// hexadecimal, "12d" decimal, "101b" binary. Empty when the text is none.
std::optional<double> ReadNumber(std::string_view text);

// A 32-bit integer in decimal, hexadecimal ("0x", "$", trailing "h") or binary
// (trailing "b") notation; blanks inside are ignored.
std::optional<std::int32_t> ReadInteger(std::string_view text);

// Characters after the first "," (or, without one, after the first ".").
int CountDecimals(std::string_view trimmedCell);

// A date, a time of day, or both, as a date-time (days since 1899-12-30, the
// time of day as fraction). Empty when the text is no date-time.
std::optional<double> ReadDateTime(std::string_view text, const TTextLocale& locale);

// Seconds since 2000-01-01 of a date-time: the date part counts from 2000
// (a value below 1 is a pure time and counts as day 0), the time of day is
// rounded to whole seconds. Empty before 2000 or beyond the 32-bit range.
std::optional<std::int32_t> DateTimeToSeconds2000(double dateTime);

// Days since 1899-12-30 of a calendar date (no checks).
std::int64_t DaysFromCivil(int year, int month, int day);

} // namespace vro::textimport
