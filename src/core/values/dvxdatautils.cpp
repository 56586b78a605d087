#include "core/values/dvxdatautils.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "core/util/bytes.h"
#include "core/util/charset.h"
#include "core/util/numeric.h"
#include "core/text/texts.h"

namespace vro {

namespace {

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }

std::string Lower(std::string_view s)
{
    std::string r(s);
    for (char& c : r)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return r;
}

std::string Upper(std::string_view s)
{
    std::string r(s);
    for (char& c : r)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return r;
}

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

// Replaces the first "%d" or "%s" of a message pattern by `value`.
std::string Fill(std::string_view pattern, const std::string& value)
{
    for (std::size_t i = 0; i + 1 < pattern.size(); ++i)
        if (pattern[i] == '%' && (pattern[i + 1] == 'd' || pattern[i + 1] == 's'))
            return std::string(pattern.substr(0, i)) + value + std::string(pattern.substr(i + 2));
    return std::string(pattern);
}

[[noreturn]] void IllegalInteger(std::string_view text)
{
    throw EConvertError(std::string(text) + " is an illegal Integer Value");
}

// Reads an optional sign, then decimal digits or "$" and hexadecimal digits.
// Hexadecimal texts may use the full unsigned width (the bits are kept, as
// "$FFFFFFFF" = -1 for 32 bits); decimal texts must fit the signed range.
template <typename T>
bool ReadInteger(std::string_view s, T& out)
{
    using U = std::make_unsigned_t<T>;
    bool neg = false;
    if (!s.empty() && (s[0] == '+' || s[0] == '-')) {
        neg = s[0] == '-';
        s.remove_prefix(1);
    }
    if (s.empty())
        return false;
    if (s[0] == '$') {
        s.remove_prefix(1);
        if (s.empty() || s.size() > sizeof(T) * 2)
            return false;
        U v = 0;
        auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v, 16);
        if (ec != std::errc() || p != s.data() + s.size())
            return false;
        out = static_cast<T>(neg ? U(0) - v : v);
        return true;
    }
    U v = 0;
    auto [p, ec] = std::from_chars(s.data(), s.data() + s.size(), v, 10);
    if (ec != std::errc() || p != s.data() + s.size())
        return false;
    const U maxPos = static_cast<U>(std::numeric_limits<T>::max());
    if (neg) {
        if (v > maxPos + 1)
            return false;
        out = static_cast<T>(U(0) - v);
    } else {
        if (v > maxPos)
            return false;
        out = static_cast<T>(v);
    }
    return true;
}

// Strict decimal floating-point text: [sign] digits [sep digits] [e [sign]
// digits] with "." or "," as the separator. No "nan", "inf", hexadecimal or
// trailing characters; values beyond the double range are refused.
bool ReadDecimal(std::string_view s, double& out)
{
    std::string norm;
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) {
        if (s[i] == '-')
            norm.push_back('-');
        ++i;
    }
    std::size_t digits = 0;
    while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
        norm.push_back(s[i++]);
        ++digits;
    }
    if (i < s.size() && (s[i] == '.' || s[i] == ',')) {
        norm.push_back('.');
        ++i;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
            norm.push_back(s[i++]);
            ++digits;
        }
    }
    if (digits == 0)
        return false;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        norm.push_back('e');
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-'))
            norm.push_back(s[i++]);
        std::size_t expDigits = 0;
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') {
            norm.push_back(s[i++]);
            ++expDigits;
        }
        if (expDigits == 0)
            return false;
    }
    if (i != s.size())
        return false;
    double v = 0;
    auto [p, ec] = std::from_chars(norm.data(), norm.data() + norm.size(), v, std::chars_format::general);
    if (ec != std::errc() || p != norm.data() + norm.size() || !std::isfinite(v))
        return false;
    out = v;
    return true;
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

thread_local TDvxBufferPositions positions;

} // namespace

// ---- Fixed-point values -------------------------------------------------

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

// ---- Time stamps and times ------------------------------------------------

double ConvertDvxDateToDateTime(std::uint32_t Seconds) { return Seconds / 86400.0 + DvxDate2000; }

