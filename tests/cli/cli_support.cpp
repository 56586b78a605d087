#include "cli_support.h"

#include "core/util/atomicfile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>
#include <unistd.h>

namespace vro::test {

namespace {
std::string Quote(const std::string& w)
{
    std::string q = "'";
    for (char c : w)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}
} // namespace

std::string CliTempFolder()
{
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    auto dir = std::filesystem::temp_directory_path() /
               ("vro-cli-" + std::string(info->test_suite_name()) + "-" + info->name());
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    return dir.string();
}

TRunResult RunVro(const std::vector<std::string>& words)
{
    static int counter = 0;
    const std::string dir = (std::filesystem::temp_directory_path() /
                             ("vro-cli-io-" + std::to_string(::getpid()) + "-" + std::to_string(++counter)))
                                .string();
    std::filesystem::create_directories(dir);
    // The C locale's number and date forms, whatever the caller's locale.
    std::string cmd = "LC_ALL=C.UTF-8 " + Quote(std::string(VRO_BINARY_DIR) + "/src/cli/vro");
    for (const auto& w : words)
        cmd += " " + Quote(w);
    cmd += " >" + Quote(dir + "/out") + " 2>" + Quote(dir + "/err");
    const int rc = std::system(cmd.c_str());
    TRunResult r;
    r.Status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
    r.Out = ReadWholeFile(dir + "/out");
    r.Err = ReadWholeFile(dir + "/err");
    std::filesystem::remove_all(dir);
    return r;
}

} // namespace vro::test
