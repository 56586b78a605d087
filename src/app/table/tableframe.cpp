#include "app/table/tableframe.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>

namespace vro::app {

namespace {

const QColor kCellBackground(248, 248, 248);
const QColor kShadedRow(224, 224, 224);
const QColor kGridLine(192, 192, 192);
const QColor kHeaderBackground(192, 192, 192);

QString Q(const std::string& s) { return QString::fromStdString(s); }

} // namespace

// ---- TTableHeader

TTableHeader::TTableHeader(TTableFrame& frame, QWidget* parent) : QWidget(parent), frame_(frame)
{
    setObjectName(QStringLiteral("HeaderControl"));
    setMouseTracking(true);
    setFixedHeight(2 * fontMetrics().height() + 8);
}

int TTableHeader::EdgeAt(int x) const
{
    int right = -frame_.HorizontalOffset();
    const auto& s = frame_.Sections();
    for (std::size_t i = 0; i < s.size(); ++i) {
        right += s[i].Width;
        if (std::abs(x - right) <= 3)
            return static_cast<int>(i);
    }
    return -1;
}

void TTableHeader::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), kHeaderBackground);
    const auto& s = frame_.Sections();
    const TTableView& t = frame_.Table();
    int x = -frame_.HorizontalOffset();
    const QFontMetrics fm = fontMetrics();
    const int h = height();
    for (std::size_t i = 0; i < s.size(); ++i) {
        const int w = s[i].Width;
        const QRect r(x, 0, w, h);
        p.setPen(kGridLine.darker(130));
        p.drawLine(r.right(), 0, r.right(), h - 1);
        p.setPen(Qt::black);
        const QString head = Q(t.HeaderText(static_cast<int>(i)));
        const QString unit = Q(t.UnitText(static_cast<int>(i)));
        const int inner = std::max(w - 4, 0);
        if (!unit.isEmpty()) {
            p.drawText(QRect(x + 2, 0, inner, h / 2), Qt::AlignHCenter | Qt::AlignBottom,
                       fm.elidedText(head, Qt::ElideRight, inner));
            p.drawText(QRect(x + 2, h / 2, inner, h - h / 2), Qt::AlignHCenter | Qt::AlignTop,
                       fm.elidedText(unit, Qt::ElideRight, inner));
        } else {
            p.drawText(QRect(x + 2, 0, inner, h), Qt::AlignCenter, fm.elidedText(head, Qt::ElideRight, inner));
        }
        x += w;
    }
}

void TTableHeader::mousePressEvent(QMouseEvent* e)
{
    dragSection_ = EdgeAt(e->position().toPoint().x());
    if (dragSection_ >= 0) {
        dragStartX_ = e->position().toPoint().x();
        dragStartWidth_ = frame_.Sections()[static_cast<std::size_t>(dragSection_)].Width;
    }
}

void TTableHeader::mouseMoveEvent(QMouseEvent* e)
{
    const int x = e->position().toPoint().x();
    if (dragSection_ >= 0 && (e->buttons() & Qt::LeftButton)) {
        frame_.SetSectionWidth(dragSection_, dragStartWidth_ + x - dragStartX_);
        return;
    }
    setCursor(EdgeAt(x) >= 0 ? Qt::SplitHCursor : Qt::ArrowCursor);
}

void TTableHeader::mouseReleaseEvent(QMouseEvent*) { dragSection_ = -1; }

// ---- TTableGrid

