// vro setup show and vro device setup get / put / setups as a user runs
// them, against vro simulate over a pseudo-terminal.
#include "device/setup/vro8setup.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace vro::test {
namespace {

namespace fs = std::filesystem;

const std::string kVro = std::string(VRO_BINARY_DIR) + "/src/cli/vro";
const fs::path kReference = fs::path(VRO_TEST_DATA).parent_path() / "device/setup/reference_v4.vxsf";

// `vro simulate` in a child process; its first output line is the port.
struct TSimulate {
    pid_t pid = -1;
    std::string port;
    explicit TSimulate(const char* comVersion)
    {
        int out[2];
        if (::pipe(out) != 0)
            return;
        pid = ::fork();
        if (pid == 0) {
            ::dup2(out[1], 1);
            ::close(out[0]);
            ::close(out[1]);
            ::execl(kVro.c_str(), kVro.c_str(), "simulate", "--com-version", comVersion, nullptr);
            ::_exit(127);
        }
        ::close(out[1]);
        char c;
        while (::read(out[0], &c, 1) == 1 && c != '\n')
            port += c;
        ::close(out[0]);
    }
    ~TSimulate()
    {
        if (pid > 0) {
            ::kill(pid, SIGTERM);
            int status = 0;
            ::waitpid(pid, &status, 0);
        }
    }
};

std::pair<std::string, int> RunVro(const std::string& args)
{
    std::string out;
    FILE* p = ::popen((kVro + " " + args + " 2>&1").c_str(), "r");
    if (!p)
        return {"", -1};
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
        out.append(buf, n);
    const int status = ::pclose(p);
    return {out, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

std::string Slurp(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TEST(SetupVerbs, ShowDescribesAFile)
{
    if (!fs::exists(kVro))
        GTEST_SKIP() << "the vro program is not built: " << kVro;
    const auto [out, rc] = RunVro("setup show '" + kReference.string() + "' --json");
    ASSERT_EQ(rc, 0) << out;
    const auto doc = nlohmann::json::parse(out);
    EXPECT_EQ(doc["ComVersion"], 4);
    EXPECT_EQ(doc["SensorSetup"].size(), 12u);
    EXPECT_EQ(doc["SensorSetup"][0]["Name"], "P<1>&");
    EXPECT_EQ(doc["SensorSetup"][0]["SignalType"], "0 to 4.5 V");
    EXPECT_EQ(doc["TriggerSetup"]["Trigger"].size(), 4u);
    EXPECT_EQ(doc["RecordingSetup"]["RecordingName"], "Run A");
    EXPECT_EQ(doc["CanSetup"][0]["MessageId"], 418);
    const auto [text, rc2] = RunVro("setup show '" + kReference.string() + "'");
    EXPECT_EQ(rc2, 0);
    EXPECT_NE(text.find("Sensor A: "), std::string::npos);
    const auto [missing, rc3] = RunVro("setup show /nonexistent/x.vxsf");
    EXPECT_NE(rc3, 0);
    EXPECT_FALSE(missing.empty());
}

TEST(SetupVerbs, GetPutAndTheSettingsDirectoryAgainstVroSimulate)
{
    if (!fs::exists(kVro))
        GTEST_SKIP() << "the vro program is not built: " << kVro;
    TSimulate sim("3");
    ASSERT_FALSE(sim.port.empty());
    const fs::path dir = fs::temp_directory_path() / ("vro_setup_verbs_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const fs::path first = dir / "first.vxsf", changed = dir / "changed.vxsf", again = dir / "again.vxsf";

    auto [out, rc] = RunVro("device setup get --port " + sim.port + " '" + first.string() + "'");
    ASSERT_EQ(rc, 0) << out;
    TVro8Setup s(3);
    s.LoadFromFile(first);
    s.Data.Sensors.Sensor(2).SetName("Changed by the test");
    s.Data.Recording.SetRecordingNumber(4711);
    s.SaveToFile(changed);
    std::tie(out, rc) = RunVro("device setup put --port " + sim.port + " '" + changed.string() + "'");
    ASSERT_EQ(rc, 0) << out;
    std::tie(out, rc) = RunVro("device setup get --port " + sim.port + " '" + again.string() + "'");
    ASSERT_EQ(rc, 0) << out;
    EXPECT_EQ(Slurp(again), Slurp(changed));
    EXPECT_NE(Slurp(again), Slurp(first));

    std::tie(out, rc) = RunVro("device setups --port " + sim.port + " --json");
    ASSERT_EQ(rc, 0) << out;
    const auto list = nlohmann::json::parse(out);
    ASSERT_TRUE(list.is_array());
    for (const auto& e : list) {
        EXPECT_TRUE(e.contains("Name"));
        EXPECT_TRUE(e.contains("Handle"));
    }
    std::tie(out, rc) = RunVro("device setup get '" + again.string() + "'");
    EXPECT_EQ(rc, 2) << out; // --port is required
    fs::remove_all(dir);
}

} // namespace
} // namespace vro::test
