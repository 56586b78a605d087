// Remarks on the screen graph, without a painter.
//
// A remark is a framed text box on the plot, either at a fixed place (its
// position in per mille of the plot) or anchored to one sample of one
// channel (then the position is an offset from that sample's curve point).
// The remarks belong to the recording (TRecording::Remarks); this unit holds
// what the graph control, the remark tool, the remark editor and the remark
// list decide about them:
//
//  - placement: the draw conditions, the position point, the shown text
//    (placeholders "%T" and "%V"), the frame from a measured text height,
//    the leader-line corner and the anchor square;
//  - TRemarkToolLogic: the mouse state machine of the remark tool (hover
//    highlights, move, resize, re-anchor, grip), fed with positions; it
//    answers what the widget must do (repaint, cursor, open the editor);
//  - TRemarkEditorLogic: the remark editor's working copy, rules and checks;
//  - TRemarkListLogic: the remark list's rows and check marks.
//
// The remark operations of TGraphicView (RemarkCount, StoreRemark, the hit
// tests, the position arithmetic) are defined in remarks.cpp too. Stored
// values are used as read: drawing limits the size to 6..60, the wrap width
// to at least 1 and the position point to ±2^29, and never writes back.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/graph/graphview.h"

namespace vro::graph {

// A recording holds at most this many remarks (a load keeps the first 100).
inline constexpr int kMaxRemarks = 100;
// The text of a new anchored remark.
inline constexpr const char* kAnchoredRemarkText = "%T: %V";

struct TPoint {
    int X = 0, Y = 0;
    bool operator==(const TPoint&) const = default;
};

// What remark drawing needs before the text is measured.
struct TRemarkPlacement {
    bool Drawn = false;     // the draw conditions hold (and an anchored remark has its anchor point)
    int Px = 0, Py = 0;     // position point, after the anchor offset
    bool HasAnchor = false; // anchored: Ax, Ay is the anchor point
    int Ax = 0, Ay = 0;
    std::string Text;  // placeholders replaced (anchored remarks only)
    int FontSize = 8;  // limited to 6..60
    int WrapWidth = 1; // BoxWidth - 4, at least 1 (the measuring width)
    int BoxWidth = 5;  // at least 5, so that the text area is never negative
};

// The draw conditions: the remark's X-axis setting is the recording's, it
// is visible and, when anchored, its channel exists and is visible and the
// anchored sample has a curve point.
bool RemarkShown(const TGraphicView& view, const TRemarkData& remark);
// The anchor point in plot pixels; none when the remark names no channel
// or the sample has no value.
std::optional<TPoint> RemarkAnchorPoint(const TGraphicView& view, const TRemarkData& remark);
// The text as shown: anchored remarks have every "%T" (exact case) replaced
// by the stored sample's time and unit, then every "%V" by the value at the
// shown sample and the channel's unit; unanchored remarks show the text.
std::string RemarkShownText(const TGraphicView& view, const TRemarkData& remark);
TRemarkPlacement PlaceRemark(const TGraphicView& view, const TRemarkData& remark);
// The text rectangle for a text `textHeight` high, and the frame around it.
TRect RemarkTextRect(const TRemarkPlacement& p, int textHeight);
TRect RemarkFrame(const TRemarkPlacement& p, int textHeight);
// The frame corner the leader line starts at: left edge when the anchor is
// at or left of the middle, top edge when at or above it.
TPoint LeaderCorner(const TRect& frame, TPoint anchor);
// The 4 × 4 square drawn on the anchor point.
TRect AnchorSquare(TPoint anchor);
// The grip of a frame: its 20 × 15 lower right corner.
TRect GripRect(const TRect& frame);
// The remark's colour value drawn: its low 24 bits, red in the low byte.
TRgb RemarkColor(std::int32_t fontColor);

// Line breaks of the editor: CR LF and a lone LF show as line breaks;
// typed ones are stored as CR LF, and an untouched text stays byte for byte.
std::string RemarkTextForEditor(const std::string& stored);
std::string RemarkTextFromEditor(const std::string& edited, const std::string& stored);
// The size text as a number: trimmed, an optional sign and digits; none
// otherwise (large numbers are held within ±2^31).
std::optional<std::int64_t> ParseRemarkSize(const std::string& text);
// The preview's size: 8 when the text is no number, limited to 6..60.
int PreviewFontSize(const std::string& text);

enum class TRemarkCursor : std::uint8_t { Remark, Hand, HandPoint, SizeWE };

// What the widget does after a mouse event.
struct TRemarkToolAnswer {
    bool Repaint = false;
    std::optional<TRemarkCursor> Cursor;
    // Open the editor (modal) for remark EditIndex (-1: a new one) at the
    // position point (EditX, EditY); then call EditorClosed.
    bool OpenEditor = false;
    int EditIndex = -1, EditX = 0, EditY = 0;
    // A refusal to show as an error message (text number), e.g. 261.
    int ErrorText = 0;
};

// The figures of the remark tool drawn over the graph, from its state.
struct TAnchorDragMarker {
    TPoint Target;    // (e, m): the curve point under the mouse
    TPoint LineStart; // the box corner the line starts at
    int Channel = 0;
};

class TRemarkToolLogic {
public:
    explicit TRemarkToolLogic(TGraphicView& view) : view_(view) {}