std::int32_t ConvertFloatToDvxDate(double DateTime)
{
    // Day counts are tested as doubles first, so that no conversion to an
    // integer can overflow; a negative value is a date before 1899.
    if (std::isnan(DateTime) || DateTime > 1.0e7)
        throw EDvxValueError("ConvertFloatToDvxDate: Date to big");
    if (DateTime < 0)
        throw EDvxValueError("ConvertFloatToDvxDate: Date < 01.01.2000");
    auto days = static_cast<std::int64_t>(std::trunc(DateTime));
    if (days >= 1)
        days -= 36526;
    if (days < 0)
        throw EDvxValueError("ConvertFloatToDvxDate: Date < 01.01.2000");
    const std::int64_t seconds = days * 86400;
    if (seconds > std::numeric_limits<std::int32_t>::max())
        throw EDvxValueError("ConvertFloatToDvxDate: Date to big");
    return static_cast<std::int32_t>(seconds);
}

std::int32_t ConvertTimeToDvxTime(double DateTime)
{
    if (!std::isfinite(DateTime))
        throw EDvxValueError("ConvertTimeToDvxTime: no valid Time");
    // The time of day is the fraction's magnitude, also for dates before 1899.
    const double frac = std::fabs(DateTime - std::trunc(DateTime));
    return static_cast<std::int32_t>(RoundHalfEven(frac * 86400.0));
}

std::int32_t ConvertDateTimeToDvxDateTime(double DateTime)
{
    const std::int64_t sum = std::int64_t{ConvertFloatToDvxDate(DateTime)} + ConvertTimeToDvxTime(DateTime);
    if (sum > std::numeric_limits<std::int32_t>::max())
        throw EDvxValueError("ConvertFloatToDvxDate: Date to big");
    return static_cast<std::int32_t>(sum);
}

std::int32_t ConvertStrToDvxTime(std::string_view Text, const TDvxFormatSettings& fs)
{
    const auto t = DvxTextToTime(DvxTrim(Text), fs);
    if (!t)
        throw EDvxValueError("ConvertStrToDvxTime: \"" + std::string(Text) + "\" is no valid Time!");
    return ConvertTimeToDvxTime(*t);
}

std::int32_t ConvertStrToDvxDateTime(std::string_view Text, const TDvxFormatSettings& fs)
{
    const auto t = DvxTextToDateTime(DvxTrim(Text), fs);
    if (!t)
        throw EDvxValueError("ConvertStrToDvxDateTime: \"" + std::string(Text) + "\" is no valid Date Time!");
    return ConvertDateTimeToDvxDateTime(*t);
}

// ---- Time spans -----------------------------------------------------------

std::string DvxTimeSpanToStr(std::int64_t Seconds)
{
    const bool negative = Seconds < 0;
    // The magnitude is taken unsigned, so that even the most negative value has one.
    const std::uint64_t s =
        negative ? std::uint64_t{0} - static_cast<std::uint64_t>(Seconds) : static_cast<std::uint64_t>(Seconds);
    const std::uint64_t d = s / 86400, h = s % 86400 / 3600, m = s % 3600 / 60, sec = s % 60;
    char b[64];
    std::string text;
    if (d > 0) {
        std::snprintf(b, sizeof b, "%llud ", static_cast<unsigned long long>(d));
        text = b;
    }
    auto part = [&](std::uint64_t v, const char* padded, const char* plain, bool always) {
        if (!text.empty()) {
            std::snprintf(b, sizeof b, padded, static_cast<unsigned long long>(v));
            text += b;
        } else if (v > 0 || always) {
            std::snprintf(b, sizeof b, plain, static_cast<unsigned long long>(v));
            text = b;
        }
    };
    part(h, "%02lluh ", "%lluh ", false);
    part(m, "%02llum ", "%llum ", false);
    part(sec, "%02llus", "%llus", true);
    return negative ? "-" + text : text;
}

namespace {

std::int64_t SpanTotal(const std::string& textIn)
{
    std::string text = textIn;
    std::int64_t total = 0;
    static const struct {
        char unit;
        std::int64_t factor;
    } units[] = {{'d', 86400}, {'h', 3600}, {'m', 60}, {'s', 1}};
    for (const auto& u : units) {
        const std::size_t p = text.find(u.unit);
        if (p == std::string::npos)
            continue;
        total += std::int64_t{StrToIntEx(text.substr(0, p))} * u.factor;
        text.erase(0, p + 1);
    }
    if (!DvxTrim(text).empty())
        throw EDvxValueError("Illegal Character");
    return total;
}

} // namespace

