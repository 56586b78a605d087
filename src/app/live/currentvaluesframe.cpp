#include "app/live/currentvaluesframe.h"

#include "app/devicewin/vroform.h"
#include "app/dialogs/messagedialog.h"
#include "app/look/apptext.h"
#include "app/look/buttonlabel.h"
#include "app/look/captions.h"
#include "app/look/colors.h"
#include "app/look/windowlayout.h"
#include "core/config/applicationconfig.h"
#include "core/config/configkeys.h"
#include "device/dvxerrorhandler.h"
#include "device/manager/vro8manager.h"

#include <QApplication>
#include <QBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPolygon>
#include <QScrollArea>
#include <QTableWidget>

namespace vro::app {

// 684: The action selected cannot be carried out due t...; 696: Device error
void ReportDeviceError() { MessageBox(Txt(684), Txt(696), MB_OK | MB_ICONERROR); }

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }

TButtonLabel* ActionLabel(const char* name, QWidget* parent, QBoxLayout* layout)
{
    auto* l = new TButtonLabel(QString::fromLatin1(name), parent);
    l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    layout->addWidget(l);
    return l;
}

} // namespace

// ---------------------------------------------------------------------------
// TVroCurrentValuesPage

TVroCurrentValuesPage::TVroCurrentValuesPage(TVroForm& form, QWidget* parent) : TVroPageFrame(form, parent)
{
    setObjectName(QStringLiteral("CurrentValuesPage"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    frame_ = new TVroCurrentValuesFrame(form.Manager(), form.Config(), this);
    frame_->OnDeviceError = [&form] { form.Latch().Set(); };
    layout->addWidget(frame_);
    frame_->Open();
}

// ---------------------------------------------------------------------------
// TVroCurrentValuesFrame

TVroCurrentValuesFrame::TVroCurrentValuesFrame(vro::TVro8Manager& manager, vro::TApplicationConfig& config,
                                               QWidget* parent)
    : QFrame(parent), manager_(manager), config_(config), logic_(manager.Device().Measurement)
{
    setObjectName(QStringLiteral("TVroCurrentValuesFrame"));
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, MainPanelColor());
    setPalette(pal);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    title_ = MakeTitleLabel(QStringLiteral("TitleLabel"), this);
    layout->addWidget(title_);
    auto* actions = new QHBoxLayout;
    reset_ = ActionLabel("x1xResetLabel", this, actions);
    refresh_ = ActionLabel("x8xRefreshLabel", this, actions);
    big_ = ActionLabel("BigLabel", this, actions);
    actions->addStretch(1);
    layout->addLayout(actions);
    grid_ = new QTableWidget(this);
    grid_->setObjectName(QStringLiteral("ValuesGrid"));
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setSelectionMode(QAbstractItemView::NoSelection);
    grid_->verticalHeader()->hide();
    grid_->horizontalHeader()->hide();
    grid_->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(grid_, 1);

    MarkCaptionFrame(this);
    ApplyQtCaptions(this, kTextBase);
    big_->setText(Txt(510)); // 510: Large display
    for (TButtonLabel* l : {reset_, refresh_, big_})
        StyleButtonLabel(l);
    reset_->setVisible(false);

    timer_.setInterval(500);
    connect(&timer_, &QTimer::timeout, this, [this] { Update(); });
    connect(refresh_, &TButtonLabel::clicked, this, [this] { Update(); });
    connect(reset_, &TButtonLabel::clicked, this, [this] { logic_.RequestReset(); });
    connect(big_, &TButtonLabel::clicked, this, &TVroCurrentValuesFrame::ShowLargeDisplay);
}

TVroCurrentValuesFrame::~TVroCurrentValuesFrame() = default;

bool TVroCurrentValuesFrame::Open()
{
    timer_.stop();
    const QString title = Q(manager_.GetDescription()) + QStringLiteral(" - ") + Txt(kTextBase);
    title_->setText(title);
    setWindowTitle(title);
    try {
        updating_ = true;
        Fill(logic_.Open());
        updating_ = false;
    } catch (const std::exception&) {
        updating_ = false;
        Failed();
        return false;
    }
    timer_.start();
    return true;
}

void TVroCurrentValuesFrame::Close() { timer_.stop(); }

bool TVroCurrentValuesFrame::Update()
{
    if (updating_)
        return false;
    const bool wasActive = timer_.isActive();
    timer_.stop();
    updating_ = true;
    try {
        Fill(logic_.Update());
    } catch (const std::exception&) {
        updating_ = false;
        Failed(); // the timer stays off
        return false;
    }
    updating_ = false;
    if (wasActive)
        timer_.start();
    return true;
}

void TVroCurrentValuesFrame::Fill(const vro::TCurrentValuesTable& t)
{
    grid_->setUpdatesEnabled(false);
    grid_->setColumnCount(t.ColumnCount);
    grid_->setRowCount(static_cast<int>(t.Rows.size()));
    for (int r = 0; r < static_cast<int>(t.Rows.size()); ++r) {
        const auto& row = t.Rows[static_cast<std::size_t>(r)];
        for (int c = 0; c < t.ColumnCount; ++c) {
            QTableWidgetItem* item = grid_->item(r, c);
            if (!item) {
                item = new QTableWidgetItem;
                grid_->setItem(r, c, item);
            }
            item->setText(c < static_cast<int>(row.size()) ? Q(row[static_cast<std::size_t>(c)]) : QString());
            QFont f = item->font();
            f.setBold(r == 0);
            item->setFont(f);
            item->setBackground(r == 0 ? QBrush(TopPanelColor()) : QBrush());
        }
    }
    grid_->resizeColumnsToContents();
    grid_->setUpdatesEnabled(true);
    reset_->setVisible(t.ResetVisible);
    emit updated();
}

void TVroCurrentValuesFrame::Failed()
{
    timer_.stop();
    ReportDeviceError();
    if (OnDeviceError)
        OnDeviceError();
}

void TVroCurrentValuesFrame::ShowLargeDisplay()
{
    const bool wasActive = timer_.isActive();
    timer_.stop();
    bool failed = false;
    {
        TVroCurrentValues7SegmentForm form(manager_, config_, window());
        form.OnDeviceError = [&failed, this] {
            failed = true;
            if (OnDeviceError)
                OnDeviceError();
        };
        if (form.Initialise())
            form.exec();
    }
    if (wasActive && !failed)
        timer_.start();
}

// ---------------------------------------------------------------------------
// the large display's paint box

class TSevenSegmentPanel : public QWidget {
public:
    explicit TSevenSegmentPanel(TVroCurrentValues7SegmentForm& form, QWidget* parent) : QWidget(parent), form_(form)
    {
        setObjectName(QStringLiteral("SevenSegmentPaintBox"));
        setAttribute(Qt::WA_OpaquePaintEvent);
    }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    TVroCurrentValues7SegmentForm& form_;
};

void DrawSevenSegmentText(QPainter& p, const QString& text, const QRect& field, const QColor& color)
{
    const auto masks = vro::live::SevenSegMasks(text.toStdString());
    const auto g = vro::live::SevenSegLayout(masks, field.left(), field.top(), field.width(), field.height());
    if (g.Thickness == 0)
        return;
    p.setPen(QPen(color, 1, Qt::SolidLine));
    p.setBrush(color);
    QPolygon poly;
    for (const auto& d : g.Digits) {
        for (const auto& seg : d.Segments) {
            poly.resize(6);
            for (int i = 0; i < 6; ++i)
                poly.setPoint(i, seg[static_cast<std::size_t>(i)].X, seg[static_cast<std::size_t>(i)].Y);
            p.drawPolygon(poly);
        }
        if (!d.PointOctagon.empty()) {
            poly.resize(static_cast<int>(d.PointOctagon.size()));
            for (int i = 0; i < poly.size(); ++i)
                poly.setPoint(i, d.PointOctagon[static_cast<std::size_t>(i)].X,
                              d.PointOctagon[static_cast<std::size_t>(i)].Y);
            p.drawPolygon(poly);
        }
    }
}

void TSevenSegmentPanel::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), MainPanelColor());
    QFont bold = font();
    bold.setBold(true);
    p.setFont(bold);
    p.setPen(Qt::black);
    p.drawText(QRect(10, 0, width() - 20, 20), Qt::AlignLeft | Qt::AlignVCenter,
               QString::fromStdString(form_.manager_.GetDescription()));
    const auto& channels = form_.channels_;
    if (channels.empty()) {
        p.drawText(QRect(10, 30, width() - 20, 20), Qt::AlignLeft | Qt::AlignVCenter,
                   Txt(form_.reloading_ ? 508 : 513)); // 508: The channel list is b...; 513: No measurement channe...
        return;
    }
    const auto l = form_.Layout();
    const int pitch = l.Columns > 0 ? width() / l.Columns : width();
    const bool split = form_.minMax_ && form_.minMaxAvailable_;
    for (int i = 0; i < static_cast<int>(channels.size()); ++i) {
        const auto& c = channels[static_cast<std::size_t>(i)];
        const int col = i % l.Columns, row = i / l.Columns;
        const QRect cell(col * pitch + 20, 20 + 10 + row * (l.CellHeight + 20 + 10), l.CellWidth, l.CellHeight + 20);
        p.fillRect(cell, Qt::white);
        p.fillRect(QRect(cell.left(), cell.top(), cell.width(), 20), TopPanelColor());
        p.setPen(Qt::black);
        p.drawText(QRect(cell.left() + 4, cell.top(), cell.width() - 8, 20), Qt::AlignLeft | Qt::AlignVCenter,
                   QString::fromStdString(c.Name + " [" + c.Unit + "]"));
        const QRect field(cell.left(), cell.top() + 20, cell.width(), l.CellHeight);
        if (split) {
            const int w2 = field.width() * 2 / 3;
            DrawSevenSegmentText(p, QString::fromStdString(c.Value),
                                 QRect(field.left(), field.top(), w2, field.height()), Qt::black);
            const QRect right(field.left() + w2, field.top(), field.width() - w2, field.height());
            DrawSevenSegmentText(p, QString::fromStdString(c.Max),
                                 QRect(right.left(), right.top(), right.width(), right.height() / 2), Qt::black);
            DrawSevenSegmentText(p, QString::fromStdString(c.Min),
                                 QRect(right.left(), right.top() + right.height() / 2, right.width(),
                                       right.height() - right.height() / 2),
                                 Qt::black);
        } else {
            DrawSevenSegmentText(p, QString::fromStdString(c.Value), field, Qt::black);
        }
    }
}

