// vro device ... against vro simulate over a pseudo-terminal, as a user runs them.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

const std::string kVro = std::string(VRO_BINARY_DIR) + "/src/cli/vro";

// `vro simulate` in a child process; its first output line is the port.
struct TSimulateProcess {
    pid_t pid = -1;
    std::string port;
    explicit TSimulateProcess(const std::string& comVersion)
    {
        int out[2];
        if (::pipe(out) != 0)
            return;
        pid = ::fork();
        if (pid == 0) {
            ::dup2(out[1], 1);
            ::close(out[0]);
            ::close(out[1]);
            ::execl(kVro.c_str(), kVro.c_str(), "simulate", "--com-version", comVersion.c_str(), nullptr);
            ::_exit(127);
        }
        ::close(out[1]);
        char c;
        while (::read(out[0], &c, 1) == 1 && c != '\n')
            port += c;
        ::close(out[0]);
    }
    ~TSimulateProcess()
    {
        if (pid > 0) {
            ::kill(pid, SIGTERM);
            int status = 0;
            ::waitpid(pid, &status, 0);
        }
    }
};

// Runs vro with the arguments; its standard output and exit status.
std::pair<std::string, int> RunVro(const std::string& args)
{
    std::string out;
    FILE* p = ::popen((kVro + " " + args + " 2>/dev/null").c_str(), "r");
    if (!p)
        return {"", -1};
    char buf[4096];
    std::size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, p)) > 0)
        out.append(buf, n);
    const int status = ::pclose(p);
    return {out, WIFEXITED(status) ? WEXITSTATUS(status) : -1};
}

} // namespace

TEST(VroDevice, VerbsAgainstVroSimulate)
{
    if (!std::filesystem::exists(kVro))
        GTEST_SKIP() << "the vro program is not built: " << kVro;
    TSimulateProcess sim("2");
    ASSERT_FALSE(sim.port.empty());
    const std::string port = " --port " + sim.port;

    auto [id, rc] = RunVro("device identify --json" + port);
    ASSERT_EQ(rc, 0);
    const auto j = nlohmann::json::parse(id);
    EXPECT_EQ(j["ComVersion"], 2);
    EXPECT_EQ(j["IdentText"], "VRO8K-M V2.10");
    EXPECT_EQ(j["HardwareVariant"], 1);

    auto [chans, rc2] = RunVro("device channels --json" + port);
    ASSERT_EQ(rc2, 0);
    const auto c = nlohmann::json::parse(chans);
    EXPECT_EQ(c["ChannelCount"], 6);
    EXPECT_EQ(c["Channels"][2]["Unit"], "\xC2\xB0" "C");
    EXPECT_EQ(c["Channels"][4]["SubChannel"], 1);

    auto [values, rc3] = RunVro("device values --count 3 --json" + port);
    ASSERT_EQ(rc3, 0);
    const auto v = nlohmann::json::parse(values);
    ASSERT_EQ(v.size(), 3u);
    EXPECT_EQ(v[0].size(), 6u);

    auto [list, rc4] = RunVro("device list --json" + port);
    ASSERT_EQ(rc4, 0);
    const auto l = nlohmann::json::parse(list);
    ASSERT_EQ(l.size(), 5u);
    EXPECT_EQ(l[2]["Index"], 2);
    EXPECT_EQ(l[2]["Name"], "Trigger run");

    auto [header, rc5] = RunVro("device read-header --index 2 --json" + port);
    ASSERT_EQ(rc5, 0);
    const auto h = nlohmann::json::parse(header);
    EXPECT_EQ(h["RecordCount"], 1000);
    EXPECT_EQ(h["ChannelCount"], 4);
    EXPECT_EQ(h["Channels"][3]["DataType"], 4);
    EXPECT_EQ(h["TriggerEvents"].size(), 4u);
    EXPECT_EQ(h["PreTriggerCount"], 300);

    EXPECT_EQ(RunVro("device read-header --index 5 --json" + port).second, 1);
    EXPECT_EQ(RunVro("device identify").second, 2); // --port is required
}
