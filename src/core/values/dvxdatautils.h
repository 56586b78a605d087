// Value encodings shared by everything that talks to the sensor-interface
// world: fixed-point values with a number of decimals, time stamps counted in
// seconds since 2000-01-01, time-span texts ("3d 5h 10m 12s"), integer and
// floating-point texts in several notations, bits, byte fields inside raw
// buffers, and the checks applied to typed-in values.
//
// All functions are free functions. Conversions raise EConvertError (the
// number readers) or EDvxValueError (everything else) with the system's
// message texts; the Check... functions never raise and answer with a
// message text instead (empty = acceptable).
//
// Byte-field functions take the buffer as a span and check every field
// against it (EBufferRange from core/util/bytes.h). The position just behind
// the last field read or written is kept per thread in DvxBufferPositions(),
// so that a frame can be assembled field by field.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "core/util/bytes.h"
#include "core/values/dvxdatetime.h"

namespace vro {

// A text could not be read as a number.
class EConvertError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Any other conversion fault (range, decimals, time-span syntax, ...).
class EDvxValueError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// ---- Fixed-point values -------------------------------------------------

// 10^d for d = 0..8.
inline constexpr std::int64_t DvxDecimalFactor[9] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};

// Value × 10^Decimals rounded (halves to even) and checked against the raw
// range of Width bytes (1..8): unsigned 0..256^W-1, signed symmetric
// ±(256^W/2-1). Width 8 unsigned is limited to the int64 maximum. NaN raises
// the greater-then error, infinities the matching one.
std::int64_t ConvertFloatToDvxFixValue(int Decimals, int Width, bool Signed, double Value);
// Raw / 10^Decimals; Decimals outside 0..8 raises "Error: Too much Decimals".
double ConvertDvxFixValueToFloat(int Decimals, std::int64_t Raw);
// Fixed: exactly Decimals decimals (12 significant digits); otherwise the
// shortest general notation. Uses the settings' decimal separator.
std::string ConvertDvxFixValueToStr(int Decimals, bool Fixed, std::int64_t Raw,
                                    const TDvxFormatSettings& fs = DvxFormatSettings());
// StrToFloatEx, then ConvertFloatToDvxFixValue.
std::int64_t ConvertStrToDvxValue(std::string_view Text, int Decimals, int Width, bool Signed);

// ---- Time stamps and times ------------------------------------------------

double ConvertDvxDateToDateTime(std::uint32_t Seconds);
// Seconds of the date part since 2000-01-01 (a value in 0..1, a pure time,
// counts as day 0; negative values and dates before 2000 raise).
std::int32_t ConvertFloatToDvxDate(double DateTime);
// Time of day in seconds, 0..86400 (rounded to nearest).
std::int32_t ConvertTimeToDvxTime(double DateTime);
// Date part + time part; beyond 2147483647 raises "ConvertFloatToDvxDate: Date to big".
std::int32_t ConvertDateTimeToDvxDateTime(double DateTime);
std::int32_t ConvertStrToDvxTime(std::string_view Text, const TDvxFormatSettings& fs = DvxFormatSettings());
std::int32_t ConvertStrToDvxDateTime(std::string_view Text, const TDvxFormatSettings& fs = DvxFormatSettings());
inline std::uint32_t DvxTimeOfDay(std::uint32_t Seconds) { return Seconds % 86400u; }
inline std::uint32_t DvxDatePart(std::uint32_t Seconds) { return Seconds - Seconds % 86400u; }

// ---- Time spans -----------------------------------------------------------

// "1d 01h 01m 01s", "1h 00m 00s", "1m 01s", "5s", "-5s".
std::string DvxTimeSpanToStr(std::int64_t Seconds);
// Units in the order d, h, m, s, an optional leading "-"; raises
// EDvxValueError("Illegal Character") on bad syntax, EConvertError on a bad
// count, and EDvxValueError when the span does not fit 32 bits.
std::int32_t ConvertStrToDvxTimeSpan(std::string_view Text);

// ---- Text to numbers ------------------------------------------------------

// Decimal, hexadecimal ("0x1F", "$1F", "1Fh") or binary ("101b") notation,
// case-insensitive, blanks inside ignored; "12d" is decimal.
std::int32_t StrToIntEx(std::string_view Text);
std::int32_t StrToIntExDef(std::string_view Text, std::int32_t Default);
// Decimal or hexadecimal, 64 bits, no blank removal, no binary.
std::int64_t StrToInt64Ex(std::string_view Text);
// Decimal number with "." or "," as separator and an optional exponent, or
// one of the integer notations. "nan", "inf", hexadecimal floats and trailing
// characters are refused.
double StrToFloatEx(std::string_view Text);
double StrToFloatExDef(std::string_view Text, double Default);
std::int32_t HexCharToInt(char Char);
char IntToHexChar(std::int32_t Value);

