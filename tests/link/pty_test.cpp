// End to end over a real pseudo-terminal: the POSIX serial port and the
// connector on the far end, the simulated recorder on the master; and the
// `vro simulate` program itself when it has been built.
#include "core/util/bytes.h"
#include "link/dvxporttable.h"
#include "link/dvxv24connector.h"
#include "link/dvxv24serialport.h"
#include "link/link_support.h"
#include "sim/simpty.h"
#include "sim/simulator.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

namespace vro::test {
namespace {

constexpr std::int32_t kPtyIndex = 91; // COM92

class PtyLink : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string why;
        if (!sim::TSimPty::Available(why))
            GTEST_SKIP() << why;
        pty = std::make_unique<sim::TSimPty>();
        simulator = std::make_unique<sim::TSimulator>(pty->Master());
        memory = std::make_shared<sim::TSimMemory>(Pattern(10000, 3));
        simulator->InstallMemoryArea('R', 23, 'S', 23, memory);
        simulator->SetHandler('R', 40, [](const sim::TSimRequest&) { return Bytes({'V', 'R', 'O'}); });
        simulator->Start();
        TDvxPortTable::Global().Assign(kPtyIndex, pty->SlavePath());
    }
    void TearDown() override
    {
        TDvxPortTable::Global().Assign(kPtyIndex, "");
        if (simulator)
            simulator->Stop();
    }
    std::unique_ptr<sim::TSimPty> pty;
    std::unique_ptr<sim::TSimulator> simulator;
    std::shared_ptr<sim::TSimMemory> memory;
};

TEST_F(PtyLink, ExchangesAndMultipacketTransfers)
{
    TDvxV24Connector c;
    c.OpenPort(kPtyIndex, 460800);
    ASSERT_TRUE(c.IsOpen());
    EXPECT_TRUE(TDvxV24Connector::PortExists(kPtyIndex));
    EXPECT_FALSE(TDvxV24Connector::PortAvailable(kPtyIndex)); // we hold it
    std::uint8_t answer[80];
    EXPECT_EQ(c.Transfer('R', 40, answer), 3);
    std::vector<std::uint8_t> dest(10000);
    EXPECT_EQ(c.ReadMultipacket('R', 23, 0, dest), 10000);
    EXPECT_EQ(c.GetTransferState(), ETransferState::tsIdle);
    EXPECT_EQ(dest, memory->Bytes());
    const auto src = Pattern(10000, 4);
    EXPECT_EQ(c.WriteMultipacket('S', 23, 240, src), 0);
    EXPECT_EQ(memory->Bytes(), src);
    // The line was really set as asked.
    auto& port = static_cast<TDvxV24SerialPort&>(c.Port());
    EXPECT_EQ(GetLineBaud(port.Fd()), 460800);
}

TEST_F(PtyLink, ExclusiveOpenAndReopen)
{
    TDvxV24Connector c;
    c.OpenPort(kPtyIndex, 115200);
    TDvxV24SerialPort second;
    EXPECT_FALSE(second.OpenPath(pty->SlavePath()));
    EXPECT_EQ(second.LastError(), pty->SlavePath() + ": busy (another program uses the port)");
    c.Close();
    EXPECT_TRUE(TDvxV24Connector::PortAvailable(kPtyIndex));
    // A speed without a B constant goes through BOTHER.
    ASSERT_TRUE(second.OpenPath(pty->SlavePath()));
    EXPECT_TRUE(second.Configure(250000, 0, 0));
    EXPECT_EQ(GetLineBaud(second.Fd()), 250000);
    EXPECT_FALSE(second.Configure(9600, 0, 3)); // no DSR handshake on this system
    second.Close();
    c.Open();
    std::uint8_t answer[80];
    EXPECT_EQ(c.Transfer('R', 40, answer), 3);
}

TEST_F(PtyLink, PacedMultipacketRead)
{
    simulator->SetPacing(460800);
    TDvxV24Connector c;
    c.OpenPort(kPtyIndex, 460800);
    std::vector<std::uint8_t> dest(4800);
    EXPECT_EQ(c.ReadMultipacket('R', 23, 0, dest), 4800);
    EXPECT_TRUE(std::equal(dest.begin(), dest.end(), memory->Bytes().begin()));
}

TEST(VroSimulate, ServesOverItsPseudoTerminal)
{
    const std::string vro = std::string(VRO_BINARY_DIR) + "/src/cli/vro";
    if (!std::filesystem::exists(vro))
        GTEST_SKIP() << vro << " is not built";
    std::string why;
    if (!sim::TSimPty::Available(why))
        GTEST_SKIP() << why;
    int out[2];
    ASSERT_EQ(pipe(out), 0);
    const pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        dup2(out[1], 1);
        close(out[0]);
        close(out[1]);
        execl(vro.c_str(), vro.c_str(), "simulate", "--memory", "1000", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    std::string line;
    char ch = 0;
    while (read(out[0], &ch, 1) == 1 && ch != '\n')
        line += ch;
    if (line.empty()) {
        int status = 0;
        waitpid(pid, &status, 0);
        close(out[0]);
        // A program that cannot even start (a start-up fault elsewhere in the
        // build) says nothing about the link; anything else is a failure.
        if (WIFSIGNALED(status))
            GTEST_SKIP() << vro << " died at start-up with signal " << WTERMSIG(status);
        FAIL() << "no device path printed, exit status " << status;
    }
    {
        TDvxPortTable::Global().Assign(kPtyIndex, line);
        TDvxV24Connector c;
        c.OpenPort(kPtyIndex, 460800);
        std::vector<std::uint8_t> dest(1000);
        EXPECT_EQ(c.ReadMultipacket('R', 255, 0, dest), 1000);
        EXPECT_EQ(c.GetTransferState(), ETransferState::tsIdle);
        EXPECT_EQ(dest[7], 49); // the verb's test pattern: i * 7 + i / 251
        TDvxPortTable::Global().Assign(kPtyIndex, "");
    }
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    close(out[0]);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

} // namespace
} // namespace vro::test
