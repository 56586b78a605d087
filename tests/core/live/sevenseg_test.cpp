// The large display's seven-segment masks, segment geometry and cell layout.
#include "core/live/sevenseg.h"

#include <gtest/gtest.h>

using namespace vro::live;

namespace {

TSevenSegMasks M(std::initializer_list<int> v)
{
    TSevenSegMasks m{};
    std::size_t i = 0;
    for (int x : v)
        m[i++] = static_cast<std::uint8_t>(x);
    return m;
}

} // namespace

TEST(SevenSegMask, TableLettersAndBlanks)
{
    EXPECT_EQ(SevenSegMask('0'), 0x3F);
    EXPECT_EQ(SevenSegMask('8'), 0x7F);
    EXPECT_EQ(SevenSegMask('A'), 0x77);
    EXPECT_EQ(SevenSegMask('a'), 0x77); // upper-cased first
    EXPECT_EQ(SevenSegMask('Z'), 0x5B);
    EXPECT_EQ(SevenSegMask('='), 0x84);
    EXPECT_EQ(SevenSegMask('K'), 0);
    EXPECT_EQ(SevenSegMask('['), 0); // past "Z"
    EXPECT_EQ(SevenSegMask('\x7F'), 0);
    EXPECT_EQ(SevenSegMask('\x1F'), 0); // below the blank
    EXPECT_EQ(SevenSegMask('\xC4'), 0);
}

TEST(SevenSegMasks, FillFromTheRightWithPoints)
{
    EXPECT_EQ(SevenSegMasks("12.5"), M({0, 0, 0, 0x06, 0x5B | 0x80, 0x6D}));
    EXPECT_EQ(SevenSegMasks("  12.5 "), SevenSegMasks("12.5"));
    EXPECT_EQ(SevenSegMasks("12345.6"), M({0x06, 0x5B, 0x4F, 0x66, 0x6D | 0x80, 0x7D}));
    EXPECT_EQ(SevenSegMasks("-4.7"), M({0, 0, 0, 0x40, 0x66 | 0x80, 0x07}));
}

TEST(SevenSegMasks, SevenDigitsShowDashes)
{
    const TSevenSegMasks dashes = M({0x40, 0x40, 0x40, 0x40, 0x40, 0x40});
    EXPECT_EQ(SevenSegMasks("1234567"), dashes);
    EXPECT_EQ(SevenSegMasks("123456.7"), dashes);
    EXPECT_EQ(SevenSegMasks("123456"), M({0x06, 0x5B, 0x4F, 0x66, 0x6D, 0x7D}));
}

TEST(SevenSegMasks, SeparatorsAtEitherEndAndMaskZeroCharacters)
{
    // A leading separator lights the point of the blank left of the 5.
    EXPECT_EQ(SevenSegMasks(".5"), M({0, 0, 0, 0, 0x80, 0x6D}));
    // A trailing separator lights the point of the last digit.
    EXPECT_EQ(SevenSegMasks("5."), M({0, 0, 0, 0, 0, 0x6D | 0x80}));
    // "K" and "#" have mask 0 but still take a position.
    EXPECT_EQ(SevenSegMasks("1K2"), M({0, 0, 0, 0x06, 0, 0x5B}));
    EXPECT_EQ(SevenSegMasks("#"), M({0, 0, 0, 0, 0, 0}));
    // Separators do not count towards the six digits.
    EXPECT_EQ(SevenSegMasks("1:2;3,4.5"), M({0, 0x06 | 0x80, 0x5B | 0x80, 0x4F | 0x80, 0x66 | 0x80, 0x6D}));
    EXPECT_EQ(SevenSegMasks(""), M({}));
}

