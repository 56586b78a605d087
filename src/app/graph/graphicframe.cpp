#include "app/graph/graphicframe.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include <cmath>

#include "app/graph/axes.h"
#include "app/graph/graph.h"
#include "app/graph/qtgraphcanvas.h"
#include "app/graph/snapshotforms.h"
#include "app/look/apptext.h"
#include "app/look/buttonlabel.h"
#include "core/graph/axislogic.h"

namespace vro::app {

using namespace vro::graph;

namespace {

QWidget* Panel(const QString& name, QWidget* parent, const QColor& color)
{
    auto* w = new QWidget(parent);
    w->setObjectName(name);
    w->setAutoFillBackground(true);
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, color);
    w->setPalette(pal);
    return w;
}

struct TCommand {
    const char* Name;
    int Text;
    int Tool; // 0: a command, not a tool
};

// The labels of the graph functions, in columns of five rows.
constexpr TCommand kColumns[5][5] = {
    {{"ViewLabel", 67, -1}, {"FullScaleLabel", 108, 0}, {"ScaleLabel", 107, 0}, {nullptr, 0, 0}, {nullptr, 0, 0}},
    {{nullptr, 0, 0},
     {"MagnifierLabel", 103, 5},
     {"InversMagnifierLabel", 104, 6},
     {"HandLabel", 105, 7},
     {"NavigationLabel", 106, 4}},
    {{nullptr, 0, 0},
     {"BackwardsLabel", 110, 0},
     {"ForwardLabel", 111, 0},
     {"SnapshotLabel", 91, 0},
     {"SnapshotListLabel", 92, 0}},
    {{"EvaluateLabel", 68, -1},
     {"RulerLabel", 100, 1},
     {"CaliperLabel", 101, 2},
     {"TrackerLabel", 102, 3},
     {"DeltaTrackerLabel", 132, 9}},
    {{nullptr, 0, 0}, {nullptr, 0, 0}, {nullptr, 0, 0}, {nullptr, 0, 0}, {nullptr, 0, 0}},
};

} // namespace

