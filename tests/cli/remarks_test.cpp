// vro remarks: the remark editor, list and mouse edits run by the real vro
// on real files.
#include "cli_support.h"

#include "core/recording/recording.h"
#include "core/util/atomicfile.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>

namespace fs = std::filesystem;
using nlohmann::json;
using vro::test::RunVro;

namespace {

json Json(const vro::test::TRunResult& r)
{
    EXPECT_EQ(r.Status, 0) << r.Err;
    return json::parse(r.Out);
}

struct VroRemarks : ::testing::Test {
    std::string dir = vro::test::CliTempFolder();
    std::string in = dir + "/in.vxrf";
    std::string out = dir + "/out.vxrf";
    void SetUp() override
    {
        const auto r = RunVro({"generate", in, "--channels", "2", "--samples", "400"});
        ASSERT_EQ(r.Status, 0) << r.Err;
    }
    void TearDown() override { fs::remove_all(dir); }
    json Listed(const std::string& file)
    {
        return Json(RunVro({"remarks", "list", file, "--extent", "400,100", "--json"}))["Remarks"];
    }
};

} // namespace

TEST_F(VroRemarks, AddListMoveEditDelete)
{
    auto empty = Json(RunVro({"remarks", "list", in, "--json"}));
    EXPECT_EQ(empty["RemarkCount"], 0);

    // A new remark at the plot centre: anchored to channel 0 with "%T: %V".
    auto r = RunVro({"remarks", "add", in, out, "--extent", "400,100", "--json"});
    auto stored = Json(r);
    EXPECT_EQ(stored["Index"], 0);
    EXPECT_EQ(stored["RemarkId"], 1);
    EXPECT_TRUE(stored["IsAnchored"]);
    EXPECT_EQ(stored["AnchorChannel"], 0);
    EXPECT_EQ(stored["Comment"], "%T: %V");
    EXPECT_EQ(stored["BoxWidth"], 100);
    EXPECT_EQ(stored["FontSize"], 8);
    EXPECT_EQ(stored["XPosition"], 0); // the box at the clicked point, level with...
    EXPECT_FALSE(fs::exists(dir + "/in.vxrf.tmp"));

    r = RunVro({"remarks", "add", out, "--at", "100,20", "--extent", "400,100", "--no-anchor", "--text", "two\nlines",
                "--size", "14", "--bold", "--italic", "--underline", "--color", "0xFF"});
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Out, "1 2\n");

    auto info = Json(RunVro({"info", out, "--json"}));
    EXPECT_EQ(info["LastRemarkId"], 2);
    ASSERT_EQ(info["Remarks"].size(), 2u);
    const auto& free = info["Remarks"][1];
    EXPECT_EQ(free["Comment"], "two\r\nlines");
    EXPECT_EQ(free["FontColor"], 255);
    EXPECT_EQ(free["FontSize"], 14);
    EXPECT_TRUE(free["IsBold"] && free["IsItalic"] && free["IsUnderlined"]);
    EXPECT_EQ(free["XPosition"], 250);
    EXPECT_EQ(free["YPosition"], 800);
    EXPECT_EQ(free.size(), 15u);

    auto rows = Listed(out);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_TRUE(rows[0]["Drawn"]);
    EXPECT_EQ(rows[0]["px"], 200);
    EXPECT_EQ(rows[0]["px"], rows[0]["ax"]);
    EXPECT_EQ(rows[0]["Anchor"], info["Channels"][0]["CustomName"]); // the channel's name
    EXPECT_EQ(rows[0]["Text"].get<std::string>().find("%"), std::string::npos);
    EXPECT_EQ(rows[1]["px"], 100);
    EXPECT_EQ(rows[1]["py"], 20);
    EXPECT_EQ(rows[1]["Position"], "25 %");
    EXPECT_EQ(rows[1]["Anchor"], "-");

    ASSERT_EQ(RunVro({"remarks", "move", out, "1", "--to", "300,60", "--extent", "400,100"}).Status, 0);
    rows = Listed(out);
    EXPECT_EQ(rows[1]["px"], 300);
    EXPECT_EQ(rows[1]["py"], 60);

    // Edited from the list: the position stays, the text changes.
    ASSERT_EQ(RunVro({"remarks", "edit", out, "1", "--text", "edited", "--no-bold", "--hidden"}).Status, 0);
    info = Json(RunVro({"info", out, "--json"}));
    EXPECT_EQ(info["Remarks"][1]["Comment"], "edited");
    EXPECT_FALSE(info["Remarks"][1]["IsBold"]);
    EXPECT_FALSE(info["Remarks"][1]["Visible"]);
    EXPECT_EQ(info["Remarks"][1]["XPosition"], 750);
    EXPECT_FALSE(Listed(out)[1]["Drawn"]);

    ASSERT_EQ(RunVro({"remarks", "delete", out, "0"}).Status, 0);
    info = Json(RunVro({"info", out, "--json"}));
    ASSERT_EQ(info["Remarks"].size(), 1u);
    EXPECT_EQ(info["Remarks"][0]["RemarkId"], 2);
}

