#include "app/graph/graphtools.h"

#include <QCursor>
#include <QStyleOptionFocusRect>

#include <algorithm>
#include <cstdlib>

#include "app/graph/graph.h"
#include "app/graph/qtgraphcanvas.h"
#include "app/graph/trackerform.h"
#include "core/graph/axislogic.h"

namespace vro::app {

using graph::TGraphicView;

namespace {

// Overlays invert what is below them (drawing the figure twice would
// restore the picture), as the measuring tools always looked.
void InvertPen(QPainter& p, int width = 1)
{
    p.setCompositionMode(QPainter::RasterOp_NotSourceXorDestination);
    QPen pen(Qt::black);
    pen.setWidth(width <= 1 ? 0 : width);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);
}

} // namespace

// ---- TGraphTool

TGraphTool::TGraphTool(TGraph& owner) : owner_(owner) {}
TGraphTool::~TGraphTool() = default;

TGraphicView& TGraphTool::View() const { return owner_.View(); }
int TGraphTool::W() const { return View().XExtent; }
int TGraphTool::H() const { return View().YExtent; }

void TGraphTool::ShowOverlay(QPainter&) {}

void TGraphTool::HideReset()
{
    View().MeasureShown = false;
    if (OverlayShown) {
        OverlayShown = false;
        owner_.update();
    }
    owner_.unsetCursor();
}

void TGraphTool::KeyDown(int&, Qt::KeyboardModifiers) {}

void TGraphTool::SetOverlay(bool shown)
{
    if (shown != OverlayShown) {
        OverlayShown = shown;
        owner_.update();
    }
}

void TGraphTool::SetPointsWithOverlay(int x1, int y1, int x2, int y2)
{
    View().SetToolPoints(x1, y1, x2, y2);
    OverlayShown = true;
    owner_.update();
}

void TGraphTool::SetCursorShape(Qt::CursorShape shape) { owner_.setCursor(shape); }

QPoint TGraphTool::PointerPos() const { return owner_.mapFromGlobal(QCursor::pos()); }

void TGraphTool::ViewChanged()
{
    if (owner_.OnViewChanged)
        owner_.OnViewChanged();
    owner_.update();
}

// ---- TRuler

void TRuler::GrabTest(int x, int y)
{
    const auto& v = View();
    GrabX = OverlayShown && std::abs(v.X1 - x) <= 4;
    GrabY = OverlayShown && std::abs(v.Y1 - y) <= 4 && !GrabX;
    SetCursorShape(GrabX ? Qt::SizeHorCursor : GrabY ? Qt::SizeVerCursor : Qt::CrossCursor);
}

void TRuler::MouseDown(int x, int y)
{
    GrabTest(x, y);
    Pressed = true;
    View().MeasureShown = true;
    MouseMove(x, y);
}

void TRuler::MouseMove(int x, int y)
{
    if (!Pressed) {
        GrabTest(x, y);
        return;
    }
    const auto& v = View();
    if (GrabX)
        y = v.Y1;
    else if (GrabY)
        x = v.X1;
    SetPointsWithOverlay(x, y, 0, 0);
}

void TRuler::MouseUp(int x, int y)
{
    Pressed = false;
    GrabTest(x, y);
}

void TRuler::KeyDown(int& key, Qt::KeyboardModifiers)
{
    auto& v = View();
    if (v.MeasureShown) {
        int dx = 0, dy = 0;
        switch (key) {
        case Qt::Key_Left: dx = -1; break;
        case Qt::Key_Right: dx = 1; break;
        case Qt::Key_Up: dy = -1; break;
        case Qt::Key_Down: dy = 1; break;
        default: break;
        }
        if (dx || dy)
            SetPointsWithOverlay(v.X1 + dx, v.Y1 + dy, 0, 0);
        const QPoint p = PointerPos();
        GrabTest(p.x(), p.y());
    }
    key = 0;
}

void TRuler::ShowOverlay(QPainter& p)
{
    const auto& v = View();
    if (!v.MeasureShown || !OverlayShown)
        return;
    p.save();
    InvertPen(p);
    p.drawLine(0, v.Y1, owner_.width() - 1, v.Y1);
    p.drawLine(v.X1, 0, v.X1, owner_.height() - 1);
    p.restore();
}

// ---- TCaliper