TGraphicFrame::TGraphicFrame(QWidget* parent, TGraphicView* view) : QWidget(parent)
{
    setObjectName(QStringLiteral("TGraphicFrame"));
    if (!view) {
        ownView_ = std::make_unique<TGraphicView>();
        view = ownView_.get();
    }
    view_ = view;
    view_->OnToolChanged = [this] { ToolChanged(); };
    view_->OnMarksChanged = [this] { MarksChanged(); };

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    auto* top = Panel(QStringLiteral("TopPanel"), this, QColor(176, 176, 176));
    top->setFixedHeight(41);
    auto* topLayout = new QHBoxLayout(top);
    topLabel_ = new QLabel(top);
    topLabel_->setObjectName(QStringLiteral("TopLabel"));
    topLayout->addWidget(topLabel_);
    outer->addWidget(top);

    auto* main = new QWidget(this);
    main->setObjectName(QStringLiteral("MainPanel"));
    auto* mainLayout = new QHBoxLayout(main);
    mainLayout->setContentsMargins(0, 0, 0, 0);
    mainLayout->setSpacing(4);
    container_ = Panel(QStringLiteral("GraphContainerPanel"), main, ToQColor(kPlotBackground));
    container_->setMinimumWidth(130);
    // The container places its parts itself (LayoutContainer): the value
    // strips take the width their labels need at once, so the plot and the
    // horizontal axis line up in the same pass that changed the strips.
    container_->installEventFilter(this);
    graphTop_ = new QWidget(container_);
    graphTop_->setObjectName(QStringLiteral("GraphTopPanel"));
    graphTop_->setFixedHeight(12);
    leftPanel_ = new QWidget(container_);
    leftPanel_->setObjectName(QStringLiteral("GraphLeftYPanel"));
    rightPanel_ = new QWidget(container_);
    rightPanel_->setObjectName(QStringLiteral("GraphRightYPanel"));
    graph_ = new TGraph(*view_, container_);
    graph_->setObjectName(QStringLiteral("GraphPanel"));
    graph_->setMinimumSize(1, 1);
    xPanel_ = new QWidget(container_);
    xPanel_->setObjectName(QStringLiteral("GraphXPanel"));
    xAxis_ = new TXAxis(*view_, xPanel_);
    xAxis_->PlotOffset = [this] {
        return graph_->mapTo(this, QPoint(0, 0)).x() - xAxis_->mapTo(this, QPoint(0, 0)).x();
    };
    mainLayout->addWidget(container_, 1);

    legendScroll_ = new QScrollArea(main);
    legendScroll_->setObjectName(QStringLiteral("LegendPanel"));
    legendScroll_->setFixedWidth(150);
    legendScroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    legendScroll_->setFrameShape(QFrame::NoFrame);
    legendColumn_ = Panel(QStringLiteral("LegendColumn"), legendScroll_, ToQColor(kLegendBackground));
    legendScroll_->setWidget(legendColumn_);
    legendScroll_->setWidgetResizable(false);
    legendScroll_->viewport()->installEventFilter(this);
    mainLayout->addWidget(legendScroll_);
    outer->addWidget(main, 1);

    // The command labels keep their texts whole: when their columns are wider
    // than the pane, the block scrolls sideways instead of cutting them.
    bottomScroll_ = new QScrollArea(this);
    bottomScroll_->setObjectName(QStringLiteral("BottomScrollBox"));
    bottomScroll_->setFrameShape(QFrame::NoFrame);
    bottomScroll_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    bottomScroll_->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    bottomScroll_->setWidgetResizable(true);
    auto* bottom = Panel(QStringLiteral("BottomPanel"), bottomScroll_, QColor(208, 208, 208));
    bottomScroll_->setWidget(bottom);
    BuildLabels(bottom);
    outer->addWidget(bottomScroll_);

    auto* left = new TYAxis(*view_, true, leftPanel_);
    left->SetAxis(-1);
    leftAxes_.push_back(left);
    auto* right = new TYAxis(*view_, false, rightPanel_);
    right->SetAxis(-1);
    rightAxes_.push_back(right);
    LayoutContainer();

    graph_->OnViewChanged = [this] { ProcessChanges(); };
    // A full redraw adds the view to the history: the history labels follow.
    graph_->OnRedrawn = [this] { RefreshLabels(); };
    graph_->TrackerAnchor = [this] { return trackerLabel_->mapToGlobal(QPoint(trackerLabel_->width(), 0)); };
    graph_->NavigatorAnchor = [this] { return navigationLabel_->mapToGlobal(QPoint(navigationLabel_->width(), 0)); };
    setFocusPolicy(Qt::StrongFocus);
    setVisible(false);
}

TGraphicFrame::~TGraphicFrame()
{
    view_->OnToolChanged = nullptr;
    view_->OnMarksChanged = nullptr;
    if (view_->ActiveTool != 0)
        view_->ActiveTool = 0;
}

void TGraphicFrame::BuildLabels(QWidget* bottom)
{
    bottom_ = bottom;
    for (int c = 0; c < 5; ++c)
        for (int r = 0; r < 5; ++r) {
            const TCommand& cmd = kColumns[c][r];
            if (!cmd.Name)
                continue;
            const QString name = QString::fromLatin1(cmd.Name);
            if (cmd.Tool < 0) {
                auto* h = new QLabel(Txt(cmd.Text), bottom);
                h->setObjectName(name);
                QFont f = h->font();
                f.setBold(true);
                h->setFont(f);
                cells_[c][r] = h;
                continue;
            }
            auto* l = new TButtonLabel(name, bottom);
            l->setText(Txt(cmd.Text));
            StyleButtonLabel(l);
            // Left-aligned in a column as wide as its widest label in bold,
            // so that the active (bold) label keeps its place and its text.
            l->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
            cells_[c][r] = l;
            connect(l, &TButtonLabel::clicked, this, [this, name] { RunCommand(name); });
            if (cmd.Tool > 0)
                toolLabels_.push_back({l, cmd.Tool});
            if (name == QLatin1String("BackwardsLabel"))
                backLabel_ = l;
            else if (name == QLatin1String("ForwardLabel"))
                forwardLabel_ = l;
            else if (name == QLatin1String("SnapshotListLabel"))
                snapshotListLabel_ = l;
            else if (name == QLatin1String("TrackerLabel"))
                trackerLabel_ = l;
            else if (name == QLatin1String("NavigationLabel"))
                navigationLabel_ = l;
        }
    LayoutLabels();
}

