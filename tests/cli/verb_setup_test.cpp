// vro setup show and vro device setup get / put / setups as a user runs
// them, against vro simulate over a pseudo-terminal.
#include "device/setup/vro8setup.h"
#include "support/vroprocess.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace vro::test {
namespace {

namespace fs = std::filesystem;

const fs::path kReference = fs::path(VRO_TEST_DATA).parent_path() / "device/setup/reference_v4.vxsf";

// These verbs' messages matter as much as their output.
std::pair<std::string, int> Vro(const std::string& args) { return RunVro(args, true); }

std::string Slurp(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(SetupVerbs, ShowDescribesAFile)
{
    if (!fs::exists(kVro))
        GTEST_SKIP() << "the vro program is not built: " << kVro;
    const auto [out, rc] = Vro("setup show '" + kReference.string() + "' --json");
    ASSERT_EQ(rc, 0) << out;
    const auto doc = nlohmann::json::parse(out);
    EXPECT_EQ(doc["ComVersion"], 4);
    EXPECT_EQ(doc["SensorSetup"].size(), 12u);
    EXPECT_EQ(doc["SensorSetup"][0]["Name"], "P<1>&");
    EXPECT_EQ(doc["SensorSetup"][0]["SignalType"], "0 to 4.5 V");
    EXPECT_EQ(doc["TriggerSetup"]["Trigger"].size(), 4u);
    EXPECT_EQ(doc["RecordingSetup"]["RecordingName"], "Run A");
    EXPECT_EQ(doc["CanSetup"][0]["MessageId"], 418);
    const auto [text, rc2] = Vro("setup show '" + kReference.string() + "'");
    EXPECT_EQ(rc2, 0);
    EXPECT_NE(text.find("Sensor A: "), std::string::npos);
    const auto [missing, rc3] = Vro("setup show /nonexistent/x.vxsf");
    EXPECT_NE(rc3, 0);
    EXPECT_FALSE(missing.empty());
}

TEST(SetupVerbs, GetPutAndTheSettingsDirectoryAgainstVroSimulate)
{
    if (!fs::exists(kVro))
        GTEST_SKIP() << "the vro program is not built: " << kVro;
    TSimulateProcess sim({"--com-version", "3"});
    ASSERT_FALSE(sim.port.empty());
    const fs::path dir = fs::temp_directory_path() / ("vro_setup_verbs_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const fs::path first = dir / "first.vxsf", changed = dir / "changed.vxsf", again = dir / "again.vxsf";

    auto [out, rc] = Vro("device setup get --port " + sim.port + " '" + first.string() + "'");
    ASSERT_EQ(rc, 0) << out;
    TVro8Setup s(3);
    s.LoadFromFile(first);
    s.Data.Sensors.Sensor(2).SetName("Changed by the test");
    s.Data.Recording.SetRecordingNumber(4711);
    s.SaveToFile(changed);
    std::tie(out, rc) = Vro("device setup put --port " + sim.port + " '" + changed.string() + "'");
    ASSERT_EQ(rc, 0) << out;
    std::tie(out, rc) = Vro("device setup get --port " + sim.port + " '" + again.string() + "'");
    ASSERT_EQ(rc, 0) << out;
    EXPECT_EQ(Slurp(again), Slurp(changed));
    EXPECT_NE(Slurp(again), Slurp(first));

    std::tie(out, rc) = Vro("device setups --port " + sim.port + " --json");
    ASSERT_EQ(rc, 0) << out;
    const auto list = nlohmann::json::parse(out);
    ASSERT_TRUE(list.is_array());
    for (const auto& e : list) {
        EXPECT_TRUE(e.contains("Name"));
        EXPECT_TRUE(e.contains("Handle"));
    }
    std::tie(out, rc) = Vro("device setup get '" + again.string() + "'");
    EXPECT_EQ(rc, 2) << out; // --port is required
    fs::remove_all(dir);
}

} // namespace
} // namespace vro::test
