// The graph control: draws background, grid and curves of the screen view
// into an off-screen bitmap and copies it on every paint. A full redraw
// happens only when the size or the recording's view state text changed
// (or after ForceRedraw); each full redraw enters the view into the
// recording's history. The active tool draws its overlay as a layer over
// the copied bitmap, so moving a tool never redraws the curves.
#pragma once

#include <QImage>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>

#include "core/graph/graphrender.h"
#include "core/graph/graphview.h"

namespace vro::app {

class TGraphTool;

class TGraph : public QWidget {
    Q_OBJECT
public:
    TGraph(graph::TGraphicView& view, QWidget* parent = nullptr);
    ~TGraph() override;

    graph::TGraphicView& View() const { return view_; }
    const QImage& Bitmap() const { return bitmap_; }
    TGraphTool* Tool() const { return tool_.get(); }

    // Replaces the tool object by the one for the view's ActiveTool.
    void SelectTool();
    // The next paint redraws fully.
    void ForceRedraw();
    // Key from the pane; a handled key becomes 0.
    void KeyDown(int& key, Qt::KeyboardModifiers shift);
    // Shows the bitmap displaced (the hand tool while dragging).
    void SetDisplacement(QPoint shift);
    // Number of full redraws so far (tests: tools never cause one).
    int FullRedrawCount() const { return fullRedraws_; }
    // Draws fully now if the rule asks for it (size or view state changed).
    void EnsureBitmap();

    // Screen positions where the tracker and the navigator windows open
    // (the right ends of the pane's Tracker and Navigation labels).
    std::function<QPoint()> TrackerAnchor;
    std::function<QPoint()> NavigatorAnchor;
    // After a tool changed the view (zoom, pan): the pane lays out anew.
    std::function<void()> OnViewChanged;
    // After a full redraw, which adds the view to the recording's history.
    std::function<void()> OnRedrawn;

signals:
    void RedrawProgress();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FullRedraw();

    graph::TGraphicView& view_;
    QImage bitmap_;
    std::string drawnState_;
    bool forced_ = true;
    bool mouseDown_ = false;
    QPoint displacement_;
    int fullRedraws_ = 0;
    std::unique_ptr<TGraphTool> tool_;
};

} // namespace vro::app