void TGraphicFrame::ApplyTexts()
{
    for (int c = 0; c < 5; ++c)
        for (int r = 0; r < 5; ++r) {
            QLabel* l = cells_[c][r];
            if (!l)
                continue;
            const QString caption = Txt(kColumns[c][r].Text);
            if (auto* b = qobject_cast<TButtonLabel*>(l))
                b->setText(b->IsStyled() ? FrameButtonCaption(caption) : caption);
            else
                l->setText(caption);
        }
    LayoutLabels();
}

void TGraphicFrame::LayoutLabels()
{
    // Columns of five rows, 20 pixels apart, from 4 pixels left and top; each
    // column 1.15 × (its widest label + 4) wide, and at least as wide as that
    // label in bold; columns 4 pixels apart.
    constexpr int kRow = 20, kMargin = 4, kGap = 4;
    int x = kMargin;
    QLabel* heading = cells_[0][0];
    for (auto& column : cells_) {
        int widest = 0, widestBold = 0;
        bool any = false;
        for (QLabel* l : column) {
            if (!l || l->isHidden() || l == heading)
                continue;
            any = true;
            QFont normal = l->font(), bold = l->font();
            normal.setBold(false);
            bold.setBold(true);
            widest = std::max(widest, QFontMetrics(normal).horizontalAdvance(l->text()));
            widestBold = std::max(widestBold, QFontMetrics(bold).horizontalAdvance(l->text()));
        }
        if (!any)
            continue;
        const int colW = std::max(static_cast<int>(std::lround(1.15 * (widest + 4))), widestBold + 4);
        for (int r = 0; r < 5; ++r)
            if (QLabel* l = column[r])
                l->setGeometry(x, kMargin + r * kRow, colW, kRow);
        x += colW + kGap;
    }
    bottom_->setMinimumWidth(x - kGap + kMargin);
    FitBottomHeight();
    // The "View" heading spans its three columns, up to the right edge of
    // the Forwards label.
    if (heading && forwardLabel_) {
        const int w = QFontMetrics(heading->font()).horizontalAdvance(heading->text()) + 4;
        heading->setGeometry(heading->x(), heading->y(),
                             std::max(w, forwardLabel_->geometry().right() + 1 - heading->x()), kRow);
    }
}

void TGraphicFrame::FitBottomHeight()
{
    // Five rows and the margins; a scroll bar below them when the columns
    // are wider than the pane.
    const int rows = 4 + 5 * 20 + 4;
    const bool scrolls = bottom_->minimumWidth() > width();
    bottomScroll_->setFixedHeight(rows + (scrolls ? bottomScroll_->horizontalScrollBar()->sizeHint().height() : 0));
}

TButtonLabel* TGraphicFrame::CommandLabel(const QString& name) const
{
    for (const auto& column : cells_)
        for (QLabel* l : column)
            if (l && l->objectName() == name)
                return qobject_cast<TButtonLabel*>(l);
    return nullptr;
}

bool TGraphicFrame::RunCommand(const QString& name)
{
    auto& v = *view_;
    if (!v.Recording)
        return false;
    for (auto& [label, tool] : toolLabels_)
        if (label->objectName() == name) {
            v.SetTool(tool);
            return true;
        }
    if (name == QLatin1String("FullScaleLabel")) {
        v.FullScale();
        v.SetTool(0);
    } else if (name == QLatin1String("ScaleLabel")) {
        v.AutoScale();
        v.SetTool(0);
    } else if (name == QLatin1String("BackwardsLabel")) {
        v.GoBack();
    } else if (name == QLatin1String("ForwardLabel")) {
        v.GoForward();
    } else if (name == QLatin1String("SnapshotLabel")) {
        v.SetTool(0);
        TSnapshotForm::Execute(*v.Recording, this);
    } else if (name == QLatin1String("SnapshotListLabel")) {
        v.SetTool(0);
        TSnapshotListForm f(*v.Recording, &v, this);
        f.exec();
    } else {
        return false;
    }
    ProcessChanges();
    return true;
}

void TGraphicFrame::SetRecording(TRecording* recording)
{
    if (view_->ActiveTool != 0) {
        view_->ActiveTool = 0;
        graph_->SelectTool();
    }
    view_->SetRecording(recording);
    view_->Changed = true;
    SetShown(true);
    if (!recording)
        setVisible(false);
}

