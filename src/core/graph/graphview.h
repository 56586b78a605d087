// The graph's view objects: the bridge between a recording and pixels.
//
// TCommonView holds the plot extents W and H, the list of channels to draw,
// the transforms from sample index and raw value to pixel, the text forms of
// axis positions and the text keys that tell the axes and the legend when to
// draw anew. TGraphicView (the screen view) adds the state of the tools, the
// view operations (zoom and pan in grid cells, full scale, scale to data,
// view history, stored views) and the settings kept in the configuration.
// TPrinterView adds the page layout of a printed graph.
//
// No windowing here: a canvas is reached through a text-measuring function,
// so the views are used and tested without a screen. The views refer to a
// recording; they never own it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/graph/pyramidcache.h"
#include "core/util/workerpool.h"
#include "core/recording/recording.h"

namespace vro {
class TIniList;
}

namespace vro::graph {

struct TRgb {
    std::uint8_t R = 0, G = 0, B = 0;
    bool operator==(const TRgb&) const = default;
};

inline constexpr TRgb kPlotBackground{254, 254, 254};
inline constexpr TRgb kGridColor{192, 192, 192};
inline constexpr TRgb kLegendBackground{208, 208, 208};
inline constexpr TRgb kHoverColor{153, 204, 255};

// The ten channel colours (names: texts 44 + index).
TRgb ChannelColorTable(int index);

// What a view needs of a canvas: text widths and the height of "Xg".
struct TCanvasMetrics {
    TTextMeasure Width;
    int TextHeight = 0;
};

struct TRect {
    int Left = 0, Top = 0, Right = 0, Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    bool operator==(const TRect&) const = default;
};

// Tool numbers (also the cursor numbers).
enum TToolNumber : std::uint8_t {
    toolNone = 0,
    toolRuler = 1,
    toolCaliper = 2,
    toolTracker = 3,
    toolNavigator = 4,
    toolMagnifier = 5,
    toolInversMagnifier = 6,
    toolHand = 7,
    toolRemark = 8,
    toolDeltaTracker = 9,
};

class TCommonView {
public:
    virtual ~TCommonView() = default;

    TRecording* Recording = nullptr;
    std::int32_t ChannelCount = 0;
    std::int32_t RecordCount = 0;
    std::int32_t XExtent = 1; // W
    std::int32_t YExtent = 1; // H
    std::int32_t XDivisions = 1;
    std::int32_t YDivisions = 1;
    std::vector<std::int32_t> DrawList;
    std::vector<std::uint8_t> EnvelopeList;
    std::int32_t DrawCount = 0;

    void SetRecording(TRecording* recording);
    void RebuildDrawList();
    // W = max(width - 1, 1), H = max(height - 1, 1); divisions from the canvas.
    virtual void SetSize(int width, int height, const TCanvasMetrics* canvas);

    virtual TRgb ChannelColor(int axis) const;
    int ChannelStyle(int axis) const;
    int ColorIndexOf(int axis) const;
    bool IsOnLeftAxis(int channel) const;
    bool IsOnRightAxis(int channel) const;
    int XAxisIndex() const { return Recording ? Recording->XAxisIndex : -1; }

    std::int32_t SampleToX(std::int32_t i) const;
    std::int32_t SampleToY(int channel, std::int32_t i) const;
    std::int32_t MinToY(int channel, std::int32_t i) const;
    std::int32_t MaxToY(int channel, std::int32_t i) const;

    std::string AxisValueText(int axis, double fraction) const;
    std::string AxisSpanText(int axis, double fraction) const;
    std::string SampleText(int axis, std::int32_t i) const;
    std::string AxisName(int axis) const;
    std::string AxisTitle(int axis) const;
    std::string AxisUnit(int axis) const;
    int AxisLabelWidth(int axis, const TTextMeasure& measure) const;
    std::string ShiftMark() const;
    void SetShiftMode();

    // The text keys of the axes and legend items.
    std::string HorizontalAxisKey(int axis) const;
    std::string VerticalAxisKey(int channel) const;
    std::string LegendKey(int axis) const;
    std::string AxesLayoutKey() const;

    // Per-channel min/max pyramids for the column drawing.
    TPyramidCache& Pyramids() const { return pyramids_; }
    // The threads that compute the column extremes of a redraw: started
    // with the view, so that no redraw waits for one to start.
    TWorkerPool& Workers() const { return *workers_; }
    // `threads` counting the drawing thread; 0 for one per processor.
    void SetWorkerThreads(unsigned threads) { workers_ = std::make_unique<TWorkerPool>(threads); }

protected:
    bool ValidChannel(int c) const { return Recording && c >= 0 && c < Recording->ChannelCount; }
    mutable TPyramidCache pyramids_;
    std::unique_ptr<TWorkerPool> workers_ = std::make_unique<TWorkerPool>();
};

class TGraphicView : public TCommonView {
public:
    std::int32_t X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
    std::int32_t Cursor1 = 0, Cursor2 = 0;
    std::uint8_t ActiveTool = 0;
    std::int32_t ScaleRaster = 0;
    bool ScaleTogether = false;
    bool Changed = false;
    bool PaintSuspended = false;
    bool MeasureShown = false;
    std::int32_t FontSize = 8;
    std::int32_t FontColor = 0;
    bool IsBold = false, IsItalic = false, IsUnderlined = false;
    std::int32_t SettingsRequest = 100;
    std::function<void()> OnToolChanged;
    std::function<void()> OnMarksChanged;

