// The user's regional settings as TDvxFormatSettings (core/values/dvxdatetime.h).
//
// Both programs fill the program-wide settings from the user's locale at
// start-up through FormatSettingsFromLocale, so that they agree: the desktop
// program with what its toolkit reports for the system locale, vro with what
// the C library reports (CLibraryLocaleFacts). The facts are plain texts in
// the form each platform gives them; the mapping reads both pattern forms,
// strftime's ("%d.%m.%Y", "%r") and the toolkit's ("dd.MM.yy", "h:mm:ss AP").
//
// Only the number and date forms follow the locale: the texts of the program
// keep its language setting, the TDM export keeps its decimal point, and the
// readers accept "." and "," whatever the locale.
#pragma once

#include <string>

#include "core/values/dvxdatetime.h"

namespace vro {

struct TLocaleFacts {
    std::string DecimalPoint; // "," or "."
    std::string DateFormat;   // the short date pattern
    std::string TimeFormat;   // the time pattern
    std::string AmText;       // empty: "AM"
    std::string PmText;       // empty: "PM"

    // The C library's "C" (POSIX) locale, for a reference and the tests.
    static TLocaleFacts C();
};

// Decimal separator ("," or "."; anything else gives "."), date order and
// separator from the date pattern, time separator and 12/24-hour clock from
// the time pattern, the AM/PM texts, list separator ";" where the decimal
// separator is "," and "," otherwise. Years keep four digits and day and
// month their leading zeros. A pattern that says nothing usable leaves that
// part as in the C locale.
TDvxFormatSettings FormatSettingsFromLocale(const TLocaleFacts& facts);

// What the C library says of the user's locale (the environment's LC_ALL,
// LC_NUMERIC, LC_TIME, LANG): setlocale(LC_ALL, ""), localeconv and
// nl_langinfo; the process's locale is restored before it returns, so the
// C library's own number formatting does not change.
TLocaleFacts CLibraryLocaleFacts();

} // namespace vro
