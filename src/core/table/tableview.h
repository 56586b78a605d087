// The table of a recording: one row per sample, a time column, a state column
// (with states) and one column per shown channel, optionally followed by its
// min and max columns. TTableView decides which columns exist and which rows
// are in view and produces every cell, header and unit text; the table pane,
// the text export and the printout all use it, so their tables have exactly
// the same columns and texts.
//
// Rows are never stored: every cell is formatted from the recording when it
// is asked for. The view refers to the recording, it never owns it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/recording/recording.h"

namespace vro {

class TTableView {
public:
    enum TColumnKind : std::uint8_t { ckTime = 0, ckState = 1, ckValue = 2, ckMin = 3, ckMax = 4 };

    // Stores the recording (or none) and builds the columns for it; the rows
    // in view are all rows until BuildColumns takes the visible window.
    void SetRecording(TRecording* recording);
    TRecording* Recording() const { return recording_; }
    bool HasRecording() const { return recording_ != nullptr; }

    // Columns: time; state (with states); per channel that is Visible (every
    // channel with AllColumns) its value column and, with min/max data and
    // AllColumns or ShowTableMinMax 1, or 2 with the channel's ShowMinMax,
    // its min and max columns. FirstRow/LastRow take the visible window.
    void BuildColumns();
    void SetAllColumns(bool all);
    bool AllColumns() const { return allColumns_; }

    std::int32_t RowCount = 0;
    std::int32_t FirstRow = 0;
    std::int32_t LastRow = 0;
    std::int32_t ColumnCount = 0;
    std::vector<std::uint8_t> ColumnKind;
    std::vector<std::int32_t> ColumnChannel;

    // Empty for rows outside 0..RowCount-1 and columns outside the table.
    std::string CellText(std::int32_t row, int column) const;
    // Appends the cell text to `out` (no allocation for value columns): the
    // text export's fast path, identical to CellText.
    void AppendCellText(std::int32_t row, int column, std::string& out) const;
    std::string HeaderText(int column) const;
    std::string UnitText(int column) const;
    int ColumnTextLength(int column) const;
    int ColumnWidth(int column, const TTextMeasure& measure) const;
    int PrintColumnWidth(int column, const TTextMeasure& measure) const;

    // Packs the columns into page-wide groups that each start with the time
    // column again; every column gets a margin of 5 units on either side.
    void BuildPageLayout(int pageWidth, const TTextMeasure& measure);
    std::vector<std::int32_t> PageColumnWidths;
    std::int32_t PageGroupCount = 0;
    std::vector<std::int32_t> PageGroupColumns; // columns after the time column, per group
    std::vector<std::int32_t> PageGroupOffsets; // left offset that centres the group

    // Row with states whose state has bit 15 set: drawn shaded.
    bool IsMarkedRow(std::int32_t row) const;
    // The table shows every channel's samples at their stored positions.
    void UnshiftedAccess() const;

    // A text too wide for `width` becomes as many "#" as fit.
    static std::string FitCellText(const std::string& text, int width, const TTextMeasure& measure);

private:
    const TRecordingSensorWrapper& ChannelOf(int column) const;

    TRecording* recording_ = nullptr;
    bool allColumns_ = false;
};

} // namespace vro
