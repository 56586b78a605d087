// vro device edit and vro device record against vro simulate over a
// pseudo-terminal: views and refusals of the editors, the start checks, a
// remote run read out, a two-run series and a start refused while running.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "support/vroprocess.h"

#include <filesystem>
#include <string>

using vro::test::kVro;
using vro::test::RunVro;
using vro::test::TSimulateProcess;

namespace {

struct TSimRig {
    TSimulateProcess sim{{"--com-version", "4"}};
    std::string port = " --port " + sim.port;
    std::filesystem::path dir;
    TSimRig()
    {
        dir = std::filesystem::temp_directory_path() / ("vro-record-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
    }
    ~TSimRig() { std::filesystem::remove_all(dir); }
};

} // namespace

TEST(VroDeviceEdit, ViewsActionsAndRefusals)
{
    if (!std::filesystem::exists(kVro))
        GTEST_SKIP() << "the vro program is not built: " << kVro;
    TSimRig r;
    ASSERT_FALSE(r.sim.port.empty());
    auto [out, rc] = RunVro("device edit recording --json --set RecordingName=Line7 --set SampleRate=17" + r.port);
    ASSERT_EQ(rc, 0) << out;
    auto j = nlohmann::json::parse(out);
    EXPECT_EQ(j["RecordingName"], "Line7");
    EXPECT_EQ(j["SampleRate"], 17);
    // A refusal: JSON with the field and message, exit 1, nothing written.
    std::tie(out, rc) = RunVro("device edit recording --json --set RecordingName=' '" + r.port);
    EXPECT_EQ(rc, 1);
    j = nlohmann::json::parse(out);
    EXPECT_EQ(j["Ok"], false);
    EXPECT_EQ(j["Field"], "RecordingNameEdit");
    std::tie(out, rc) = RunVro("device edit recording --json" + r.port);
    EXPECT_EQ(nlohmann::json::parse(out)["RecordingName"], "Line7");
    // A list entry the list does not have is a usage fault.
    std::tie(out, rc) = RunVro("device edit base --set FlowUnit=3" + r.port);
    EXPECT_EQ(rc, 2);
    // The sensor list view and a box click.
    std::tie(out, rc) = RunVro("device edit sensor --json --channel F --active 1" + r.port);
    ASSERT_EQ(rc, 0);
    j = nlohmann::json::parse(out);
    EXPECT_EQ(j["Channels"][5]["ActiveState"], 1);
    EXPECT_EQ(j["Channels"].size(), 12u);
    // Manual range with two decimals: 300.01 refused.
    std::tie(out, rc) = RunVro("device edit sensor --json --channel A --set Mode=1 --set Decimals=2 "
                               "--set HiRange=300.01" +
                               r.port);
    EXPECT_EQ(rc, 1);
    EXPECT_EQ(nlohmann::json::parse(out)["Field"], "HiRangeEdit");
    // The trigger main view with its drawing; the CAN identifier.
    std::tie(out, rc) = RunVro("device edit trigger --json --combination 2" + r.port);
    ASSERT_EQ(rc, 0);
    j = nlohmann::json::parse(out);
    EXPECT_EQ(j["Combination"], 2);
    EXPECT_EQ(j["Drawing"]["Boxes"][0], (nlohmann::json{30, 15, 28, 62}));
    std::tie(out, rc) = RunVro("device edit can --json --message 1 --set MessageId=800" + r.port);
    EXPECT_EQ(rc, 1);
    EXPECT_EQ(nlohmann::json::parse(out)["Field"], "MessageIdEdit");
    std::tie(out, rc) = RunVro("device edit can --json --message 1 --set MessageId=7FF" + r.port);
    EXPECT_EQ(rc, 0);
    std::tie(out, rc) = RunVro("device edit can --json --message 1" + r.port);
    EXPECT_EQ(nlohmann::json::parse(out)["MessageId"], "7FF");
}

// Edits through `vro device edit` show in `vro device channels`: the
// simulated recorder's list follows the sensor block, with a smart sensor's
// sub-channels and the CAN bus's messages.
TEST(VroDeviceEdit, EditsShowInTheChannelList)
{
    if (!std::filesystem::exists(kVro))
        GTEST_SKIP() << "the vro program is not built: " << kVro;
    TSimulateProcess sim({"--com-version", "4", "--smart", "A:2", "--can-bus-input", "C"});
    ASSERT_FALSE(sim.port.empty());
    const std::string port = " --port " + sim.port;
    const auto inputs = [&] {
        auto [out, rc] = RunVro("device channels --json" + port);
        EXPECT_EQ(rc, 0);
        std::vector<std::pair<int, int>> list;
        const auto parsed = nlohmann::json::parse(out);
        for (const auto& c : parsed["Channels"])
            list.emplace_back(c["Input"].get<int>(), c["SubChannel"].get<int>());
        return list;
    };
    using P = std::vector<std::pair<int, int>>;
    EXPECT_EQ(inputs(), (P{{0, 1}, {0, 2}, {1, 0}, {2, 1}, {2, 2}, {3, 0}}));
    auto [out, rc] = RunVro("device edit sensor --json" + port);
    ASSERT_EQ(rc, 0);
    auto j = nlohmann::json::parse(out);
    EXPECT_EQ(j["Channels"][2]["Summary"], "CAN-Bus");
    EXPECT_EQ(j["Channels"][2]["Clickable"], 0);
    EXPECT_EQ(j["Channels"][0]["SubChannels"].size(), 2u);
    EXPECT_EQ(RunVro("device edit sensor --channel A --sub 2 --active 0" + port).second, 0);
    EXPECT_EQ(RunVro("device edit sensor --channel D --active 0" + port).second, 0);
    EXPECT_EQ(RunVro("device edit can --message 3 --active 1" + port).second, 0);
    EXPECT_EQ(inputs(), (P{{0, 1}, {1, 0}, {2, 1}, {2, 2}, {2, 3}}));
    // Usage faults of the simulator's options.
    EXPECT_NE(RunVro("simulate --smart E:1").second, 0);
    EXPECT_NE(RunVro("simulate --can-bus-input C").second, 0) << "the CAN bus needs layout 4";
}

TEST(VroDeviceRecord, ChecksRunsAndSeries)
{
    if (!std::filesystem::exists(kVro))
        GTEST_SKIP() << "the vro program is not built: " << kVro;
    TSimRig r;
    ASSERT_FALSE(r.sim.port.empty());
    auto [out, rc] = RunVro("device record check --json --save vro --rate 0.1ms --time 1s" + r.port);
    EXPECT_EQ(rc, 1);
    auto j = nlohmann::json::parse(out);
    EXPECT_EQ(j["Text"], 1171);
    EXPECT_EQ(j["Interval"], 1);
    std::tie(out, rc) = RunVro("device record check --json --save vro --rate 10ms" + r.port);
    EXPECT_EQ(rc, 1);
    EXPECT_EQ(nlohmann::json::parse(out)["Text"], 1172) << "no name";
    std::tie(out, rc) = RunVro("device record check --json --save pc" + r.port);
    EXPECT_EQ(rc, 0);
    EXPECT_EQ(nlohmann::json::parse(out)["Samples"], 600);
    // Usage: a rate the PC list does not offer, type 3 on the PC.
    EXPECT_EQ(RunVro("device record check --save pc --rate 0.1ms" + r.port).second, 2);
    EXPECT_EQ(RunVro("device record check --save pc --type 3" + r.port).second, 2);

    // One remote run read out.
    const std::string one = (r.dir / "one.vxrf").string();
    std::tie(out, rc) =
        RunVro("device record start --json --save vro --name Run --time 5s --rate 10ms --wait " + one + r.port);
    ASSERT_EQ(rc, 0) << out;
    ASSERT_TRUE(std::filesystem::exists(one));
    std::tie(out, rc) = RunVro("info --json " + one);
    ASSERT_EQ(rc, 0);
    j = nlohmann::json::parse(out);
    EXPECT_EQ(j["RecordCount"], 500) << "5 s at 10 ms";
    EXPECT_NE(out.find("\"Run"), std::string::npos) << "the recording block's name";

    // A series of two.
    const std::string base = (r.dir / "series.vxrf").string();
    std::tie(out, rc) = RunVro("device record start --json --save vro --type 1 --name S --automatic --series " + base +
                               " --runs 2" + r.port);
    ASSERT_EQ(rc, 0) << out;
    j = nlohmann::json::parse(out);
    ASSERT_EQ(j.size(), 2u);
    EXPECT_EQ(j[0]["Repeat"], 0);
    EXPECT_EQ(j[1]["Repeat"], 1);
    EXPECT_TRUE(std::filesystem::exists(r.dir / "series-001.vxrf"));
    EXPECT_TRUE(std::filesystem::exists(r.dir / "series-002.vxrf"));
    EXPECT_FALSE(std::filesystem::exists(r.dir / "series-003.vxrf"));

    // A start while one runs is refused with 1281; state and stop.
    TSimulateProcess slow({"--com-version", "4", "--remote-ms", "600000"});
    r.port = " --port " + slow.port;
    std::tie(out, rc) = RunVro("device record start --save vro --name A" + r.port);
    ASSERT_EQ(rc, 0);
    std::tie(out, rc) = RunVro("device record state --json" + r.port);
    EXPECT_EQ(nlohmann::json::parse(out)["State"], 0);
    std::tie(out, rc) = RunVro("device record start --save vro --name B" + r.port, true);
    EXPECT_EQ(rc, 1);
    EXPECT_NE(out.find("could not be started"), std::string::npos) << out;
    EXPECT_EQ(RunVro("device record stop" + r.port).second, 0);
}

// A type-2 remote run (event log) read out through the verb, and "Save to
// PC" handing the online run every choice the page hands the real-time frame.
TEST(VroDeviceRecord, EventLogRunAndSaveToPcWithThePageChoices)
{
    if (!std::filesystem::exists(kVro))
        GTEST_SKIP() << "the vro program is not built: " << kVro;
    TSimRig r;
    ASSERT_FALSE(r.sim.port.empty());
    const std::string events = (r.dir / "events.vxrf").string();
    auto [out, rc] =
        RunVro("device record start --save vro --type 2 --name Ev --time 2s --rate 100ms --wait " + events + r.port);
    ASSERT_EQ(rc, 0) << out;
    std::tie(out, rc) = RunVro("info --json " + events);
    ASSERT_EQ(rc, 0);
    auto j = nlohmann::json::parse(out);
    EXPECT_EQ(j["RecordingType"], 2);
    EXPECT_EQ(j["HasMinMaxValues"], true);
    EXPECT_EQ(j["HasStates"], true);
    EXPECT_EQ(j["HasTimeStamps"], true);
    EXPECT_EQ(j["RecordCount"], 20) << "2 s at 100 ms";
    EXPECT_EQ(j["SampleRate"], 9);
    EXPECT_EQ(j["DeviceRecordingName"], "Ev");

    const std::string pc = (r.dir / "pc.vxrf").string();
    std::tie(out, rc) = RunVro(
        "device record start --save pc --rate 10ms --time 5s --mode end --comment Hello --wait " + pc + r.port, true);
    ASSERT_EQ(rc, 0) << out;
    std::tie(out, rc) = RunVro("info --json " + pc);
    ASSERT_EQ(rc, 0);
    j = nlohmann::json::parse(out);
    EXPECT_EQ(j["RecordingType"], 0);
    EXPECT_EQ(j["SampleRate"], 6) << "the 10 ms row";
    EXPECT_EQ(j["RecordCount"], 500) << "the ring of 5 s at 10 ms, ended by itself";
    EXPECT_EQ(j["Comment"], "Hello");
}
