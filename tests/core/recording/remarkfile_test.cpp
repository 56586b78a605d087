// Remarks through the recording file, field for field, and remark ids.
#include "recording_support.h"

#include <gtest/gtest.h>

#include <limits>

using namespace vro;
using namespace vro::test;

namespace {

TRemarkData Remark(std::int32_t id, std::string comment)
{
    TRemarkData m;
    m.RemarkId = id;
    m.Comment = std::move(comment);
    return m;
}

} // namespace

TEST(RemarkFile, EveryFieldComesBackAndSavesToTheSameBytes)
{
    auto r = MakeRecording({});
    r->Remarks.push_back(Remark(1, "two\r\nlines"));
    r->Remarks.push_back(Remark(2, "lone\nfeed"));
    r->Remarks.push_back(Remark(3, "& < > \" '"));
    // Umlauts and a character outside ISO-8859-1 (the euro sign, a CJK one).
    r->Remarks.push_back(Remark(4, "\xC3\xA4\xC3\xB6\xC3\xBC \xE2\x82\xAC \xE6\xB0\xB4"));
    TRemarkData& odd = r->Remarks.emplace_back(Remark(2147483647, "%T: %V"));
    odd.Visible = false;
    odd.XAxisIndex = 1;
    odd.XPosition = std::numeric_limits<std::int32_t>::min();
    odd.YPosition = std::numeric_limits<std::int32_t>::max();
    odd.FontColor = static_cast<std::int32_t>(0xFF123456u);
    odd.FontSize = 0;
    odd.IsBold = odd.IsItalic = odd.IsUnderlined = odd.IsAnchored = true;
    odd.AnchorIndex = -5;
    odd.AnchorChannel = 31;
    odd.BoxWidth = -3;
    r->Remarks[0].BoxRect = {1, 2, 3, 4}; // run-time only

    const std::string first = r->SaveToString();
    auto back = LoadBytes(first);
    ASSERT_EQ(back->Remarks.size(), r->Remarks.size());
    for (std::size_t i = 0; i < r->Remarks.size(); ++i)
        EXPECT_EQ(back->Remarks[i], r->Remarks[i]) << "remark " << i;
    EXPECT_EQ(back->Remarks[0].Comment, "two\r\nlines");
    EXPECT_EQ(back->Remarks[1].Comment, "lone\nfeed");
    EXPECT_EQ(back->Remarks[4].FontColor, static_cast<std::int32_t>(0xFF123456u));
    EXPECT_EQ(back->LastRemarkId, 2147483647);
    EXPECT_EQ(back->SaveToString(), first);
}

TEST(RemarkFile, AFileWithoutRemarkElementsHasNoRemarks)
{
    auto r = MakeRecording({});
    r->Remarks.push_back(Remark(7, "x"));
    std::string bytes = r->SaveToString();
    const auto a = bytes.find("<RemarkDataCount");
    const auto b = bytes.find("<RemarkData ", a + 1);
    const auto e = bytes.find("/>", b);
    ASSERT_NE(a, std::string::npos);
    ASSERT_NE(e, std::string::npos);
    // Remove both elements; the XML stays well formed.
    const auto lineStart = bytes.rfind('\n', a) + 1;
    bytes.erase(lineStart, e + 2 - lineStart);
    auto back = LoadBytes(bytes);
    EXPECT_TRUE(back->Remarks.empty());
    EXPECT_EQ(back->LastRemarkId, 0);
}

TEST(RemarkIds, CountOnUntilTheLargestThenTakeTheFirstGap)
{
    TRecording r;
    EXPECT_EQ(r.NewRemarkId(), 1);
    EXPECT_EQ(r.NewRemarkId(), 2);
    r.Remarks = {Remark(1, "a"), Remark(2, "b"), Remark(4, "c"), Remark(2147483647, "d")};
    r.LastRemarkId = 2147483647;
    EXPECT_EQ(r.NewRemarkId(), 3);
    r.Remarks.push_back(Remark(3, "e"));
    EXPECT_EQ(r.NewRemarkId(), 5);
    EXPECT_EQ(r.LastRemarkId, 2147483647);
}