    bool Pressed = false;
    bool OverlayShown = false; // the move outline
    bool Outside = false;
    TRect StartRect;
    int MouseX = 0, MouseY = 0;
    int GrabDX = 0, GrabDY = 0;
    bool BoxHot = false;
    bool GripHot = false;
    bool Resizing = false;
    bool OnRightEdge = false;
    int HotIndex = -1;
    int LastHotIndex = -1;
    bool OnAnchor = false;
    bool AnchorHot = false;
    bool AnchorLineShown = false;
    bool DraggingAnchor = false;
    int LineStartX = 0, LineStartY = 0;

    TRemarkToolAnswer MouseMove(int x, int y);
    TRemarkToolAnswer MouseDown(int x, int y);
    TRemarkToolAnswer MouseUp(int x, int y);
    // The editor a press opened has closed (`changed`: OK or deleted). The
    // press ends here (no release reaches the graph after a modal dialog);
    // the remark may be gone, so no index is kept and no highlight shown.
    TRemarkToolAnswer EditorClosed(bool changed);
    // The mouse left the graph control.
    TRemarkToolAnswer Leave();
    // A repaint the tool did not ask for removes the box and grip highlights.
    void PaintedByOthers()
    {
        BoxHot = false;
        GripHot = false;
    }
    // Back to idle (the tool is switched off).
    void Reset();

    // The figures to draw now (all in graph-control pixels).
    std::optional<TRect> HotFrame() const; // box highlight and grip of LastHotIndex (BoxHot)
    std::optional<TRect> HotGrip() const;  // grip highlight (GripHot)
    std::optional<TRect> AnchorHighlight() const;
    std::optional<TRect> MoveOutline() const;
    std::optional<TRect> WidthOutline() const;
    std::optional<TAnchorDragMarker> DragMarker() const;

private:
    bool ComputeOutside(int x, int y) const;
    TRemarkData* Hot();
    const TRemarkData* Hot() const;
    bool ValidTarget() const;
    TRect HotRect() const;

    TGraphicView& view_;
};

// One channel entry of the editor's channel list.
struct TRemarkChannelEntry {
    std::string Name;
    bool Enabled = false;
    bool Checked = false;
};

// The remark editor's logic: the working copy, the controls' state and what
// OK, Delete and the default label do. Texts are in the editor's form (LF
// line breaks).
class TRemarkEditorLogic {
public:
    // index -1: a new remark (its id is taken now and used up even when the
    // editor is cancelled); (x, y) the position point, or -1, -1 to keep it.
    TRemarkEditorLogic(TGraphicView& view, int index, int x, int y);

    const TRemarkData& Copy() const { return copy_; }
    bool IsNew() const { return index_ < 0; }
    int Index() const { return index_; }
    int FirstEnabled() const { return first_; }

    // Control states.
    bool VisibleBox = true;
    std::string Text;
    bool AnchorBox = false;
    bool AnchorBoxEnabled = false;
    bool Bold = false, Italic = false, Underline = false;
    std::int32_t Color = 0;
    std::string SizeText;
    std::vector<TRemarkChannelEntry> Channels;
    int Selected = -1;
    // ValueLabel and the channel list enabled.
    bool ChannelListEnabled = false;

    // The anchor box was clicked (its new state) / the rule at opening.
    void SetAnchorBox(bool checked);
    void ApplyAnchorRule();
    // The user checked or unchecked entry i (which becomes the selected one).
    void CheckChannel(int i, bool checked);
    // The last checked entry, -1 for none.
    int CheckedChannel() const;
    int CheckedCount() const;
    std::string ValueLine() const;
    // OK: 0 when the remark was stored, else the text number of the first
    // failed check (the editor stays open).
    int Ok();
    // Delete (existing remarks only).
    void Delete();
    // The default label: the current style becomes the presets.
    void SetDefault();

private:
    bool Anchored() const; // the anchoring OK stores
    std::int32_t ShownSample() const;

    TGraphicView& view_;
    int index_;
    int x_, y_;
    int first_ = -1;
    TRemarkData copy_;
    std::string editorOriginal_;
};

// One row of the remark list: the five column texts.
struct TRemarkRow {
    std::string Number, XAxis, Anchor, Position, Text;
};

class TRemarkListLogic {
public:
    explicit TRemarkListLogic(TGraphicView& view) : view_(view) { Fill(); }

    // The list from the recording: one check mark per remark (its Visible),
    // the first row selected.
    void Fill();
    // No remarks: one placeholder row (text 271) without a check box.
    bool Placeholder() const { return Checks.empty(); }
    int RowCount() const { return Placeholder() ? 1 : static_cast<int>(Checks.size()); }
    bool EditVisible() const { return !Placeholder(); }
    TRemarkRow Row(int i) const;
    // Writes the check marks into Visible of every remark (the recording
    // becomes unsaved when one changes).
    void WriteChecks();
    // Edit (label or double click): the marks are written; true when the
    // editor is to open for remark Selected (never on the placeholder).
    bool BeginEdit();

    std::vector<bool> Checks;
    int Selected = -1;

private:
    TGraphicView& view_;
};

} // namespace vro::graph
