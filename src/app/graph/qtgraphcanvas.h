// The graph renderer's canvas on a QPainter: plot pixel (0, 0) lands on the
// top-left corner of the target rectangle. Screen bitmap, printer page and
// test images all draw through it. Lines are 1-pixel, aliased, both ends
// drawn.
#pragma once

#include <QColor>
#include <QPainter>
#include <QPoint>

#include <vector>

#include "core/graph/graphrender.h"

namespace vro::app {

inline QColor ToQColor(graph::TRgb c) { return QColor(c.R, c.G, c.B); }

class TQtGraphCanvas : public graph::TGraphCanvas {
public:
    TQtGraphCanvas(QPainter& painter, QPoint origin = {}) : painter_(painter), origin_(origin) {}
    void FillRect(int left, int top, int right, int bottom, graph::TRgb color) override;
    void Lines(std::span<const graph::TSegment> lines, graph::TRgb color) override;
    void Markers(std::span<const graph::TSegment> topLefts, graph::TRgb color) override;

private:
    QPainter& painter_;
    QPoint origin_;
    std::vector<QLine> buffer_;
};

// Draws the whole plot of `view` into `painter` at `target` (its size should
// be W + 1 by H + 1 of the view).
void RenderGraph(const graph::TCommonView& view, QPainter& painter, QPoint origin,
                 const graph::TGraphRenderer& renderer = graph::TGraphRenderer());

} // namespace vro::app
