// The graphic pane: title line, the graph control with one horizontal axis
// below it and a column of value axes on each side, the legend column and
// the command labels of the graph functions. It keeps these parts in step
// with the screen view: it listens to the view's tool and marks
// notifications, rebuilds the value axes when the view state changed and
// refreshes axes and legend after every view change.
//
// The pane owns its screen view unless one is given; it never owns the
// recording.
#pragma once

#include <QImage>
#include <QLabel>
#include <QWidget>

#include <memory>
#include <vector>

#include "core/graph/graphview.h"

class QScrollArea;

namespace vro::app {

class TGraph;
class TXAxis;
class TYAxis;
class TLegend;
class TButtonLabel;

class TGraphicFrame : public QWidget {
    Q_OBJECT
public:
    explicit TGraphicFrame(QWidget* parent = nullptr, graph::TGraphicView* view = nullptr);
    ~TGraphicFrame() override;

    graph::TGraphicView& View() const { return *view_; }
    TGraph* Graph() const { return graph_; }
    TXAxis* XAxis() const { return xAxis_; }
    const std::vector<TYAxis*>& LeftAxes() const { return leftAxes_; }
    const std::vector<TYAxis*>& RightAxes() const { return rightAxes_; }
    const std::vector<TLegend*>& LegendItems() const { return legend_; }
    QWidget* LegendColumn() const { return legendColumn_; }

    // The recording shown (or none: the pane hides itself).
    void SetRecording(TRecording* recording);
    void SetShown(bool flag);
    void Refresh();
    // Captions of the command labels and headings in the current language,
    // then their layout in columns.
    void ApplyTexts();
    void RefreshLabels();
    void RefreshToolLabels();
    void KeyDown(int& key, Qt::KeyboardModifiers shift);
    // When the view reports a change: lay out anew and redraw.
    void ProcessChanges();
    // After samples were changed in place: the min/max pyramids are built
    // anew and the graph redraws fully.
    void DataChanged();
    void Relayout();
    void RebuildYAxes();
    void RebuildLegend();
    void LayoutLegend();
    // The graph with its axes as one picture (no legend).
    QImage ComposePicture();
    // Runs the command of a label by its object name (tests, menu wiring).
    bool RunCommand(const QString& labelName);
    // The command label of this object name (nullptr for none).
    TButtonLabel* CommandLabel(const QString& labelName) const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ToolChanged();
    void MarksChanged();
    void BuildLabels(QWidget* bottom);
    void LayoutLabels();
    void FitBottomHeight();
    // Places strips, plot and horizontal axis inside the graph container.
    void LayoutContainer();
    void RebuildSide(std::vector<TYAxis*>& axes, QWidget* panel, bool left);
    void SizeView();

    std::unique_ptr<graph::TGraphicView> ownView_;
    graph::TGraphicView* view_;
    QLabel* topLabel_ = nullptr;
    QWidget* container_ = nullptr;
    QWidget* graphTop_ = nullptr;
    QWidget* leftPanel_ = nullptr;
    QWidget* rightPanel_ = nullptr;
    QWidget* xPanel_ = nullptr;
    QWidget* bottom_ = nullptr;
    QScrollArea* bottomScroll_ = nullptr;
    // The labels of the command block by column and row (nullptr: empty cell).
    QLabel* cells_[5][5] = {};
    TGraph* graph_ = nullptr;
    TXAxis* xAxis_ = nullptr;
    std::vector<TYAxis*> leftAxes_, rightAxes_;
    std::vector<TLegend*> legend_;
    QScrollArea* legendScroll_ = nullptr;
    QWidget* legendColumn_ = nullptr;
    std::vector<std::pair<TButtonLabel*, int>> toolLabels_;
    TButtonLabel* backLabel_ = nullptr;
    TButtonLabel* forwardLabel_ = nullptr;
    TButtonLabel* snapshotListLabel_ = nullptr;
    TButtonLabel* trackerLabel_ = nullptr;
    TButtonLabel* navigationLabel_ = nullptr;
    std::string lastViewState_;
};

} // namespace vro::app
