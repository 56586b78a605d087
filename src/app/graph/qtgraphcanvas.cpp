#include "app/graph/qtgraphcanvas.h"

#include <QPen>

namespace vro::app {

void TQtGraphCanvas::FillRect(int left, int top, int right, int bottom, graph::TRgb color)
{
    if (right < left || bottom < top)
        return;
    painter_.fillRect(QRect(left + origin_.x(), top + origin_.y(), right - left + 1, bottom - top + 1),
                      ToQColor(color));
}

void TQtGraphCanvas::Lines(std::span<const graph::TSegment> lines, graph::TRgb color)
{
    if (lines.empty())
        return;
    buffer_.clear();
    buffer_.reserve(lines.size());
    const int ox = origin_.x(), oy = origin_.y();
    for (const auto& s : lines)
        buffer_.emplace_back(s.X1 + ox, s.Y1 + oy, s.X2 + ox, s.Y2 + oy);
    QPen pen(ToQColor(color));
    pen.setWidth(0); // cosmetic, one pixel, last point included
    pen.setCapStyle(Qt::SquareCap);
    painter_.setRenderHint(QPainter::Antialiasing, false);
    painter_.setPen(pen);
    painter_.drawLines(buffer_.data(), static_cast<int>(buffer_.size()));
}

void TQtGraphCanvas::Markers(std::span<const graph::TSegment> topLefts, graph::TRgb color)
{
    if (topLefts.empty())
        return;
    QPen pen(ToQColor(color));
    pen.setWidth(0);
    painter_.setPen(pen);
    painter_.setBrush(ToQColor(graph::kPlotBackground));
    for (const auto& m : topLefts)
        painter_.drawRect(QRect(m.X1 + origin_.x(), m.Y1 + origin_.y(), 4, 4));
    painter_.setBrush(Qt::NoBrush);
}

void RenderGraph(const graph::TCommonView& view, QPainter& painter, QPoint origin,
                 const graph::TGraphRenderer& renderer)
{
    TQtGraphCanvas canvas(painter, origin);
    renderer.Draw(view, canvas);
}

} // namespace vro::app