// ---------------------------------------------------------------------------
// TVroCurrentValues7SegmentForm

TVroCurrentValues7SegmentForm::TVroCurrentValues7SegmentForm(vro::TVro8Manager& manager,
                                                             vro::TApplicationConfig& config, QWidget* parent)
    : QDialog(parent), manager_(manager), config_(config), logic_(manager.Device().Measurement)
{
    setObjectName(QStringLiteral("TVroCurrentValues7SegmentForm"));
    setModal(true);
    StyleWindowBackground(this);
    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(kOuterMargin, kOuterMargin, kOuterMargin, kOuterMargin);
    outer->setSpacing(kSpacing);
    QFrame* left = MakePanel(QStringLiteral("LeftPanel"), LeftPanelColor(), this);
    left->setFixedWidth(150);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(4, 8, 4, 8);
    minMaxLabel_ = ActionLabel("x3xMinMaxLabel", left, leftLayout);
    resetLabel_ = ActionLabel("x1xResetMinMaxLabel", left, leftLayout);
    leftLayout->addSpacing(10);
    oneLabel_ = ActionLabel("x4xOneRowLabel", left, leftLayout);
    twoLabel_ = ActionLabel("x5xTwoRowsLabel", left, leftLayout);
    fourLabel_ = ActionLabel("x6xFourRowsLabel", left, leftLayout);
    leftLayout->addStretch(1);
    outer->addWidget(left);
    scroll_ = new QScrollArea(this);
    scroll_->setObjectName(QStringLiteral("SevenSegmentScrollBox"));
    scroll_->setWidgetResizable(false);
    scroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    panel_ = new TSevenSegmentPanel(*this, scroll_);
    scroll_->setWidget(panel_);
    outer->addWidget(scroll_, 1);

    ApplyQtCaptions(this, kTextBase);
    for (TButtonLabel* l : {minMaxLabel_, resetLabel_, oneLabel_, twoLabel_, fourLabel_})
        StyleButtonLabel(l);
    setWindowTitle(QString::fromStdString(manager.GetDescription()) + QStringLiteral(" - ") + Txt(kTextBase));
    displaySize_ = cfg::Read(config_.List(), cfg::kDisplaySize);
    minMax_ = cfg::Read(config_.List(), cfg::kSegmentMinMax);

    timer_.setInterval(500);
    connect(&timer_, &QTimer::timeout, this, [this] { Update(); });
    connect(minMaxLabel_, &TButtonLabel::clicked, this, [this] {
        minMax_ = !minMax_;
        Relayout();
    });
    connect(resetLabel_, &TButtonLabel::clicked, this, [this] { logic_.RequestReset(); });
    connect(oneLabel_, &TButtonLabel::clicked, this, [this] { SetColumns(1); });
    connect(twoLabel_, &TButtonLabel::clicked, this, [this] { SetColumns(2); });
    connect(fourLabel_, &TButtonLabel::clicked, this, [this] { SetColumns(4); });
    resize(900, 600);
}

