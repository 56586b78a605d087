// Widths of UTF-8 text as a terminal shows it: columns of text tables are
// padded by the characters shown, not by bytes, so that "°C" or "Druck ü"
// keep the columns after them in line.
#pragma once

#include <string>
#include <string_view>

namespace vro {

// The number of terminal columns the UTF-8 text takes (combining marks 0,
// wide East Asian characters 2, malformed bytes one each).
int DisplayWidth(std::string_view utf8);

// The text padded with blanks to `width` columns, on the right (left-aligned
// cell) or on the left (right-aligned cell); a wider text is kept whole.
std::string PadToWidth(std::string_view utf8, int width, bool alignRight = false);

} // namespace vro
