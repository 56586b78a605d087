// The file-page verbs end to end against `vro simulate` with its entry
// options: copy of setups and recordings by option, store with the numbers
// of this transfer, delete with a failure at the second entry, the setup
// summaries and Save to VRO, and the folder listing; each message printed.
#include "core/text/textformat.h"
#include "core/text/texts.h"
#include "support/vroprocess.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

using namespace vro;
using namespace vro::test;
namespace fs = std::filesystem;

namespace {

fs::path Folder(const std::string& name)
{
    const fs::path p = fs::temp_directory_path() / ("vro-fileverbs-" + std::to_string(::getpid()) + "-" + name);
    fs::remove_all(p);
    fs::create_directories(p);
    return p;
}

std::string Q(const fs::path& p) { return "'" + p.string() + "'"; }

std::string ReadAll(const fs::path& p)
{
    std::ifstream in(p);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// `vro ARGS` as a child with its output in files; `whenThere` is awaited
// (bounded) before Ctrl-C is pressed.
struct TInterrupted {
    int Status = -1;
    std::string Out, Err;
};
TInterrupted RunAndInterrupt(const std::string& args, const fs::path& work, const fs::path& whenThere)
{
    TInterrupted r;
    const fs::path out = work / "stdout.txt", err = work / "stderr.txt";
    const std::string command = "exec " + kVro + " " + args + " >" + Q(out) + " 2>" + Q(err);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::execl("/bin/sh", "sh", "-c", command.c_str(), nullptr);
        ::_exit(127);
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (!fs::exists(whenThere) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    ::kill(pid, SIGINT);
    int status = 0;
    ::waitpid(pid, &status, 0);
    r.Status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.Out = ReadAll(out);
    r.Err = ReadAll(err);
    return r;
}

} // namespace

TEST(FileVerbs, CopyStoreAndListSetups)
{
    SelectTextLanguage("en");
    TSimulateProcess sim({"--setup-entries", "Pump test:3,Pump test:5,Leak:12"});
    ASSERT_FALSE(sim.port.empty());
    const fs::path dir = Folder("setups");
    auto [out, rc] = RunVro("device copy --port " + sim.port + " --setups --entries 2 --to " + Q(dir));
    EXPECT_EQ(rc, 0);
    EXPECT_NE(out.find("Leak-00012.vxsf"), std::string::npos) << out;
    EXPECT_FALSE(fs::exists(dir / "CurrentConfig.backup"));
    fs::copy_file(dir / "Leak-00012.vxsf", dir / "Pump test-00001.vxsf");
    fs::copy_file(dir / "Leak-00012.vxsf", dir / "Pump test-00002.vxsf");
    std::tie(out, rc) = RunVro("device store --port " + sim.port + " --option 1 --json " +
                               Q(dir / "Pump test-00001.vxsf") + " " + Q(dir / "Pump test-00002.vxsf"));
    EXPECT_EQ(rc, 0);
    EXPECT_NE(out.find("\"Number\": 6"), std::string::npos) << out;
    EXPECT_NE(out.find("\"Number\": 7"), std::string::npos) << out;
    std::tie(out, rc) = RunVro("device list --port " + sim.port + " --setups --sort name");
    EXPECT_EQ(rc, 0);
    EXPECT_LT(out.find("Leak"), out.find("Pump test"));
    std::tie(out, rc) =
        RunVro("device copy --port " + sim.port + " --setups --option 2 --name ../x --to " + Q(dir), true);
    EXPECT_EQ(rc, 1);
    EXPECT_NE(out.find("The file name that was entered is invalid."), std::string::npos) << out;
}

TEST(FileVerbs, RecordingsCopyAndDeleteStopsAtTheFailure)
{
    SelectTextLanguage("en");
    TSimulateProcess sim({"--recording-entries", "Test:9,Test:10,Other:1", "--faults", "R33:status:5@1*1"});
    ASSERT_FALSE(sim.port.empty());
    const fs::path dir = Folder("recordings");
    auto [out, rc] = RunVro("device copy --port " + sim.port + " --to " + Q(dir) + " --option 3 --template %Name");
    EXPECT_EQ(rc, 0);
    EXPECT_TRUE(fs::exists(dir / "Test.vxrf"));
    EXPECT_TRUE(fs::exists(dir / "Test-1.vxrf")) << "equal template names do not overwrite";
    EXPECT_TRUE(fs::exists(dir / "Other.vxrf"));
    std::tie(out, rc) = RunVro("device list --port " + sim.port + " --sort name --json");
    EXPECT_LT(out.find("\"Number\": 9"), out.find("\"Number\": 10")) << out;
    std::tie(out, rc) = RunVro("device delete --port " + sim.port + " --entries 0,1", true);
    EXPECT_EQ(rc, 1);
    EXPECT_NE(out.find(FormatMessage(text(556), {"Test", "10"})), std::string::npos) << out;
    std::tie(out, rc) = RunVro("folder list " + Q(dir) + " --ext .vxrf --json");
    EXPECT_EQ(rc, 0);
    EXPECT_NE(out.find("\"Result\": true"), std::string::npos);
    EXPECT_NE(out.find("Test-1.vxrf"), std::string::npos);
}

TEST(FileVerbs, SetupSummaryAndSaveToVro)
{
    SelectTextLanguage("en");
    TSimulateProcess sim({"--com-version", "4"});
    ASSERT_FALSE(sim.port.empty());
    auto [out, rc] = RunVro("device setup summary --port " + sim.port + " --json");
    EXPECT_EQ(rc, 0);
    EXPECT_NE(out.find("\"CanSetup\""), std::string::npos);
    EXPECT_NE(out.find("Message 32: "), std::string::npos);
    std::tie(out, rc) = RunVro("device setup save --port " + sim.port + " --name 'Leak test' --number 2");
    EXPECT_EQ(rc, 0);
    EXPECT_NE(out.find(FormatMessage(text(751), {"Leak test"})), std::string::npos) << out;
    std::tie(out, rc) = RunVro("device setup save --port " + sim.port + " --name ' ' --language de", true);
    EXPECT_EQ(rc, 1);
    EXPECT_NE(out.find(text(TTextLanguage::German, 746)), std::string::npos) << out;
}

// A failing transfer names the files it wrote before the failure, then the
// failure; Ctrl-C ends with status 130 and the files written so far, also
// when it comes inside an exchange.
TEST(FileVerbs, FailureAndCtrlCListTheFilesWrittenBefore)
{
    SelectTextLanguage("en");
    {
        TSimulateProcess sim({"--recording-entries", "First:1,Second:2,Third:3", "--faults", "R20:status:3@1"});
        ASSERT_FALSE(sim.port.empty());
        const fs::path dir = Folder("fail-rec");
        auto [out, rc] = RunVro("device copy --port " + sim.port + " --to " + Q(dir), true);
        EXPECT_EQ(rc, 1);
        EXPECT_NE(out.find("First-00001.vxrf"), std::string::npos) << out;
        ASSERT_NE(out.find(FormatMessage(text(553), {"Second"})), std::string::npos) << out;
        EXPECT_LT(out.find("First-00001.vxrf"), out.find(FormatMessage(text(553), {"Second"}))) << out;
        EXPECT_FALSE(fs::exists(dir / "Second-00002.vxrf"));
    }
    {
        TSimulateProcess sim({"--setup-entries", "Pump:1,Leak:2", "--faults", "R24:status:3@1"});
        ASSERT_FALSE(sim.port.empty());
        const fs::path dir = Folder("fail-setups");
        auto [out, rc] = RunVro("device copy --port " + sim.port + " --setups --json --to " + Q(dir), true);
        EXPECT_EQ(rc, 1);
        EXPECT_NE(out.find("\"FileName\": \"" + (dir / "Pump-00001.vxsf").string()), std::string::npos) << out;
        EXPECT_NE(out.find(FormatMessage(text(1293), {"Leak"})), std::string::npos) << out;
        EXPECT_TRUE(fs::exists(dir / "CurrentConfig.backup")) << "a failed transfer keeps the backup";
    }
    {
        // The second recording's header request is slow: Ctrl-C lands in it
        // (or just before it, between the entries).
        TSimulateProcess sim({"--recording-entries", "First:1,Second:2", "--faults", "R20:delay:1500@1"});
        ASSERT_FALSE(sim.port.empty());
        const fs::path dir = Folder("ctrlc-rec");
        const fs::path work = Folder("ctrlc-rec-out");
        const TInterrupted r =
            RunAndInterrupt("device copy --port " + sim.port + " --to " + Q(dir), work, dir / "First-00001.vxrf");
        EXPECT_EQ(r.Status, 130) << r.Err;
        EXPECT_NE(r.Out.find("First-00001.vxrf"), std::string::npos) << r.Out;
        EXPECT_NE(r.Err.find("cancelled"), std::string::npos) << r.Err;
        EXPECT_EQ(r.Err.find(FormatMessage(text(553), {"Second"})), std::string::npos) << r.Err;
        EXPECT_EQ(RunVro("device list --port " + sim.port).second, 0) << "the recorder stays usable";
    }
    {
        // A setup transfer finishes the entry under way and puts the user's
        // setup back.
        TSimulateProcess sim({"--setup-entries", "Pump:1,Leak:2", "--faults", "R24:delay:1500@1"});
        ASSERT_FALSE(sim.port.empty());
        const fs::path dir = Folder("ctrlc-setups");
        const fs::path work = Folder("ctrlc-setups-out");
        const TInterrupted r = RunAndInterrupt("device copy --setups --port " + sim.port + " --to " + Q(dir), work,
                                               dir / "Pump-00001.vxsf");
        EXPECT_EQ(r.Status, 130) << r.Err;
        EXPECT_NE(r.Out.find("Pump-00001.vxsf"), std::string::npos) << r.Out;
        EXPECT_FALSE(fs::exists(dir / "CurrentConfig.backup")) << "the backup went back into the recorder";
    }
}