TEST_F(VroRemarks, RefusalsWriteNothing)
{
    const std::string before = vro::ReadWholeFile(in);
    auto r = RunVro({"remarks", "add", in, out, "--size", "5"});
    EXPECT_EQ(r.Status, 1);
    EXPECT_EQ(r.Err, "257: Font size smaller than 6:\nEnter a larger font size.\n");
    EXPECT_FALSE(fs::exists(out));
    r = RunVro({"remarks", "add", in, "--no-anchor", "--text", "  "});
    EXPECT_EQ(r.Status, 1);
    EXPECT_EQ(r.Err.rfind("255: ", 0), 0u) << r.Err;
    EXPECT_EQ(vro::ReadWholeFile(in), before);

    EXPECT_EQ(RunVro({"remarks", "add", in, out, "--anchor", "7"}).Status, 2);
    EXPECT_EQ(RunVro({"remarks", "add", in, out, "--text", "\xFF\xFE"}).Status, 2);
    EXPECT_EQ(RunVro({"remarks", "edit", in, "0"}).Status, 2); // no such remark

    ASSERT_EQ(RunVro({"remarks", "add", in, out, "--extent", "400,100"}).Status, 0);
    const std::string saved = vro::ReadWholeFile(out);
    r = RunVro({"remarks", "reanchor", out, "0", "--to-x", "500", "--extent", "400,100"});
    EXPECT_EQ(r.Status, 1);
    EXPECT_NE(r.Err.find("no valid anchor target"), std::string::npos) << r.Err;
    r = RunVro({"remarks", "move", out, "0", "--to", "-3,10", "--extent", "400,100"});
    EXPECT_EQ(r.Status, 1);
    EXPECT_EQ(vro::ReadWholeFile(out), saved);

    // A hundred remarks are the most a recording holds.
    vro::TRecording rec;
    rec.LoadFromFile(out);
    rec.Remarks.resize(100);
    rec.FileName = out;
    rec.NameConfirmed = true;
    rec.SaveToFile();
    r = RunVro({"remarks", "add", out, "--no-anchor", "--text", "one more"});
    EXPECT_EQ(r.Status, 1);
    EXPECT_EQ(r.Err, "261: A recording holds at most 100 remarks.\n");
}

TEST_F(VroRemarks, ReanchorMovesTheAnchorAndKeepsTheBox)
{
    ASSERT_EQ(RunVro({"remarks", "add", in, out, "--extent", "400,100", "--at", "200,50"}).Status, 0);
    const auto before = Listed(out)[0];
    // Some x near the start where the curve lies inside the plot.
    int done = -1;
    for (int x = 10; x < 390 && done < 0; x += 10)
        if (RunVro({"remarks", "reanchor", out, "0", "--to-x", std::to_string(x), "--extent", "400,100"}).Status == 0)
            done = x;
    ASSERT_GE(done, 0);
    const auto after = Listed(out)[0];
    EXPECT_NE(after["ax"], before["ax"]);
    EXPECT_NEAR(after["px"].get<int>(), before["px"].get<int>(), 1);
    EXPECT_NEAR(after["py"].get<int>(), before["py"].get<int>(), 1);
}
