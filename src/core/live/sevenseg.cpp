#include "core/live/sevenseg.h"

#include "core/util/text.h"

#include "core/util/numeric.h"

#include <algorithm>

namespace vro::live {
namespace {

// Masks from the blank (0x20) to "Z" (0x5A).
constexpr std::array<std::uint8_t, 0x5B - 0x20> kMasks = [] {
    std::array<std::uint8_t, 0x5B - 0x20> m{};
    auto set = [&m](char c, std::uint8_t v) { m[static_cast<std::size_t>(c - 0x20)] = v; };
    set('!', 0x30);
    set('"', 0x22);
    set('\'', 0x20);
    set('(', 0x39);
    set(')', 0x0F);
    set('+', 0x46);
    set(',', 0x80);
    set('-', 0x40);
    set('.', 0x80);
    set('=', 0x84);
    set('0', 0x3F);
    set('1', 0x06);
    set('2', 0x5B);
    set('3', 0x4F);
    set('4', 0x66);
    set('5', 0x6D);
    set('6', 0x7D);
    set('7', 0x07);
    set('8', 0x7F);
    set('9', 0x6F);
    set('A', 0x77);
    set('B', 0x7C);
    set('C', 0x58);
    set('D', 0x5E);
    set('E', 0x79);
    set('F', 0x71);
    set('G', 0x7D);
    set('H', 0x76);
    set('I', 0x10);
    set('J', 0x02);
    set('L', 0x38);
    set('M', 0x37);
    set('N', 0x54);
    set('O', 0x5C);
    set('P', 0x73);
    set('Q', 0x4C);
    set('R', 0x50);
    set('S', 0x6D);
    set('T', 0x31);
    set('U', 0x1C);
    set('V', 0x3E);
    set('W', 0x3E);
    set('X', 0x76);
    set('Y', 0x6E);
    set('Z', 0x5B);
    return m;
}();

bool IsSeparator(char c) { return c == ',' || c == '.' || c == ':' || c == ';'; }

std::array<TSegPoint, 6> Horizontal(int x1, int x2, int y, int t)
{
    return {{{x1, y}, {x1 + t, y - t}, {x2 - t, y - t}, {x2, y}, {x2 - t, y + t}, {x1 + t, y + t}}};
}

std::array<TSegPoint, 6> Vertical(int x, int y1, int y2, int t)
{
    return {{{x, y1}, {x + t, y1 + t}, {x + t, y2 - t}, {x, y2}, {x - t, y2 - t}, {x - t, y1 + t}}};
}

} // namespace

std::uint8_t SevenSegMask(char c)
{
    if (c >= 'a' && c <= 'z')
        c = static_cast<char>(c - 'a' + 'A');
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u > 'Z')
        return 0;
    return kMasks[u - 0x20];
}

TSevenSegMasks SevenSegMasks(std::string_view text)
{
    text = Trim(text);
    const auto digits = std::count_if(text.begin(), text.end(), [](char c) { return !IsSeparator(c); });
    if (digits > kSevenSegDigits)
        text = "------";
    TSevenSegMasks masks{};
    int pos = kSevenSegDigits - 1;
    for (auto it = text.rbegin(); it != text.rend() && pos >= 0; ++it) {
        if (IsSeparator(*it)) {
            masks[static_cast<std::size_t>(pos)] |= 0x80;
        } else {
            masks[static_cast<std::size_t>(pos)] |= SevenSegMask(*it);
            --pos;
        }
    }
    return masks;
}

TSevenSegGeometry SevenSegLayout(const TSevenSegMasks& masks, int left, int top, int width, int height)
{
    TSevenSegGeometry g;
    const int t = std::max(0, std::min(width / kSevenSegDigits / 5, height / 12));
    g.Thickness = t;
    if (t == 0)
        return g;
    const int bottom = top + height;
    g.TopLine = top + t + t / 2;
    g.BottomLine = bottom - t - t / 2 - 1;
    g.MiddleLine = (g.TopLine + g.BottomLine) / 2;
    const int l = left + t / 2;
    const int w = left + width - t - l;
    for (int i = 0; i < kSevenSegDigits; ++i) {
        TSevenSegDigit& d = g.Digits[static_cast<std::size_t>(i)];
        d.Left = l + i * w / kSevenSegDigits + t;
        d.Right = l + (i + 1) * w / kSevenSegDigits - t;
        const std::uint8_t m = masks[static_cast<std::size_t>(i)];
        if (m & 0x01)
            d.Segments.push_back(Horizontal(d.Left + 1, d.Right - 1, g.TopLine, t));
        if (m & 0x02)
            d.Segments.push_back(Vertical(d.Right, g.TopLine + 1, g.MiddleLine - 1, t));
        if (m & 0x04)
            d.Segments.push_back(Vertical(d.Right, g.MiddleLine + 1, g.BottomLine - 1, t));
        if (m & 0x08)
            d.Segments.push_back(Horizontal(d.Left + 1, d.Right - 1, g.BottomLine, t));
        if (m & 0x10)
            d.Segments.push_back(Vertical(d.Left, g.MiddleLine + 1, g.BottomLine - 1, t));
        if (m & 0x20)
            d.Segments.push_back(Vertical(d.Left, g.TopLine + 1, g.MiddleLine - 1, t));
        if (m & 0x40)
            d.Segments.push_back(Horizontal(d.Left + 1, d.Right - 1, g.MiddleLine, t));
        d.Point = (m & 0x80) != 0;
        if (d.Point) {
            const int cx = d.Right + t, cy = g.BottomLine, h = t / 2;
            d.PointOctagon = {{cx - h, cy - t}, {cx + h, cy - t}, {cx + t, cy - h}, {cx + t, cy + h},
                              {cx + h, cy + t}, {cx - h, cy + t}, {cx - t, cy + h}, {cx - t, cy - h}};
        }
    }
    return g;
}

int LargeDisplayColumns(int channels, int chosen)
{
    if (channels >= chosen)
        return chosen;
    return channels <= 1 ? 1 : channels <= 4 ? 2 : 4;
}

TLargeDisplayLayout LargeDisplayLayout(int panelWidth, int scrollHeight, int channels, int chosenColumns, bool minMax)
{
    TLargeDisplayLayout l;
    l.Columns = LargeDisplayColumns(channels, chosenColumns == 2 || chosenColumns == 4 ? chosenColumns : 1);
    l.TwoRowsEnabled = channels >= 2;
    l.FourRowsEnabled = channels >= 4;
    l.Rows = channels > 0 ? (channels - 1) / l.Columns + 1 : 0;
    l.CellWidth = static_cast<int>(RoundHalfEven(static_cast<double>(panelWidth) / l.Columns)) - 40;
    if (l.CellWidth < 0)
        l.CellWidth = 0;
    l.CellHeight = minMax ? l.CellWidth / 2 : l.CellWidth * 2 / 3;
    l.CellHeight = std::max(0, std::min(l.CellHeight, scrollHeight - 10));
    return l;
}

} // namespace vro::live
