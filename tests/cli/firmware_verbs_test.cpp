// vro firmware ... and vro device firmware ... as a user runs them, against
// vro simulate over a pseudo-terminal: exit codes, JSON, and the failures a
// user meets (another recorder's file, a damaged file, a pulled plug, a bad
// flash cell, Ctrl-C), each followed by an update that succeeds.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "support/vroprocess.h"

#include <filesystem>
#include <fstream>
#include <string>

using vro::test::kVro;
using vro::test::RunVro;
using vro::test::TSimulateProcess;
using json = nlohmann::json;

namespace {

struct TFolder {
    TFolder()
    {
        path =
            std::filesystem::temp_directory_path() / ("vro-fwcli-" + std::to_string(::getpid()) + "-" +
                                                      ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(path);
    }
    ~TFolder() { std::filesystem::remove_all(path); }
    std::string operator/(const std::string& name) const { return (path / name).string(); }
    std::filesystem::path path;
};

constexpr const char* kFast = " --load-wait 0 --json --port ";

} // namespace

TEST(VroFirmware, MakeAndInfoWithoutARecorder)
{
    if (!std::filesystem::exists(kVro))
        GTEST_SKIP() << "the vro program is not built: " << kVro;
    TFolder dir;
    ASSERT_EQ(RunVro("firmware make " + dir / "s.vxupd" + " --code 02 --sample --version1 \"VRO8K-M 9.99\"").second, 0);
    auto [out, rc] = RunVro("firmware info " + dir / "s.vxupd" + " --json --image0 " + dir / "a0.bin");
    ASSERT_EQ(rc, 0);
    const json j = json::parse(out);
    EXPECT_EQ(j["HardwareCode"], "02");
    EXPECT_EQ(j["HardwareVariants"], json::array({1}));
    EXPECT_EQ(j["Area0Version"], "VRO8K-S 1.08");
    EXPECT_EQ(j["Area1Version"], "VRO8K-M 9.99");
    EXPECT_EQ(j["PathLabel"], "VRO8K-M 9.99 / VRO8K-S 1.08");
    EXPECT_EQ(j["Area0Bytes"], 0x7A00);
    EXPECT_EQ(j["Area1Bytes"], 0x3E000);
    EXPECT_EQ(j["Area0Dropped"], 0);
    EXPECT_EQ(j["Checksum"].get<std::string>().size(), 32u);
    EXPECT_EQ(std::filesystem::file_size(dir / "a0.bin"), 0x7A00u);

    // From HEX files: a record outside area 0's window is dropped and counted.
    std::ofstream(dir / "a0.hex") << ":0400000001020304F2\n:04800000AABBCCDD6E\n:00000001FF\n";
    std::ofstream(dir / "a1.hex") << ":0400000001020304F2\n:00000001FF\n";
    ASSERT_EQ(RunVro("firmware make " + dir / "h.vxupd" + " --code 04 --area0 " + dir / "a0.hex" + " --area1 " +
                     dir / "a1.hex")
                  .second,
              0);
    const json h = json::parse(RunVro("firmware info --json " + dir / "h.vxupd").first);
    EXPECT_EQ(h["Area0Bytes"], 4);
    EXPECT_EQ(h["Area0Dropped"], 4);
    EXPECT_EQ(h["Area1Bytes"], 4);
    EXPECT_EQ(h["HardwareVariants"], json::array({3}));

    // Refusals: exit 1 with the reason on standard error.
    ASSERT_EQ(RunVro("firmware make " + dir / "c03.vxupd" + " --code 03 --sample").second, 0);
    auto [r03, rc03] = RunVro("firmware info " + dir / "c03.vxupd", true);
    EXPECT_EQ(rc03, 1);
    EXPECT_NE(r03.find("\"03\""), std::string::npos) << r03;
    std::string text;
    {
        std::ifstream in(dir / "h.vxupd", std::ios::binary);
        text.assign(std::istreambuf_iterator<char>(in), {});
    }
    text[20] = text[20] == '0' ? '1' : '0';
    std::ofstream(dir / "bad.vxupd", std::ios::binary) << text;
    auto [rbad, rcbad] = RunVro("firmware info " + dir / "bad.vxupd", true);
    EXPECT_EQ(rcbad, 1);
    EXPECT_NE(rbad.find("MD5"), std::string::npos) << rbad;
    EXPECT_EQ(RunVro("firmware make " + dir / "x.vxupd" + " --code 2 --sample").second, 2);
    EXPECT_FALSE(std::filesystem::exists(dir / "x.vxupd"));
}

TEST(VroFirmware, UpdateVersionsVerifyAndRead)
{
    if (!std::filesystem::exists(kVro))
        GTEST_SKIP() << "the vro program is not built: " << kVro;
    TFolder dir;
    ASSERT_EQ(RunVro("firmware make " + dir / "s.vxupd" + " --code 02 --sample").second, 0);
    TSimulateProcess sim({"--fw-activate-ms", "0"});
    ASSERT_FALSE(sim.port.empty());
    const std::string port = sim.port;

    const json before = json::parse(RunVro("device firmware versions --json --port " + port).first);
    EXPECT_EQ(before["Area0Version"], "VRO8K-S 1.07");
    EXPECT_EQ(before["Area1Version"], "VRO8K-M 2.10");
    // Nothing written yet: the check finds the factory firmware.
    EXPECT_EQ(RunVro("device firmware verify " + dir / "s.vxupd" + kFast + port).second, 4);

    auto [out, rc] = RunVro("device firmware update " + dir / "s.vxupd" + kFast + port);
    ASSERT_EQ(rc, 0) << out;
    const json j = json::parse(out);
    EXPECT_EQ(j["Step"], 3);
    EXPECT_EQ(j["Markers"], json::array({"lime", "lime", "lime", "silver"}));
    EXPECT_EQ(j["InfoLabel"], 582);
    EXPECT_TRUE(j["Message"].is_null());
    EXPECT_EQ(j["PathLabel"], "VRO8K-M 2.11 / VRO8K-S 1.08");
    EXPECT_EQ(j["HardwareVariant"], 1);
    EXPECT_EQ(j["Area0Written"], 0x7A00);
    EXPECT_EQ(j["Area1Written"], 0x3E000);
    EXPECT_EQ(j["Area0Equal"], true);
    EXPECT_EQ(j["Cancelled"], false);

    // The recorder runs the new firmware.
    EXPECT_EQ(json::parse(RunVro("device identify --json --port " + port).first)["IdentText"], "VRO8K-M 2.11");
    const json after = json::parse(RunVro("device firmware versions --json --port " + port).first);
    EXPECT_EQ(after["Area1Version"], "VRO8K-M 2.11");
    EXPECT_EQ(RunVro("device firmware verify " + dir / "s.vxupd" + kFast + port).second, 0);
    // The text form ends with the English InfoLabel text.
    auto [plain, rcPlain] = RunVro("device firmware verify " + dir / "s.vxupd" + " --load-wait 0 --port " + port);
    EXPECT_EQ(rcPlain, 0);
    EXPECT_EQ(plain.rfind("The transferred firmware was checked successfully", 0), 0u) << plain;

    ASSERT_EQ(RunVro("device firmware read --area 1 " + dir / "a1.bin" + " --port " + port).second, 0);
    EXPECT_EQ(std::filesystem::file_size(dir / "a1.bin"), 0x3E000u);
    EXPECT_EQ(RunVro("device firmware read --area 2 " + dir / "x.bin" + " --port " + port).second, 2);
}

TEST(VroFirmware, RefusedFilesAndAnIncompleteRead)
{
    if (!std::filesystem::exists(kVro))
        GTEST_SKIP() << "the vro program is not built: " << kVro;
    TFolder dir;
    ASSERT_EQ(RunVro("firmware make " + dir / "s.vxupd" + " --code 02 --sample").second, 0);
    TSimulateProcess sim({"--hardware-variant", "0", "--faults", "R111:cut:1000"});
    ASSERT_FALSE(sim.port.empty());
    auto [out, rc] = RunVro("device firmware update " + dir / "s.vxupd" + kFast + sim.port);
    EXPECT_EQ(rc, 1);
    const json j = json::parse(out);
    EXPECT_EQ(j["Message"], 565);
    EXPECT_EQ(j["Step"], 0);
    EXPECT_EQ(j["HardwareVariant"], 0);
    EXPECT_EQ(j["Area0Written"], 0);
    auto [err, rcErr] = RunVro("device firmware update " + dir / "s.vxupd" + " --load-wait 0 --port " + sim.port, true);
    EXPECT_EQ(rcErr, 1);
    EXPECT_NE(err.find("s.vxupd couldn't be loaded"), std::string::npos) << err;
    EXPECT_NE(err.find("hardware variant 0"), std::string::npos) << err;

    auto [r, rcRead] = RunVro("device firmware read --area 0 " + dir / "a0.bin" + " --port " + sim.port, true);
    EXPECT_EQ(rcRead, 1);
    EXPECT_NE(r.find("1000 of 31232"), std::string::npos) << r;
    EXPECT_FALSE(std::filesystem::exists(dir / "a0.bin"));
    EXPECT_EQ(RunVro("device firmware update " + dir / "missing.vxupd" + kFast + sim.port).second, 1);
}

TEST(VroFirmware, PulledPlugAndBadCellThenAGoodUpdate)
{
    if (!std::filesystem::exists(kVro))
        GTEST_SKIP() << "the vro program is not built: " << kVro;
    TFolder dir;
    ASSERT_EQ(RunVro("firmware make " + dir / "s.vxupd" + " --code 02 --sample").second, 0);
    {
        TSimulateProcess sim({"--fw-power-loss", "0:20:200", "--fw-activate-ms", "0"});
        ASSERT_FALSE(sim.port.empty());
        auto [out, rc] = RunVro("device firmware update " + dir / "s.vxupd" + kFast + sim.port);
        EXPECT_EQ(rc, 3);
        const json j = json::parse(out);
        EXPECT_EQ(j["InfoLabel"], 568);
        EXPECT_EQ(j["Markers"], json::array({"lime", "red", "silver", "silver"}));
        EXPECT_EQ(j["Area0Written"], 20 * 240);
        EXPECT_TRUE(j["Area0Equal"].is_null());
        EXPECT_EQ(RunVro("device firmware update " + dir / "s.vxupd" + kFast + sim.port).second, 0);
    }
    {
        // A cell that programs wrong on the first write only: the check
        // fails and nothing is activated, a second update succeeds.
        TSimulateProcess sim({"--fw-bad-byte", "0:100:1", "--fw-activate-ms", "0"});
        ASSERT_FALSE(sim.port.empty());
        auto [out, rc] = RunVro("device firmware update " + dir / "s.vxupd" + kFast + sim.port);
        EXPECT_EQ(rc, 4);
        const json j = json::parse(out);
        EXPECT_EQ(j["InfoLabel"], 578);
        EXPECT_EQ(j["Area0Equal"], false);
        EXPECT_EQ(j["Area1Equal"], true);
        EXPECT_EQ(json::parse(RunVro("device identify --json --port " + sim.port).first)["IdentText"],
                  "VRO8K-M V2.10"); // nothing activated
        EXPECT_EQ(RunVro("device firmware update " + dir / "s.vxupd" + kFast + sim.port).second, 0);
        EXPECT_EQ(json::parse(RunVro("device identify --json --port " + sim.port).first)["IdentText"], "VRO8K-M 2.11");
    }
}

// Ctrl-C while area 1 is being erased: exit 130 with the cancelled text,
// then a new update of the same recorder succeeds.
TEST(VroFirmware, CtrlCDuringArea1)
{
    if (!std::filesystem::exists(kVro))
        GTEST_SKIP() << "the vro program is not built: " << kVro;
    TFolder dir;
    ASSERT_EQ(RunVro("firmware make " + dir / "s.vxupd" + " --code 02 --sample").second, 0);
    TSimulateProcess sim({"--fw-erase-ms", "0,3000", "--fw-activate-ms", "0"});
    ASSERT_FALSE(sim.port.empty());
    int out[2];
    int err[2];
    ASSERT_EQ(::pipe(out), 0);
    ASSERT_EQ(::pipe(err), 0);
    const std::string file = dir / "s.vxupd";
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out[1], 1);
        ::dup2(err[1], 2);
        for (int fd : {out[0], out[1], err[0], err[1]})
            ::close(fd);
        ::execl(kVro.c_str(), kVro.c_str(), "device", "firmware", "update", file.c_str(), "--load-wait", "0", "--json",
                "--port", sim.port.c_str(), nullptr);
        ::_exit(127);
    }
    ::close(out[1]);
    ::close(err[1]);
    // Area 0 has gone out once its progress reaches 100 %.
    std::string errors;
    char buf[512];
    while (errors.find("transfer area 0: 100.0%") == std::string::npos) {
        const ssize_t n = ::read(err[0], buf, sizeof buf);
        ASSERT_GT(n, 0) << errors;
        errors.append(buf, static_cast<std::size_t>(n));
    }
    ASSERT_EQ(::kill(pid, SIGINT), 0);
    for (ssize_t n; (n = ::read(err[0], buf, sizeof buf)) > 0;)
        errors.append(buf, static_cast<std::size_t>(n));
    std::string output;
    for (ssize_t n; (n = ::read(out[0], buf, sizeof buf)) > 0;)
        output.append(buf, static_cast<std::size_t>(n));
    ::close(out[0]);
    ::close(err[0]);
    int status = 0;
    ASSERT_EQ(::waitpid(pid, &status, 0), pid);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 130) << errors;
    const json j = json::parse(output);
    EXPECT_EQ(j["Cancelled"], true);
    EXPECT_EQ(j["InfoLabel"], 568);
    EXPECT_EQ(j["Area0Written"], 0x7A00);
    EXPECT_LT(j["Area1Written"].get<long>(), 0x3E000);
    EXPECT_NE(errors.find("area 1:"), std::string::npos) << errors;

    EXPECT_EQ(RunVro("device firmware update " + dir / "s.vxupd" + kFast + sim.port).second, 0);
}
