#include "core/graph/graphview.h"

#include "core/util/text.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "core/config/configkeys.h"
#include "core/text/texts.h"
#include "core/util/numeric.h"
#include "core/values/vro8utils.h"

namespace vro::graph {

namespace {

constexpr TRgb kColors[10] = {{255, 0, 0},   {0, 0, 160},   {0, 128, 0},   {255, 170, 0},   {208, 0, 208},
                              {96, 96, 255}, {0, 255, 255}, {224, 224, 0}, {176, 176, 176}, {0, 0, 0}};

std::int64_t Round64(double x) { return static_cast<std::int64_t>(RoundHalfEven(x)); }

std::string Key8(int a, int b, int c, std::int64_t d, std::int64_t e, int f, const std::string& g, const std::string& h)
{
    char buf[128];
    std::snprintf(buf, sizeof buf, "%d|%d|%d|%lld|%lld|%d|", a, b, c, static_cast<long long>(d),
                  static_cast<long long>(e), f);
    return buf + g + "|" + h;
}

} // namespace

TRgb ChannelColorTable(int index) { return kColors[((index % 10) + 10) % 10]; }

// ---- TCommonView

void TCommonView::SetRecording(TRecording* recording)
{
    Recording = recording;
    ChannelCount = recording ? recording->ChannelCount : 0;
    RecordCount = recording ? recording->RecordCount : 0;
    pyramids_.Clear();
    RebuildDrawList();
}

void TCommonView::RebuildDrawList()
{
    DrawList.clear();
    EnvelopeList.clear();
    DrawCount = 0;
    if (!Recording)
        return;
    for (int n = 0; n < Recording->ChannelCount; ++n) {
        const auto& ch = Recording->Channel(n);
        if (!ch.Visible)
            continue;
        DrawList.push_back(n);
        const bool env = Recording->HasMinMaxValues &&
                         (Recording->ShowTableMinMax == 1 || (Recording->ShowTableMinMax == 2 && ch.ShowMinMax));
        EnvelopeList.push_back(env ? 1 : 0);
        ++DrawCount;
    }
}

void TCommonView::SetSize(int width, int height, const TCanvasMetrics* canvas)
{
    XExtent = std::max(width - 1, 1);
    YExtent = std::max(height - 1, 1);
    XDivisions = YDivisions = 1;
    if (!canvas || !Recording)
        return;
    const int w = AxisLabelWidth(XAxisIndex(), canvas->Width);
    const int h = canvas->TextHeight;
    const std::int64_t W = XExtent, H = YExtent;
    XDivisions = 13LL * w < W ? 10 : 8LL * w < W ? 5 : 4LL * w < W ? 2 : 1;
    YDivisions = 12LL * h < H ? 10 : 6LL * h < H ? 5 : 3LL * h < H ? 2 : 1;
}

TRgb TCommonView::ChannelColor(int axis) const
{
    if (!ValidChannel(axis))
        return kColors[9];
    return ChannelColorTable(Recording->Channel(axis).ColorIndex);
}

int TCommonView::ColorIndexOf(int axis) const { return ValidChannel(axis) ? Recording->Channel(axis).ColorIndex : 0; }

int TCommonView::ChannelStyle(int axis) const { return ValidChannel(axis) ? Recording->Channel(axis).Style : 0; }

bool TCommonView::IsOnLeftAxis(int c) const
{
    return ValidChannel(c) && c < 32 && (static_cast<std::uint32_t>(Recording->LeftYAxis) >> c & 1u) &&
           Recording->Channel(c).Visible && c != Recording->XAxisIndex;
}

bool TCommonView::IsOnRightAxis(int c) const
{
    return ValidChannel(c) && c < 32 && (static_cast<std::uint32_t>(Recording->RightYAxis) >> c & 1u) &&
           Recording->Channel(c).Visible && c != Recording->XAxisIndex;
}

std::int32_t TCommonView::SampleToX(std::int32_t i) const
{
    if (!Recording || !Recording->Time)
        return NoValue;
    const int x = Recording->XAxisIndex;
    if (x < 0 || !ValidChannel(x))
        return Recording->Time->IndexToPosition(i, 0, XExtent);
    const auto& ch = Recording->Channel(x);
    return ch.ScaleValue(ch.GetValue(i), 0, XExtent);
}

std::int32_t TCommonView::SampleToY(int c, std::int32_t i) const
{
    if (!ValidChannel(c))
        return NoValue;
    const auto& ch = Recording->Channel(c);
    return ch.ScaleValue(ch.GetValue(i), YExtent, 0);
}

std::int32_t TCommonView::MinToY(int c, std::int32_t i) const
{
    if (!ValidChannel(c))
        return NoValue;
    const auto& ch = Recording->Channel(c);
    const std::int32_t v = ch.ScaleValue(ch.GetMinValue(i), 0, YExtent);
    return v == NoValue ? NoValue : YExtent - v;
}

std::int32_t TCommonView::MaxToY(int c, std::int32_t i) const
{
    if (!ValidChannel(c))
        return NoValue;
    const auto& ch = Recording->Channel(c);
    const std::int32_t v = ch.ScaleValue(ch.GetMaxValue(i), 0, YExtent);
    return v == NoValue ? NoValue : YExtent - v;
}

std::string TCommonView::AxisValueText(int axis, double fraction) const
{
    if (!Recording || !Recording->Time)
        return {};
    if (ValidChannel(axis))
        return Recording->Channel(axis).RelativeToText(fraction);
    return Recording->Time->RelativeToText(fraction);
}

std::string TCommonView::AxisSpanText(int axis, double fraction) const
{
    if (!Recording || !Recording->Time)
        return {};
    if (ValidChannel(axis))
        return Recording->Channel(axis).RelativeSpanToText(fraction);
    return Recording->Time->RelativeSpanToText(fraction);
}

std::string TCommonView::SampleText(int axis, std::int32_t i) const
{
    if (!Recording || !Recording->Time)
        return {};
    if (ValidChannel(axis))
        return Recording->Channel(axis).GetValueText(i);
    return Recording->Time->IndexToText(i);
}

std::string TCommonView::AxisName(int axis) const
{
    if (!Recording || !Recording->Time)
        return {};
    return ValidChannel(axis) ? Recording->Channel(axis).GetName() : Recording->Time->GetTitle();
}

std::string TCommonView::AxisTitle(int axis) const
{
    if (!Recording || !Recording->Time)
        return {};
    const std::string unit =
        ValidChannel(axis) ? Recording->Channel(axis).GetUnitText() : Recording->Time->GetUnitText();
    return AxisName(axis) + " " + unit;
}

std::string TCommonView::AxisUnit(int axis) const
{
    if (!Recording || !Recording->Time)
        return {};
    return ValidChannel(axis) ? Recording->Channel(axis).MeasureUnit : Recording->Time->GetUnit();
}

int TCommonView::AxisLabelWidth(int axis, const TTextMeasure& measure) const
{
    if (!Recording || !Recording->Time || !measure)
        return 0;
    if (ValidChannel(axis))
        return Recording->Channel(axis).GetTextWidth(false, "", measure);
    return Recording->Time->GetTextWidth(false, "", measure);
}

std::string TCommonView::ShiftMark() const
{
    if (!Recording || !Recording->TimeShiftActive)
        return {};
    for (int n = 0; n < Recording->ChannelCount; ++n)
        if (Recording->Channel(n).Visible && Recording->Channel(n).TimeShift != 0)
            return "*";
    return {};
}

void TCommonView::SetShiftMode()
{
    if (Recording)
        Recording->TimeShiftActive = Recording->XAxisIndex < 0;
}

std::string TCommonView::HorizontalAxisKey(int axis) const
{
    if (!Recording || !Recording->Time)
        return {};
    if (ValidChannel(axis)) {
        const auto& ch = Recording->Channel(axis);
        return Key8(XDivisions, XExtent, axis, ch.CurrentLoRange, ch.CurrentHiRange, ch.ColorIndex, AxisName(axis),
                    AxisUnit(axis));
    }
    return Key8(XDivisions, XExtent, axis, Recording->Time->LoRange, Recording->Time->HiRange, 0, AxisName(axis),
                AxisUnit(axis)) +
           "|" + ShiftMark();
}

std::string TCommonView::VerticalAxisKey(int c) const
{
    if (!ValidChannel(c))
        return {};
    const auto& ch = Recording->Channel(c);
    return Key8(YDivisions, YExtent, c, ch.CurrentLoRange, ch.CurrentHiRange, ch.ColorIndex, AxisName(c), AxisUnit(c));
}

std::string TCommonView::LegendKey(int axis) const
{
    if (!Recording || !Recording->Time)
        return {};
    char buf[96];
    if (ValidChannel(axis)) {
        const auto& ch = Recording->Channel(axis);
        std::snprintf(buf, sizeof buf, "%d|%d|%d|%d|%d|", axis, ch.CurrentLoRange, ch.CurrentHiRange, ch.ColorIndex,
                      ch.Style);
        return buf + AxisName(axis) + "|" + AxisUnit(axis) + (ch.Visible ? "|1" : "|0");
    }
    std::snprintf(buf, sizeof buf, "%d|%d|%d|%d|%d|", -1, Recording->Time->LoRange, Recording->Time->HiRange, 0, 0);
    return buf + AxisName(-1) + "|" + AxisUnit(-1);
}

std::string TCommonView::AxesLayoutKey() const
{
    std::string s = std::to_string(XAxisIndex());
    if (Recording)
        for (int n = 0; n < Recording->ChannelCount; ++n)
            s += std::string("|") + (IsOnLeftAxis(n) ? "1" : "0") + "|" + (IsOnRightAxis(n) ? "1" : "0");
    return s;
}

// ---- TGraphicView

bool TGraphicView::SetToolPoints(int x1, int y1, int x2, int y2)
{
    x1 = std::clamp(x1, 0, XExtent);
    x2 = std::clamp(x2, 0, XExtent);
    y1 = std::clamp(y1, 0, YExtent);
    y2 = std::clamp(y2, 0, YExtent);
    const bool changed = x1 != X1 || y1 != Y1 || x2 != X2 || y2 != Y2;
    X1 = x1, Y1 = y1, X2 = x2, Y2 = y2;
    if (changed && OnMarksChanged)
        OnMarksChanged();
    return changed;
}

TRect TGraphicView::SnappedRect() const
{
    const std::int64_t W = XExtent, H = YExtent;
    TRect r;
    r.Left = static_cast<int>(((std::min(X1, X2) * 10LL) / W) * W / 10);
    r.Right = static_cast<int>(((std::max(X1, X2) * 10LL + W - 1) / W) * W / 10);
    r.Top = static_cast<int>(((std::min(Y1, Y2) * 10LL) / H) * H / 10);
    r.Bottom = static_cast<int>(((std::max(Y1, Y2) * 10LL + H - 1) / H) * H / 10);
    return r;
}

void TGraphicView::SetCursor1(std::int32_t i)
{
    if (i == Cursor1)
        return;
    Cursor1 = i;
    if (OnMarksChanged)
        OnMarksChanged();
}

void TGraphicView::SetCursor2(std::int32_t i)
{
    if (i == Cursor2)
        return;
    Cursor2 = i;
    if (OnMarksChanged)
        OnMarksChanged();
}

void TGraphicView::SetTool(int n)
{
    if (n < 0 || n > 9)
        n = 0;
    ActiveTool = static_cast<std::uint8_t>(n == ActiveTool ? 0 : n);
    if (OnToolChanged)
        OnToolChanged();
}

void TGraphicView::AddToHistory(const std::string& viewState)
{
    if (ActiveTool == toolNavigator || !Recording)
        return;
    Recording->History.Add(viewState);
}

void TGraphicView::MarkChanged()
{
    Changed = true;
    if (Recording)
        Recording->Saved = false;
}

void TGraphicView::ApplyViewState(const std::string& viewState)
{
    if (!Recording)
        return;
    Recording->SetViewState(viewState);
    RebuildDrawList();
    MarkChanged();
}

void TGraphicView::ZoomAxis(int axis, double size, double offset)
{
    if (!Recording || !Recording->Time)
        return;
    const double s = RoundHalfEven(size * 10) / 10;
    const double o = RoundHalfEven(offset * 10) / 10;
    std::int64_t lo, span;
    const bool channel = ValidChannel(axis);
    if (channel) {
        const auto& ch = Recording->Channel(axis);
        lo = ch.CurrentLoRange;
        span = std::int64_t(ch.CurrentHiRange) - ch.CurrentLoRange;
    } else {
        lo = Recording->Time->LoRange;
        span = std::int64_t(Recording->Time->HiRange) - Recording->Time->LoRange;
    }
    std::int64_t newSpan, newLo;
    if (s == 0) {
        newSpan = span;
        newLo = lo + Round64(static_cast<double>(span) * o);
    } else if (s > 0) {
        newSpan = Round64(static_cast<double>(span) * s);
        newLo = lo + Round64(static_cast<double>(span) * o);
    } else {
        newSpan = Round64(static_cast<double>(span) / -s);
        newLo = lo - Round64(static_cast<double>(newSpan) * o);
    }
    if (channel)
        Recording->Channel(axis).SetCurrentRange(newLo, newLo + newSpan);
    else
        Recording->Time->SetRange(newLo, newLo + newSpan);
}

void TGraphicView::Zoom(double ySize, double yOffset, double xSize, double xOffset)
{
    if (!Recording)
        return;
    const int x = Recording->XAxisIndex;
    ZoomAxis(x, xSize, xOffset);
    for (int n = 0; n < Recording->ChannelCount; ++n)
        if (Recording->Channel(n).Visible && n != x)
            ZoomAxis(n, ySize, yOffset);
    MarkChanged();
}

void TGraphicView::FullScale()
{
    if (!Recording || !Recording->Time)
        return;
    Recording->Time->ResetRange();
    for (int n = 0; n < Recording->ChannelCount; ++n)
        Recording->Channel(n).ResetCurrentRange();
    MarkChanged();
}

void TGraphicView::AutoScale()
{
    if (!Recording || !Recording->Time)
        return;
    const int raster = std::clamp(ScaleRaster, 0, 4);
    std::vector<int> parts;
    for (int n = 0; n < Recording->ChannelCount; ++n)
        if (Recording->Channel(n).Visible || n == Recording->XAxisIndex)
            parts.push_back(n);
    if (!ScaleTogether) {
        for (int n : parts) {
            auto& ch = Recording->Channel(n);
            auto [lo, hi] = ch.GetVisibleMinMax();
            if (lo == NoValue || hi == NoValue)
                continue;
            AxisStep(lo, hi, raster);
            ch.SetCurrentRange(lo, hi);
        }
        MarkChanged();
        return;
    }
    struct TGroup {
        std::string Unit;
        double Lo, Hi;
    };
    std::vector<TGroup> groups;
    for (int n : parts) {
        auto& ch = Recording->Channel(n);
        auto [lo, hi] = ch.GetVisibleMinMax();
        if (lo == NoValue || hi == NoValue)
            continue;
        AxisStep(lo, hi, raster);
        const double flo = RawToFloat(lo, ch.Decimals), fhi = RawToFloat(hi, ch.Decimals);
        auto g = std::find_if(groups.begin(), groups.end(), [&](const TGroup& x) { return x.Unit == ch.MeasureUnit; });
        if (g != groups.end()) {
            g->Lo = std::min(g->Lo, flo);
            g->Hi = std::max(g->Hi, fhi);
        } else {
            groups.push_back({ch.MeasureUnit, flo, fhi});
        }
    }
    for (int n : parts) {
        auto& ch = Recording->Channel(n);
        auto g = std::find_if(groups.begin(), groups.end(), [&](const TGroup& x) { return x.Unit == ch.MeasureUnit; });
        if (g == groups.end())
            continue;
        std::int32_t lo = FloatToRaw(g->Lo, ch.Decimals, true);
        std::int32_t hi = FloatToRaw(g->Hi, ch.Decimals, true);
        if (lo == NoValue || hi == NoValue)
            continue;
        AxisStep(lo, hi, raster);
        hi = std::min(hi, 30000);
        lo = std::max(lo, -30000);
        ch.SetCurrentRange(lo, hi);
    }
    MarkChanged();
}

void TGraphicView::GoBack()
{
    if (!Recording)
        return;
    ApplyViewState(Recording->History.Back());
    SetTool(0);
}

void TGraphicView::GoForward()
{
    if (!Recording)
        return;
    ApplyViewState(Recording->History.Forward());
    SetTool(0);
}

void TGraphicView::LoadSettings(const TIniList& list)
{
    SetScaleRaster(std::clamp(cfg::Read(list, cfg::kScaleRaster), 0, 4));
    ScaleTogether = cfg::Read(list, cfg::kScaleTogether);
    FontSize = std::clamp(cfg::Read(list, cfg::kRemarkFontSize), 6, 60);
    FontColor = cfg::Read(list, cfg::kRemarkFontColor);
    IsBold = cfg::Read(list, cfg::kRemarkIsBold);
    IsItalic = cfg::Read(list, cfg::kRemarkIsItalic);
    IsUnderlined = cfg::Read(list, cfg::kRemarkIsUnderlined);
}

void TGraphicView::SaveSettings(TIniList& list) const
{
    cfg::Write(list, cfg::kScaleRaster, ScaleRaster);
    cfg::Write(list, cfg::kScaleTogether, ScaleTogether);
    cfg::Write(list, cfg::kRemarkFontSize, FontSize);
    cfg::Write(list, cfg::kRemarkFontColor, FontColor);
    cfg::Write(list, cfg::kRemarkIsBold, IsBold);
    cfg::Write(list, cfg::kRemarkIsItalic, IsItalic);
    cfg::Write(list, cfg::kRemarkIsUnderlined, IsUnderlined);
}

// ---- TPrinterView

TRgb TPrinterView::ChannelColor(int axis) const { return Monochrome ? kColors[9] : TCommonView::ChannelColor(axis); }

void TPrinterView::Layout(int pageWidth, int pageHeight, const TCanvasMetrics& canvas, const TCanvasMetrics& canvas9,
                          int heightWq)
{
    int m = 10;
    auto measureAxis = [&](int n) {
        m = std::max(m, canvas.Width(AxisName(n)));
        m = std::max(m, canvas.Width(AxisValueText(n, 0) + " .. " + AxisValueText(n, 1) + " " + AxisUnit(n)));
    };
    if (Recording) {
        for (int n = 0; n < Recording->ChannelCount; ++n)
            measureAxis(n);
        measureAxis(-1);
    }
    LegendRect = {pageWidth - m - 40, 0, pageWidth, pageHeight};
    HeaderRect = {0, 0, LegendRect.Left, 25};
    XAxisRect = {0, pageHeight - 3 * heightWq, LegendRect.Left, pageHeight};
    AxisWidths.fill(0);
    AxisWidths[33] = -1;
    LeftAxisCount = RightAxisCount = 0;
    int left = 0, right = 0;
    for (int n = 0; n < ChannelCount && n < 32; ++n) {
        if (IsOnLeftAxis(n)) {
            AxisWidths[static_cast<std::size_t>(n)] = AxisLabelWidth(n, canvas.Width) + heightWq + 30;
            left += AxisWidths[static_cast<std::size_t>(n)];
            ++LeftAxisCount;
        }
        if (IsOnRightAxis(n)) {
            AxisWidths[static_cast<std::size_t>(n)] = AxisLabelWidth(n, canvas.Width) + heightWq + 30;
            right += AxisWidths[static_cast<std::size_t>(n)];
            ++RightAxisCount;
        }
    }
    if (LeftAxisCount == 0)
        left = 75;
    if (RightAxisCount == 0)
        right = 75;
    LeftAxesRect = {0, HeaderRect.Bottom, left, XAxisRect.Top};
    RightAxesRect = {LegendRect.Left - right, HeaderRect.Bottom, LegendRect.Left, XAxisRect.Top};
    PlotRect = {LeftAxesRect.Right, HeaderRect.Bottom, RightAxesRect.Left, XAxisRect.Top};
    XExtent = std::max(PlotRect.Width(), 1);
    YExtent = std::max(PlotRect.Height(), 1);
    const std::int64_t w = AxisLabelWidth(XAxisIndex(), canvas9.Width), h = canvas9.TextHeight;
    const std::int64_t W = XExtent, H = YExtent;
    XDivisions = 12 * w < W ? 10 : 6 * w < W ? 5 : 3 * w < W ? 2 : 1;
    YDivisions = 12 * h < H ? 10 : 6 * h < H ? 5 : 3 * h < H ? 2 : 1;
}

// ---- Stored views

TSnapshot& SaveSnapshot(TRecording& recording, const std::string& name, const std::string& description)
{
    std::string n(Trim(name));
    if (n.empty())
        n = text(356);
    TSnapshot& s = recording.SnapshotCamera.Add(recording.GetViewState(), n);
    s.Description = description;
    recording.Saved = false;
    return s;
}

void TSnapshotListLogic::StoreMemo(const std::string& memo)
{
    if (shown_ >= 0 && shown_ < recording_->SnapshotCamera.Count()) {
        auto& s = recording_->SnapshotCamera.Items(shown_);
        if (s.Description != memo) {
            s.Description = memo;
            recording_->Saved = false;
        }
    }
}

std::string TSnapshotListLogic::Select(int i, const std::string& memo)
{
    StoreMemo(memo);
    if (i < 0 || i >= recording_->SnapshotCamera.Count()) {
        shown_ = -1;
        return {};
    }
    shown_ = i;
    const TSnapshot& s = recording_->SnapshotCamera.Items(i);
    if (view_)
        view_->ApplyViewState(s.Data);
    return s.Description;
}

int TSnapshotListLogic::DeleteSelected(std::vector<int> selected, const std::string& memo)
{
    auto& cam = recording_->SnapshotCamera;
    std::sort(selected.begin(), selected.end());
    selected.erase(std::unique(selected.begin(), selected.end()), selected.end());
    selected.erase(std::remove_if(selected.begin(), selected.end(), [&](int i) { return i < 0 || i >= cam.Count(); }),
                   selected.end());
    if (selected.empty())
        return shown_;
    // The memo belongs to the shown snapshot: store it while that entry
    // still exists, then forget the entry if it goes, so that no later
    // selection writes into a snapshot that is gone.
    StoreMemo(memo);
    int shown = shown_;
    for (auto it = selected.rbegin(); it != selected.rend(); ++it) {
        if (*it == shown)
            shown = -1;
        else if (shown > *it)
            --shown;
        cam.Delete(*it);
    }
    shown_ = shown;
    recording_->Saved = false;
    if (cam.Count() == 0)
        return -1;
    return std::min(selected.front(), cam.Count() - 1);
}

void TSnapshotListLogic::Rename(int i, const std::string& name)
{
    const std::string n(Trim(name));
    if (n.empty() || i < 0 || i >= recording_->SnapshotCamera.Count())
        return;
    recording_->SnapshotCamera.Items(i).Name = n;
    recording_->Saved = false;
}

void TSnapshotListLogic::Move(int from, int to)
{
    auto& cam = recording_->SnapshotCamera;
    if (from < 0 || to < 0 || from >= cam.Count() || to >= cam.Count() || from == to)
        return;
    cam.Move(from, to);
    if (shown_ == from)
        shown_ = to;
    else if (from < shown_ && to >= shown_)
        --shown_;
    else if (from > shown_ && to <= shown_ && shown_ >= 0)
        ++shown_;
    recording_->Saved = false;
}

} // namespace vro::graph
