#include "app/graph/axes.h"

#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

#include "app/graph/qtgraphcanvas.h"
#include "core/graph/axislogic.h"

namespace vro::app {

using namespace vro::graph;

QFont AxisFont()
{
    QFont f(QStringLiteral("Arial"));
    f.setPointSize(8);
    return f;
}

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }
} // namespace

// ---- TAxis

TAxis::TAxis(TGraphicView& view, QWidget* parent) : QWidget(parent), view_(view)
{
    setCursor(Qt::PointingHandCursor);
    setFont(AxisFont());
    TextH = QFontMetrics(font()).boundingRect(QStringLiteral("Xg")).height();
    TextH = std::max(TextH, QFontMetrics(font()).height());
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(15, 15);
}

int TAxis::Measure(const std::string& s) const { return QFontMetrics(font()).horizontalAdvance(Q(s)); }

void TAxis::Refresh()
{
    Key.clear();
    update();
}

void TAxis::RenderBase()
{
    ++renders_;
    HoverDrawn = Hover;
    if (bitmap_.size() != size())
        bitmap_ = QImage(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    bitmap_.fill(Hover ? ToQColor(kHoverColor) : ToQColor(kPlotBackground));
}

void TAxis::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (!view_.PaintSuspended) {
        if (bitmap_.size() != size() || Hover != HoverDrawn || Key != CurrentKey() || Key.empty())
            RenderBitmap();
    }
    p.drawImage(0, 0, bitmap_);
    if (!view_.PaintSuspended && view_.MeasureShown) {
        p.setFont(font());
        DrawReadout(p);
    }
}

void TAxis::enterEvent(QEnterEvent*)
{
    Hover = true;
    update();
}

void TAxis::leaveEvent(QEvent*)
{
    Hover = false;
    update();
}

void TAxis::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()))
        view_.RequestSettings(-2);
}

// ---- TXAxis

TXAxis::TXAxis(TGraphicView& view, QWidget* parent) : TAxis(view, parent)
{
    setObjectName(QStringLiteral("XAxis"));
    setFixedHeight(2 * TextH + 6);
}

void TXAxis::SetAxis(int axis)
{
    AxisIndex = axis;
    Key.clear();
    update();
}

std::string TXAxis::CurrentKey() const { return view_.HorizontalAxisKey(AxisIndex) + "|" + std::to_string(Offset()); }

void TXAxis::RenderBitmap()
{
    RenderBase();
    const int offset = Offset();
    Key = CurrentKey();
    QPainter p(&bitmap_);
    p.setFont(font());
    p.setPen(ToQColor(view_.ChannelColor(AxisIndex)));
    // In a plot too narrow for its labels some are left out rather than
    // drawn over each other.
    const auto ticks = HorizontalTicks(view_, AxisIndex);
    std::vector<TLabelBox> boxes;
    for (const TTick& t : ticks) {
        const int w = Measure(t.Text);
        boxes.push_back({PlaceHorizontalLabel(t.Pos + offset, w, width()), w});
    }
    for (std::size_t k : ShownHorizontalLabels(boxes))
        p.drawText(QRect(boxes[k].Left, 2, boxes[k].Width + 1, TextH), Qt::AlignLeft | Qt::AlignTop, Q(ticks[k].Text));
    const std::string title = HorizontalTitle(view_, AxisIndex);
    const int tw = Measure(title);
    p.drawText(QRect(view_.XExtent / 2 + offset - tw / 2, TextH + 4, tw + 1, TextH), Qt::AlignLeft | Qt::AlignTop,
               Q(title));
}

void TXAxis::DrawReadout(QPainter& p)
{
    const TReadout r = AxisReadout(view_, AxisIndex, true);
    if (!r.Shown)
        return;
    const int offset = Offset();
    const QColor box = ToQColor(view_.ChannelColor(AxisIndex));
    if (r.Bar)
        p.fillRect(QRect(QPoint(offset + r.BarFrom, 0), QPoint(offset + r.BarTo, 1)), box);
    const int w = Measure(r.Text);
    const int left = PlaceHorizontalLabel(offset + r.Pos, w, width());
    p.fillRect(QRect(QPoint(left - 3, 2), QPoint(left + w + 2, TextH + 4)), box);
    p.setPen(ToQColor(kPlotBackground));
    p.drawText(QRect(left, 2, w + 1, TextH), Qt::AlignLeft | Qt::AlignTop, Q(r.Text));
}

// ---- TYAxis

TYAxis::TYAxis(TGraphicView& view, bool leftAligned, QWidget* parent) : TAxis(view, parent), left_(leftAligned)
{
    setObjectName(leftAligned ? QStringLiteral("LeftYAxis") : QStringLiteral("RightYAxis"));
    resize(wanted_, height());
}

void TYAxis::SetAxis(int channel)
{
    AxisIndex = channel;
    Key.clear();
    const auto measure = [this](const std::string& s) { return Measure(s); };
    wanted_ = VerticalAxisWidth(view_, channel, measure, TextH);
    // The labels shown may be wider than the channel's range texts (more
    // decimals when zoomed in): the label column takes the widest of them.
    if (channel >= 0) {
        int widest = 0;
        for (const TTick& t : VerticalTicks(view_, channel))
            widest = std::max(widest, Measure(t.Text));
        const TLabelColumn col = VerticalLabelColumn(left_, 1000, TextH);
        wanted_ = std::max(wanted_, widest + 1000 - (col.R - col.L));
    }
    resize(wanted_, height());
    update();
}

std::string TYAxis::CurrentKey() const { return view_.VerticalAxisKey(AxisIndex) + "|" + std::to_string(height()); }

