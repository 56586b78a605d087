#include "core/values/localeformat.h"

#include <gtest/gtest.h>

#include "core/values/dvxdatetime.h"

namespace vro {
namespace {

struct TCase {
    const char* Name;
    TLocaleFacts CLibrary; // what localeconv and nl_langinfo give
    TLocaleFacts Toolkit;  // what the desktop toolkit gives
    TDateOrder Order;
    char DateSeparator;
    char DecimalSeparator;
    char ListSeparator;
    bool TwelveHour;
};

const TCase kCases[] = {
    {"de_DE",
     {",", "%d.%m.%Y", "%T", "", ""},
     {",", "dd.MM.yy", "HH:mm:ss t", "AM", "PM"},
     TDateOrder::DMY,
     '.',
     ',',
     ';',
     false},
    {"en_US",
     {".", "%m/%d/%Y", "%r", "AM", "PM"},
     {".", "M/d/yy", "h:mm:ss AP t", "AM", "PM"},
     TDateOrder::MDY,
     '/',
     '.',
     ',',
     true},
    {"en_GB",
     {".", "%d/%m/%y", "%T", "am", "pm"},
     {".", "dd/MM/yyyy", "HH:mm:ss t", "am", "pm"},
     TDateOrder::DMY,
     '/',
     '.',
     ',',
     false},
    {"fr_FR",
     {",", "%d/%m/%Y", "%T", "", ""},
     {",", "dd/MM/yyyy", "HH:mm:ss t", "AM", "PM"},
     TDateOrder::DMY,
     '/',
     ',',
     ';',
     false},
    {"C", TLocaleFacts::C(), TLocaleFacts::C(), TDateOrder::MDY, '/', '.', ',', false},
};

// Both programs' sources of the same locale give the same forms.
TEST(LocaleForms, FiveLocalesFromBothSources)
{
    for (const TCase& c : kCases)
        for (const TLocaleFacts& facts : {c.CLibrary, c.Toolkit}) {
            const TDvxFormatSettings fs = FormatSettingsFromLocale(facts);
            SCOPED_TRACE(std::string(c.Name) + " " + facts.DateFormat);
            EXPECT_EQ(fs.DateOrder, c.Order);
            EXPECT_EQ(fs.DateSeparator, c.DateSeparator);
            EXPECT_EQ(fs.DecimalSeparator, c.DecimalSeparator);
            EXPECT_EQ(fs.ListSeparator, c.ListSeparator);
            EXPECT_EQ(fs.TimeSeparator, ':');
            EXPECT_EQ(fs.TwelveHour, c.TwelveHour);
            EXPECT_TRUE(fs.FourDigitYear);
        }
}

TEST(LocaleForms, TextsInTheMappedForms)
{
    const double t = *EncodeDvxDateTime({2007, 3, 1, 14, 5, 9, 0});
    const auto text = [&](const TLocaleFacts& f) { return DvxDateTimeToText(t, FormatSettingsFromLocale(f)); };
    EXPECT_EQ(text(kCases[0].CLibrary), "01.03.2007 14:05:09");
    EXPECT_EQ(text(kCases[1].CLibrary), "03/01/2007 2:05:09 PM");
    EXPECT_EQ(text(kCases[2].Toolkit), "01/03/2007 14:05:09");
    EXPECT_EQ(text(TLocaleFacts::C()), "03/01/2007 14:05:09");
    // German is what a German locale gives.
    const TDvxFormatSettings de = FormatSettingsFromLocale(kCases[0].CLibrary);
    EXPECT_EQ(DvxDateTimeToText(t, de), DvxDateTimeToText(t, TDvxFormatSettings::German()));
    // A date read back in the form it was written.
    const TDvxFormatSettings us = FormatSettingsFromLocale(kCases[1].Toolkit);
    EXPECT_EQ(DvxTextToDateTime(DvxDateTimeToText(t, us), us), t);
}

TEST(LocaleForms, UnusualAndEmptyFacts)
{
    // ISO dates, a time with "." (which would read as milliseconds), a
    // decimal separator that is neither "," nor ".", nothing at all.
    TDvxFormatSettings fs = FormatSettingsFromLocale({"\xD9\xAB", "%Y-%m-%d", "%H.%M.%S", "", ""});
    EXPECT_EQ(fs.DateOrder, TDateOrder::YMD);
    EXPECT_EQ(fs.DateSeparator, '-');
    EXPECT_EQ(fs.TimeSeparator, ':');
    EXPECT_EQ(fs.DecimalSeparator, '.');
    fs = FormatSettingsFromLocale({"", "", "", "", ""});
    EXPECT_EQ(fs.DateOrder, TDateOrder::MDY);
    EXPECT_EQ(fs.AmText, "AM");
    fs = FormatSettingsFromLocale({",", "yyyy'年'M'月'd'日'", "%p %I:%M:%S", "", ""});
    EXPECT_EQ(fs.DateOrder, TDateOrder::YMD);
    EXPECT_TRUE(fs.TwelveHour);
    fs = FormatSettingsFromLocale({".", "%F", "H:mm", "", ""});
    EXPECT_EQ(fs.DateOrder, TDateOrder::YMD);
    EXPECT_FALSE(fs.TwelveHour);
}

// The C library's own answer under the C locale, which every machine has.
TEST(LocaleForms, CLibraryUnderTheCLocale)
{
    const char* old = std::getenv("LC_ALL");
    const std::string saved = old ? old : "";
    ::setenv("LC_ALL", "C", 1);
    const TLocaleFacts f = CLibraryLocaleFacts();
    if (old)
        ::setenv("LC_ALL", saved.c_str(), 1);
    else
        ::unsetenv("LC_ALL");
    EXPECT_EQ(f.DecimalPoint, ".");
    const TDvxFormatSettings fs = FormatSettingsFromLocale(f);
    EXPECT_EQ(fs.DateOrder, TDateOrder::MDY);
    EXPECT_EQ(fs.DecimalSeparator, '.');
}

} // namespace
} // namespace vro
