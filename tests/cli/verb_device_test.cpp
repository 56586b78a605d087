// vro device ... against vro simulate over a pseudo-terminal, as a user runs them.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "core/construct/loadrecordingfile.h"
#include "core/recording/recording.h"
#include "support/vroprocess.h"

#include <fcntl.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

using vro::test::kVro;
using vro::test::RunVro;
using vro::test::TSimulateProcess;

TEST(VroDevice, VerbsAgainstVroSimulate)
{
    if (!std::filesystem::exists(kVro))
        GTEST_SKIP() << "the vro program is not built: " << kVro;
    TSimulateProcess sim({"--com-version", "2"});
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
    EXPECT_EQ(c["Channels"][2]["Unit"], "\xC2\xB0"
                                        "C");
    EXPECT_EQ(c["Channels"][4]["SubChannel"], 1);

    // The text table: columns of fixed display widths, so every line is as
    // wide as the heading, the line with "°C" (three bytes, two columns) too.
    auto [table, rc2b] = RunVro("device channels" + port);
    ASSERT_EQ(rc2b, 0);
    std::vector<std::string> rows;
    for (std::size_t at = 0, nl; (nl = table.find('\n', at)) != std::string::npos; at = nl + 1)
        rows.push_back(table.substr(at, nl - at));
    ASSERT_EQ(rows.size(), 7u) << table;
    const auto columns = [](const std::string& s) { // UTF-8 characters, all narrow here
        int n = 0;
        for (unsigned char ch : s)
            n += (ch & 0xC0) != 0x80;
        return n;
    };
    EXPECT_NE(rows[3].find("\xC2\xB0"
                           "C"),
              std::string::npos)
        << rows[3];
    for (const std::string& row : rows)
        EXPECT_EQ(columns(row), columns(rows[0])) << row;

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

// Ctrl-C in the middle of a run ends the verb with status 130 and the
// cancel message, and leaves the recorder answering the next one.
TEST(VroDevice, CtrlCCancelsAndLeavesTheRecorderUsable)
{
    if (!std::filesystem::exists(kVro))
        GTEST_SKIP() << "the vro program is not built: " << kVro;
    TSimulateProcess sim({"--com-version", "3"});
    ASSERT_FALSE(sim.port.empty());
    int err[2];
    ASSERT_EQ(::pipe(err), 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(err[1], 2);
        ::close(err[0]);
        ::close(err[1]);
        const int devnull = ::open("/dev/null", O_WRONLY);
        ::dup2(devnull, 1);
        ::execl(kVro.c_str(), kVro.c_str(), "device", "values", "--count", "100000", "--port", sim.port.c_str(),
                nullptr);
        ::_exit(127);
    }
    ::close(err[1]);
    // Let it connect and read values for a while, then press Ctrl-C.
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    ASSERT_EQ(::kill(pid, SIGINT), 0);
    std::string errors;
    char buf[512];
    for (ssize_t n; (n = ::read(err[0], buf, sizeof buf)) > 0;)
        errors.append(buf, static_cast<std::size_t>(n));
    ::close(err[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status)) << "ended by a signal instead of cancelling";
    EXPECT_EQ(WEXITSTATUS(status), 130);
    EXPECT_NE(errors.find("cancelled"), std::string::npos) << errors;

    auto [id, rc] = RunVro("device identify --json --port " + sim.port);
    ASSERT_EQ(rc, 0);
    EXPECT_EQ(nlohmann::json::parse(id)["ComVersion"], 3);
    auto [values, rc2] = RunVro("device values --count 2 --json --port " + sim.port);
    ASSERT_EQ(rc2, 0);
    EXPECT_EQ(nlohmann::json::parse(values).size(), 2u);
}

// The faults a user can switch on in `vro simulate` reach the verbs: a
// refused command fails with the recorder's error, a dead line with the link's.
TEST(VroDevice, SimulatedFaultsFromTheCommandLine)
{
    if (!std::filesystem::exists(kVro))
        GTEST_SKIP() << "the vro program is not built: " << kVro;
    {
        TSimulateProcess sim({"--faults", "R20:status:3"});
        ASSERT_FALSE(sim.port.empty());
        auto [out, rc] = RunVro("device read-header --index 0 --port " + sim.port, true);
        EXPECT_EQ(rc, 1) << out;
        EXPECT_FALSE(out.empty());
        EXPECT_EQ(RunVro("device list --port " + sim.port).second, 0); // other commands still answer
    }
    {
        // Every answer lost or corrupted: the link's error, not a hang.
        TSimulateProcess sim({"--link-faults", "1"});
        ASSERT_FALSE(sim.port.empty());
        auto [out, rc] = RunVro("device identify --port " + sim.port, true);
        EXPECT_EQ(rc, 1);
        EXPECT_NE(out.find("no recorder"), std::string::npos) << out;
    }
    EXPECT_NE(RunVro("simulate --faults R20:loud:1").second, 0);
    EXPECT_NE(RunVro("simulate --link-faults 2").second, 0);
}

// A recorder entry named "../../evil" is copied into the chosen folder,
// with a template and with the automatic name, and nothing lands above it.
TEST(VroDevice, DownloadKeepsHostileNamesInTheFolder)
{
    namespace fs = std::filesystem;
    if (!fs::exists(kVro))
        GTEST_SKIP() << "the vro program is not built: " << kVro;
    const fs::path root = fs::temp_directory_path() / ("vro-evil-" + std::to_string(::getpid()));
    fs::remove_all(root);
    const fs::path recordings = root / "recordings";
    const fs::path out = root / "a" / "b" / "out";
    fs::create_directories(recordings);
    const fs::path source = recordings / "one.vxrf";
    ASSERT_EQ(RunVro("generate " + source.string() + " --channels 2 --samples 50").second, 0);
    {
        vro::TRecording r;
        vro::LoadRecordingFile(source, r);
        r.DeviceRecordingName = "../../evil";
        r.FileName = source.string();
        r.SaveToFile();
    }
    TSimulateProcess sim({"--recordings", recordings.string()});
    ASSERT_FALSE(sim.port.empty());
    const std::string port = " --port " + sim.port;

    auto [named, rc] = RunVro("device download --all " + out.string() + " --template %Name" + port, true);
    ASSERT_EQ(rc, 0) << named;
    EXPECT_TRUE(fs::exists(out / ".._.._evil.vxrf")) << named;
    auto [automatic, rc2] = RunVro("device download --all " + out.string() + port, true);
    ASSERT_EQ(rc2, 0) << automatic;

    int inside = 0;
    for (const auto& f : fs::recursive_directory_iterator(root)) {
        if (!f.is_regular_file() || f.path().parent_path() == recordings)
            continue;
        EXPECT_EQ(f.path().parent_path(), out) << f.path();
        ++inside;
    }
    EXPECT_EQ(inside, 2);
    fs::remove_all(root);
}