void TYAxis::RenderBitmap()
{
    RenderBase();
    Key = CurrentKey();
    if (AxisIndex < 0)
        return;
    QPainter p(&bitmap_);
    p.setFont(font());
    p.setPen(ToQColor(view_.ChannelColor(AxisIndex)));
    const TLabelColumn col = VerticalLabelColumn(left_, width(), TextH);
    const auto measure = [this](const std::string& s) { return Measure(s); };
    for (const TTick& t : VerticalTicks(view_, AxisIndex)) {
        const std::string text = FitLabel(t.Text, col.R - col.L, measure);
        const int top = PlaceVerticalLabel(t.Pos, TextH, height());
        p.drawText(QRect(col.L, top, col.R - col.L, TextH), Qt::AlignRight | Qt::AlignTop, Q(text));
    }
    const std::string title = view_.AxisTitle(AxisIndex);
    if (!title.empty()) {
        // Rotated by 90°, reading from bottom to top, at the outer edge.
        const int x = left_ ? 2 : width() - TextH - 2;
        const int tw = Measure(title);
        p.save();
        p.translate(x, height() / 2 + tw / 2);
        p.rotate(-90);
        p.drawText(QRect(0, 0, tw + 1, TextH), Qt::AlignLeft | Qt::AlignTop, Q(title));
        p.restore();
    }
}

void TYAxis::DrawReadout(QPainter& p)
{
    if (AxisIndex < 0)
        return;
    const TReadout r = AxisReadout(view_, AxisIndex, false);
    if (!r.Shown)
        return;
    const QColor box = ToQColor(view_.ChannelColor(AxisIndex));
    if (r.Bar) {
        const int x = left_ ? width() - 2 : 0;
        p.fillRect(QRect(QPoint(x, r.BarFrom), QPoint(x + 1, r.BarTo)), box);
    }
    const TLabelColumn col = VerticalLabelColumn(left_, width(), TextH);
    const std::string text = FitLabel(r.Text, col.R - col.L, [this](const std::string& s) { return Measure(s); });
    const int top = PlaceVerticalLabel(r.Pos, TextH, height());
    p.fillRect(QRect(QPoint(col.L, top), QPoint(col.R + 2, top + TextH)), box);
    p.setPen(ToQColor(kPlotBackground));
    p.drawText(QRect(col.L, top, col.R - col.L, TextH), Qt::AlignRight | Qt::AlignTop, Q(text));
}

// ---- TLegend

TLegend::TLegend(TGraphicView& view, int axis, QWidget* parent) : QWidget(parent), AxisIndex(axis), view_(view)
{
    setObjectName(QStringLiteral("Legend%1").arg(axis));
    setCursor(Qt::PointingHandCursor);
    setFont(AxisFont());
    TextH = std::max(QFontMetrics(font()).boundingRect(QStringLiteral("Xg")).height(), QFontMetrics(font()).height());
    setAttribute(Qt::WA_OpaquePaintEvent);
    Key = view.LegendKey(axis);
    resize(parent ? parent->width() : 150, ItemHeight());
}

std::vector<std::string> TLegend::RangeLines() const
{
    if (!LegendItemVisible(view_, AxisIndex))
        return {};
    return LegendRangeLines(
        view_, AxisIndex, [this](const std::string& s) { return QFontMetrics(font()).horizontalAdvance(Q(s)); },
        width() - 4);
}

int TLegend::ItemHeight() const
{
    const auto lines = RangeLines();
    return lines.size() > 1 ? LegendItemHeight(view_, AxisIndex, TextH) + TextH * static_cast<int>(lines.size() - 1)
                            : LegendItemHeight(view_, AxisIndex, TextH);
}

void TLegend::Refresh()
{
    Key.clear();
    update();
}

void TLegend::Render()
{
    Key = view_.LegendKey(AxisIndex);
    HoverDrawn = Hover;
    if (bitmap_.size() != size())
        bitmap_ = QImage(size().expandedTo(QSize(1, 1)), QImage::Format_RGB32);
    const bool visible = LegendItemVisible(view_, AxisIndex);
    bitmap_.fill(Hover ? ToQColor(kHoverColor) : ToQColor(kLegendBackground));
    QPainter p(&bitmap_);
    p.setFont(font());
    QColor text = ToQColor(view_.ChannelColor(AxisIndex));
    if (!Hover && !visible)
        text = QColor(std::min(208 + 51, 255), std::min(208 + 51, 255), std::min(208 + 51, 255));
    p.setPen(text);
    p.drawText(QRect(2, 2, width() - 2, TextH), Qt::AlignLeft | Qt::AlignTop,
               QString::fromStdString(LegendLine1(view_, AxisIndex)));
    int y = TextH + 2;
    for (const std::string& line : RangeLines()) {
        p.drawText(QRect(2, y, width() - 2, TextH), Qt::AlignLeft | Qt::AlignTop, Q(line));
        y += TextH;
    }
}

void TLegend::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (!view_.PaintSuspended) {
        if (ItemHeight() != height()) {
            resize(width(), ItemHeight());
            if (OnHeightChanged)
                OnHeightChanged();
        }
        if (bitmap_.size() != size() || Hover != HoverDrawn || Key != view_.LegendKey(AxisIndex) || bitmap_.isNull())
            Render();
    }
    p.drawImage(0, 0, bitmap_);
}

void TLegend::enterEvent(QEnterEvent*)
{
    Hover = true;
    update();
}

void TLegend::leaveEvent(QEvent*)
{
    Hover = false;
    update();
}

void TLegend::mouseReleaseEvent(QMouseEvent* e)
{
    if (e->button() == Qt::LeftButton && rect().contains(e->position().toPoint()))
        view_.RequestSettings(AxisIndex);
}

} // namespace vro::app
