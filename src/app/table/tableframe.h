// The table pane: the active recording as a grid of texts over TTableView.
// A header strip with one section per column (widths adjustable by dragging
// a section edge), a painted grid below it and a vertical scroll bar over
// the rows of the graph's visible window. Rows are never stored: each
// visible cell is formatted when it is painted, so the pane costs the same
// for any recording length.
#pragma once

#include <QLabel>
#include <QScrollBar>
#include <QWidget>

#include <memory>
#include <vector>

#include "core/table/tableview.h"

namespace vro::app {

class TTableFrame;

// The header strip of the table.
class TTableHeader : public QWidget {
    Q_OBJECT
public:
    explicit TTableHeader(TTableFrame& frame, QWidget* parent);

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;

private:
    int EdgeAt(int x) const;
    TTableFrame& frame_;
    int dragSection_ = -1;
    int dragStartX_ = 0;
    int dragStartWidth_ = 0;
};

// The painted grid of the table.
class TTableGrid : public QWidget {
    Q_OBJECT
public:
    explicit TTableGrid(TTableFrame& frame, QWidget* parent);

protected:
    void paintEvent(QPaintEvent*) override;
    void wheelEvent(QWheelEvent*) override;

private:
    TTableFrame& frame_;
};

class TTableFrame : public QWidget {
    Q_OBJECT
public:
    explicit TTableFrame(QWidget* parent = nullptr, TTableView* table = nullptr);
    ~TTableFrame() override;

    TTableView& Table() const { return *table_; }
    // The recording shown; the pane hides itself without one.
    void SetRecording(TRecording* recording);
    void SetShown(bool flag);
    void Refresh();

    struct TSection {
        int Width = 0, MinWidth = 0, MaxWidth = 0;
    };
    const std::vector<TSection>& Sections() const { return sections_; }
    void SetSectionWidth(int section, int width);
    int RowHeight() const;
    int HorizontalOffset() const { return hscroll_->value(); }
    int ContentWidth() const;
    QScrollBar* VerticalScrollBar() const { return vscroll_; }
    TTableGrid* Grid() const { return grid_; }
    TTableHeader* Header() const { return header_; }
    QLabel* TitleLabel() const { return title_; }
    // The cell text as painted: "#" when it does not fit the column.
    QString DisplayText(std::int32_t row, int column) const;

protected:
    void resizeEvent(QResizeEvent*) override;

private:
    void Layout();
    std::unique_ptr<TTableView> ownTable_;
    TTableView* table_;
    QLabel* title_ = nullptr;
    TTableHeader* header_ = nullptr;
    TTableGrid* grid_ = nullptr;
    QScrollBar* vscroll_ = nullptr;
    QScrollBar* hscroll_ = nullptr;
    std::vector<TSection> sections_;
};

} // namespace vro::app
