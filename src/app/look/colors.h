// The program's window colours. The values are those of the original colour
// table, which is written blue-green-red; FromBgr turns them into QColor.
#pragma once

#include <QColor>

namespace vro::app {

constexpr QColor FromBgr(unsigned bgr)
{
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

inline QColor WindowBackgroundColor() { return FromBgr(0x808080); }
inline QColor MainPanelColor() { return FromBgr(0xE0E0E0); }
inline QColor LeftPanelColor() { return FromBgr(0xD0D0D0); }
inline QColor TopPanelColor() { return FromBgr(0xB0B0B0); }
inline QColor BottomPanelColor() { return FromBgr(0xD0D0D0); }
inline QColor ButtonLabelTextColor() { return FromBgr(0x800000); }
// A disabled clickable label is drawn in the system's grey text colour.
inline QColor ButtonLabelDisabledTextColor() { return FromBgr(0x808080); }
inline QColor ButtonLabelHoverColor() { return FromBgr(0xFFCC99); }
inline QColor ButtonLabelPressedColor() { return FromBgr(0xFFDDBB); }
inline QColor ValidFieldColor() { return FromBgr(0xFFFFFF); }
inline QColor FailingFieldColor() { return FromBgr(0xA0FFFF); }

// Metrics of the standard layout.
constexpr int kLineHeight = 20;
constexpr int kOuterMargin = 2;
constexpr int kSpacing = 4;

} // namespace vro::app