std::int32_t ConvertStrToDvxTimeSpan(std::string_view Text)
{
    std::string text = Lower(DvxTrim(Text));
    bool negative = false;
    const std::size_t minus = text.find('-');
    if (minus != std::string::npos) {
        if (!DvxTrim(std::string_view(text).substr(0, minus)).empty())
            throw EDvxValueError("Illegal Character");
        text.erase(0, minus + 1);
        negative = true;
    }
    std::int64_t total = SpanTotal(text);
    if (negative)
        total = -total;
    if (total < std::numeric_limits<std::int32_t>::min() || total > std::numeric_limits<std::int32_t>::max())
        throw EDvxValueError("Time span out of range: \"" + std::string(Text) + "\"");
    return static_cast<std::int32_t>(total);
}

// ---- Text to numbers ------------------------------------------------------

std::int32_t StrToIntEx(std::string_view Text)
{
    std::string s;
    for (char c : Lower(DvxTrim(Text)))
        if (c != ' ')
            s.push_back(c);
    if (s.empty())
        throw EConvertError("No characters to convert");
    if (s.size() > 2 && s[0] == '0' && s[1] == 'x')
        s = "$" + s.substr(2);
    if (s[0] != '$') {
        const char last = s.back();
        if (last == 'h') {
            s.pop_back();
            s.insert(0, 1, '$');
        } else if (last == 'd') {
            s.pop_back();
        } else if (last == 'b') {
            // Binary: an empty text or more than 32 digits is no value.
            const std::string body = s.substr(0, s.size() - 1);
            if (body.empty() || body.size() > 32)
                IllegalInteger(s);
            std::uint32_t v = 0;
            for (std::size_t i = 0; i < body.size(); ++i) {
                const char c = body[body.size() - 1 - i];
                if (c == '1')
                    v |= std::uint32_t{1} << i;
                else if (c != '0')
                    throw EConvertError(std::string(1, c) + " is an illegal binary character");
            }
            return static_cast<std::int32_t>(v);
        }
    }
    std::int32_t v = 0;
    if (!ReadInteger(s, v))
        IllegalInteger(s);
    return v;
}

std::int32_t StrToIntExDef(std::string_view Text, std::int32_t Default)
{
    try {
        return StrToIntEx(Text);
    } catch (const std::exception&) {
        return Default;
    }
}

std::int64_t StrToInt64Ex(std::string_view Text)
{
    std::string s = Lower(DvxTrim(Text));
    if (s.empty())
        throw EConvertError("No characters to convert");
    if (s.size() > 2 && s[0] == '0' && s[1] == 'x')
        s = "$" + s.substr(2);
    if (s[0] != '$') {
        if (s.back() == 'h') {
            s.pop_back();
            s.insert(0, 1, '$');
        } else if (s.back() == 'd') {
            s.pop_back();
        }
    }
    std::int64_t v = 0;
    if (!ReadInteger(s, v))
        IllegalInteger(s);
    return v;
}

double StrToFloatEx(std::string_view Text)
{
    const std::string s = Lower(DvxTrim(Text));
    if (s.empty())
        throw EConvertError("No characters to convert");
    if (s[0] == '$' || s.back() == 'd' || s.back() == 'h' || (s.size() > 2 && s[0] == '0' && s[1] == 'x'))
        return static_cast<double>(StrToInt64Ex(s));
    if (s.back() == 'b')
        return StrToIntEx(s);
    double v = 0;
    if (!ReadDecimal(s, v))
        throw EConvertError("\"" + std::string(DvxTrim(Text)) + "\" is not a valid floating point value");
    return v;
}

double StrToFloatExDef(std::string_view Text, double Default)
{
    try {
        return StrToFloatEx(Text);
    } catch (const std::exception&) {
        return Default;
    }
}

std::int32_t HexCharToInt(char Char)
{
    if (Char >= '0' && Char <= '9')
        return Char - '0';
    if (Char >= 'a' && Char <= 'f')
        return Char - 'a' + 10;
    if (Char >= 'A' && Char <= 'F')
        return Char - 'A' + 10;
    throw EDvxValueError(std::string("HexCharToInt: ") + Char + " ist no valid Hexchar");
}

char IntToHexChar(std::int32_t Value)
{
    if (Value < 0 || Value > 15)
        throw EDvxValueError("IntToHexChar: " + std::to_string(Value) + " out of Range 0..15");
    return "0123456789abcdef"[Value];
}

// ---- Bits -----------------------------------------------------------------

namespace {
void CheckBit(int Bit)
{
    if (Bit < 0 || Bit > 31)
        throw EDvxValueError("Bit " + std::to_string(Bit) + " out of Range 0..31");
}
} // namespace

