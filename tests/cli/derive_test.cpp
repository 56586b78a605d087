// The verbs that derive channels and export: run the real vro on real files.
#include "cli_support.h"

#include "core/recording/recording.h"
#include "core/util/atomicfile.h"

#include <gtest/gtest.h>

#include <regex>

#include <filesystem>

namespace fs = std::filesystem;
using vro::test::RunVro;

namespace {
std::string Generated(const std::string& dir, int channels, int samples)
{
    const std::string f = dir + "/in.vxrf";
    const auto r =
        RunVro({"generate", f, "--channels", std::to_string(channels), "--samples", std::to_string(samples)});
    EXPECT_EQ(r.Status, 0) << r.Err;
    return f;
}
} // namespace

TEST(VroDerive, CalcAndFilterAddChannels)
{
    const std::string dir = vro::test::CliTempFolder();
    const std::string in = Generated(dir, 2, 300);
    auto r = RunVro({"calc", in, dir + "/calc.vxrf", "--formula", "(s1 + s2) / 2", "--unit", "bar", "--name", "Mean"});
    ASSERT_EQ(r.Status, 0) << r.Err;
    r = RunVro({"filter", dir + "/calc.vxrf", dir + "/filt.vxrf", "--channel", "2", "--width", "20"});
    ASSERT_EQ(r.Status, 0) << r.Err;
    vro::TRecording rec;
    rec.LoadFromFile(dir + "/filt.vxrf");
    ASSERT_EQ(rec.ChannelCount, 4);
    EXPECT_EQ(rec.Channel(2).CustomName, "Mean");
    EXPECT_EQ(rec.Channel(2).MeasureUnit, "bar");
    EXPECT_TRUE(rec.Channel(3).NoOriginalSensor);
    EXPECT_EQ(rec.Channel(3).Values.back(), vro::NoValue); // the last filtered sample has no value

    // The formula's own message, non-zero status, no output file.
    r = RunVro({"calc", in, dir + "/bad.vxrf", "--formula", "s1+"});
    EXPECT_NE(r.Status, 0);
    EXPECT_NE(r.Err.find("invalid variable or function"), std::string::npos) << r.Err;
    EXPECT_FALSE(fs::exists(dir + "/bad.vxrf"));
    r = RunVro({"filter", in, dir + "/f.vxrf", "--channel", "7", "--width", "5"});
    EXPECT_EQ(r.Status, 2);
    fs::remove_all(dir);
}

TEST(VroExport, TextAndTdm)
{
    const std::string dir = vro::test::CliTempFolder();
    const std::string in = Generated(dir, 2, 10);
    auto r = RunVro({"export", in, dir + "/out.txt", "--set", "FormatSelection=0", "--set", "MeasurementUnit=1"});
    ASSERT_EQ(r.Status, 0) << r.Err;
    const std::string text = vro::ReadWholeFile(dir + "/out.txt");
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 12); // titles, units, ten samples
    EXPECT_NE(text.find('\t'), std::string::npos);

    r = RunVro({"export", in, dir + "/Test.txt", "--set", "FormatSelection=3", "--json"});
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_TRUE(fs::exists(dir + "/Test.tdm"));
    EXPECT_EQ(fs::file_size(dir + "/Test.tdx"), 3u * 10 * 8);
    EXPECT_NE(r.Out.find("Test.tdx"), std::string::npos);

    r = RunVro({"export", in, dir + "/x.txt", "--set", "Delimiter=abc"});
    EXPECT_EQ(r.Status, 2);
    r = RunVro({"export", dir + "/missing.vxrf", dir + "/x.txt"});
    EXPECT_EQ(r.Status, 1);
    fs::remove_all(dir);
}

TEST(VroExport, DefaultFormatWritesTabsAndAGivenDelimiterStays)
{
    const std::string dir = vro::test::CliTempFolder();
    const std::string in = Generated(dir, 2, 3);
    // No settings: the first format, text separated by tabs, with tabs.
    auto r = RunVro({"export", in, dir + "/plain.txt"});
    ASSERT_EQ(r.Status, 0) << r.Err;
    std::string text = vro::ReadWholeFile(dir + "/plain.txt");
    const std::string first = text.substr(0, text.find('\r'));
    EXPECT_EQ(std::count(first.begin(), first.end(), '\t'), 2) << first;
    EXPECT_EQ(first.find(' '), std::string::npos) << first;
    // A delimiter given stays, whatever the format presets.
    r = RunVro({"export", in, dir + "/semi.txt", "--set", "Delimiter=59"});
    ASSERT_EQ(r.Status, 0) << r.Err;
    text = vro::ReadWholeFile(dir + "/semi.txt");
    EXPECT_EQ(text.find('\t'), std::string::npos);
    EXPECT_NE(text.find(';'), std::string::npos);
    fs::remove_all(dir);
}

// RunVro runs vro under LC_ALL=C.UTF-8: the text export writes decimal
// points, not the German comma.
TEST(VroExport, DecimalPointUnderTheCLocale)
{
    const std::string dir = vro::test::CliTempFolder();
    const std::string in = Generated(dir, 2, 10);
    auto r = RunVro({"export", in, dir + "/c.txt"});
    ASSERT_EQ(r.Status, 0) << r.Err;
    const std::string text = vro::ReadWholeFile(dir + "/c.txt");
    EXPECT_TRUE(std::regex_search(text, std::regex("[0-9]\\.[0-9]"))) << text;
    EXPECT_FALSE(std::regex_search(text, std::regex("[0-9],[0-9]"))) << text;
    fs::remove_all(dir);
}

TEST(VroTexts, LanguagesAndJson)
{
    auto r = RunVro({"texts", "621"});
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Out, "621\tNo connection exists\n");
    r = RunVro({"texts", "--language", "de", "--json", "128", "621"});
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_NE(r.Out.find("\"621\""), std::string::npos);
    EXPECT_EQ(RunVro({"texts", "--language", "it"}).Status, 2);
}

TEST(VroTemplate, HostileNamesStayInTheFolder)
{
    auto r = RunVro({"template", "%n_%d", "--name", "../etc/passwd", "--number", "7"});
    ASSERT_EQ(r.Status, 0) << r.Err;
    EXPECT_EQ(r.Out.find('/'), std::string::npos) << r.Out;
}