void TCaliper::GrabTest(int x, int y)
{
    const auto& v = View();
    const bool on = OverlayShown;
    GrabX1 = on && std::abs(v.X1 - x) <= 4;
    GrabX2 = on && std::abs(v.X2 - x) <= 4 && !GrabX1;
    GrabY1 = on && std::abs(v.Y1 - y) <= 4 && !GrabX1 && !GrabX2;
    GrabY2 = on && std::abs(v.Y2 - y) <= 4 && !GrabX1 && !GrabX2 && !GrabY1;
    SetCursorShape((GrabX1 || GrabX2) ? Qt::SizeHorCursor : (GrabY1 || GrabY2) ? Qt::SizeVerCursor : Qt::CrossCursor);
}

void TCaliper::MouseDown(int x, int y)
{
    View().MeasureShown = true;
    GrabTest(x, y);
    Pressed = true;
    SetOverlay(false);
    if (!GrabX1 && !GrabX2 && !GrabY1 && !GrabY2)
        View().SetToolPoints(x - 1, y - 1, x + 1, y + 1);
    MouseMove(x, y);
}

void TCaliper::MouseMove(int x, int y)
{
    if (!Pressed) {
        GrabTest(x, y);
        return;
    }
    const auto& v = View();
    int x1 = v.X1, y1 = v.Y1, x2 = v.X2, y2 = v.Y2;
    const int cx = std::clamp(x, 0, W()), cy = std::clamp(y, 0, H());
    if (GrabX1)
        x1 = cx;
    else if (GrabX2)
        x2 = cx;
    else if (GrabY1)
        y1 = cy;
    else if (GrabY2)
        y2 = cy;
    else {
        x2 = cx;
        y2 = cy;
    }
    SetPointsWithOverlay(x1, y1, x2, y2);
}

void TCaliper::MouseUp(int x, int y)
{
    Pressed = false;
    GrabTest(x, y);
}

void TCaliper::KeyDown(int& key, Qt::KeyboardModifiers shift)
{
    auto& v = View();
    if (v.MeasureShown) {
        int dx = 0, dy = 0;
        switch (key) {
        case Qt::Key_Left: dx = -1; break;
        case Qt::Key_Right: dx = 1; break;
        case Qt::Key_Up: dy = -1; break;
        case Qt::Key_Down: dy = 1; break;
        default: break;
        }
        if (dx || dy) {
            const bool onlySecond =
                (shift & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) == Qt::ShiftModifier;
            if (onlySecond)
                SetPointsWithOverlay(v.X1, v.Y1, v.X2 + dx, v.Y2 + dy);
            else
                SetPointsWithOverlay(v.X1 + dx, v.Y1 + dy, v.X2 + dx, v.Y2 + dy);
        }
        const QPoint p = PointerPos();
        GrabTest(p.x(), p.y());
    }
    key = 0;
}

void TCaliper::ShowOverlay(QPainter& p)
{
    const auto& v = View();
    if (!v.MeasureShown || !OverlayShown)
        return;
    p.save();
    InvertPen(p);
    const int w = owner_.width() - 1, h = owner_.height() - 1;
    p.drawLine(0, v.Y1, w, v.Y1);
    if (v.Y2 != v.Y1)
        p.drawLine(0, v.Y2, w, v.Y2);
    p.drawLine(v.X1, 0, v.X1, h);
    if (v.X2 != v.X1)
        p.drawLine(v.X2, 0, v.X2, h);
    p.restore();
}

// ---- TMagnifier

void TMagnifier::SetCorner(int x, int y)
{
    auto& v = View();
    v.SetToolPoints(x, y, v.X2, v.Y2);
    Outside = v.X1 != x || v.Y1 != y;
}

void TMagnifier::MouseDown(int x, int y)
{
    Pressed = true;
    View().SetToolPoints(x, y, x, y);
    SetCorner(x, y);
    SetOverlay(true);
}

void TMagnifier::SetIdleCursor() { SetCursorShape(Qt::CrossCursor); }

void TMagnifier::MouseMove(int x, int y)
{
    if (!Pressed) {
        SetIdleCursor();
        return;
    }
    SetCorner(x, y);
    OverlayShown = !Outside;
    owner_.update();
}