TTableGrid::TTableGrid(TTableFrame& frame, QWidget* parent) : QWidget(parent), frame_(frame)
{
    setObjectName(QStringLiteral("TableGrid"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TTableGrid::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    TTableView& t = frame_.Table();
    t.UnshiftedAccess(); // the table shows every sample where it is stored
    p.fillRect(rect(), kCellBackground);
    if (!t.HasRecording())
        return;
    const int rowH = frame_.RowHeight();
    const auto& s = frame_.Sections();
    const int ox = -frame_.HorizontalOffset();
    const int gridH = height();
    const int contentRight = ox + frame_.ContentWidth();
    std::int32_t r = frame_.VerticalScrollBar()->value();
    int y = 0;
    do {
        if (t.IsMarkedRow(r))
            p.fillRect(QRect(ox, y + 1, contentRight - ox, rowH), kShadedRow);
        int x = ox;
        for (std::size_t c = 0; c < s.size(); ++c) {
            const int w = s[c].Width;
            const QString text = frame_.DisplayText(r, static_cast<int>(c));
            p.setPen(Qt::black);
            p.drawText(QRect(x, y + 2, std::max(w - 4, 0), rowH - 2), Qt::AlignRight | Qt::AlignTop, text);
            p.setPen(kGridLine);
            p.drawLine(x + w - 1, y, x + w - 1, y + rowH);
            x += w;
        }
        p.setPen(kGridLine);
        p.drawLine(ox, y + rowH, contentRight, y + rowH);
        ++r;
        y += rowH;
    } while (y <= gridH - rowH && r <= t.LastRow);
}

void TTableGrid::wheelEvent(QWheelEvent* e)
{
    auto* sb = frame_.VerticalScrollBar();
    sb->setValue(sb->value() - e->angleDelta().y() / 40);
}

// ---- TTableFrame

TTableFrame::TTableFrame(QWidget* parent, TTableView* table) : QWidget(parent)
{
    setObjectName(QStringLiteral("TTableFrame"));
    if (!table) {
        ownTable_ = std::make_unique<TTableView>();
        table = ownTable_.get();
    }
    table_ = table;
    title_ = new QLabel(this);
    title_->setObjectName(QStringLiteral("TitleLabel"));
    header_ = new TTableHeader(*this, this);
    grid_ = new TTableGrid(*this, this);
    vscroll_ = new QScrollBar(Qt::Vertical, this);
    vscroll_->setObjectName(QStringLiteral("ScrollBar"));
    vscroll_->setPageStep(0);
    hscroll_ = new QScrollBar(Qt::Horizontal, this);
    connect(vscroll_, &QScrollBar::valueChanged, grid_, qOverload<>(&QWidget::update));
    connect(hscroll_, &QScrollBar::valueChanged, this, [this] {
        header_->update();
        grid_->update();
    });
    setVisible(false);
}

TTableFrame::~TTableFrame() = default;

int TTableFrame::RowHeight() const { return fontMetrics().boundingRect(QStringLiteral("#")).height() + 6; }

void TTableFrame::SetRecording(TRecording* recording)
{
    table_->SetRecording(recording);
    SetShown(recording != nullptr);
}

void TTableFrame::SetShown(bool flag)
{
    setVisible(flag && table_->HasRecording());
    if (isVisible() || (flag && table_->HasRecording()))
        Refresh();
}

void TTableFrame::Refresh()
{
    if (!table_->HasRecording()) {
        setVisible(false);
        return;
    }
    title_->setText(Q(table_->Recording()->GetDisplayFileName()));
    table_->BuildColumns();
    const QFontMetrics fm = fontMetrics();
    const TTextMeasure measure = [fm](const std::string& s) { return fm.horizontalAdvance(Q(s)); };
    const int minW = fm.horizontalAdvance(QStringLiteral("#")) + 10;
    sections_.clear();
    for (int c = 0; c < table_->ColumnCount; ++c) {
        TSection s;
        s.MinWidth = minW;
        s.Width = table_->ColumnWidth(c, measure) + minW;
        s.MaxWidth = 3 * s.Width;
        sections_.push_back(s);
    }
    vscroll_->setPageStep(0);
    vscroll_->setRange(table_->FirstRow, std::max(table_->FirstRow, table_->LastRow));
    vscroll_->setValue(table_->FirstRow);
    Layout();
}

void TTableFrame::SetSectionWidth(int section, int width)
{
    if (section < 0 || section >= static_cast<int>(sections_.size()))
        return;
    auto& s = sections_[static_cast<std::size_t>(section)];
    s.Width = std::clamp(width, s.MinWidth, std::max(s.MinWidth, s.MaxWidth));
    Layout();
}

int TTableFrame::ContentWidth() const
{
    int sum = 0;
    for (const auto& s : sections_)
        sum += s.Width;
    return std::max(sum + 20, grid_->width());
}

QString TTableFrame::DisplayText(std::int32_t row, int column) const
{
    if (column < 0 || column >= static_cast<int>(sections_.size()))
        return {};
    const QFontMetrics fm = fontMetrics();
    const std::string text = table_->CellText(row, column);
    const int width = sections_[static_cast<std::size_t>(column)].Width - 8;
    return Q(TTableView::FitCellText(text, width, [fm](const std::string& s) { return fm.horizontalAdvance(Q(s)); }));
}

void TTableFrame::Layout()
{
    const int sb = vscroll_->sizeHint().width();
    const int hb = hscroll_->sizeHint().height();
    const int titleH = title_->sizeHint().height() + 4;
    title_->setGeometry(2, 2, width() - 4, titleH - 4);
    const int clientW = std::max(width() - sb, 1);
    header_->setGeometry(0, titleH, clientW, header_->height());
    const int gridTop = titleH + header_->height();
    const int gridH = std::max(height() - gridTop - hb, 1);
    grid_->setGeometry(0, gridTop, clientW, gridH);
    vscroll_->setGeometry(clientW, gridTop, sb, gridH);
    hscroll_->setGeometry(0, gridTop + gridH, clientW, hb);
    int sum = 0;
    for (const auto& s : sections_)
        sum += s.Width;
    hscroll_->setRange(0, std::max(0, sum + 20 - clientW));
    hscroll_->setPageStep(clientW);
    vscroll_->setSingleStep(1);
    vscroll_->setPageStep(std::max(gridH / RowHeight() - 1, 1));
    header_->update();
    grid_->update();
}

void TTableFrame::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    Layout();
}

} // namespace vro::app
