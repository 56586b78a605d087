// The large display's drawing rules, free of any window system: the
// seven-segment masks of a text (six digit positions, filled from the right),
// the segment geometry of one value field, and the layout of the channel
// cells (columns, rows, cell size) with the enabling of the column choices.
//
// Mask bits: 0 top (a), 1 upper right (b), 2 lower right (c), 3 bottom (d),
// 4 lower left (e), 5 upper left (f), 6 middle (g), 7 decimal point.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>
#include <vector>

namespace vro::live {

inline constexpr int kSevenSegDigits = 6;
using TSevenSegMasks = std::array<std::uint8_t, kSevenSegDigits>;

// The mask of one character: letters upper-cased first; characters below
// the blank or past "Z" are blank (mask 0).
std::uint8_t SevenSegMask(char c);

// The six masks of a text, left to right. The text is trimmed; with more
// than six characters other than the separators , . : ; it shows "------".
// From the last character to the first, a separator ORs the point into the
// current position and any other character ORs its mask in and moves one
// position to the left; what does not fit is dropped.
TSevenSegMasks SevenSegMasks(std::string_view text);

struct TSegPoint {
    int X = 0, Y = 0;
    bool operator==(const TSegPoint&) const = default;
};

struct TSevenSegDigit {
    int Left = 0, Right = 0;
    bool Point = false;
    // One hexagon (6 points) per lit segment, in segment order a..g.
    std::vector<std::array<TSegPoint, 6>> Segments;
    // The decimal point's octagon (8 points), empty when the point is off.
    std::vector<TSegPoint> PointOctagon;
};

struct TSevenSegGeometry {
    int Thickness = 0; // 0: nothing is drawn
    int TopLine = 0, MiddleLine = 0, BottomLine = 0;
    std::array<TSevenSegDigit, kSevenSegDigits> Digits{};
};

// The polygons of the masks in the field (left, top, width, height); the
// field's bottom is top + height (the first row below it).
TSevenSegGeometry SevenSegLayout(const TSevenSegMasks& masks, int left, int top, int width, int height);

// ---- the large display's cells ----
struct TLargeDisplayLayout {
    int Columns = 1;
    int Rows = 1;
    int CellWidth = 0;
    int CellHeight = 0;
    bool TwoRowsEnabled = false;
    bool FourRowsEnabled = false;
};

// The columns after the automatic change of an update: when fewer channels
// exist than columns are chosen, 1 for at most one channel, 2 for two to
// four, 4 for five or more.
int LargeDisplayColumns(int channels, int chosen);

// Columns (after the automatic change), rows, cell size and enabling for a
// panel of the given width and a scroll area of the given height. Cell width
// = round(panel width / columns) - 40; height half of it with min/max, else
// two thirds; never above scroll height - 10 (and never below 0).
TLargeDisplayLayout LargeDisplayLayout(int panelWidth, int scrollHeight, int channels, int chosenColumns, bool minMax);

} // namespace vro::live
