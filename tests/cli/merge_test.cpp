#include "cli_support.h"

#include "core/recording/recording.h"
#include "core/values/vro8utils.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <fstream>

using namespace vro;
using vro::test::CliTempFolder;
using vro::test::RunVro;

TEST(VroGenerate, TypesStartStepTriggerAndInfoLines)
{
    const std::string dir = CliTempFolder();
    auto g = RunVro({"generate",        dir + "/t2.vxrf",
                     "--type",          "2",
                     "--samples",       "20",
                     "--channels",      "2",
                     "--start",         "2025-01-02T03:04:05",
                     "--step",          "3",
                     "--info",          "@Site",
                     "--info",          "Place|Hall 4|x",
                     "--sensor-id",     "S-17",
                     "--trigger-state", "5",
                     "--trigger-time",  "2025-01-02T03:04:35"});
    ASSERT_EQ(g.Status, 0) << g.Err;
    TRecording r;
    r.LoadFromFile(dir + "/t2.vxrf");
    EXPECT_EQ(r.RecordingType, 2);
    EXPECT_TRUE(r.HasTimeStamps && r.HasMinMaxValues && r.HasStates);
    EXPECT_EQ(r.SensorId, "S-17");
    EXPECT_EQ(r.InfoStrings, (std::vector<std::string>{"@Site", "Place|Hall 4|x"}));
    EXPECT_EQ(r.TriggerState, 5);
    EXPECT_EQ(DateTimeToStamp(r.TriggerTime) - DateTimeToStamp(r.StartTime), 30);
    EXPECT_EQ(r.Time->TimeStamps[1] - r.Time->TimeStamps[0], 3);
    EXPECT_EQ(r.Time->TimeStamps[0], DateTimeToStamp(r.StartTime));

    g = RunVro({"generate", dir + "/t1.vxrf", "--type", "1", "--samples", "11"});
    ASSERT_EQ(g.Status, 0) << g.Err;
    TRecording t1;
    t1.LoadFromFile(dir + "/t1.vxrf");
    EXPECT_EQ(t1.PreTriggerCount, 5);
    EXPECT_EQ(DateTimeToStamp(t1.TriggerTime), static_cast<std::int32_t>(4294967295u));

    EXPECT_EQ(RunVro({"generate", dir + "/x.vxrf", "--type", "4"}).Status, 2);
    EXPECT_EQ(RunVro({"generate", dir + "/x.vxrf", "--start", "2025-01-02 03:04:05"}).Status, 2);
}

TEST(VroMerge, ListFolderPartialAndMessages)
{
    const std::string dir = CliTempFolder();
    const std::string in = dir + "/in";
    std::filesystem::create_directories(in);
    auto gen = [&](const std::string& name, const std::string& start, const std::string& channels) {
        auto g = RunVro(
            {"generate", in + "/" + name, "--timestamps", "--samples", "10", "--channels", channels, "--start", start});
        ASSERT_EQ(g.Status, 0) << g.Err;
    };
    gen("b.vxrf", "2024-03-01T09:00:00", "2");
    gen("a.vxrf", "2024-03-01T08:00:00", "2");

    // Folder mode takes the files by name; the later file becomes a block behind.
    auto m = RunVro({"merge", "--folder", in, dir + "/all.vxrf", "--json"});
    ASSERT_EQ(m.Status, 0) << m.Err;
    auto j = nlohmann::json::parse(m.Out);
    EXPECT_EQ(j["Code"], 0);
    EXPECT_EQ(j["MergedNames"], (std::vector<std::string>{"a.vxrf", "b.vxrf"}));
    EXPECT_EQ(j["RecordCount"], 20);
    EXPECT_EQ(j["Saved"], true);
    EXPECT_EQ(j["FailedFileName"], "");
    EXPECT_NE(m.Err.find("successfully merged"), std::string::npos);
    TRecording all;
    all.LoadFromFile(dir + "/all.vxrf");
    EXPECT_EQ(all.RecordCount, 20);
    EXPECT_LT(all.Time->TimeStamps[9], all.Time->TimeStamps[10]);

    // A third file with another channel count: code 2, nothing written without --partial.
    gen("c.vxrf", "2024-03-01T10:00:00", "3");
    m = RunVro({"merge", in + "/a.vxrf", in + "/c.vxrf", in + "/b.vxrf", dir + "/part.vxrf", "--language", "de"});
    EXPECT_EQ(m.Status, 1);
    EXPECT_NE(m.Err.find("c.vxrf"), std::string::npos) << m.Err;
    EXPECT_FALSE(std::filesystem::exists(dir + "/part.vxrf"));
    m = RunVro({"merge", in + "/a.vxrf", in + "/c.vxrf", dir + "/part.vxrf", "--partial", "--json"});
    EXPECT_EQ(m.Status, 1);
    j = nlohmann::json::parse(m.Out);
    EXPECT_EQ(j["Code"], 2);
    EXPECT_EQ(j["FailedFileName"], "c.vxrf");
    EXPECT_EQ(j["Saved"], true);
    TRecording part;
    part.LoadFromFile(dir + "/part.vxrf");
    EXPECT_EQ(part.RecordCount, 10);

    // Folder faults are errors that never write.
    m = RunVro({"merge", "--folder", dir + "/none", dir + "/x.vxrf", "--partial"});
    EXPECT_EQ(m.Status, 1);
    EXPECT_EQ(m.Err, "Directory " + dir + "/none does not exist\n");
    std::filesystem::create_directories(dir + "/empty");
    m = RunVro({"merge", "--folder", dir + "/empty", dir + "/x.vxrf", "--language", "fr", "--json"});
    EXPECT_EQ(m.Status, 1);
    EXPECT_EQ(nlohmann::json::parse(m.Out)["Code"], 7);
    EXPECT_FALSE(std::filesystem::exists(dir + "/x.vxrf"));

    EXPECT_EQ(RunVro({"merge", dir + "/x.vxrf"}).Status, 2);
    EXPECT_EQ(RunVro({"merge", "--folder", in, in + "/a.vxrf", dir + "/x.vxrf"}).Status, 2);
}