// ---- Bits -----------------------------------------------------------------

// Bit 0..31; another bit number raises EDvxValueError.
std::int32_t SetBit(std::int32_t Value, int Bit, bool On);
bool GetBit(std::int32_t Value, int Bit);

// ---- Byte fields in raw buffers ---------------------------------------------

struct TDvxBufferPositions {
    std::size_t Read = 0;  // behind the last field read
    std::size_t Write = 0; // behind the last field written
    std::size_t Last = 0;  // behind the last field read or written
};
// This thread's positions.
TDvxBufferPositions& DvxBufferPositions();

void GetBufferBytes(std::span<std::uint8_t> Dest, std::span<const std::uint8_t> Buffer, std::size_t Offset);
std::uint8_t GetBufferByte(std::span<const std::uint8_t> Buffer, std::size_t Offset);
void PutBufferBytes(std::span<const std::uint8_t> Source, std::span<std::uint8_t> Buffer, std::size_t Offset);
void PutBufferByte(std::uint8_t Value, std::span<std::uint8_t> Buffer, std::size_t Offset);
// A fixed ISO-8859-1 field of Count bytes up to the first 0 byte, as UTF-8.
std::string GetBufferString(std::size_t Count, std::span<const std::uint8_t> Buffer, std::size_t Offset);
// Text (UTF-8) as ISO-8859-1, cut at Count bytes, the rest filled with 0.
void PutBufferString(std::string_view Text, std::size_t Count, std::span<std::uint8_t> Buffer, std::size_t Offset);
// 2, 4 or 8 hexadecimal characters, most significant first.
std::uint8_t GetHexByte(std::span<const std::uint8_t> Buffer, std::size_t Offset);
std::uint16_t GetHexWord(std::span<const std::uint8_t> Buffer, std::size_t Offset);
std::uint32_t GetHexLong(std::span<const std::uint8_t> Buffer, std::size_t Offset);
void PutHexByte(std::uint8_t Value, std::span<std::uint8_t> Buffer, std::size_t Offset);
void PutHexWord(std::uint16_t Value, std::span<std::uint8_t> Buffer, std::size_t Offset);
void PutHexLong(std::uint32_t Value, std::span<std::uint8_t> Buffer, std::size_t Offset);

// ---- Other text helpers -----------------------------------------------------

// 1 + the number of characters of Text that are delimiters.
int CountTokens(std::string_view Delimiters, std::string_view Text);
// Field N (from 0), trimmed; empty beyond the last field.
std::string GetToken(std::string_view Delimiters, std::string_view Text, int N);
inline std::int32_t Clamp(std::int32_t Value, std::int32_t Low, std::int32_t High)
{
    return Value < Low ? Low : (Value > High ? High : Value);
}
inline std::int64_t ClampInt64(std::int64_t Value, std::int64_t Low, std::int64_t High)
{
    return Value < Low ? Low : (Value > High ? High : Value);
}
// Stable insertion sort by the caller's predicate.
void SortStrings(std::vector<std::string>& List,
                 const std::function<bool(const std::string&, const std::string&)>& Before);
// A number shown as bit groups ("12 - 03 - 1"); Layout as the state codes use it.
std::string FormatBitGroups(std::int32_t Value, std::int32_t Layout);
// "COM3: 460800 BAUD" → PortIndex 2, Baudrate 460800; raises
// EDvxValueError("Illegal COM-Settings: \"...\"").
void ParseComSettings(std::string_view Text, int& PortIndex, int& Baudrate);
inline constexpr int DvxBaudRates[6] = {9600, 19200, 38400, 57600, 115200, 460800};

// Trims blanks and control characters from both ends.
std::string DvxTrim(std::string_view Text);

// ---- Input checks -----------------------------------------------------------

// Each check trims Text in place and returns the message, empty when the
// input is acceptable. The messages are the validation texts of the library
// text set in the selected language (core/text/texts.h). Every check first applies CheckEmptyText.
std::string CheckEmptyText(std::string& Text);
// Min and Max are raw values at Decimals (0..8).
std::string CheckFixValueText(std::string& Text, int Decimals, std::int64_t Min, std::int64_t Max);
std::string CheckDateText(std::string& Text, double MinDate, double MaxDate,
                          const TDvxFormatSettings& fs = DvxFormatSettings());
std::string CheckTimeText(std::string& Text, const TDvxFormatSettings& fs = DvxFormatSettings());
// A time alone takes the date of Min.
std::string CheckDateTimeText(std::string& Text, double Min, double Max,
                              const TDvxFormatSettings& fs = DvxFormatSettings());
std::string CheckTimeSpanText(std::string& Text, std::int64_t Min, std::int64_t Max);

} // namespace vro
