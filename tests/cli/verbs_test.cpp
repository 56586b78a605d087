#include "cli_support.h"

#include "core/legacy/legacybuilder.h"
#include "core/recording/recording.h"
#include "core/text/texts.h"
#include "core/util/atomicfile.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cctype>
#include <set>

using namespace vro;
using vro::test::CliTempFolder;
using vro::test::RunVro;

namespace {

std::set<std::string> Keys(const nlohmann::json& j)
{
    std::set<std::string> k;
    for (auto it = j.begin(); it != j.end(); ++it)
        k.insert(it.key());
    return k;
}

const std::set<std::string> kRecordingKeys = {"RecordingSource",
                                              "RecordingType",
                                              "ChannelCount",
                                              "RecordCount",
                                              "HasMinMaxValues",
                                              "HasStates",
                                              "HasTimeStamps",
                                              "HasSubTimes",
                                              "PreTriggerCount",
                                              "SampleRate",
                                              "StartTime",
                                              "StopTime",
                                              "TriggerState",
                                              "TriggerTime",
                                              "DeviceRecordingName",
                                              "DeviceRecordingNumber",
                                              "Comment",
                                              "Description",
                                              "SensorId",
                                              "InfoStrings",
                                              "LeftYAxis",
                                              "RightYAxis",
                                              "XAxisIndex",
                                              "ShowTableMinMax",
                                              "RemarkCount",
                                              "Remarks",
                                              "LastRemarkId",
                                              "SnapshotCount",
                                              "LoRange",
                                              "HiRange",
                                              "Channels"};

const std::set<std::string> kChannelKeys = {
    "DeviceName",    "CustomName",     "MeasureUnit",    "Decimals",    "Has32BitSize", "DeviceLoRange",
    "DeviceHiRange", "CurrentLoRange", "CurrentHiRange", "FullLoRange", "FullHiRange",  "ColorIndex",
    "Style",         "Visible",        "ShowMinMax",     "TimeShift",   "Comment"};

std::string Reference(const std::string& name) { return std::string(VRO_TEST_DATA) + "/recordings/" + name; }

} // namespace

TEST(VroGenerate, WritesARecordingThatInfoDescribes)
{
    const std::string dir = CliTempFolder();
    const std::string file = dir + "/demo.vxrf";
    auto g = RunVro({"generate", file, "--channels", "5", "--samples", "300", "--minmax", "--timestamps"});
    ASSERT_EQ(g.Status, 0) << g.Err;
    TRecording r;
    r.LoadFromFile(file);
    EXPECT_EQ(r.ChannelCount, 5);
    EXPECT_EQ(r.RecordCount, 300);
    EXPECT_TRUE(r.HasMinMaxValues);
    EXPECT_TRUE(r.HasTimeStamps);
    for (int c = 0; c < 5; ++c) {
        const auto& ch = r.Channel(c);
        EXPECT_FALSE(ch.MeasureUnit.empty());
        for (std::size_t k = 0; k < 300; ++k) {
            EXPECT_LE(ch.MinValues[k], ch.Values[k]);
            EXPECT_GE(ch.MaxValues[k], ch.Values[k]);
            EXPECT_GE(ch.Values[k], ch.FullLoRange);
            EXPECT_LE(ch.Values[k], ch.FullHiRange);
        }
    }
    for (std::size_t k = 1; k < 300; ++k)
        EXPECT_EQ(r.Time->TimeStamps[k], r.Time->TimeStamps[k - 1] + 1);

    auto info = RunVro({"info", file});
    ASSERT_EQ(info.Status, 0) << info.Err;
    EXPECT_NE(info.Out.find("Record count:    300"), std::string::npos) << info.Out;
    EXPECT_NE(info.Out.find("Pressure"), std::string::npos);

    auto wide = RunVro({"generate", dir + "/wide.vxrf", "--32bit", "--channels", "32", "--samples", "10"});
    ASSERT_EQ(wide.Status, 0) << wide.Err;
    TRecording w;
    w.LoadFromFile(dir + "/wide.vxrf");
    EXPECT_EQ(w.ChannelCount, 32);
    EXPECT_TRUE(w.Channel(31).Has32BitSize);
    EXPECT_EQ(w.GetVersion(), "VROWIN_V02_E02");
}

