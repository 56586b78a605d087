// Text to numbers: integer notations, strict decimal floats, hexadecimal digits.
#include "core/values/dvxdatautils.h"

#include "core/values/dvxdatadetail.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace vro {

using dvxdata_detail::Lower;

namespace {

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

} // namespace

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

} // namespace vro