std::int32_t SetBit(std::int32_t Value, int Bit, bool On)
{
    CheckBit(Bit);
    const std::uint32_t mask = std::uint32_t{1} << Bit;
    const std::uint32_t v = static_cast<std::uint32_t>(Value);
    return static_cast<std::int32_t>(On ? (v | mask) : (v & ~mask));
}

bool GetBit(std::int32_t Value, int Bit)
{
    CheckBit(Bit);
    return (static_cast<std::uint32_t>(Value) >> Bit) & 1u;
}

// ---- Byte fields in raw buffers ---------------------------------------------

TDvxBufferPositions& DvxBufferPositions() { return positions; }

namespace {
void MarkRead(std::size_t end)
{
    positions.Read = end;
    positions.Last = end;
}
void Written(std::size_t end)
{
    positions.Write = end;
    positions.Last = end;
}
} // namespace

void GetBufferBytes(std::span<std::uint8_t> Dest, std::span<const std::uint8_t> Buffer, std::size_t Offset)
{
    CheckRange(Buffer.size(), Offset, Dest.size());
    std::copy_n(Buffer.begin() + static_cast<std::ptrdiff_t>(Offset), Dest.size(), Dest.begin());
    MarkRead(Offset + Dest.size());
}

std::uint8_t GetBufferByte(std::span<const std::uint8_t> Buffer, std::size_t Offset)
{
    CheckRange(Buffer.size(), Offset, 1);
    MarkRead(Offset + 1);
    return Buffer[Offset];
}

void PutBufferBytes(std::span<const std::uint8_t> Source, std::span<std::uint8_t> Buffer, std::size_t Offset)
{
    CheckRange(Buffer.size(), Offset, Source.size());
    std::copy(Source.begin(), Source.end(), Buffer.begin() + static_cast<std::ptrdiff_t>(Offset));
    Written(Offset + Source.size());
}

void PutBufferByte(std::uint8_t Value, std::span<std::uint8_t> Buffer, std::size_t Offset)
{
    CheckRange(Buffer.size(), Offset, 1);
    Buffer[Offset] = Value;
    Written(Offset + 1);
}

std::string GetBufferString(std::size_t Count, std::span<const std::uint8_t> Buffer, std::size_t Offset)
{
    CheckRange(Buffer.size(), Offset, Count);
    std::string latin1;
    for (std::size_t i = 0; i < Count && Buffer[Offset + i] != 0; ++i)
        latin1.push_back(static_cast<char>(Buffer[Offset + i]));
    MarkRead(Offset + Count);
    return Latin1ToUtf8(latin1);
}

void PutBufferString(std::string_view Text, std::size_t Count, std::span<std::uint8_t> Buffer, std::size_t Offset)
{
    CheckRange(Buffer.size(), Offset, Count);
    const std::string latin1 = Utf8ToLatin1(Text);
    for (std::size_t i = 0; i < Count; ++i)
        Buffer[Offset + i] = i < latin1.size() ? static_cast<std::uint8_t>(latin1[i]) : 0;
    Written(Offset + Count);
}

namespace {
std::uint32_t GetHex(std::span<const std::uint8_t> Buffer, std::size_t Offset, std::size_t chars)
{
    CheckRange(Buffer.size(), Offset, chars);
    std::uint32_t v = 0;
    for (std::size_t i = 0; i < chars; ++i)
        v = (v << 4) | static_cast<std::uint32_t>(HexCharToInt(static_cast<char>(Buffer[Offset + i])));
    MarkRead(Offset + chars);
    return v;
}
void PutHex(std::uint32_t v, std::span<std::uint8_t> Buffer, std::size_t Offset, std::size_t chars)
{
    CheckRange(Buffer.size(), Offset, chars);
    for (std::size_t i = 0; i < chars; ++i)
        Buffer[Offset + i] =
            static_cast<std::uint8_t>(IntToHexChar(static_cast<std::int32_t>((v >> (4 * (chars - 1 - i))) & 15)));
    Written(Offset + chars);
}
} // namespace