TEST(VroProperties, SheetAsTextAndJson)
{
    const std::string dir = CliTempFolder();
    const std::string file = dir + "/t1.vxrf";
    ASSERT_EQ(RunVro({"generate", file, "--type", "1", "--samples", "10", "--channels", "1", "--trigger-state", "5",
                      "--info", "@Site", "--info", "Serial|1234|x"})
                  .Status,
              0);
    auto p = RunVro({"properties", file});
    ASSERT_EQ(p.Status, 0) << p.Err;
    EXPECT_EQ(p.Out.substr(0, 8), "General\n");
    EXPECT_NE(p.Out.find("Trigger event \tTrigger1, Trigger3\n"), std::string::npos) << p.Out;
    EXPECT_NE(p.Out.find("Triggered on:\t-\n"), std::string::npos) << p.Out;
    EXPECT_NE(p.Out.find("\nSite\nSerial\t1234\n"), std::string::npos) << p.Out;
    EXPECT_NE(p.Out.find("Started on\t2024-03-01 08:00:00"), std::string::npos) << p.Out;

    p = RunVro({"properties", file, "--json", "--language", "de"});
    ASSERT_EQ(p.Status, 0) << p.Err;
    const auto j = nlohmann::json::parse(p.Out);
    EXPECT_EQ(j["TopLabel"], file);
    EXPECT_EQ(j["Sheet"][0]["Heading"], "Allgemein");
    EXPECT_EQ(j["Sheet"][0]["Top"], 15);
    EXPECT_EQ(j["Sheet"][1]["Top"], 33);
    EXPECT_EQ(j["Sheet"][2]["Top"], 54);
    EXPECT_GT(j["Height"].get<int>(), 54);
    EXPECT_EQ(RunVro({"properties", dir + "/none.vxrf"}).Status, 1);
}

TEST(VroOptions, RunsOkOnAnExistingConfiguration)
{
    const std::string dir = CliTempFolder();
    const std::string config = dir + "/c.vxacf";
    // Never a new configuration: a first run stays a first run.
    auto o = RunVro({"options", "--config", config, "--language", "Deutsch"});
    EXPECT_EQ(o.Status, 1);
    EXPECT_FALSE(std::filesystem::exists(config));
    {
        std::ofstream(config) << "Automatic generated file! Do not modify\r\n\r\n<?xml version=\"1.0\"?>\r\n"
                                 "<VxApplicationConfig><Globals Language=\"en\" FirstRun=\"0\"/></VxApplicationConfig>";
    }
    o = RunVro({"options", "--config", config});
    ASSERT_EQ(o.Status, 0) << o.Err;
    EXPECT_EQ(o.Out, "Language\tEnglish\nWorking folder\t\n");

    const std::string work = dir + "/work";
    o = RunVro({"options", "--config", config, "--language", "Francaise", "--working-folder", work, "--json"});
    ASSERT_EQ(o.Status, 0) << o.Err;
    auto j = nlohmann::json::parse(o.Out);
    EXPECT_EQ(j["Result"], "cancelled");
    EXPECT_EQ(j["Language"], "fr");
    EXPECT_EQ(j["WorkingDirectory"], "");
    EXPECT_FALSE(std::filesystem::exists(work));

    o = RunVro({"options", "--config", config, "--working-folder", work, "--create", "yes", "--json"});
    ASSERT_EQ(o.Status, 0) << o.Err;
    j = nlohmann::json::parse(o.Out);
    EXPECT_EQ(j["Result"], "ok");
    EXPECT_EQ(j["LanguageName"], "Francaise");
    EXPECT_EQ(j["WorkingDirectory"], work);
    EXPECT_TRUE(std::filesystem::is_directory(work));
    o = RunVro({"options", "--config", config, "--json"});
    EXPECT_EQ(nlohmann::json::parse(o.Out)["WorkingDirectory"], work);

    // Below a plain file: text 5 (in the configured French) and status 1.
    std::ofstream(dir + "/plain") << "x";
    o = RunVro({"options", "--config", config, "--working-folder", dir + "/plain/sub", "--create", "yes"});
    EXPECT_EQ(o.Status, 1);
    EXPECT_NE(o.Err.find(dir + "/plain/sub"), std::string::npos) << o.Err;
    EXPECT_EQ(RunVro({"options", "--config", config, "--create", "maybe"}).Status, 2);
}
