#include "app/main/placement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace vro::app {

QRect ClampPlacement(const QRect& stored, const QRect& area, const QSize& minimum)
{
    auto limit = [](int v, int lo, int hi) { return std::max(lo, std::min(v, hi)); };
    const int width = std::min(std::max(stored.width(), minimum.width()), area.width());
    const int height = std::min(std::max(stored.height(), minimum.height()), area.height());
    const int left = limit(stored.left(), area.left(), area.left() + area.width() - width);
    const int top = limit(stored.top(), area.top(), area.top() + area.height() - height);
    return QRect(left, top, std::max(width, 0), std::max(height, 0));
}

} // namespace vro::app