void TGraphicFrame::SetShown(bool flag)
{
    setVisible(flag && view_->Recording);
    if (isVisible() || (flag && view_->Recording))
        Refresh();
}

void TGraphicFrame::Refresh()
{
    if (!view_->Recording) {
        setVisible(false);
        return;
    }
    topLabel_->setText(QString::fromStdString(view_->Recording->GetDisplayFileName()));
    RebuildLegend();
    RebuildYAxes();
    view_->SetTool(0);
}

void TGraphicFrame::RefreshLabels()
{
    if (!view_->Recording)
        return;
    forwardLabel_->setEnabled(view_->Recording->History.CanForward());
    backLabel_->setEnabled(view_->Recording->History.CanBack());
    snapshotListLabel_->setEnabled(view_->Recording->SnapshotCamera.Count() > 0);
    if (!IsButtonLabelHeld())
        RefreshToolLabels();
}

void TGraphicFrame::RefreshToolLabels()
{
    for (auto& [label, tool] : toolLabels_) {
        QFont f = label->font();
        f.setBold(view_->ActiveTool == tool);
        label->setFont(f);
    }
}

void TGraphicFrame::ToolChanged()
{
    RefreshToolLabels();
    graph_->SelectTool();
    Relayout();
}

void TGraphicFrame::MarksChanged()
{
    xAxis_->update();
    for (auto* a : leftAxes_)
        a->update();
    for (auto* a : rightAxes_)
        a->update();
}

void TGraphicFrame::ProcessChanges()
{
    if (!view_->Changed)
        return;
    view_->Changed = false;
    Relayout();
    RefreshLabels();
}

void TGraphicFrame::DataChanged()
{
    view_->Pyramids().Clear();
    view_->MarkChanged();
    ProcessChanges();
}

void TGraphicFrame::SizeView()
{
    view_->SetSize(graph_->width(), graph_->height(), nullptr);
    const QFontMetrics fm(graph_->font());
    TCanvasMetrics m{[fm](const std::string& s) { return fm.horizontalAdvance(QString::fromStdString(s)); },
                     fm.height()};
    view_->SetSize(graph_->width(), graph_->height(), &m);
}

void TGraphicFrame::Relayout()
{
    // The pane's own layout first (it sizes the container), then the
    // container's parts, so that the view's extents are those of the plot
    // as it will be painted.
    if (layout())
        layout()->activate();
    LayoutContainer();
    SizeView();
    if (view_->Recording && view_->Recording->GetViewState() != lastViewState_)
        RebuildYAxes();
    xAxis_->Refresh();
    for (auto* a : leftAxes_)
        a->Refresh();
    for (auto* a : rightAxes_)
        a->Refresh();
    for (auto* l : legend_)
        l->Refresh();
    graph_->ForceRedraw();
    RefreshLabels();
}

void TGraphicFrame::LayoutContainer()
{
    const int w = container_->width();
    const int h = container_->height();
    const int top = graphTop_->height();
    const int xh = xAxis_->height();
    const int plotH = std::max(h - top - xh, 1);
    graphTop_->setGeometry(0, 0, w, top);
    // The strips keep the width their widest label needs and the plot gives
    // way, down to a few pixels; only then are the strips narrowed, and
    // labels that no longer fit show as "#" (never as a cut number).
    constexpr int kMinPlotWidth = 20;
    int wanted = 0;
    for (const auto* side : {&leftAxes_, &rightAxes_})
        for (const TYAxis* a : *side)
            wanted += a->WantedWidth();
    const int room = std::max(w - kMinPlotWidth, 0);
    const auto stripWidth = [&](const TYAxis* a) {
        return wanted <= room ? a->WantedWidth()
                              : static_cast<int>(static_cast<long long>(a->WantedWidth()) * room / wanted);
    };
    const auto place = [&](const std::vector<TYAxis*>& axes) {
        int x = 0;
        for (TYAxis* a : axes) {
            const int aw = stripWidth(a);
            a->setGeometry(x, 0, aw, plotH);
            x += aw;
        }
        return x;
    };
    const int lw = place(leftAxes_);
    const int rw = place(rightAxes_);
    const int pw = std::max(w - lw - rw, 1);
    leftPanel_->setGeometry(0, top, lw, plotH);
    graph_->setGeometry(lw, top, pw, plotH);
    rightPanel_->setGeometry(lw + pw, top, rw, plotH);
    xPanel_->setGeometry(0, top + plotH, w, xh);
    xAxis_->setGeometry(0, 0, w, xh);
}