void TMagnifier::MouseUp(int x, int y)
{
    if (!Pressed)
        return;
    SetOverlay(false);
    SetCorner(x, y);
    Apply();
    Pressed = false;
}

graph::TRect TMagnifier::ApplyRect() const
{
    graph::TRect r = View().SnappedRect();
    if (r.Width() < 20) {
        const int d = (20 - r.Width()) / 2;
        r.Left -= d;
        r.Right += d;
    }
    if (r.Height() < 20) {
        const int d = (20 - r.Height()) / 2;
        r.Top -= d;
        r.Bottom += d;
    }
    return r;
}

void TMagnifier::Apply()
{
    if (Outside)
        return;
    const graph::TRect r = ApplyRect();
    const double w = W(), h = H();
    View().Zoom((r.Bottom - r.Top) / h, (h - r.Bottom) / h, (r.Right - r.Left) / w, r.Left / w);
    ViewChanged();
}

void TMagnifier::ShowOverlay(QPainter& p)
{
    if (!OverlayShown)
        return;
    const graph::TRect r = View().SnappedRect();
    p.save();
    InvertPen(p);
    QPen pen = p.pen();
    pen.setStyle(Qt::DotLine);
    p.setPen(pen);
    p.drawRect(QRect(QPoint(r.Left, r.Top), QPoint(r.Right - 1, r.Bottom - 1)));
    if (r.Width() > 2 && r.Height() > 2)
        p.drawRect(QRect(QPoint(r.Left + 1, r.Top + 1), QPoint(r.Right - 2, r.Bottom - 2)));
    p.restore();
}

void TInversMagnifier::SetIdleCursor() { SetCursorShape(Qt::CrossCursor); }

void TInversMagnifier::Apply()
{
    if (Outside)
        return;
    const graph::TRect r = ApplyRect();
    const double w = W(), h = H();
    View().Zoom((r.Top - r.Bottom) / h, (h - r.Bottom) / h, (r.Left - r.Right) / w, r.Left / w);
    ViewChanged();
}

// ---- THand

void THand::SetCorner(int x, int y)
{
    auto& v = View();
    v.SetToolPoints(x, y, v.X2, v.Y2);
    Outside = v.X1 != x || v.Y1 != y;
}

void THand::MouseDown(int x, int y)
{
    Pressed = true;
    View().SetToolPoints(x, y, x, y);
    SetCorner(x, y);
    ShiftX = ShiftY = 0;
}

void THand::MouseMove(int x, int y)
{
    if (!Pressed) {
        SetCursorShape(Qt::OpenHandCursor);
        return;
    }
    SetCorner(x, y);
    const auto& v = View();
    const int sx = Outside ? 0 : v.X1 - v.X2, sy = Outside ? 0 : v.Y1 - v.Y2;
    if (sx != ShiftX || sy != ShiftY) {
        ShiftX = sx;
        ShiftY = sy;
        owner_.SetDisplacement(QPoint(ShiftX, ShiftY));
    }
}

void THand::MouseUp(int x, int y)
{
    if (!Pressed)
        return;
    SetCorner(x, y);
    Pressed = false;
    owner_.SetDisplacement(QPoint());
    if (!Outside) {
        View().Zoom(0, static_cast<double>(ShiftY) / H(), 0, -static_cast<double>(ShiftX) / W());
        ViewChanged();
    }
    SetCursorShape(Qt::OpenHandCursor);
}

// ---- Tracker markers

void DrawTrackerMarkers(QPainter& p, const TGraphicView& view, std::int32_t i, int controlWidth, int controlHeight)
{
    const std::int32_t x = view.SampleToX(i);
    if (x == vro::NoValue || x < 0 || x > controlWidth)
        return;
    p.save();
    p.setCompositionMode(QPainter::CompositionMode_SourceOver);
    for (int n : view.DrawList) {
        if (n == view.XAxisIndex())
            continue;
        const std::int32_t y = view.SampleToY(n, i);
        if (y == vro::NoValue || y < 0 || y > controlHeight)
            continue;
        QPen pen(ToQColor(view.ChannelColor(n)));
        pen.setWidth(2);
        p.setPen(pen);
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRect(x - 3, y - 3, 8, 8));
    }
    if (view.XAxisIndex() < 0) {
        InvertPen(p);
        p.drawLine(x, 0, x, controlHeight - 1);
    }
    p.restore();
}

