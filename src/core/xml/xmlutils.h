// The value text forms shared by the XML writer and reader (attribute values
// and element bodies), and the entity escaping of the program's XML subset.
//
// Character sets: the program's XML files declare ISO-8859-1 and are written
// byte for byte. Inside the program strings are UTF-8. The byte-level
// operations (XmlEscape, XmlUnescape, every raw attribute or text) never
// convert; the string forms (StringToXml, XmlToString and the writer's and
// reader's String operations) are the boundary: they convert UTF-8 to
// ISO-8859-1 and back. A character outside ISO-8859-1 is written as a
// hexadecimal character reference "&#xHHHH;" and read back as that character,
// so no text is lost; files written before never hold "&#x" unescaped (every
// "&" is written as "&amp;"), so they read exactly as before.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace vro {

// The six entities: "&" "<" ">" '"' "'" and CR LF ("&#10;"), applied in
// that order as replace-all; XmlUnescape applies the reverse replacements
// in reverse order (which equals one left-to-right pass).
std::string XmlEscape(std::string_view text);
std::string XmlUnescape(std::string_view text);
// Appends XmlEscape(text) to out (no temporary string).
void AppendXmlEscaped(std::string& out, std::string_view text);

// Decimal integer.
std::string IntToXml(std::int64_t n);
// An optional sign and decimal digits that fit the type, nothing else;
// any other text yields `def`.
std::int32_t XmlToInt(std::string_view text, std::int32_t def);
std::int64_t XmlToInt64(std::string_view text, std::int64_t def);

// "1" / "0". Reading (case-insensitive): "0", "false", "no" -> false;
// "1", "true", "yes" -> true; anything else -> def.
std::string BoolToXml(bool b);
bool XmlToBool(std::string_view text, bool def);

// Date-time as a day count, day 0 = 1899-12-30 (a negative day count keeps
// its time of day as a positive fraction below the date, as the platform's
// date type does). Written as yyyy-mm-ddThh:mm:ss.zzz (rounded to the
// millisecond). A value that is not finite or lies outside the years
// 1..9999 is written as the empty text, which every reader takes as its
// default.
std::string DateTimeToXml(double dateTime);
// Read strictly by position: at least 19 characters, "-" at 5 and 8, "T" or
// "t" at 11, ":" at 14 and 17, digits elsewhere in the first 19, a valid
// date and time; milliseconds and anything after character 19 are ignored.
// Any other text yields `def`.
double XmlToDateTime(std::string_view text, double def);
// Day count of a calendar date and time (no checks; used by the reader and tests).
double EncodeXmlDateTime(int year, int month, int day, int hour, int minute, int second, int msec = 0);

// A program string (UTF-8) in its file form: ISO-8859-1, escaped, characters
// outside ISO-8859-1 as "&#xHHHH;".
std::string StringToXml(std::string_view utf8);
void AppendStringAsXml(std::string& out, std::string_view utf8);
// An empty text yields `def`; otherwise the unescaped text as UTF-8.
std::string XmlToString(std::string_view raw, std::string_view def);

// raw / 10^decimals with exactly `decimals` decimals, no leading blanks
// ("-0.05" for raw -5, decimals 2). Exact integer arithmetic; decimals < 0
// count as 0.
std::string FixedToXml(std::int64_t raw, int decimals);
// x with exactly `decimals` decimals, or for decimals < 0 the shortest text
// that reads back as the same double (exponent form where shorter).
std::string FloatToXml(double x, int decimals);
// A decimal floating-point text ("-1.5", "2.5e-3"); anything else
// (blanks, "nan", "inf", hexadecimal, trailing characters) yields `def`.
double XmlToFloat(std::string_view text, double def);

} // namespace vro