TEST(VroInfo, JsonCarriesExactlyTheModelsFieldNames)
{
    auto info = RunVro({"info", Reference("full.vxrf"), "--json"});
    ASSERT_EQ(info.Status, 0) << info.Err;
    const auto j = nlohmann::json::parse(info.Out);
    EXPECT_EQ(Keys(j), kRecordingKeys);
    ASSERT_EQ(j["Channels"].size(), 2u);
    EXPECT_EQ(Keys(j["Channels"][0]), kChannelKeys);
    EXPECT_EQ(j["RemarkCount"], 1);
    ASSERT_EQ(j["Remarks"].size(), 1u);
    EXPECT_EQ(j["Remarks"][0].size(), 15u); // the stored fields of a remark
    EXPECT_EQ(j["LastRemarkId"], j["Remarks"][0]["RemarkId"]);
    EXPECT_EQ(j["SnapshotCount"], 1);
    EXPECT_EQ(j["InfoStrings"], nlohmann::json::array({"Line|1"}));
    EXPECT_TRUE(j["StartTime"].is_number());

    auto values = RunVro({"info", Reference("full.vxrf"), "--json", "--values"});
    ASSERT_EQ(values.Status, 0) << values.Err;
    const auto v = nlohmann::json::parse(values.Out);
    auto expected = kRecordingKeys;
    expected.insert({"TimeStamps", "States", "SubTimes"});
    EXPECT_EQ(Keys(v), expected);
    EXPECT_EQ(v["Channels"][0]["Values"], nlohmann::json::array({1, -2, -2147483648LL}));
    EXPECT_EQ(v["Channels"][1]["MinValues"], nlohmann::json::array({99, -2147483648LL, 6}));
    EXPECT_EQ(v["SubTimes"], nlohmann::json::array({0, 5000, 9999}));
    EXPECT_EQ(v["States"], nlohmann::json::array({1, 0, 65535}));

    auto plain = RunVro({"info", Reference("plain16.vxrf"), "--json", "--values"});
    const auto p = nlohmann::json::parse(plain.Out);
    EXPECT_FALSE(p.contains("TimeStamps"));
    EXPECT_FALSE(p["Channels"][0].contains("MinValues"));
    EXPECT_EQ(p["Channels"][1]["MeasureUnit"], "\xC2\xB0"
                                               "C");
}

TEST(VroConvert, UnchangedFilesComeOutByteForByte)
{
    const std::string dir = CliTempFolder();
    for (const std::string name : {"plain16.vxrf", "full.vxrf"}) {
        auto c = RunVro({"convert", Reference(name), dir + "/" + name});
        ASSERT_EQ(c.Status, 0) << c.Err;
        EXPECT_EQ(ReadWholeFile(dir + "/" + name), ReadWholeFile(Reference(name))) << name;
    }
    auto bad = RunVro({"convert", Reference("full.vxrf"), dir + "/out.txt"});
    EXPECT_EQ(bad.Status, 2);
    EXPECT_NE(bad.Err.find("unsupported output format"), std::string::npos);
}

TEST(VroErrors, SystemMessagesOnStandardError)
{
    const std::string dir = CliTempFolder();
    const std::string good = ReadWholeFile(Reference("plain16.vxrf"));
    auto write = [&](const std::string& name, std::string bytes) {
        WriteFileAtomically(dir + "/" + name, bytes);
        return dir + "/" + name;
    };
    auto replace = [](std::string s, const std::string& from, const std::string& to) {
        return s.replace(s.find(from), from.size(), to);
    };
    struct TCase {
        std::string file, message;
    } cases[] = {
        {write("zero.vxrf", replace(good, "RecordCount=\"5\"", "RecordCount=\"0\"")), "Illegal RecordSize 0"},
        {write("text.vxrf", "just some text\n"), "Unknown File"},
        {write("version.vxrf", replace(good, "VROWIN_V02_E01", "VROWIN_V07_E01")), text(12)},
        {write("wide.vxrf", replace(good, "ChannelCount=\"2\"", "ChannelCount=\"40\"")), "Illegal ChannelCount 40"},
    };
    for (const auto& c : cases) {
        for (const auto& verb : {"info", "convert"}) {
            std::vector<std::string> words = {verb, c.file};
            if (std::string(verb) == "convert")
                words.push_back(dir + "/out.vxrf");
            auto r = RunVro(words);
            EXPECT_NE(r.Status, 0) << c.file;
            EXPECT_NE(r.Err.find(c.message), std::string::npos) << r.Err;
            EXPECT_TRUE(r.Out.empty());
        }
    }
    EXPECT_FALSE(std::filesystem::exists(dir + "/out.vxrf"));
    auto missing = RunVro({"info"});
    EXPECT_EQ(missing.Status, 2);
    auto option = RunVro({"generate", dir + "/x.vxrf", "--channels", "33"});
    EXPECT_EQ(option.Status, 2);
    EXPECT_FALSE(std::filesystem::exists(dir + "/x.vxrf"));
}

