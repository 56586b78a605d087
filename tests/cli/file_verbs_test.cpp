// The file-page verbs end to end against `vro simulate` with its entry
// options: copy of setups and recordings by option, store with the numbers
// of this transfer, delete with a failure at the second entry, the setup
// summaries and Save to VRO, and the folder listing; each message printed.
#include "core/text/textformat.h"
#include "core/text/texts.h"
#include "support/vroprocess.h"

#include <gtest/gtest.h>

#include <filesystem>

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
