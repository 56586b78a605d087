#include "app/graph/graphicframe.h"

#include <QGridLayout>
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
    {{nullptr, 0, 0}, {"MagnifierLabel", 103, 5}, {"InversMagnifierLabel", 104, 6}, {"HandLabel", 105, 7},
     {"NavigationLabel", 106, 4}},
    {{nullptr, 0, 0}, {"BackwardsLabel", 110, 0}, {"ForwardLabel", 111, 0}, {"SnapshotLabel", 91, 0},
     {"SnapshotListLabel", 92, 0}},
    {{"EvaluateLabel", 68, -1}, {"RulerLabel", 100, 1}, {"CaliperLabel", 101, 2}, {"TrackerLabel", 102, 3},
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
    auto* grid = new QGridLayout(container_);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);
    graphTop_ = new QWidget(container_);
    graphTop_->setObjectName(QStringLiteral("GraphTopPanel"));
    graphTop_->setFixedHeight(12);
    grid->addWidget(graphTop_, 0, 0, 1, 3);
    leftPanel_ = new QWidget(container_);
    leftPanel_->setObjectName(QStringLiteral("GraphLeftYPanel"));
    leftLayout_ = new QHBoxLayout(leftPanel_);
    leftLayout_->setContentsMargins(0, 0, 0, 0);
    leftLayout_->setSpacing(0);
    rightPanel_ = new QWidget(container_);
    rightPanel_->setObjectName(QStringLiteral("GraphRightYPanel"));
    rightLayout_ = new QHBoxLayout(rightPanel_);
    rightLayout_->setContentsMargins(0, 0, 0, 0);
    rightLayout_->setSpacing(0);
    graph_ = new TGraph(*view_, container_);
    graph_->setObjectName(QStringLiteral("GraphPanel"));
    grid->addWidget(leftPanel_, 1, 0);
    grid->addWidget(graph_, 1, 1);
    grid->addWidget(rightPanel_, 1, 2);
    xPanel_ = new QWidget(container_);
    xPanel_->setObjectName(QStringLiteral("GraphXPanel"));
    auto* xl = new QVBoxLayout(xPanel_);
    xl->setContentsMargins(0, 0, 0, 0);
    xAxis_ = new TXAxis(*view_, xPanel_);
    xAxis_->PlotOffset = [this] { return graph_->mapTo(this, QPoint(0, 0)).x() - xAxis_->mapTo(this, QPoint(0, 0)).x(); };
    xl->addWidget(xAxis_);
    grid->addWidget(xPanel_, 2, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(1, 1);
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

    auto* bottom = Panel(QStringLiteral("BottomPanel"), this, QColor(208, 208, 208));
    bottom->setFixedHeight(108);
    BuildLabels(bottom);
    outer->addWidget(bottom);

    auto* left = new TYAxis(*view_, true, leftPanel_);
    left->SetAxis(-1);
    leftLayout_->addWidget(left);
    leftAxes_.push_back(left);
    auto* right = new TYAxis(*view_, false, rightPanel_);
    right->SetAxis(-1);
    rightLayout_->addWidget(right);
    rightAxes_.push_back(right);

    graph_->OnViewChanged = [this] { ProcessChanges(); };
    graph_->TrackerAnchor = [this] {
        return trackerLabel_->mapToGlobal(QPoint(trackerLabel_->width(), 0));
    };
    graph_->NavigatorAnchor = [this] {
        return navigationLabel_->mapToGlobal(QPoint(navigationLabel_->width(), 0));
    };
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
    auto* g = new QGridLayout(bottom);
    g->setContentsMargins(4, 4, 4, 4);
    g->setHorizontalSpacing(4);
    g->setVerticalSpacing(0);
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
                g->addWidget(h, r, c);
                continue;
            }
            auto* l = new TButtonLabel(name, bottom);
            l->setText(Txt(cmd.Text));
            StyleButtonLabel(l);
            l->setFixedHeight(20);
            g->addWidget(l, r, c, Qt::AlignLeft);
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
    g->setColumnStretch(5, 1);
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

void TGraphicFrame::Relayout()
{
    if (layout())
        layout()->activate();
    view_->SetSize(graph_->width(), graph_->height(), nullptr);
    const QFontMetrics fm(graph_->font());
    TCanvasMetrics m{[fm](const std::string& s) { return fm.horizontalAdvance(QString::fromStdString(s)); },
                     fm.height()};
    view_->SetSize(graph_->width(), graph_->height(), &m);
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

void TGraphicFrame::RebuildSide(std::vector<TYAxis*>& axes, QHBoxLayout* layout, QWidget* panel, bool left)
{
    std::size_t count = 0;
    auto take = [&](int channel) {
        if (count >= axes.size()) {
            auto* a = new TYAxis(*view_, left, panel);
            layout->addWidget(a);
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
    RebuildSide(leftAxes_, leftLayout_, leftPanel_, true);
    RebuildSide(rightAxes_, rightLayout_, rightPanel_, false);
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
    int textH = legend_.empty() ? 0 : legend_.front()->TextH;
    const auto tops = LegendLayout(*view_, textH, columnH);
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
    if (view_->Recording)
        view_->Changed = true;
    LayoutLegend();
    ProcessChanges();
}

bool TGraphicFrame::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == legendScroll_->viewport() && event->type() == QEvent::Resize)
        LayoutLegend();
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
