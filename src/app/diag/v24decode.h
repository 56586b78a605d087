// Decoding for the diagnostic windows: the data bytes of a logged frame line
// and of an answer as columns (index, hex, character, 8-bit, 16-bit and 32-bit
// little-endian values), and the data lines typed into the manual message
// window. Plain functions over strings and bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vro::app {

// "%4s %3s %2s %4s %7s %13s" of Adr, Hex, Ch, 8bit, 16bit, 32bit.
std::string DecodeHeaderLine();

// One line per byte, with the group separators; `groupChar` is '=' in the log
// window and '-' in the message window.
std::vector<std::string> DecodeDataBytes(const std::vector<std::uint8_t>& data, char groupChar);

// True when the log line is a frame line (" Adr \"" at characters 20 to 25).
bool IsFrameLine(const std::string& line);

// The detail lines of a frame line: its first 36 characters, the header, a
// line of 38 "=", then the decoded data bytes (frame bytes from the fifth up to
// the check byte) or "no data". Reading stops at the first hex group that
// cannot be read. Empty for lines that are no frame lines.
std::vector<std::string> DecodeFrameLine(const std::string& line);

// The data lines of the manual message window: "value[:size]" with size 1, 2
// or 4 (default 1), low bytes first. On error the message (German, as the
// window) and no bytes.
struct TManualData {
    std::vector<std::uint8_t> bytes;
    std::string error;
};
TManualData ParseManualData(const std::vector<std::string>& lines);

// The number field: an integer text 0..255, else nothing.
std::optional<std::uint8_t> ParseManualNumber(const std::string& text);

} // namespace vro::app