std::uint8_t GetHexByte(std::span<const std::uint8_t> Buffer, std::size_t Offset)
{
    return static_cast<std::uint8_t>(GetHex(Buffer, Offset, 2));
}
std::uint16_t GetHexWord(std::span<const std::uint8_t> Buffer, std::size_t Offset)
{
    return static_cast<std::uint16_t>(GetHex(Buffer, Offset, 4));
}
std::uint32_t GetHexLong(std::span<const std::uint8_t> Buffer, std::size_t Offset) { return GetHex(Buffer, Offset, 8); }
void PutHexByte(std::uint8_t Value, std::span<std::uint8_t> Buffer, std::size_t Offset)
{
    PutHex(Value, Buffer, Offset, 2);
}
void PutHexWord(std::uint16_t Value, std::span<std::uint8_t> Buffer, std::size_t Offset)
{
    PutHex(Value, Buffer, Offset, 4);
}
void PutHexLong(std::uint32_t Value, std::span<std::uint8_t> Buffer, std::size_t Offset)
{
    PutHex(Value, Buffer, Offset, 8);
}

// ---- Other text helpers -----------------------------------------------------

int CountTokens(std::string_view Delimiters, std::string_view Text)
{
    int n = 1;
    for (char c : Text)
        if (Delimiters.find(c) != std::string_view::npos)
            ++n;
    return n;
}

std::string GetToken(std::string_view Delimiters, std::string_view Text, int N)
{
    if (N < 0)
        return {};
    int field = 0;
    std::size_t start = 0;
    for (std::size_t i = 0; i <= Text.size(); ++i) {
        if (i == Text.size() || Delimiters.find(Text[i]) != std::string_view::npos) {
            if (field == N)
                return DvxTrim(Text.substr(start, i - start));
            ++field;
            start = i + 1;
        }
    }
    return {};
}

void SortStrings(std::vector<std::string>& List,
                 const std::function<bool(const std::string&, const std::string&)>& Before)
{
    std::vector<std::string> placed;
    placed.reserve(List.size());
    for (auto& item : List) {
        auto at = placed.end();
        for (auto it = placed.begin(); it != placed.end(); ++it)
            if (Before(item, *it)) {
                at = it;
                break;
            }
        placed.insert(at, std::move(item));
    }
    List = std::move(placed);
}

std::string FormatBitGroups(std::int32_t Value, std::int32_t Layout)
{
    if (Layout == 0)
        return std::to_string(Value & 0x7FFF);
    int bits = (Layout >> 16) & 0xF;
    if (bits == 0)
        bits = 15;
    std::string out;
    std::uint32_t group = 0;
    int groupBits = 0;
    char b[32];
    for (int pos = bits - 1; pos >= 0; --pos) {
        group = group * 2 + ((static_cast<std::uint32_t>(Value) >> pos) & 1u);
        ++groupBits;
        if (pos == 0 || (Layout & (1 << pos))) {
            const int v = static_cast<int>(group);
            if (groupBits == bits)
                std::snprintf(b, sizeof b, "%d", v);
            else if (groupBits <= 3)
                std::snprintf(b, sizeof b, "%1.1d", v);
            else if (groupBits <= 6)
                std::snprintf(b, sizeof b, "%2.2d", v);
            else if (groupBits <= 9)
                std::snprintf(b, sizeof b, "%3.3d", v);
            else if (groupBits <= 13)
                std::snprintf(b, sizeof b, "%4.4d", v);
            else
                std::snprintf(b, sizeof b, "%5.5d", v);
            if (!out.empty())
                out += " - ";
            out += b;
            group = 0;
            groupBits = 0;
        }
    }
    return out;
}

void ParseComSettings(std::string_view Text, int& PortIndex, int& Baudrate)
{
    const std::string t = Upper(DvxTrim(Text));
    const auto fail = [&]() { return EDvxValueError("Illegal COM-Settings: \"" + std::string(Text) + "\""); };
    const std::size_t p = t.find("COM");
    if (p == std::string::npos)
        throw fail();
    std::size_t i = p + 3;
    if (i >= t.size() || t[i] < '1' || t[i] > '9')
        throw fail();
    int port = t[i] - '0';
    if (i + 1 < t.size() && t[i + 1] >= '0' && t[i + 1] <= '9')
        port = port * 10 + (t[i + 1] - '0');
    int baud = 0;
    for (int rate : DvxBaudRates)
        if (t.find(std::to_string(rate) + " BAUD") != std::string::npos)
            baud = rate;
    if (baud == 0)
        throw fail();
    PortIndex = port - 1;
    Baudrate = baud;
}

std::string DvxTrim(std::string_view Text)
{
    while (!Text.empty() && IsBlank(Text.front()))
        Text.remove_prefix(1);
    while (!Text.empty() && IsBlank(Text.back()))
        Text.remove_suffix(1);
    return std::string(Text);
}

// ---- Input checks -----------------------------------------------------------

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
