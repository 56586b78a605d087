#include "core/table/tableview.h"
#include "core/values/vro8utils.h"

#include <gtest/gtest.h>

#include <random>

using namespace vro;

namespace {

// A recording of `channels` channels and `samples` samples with 2 decimals.
std::unique_ptr<TRecording> MakeRecording(int channels, int samples, bool minmax = false, bool states = false)
{
    auto r = std::make_unique<TRecording>();
    r->ChannelCount = channels;
    r->RecordCount = samples;
    r->HasMinMaxValues = minmax;
    r->HasStates = states;
    r->SampleRate = 1; // row 1 of the sample-interval table
    r->CreateChannelObjects();
    for (int c = 0; c < channels; ++c) {
        auto& ch = r->Channel(c);
        ch.DeviceName = "Channel " + std::to_string(c);
        ch.MeasureUnit = "bar";
        ch.Decimals = 2;
        for (int i = 0; i < samples; ++i) {
            ch.Values[static_cast<std::size_t>(i)] = (c + 1) * 100 + i;
            if (minmax) {
                ch.MinValues[static_cast<std::size_t>(i)] = (c + 1) * 100 + i - 5;
                ch.MaxValues[static_cast<std::size_t>(i)] = (c + 1) * 100 + i + 5;
            }
        }
    }
    r->Time->ResetRange();
    return r;
}

const TTextMeasure kChars = [](const std::string& s) { return static_cast<int>(s.size()) * 7; };

} // namespace

TEST(TableView, ColumnsFollowStatesMinMaxAndShowTableMinMax)
{
    auto r = MakeRecording(3, 10, true, true);
    r->ShowTableMinMax = 2;
    r->Channel(1).ShowMinMax = true;
    TTableView t;
    t.SetRecording(r.get());
    ASSERT_EQ(t.ColumnCount, 7);
    EXPECT_EQ(t.ColumnKind, (std::vector<std::uint8_t>{0, 1, 2, 2, 3, 4, 2}));
    EXPECT_EQ(t.ColumnChannel[4], 1);
    EXPECT_EQ(t.HeaderText(4), "Min " + r->Channel(1).GetName());
    EXPECT_EQ(t.HeaderText(5), "Max " + r->Channel(1).GetName());
    EXPECT_EQ(t.UnitText(1), "");
    // On the screen as on paper every header fits its column whole, the
    // "Min "/"Max " prefix included (one unit per byte here).
    const TTextMeasure bytes = [](const std::string& s) { return static_cast<int>(s.size()); };
    for (int c = 0; c < t.ColumnCount; ++c) {
        EXPECT_GE(t.ColumnWidth(c, bytes), static_cast<int>(t.HeaderText(c).size())) << t.HeaderText(c);
        EXPECT_EQ(t.ColumnWidth(c, bytes), t.PrintColumnWidth(c, bytes));
    }

    r->Channel(2).Visible = false;
    t.BuildColumns();
    EXPECT_EQ(t.ColumnCount, 6);
    t.SetAllColumns(true); // hidden channels and every min/max column
    EXPECT_EQ(t.ColumnCount, 2 + 3 * 3);

    auto plain = MakeRecording(2, 5);
    plain->ShowTableMinMax = 1;
    t.SetRecording(plain.get());
    t.SetAllColumns(true);
    EXPECT_EQ(t.ColumnCount, 3); // no min/max data, no min/max columns
}

TEST(TableView, CellsAreUnshiftedStoredValuesAndRowsFollowTheWindow)
{
    auto r = MakeRecording(2, 1000);
    r->Channel(0).TimeShift = 5;
    r->TimeShiftActive = true;
    r->Time->SetRange(500, 600);
    TTableView t;
    t.SetRecording(r.get());
    EXPECT_EQ(t.FirstRow, r->Time->FirstIndex);
    EXPECT_EQ(t.LastRow, r->Time->LastIndex);
    t.UnshiftedAccess();
    EXPECT_EQ(t.CellText(0, 1), RawToText(100, 2));
    EXPECT_EQ(t.CellText(999, 2), RawToText(200 + 999, 2));
    EXPECT_EQ(t.CellText(1000, 1), "");
    EXPECT_EQ(t.CellText(-1, 1), "");
    EXPECT_EQ(t.CellText(3, 9), "");
    EXPECT_EQ(t.CellText(7, 0), r->Time->IndexToText(7));
    r->Channel(1).Values[4] = NoValue;
    EXPECT_EQ(t.CellText(4, 2), "---");
}

TEST(TableView, FastCellTextEqualsValueText)
{
    auto r = MakeRecording(1, 4000);
    std::mt19937 rng(5);
    auto& ch = r->Channel(0);
    TTableView t;
    t.SetRecording(r.get());
    for (int d = 0; d <= 8; ++d) {
        ch.Decimals = d;
        for (int i = 0; i < 4000; ++i) {
            const std::int32_t v = i == 0   ? NoValue
                                   : i == 1 ? -2147483647
                                   : i == 2 ? 2147483647
                                            : static_cast<std::int32_t>(rng()) >> (rng() % 31);
            ch.Values[static_cast<std::size_t>(i)] = v;
            ASSERT_EQ(t.CellText(i, 1), RawToText(v, d)) << v << " d=" << d;
        }
    }
}

TEST(TableView, PageLayoutGroupsAndOversizeColumns)
{
    auto r = MakeRecording(6, 10);
    TTableView t;
    t.SetRecording(r.get());
    t.BuildPageLayout(100000, kChars);
    EXPECT_EQ(t.PageGroupCount, 1);
    EXPECT_EQ(t.PageGroupColumns, (std::vector<std::int32_t>{6}));

    const int time = t.PageColumnWidths[0], col = t.PageColumnWidths[1];
    t.BuildPageLayout(time + 2 * col, kChars);
    EXPECT_EQ(t.PageGroupColumns, (std::vector<std::int32_t>{2, 2, 2}));
    EXPECT_EQ(t.PageGroupOffsets[0], 0);

    // A page narrower than time + one column: every group still holds one
    // data column and no offset is negative.
    t.BuildPageLayout(time + col / 2, kChars);
    EXPECT_EQ(t.PageGroupCount, 6);
    for (int g = 0; g < t.PageGroupCount; ++g) {
        EXPECT_EQ(t.PageGroupColumns[static_cast<std::size_t>(g)], 1);
        EXPECT_GE(t.PageGroupOffsets[static_cast<std::size_t>(g)], 0);
    }
}

TEST(TableView, MarkedRowsAndHashFill)
{
    auto r = MakeRecording(1, 4, false, true);
    r->State->States[2] = 0x8001;
    TTableView t;
    t.SetRecording(r.get());
    EXPECT_TRUE(t.IsMarkedRow(2));
    EXPECT_FALSE(t.IsMarkedRow(1));
    EXPECT_FALSE(t.IsMarkedRow(4));
    EXPECT_EQ(TTableView::FitCellText("123456", 30, kChars), "####");
    EXPECT_EQ(TTableView::FitCellText("1234", 30, kChars), "1234");
    t.SetRecording(nullptr);
    EXPECT_FALSE(t.HasRecording());
    EXPECT_EQ(t.ColumnCount, 0);
}
