// The axis strips and legend items around the plot. Each draws its static
// content (tick labels, title, legend lines) into a bitmap of its own keyed
// by the view's text key, and draws it anew only when the key, its size or
// its hover state changed; while a measurement is on screen the axes draw
// the readout over the copied bitmap. A click asks for the settings dialog.
#pragma once

#include <QImage>
#include <QWidget>

#include <functional>
#include <string>
#include <vector>

#include "core/graph/graphview.h"

namespace vro::app {

class TAxis : public QWidget {
    Q_OBJECT
public:
    TAxis(graph::TGraphicView& view, QWidget* parent);
    int AxisIndex = -1;
    int TextH = 0;
    std::string Key;
    bool Hover = false;
    bool HoverDrawn = false;
    const QImage& Bitmap() const { return bitmap_; }
    // Bitmap renders so far (tests: readouts never cause one).
    int RenderCount() const { return renders_; }
    void Refresh();

protected:
    virtual void RenderBitmap() = 0;
    virtual void DrawReadout(QPainter&) {}
    virtual std::string CurrentKey() const = 0;
    void RenderBase();
    void paintEvent(QPaintEvent*) override;
    void enterEvent(QEnterEvent*) override;
    void leaveEvent(QEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    int Measure(const std::string& s) const;

    graph::TGraphicView& view_;
    QImage bitmap_;
    int renders_ = 0;
};

class TXAxis : public TAxis {
    Q_OBJECT
public:
    TXAxis(graph::TGraphicView& view, QWidget* parent);
    void SetAxis(int axis);
    std::function<int()> PlotOffset;

protected:
    void RenderBitmap() override;
    void DrawReadout(QPainter& p) override;
    std::string CurrentKey() const override;

private:
    int Offset() const { return PlotOffset ? PlotOffset() : 0; }
};

class TYAxis : public TAxis {
    Q_OBJECT
public:
    TYAxis(graph::TGraphicView& view, bool leftAligned, QWidget* parent);
    // The channel shown (-1: an empty strip); computes the width the strip
    // wants: the widest of its labels with the title column beside them.
    void SetAxis(int channel);
    int WantedWidth() const { return wanted_; }
    bool LeftAligned() const { return left_; }

protected:
    void RenderBitmap() override;
    void DrawReadout(QPainter& p) override;
    std::string CurrentKey() const override;

private:
    bool left_;
    int wanted_ = 15;
};

class TLegend : public QWidget {
    Q_OBJECT
public:
    TLegend(graph::TGraphicView& view, int axis, QWidget* parent);
    int AxisIndex = -1;
    int TextH = 0;
    std::string Key;
    bool Hover = false;
    bool HoverDrawn = false;
    int ItemHeight() const;
    // The range line(s) shown under the name (none for a hidden channel).
    std::vector<std::string> RangeLines() const;
    void Refresh();
    const QImage& Bitmap() const { return bitmap_; }
    // The legend column stacks its items anew (height changed).
    std::function<void()> OnHeightChanged;

protected:
    void paintEvent(QPaintEvent*) override;
    void enterEvent(QEnterEvent*) override;
    void leaveEvent(QEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;

private:
    void Render();
    graph::TGraphicView& view_;
    QImage bitmap_;
};

// The font of axes and legend: "Arial", 8 points.
QFont AxisFont();

} // namespace vro::app
