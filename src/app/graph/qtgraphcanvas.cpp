#include "app/graph/qtgraphcanvas.h"

#include <QPen>

#include <algorithm>

namespace vro::app {

void TQtGraphCanvas::FillRect(int left, int top, int right, int bottom, graph::TRgb color)
{
    if (right < left || bottom < top)
        return;
    painter_.fillRect(QRect(left + origin_.x(), top + origin_.y(), right - left + 1, bottom - top + 1),
                      ToQColor(color));
}

namespace {

// The image the painter draws on directly, when pixels may be written
// without it: a 32-bit image, no transform, no clipping, plain composition.
QImage* DirectImage(QPainter& p)
{
    QPaintDevice* d = p.device();
    if (!d || d->devType() != QInternal::Image)
        return nullptr;
    auto* img = static_cast<QImage*>(d);
    const auto f = img->format();
    if (f != QImage::Format_RGB32 && f != QImage::Format_ARGB32 && f != QImage::Format_ARGB32_Premultiplied)
        return nullptr;
    if (!p.transform().isIdentity() || p.hasClipping() || p.compositionMode() != QPainter::CompositionMode_SourceOver ||
        p.opacity() != 1.0)
        return nullptr;
    return img;
}

} // namespace

void TQtGraphCanvas::Lines(std::span<const graph::TSegment> lines, graph::TRgb color)
{
    if (lines.empty())
        return;
    buffer_.clear();
    const int ox = origin_.x(), oy = origin_.y();
    // Vertical and horizontal lines (column strokes, envelopes, grid) are
    // written straight into a 32-bit image: the same pixels as the aliased
    // one-pixel pen, without the per-line cost of the paint engine.
    QImage* img = DirectImage(painter_);
    uchar* bits = img ? img->bits() : nullptr;
    const qsizetype bpl = img ? img->bytesPerLine() : 0;
    const int iw = img ? img->width() : 0, ih = img ? img->height() : 0;
    const QRgb px = qRgb(color.R, color.G, color.B);
    for (const auto& s : lines) {
        const int x1 = s.X1 + ox, y1 = s.Y1 + oy, x2 = s.X2 + ox, y2 = s.Y2 + oy;
        if (bits && x1 == x2) {
            if (x1 < 0 || x1 >= iw)
                continue;
            const int a = std::max(std::min(y1, y2), 0), b = std::min(std::max(y1, y2), ih - 1);
            for (int y = a; y <= b; ++y)
                reinterpret_cast<QRgb*>(bits + y * bpl)[x1] = px;
        } else if (bits && y1 == y2) {
            if (y1 < 0 || y1 >= ih)
                continue;
            const int a = std::max(std::min(x1, x2), 0), b = std::min(std::max(x1, x2), iw - 1);
            QRgb* row = reinterpret_cast<QRgb*>(bits + y1 * bpl);
            for (int x = a; x <= b; ++x)
                row[x] = px;
        } else {
            buffer_.emplace_back(x1, y1, x2, y2);
        }
    }
    if (buffer_.empty())
        return;
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