// ---- TTracker

TTracker::TTracker(TGraph& owner) : TGraphTool(owner)
{
    auto& v = View();
    form_ = std::make_unique<TTrackerForm>(false, &owner_);
    if (v.Recording && v.Recording->Time) {
        form_->MinIndex = v.Recording->Time->FirstIndex;
        form_->MaxIndex = v.Recording->Time->LastIndex;
    }
    form_->Value1 = form_->MinIndex;
    form_->OnChange = [this] { MoveTo(form_->Value1); };
    form_->OnCloseRequest = [this] { View().SetTool(0); };
    form_->SetValue1(form_->Value1, false);
    if (owner_.TrackerAnchor)
        form_->PlaceAt(owner_.TrackerAnchor());
    form_->show();
    MoveTo(form_->Value1);
}

TTracker::~TTracker()
{
    if (form_) {
        form_->OnChange = nullptr;
        form_->OnCloseRequest = nullptr;
        form_->hide();
    }
}

void TTracker::MoveTo(std::int32_t i)
{
    auto& v = View();
    v.MeasureShown = true;
    v.SetCursor1(i);
    OverlayShown = true;
    owner_.update();
    form_->TimeLabel->setText(QString::fromStdString(graph::TrackerTimeText(v, i)));
}

void TTracker::MouseDown(int x, int y)
{
    if (View().XAxisIndex() < 0) {
        Pressed = true;
        MouseMove(x, y);
    }
    View().MeasureShown = true;
}

void TTracker::MouseMove(int x, int)
{
    auto& v = View();
    if (v.XAxisIndex() >= 0 || !v.Recording)
        return;
    SetCursorShape(Qt::CrossCursor);
    if (Pressed)
        form_->SetValue1(v.Recording->Time->RelativeToIndex(static_cast<double>(x) / W()));
}

void TTracker::MouseUp(int, int)
{
    if (View().XAxisIndex() >= 0)
        return;
    Pressed = false;
    form_->activateWindow();
    form_->Edit->setFocus();
    form_->Edit->selectAll();
}

void TTracker::ShowOverlay(QPainter& p)
{
    if (View().MeasureShown)
        DrawTrackerMarkers(p, View(), View().Cursor1, owner_.width(), owner_.height());
}

// ---- TDeltaTracker

TDeltaTracker::TDeltaTracker(TGraph& owner) : TGraphTool(owner)
{
    auto& v = View();
    form_ = std::make_unique<TTrackerForm>(true, &owner_);
    if (v.Recording && v.Recording->Time) {
        form_->MinIndex = v.Recording->Time->FirstIndex;
        form_->MaxIndex = v.Recording->Time->LastIndex;
    }
    form_->OnChange = [this] { MoveTo(form_->Value1, form_->Value2); };
    form_->OnCloseRequest = [this] { View().SetTool(0); };
    form_->SetValue1(form_->MinIndex, false);
    // The second cursor starts at sample 0, kept inside the window.
    form_->SetValue2(0, false);
    if (owner_.TrackerAnchor)
        form_->PlaceAt(owner_.TrackerAnchor());
    form_->show();
    MoveTo(form_->Value1, form_->Value2);
}

TDeltaTracker::~TDeltaTracker()
{
    if (form_) {
        form_->OnChange = nullptr;
        form_->OnCloseRequest = nullptr;
        form_->hide();
    }
}

void TDeltaTracker::MoveTo(std::int32_t a, std::int32_t b)
{
    auto& v = View();
    v.MeasureShown = true;
    v.SetCursor1(a);
    v.SetCursor2(b);
    OverlayShown = true;
    owner_.update();
    form_->TimeLabel->setText(QString::fromStdString(graph::TrackerTimeText(v, a)));
    form_->TimeLabel2->setText(QString::fromStdString(graph::TrackerTimeText(v, b)));
    form_->DiffTimeLabel->setText(QString::fromStdString(graph::TrackerDiffText(v)));
}

void TDeltaTracker::GrabTest(int x)
{
    const auto& v = View();
    const int xa = v.SampleToX(v.Cursor1), xb = v.SampleToX(v.Cursor2);
    GrabC1 = OverlayShown && std::abs(xa - x) <= 4;
    GrabC2 = OverlayShown && std::abs(xb - x) <= 4 && !GrabC1;
    SetCursorShape((GrabC1 || GrabC2) ? Qt::SizeHorCursor : Qt::CrossCursor);
}

