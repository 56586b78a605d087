#include "app/main/placement.h"

#include "core/config/applicationconfig.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace vro::app {

namespace {
vro::TPlacementRect ToCore(const QRect& r) { return {r.left(), r.top(), r.width(), r.height()}; }
QRect ToQt(const vro::TPlacementRect& r) { return QRect(r.left, r.top, r.width, r.height); }
} // namespace

QRect FitIntoArea(const QRect& stored, const QRect& area, const QSize& minimum)
{
    return ToQt(vro::ClampPlacement(ToCore(stored), ToCore(area), minimum.width(), minimum.height()));
}

void StoreWindowPlacement(vro::TApplicationConfig& config, const QString& section, const QWidget* window)
{
    const bool maximized = window->isMaximized();
    const bool normal = !maximized && !window->isMinimized() && !window->isFullScreen();
    // The frame's outer position and the client size, as the window is placed again.
    const QRect r(window->geometry().topLeft(), window->size());
    config.StorePlacement(section.toStdString(), maximized, normal, ToCore(r));
}

void RestoreWindowPlacement(const vro::TApplicationConfig& config, const QString& section, QWidget* window)
{
    const auto stored = config.RestorePlacement(section.toStdString());
    if (!stored)
        return;
    const QRect r = ToQt(stored->rect);
    QScreen* screen = QGuiApplication::screenAt(r.center());
    if (!screen)
        screen = window->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen)
        window->setGeometry(FitIntoArea(r, screen->availableGeometry(), window->minimumSize()));
    if (stored->maximized)
        window->showMaximized();
    else if (window->isMaximized())
        window->showNormal();
}

} // namespace vro::app