void TGraphicFrame::RebuildSide(std::vector<TYAxis*>& axes, QWidget* panel, bool left)
{
    std::size_t count = 0;
    auto take = [&](int channel) {
        if (count >= axes.size()) {
            auto* a = new TYAxis(*view_, left, panel);
            a->show();
            axes.push_back(a);
        }
        axes[count++]->SetAxis(channel);
    };
    const int n = view_->Recording ? view_->Recording->ChannelCount : 0;
    for (int i = 0; i < n; ++i)
        if (left ? view_->IsOnLeftAxis(i) : view_->IsOnRightAxis(i))
            take(i);
    if (count == 0)
        take(-1);
    while (axes.size() > count) {
        delete axes.back();
        axes.pop_back();
    }
}

void TGraphicFrame::RebuildYAxes()
{
    if (!view_->Recording)
        return;
    lastViewState_ = view_->Recording->GetViewState();
    xAxis_->SetAxis(view_->XAxisIndex());
    RebuildSide(leftAxes_, leftPanel_, true);
    RebuildSide(rightAxes_, rightPanel_, false);
    // New strip widths move the plot: place it and size the view anew now,
    // before anything paints with the old plot edge.
    LayoutContainer();
    SizeView();
}

void TGraphicFrame::RebuildLegend()
{
    for (auto* l : legend_)
        delete l;
    legend_.clear();
    if (view_->Recording) {
        const int n = view_->Recording->ChannelCount;
        for (int axis = -1; axis < n; ++axis) {
            auto* item = new TLegend(*view_, axis, legendColumn_);
            item->OnHeightChanged = [this] { LayoutLegend(); };
            item->show();
            legend_.push_back(item);
        }
    }
    LayoutLegend();
}

void TGraphicFrame::LayoutLegend()
{
    const int w = legendScroll_->viewport()->width();
    const int columnH = legendScroll_->viewport()->height();
    // Items are as wide as the column: their heights (and range lines) follow it.
    std::vector<int> heights;
    for (TLegend* item : legend_) {
        item->resize(w, item->height());
        heights.push_back(item->ItemHeight());
    }
    const auto tops = LegendLayout(heights, columnH);
    int total = columnH;
    for (std::size_t k = 0; k < legend_.size() && k < tops.size(); ++k) {
        legend_[k]->setGeometry(0, tops[k], w, legend_[k]->ItemHeight());
        total = std::max(total, tops[k] + legend_[k]->ItemHeight());
    }
    legendColumn_->resize(w, total);
    legendScroll_->verticalScrollBar()->setValue(0);
}

void TGraphicFrame::KeyDown(int& key, Qt::KeyboardModifiers shift)
{
    graph_->KeyDown(key, shift);
    ProcessChanges();
}

void TGraphicFrame::keyPressEvent(QKeyEvent* event)
{
    int key = event->key();
    KeyDown(key, event->modifiers());
    if (key == 0)
        event->accept();
    else
        QWidget::keyPressEvent(event);
}

void TGraphicFrame::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    FitBottomHeight();
    if (view_->Recording)
        view_->Changed = true;
    LayoutLegend();
    ProcessChanges();
}

bool TGraphicFrame::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize) {
        if (watched == container_ && xAxis_)
            LayoutContainer();
        else if (legendScroll_ && watched == legendScroll_->viewport())
            LayoutLegend();
    }
    return QWidget::eventFilter(watched, event);
}

QImage TGraphicFrame::ComposePicture()
{
    QImage img(container_->size(), QImage::Format_RGB32);
    img.fill(ToQColor(kPlotBackground));
    QPainter p(&img);
    const int top = graphTop_->height();
    int x = 0;
    for (auto* a : leftAxes_) {
        p.drawPixmap(x, top, a->grab());
        x += a->width();
    }
    p.drawPixmap(x, top, graph_->grab());
    x += graph_->width();
    for (auto* a : rightAxes_) {
        p.drawPixmap(x, top, a->grab());
        x += a->width();
    }
    p.drawPixmap(0, xPanel_->y(), xPanel_->grab());
    return img;
}

} // namespace vro::app
