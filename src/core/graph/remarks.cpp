#include "core/graph/remarks.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "core/text/texts.h"
#include "core/util/numeric.h"
#include "core/values/vro8utils.h"

namespace vro::graph {

namespace {

// Position points are held here for drawing, far inside int32 so that the
// frame arithmetic (width, margins) cannot overflow.
constexpr double kPointLimit = 536870912.0; // 2^29

int HoldPoint(double v)
{
    if (!std::isfinite(v))
        return 0;
    return static_cast<int>(RoundHalfEven(std::clamp(v, -kPointLimit, kPointLimit)));
}

std::int32_t Clamp32(double v)
{
    if (!std::isfinite(v))
        return 0;
    const double r = RoundHalfEven(v);
    return static_cast<std::int32_t>(std::clamp(r, -2147483648.0, 2147483647.0));
}

std::int64_t Add64(std::int64_t a, std::int64_t b) { return a + b; }

void ReplaceAll(std::string& s, const std::string& what, const std::string& with)
{
    std::string out;
    std::size_t pos = 0;
    for (;;) {
        const std::size_t k = s.find(what, pos);
        if (k == std::string::npos)
            break;
        out.append(s, pos, k - pos);
        out += with;
        pos = k + what.size();
    }
    out.append(s, pos, std::string::npos);
    s = std::move(out);
}

std::string TrimBlanks(const std::string& s)
{
    const auto a = s.find_first_not_of(" \t\r\n");
    if (a == std::string::npos)
        return {};
    const auto b = s.find_last_not_of(" \t\r\n");
    return s.substr(a, b - a + 1);
}

bool SameAxis(const TGraphicView& v, const TRemarkData& r) { return v.Recording && r.XAxisIndex == v.XAxisIndex(); }

bool ChannelVisible(const TGraphicView& v, int c)
{
    return v.Recording && c >= 0 && c < v.Recording->ChannelCount && v.Recording->Channel(c).Visible;
}

} // namespace

// ---- placement

std::optional<TPoint> RemarkAnchorPoint(const TGraphicView& view, const TRemarkData& remark)
{
    if (!view.Recording || !view.Recording->HasAnchorChannel(remark))
        return std::nullopt;
    const std::int32_t i = view.Recording->GetRemarkIndex(remark);
    const std::int32_t x = view.SampleToX(i);
    const std::int32_t y = view.SampleToY(remark.AnchorChannel, i);
    if (x == NoValue || y == NoValue)
        return std::nullopt;
    return TPoint{HoldPoint(x), HoldPoint(y)};
}

bool RemarkShown(const TGraphicView& view, const TRemarkData& remark)
{
    if (!SameAxis(view, remark) || !remark.Visible)
        return false;
    if (!remark.IsAnchored)
        return true;
    return ChannelVisible(view, remark.AnchorChannel) && RemarkAnchorPoint(view, remark).has_value();
}

std::string RemarkShownText(const TGraphicView& view, const TRemarkData& remark)
{
    std::string s = remark.Comment;
    if (!remark.IsAnchored || !view.Recording || !view.Recording->HasAnchorChannel(remark))
        return s;
    // The time of the stored sample; the value where the sample is shown.
    ReplaceAll(s, "%T", view.SampleText(-1, remark.AnchorIndex) + " " + view.AxisUnit(-1));
    const std::int32_t shown = view.Recording->GetRemarkIndex(remark);
    ReplaceAll(s, "%V", view.SampleText(remark.AnchorChannel, shown) + " " + view.AxisUnit(remark.AnchorChannel));
    return s;
}

TRemarkPlacement PlaceRemark(const TGraphicView& view, const TRemarkData& remark)
{
    TRemarkPlacement p;
    p.FontSize = std::clamp(remark.FontSize, 6, 60);
    p.BoxWidth = std::max(remark.BoxWidth, 5);
    p.WrapWidth = std::max(p.BoxWidth - 4, 1);
    if (!RemarkShown(view, remark))
        return p;
    p.Drawn = true;
    double px = static_cast<double>(view.XExtent) * remark.XPosition / 1000.0;
    double py = (1.0 - remark.YPosition / 1000.0) * view.YExtent;
    px = RoundHalfEven(px);
    py = RoundHalfEven(py);
    if (remark.IsAnchored) {
        const TPoint a = *RemarkAnchorPoint(view, remark);
        p.HasAnchor = true;
        p.Ax = a.X;
        p.Ay = a.Y;
        px += a.X;
        py += a.Y;
    }
    p.Px = HoldPoint(px);
    p.Py = HoldPoint(py);
    p.Text = RemarkShownText(view, remark);
    return p;
}

TRect RemarkTextRect(const TRemarkPlacement& p, int textHeight)
{
    return {p.Px + 4, p.Py, p.Px + 4 + p.BoxWidth, p.Py + std::max(textHeight, 0)};
}

TRect RemarkFrame(const TRemarkPlacement& p, int textHeight)
{
    const TRect t = RemarkTextRect(p, textHeight);
    return {t.Left - 4, t.Top - 4, t.Right + 4, t.Bottom + 4};
}

TPoint LeaderCorner(const TRect& frame, TPoint anchor)
{
    const double midX = (static_cast<double>(frame.Left) + frame.Right) / 2.0;
    const double midY = (static_cast<double>(frame.Top) + frame.Bottom) / 2.0;
    return {anchor.X <= midX ? frame.Left : frame.Right, anchor.Y <= midY ? frame.Top : frame.Bottom};
}

TRect AnchorSquare(TPoint a) { return {a.X - 2, a.Y - 2, a.X + 2, a.Y + 2}; }

TRect GripRect(const TRect& f) { return {f.Right - 20, f.Bottom - 15, f.Right, f.Bottom}; }

TRgb RemarkColor(std::int32_t c)
{
    const auto u = static_cast<std::uint32_t>(c);
    return {static_cast<std::uint8_t>(u & 0xFF), static_cast<std::uint8_t>(u >> 8 & 0xFF),
            static_cast<std::uint8_t>(u >> 16 & 0xFF)};
}

// ---- editor texts

std::string RemarkTextForEditor(const std::string& stored)
{
    std::string s = stored;
    ReplaceAll(s, "\r\n", "\n");
    return s;
}

std::string RemarkTextFromEditor(const std::string& edited, const std::string& stored)
{
    if (edited == RemarkTextForEditor(stored))
        return stored;
    std::string s = edited;
    ReplaceAll(s, "\r\n", "\n");
    ReplaceAll(s, "\n", "\r\n");
    return s;
}

std::optional<std::int64_t> ParseRemarkSize(const std::string& text)
{
    const std::string t = TrimBlanks(text);
    std::size_t k = 0;
    bool negative = false;
    if (k < t.size() && (t[k] == '+' || t[k] == '-'))
        negative = t[k++] == '-';
    if (k == t.size())
        return std::nullopt;
    std::int64_t v = 0;
    for (; k < t.size(); ++k) {
        if (t[k] < '0' || t[k] > '9')
            return std::nullopt;
        v = std::min<std::int64_t>(v * 10 + (t[k] - '0'), std::int64_t(1) << 31);
    }
    return negative ? -v : v;
}

int PreviewFontSize(const std::string& text)
{
    const auto n = ParseRemarkSize(text);
    return n ? static_cast<int>(std::clamp<std::int64_t>(*n, 6, 60)) : 8;
}

// ---- the view's remark operations

int TGraphicView::RemarkCount() const { return Recording ? static_cast<int>(Recording->Remarks.size()) : 0; }

void TGraphicView::StoreRemark(const TRemarkData& remark, int index)
{
    if (!Recording)
        return;
    if (index < 0)
        Recording->Remarks.push_back(remark);
    else if (index < RemarkCount())
        Recording->Remarks[static_cast<std::size_t>(index)] = remark;
    else
        return;
    Recording->Saved = false;
}

void TGraphicView::DeleteRemark(int index)
{
    if (Recording)
        Recording->DeleteRemark(index);
}

std::int32_t TGraphicView::AnchorX(const TRemarkData& r) const
{
    const auto a = RemarkAnchorPoint(*this, r);
    return a ? a->X : NoValue;
}

std::int32_t TGraphicView::AnchorY(const TRemarkData& r) const
{
    const auto a = RemarkAnchorPoint(*this, r);
    return a ? a->Y : NoValue;
}

void TGraphicView::SetRemarkPosition(TRemarkData& r, double x, double y) const
{
    if (r.IsAnchored) {
        if (const auto a = RemarkAnchorPoint(*this, r)) {
            x -= a->X;
            y -= a->Y;
        }
    }
    r.XPosition = Clamp32(x * 1000.0 / XExtent);
    r.YPosition = Clamp32(1000.0 - RoundHalfEven(y * 1000.0 / YExtent));
}

void TGraphicView::MoveRemarkAnchor(int index, int x)
{
    if (index < 0 || index >= RemarkCount())
        return;
    TRemarkData& r = Recording->Remarks[static_cast<std::size_t>(index)];
    const auto a = RemarkAnchorPoint(*this, r);
    if (!a || !Recording->HasAnchorChannel(r))
        return;
    const std::int32_t s = SampleAtX(x);
    const std::int32_t g = SampleToY(r.AnchorChannel, s);
    if (g == NoValue)
        return;
    r.XPosition = Clamp32(r.XPosition + RoundHalfEven((static_cast<double>(a->X) - x) * 1000.0 / XExtent));
    r.YPosition = Clamp32(r.YPosition - RoundHalfEven((static_cast<double>(a->Y) - g) * 1000.0 / YExtent));
    Recording->SetRemarkIndex(s, r);
    Recording->Saved = false;
}

void TGraphicView::SetRemarkRight(int index, int x)
{
    if (index < 0 || index >= RemarkCount())
        return;
    TRemarkData& r = Recording->Remarks[static_cast<std::size_t>(index)];
    r.BoxWidth = static_cast<std::int32_t>(std::clamp<std::int64_t>(Add64(x, -std::int64_t(r.BoxRect.Left)),
                                                                    std::numeric_limits<std::int32_t>::min(),
                                                                    std::numeric_limits<std::int32_t>::max()));
    Recording->Saved = false;
}

void TGraphicView::SetRemarkRect(int index, const TRect& rect)
{
    if (index < 0 || index >= RemarkCount())
        return;
    Recording->Remarks[static_cast<std::size_t>(index)].BoxRect = {rect.Left, rect.Top, rect.Right, rect.Bottom};
}

TRect TGraphicView::GetRemarkRect(int index) const
{
    if (index < 0 || index >= RemarkCount())
        return {};
    const auto& b = Recording->Remarks[static_cast<std::size_t>(index)].BoxRect;
    return {b.Left, b.Top, b.Right, b.Bottom};
}

bool TGraphicView::RemarkBoxHit(int index, int x, int y) const
{
    if (index < 0 || index >= RemarkCount())
        return false;
    if (!RemarkShown(*this, Recording->Remarks[static_cast<std::size_t>(index)]))
        return false;
    const TRect b = GetRemarkRect(index);
    return b.Left <= x && x < b.Right && b.Top <= y && y < b.Bottom;
}

bool TGraphicView::RemarkAnchorHit(int index, int x, int y) const
{
    if (index < 0 || index >= RemarkCount())
        return false;
    const TRemarkData& r = Recording->Remarks[static_cast<std::size_t>(index)];
    if (!r.IsAnchored || !RemarkShown(*this, r))
        return false;
    const TPoint a = *RemarkAnchorPoint(*this, r);
    return std::abs(std::int64_t(x) - a.X) < 5 && std::abs(std::int64_t(y) - a.Y) < 5;
}

bool TGraphicView::RemarkGripHit(int index, int x, int y) const
{
    const TRect b = GetRemarkRect(index);
    return std::int64_t(b.Right) - 20 <= x && x < std::int64_t(b.Right) - 5 && std::int64_t(b.Bottom) - 15 <= y &&
           y < b.Bottom;
}

bool TGraphicView::RemarkResizeHit(int index, int x, int y) const
{
    const TRect b = GetRemarkRect(index);
    return std::int64_t(b.Right) - 5 <= x && x < b.Right && b.Top <= y && y < b.Bottom;
}

int TGraphicView::RemarkHitTest(int x, int y, bool& onAnchor) const
{
    onAnchor = false;
    for (int i = 0; i < RemarkCount(); ++i) {
        if (RemarkAnchorHit(i, x, y)) {
            onAnchor = true;
            return i;
        }
        if (RemarkBoxHit(i, x, y))
            return i;
    }
    return -1;
}

std::int32_t TGraphicView::SampleAtX(int x) const
{
    if (!Recording || !Recording->Time)
        return 0;
    return Recording->Time->RelativeToIndex(static_cast<double>(x) / XExtent);
}

bool TGraphicView::ValidAnchorTarget(const TRemarkData& r, int x) const
{
    if (!Recording || !Recording->HasAnchorChannel(r))
        return false;
    const std::int32_t g = SampleToY(r.AnchorChannel, SampleAtX(x));
    return g != NoValue && 0 < g && g < YExtent;
}

// ---- the remark tool

bool TRemarkToolLogic::ComputeOutside(int x, int y) const
{
    return x < 0 || y < 0 || x > view_.XExtent || y > view_.YExtent;
}

TRemarkData* TRemarkToolLogic::Hot()
{
    if (!view_.Recording || HotIndex < 0 || HotIndex >= view_.RemarkCount())
        return nullptr;
    return &view_.Recording->Remarks[static_cast<std::size_t>(HotIndex)];
}

const TRemarkData* TRemarkToolLogic::Hot() const { return const_cast<TRemarkToolLogic*>(this)->Hot(); }

TRect TRemarkToolLogic::HotRect() const { return view_.GetRemarkRect(HotIndex); }

bool TRemarkToolLogic::ValidTarget() const
{
    const TRemarkData* r = Hot();
    return r && view_.ValidAnchorTarget(*r, MouseX);
}

TRemarkToolAnswer TRemarkToolLogic::MouseMove(int x, int y)
{
    TRemarkToolAnswer a;
    Outside = ComputeOutside(x, y);
    if (Pressed && Resizing) {
        const TRect b = HotRect();
        if (std::int64_t(x) < std::int64_t(b.Left) + 30) {
            MouseX = b.Left + 30;
        } else {
            MouseX = x;
            MouseY = y;
        }
        a.Repaint = true;
        return a;
    }
    if (Pressed && OverlayShown) {
        MouseX = x;
        MouseY = y;
        a.Repaint = true;
        return a;
    }
    if (Pressed && DraggingAnchor) {
        MouseX = x;
        MouseY = y;
        AnchorLineShown = ValidTarget();
        a.Repaint = true;
        return a;
    }
    const bool hadHighlight = BoxHot || GripHot || AnchorHot;
    HotIndex = view_.RemarkHitTest(x, y, OnAnchor);
    if (HotIndex < 0) {
        a.Cursor = TRemarkCursor::Remark;
        AnchorHot = GripHot = BoxHot = false;
        OnRightEdge = false;
        a.Repaint = hadHighlight;
        return a;
    }
    const bool before[3] = {BoxHot, GripHot, AnchorHot};
    if (HotIndex != LastHotIndex)
        AnchorHot = GripHot = BoxHot = false;
    const bool moved = HotIndex != LastHotIndex;
    LastHotIndex = HotIndex;
    if (OnAnchor) {
        AnchorHot = true;
    } else {
        BoxHot = true;
        if (view_.RemarkResizeHit(HotIndex, x, y)) {
            a.Cursor = TRemarkCursor::SizeWE;
            OnRightEdge = true;
        } else {
            OnRightEdge = false;
            if (view_.RemarkGripHit(HotIndex, x, y)) {
                GripHot = true;
                a.Cursor = TRemarkCursor::HandPoint;
            } else {
                GripHot = false;
                a.Cursor = TRemarkCursor::Hand;
            }
        }
        OverlayShown = false;
    }
    a.Repaint = moved || before[0] != BoxHot || before[1] != GripHot || before[2] != AnchorHot;
    return a;
}

TRemarkToolAnswer TRemarkToolLogic::MouseDown(int x, int y)
{
    TRemarkToolAnswer a;
    Pressed = true;
    Outside = ComputeOutside(x, y);
    MouseX = x;
    MouseY = y;
    TRemarkData* r = Hot();
    if (!r) {
        HotIndex = -1;
        if (view_.RemarkCount() >= kMaxRemarks) {
            Pressed = false;
            a.ErrorText = 261;
            return a;
        }
        a.OpenEditor = true;
        a.EditIndex = -1;
        a.EditX = x;
        a.EditY = y;
        return a;
    }
    const TRect b = HotRect();
    if (OnAnchor) {
        AnchorHot = false;
        DraggingAnchor = true;
        AnchorLineShown = true;
    } else if (OnRightEdge) {
        GrabDX = b.Right - MouseX;
        Resizing = true;
    } else if (GripHot) {
        GripHot = BoxHot = false;
        a.OpenEditor = true;
        a.EditIndex = HotIndex;
        a.EditX = b.Left;
        a.EditY = b.Top + 4;
    } else {
        StartRect = b;
        GrabDX = MouseX - b.Left;
        GrabDY = MouseY - b.Top;
        OverlayShown = true;
    }
    a.Repaint = true;
    return a;
}

TRemarkToolAnswer TRemarkToolLogic::MouseUp(int x, int y)
{
    if (!Pressed)
        return {};
    if (TRemarkData* r = Hot()) {
        const TRect b = HotRect();
        if (Resizing && !Outside) {
            if (std::int64_t(x) < std::int64_t(b.Left) + 30)
                view_.SetRemarkRight(HotIndex, b.Left + 22);
            else
                view_.SetRemarkRight(HotIndex, x + GrabDX - 8);
            GrabDX = 0;
        } else if (OverlayShown && !Outside) {
            view_.SetRemarkPosition(*r, static_cast<double>(x) - GrabDX, static_cast<double>(y) - GrabDY + 4);
            view_.Recording->Saved = false;
            GrabDX = GrabDY = 0;
        } else if (DraggingAnchor && !Outside && view_.ValidAnchorTarget(*r, x)) {
            view_.MoveRemarkAnchor(HotIndex, x);
        }
    }
    Pressed = Resizing = BoxHot = GripHot = OverlayShown = OnAnchor = AnchorHot = AnchorLineShown = DraggingAnchor =
        false;
    TRemarkToolAnswer a = MouseMove(x, y);
    a.Repaint = true;
    if (!a.Cursor)
        a.Cursor = TRemarkCursor::Remark;
    return a;
}

TRemarkToolAnswer TRemarkToolLogic::EditorClosed(bool changed)
{
    Reset();
    TRemarkToolAnswer a;
    a.Repaint = true;
    (void)changed;
    a.Cursor = TRemarkCursor::Remark;
    return a;
}

TRemarkToolAnswer TRemarkToolLogic::Leave()
{
    TRemarkToolAnswer a;
    const bool had = BoxHot || GripHot;
    BoxHot = GripHot = false;
    a.Repaint = had && !Pressed;
    return a;
}

void TRemarkToolLogic::Reset()
{
    Pressed = OverlayShown = Outside = BoxHot = GripHot = Resizing = OnRightEdge = OnAnchor = AnchorHot =
        AnchorLineShown = DraggingAnchor = false;
    HotIndex = LastHotIndex = -1;
    GrabDX = GrabDY = 0;
}

std::optional<TRect> TRemarkToolLogic::HotFrame() const
{
    if (!BoxHot || LastHotIndex < 0 || LastHotIndex >= view_.RemarkCount())
        return std::nullopt;
    return view_.GetRemarkRect(LastHotIndex);
}

std::optional<TRect> TRemarkToolLogic::HotGrip() const
{
    if (!GripHot || LastHotIndex < 0 || LastHotIndex >= view_.RemarkCount())
        return std::nullopt;
    return GripRect(view_.GetRemarkRect(LastHotIndex));
}

std::optional<TRect> TRemarkToolLogic::AnchorHighlight() const
{
    if (!AnchorHot || LastHotIndex < 0 || LastHotIndex >= view_.RemarkCount())
        return std::nullopt;
    const auto a = RemarkAnchorPoint(view_, view_.Recording->Remarks[static_cast<std::size_t>(LastHotIndex)]);
    if (!a)
        return std::nullopt;
    return TRect{a->X - 5, a->Y - 5, a->X + 5, a->Y + 5};
}

std::optional<TRect> TRemarkToolLogic::MoveOutline() const
{
    if (!Pressed || !OverlayShown)
        return std::nullopt;
    const int left = MouseX - GrabDX, top = MouseY - GrabDY;
    return TRect{left, top, left + StartRect.Width(), top + StartRect.Height()};
}

std::optional<TRect> TRemarkToolLogic::WidthOutline() const
{
    if (!Pressed || !Resizing)
        return std::nullopt;
    const TRect b = HotRect();
    return TRect{b.Left, b.Top, MouseX + GrabDX, b.Bottom};
}

std::optional<TAnchorDragMarker> TRemarkToolLogic::DragMarker() const
{
    const TRemarkData* r = Hot();
    if (!Pressed || !DraggingAnchor || !AnchorLineShown || !r || !view_.ValidAnchorTarget(*r, MouseX))
        return std::nullopt;
    const std::int32_t s = view_.SampleAtX(MouseX);
    TAnchorDragMarker m;
    m.Channel = r->AnchorChannel;
    m.Target = {view_.SampleToX(s), view_.SampleToY(r->AnchorChannel, s)};
    const TRect b = HotRect();
    m.LineStart.X = m.Target.X < b.Right - b.Width() / 2 ? b.Left : b.Right;
    m.LineStart.Y = m.Target.Y >= b.Bottom - b.Height() / 2 ? b.Bottom : b.Top;
    return m;
}

// ---- the remark editor

TRemarkEditorLogic::TRemarkEditorLogic(TGraphicView& view, int index, int x, int y)
    : view_(view), index_(index), x_(x), y_(y)
{
    TRecording& rec = *view.Recording;
    for (int c = 0; c < rec.ChannelCount; ++c) {
        TRemarkChannelEntry e;
        e.Name = rec.Channel(c).GetName();
        e.Enabled = rec.Channel(c).Visible && c != rec.XAxisIndex;
        if (e.Enabled && first_ < 0)
            first_ = c;
        Channels.push_back(std::move(e));
    }
    if (index < 0 || index >= view.RemarkCount()) {
        index_ = -1;
        copy_.RemarkId = rec.NewRemarkId();
        copy_.Visible = true;
        copy_.FontSize = view.FontSize;
        copy_.FontColor = view.FontColor;
        copy_.IsBold = view.IsBold;
        copy_.IsItalic = view.IsItalic;
        copy_.IsUnderlined = view.IsUnderlined;
        copy_.XAxisIndex = rec.XAxisIndex;
        copy_.AnchorChannel = first_;
        copy_.IsAnchored = first_ >= 0 && copy_.XAxisIndex < 0;
        if (copy_.IsAnchored)
            copy_.Comment = kAnchoredRemarkText;
        rec.SetRemarkIndex(view.SampleAtX(x), copy_);
        copy_.BoxWidth = 100;
    } else {
        copy_ = rec.Remarks[static_cast<std::size_t>(index)];
    }
    VisibleBox = copy_.Visible;
    Text = RemarkTextForEditor(copy_.Comment);
    editorOriginal_ = copy_.Comment;
    AnchorBox = copy_.IsAnchored;
    Bold = copy_.IsBold;
    Italic = copy_.IsItalic;
    Underline = copy_.IsUnderlined;
    Color = copy_.FontColor;
    SizeText = std::to_string(copy_.FontSize);
    const int ac = copy_.AnchorChannel;
    if (ac >= 0 && ac < static_cast<int>(Channels.size()) && Channels[static_cast<std::size_t>(ac)].Enabled) {
        Channels[static_cast<std::size_t>(ac)].Checked = true;
        Selected = ac;
    }
    AnchorBoxEnabled = first_ >= 0 && copy_.XAxisIndex < 0;
    ApplyAnchorRule();
}

void TRemarkEditorLogic::SetAnchorBox(bool checked)
{
    AnchorBox = checked;
    ApplyAnchorRule();
}

void TRemarkEditorLogic::ApplyAnchorRule()
{
    const bool a = AnchorBoxEnabled && AnchorBox;
    ChannelListEnabled = a;
    // A disabled box keeps its remark's anchoring (its channel is hidden
    // for now); its text is left alone.
    if (!AnchorBoxEnabled)
        return;
    if (a && Text.empty())
        Text = kAnchoredRemarkText;
    else if (!a && Text == kAnchoredRemarkText)
        Text.clear();
}

void TRemarkEditorLogic::CheckChannel(int i, bool checked)
{
    if (i < 0 || i >= static_cast<int>(Channels.size()))
        return;
    Channels[static_cast<std::size_t>(i)].Checked = checked;
    Selected = i;
    if (CheckedCount() > 1) {
        for (auto& e : Channels)
            e.Checked = false;
        Channels[static_cast<std::size_t>(i)].Checked = true;
    } else if (CheckedCount() == 0) {
        Channels[static_cast<std::size_t>(i)].Checked = true;
    }
}

int TRemarkEditorLogic::CheckedChannel() const
{
    for (int i = static_cast<int>(Channels.size()) - 1; i >= 0; --i)
        if (Channels[static_cast<std::size_t>(i)].Checked)
            return i;
    return -1;
}

int TRemarkEditorLogic::CheckedCount() const
{
    return static_cast<int>(std::count_if(Channels.begin(), Channels.end(), [](const auto& e) { return e.Checked; }));
}

std::int32_t TRemarkEditorLogic::ShownSample() const
{
    const TRecordingTimeWrapper& t = *view_.Recording->Time;
    const std::int32_t k = view_.Recording->GetRemarkIndex(copy_);
    return std::clamp(k, t.FirstIndex, std::max(t.FirstIndex, t.LastIndex));
}

std::string TRemarkEditorLogic::ValueLine() const
{
    if (!view_.Recording || !view_.Recording->Time)
        return {};
    const std::int32_t k = ShownSample();
    std::string s = view_.SampleText(-1, k) + " " + view_.AxisUnit(-1);
    if (const int c = CheckedChannel(); c >= 0)
        s += ": " + view_.SampleText(c, k) + " " + view_.AxisUnit(c);
    return s;
}

bool TRemarkEditorLogic::Anchored() const
{
    if (copy_.XAxisIndex >= 0)
        return false;
    return AnchorBoxEnabled ? AnchorBox : copy_.IsAnchored;
}

int TRemarkEditorLogic::Ok()
{
    TRecording& rec = *view_.Recording;
    const bool checking = AnchorBoxEnabled && AnchorBox;
    const int n = checking ? CheckedCount() : 1;
    if (checking && n == 1) {
        const int c = CheckedChannel();
        const auto& ch = rec.Channel(c);
        const std::int32_t v = ch.GetValue(rec.GetRemarkIndex(copy_));
        if (v == NoValue)
            return 259;
        if (v > ch.CurrentHiRange || v < ch.CurrentLoRange)
            return 260;
    }
    if (TrimBlanks(Text).empty())
        return 255;
    if (n != 1)
        return 256;
    const std::int64_t size = ParseRemarkSize(SizeText).value_or(0);
    if (size < 6)
        return 257;
    if (size > 60)
        return 258;
    if (index_ < 0 && view_.RemarkCount() >= kMaxRemarks)
        return 261;

    const TRemarkData before = copy_;
    const bool wasShown = index_ >= 0 && RemarkShown(view_, rec.Remarks[static_cast<std::size_t>(index_)]);
    const TRemarkPlacement old = PlaceRemark(view_, before);
    const std::int32_t shown = rec.GetRemarkIndex(before);

    copy_.Visible = VisibleBox;
    copy_.Comment = RemarkTextFromEditor(Text, editorOriginal_);
    copy_.IsBold = Bold;
    copy_.IsItalic = Italic;
    copy_.IsUnderlined = Underline;
    copy_.FontColor = Color;
    copy_.FontSize = static_cast<std::int32_t>(size);
    copy_.IsAnchored = Anchored();
    if (copy_.IsAnchored && checking) {
        const int c = CheckedChannel();
        if (c != copy_.AnchorChannel) {
            // The sample shown stays the anchored one under the new
            // channel's time shift.
            copy_.AnchorChannel = c;
            rec.SetRemarkIndex(shown, copy_);
        }
    }
    if (x_ >= 0 && y_ >= 0) {
        view_.SetRemarkPosition(copy_, x_, y_);
    } else if (copy_.IsAnchored != before.IsAnchored && wasShown && old.Drawn) {
        // The position numbers change meaning with the anchoring: the box
        // stays where it was drawn.
        view_.SetRemarkPosition(copy_, old.Px, old.Py);
    }
    view_.StoreRemark(copy_, index_);
    return 0;
}

void TRemarkEditorLogic::Delete()
{
    if (index_ >= 0)
        view_.DeleteRemark(index_);
}

void TRemarkEditorLogic::SetDefault()
{
    view_.IsBold = Bold;
    view_.IsItalic = Italic;
    view_.IsUnderlined = Underline;
    view_.FontColor = Color;
    view_.FontSize = PreviewFontSize(SizeText);
}

// ---- the remark list

void TRemarkListLogic::Fill()
{
    Checks.clear();
    for (int i = 0; i < view_.RemarkCount(); ++i)
        Checks.push_back(view_.Recording->Remarks[static_cast<std::size_t>(i)].Visible);
    Selected = Checks.empty() ? -1 : 0;
}

TRemarkRow TRemarkListLogic::Row(int i) const
{
    TRemarkRow row;
    if (Placeholder()) {
        row.Text = text(271);
        return row;
    }
    if (i < 0 || i >= static_cast<int>(Checks.size()))
        return row;
    const TRemarkData& r = view_.Recording->Remarks[static_cast<std::size_t>(i)];
    row.Number = std::to_string(i);
    row.XAxis = view_.AxisName(r.XAxisIndex);
    if (r.IsAnchored && view_.Recording->HasAnchorChannel(r))
        row.Anchor = view_.AxisName(r.AnchorChannel);
    else
        row.Anchor = "-";
    if (r.IsAnchored)
        row.Position = view_.SampleText(-1, r.AnchorIndex) + " " + view_.AxisUnit(-1);
    else
        row.Position = std::to_string(r.XPosition / 10) + " %";
    row.Text = r.Comment;
    return row;
}

void TRemarkListLogic::WriteChecks()
{
    for (std::size_t i = 0; i < Checks.size() && i < view_.Recording->Remarks.size(); ++i) {
        TRemarkData& r = view_.Recording->Remarks[i];
        if (r.Visible != Checks[i]) {
            r.Visible = Checks[i];
            view_.Recording->Saved = false;
        }
    }
}

bool TRemarkListLogic::BeginEdit()
{
    if (Placeholder() || Selected < 0)
        return false;
    WriteChecks();
    return true;
}

} // namespace vro::graph