TVroCurrentValues7SegmentForm::~TVroCurrentValues7SegmentForm() = default;

QWidget* TVroCurrentValues7SegmentForm::Panel() const { return panel_; }

vro::live::TLargeDisplayLayout TVroCurrentValues7SegmentForm::Layout() const
{
    return vro::live::LargeDisplayLayout(scroll_->viewport()->width(), scroll_->viewport()->height(),
                                         static_cast<int>(channels_.size()), columns_, minMax_ && minMaxAvailable_);
}

bool TVroCurrentValues7SegmentForm::Initialise()
{
    try {
        reloading_ = true;
        logic_.Open();
        reloading_ = false;
    } catch (const std::exception&) {
        reloading_ = false;
        ReportDeviceError();
        if (OnDeviceError)
            OnDeviceError();
        return false;
    }
    channels_ = logic_.Table().Channels;
    minMaxAvailable_ = logic_.Table().ShowMin;
    Relayout();
    timer_.start();
    return true;
}

bool TVroCurrentValues7SegmentForm::Update()
{
    timer_.stop();
    try {
        logic_.Update();
    } catch (const std::exception&) {
        ReportDeviceError();
        if (OnDeviceError)
            OnDeviceError();
        reject();
        return false;
    }
    channels_ = logic_.Table().Channels;
    minMaxAvailable_ = logic_.Table().ShowMin;
    columns_ = vro::live::LargeDisplayColumns(static_cast<int>(channels_.size()), columns_);
    Relayout();
    if (!closed_)
        timer_.start();
    emit updated();
    return true;
}

void TVroCurrentValues7SegmentForm::SetColumns(int columns)
{
    columns_ = columns;
    Relayout();
}

void TVroCurrentValues7SegmentForm::Relayout()
{
    const auto l = Layout();
    minMaxLabel_->setEnabled(minMaxAvailable_);
    twoLabel_->setEnabled(l.TwoRowsEnabled);
    fourLabel_->setEnabled(l.FourRowsEnabled);
    QFont f = minMaxLabel_->font();
    f.setBold(minMax_ && minMaxAvailable_);
    minMaxLabel_->setFont(f);
    const int height = 30 + l.Rows * (l.CellHeight + 30) + 10;
    panel_->resize(scroll_->viewport()->width(), std::max(height, scroll_->viewport()->height()));
    panel_->update();
}

void TVroCurrentValues7SegmentForm::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    Relayout();
}

void TVroCurrentValues7SegmentForm::done(int result)
{
    if (!closed_) {
        closed_ = true;
        timer_.stop();
        cfg::Write(config_.List(), cfg::kDisplaySize, displaySize_);
        cfg::Write(config_.List(), cfg::kSegmentMinMax, minMax_);
    }
    QDialog::done(result);
}

} // namespace vro::app
