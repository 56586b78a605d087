// Window placement kept per window in the configuration (sections "MainForm",
// "SensorForm"). The core stores and reads the values and clamps a rectangle
// to a work area; this unit supplies the window's state and the available
// area of the screen it is on (which need not start at 0, 0).
#pragma once

#include <QRect>
#include <QString>

class QWidget;

namespace vro {
class TApplicationConfig;
}

namespace vro::app {

// The stored rectangle fitted into `area` for a window of this minimum size.
QRect FitIntoArea(const QRect& stored, const QRect& area, const QSize& minimum);

void StoreWindowPlacement(vro::TApplicationConfig& config, const QString& section, const QWidget* window);

// Nothing without a stored position; otherwise the clamped rectangle on the
// screen that holds the stored rectangle's centre (else the window's own
// screen), then maximised or normal.
void RestoreWindowPlacement(const vro::TApplicationConfig& config, const QString& section, QWidget* window);

} // namespace vro::app
