// Fixed-point values: raw integers with a number of decimals, and their texts.
#include "core/values/dvxdatautils.h"

#include "core/util/numeric.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace vro {

namespace {

// "%.15g" in the form the messages use: "NAN", "INF", "-INF" for the
// non-finite values.
std::string FormatG(double v)
{
    if (std::isnan(v))
        return "NAN";
    if (std::isinf(v))
        return v < 0 ? "-INF" : "INF";
    char b[64];
    std::snprintf(b, sizeof b, "%.15g", v);
    return b;
}

// Decimal digits of |v| with a separator before the last `decimals` digits.
std::string FixedFromDigits(bool negative, std::string digits, int decimals, char sep)
{
    if (static_cast<int>(digits.size()) <= decimals)
        digits.insert(0, static_cast<std::size_t>(decimals) + 1 - digits.size(), '0');
    if (decimals > 0)
        digits.insert(digits.size() - static_cast<std::size_t>(decimals), 1, sep);
    bool allZero = true;
    for (char c : digits)
        if (c >= '1' && c <= '9')
            allZero = false;
    return (negative && !allZero ? "-" : "") + digits;
}

// Rounds a decimal digit string to `keep` significant digits, halves to even,
// and fills the dropped positions with zeros (the length may grow by one).
std::string RoundDigits(std::string digits, std::size_t keep)
{
    if (digits.size() <= keep)
        return digits;
    const char first = digits[keep];
    bool restNonZero = false;
    for (std::size_t i = keep + 1; i < digits.size(); ++i)
        if (digits[i] != '0')
            restNonZero = true;
    const bool lastOdd = keep > 0 && ((digits[keep - 1] - '0') % 2 == 1);
    const bool up = first > '5' || (first == '5' && (restNonZero || lastOdd));
    for (std::size_t i = keep; i < digits.size(); ++i)
        digits[i] = '0';
    if (up) {
        std::size_t i = keep;
        while (i > 0) {
            --i;
            if (digits[i] == '9') {
                digits[i] = '0';
            } else {
                ++digits[i];
                return digits;
            }
        }
        digits.insert(0, 1, '1');
    }
    return digits;
}

// Exponent form "1.5E-8", "1E20" (no "+", no leading zeros), as the
// general notation writes it.
std::string TidyExponent(std::string s)
{
    const std::size_t e = s.find_first_of("eE");
    if (e == std::string::npos)
        return s;
    std::string mant = s.substr(0, e);
    std::string exp = s.substr(e + 1);
    bool neg = false;
    if (!exp.empty() && (exp[0] == '+' || exp[0] == '-')) {
        neg = exp[0] == '-';
        exp.erase(0, 1);
    }
    while (exp.size() > 1 && exp[0] == '0')
        exp.erase(0, 1);
    return mant + "E" + (neg ? "-" : "") + exp;
}

void ReplaceDot(std::string& s, char sep)
{
    for (char& c : s)
        if (c == '.')
            c = sep;
}

} // namespace

std::int64_t ConvertFloatToDvxFixValue(int Decimals, int Width, bool Signed, double Value)
{
    if (Decimals < 0 || Decimals > 8)
        throw EDvxValueError("ConvertFloatToDvxFixValue: " + std::to_string(Decimals) + " are too much Decimals");
    if (Width < 1 || Width > 8)
        throw EDvxValueError("ConvertFloatToDvxFixValue: Width " + std::to_string(Width) + " out of range 1..8");
    std::int64_t max;
    if (Width == 8)
        max = std::numeric_limits<std::int64_t>::max();
    else if (Signed)
        max = (std::int64_t{1} << (8 * Width - 1)) - 1;
    else
        max = (std::int64_t{1} << (8 * Width)) - 1;
    const std::int64_t min = Signed ? -max : 0;

    const double scaled = RoundHalfEven(Value * static_cast<double>(DvxDecimalFactor[Decimals]));
    auto greater = [&](const std::string& raw) {
        return EDvxValueError("ConvertFloatToDvxFixValue: " + raw + " is greater then " +
                              FormatG(static_cast<double>(max)));
    };
    auto less = [&](const std::string& raw) {
        return EDvxValueError("ConvertFloatToDvxFixValue: " + raw + " is less then " +
                              FormatG(static_cast<double>(min)));
    };
    // The limits are tested on the double before it becomes an integer:
    // every double in [-2^63, 2^63) converts exactly.
    const double two63 = 9223372036854775808.0;
    if (std::isnan(scaled) || scaled >= two63)
        throw greater(FormatG(scaled));
    if (scaled < -two63)
        throw less(FormatG(scaled));
    const auto raw = static_cast<std::int64_t>(scaled);
    if (raw > max)
        throw greater(FormatG(scaled));
    if (raw < min)
        throw less(FormatG(scaled));
    return raw;
}

double ConvertDvxFixValueToFloat(int Decimals, std::int64_t Raw)
{
    if (Decimals < 0 || Decimals > 8)
        throw EDvxValueError("Error: Too much Decimals");
    return static_cast<double>(Raw) / static_cast<double>(DvxDecimalFactor[Decimals]);
}

std::string ConvertDvxFixValueToStr(int Decimals, bool Fixed, std::int64_t Raw, const TDvxFormatSettings& fs)
{
    const double value = ConvertDvxFixValueToFloat(Decimals, Raw);
    if (!Fixed) {
        char b[64];
        std::snprintf(b, sizeof b, "%.15g", value);
        std::string s = TidyExponent(b);
        ReplaceDot(s, fs.DecimalSeparator);
        return s;
    }
    // Exact decimal digits of the raw value, rounded to 12 significant digits.
    const bool negative = Raw < 0;
    const std::uint64_t mag =
        negative ? std::uint64_t{0} - static_cast<std::uint64_t>(Raw) : static_cast<std::uint64_t>(Raw);
    std::string digits = RoundDigits(std::to_string(mag), 12);
    if (static_cast<int>(digits.size()) - Decimals > 12) {
        // More integer digits than the precision: general notation.
        char b[64];
        std::snprintf(b, sizeof b, "%.12G", value);
        std::string s = TidyExponent(b);
        ReplaceDot(s, fs.DecimalSeparator);
        return s;
    }
    return FixedFromDigits(negative, digits, Decimals, fs.DecimalSeparator);
}

std::int64_t ConvertStrToDvxValue(std::string_view Text, int Decimals, int Width, bool Signed)
{
    double v;
    try {
        v = StrToFloatEx(Text);
    } catch (const EConvertError&) {
        throw EDvxValueError("ConvertStrToDvxValue: \"" + std::string(Text) + "\" is no valid Number!");
    }
    return ConvertFloatToDvxFixValue(Decimals, Width, Signed, v);
}

} // namespace vro
