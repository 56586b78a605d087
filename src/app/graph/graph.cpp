#include "app/graph/graph.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include "app/graph/graphtools.h"
#include "app/graph/qtgraphcanvas.h"

namespace vro::app {

TGraph::TGraph(graph::TGraphicView& view, QWidget* parent) : QWidget(parent), view_(view)
{
    setObjectName(QStringLiteral("Graph"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);
    setFocusPolicy(Qt::ClickFocus);
    setMinimumSize(100, 40);
    QFont f(QStringLiteral("Arial"));
    f.setPointSize(8);
    setFont(f);
}

TGraph::~TGraph() = default;

void TGraph::SelectTool()
{
    if (tool_)
        tool_->HideReset();
    tool_.reset();
    tool_ = CreateTool(view_.ActiveTool, *this);
    update();
}

void TGraph::ForceRedraw()
{
    forced_ = true;
    update();
}

void TGraph::KeyDown(int& key, Qt::KeyboardModifiers shift)
{
    if (tool_)
        tool_->KeyDown(key, shift);
}

void TGraph::SetDisplacement(QPoint shift)
{
    displacement_ = shift;
    update();
}

void TGraph::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    view_.SetSize(width(), height(), nullptr);
    // Divisions come from the label width of the X axis in this font.
    const QFontMetrics fm(font());
    graph::TCanvasMetrics m{[fm](const std::string& s) { return fm.horizontalAdvance(QString::fromStdString(s)); },
                            fm.height()};
    view_.SetSize(width(), height(), &m);
}

void TGraph::EnsureBitmap()
{
    if (view_.PaintSuspended || !view_.Recording)
        return;
    const std::string state = view_.Recording->GetViewState();
    if (forced_ || bitmap_.size() != size() || state != drawnState_) {
        if (tool_)
            tool_->HideReset();
        FullRedraw();
    }
}

void TGraph::FullRedraw()
{
    forced_ = false;
    if (bitmap_.size() != size())
        bitmap_ = QImage(size(), QImage::Format_RGB32);
    view_.SetShiftMode();
    drawnState_ = view_.Recording->GetViewState();
    view_.AddToHistory(drawnState_);
    bitmap_.fill(ToQColor(graph::kPlotBackground));
    QPainter p(&bitmap_);
    p.setFont(font());
    graph::TGraphRenderer renderer;
    bool busy = false;
    // A slow redraw shows the busy cursor and reports its progress; the
    // curves drawn so far appear with the next paint.
    renderer.OnProgress = [&] {
        if (!busy) {
            QGuiApplication::setOverrideCursor(Qt::BusyCursor);
            busy = true;
        }
        emit RedrawProgress();
    };
    RenderGraph(view_, p, QPoint(0, 0), renderer);
    if (busy)
        QGuiApplication::restoreOverrideCursor();
    ++fullRedraws_;
    if (OnRedrawn)
        OnRedrawn();
}

void TGraph::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (!view_.Recording) {
        p.fillRect(rect(), ToQColor(graph::kPlotBackground));
        return;
    }
    if (!view_.PaintSuspended)
        EnsureBitmap();
    if (!displacement_.isNull()) {
        p.fillRect(rect(), Qt::white);
        p.drawImage(displacement_, bitmap_);
        return;
    }
    p.drawImage(0, 0, bitmap_);
    if (!view_.PaintSuspended && tool_)
        tool_->ShowOverlay(p);
}

void TGraph::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    mouseDown_ = true;
    if (tool_)
        tool_->MouseDown(event->position().toPoint().x(), event->position().toPoint().y());
}

void TGraph::mouseMoveEvent(QMouseEvent* event)
{
    if (tool_)
        tool_->MouseMove(event->position().toPoint().x(), event->position().toPoint().y());
}

void TGraph::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || !mouseDown_)
        return;
    mouseDown_ = false;
    if (tool_)
        tool_->MouseUp(event->position().toPoint().x(), event->position().toPoint().y());
}

void TGraph::keyPressEvent(QKeyEvent* event)
{
    int key = event->key();
    KeyDown(key, event->modifiers());
    if (key == 0)
        event->accept();
    else
        QWidget::keyPressEvent(event);
}

} // namespace vro::app