TEST(SevenSegLayout, LinesDigitsAndHexagons)
{
    // 120 x 48: t = min(120/6/5, 48/12) = 4.
    TSevenSegMasks m{};
    m[0] = 0x01 | 0x02 | 0x80; // a, b and the point
    const TSevenSegGeometry g = SevenSegLayout(m, 10, 20, 120, 48);
    ASSERT_EQ(g.Thickness, 4);
    EXPECT_EQ(g.TopLine, 20 + 4 + 2);
    EXPECT_EQ(g.BottomLine, 20 + 48 - 4 - 2 - 1); // bottom = top + height, exclusive
    EXPECT_EQ(g.MiddleLine, (26 + 61) / 2);
    // Narrowed field: left 12, right 126, width 114.
    EXPECT_EQ(g.Digits[0].Left, 12 + 0 + 4);
    EXPECT_EQ(g.Digits[0].Right, 12 + 114 / 6 - 4);
    EXPECT_EQ(g.Digits[5].Left, 12 + 5 * 114 / 6 + 4);
    EXPECT_EQ(g.Digits[5].Right, 12 + 114 - 4);
    const auto& d = g.Digits[0];
    ASSERT_EQ(d.Segments.size(), 2u);
    const int x1 = d.Left + 1, x2 = d.Right - 1, y = g.TopLine, t = 4;
    EXPECT_EQ(d.Segments[0],
              (std::array<TSegPoint, 6>{
                  {{x1, y}, {x1 + t, y - t}, {x2 - t, y - t}, {x2, y}, {x2 - t, y + t}, {x1 + t, y + t}}}));
    const int x = d.Right, y1 = g.TopLine + 1, y2 = g.MiddleLine - 1;
    EXPECT_EQ(d.Segments[1],
              (std::array<TSegPoint, 6>{
                  {{x, y1}, {x + t, y1 + t}, {x + t, y2 - t}, {x, y2}, {x - t, y2 - t}, {x - t, y1 + t}}}));
    ASSERT_TRUE(d.Point);
    ASSERT_EQ(d.PointOctagon.size(), 8u);
    for (const auto& p : d.PointOctagon) { // centred t right of the digit on the bottom line
        EXPECT_LE(std::abs(p.X - (d.Right + t)), t);
        EXPECT_LE(std::abs(p.Y - g.BottomLine), t);
    }
    EXPECT_TRUE(g.Digits[1].Segments.empty());
    EXPECT_TRUE(g.Digits[1].PointOctagon.empty());
}

TEST(SevenSegLayout, ZeroThicknessDrawsNothing)
{
    const TSevenSegGeometry g = SevenSegLayout(SevenSegMasks("88"), 0, 0, 29, 100); // 29/6/5 = 0
    EXPECT_EQ(g.Thickness, 0);
    for (const auto& d : g.Digits)
        EXPECT_TRUE(d.Segments.empty());
    EXPECT_EQ(SevenSegLayout(SevenSegMasks("8"), 0, 0, 600, 11).Thickness, 0);
}

TEST(LargeDisplayLayout, AutomaticColumnsAndEnabling)
{
    EXPECT_EQ(LargeDisplayColumns(3, 4), 2);
    EXPECT_EQ(LargeDisplayColumns(1, 2), 1);
    EXPECT_EQ(LargeDisplayColumns(0, 4), 1);
    EXPECT_EQ(LargeDisplayColumns(4, 4), 4);
    EXPECT_EQ(LargeDisplayColumns(9, 2), 2);
    const auto one = LargeDisplayLayout(800, 600, 1, 1, false);
    EXPECT_FALSE(one.TwoRowsEnabled);
    EXPECT_FALSE(one.FourRowsEnabled);
    const auto three = LargeDisplayLayout(800, 600, 3, 4, false);
    EXPECT_EQ(three.Columns, 2);
    EXPECT_EQ(three.Rows, 2);
    EXPECT_TRUE(three.TwoRowsEnabled);
    EXPECT_FALSE(three.FourRowsEnabled);
    const auto nine = LargeDisplayLayout(800, 600, 9, 4, false);
    EXPECT_EQ(nine.Rows, 3);
    EXPECT_TRUE(nine.FourRowsEnabled);
}

TEST(LargeDisplayLayout, MetricsHalfEvenAndCaps)
{
    // 250 / 4 = 62.5 rounds to 62; 270 / 4 = 67.5 rounds to 68.
    EXPECT_EQ(LargeDisplayLayout(250, 1000, 8, 4, false).CellWidth, 22);
    EXPECT_EQ(LargeDisplayLayout(270, 1000, 8, 4, false).CellWidth, 28);
    const auto withMinMax = LargeDisplayLayout(1000, 1000, 1, 1, true);
    EXPECT_EQ(withMinMax.CellWidth, 960);
    EXPECT_EQ(withMinMax.CellHeight, 480);
    EXPECT_EQ(LargeDisplayLayout(1000, 1000, 1, 1, false).CellHeight, 640);
    EXPECT_EQ(LargeDisplayLayout(1000, 300, 1, 1, false).CellHeight, 290); // scroll height - 10
    EXPECT_EQ(LargeDisplayLayout(20, 5, 1, 1, false).CellHeight, 0);
}
