// Texts of the diagnostic windows that belong to the transfer log: the
// decoding of frame data bytes (8, 16 and 32 bit views), the detail of a
// logged frame line (DIAGNOSE window), and the data lines of the manual
// message window. Pure functions; the windows only show their results.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vro {

// Which window a decoding is for: the log window closes each group of four
// bytes with 38 "=", the message window with 38 "-".
enum class EDecodeWindow { Log, Message };

// The column header "%4s %3s %2s %4s %7s %13s" of Adr, Hex, Ch, 8bit, 16bit, 32bit.
std::string DecodeHeaderLine();
// One or two lines per byte (see the windows' description); "no data" for none.
std::vector<std::string> DecodeDataBytes(std::span<const std::uint8_t> bytes, EDecodeWindow window);

// The detail lines of a logged frame line ("Transmit", "Receive" or "Echo"
// line), or nothing when the line is not a frame line. Positions are taken
// relative to the time stamp, so lines after 9999 s (a wider stamp) decode
// too; every position is checked against the line's length.
std::optional<std::vector<std::string>> DecodeFrameLogLine(const std::string& line);

// The data of the manual message window: one value per line, "value" or
// "value:size" with size 1, 2 or 4, appended little-endian. Raises
// std::invalid_argument with the window's message for a bad line or more
// than 250 bytes.
std::vector<std::uint8_t> ParseManualData(const std::vector<std::string>& lines);

} // namespace vro
