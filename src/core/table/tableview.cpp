#include "core/table/tableview.h"

#include <algorithm>
#include <charconv>

namespace vro {

void TTableView::SetRecording(TRecording* recording)
{
    recording_ = recording;
    allColumns_ = false;
    RowCount = recording ? recording->RecordCount : 0;
    FirstRow = 0;
    LastRow = recording ? recording->RecordCount - 1 : 0;
    if (recording)
        BuildColumns();
    else {
        ColumnCount = 0;
        ColumnKind.clear();
        ColumnChannel.clear();
    }
}

void TTableView::SetAllColumns(bool all)
{
    if (all == allColumns_)
        return;
    allColumns_ = all;
    BuildColumns();
}

void TTableView::BuildColumns()
{
    if (!recording_)
        return;
    const TRecording& r = *recording_;
    RowCount = r.RecordCount;
    if (r.Time) {
        FirstRow = r.Time->FirstIndex;
        LastRow = r.Time->LastIndex;
    }
    ColumnKind.clear();
    ColumnChannel.clear();
    auto add = [&](TColumnKind kind, int channel) {
        ColumnKind.push_back(kind);
        ColumnChannel.push_back(channel);
    };
    add(ckTime, -1);
    if (r.HasStates && r.State)
        add(ckState, -1);
    for (int i = 0; i < r.ChannelCount; ++i) {
        const TRecordingSensorWrapper* c = r.Channels[static_cast<std::size_t>(i)].get();
        if (!c || !(c->Visible || allColumns_))
            continue;
        add(ckValue, i);
        if (r.HasMinMaxValues && (allColumns_ || r.ShowTableMinMax == 1 || (r.ShowTableMinMax == 2 && c->ShowMinMax))) {
            add(ckMin, i);
            add(ckMax, i);
        }
    }
    ColumnCount = static_cast<std::int32_t>(ColumnKind.size());
}

const TRecordingSensorWrapper& TTableView::ChannelOf(int column) const
{
    return recording_->Channel(ColumnChannel[static_cast<std::size_t>(column)]);
}

std::string TTableView::CellText(std::int32_t row, int column) const
{
    std::string out;
    AppendCellText(row, column, out);
    return out;
}

namespace {
// raw / 10^d with exactly d decimals: the form of RawToText, written in place.
void AppendRaw(std::string& out, std::int32_t raw, int d, char separator)
{
    if (raw == NoValue || !DecimalsValid(d)) {
        out += "---";
        return;
    }
    char digits[16];
    const std::uint32_t mag = raw < 0 ? 0u - static_cast<std::uint32_t>(raw) : static_cast<std::uint32_t>(raw);
    const auto res = std::to_chars(digits, digits + sizeof digits, mag);
    int len = static_cast<int>(res.ptr - digits);
    if (raw < 0)
        out.push_back('-');
    if (d == 0) {
        out.append(digits, static_cast<std::size_t>(len));
        return;
    }
    if (len <= d) {
        out.push_back('0');
        out.push_back(separator);
        out.append(static_cast<std::size_t>(d - len), '0');
        out.append(digits, static_cast<std::size_t>(len));
        return;
    }
    out.append(digits, static_cast<std::size_t>(len - d));
    out.push_back(separator);
    out.append(digits + len - d, static_cast<std::size_t>(d));
}
} // namespace

void TTableView::AppendCellText(std::int32_t row, int column, std::string& out) const
{
    if (!recording_ || row < 0 || row >= RowCount || column < 0 || column >= ColumnCount)
        return;
    const TRecording& r = *recording_;
    switch (ColumnKind[static_cast<std::size_t>(column)]) {
    case ckTime: out += r.Time->IndexToText(row); return;
    case ckState: out += r.State->GetStateText(row); return;
    default: break;
    }
    const TRecordingSensorWrapper& c = ChannelOf(column);
    const TSensorValues* values = &c.Values;
    if (ColumnKind[static_cast<std::size_t>(column)] == ckMin)
        values = &c.MinValues;
    else if (ColumnKind[static_cast<std::size_t>(column)] == ckMax)
        values = &c.MaxValues;
    // The table always shows the stored (unshifted) samples.
    const std::int32_t raw =
        static_cast<std::size_t>(row) < values->size() ? (*values)[static_cast<std::size_t>(row)] : NoValue;
    AppendRaw(out, raw, c.Decimals, DvxFormatSettings().DecimalSeparator);
}

std::string TTableView::HeaderText(int column) const
{
    if (!recording_ || column < 0 || column >= ColumnCount)
        return {};
    switch (ColumnKind[static_cast<std::size_t>(column)]) {
    case ckTime: return recording_->Time->GetTitle();
    case ckState: return recording_->State->GetTitle();
    case ckValue: return ChannelOf(column).GetName();
    case ckMin: return "Min " + ChannelOf(column).GetName();
    default: return "Max " + ChannelOf(column).GetName();
    }
}

std::string TTableView::UnitText(int column) const
{
    if (!recording_ || column < 0 || column >= ColumnCount)
        return {};
    switch (ColumnKind[static_cast<std::size_t>(column)]) {
    case ckTime: return recording_->Time->GetUnitText();
    case ckState: return {};
    default: return ChannelOf(column).GetUnitText();
    }
}

int TTableView::ColumnTextLength(int column) const
{
    if (!recording_ || column < 0 || column >= ColumnCount)
        return 0;
    switch (ColumnKind[static_cast<std::size_t>(column)]) {
    case ckTime: return recording_->Time->GetTextLength(true, "");
    case ckState: return recording_->State->GetTextLength(true, "");
    default: return ChannelOf(column).GetTextLength(true, "");
    }
}

int TTableView::ColumnWidth(int column, const TTextMeasure& measure) const
{
    // The header is shown whole on the screen as on paper: the min and max
    // columns count their "Min " / "Max " prefix too.
    return PrintColumnWidth(column, measure);
}

int TTableView::PrintColumnWidth(int column, const TTextMeasure& measure) const
{
    if (!recording_ || column < 0 || column >= ColumnCount)
        return 0;
    switch (ColumnKind[static_cast<std::size_t>(column)]) {
    case ckTime: return recording_->Time->GetTextWidth(true, "", measure);
    case ckState: return recording_->State->GetTextWidth(true, "", measure);
    case ckValue: return ChannelOf(column).GetTextWidth(true, "", measure);
    case ckMin: return ChannelOf(column).GetTextWidth(true, "Min ", measure);
    default: return ChannelOf(column).GetTextWidth(true, "Max ", measure);
    }
}

void TTableView::BuildPageLayout(int pageWidth, const TTextMeasure& measure)
{
    PageColumnWidths.assign(static_cast<std::size_t>(ColumnCount), 0);
    PageGroupColumns.clear();
    PageGroupOffsets.clear();
    PageGroupCount = 0;
    if (ColumnCount == 0)
        return;
    for (int i = 0; i < ColumnCount; ++i)
        PageColumnWidths[static_cast<std::size_t>(i)] = 10 + PrintColumnWidth(i, measure);
    const std::int32_t timeWidth = PageColumnWidths[0];
    std::int32_t used = timeWidth;
    std::int32_t inGroup = 0;
    // A group is closed only once it holds a data column, so that no page
    // carries the time column alone; a column wider than the page gets a
    // group of its own, clipped at the right edge (offset never negative).
    auto close = [&] {
        PageGroupColumns.push_back(inGroup);
        PageGroupOffsets.push_back(std::max(0, (pageWidth - used) / 2));
        ++PageGroupCount;
    };
    for (int i = 1; i < ColumnCount; ++i) {
        const std::int32_t w = PageColumnWidths[static_cast<std::size_t>(i)];
        if (pageWidth < used + w && inGroup > 0) {
            close();
            used = timeWidth;
            inGroup = 0;
        }
        ++inGroup;
        used += w;
    }
    close();
}

bool TTableView::IsMarkedRow(std::int32_t row) const
{
    if (!recording_ || row < 0 || row >= RowCount || !recording_->HasStates || !recording_->State)
        return false;
    const auto& s = recording_->State->States;
    return static_cast<std::size_t>(row) < s.size() && (s[static_cast<std::size_t>(row)] & 0x8000) != 0;
}

void TTableView::UnshiftedAccess() const
{
    if (recording_)
        recording_->TimeShiftActive = false;
}

std::string TTableView::FitCellText(const std::string& text, int width, const TTextMeasure& measure)
{
    if (measure(text) <= width)
        return text;
    std::string hashes;
    while (measure(hashes + "#") <= width)
        hashes += '#';
    return hashes;
}

} // namespace vro