    void SetScaleRaster(int n) { ScaleRaster = (n >= 0 && n < 5) ? n : 0; }
    bool SetToolPoints(int x1, int y1, int x2, int y2);
    TRect SnappedRect() const;
    void SetCursor1(std::int32_t i);
    void SetCursor2(std::int32_t i);
    void SetTool(int n);
    void AddToHistory(const std::string& viewState);
    void ApplyViewState(const std::string& viewState);
    void ZoomAxis(int axis, double size, double offset);
    void Zoom(double ySize, double yOffset, double xSize, double xOffset);
    void FullScale();
    void AutoScale();
    // The Backwards and Forwards commands.
    void GoBack();
    void GoForward();
    void SuspendPainting() { PaintSuspended = true; }
    void ResumePainting()
    {
        PaintSuspended = false;
        Changed = true;
    }
    void RequestSettings(int n) { SettingsRequest = n; }

    void LoadSettings(const TIniList& list);
    void SaveSettings(TIniList& list) const;

    // Changed set and the recording unsaved (after any change of what is shown).
    void MarkChanged();

    // Remarks (core/graph/remarks.cpp): remark i is entry i of the
    // recording's Remarks; positions are plot pixels.
    int RemarkCount() const;
    // Index -1 appends a copy, otherwise the copy replaces remark index; the
    // recording becomes unsaved.
    void StoreRemark(const TRemarkData& remark, int index);
    void DeleteRemark(int index);
    // The anchor point (NoValue when the remark has none).
    std::int32_t AnchorX(const TRemarkData& remark) const;
    std::int32_t AnchorY(const TRemarkData& remark) const;
    // Position point (x, y) into XPosition/YPosition (an offset from the
    // anchor point when anchored); halves round to even.
    void SetRemarkPosition(TRemarkData& remark, double x, double y) const;
    // Moves remark i's anchor to the sample under x; the box keeps its place.
    void MoveRemarkAnchor(int index, int x);
    // BoxWidth = x - BoxRect.Left.
    void SetRemarkRight(int index, int x);
    void SetRemarkRect(int index, const TRect& rect);
    TRect GetRemarkRect(int index) const;
    bool RemarkBoxHit(int index, int x, int y) const;
    bool RemarkAnchorHit(int index, int x, int y) const;
    bool RemarkGripHit(int index, int x, int y) const;
    // The resize strip at the frame's right edge.
    bool RemarkResizeHit(int index, int x, int y) const;
    // The remark under (x, y): per remark the anchor first, then the box;
    // -1 for none.
    int RemarkHitTest(int x, int y, bool& onAnchor) const;
    // The sample under plot x (RelativeToIndex(x / W)).
    std::int32_t SampleAtX(int x) const;
    // The curve point of the anchor channel at the sample under x lies
    // strictly inside the plot.
    bool ValidAnchorTarget(const TRemarkData& remark, int x) const;
};

class TPrinterView : public TCommonView {
public:
    TPrinterView() { AxisWidths.fill(0), AxisWidths[33] = -1; }
    bool Monochrome = false;
    TRect HeaderRect, LegendRect, XAxisRect, LeftAxesRect, RightAxesRect, PlotRect;
    int LeftAxisCount = 0, RightAxisCount = 0;
    std::array<std::int32_t, 34> AxisWidths{};

    TRgb ChannelColor(int axis) const override;
    // The page layout for a page of pageWidth × pageHeight units. `canvas`
    // measures in the canvas font; `canvas9` in the same font at size 9.
    void Layout(int pageWidth, int pageHeight, const TCanvasMetrics& canvas, const TCanvasMetrics& canvas9,
                int heightWq);
};

// "Save view": stores the current view under the trimmed name (text 356
// "Unnamed" when empty); the recording becomes unsaved.
TSnapshot& SaveSnapshot(TRecording& recording, const std::string& name, const std::string& description);

// The logic of the "List views" dialog: which snapshot's description the
// memo shows, storing it back before another is shown.
class TSnapshotListLogic {
public:
    explicit TSnapshotListLogic(TRecording& recording, TGraphicView* view) : recording_(&recording), view_(view) {}
    // -1 when no snapshot is shown.
    int Shown() const { return shown_; }
    // Stores `memo` into the shown snapshot, then shows entry i: returns its
    // description; applies its view state.
    std::string Select(int i, const std::string& memo);
    // Deletes the selected entries (the shown one's memo is stored first, or
    // forgotten when it is among them); returns the entry to select next
    // (-1 when the list is empty).
    int DeleteSelected(std::vector<int> selected, const std::string& memo);
    void StoreMemo(const std::string& memo);
    void Rename(int i, const std::string& name);
    void Move(int from, int to);

private:
    TRecording* recording_;
    TGraphicView* view_;
    int shown_ = -1;
};

} // namespace vro::graph
