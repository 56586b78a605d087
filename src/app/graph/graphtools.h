// The interactive tools of the graph. Exactly one tool object exists while
// the view's ActiveTool is not 0; the graph control forwards mouse and key
// events to it. Measuring tools (ruler, caliper, tracker, delta tracker)
// set the view's tool points or cursors and draw their overlay as a layer
// over the cached graph bitmap; view tools (magnifier, inverse magnifier,
// hand, navigator) change the ranges through the view's Zoom.
#pragma once

#include <QPainter>

#include <memory>

#include "core/graph/graphview.h"

namespace vro::app {

class TGraph;
class TTrackerForm;
class TNavigatorForm;

class TGraphTool {
public:
    explicit TGraphTool(TGraph& owner);
    virtual ~TGraphTool();
    virtual void MouseUp(int x, int y) = 0;
    virtual void MouseMove(int x, int y) = 0;
    virtual void MouseDown(int x, int y) = 0;
    // Draws the overlay over the copied bitmap.
    virtual void ShowOverlay(QPainter& p);
    // Clears the measurement, removes the overlay, default cursor.
    virtual void HideReset();
    virtual void KeyDown(int& key, Qt::KeyboardModifiers shift);

    bool Pressed = false;
    bool OverlayShown = false;

protected:
    graph::TGraphicView& View() const;
    void SetPointsWithOverlay(int x1, int y1, int x2, int y2);
    void SetOverlay(bool shown);
    void SetCursorShape(Qt::CursorShape shape);
    // The pointer's position on the graph (after keyboard moves).
    QPoint PointerPos() const;
    void ViewChanged();
    int W() const;
    int H() const;
    TGraph& owner_;
};

class TRuler : public TGraphTool {
public:
    using TGraphTool::TGraphTool;
    void MouseUp(int x, int y) override;
    void MouseMove(int x, int y) override;
    void MouseDown(int x, int y) override;
    void ShowOverlay(QPainter& p) override;
    void KeyDown(int& key, Qt::KeyboardModifiers shift) override;
    bool GrabX = false, GrabY = false;

private:
    void GrabTest(int x, int y);
};

class TCaliper : public TGraphTool {
public:
    using TGraphTool::TGraphTool;
    void MouseUp(int x, int y) override;
    void MouseMove(int x, int y) override;
    void MouseDown(int x, int y) override;
    void ShowOverlay(QPainter& p) override;
    void KeyDown(int& key, Qt::KeyboardModifiers shift) override;
    bool GrabX1 = false, GrabY1 = false, GrabX2 = false, GrabY2 = false;

private:
    void GrabTest(int x, int y);
};

class TMagnifier : public TGraphTool {
public:
    using TGraphTool::TGraphTool;
    void MouseUp(int x, int y) override;
    void MouseMove(int x, int y) override;
    void MouseDown(int x, int y) override;
    void ShowOverlay(QPainter& p) override;
    virtual void SetIdleCursor();
    virtual void Apply();
    bool Outside = false;

protected:
    void SetCorner(int x, int y);
    graph::TRect ApplyRect() const;
};

class TInversMagnifier : public TMagnifier {
public:
    using TMagnifier::TMagnifier;
    void SetIdleCursor() override;
    void Apply() override;
};

class THand : public TGraphTool {
public:
    using TGraphTool::TGraphTool;
    void MouseUp(int x, int y) override;
    void MouseMove(int x, int y) override;
    void MouseDown(int x, int y) override;
    bool Outside = false;
    int ShiftX = 0, ShiftY = 0;

private:
    void SetCorner(int x, int y);
};

class TTracker : public TGraphTool {
public:
    explicit TTracker(TGraph& owner);
    ~TTracker() override;
    void MouseUp(int x, int y) override;
    void MouseMove(int x, int y) override;
    void MouseDown(int x, int y) override;
    void ShowOverlay(QPainter& p) override;
    void MoveTo(std::int32_t i);
    TTrackerForm* Form() const { return form_.get(); }

private:
    std::unique_ptr<TTrackerForm> form_;
};

class TDeltaTracker : public TGraphTool {
public:
    explicit TDeltaTracker(TGraph& owner);
    ~TDeltaTracker() override;
    void MouseUp(int x, int y) override;
    void MouseMove(int x, int y) override;
    void MouseDown(int x, int y) override;
    void ShowOverlay(QPainter& p) override;
    void MoveTo(std::int32_t a, std::int32_t b);
    TTrackerForm* Form() const { return form_.get(); }
    bool GrabC1 = false, GrabC2 = false;

private:
    void GrabTest(int x);
    std::unique_ptr<TTrackerForm> form_;
};

class TNavigator : public TGraphTool {
public:
    explicit TNavigator(TGraph& owner);
    ~TNavigator() override;
    void MouseUp(int, int) override {}
    void MouseMove(int, int) override {}
    void MouseDown(int, int) override {}
    void KeyDown(int& key, Qt::KeyboardModifiers shift) override;
    TNavigatorForm* Form() const { return form_.get(); }

private:
    void Step();
    std::unique_ptr<TNavigatorForm> form_;
};

// The tool object for a tool number (none for 0 and for the remark tool,
// which the remarks code provides).
std::unique_ptr<TGraphTool> CreateTool(int number, TGraph& owner);

// Draws the tracker markers of cursor `i` (squares per channel; the
// vertical line when the time axis is horizontal).
void DrawTrackerMarkers(QPainter& p, const graph::TGraphicView& view, std::int32_t i, int controlWidth,
                        int controlHeight);

} // namespace vro::app
