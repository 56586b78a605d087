// Window placement kept per window in the configuration (sections "MainForm",
// "SensorForm": Maximized, Top, Left, Width, Height). Restoring clamps the
// stored rectangle to the screen's available area, which need not start at
// (0, 0): a second monitor or a panel on the left moves its origin.
#pragma once

#include <QRect>
#include <QSize>
#include <QString>

class QWidget;

namespace vro {
class TIniList;
}

namespace vro::app {

// Width and height limited to [minimum, area size] (the area wins when the
// minimum is larger); left to [area.left, area.left + area.width - width] and
// top likewise, so that a window as large as the area is pinned to its corner.
QRect ClampPlacement(const QRect& stored, const QRect& area, const QSize& minimum);

struct TStoredPlacement {
    bool hasPosition = false; // the section holds a Top key
    bool maximized = false;
    QRect rect{10, 10, 400, 300};
};

TStoredPlacement ReadPlacement(vro::TIniList& list, const QString& section);
void WritePlacement(vro::TIniList& list, const QString& section, const QWidget* window);

// Restores a window from its section: nothing without a stored position;
// otherwise the clamped rectangle on the screen that holds its centre (or the
// primary screen), then maximised or normal.
void RestorePlacement(vro::TIniList& list, const QString& section, QWidget* window);

} // namespace vro::app