void TDeltaTracker::MouseDown(int x, int y)
{
    auto& v = View();
    if (v.XAxisIndex() < 0 && v.Recording) {
        GrabTest(x);
        Pressed = true;
        if (!GrabC1 && !GrabC2) {
            const auto& t = *v.Recording->Time;
            v.SetCursor1(t.RelativeToIndex((x - 1.0) / W()));
            v.SetCursor2(t.RelativeToIndex((x + 1.0) / W()));
        }
        MouseMove(x, y);
    }
    v.MeasureShown = true;
}

void TDeltaTracker::MouseMove(int x, int)
{
    auto& v = View();
    if (v.XAxisIndex() >= 0 || !v.Recording)
        return;
    if (!Pressed) {
        GrabTest(x);
        return;
    }
    const auto& t = *v.Recording->Time;
    const std::int32_t i = t.RelativeToIndex(static_cast<double>(std::clamp(x, 0, W())) / W());
    const std::int32_t a = GrabC1 ? i : v.Cursor1;
    const std::int32_t b = GrabC1 ? v.Cursor2 : i;
    // Set both without notifications, then move once.
    form_->SetValue1(a, false);
    form_->SetValue2(b, false);
    MoveTo(form_->Value1, form_->Value2);
}

void TDeltaTracker::MouseUp(int x, int)
{
    if (View().XAxisIndex() >= 0)
        return;
    Pressed = false;
    GrabTest(x);
}

void TDeltaTracker::ShowOverlay(QPainter& p)
{
    const auto& v = View();
    if (!v.MeasureShown)
        return;
    const int xa = v.SampleToX(v.Cursor1), xb = v.SampleToX(v.Cursor2);
    if (xa == vro::NoValue || xb == vro::NoValue || xa < 0 || xb < 0 || xa > owner_.width() || xb > owner_.width())
        return;
    DrawTrackerMarkers(p, v, v.Cursor1, owner_.width(), owner_.height());
    if (xb != xa)
        DrawTrackerMarkers(p, v, v.Cursor2, owner_.width(), owner_.height());
}

// ---- TNavigator

TNavigator::TNavigator(TGraph& owner) : TGraphTool(owner)
{
    form_ = std::make_unique<TNavigatorForm>(&owner_);
    form_->OnChange = [this] { Step(); };
    form_->OnCloseRequest = [this] { View().SetTool(0); };
    if (owner_.NavigatorAnchor)
        form_->PlaceAt(owner_.NavigatorAnchor());
    form_->show();
    form_->activateWindow();
    form_->setFocus();
    form_->F = form_->S = 0;
    Step();
}

TNavigator::~TNavigator()
{
    if (form_) {
        form_->OnChange = nullptr;
        form_->OnCloseRequest = nullptr;
        form_->hide();
    }
}

void TNavigator::Step()
{
    auto& v = View();
    const double f = form_->F, s = form_->S;
    if (form_->ShiftZoom)
        v.Zoom(1 - s, 0, 1 - f, 0);
    else
        v.Zoom(1, s, 1, f);
    ViewChanged();
}

void TNavigator::KeyDown(int& key, Qt::KeyboardModifiers shift)
{
    // Keys that reach the pane while the window is not focused act the same.
    if (form_->HandleKey(key, shift))
        key = 0;
}

std::unique_ptr<TGraphTool> CreateTool(int number, TGraph& owner)
{
    switch (number) {
    case graph::toolRuler: return std::make_unique<TRuler>(owner);
    case graph::toolCaliper: return std::make_unique<TCaliper>(owner);
    case graph::toolTracker: return std::make_unique<TTracker>(owner);
    case graph::toolNavigator: return std::make_unique<TNavigator>(owner);
    case graph::toolMagnifier: return std::make_unique<TMagnifier>(owner);
    case graph::toolInversMagnifier: return std::make_unique<TInversMagnifier>(owner);
    case graph::toolHand: return std::make_unique<THand>(owner);
    case graph::toolDeltaTracker: return std::make_unique<TDeltaTracker>(owner);
    default: return nullptr;
    }
}

} // namespace vro::app
