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

// A number as the program reads typed or imported numbers: decimal with "."
// or "," as separator and an optional exponent; "$1f", "0x1f", "1fh"
// hexadecimal, "12d" decimal, "101b" binary. Empty when the text is none.
std::optional<double> ReadNumber(std::string_view text);

// The common case of ReadNumber, for the import's inner loop: a trimmed
// plain decimal ([+-]digits[.,digits], at most 15 digits). False for
// anything else (the caller then uses ReadNumber). `decimals` receives the
// digits after the separator.
inline bool ReadPlainDecimal(std::string_view t, double& value, int& decimals)
{
    // [+-] digits [("." | ",") digits]: the mantissa as an integer, then one
    // division by an exact power of ten. With at most 15 digits the mantissa
    // is exact, so the quotient is the correctly rounded value, the same
    // that std::from_chars gives.
    static constexpr double kPow10[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    const char* p = t.data();
    const char* end = p + t.size();
    bool negative = false;
    if (p < end && (*p == '-' || *p == '+')) {
        negative = *p == '-';
        ++p;
    }
    std::uint64_t m = 0;
    int digits = 0;
    while (p < end && (*p >= '0' && *p <= '9')) {
        m = m * 10 + static_cast<std::uint64_t>(*p - '0');
        ++digits;
        ++p;
    }
    int after = 0;
    if (p < end && (*p == '.' || *p == ',')) {
        ++p;
        while (p < end && (*p >= '0' && *p <= '9')) {
            m = m * 10 + static_cast<std::uint64_t>(*p - '0');
            ++digits;
            ++after;
            ++p;
        }
    }
    if (p != end || digits == 0 || digits > 15)
        return false;
    const double v = static_cast<double>(m) / kPow10[after];
    value = negative ? -v : v;
    decimals = after;
    return true;
}


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