// Every verb that opens a recording opens a legacy file as well, whichever
// verb ran first in the process.
TEST(VroLegacyFiles, InfoConvertAndImportOpenThem)
{
    const std::string dir = CliTempFolder();
    constexpr std::int32_t k2000 = 252460800;
    test::TLegacyBuilder b(2);
    b.U8(80, 0);
    b.I32(81, k2000 + 3600);
    b.I32(85, k2000 + 3630);
    b.I32(89, 9);
    b.Str(93, "Log");
    b.U16(109, 3);
    b.Input(1, -100, 100, 1, "bar", 2, true, -50, 50);
    b.Samples({1, 2, 3});
    constexpr auto t0 = static_cast<std::uint32_t>(k2000 + 3600);
    b.Stamps({t0, t0 + 10, t0 + 30});
    b.States({0, 3, 6});
    const std::string old = dir + "/old.vro";
    WriteFileAtomically(old, std::string(b.bytes.begin(), b.bytes.end()));

    auto info = RunVro({"info", old, "--json"});
    ASSERT_EQ(info.Status, 0) << info.Err;
    const auto j = nlohmann::json::parse(info.Out);
    EXPECT_EQ(j["RecordingSource"], 2);
    EXPECT_EQ(j["RecordCount"], 3);
    EXPECT_EQ(j["DeviceRecordingName"], "Log");

    for (const std::string verb : {"convert", "import"}) {
        const std::string out = dir + "/" + verb + ".vxrf";
        auto c = RunVro({verb, old, out});
        ASSERT_EQ(c.Status, 0) << verb << ": " << c.Err;
        TRecording r;
        r.LoadFromFile(out);
        EXPECT_EQ(r.RecordCount, 3) << verb;
        EXPECT_EQ(r.DeviceRecordingNumber, 9) << verb;
    }
    auto guess = RunVro({"import", old, "--show-guess"});
    EXPECT_EQ(guess.Status, 0);
    EXPECT_NE(guess.Out.find("legacy recording file, variant 2"), std::string::npos) << guess.Out;

    // A damaged legacy file: the reason on standard error, nothing written.
    WriteFileAtomically(old, std::string(b.bytes.begin(), b.bytes.end() - 1));
    for (const std::string verb : {"convert", "import"}) {
        auto c = RunVro({verb, old, dir + "/bad.vxrf"});
        EXPECT_NE(c.Status, 0) << verb;
        EXPECT_NE(c.Err.find("CorruptedFile"), std::string::npos) << c.Err;
    }
    EXPECT_FALSE(std::filesystem::exists(dir + "/bad.vxrf"));
}

// `vro help` lists every verb of the table, each once, and every verb it
// lists is reachable: `vro VERB --help` prints that verb's own usage.
TEST(VroHelp, ListsEveryVerbAndEachAnswers)
{
    auto help = RunVro({"help"});
    ASSERT_EQ(help.Status, 0);
    std::vector<std::string> usages;
    std::size_t from = 0;
    while ((from = help.Out.find("\n  vro ", from)) != std::string::npos) {
        from += 7;
        usages.push_back(help.Out.substr(from, help.Out.find('\n', from) - from));
    }
    EXPECT_GE(usages.size(), 42u);
    std::set<std::string> seen;
    for (const std::string verb : {"info", "convert", "import", "simulate", "device online", "device record start",
                                   "device firmware update", "device edit", "texts"}) {
        bool listed = false;
        for (const auto& u : usages)
            listed = listed || u.rfind(verb + " ", 0) == 0 || u == verb;
        EXPECT_TRUE(listed) << verb;
    }
    for (const auto& u : usages) {
        EXPECT_TRUE(seen.insert(u).second) << u;
        // The verb's name is the usage's words before the first option or argument.
        std::vector<std::string> words;
        std::size_t s = 0;
        while (s < u.size()) {
            const std::size_t e = std::min(u.find(' ', s), u.size());
            const std::string w = u.substr(s, e - s);
            if (w.empty() || !std::islower(static_cast<unsigned char>(w[0])) ||
                w.find_first_of("|.") != std::string::npos)
                break;
            words.push_back(w);
            s = e + 1;
        }
        ASSERT_FALSE(words.empty()) << u;
        auto r = RunVro([&] {
            auto w = words;
            w.push_back("--help");
            return w;
        }());
        EXPECT_EQ(r.Status, 0) << u;
        EXPECT_EQ(r.Out.rfind("usage: vro " + u + "\n", 0), 0u) << r.Out;
    }
}
