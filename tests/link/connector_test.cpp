// The connector against the simulated recorder (and a scripted far end for
// answers the recorder would never give) over the in-memory port pair.
#include "link/dvxv24connector.h"
#include "link/dvxv24frame.h"
#include "link/dvxv24serialport.h"
#include "core/util/bytes.h"
#include "link/dvxporttable.h"
#include "link/link_support.h"

#include <gtest/gtest.h>

#include <regex>

namespace vro::test {
namespace {

using sim::ESimFault;
using sim::TSimRequest;

std::string ErrorOf(const std::function<void()>& fn)
{
    try {
        fn();
    } catch (const EDvxV24Error& e) {
        return e.what();
    }
    return "(no error)";
}

TEST(Connector, ExchangeAndLogLines)
{
    TLinkRig rig;
    rig.simulator->SetHandler('R', 40, [](const TSimRequest&) { return Bytes({'V', 'R', 'O'}); });
    std::uint8_t answer[80];
    EXPECT_EQ(rig.connector->Transfer('R', 40, answer), 3);
    EXPECT_EQ(std::string(answer, answer + 3), "VRO");

    const auto lines = rig.log.Lines();
    ASSERT_GE(lines.size(), 3u);
    const std::regex stamp(R"(^ {3}\d\.\d{3}s: .*)");
    for (const auto& l : lines)
        EXPECT_TRUE(std::regex_match(l, stamp)) << l;
    const auto texts = rig.log.Texts();
    EXPECT_EQ(texts[0], "Open Port Com1: 460800");
    EXPECT_EQ(texts[1], "Transmit Adr \"R\" Nr 040 :  02 02 52 28 83 03");
    EXPECT_EQ(texts[2], "Receive  Adr \"S\" Nr 040 :  02 05 53 28 56 52 4F 88 03");
    // The DIAGNOSE window finds the frame header at fixed positions.
    EXPECT_EQ(lines[1].substr(19, 6), " Adr \"");
}

TEST(Connector, StatusAndExactTransfers)
{
    TLinkRig rig;
    rig.simulator->SetHandler('S', 50, [](const TSimRequest& r) { return Bytes({r.Data.empty() ? 0 : r.Data[0]}); });
    rig.simulator->SetHandler('S', 51, [](const TSimRequest&) { return Bytes({0, 0}); });
    rig.simulator->SetHandler('R', 30, [](const TSimRequest&) { return Bytes({7, 0}); });
    EXPECT_EQ(rig.connector->TransferStatus('S', 50, Bytes({0})), 0);
    EXPECT_EQ(ErrorOf([&] { rig.connector->TransferStatus('S', 50, Bytes({4})); }),
              "Error-Code responsed: Data could not be transferred");
    EXPECT_EQ(ErrorOf([&] { rig.connector->TransferStatus('S', 51); }), "No Answer - Byte received");
    std::uint8_t two[2], three[3];
    rig.connector->TransferExact('R', 30, two);
    EXPECT_EQ(two[0], 7);
    // Three bytes asked for, two came: the shorter answer is an error, not stale bytes.
    EXPECT_EQ(ErrorOf([&] { rig.connector->TransferExact('R', 30, three); }), "Unexpected Messagelen received");
}

TEST(Connector, ScriptedAnswerFaults)
{
    TDvxV24MemoryPortPair pair;
    auto far = pair.TakeB();
    far->OpenEnd();
    TLogCapture log;
    TDvxV24Connector c(pair.TakeA());
    c.SetLogLines(log.Sink());
    c.OpenPort(0, 460800);
    c.SetByteTimeout(100);
    TScriptPeer peer(*far);
    std::uint8_t answer[4];

    struct Case {
        std::vector<std::uint8_t> reply;
        const char* error;
    } cases[] = {
        {Bytes({0x15}), "Error: No ACK Received 21, expected 6."},
        {Bytes({0x06, 0xFF, 0x02, 0x02, 'S', 1, 0xAA, 3}), "Error: No STX Received 255, expected 2."},
        {Bytes({0x06, 0x02, 0x00}), "Error. Received len 0, less than 2."},
        {Bytes({0x06, 0x02, 0x01}), "Error. Received len 1, less than 2."},
        {Bytes({0x06, 0x02, 0x08, 'S', 1, 1, 2, 3, 4, 5, 6, 0, 3}), "Error. Received len 6, exceeds the maxlen 4."},
        {Bytes({0x06, 0x02, 0x06, 'S', 1, 1, 2}), "Timeout Error in Block. No byte received."},
        {Bytes({0x06}), "Timeout Error. No byte received."},
        {Bytes({0x06, 0x02, 0x02, 'S', 1, 0x00, 0x07}), "Illegal checksum received"},
        {Bytes({0x06, 0x02, 0x02, 'X', 1}), "Error: No S command type received"},
    };
    for (const auto& k : cases) {
        peer.Push(k.reply);
        log.Clear();
        EXPECT_EQ(ErrorOf([&] { c.Transfer('R', 1, answer); }), k.error);
        // Every failure leaves the unfinished line and the error line in the log.
        const auto texts = log.Texts();
        ASSERT_GE(texts.size(), 2u);
        EXPECT_EQ(texts.back(), std::string("TDvxV24Connector: ") + k.error);
    }
    // After all that, a good exchange works (each Transfer starts with a purge).
    peer.Push(Bytes({0x06, 0x02, 0x03, 'S', 1, 0x2A, 0xFF - ((3 + 'S' + 1 + 0x2A) & 0xFF), 3}));
    EXPECT_EQ(c.Transfer('R', 1, answer), 1);
    EXPECT_EQ(answer[0], 0x2A);
}

TEST(Connector, EchoOnASensorBus)
{
    TLinkRig rig;
    rig.simulator->SetHandler('a', 3, [](const TSimRequest&) { return Bytes({0x10, 0x20}); });
    rig.simulator->SetEcho(true);
    std::uint8_t answer[8];
    EXPECT_EQ(rig.connector->Transfer('a', 3, answer, Bytes({1, 2, 3})), 2);
    EXPECT_EQ(answer[1], 0x20);
    bool sawEcho = false;
    for (const auto& t : rig.log.Texts())
        if (t.rfind("Echo     Adr \"a\" Nr 003 : ", 0) == 0)
            sawEcho = true;
    EXPECT_TRUE(sawEcho);
}

TEST(Connector, DoubleEchoAndWrongSensorAddress)
{
    TDvxV24MemoryPortPair pair;
    auto far = pair.TakeB();
    far->OpenEnd();
    TDvxV24Connector c(pair.TakeA());
    c.OpenPort(0, 460800);
    c.SetByteTimeout(100);
    TScriptPeer peer(*far);
    auto echo = dvx::BuildFrame('b', 9, {});
    auto twice = echo;
    twice.insert(twice.end(), echo.begin(), echo.end());
    peer.Push(twice);
    std::uint8_t answer[4];
    EXPECT_EQ(ErrorOf([&] { c.Transfer('b', 9, answer); }), "Received Double Echo");
    peer.Push(dvx::BuildFrame('c', 9, {}));
    EXPECT_EQ(ErrorOf([&] { c.Transfer('b', 9, answer); }), "Error. Received Adr c, not allowed.");
    EXPECT_EQ(c.Monitor().Stats().Errors, 2);
}

TEST(Connector, RefusesOverlongFramesAndBadSpeeds)
{
    TLinkRig rig;
    std::vector<std::uint8_t> big(254);
    std::uint8_t answer[1];
    EXPECT_EQ(ErrorOf([&] { rig.connector->Transfer('S', 1, answer, big); }),
              "Error. Transmit len 254, exceeds the maxlen 253.");
    EXPECT_EQ(rig.simulator->Stats().FramesReceived, 0u);
    EXPECT_THROW(rig.connector->SetBaudrate(0), EDvxV24Error);
    EXPECT_THROW(rig.connector->SetBaudrate(-9600), EDvxV24Error);
    EXPECT_EQ(rig.connector->GetBaudrate(), 460800);
    rig.log.Clear();
    rig.connector->SetBaudrate(460800); // unchanged: no reopen
    EXPECT_TRUE(rig.log.Lines().empty());
    rig.connector->SetBaudrate(115200);
    const auto texts = rig.log.Texts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0], "Close Port Com1:");
    EXPECT_EQ(texts[1], "Open Port Com1: 115200");
    EXPECT_EQ(rig.near->Baudrate(), 115200);
}

TEST(Connector, RepeatsAfterFailures)
{
    TLinkRig rig;
    rig.connector->SetByteTimeout(50);
    rig.simulator->SetHandler('R', 2, [](const TSimRequest&) { return Bytes({5}); });
    std::uint8_t answer[4];
    // RepeatLimit 0: the first failure is reported.
    rig.simulator->InjectFault(ESimFault::WrongAddress);
    EXPECT_EQ(ErrorOf([&] { rig.connector->TransferRepeated('R', 2, answer); }), "Error: No S command type received");
    rig.connector->SetRepeatLimit(3);
    rig.connector->SetRepeatTime(10000);
    rig.simulator->InjectFault(ESimFault::LoseAnswer);
    rig.simulator->InjectFault(ESimFault::FlipBit);
    EXPECT_EQ(rig.connector->TransferRepeated('R', 2, answer), 1);
    EXPECT_EQ(rig.connector->GetRepeatCount(), 2u);
    bool cancelLine = false;
    for (const auto& t : rig.log.Texts())
        if (t.rfind("Cancel Transmission:  1B 1B", 0) == 0 &&
            t.size() == std::string("Cancel Transmission: ").size() + 255 * 3)
            cancelLine = true;
    EXPECT_TRUE(cancelLine);
    // Out of repeats: the last failure is passed on.
    rig.simulator->InjectFault(ESimFault::Silent, 4);
    EXPECT_EQ(ErrorOf([&] { rig.connector->TransferRepeated('R', 2, answer); }), "Timeout Error. No byte received.");
    // A cancelled connector sends nothing at all.
    const auto before = rig.simulator->Stats().FramesReceived;
    rig.connector->Cancel();
    EXPECT_EQ(rig.connector->TransferRepeated('R', 2, answer), -1);
    EXPECT_EQ(rig.simulator->Stats().FramesReceived, before);
}

TEST(Connector, RepeatTimeBoundsTheRepeats)
{
    TLinkRig rig;
    rig.connector->SetByteTimeout(60);
    rig.connector->SetRepeatLimit(100);
    rig.connector->SetRepeatTime(100);
    rig.simulator->SetHandler('R', 2, [](const TSimRequest&) { return Bytes({5}); });
    rig.simulator->SetSilent(true);
    std::uint8_t answer[4];
    EXPECT_EQ(ErrorOf([&] { rig.connector->TransferRepeated('R', 2, answer); }), "Timeout Error. No byte received.");
    // Each attempt takes at least the byte time-out, so few fit in 100 ms.
    EXPECT_LE(rig.connector->GetRepeatCount(), 4u);
    EXPECT_GE(rig.connector->GetRepeatCount(), 1u);
}

TEST(Connector, MultipacketRead)
{
    TLinkRig rig;
    auto mem = rig.InstallMemory(1000);
    std::vector<int> progress;
    rig.connector->SetOnProgress([&](int pm) { progress.push_back(pm); });
    std::vector<std::uint8_t> dest(1000);
    EXPECT_EQ(rig.connector->ReadMultipacket('R', 23, 0, dest), 1000);
    EXPECT_EQ(rig.connector->GetTransferState(), ETransferState::tsIdle);
    EXPECT_EQ(dest, mem->Bytes());
    // The closing empty answer is a piece, too, and is notified.
    EXPECT_EQ(progress, (std::vector<int>{240, 480, 720, 960, 1000, 1000}));
}

TEST(Connector, MultipacketReadFromAStartOffset)
{
    TLinkRig rig;
    auto mem = rig.InstallMemory(700);
    std::vector<std::uint32_t> offsets;
    rig.simulator->SetHandler('R', 23, [&, mem](const TSimRequest& r) -> sim::TSimAnswer {
        offsets.push_back(GetU32(r.Data, 0)); // runs on the simulator's thread, read after the read ended
        return mem->Read(GetU32(r.Data, 0), 240);
    });
    std::vector<std::uint8_t> dest(700, 0xEE);
    EXPECT_EQ(rig.connector->ReadMultipacket('R', 23, 100, dest), 700);
    EXPECT_EQ(offsets, (std::vector<std::uint32_t>{0, 100, 340, 580, 700}));
    const auto bytes = mem->Bytes();
    EXPECT_TRUE(std::all_of(dest.begin(), dest.begin() + 100, [](auto b) { return b == 0xEE; }));
    EXPECT_TRUE(std::equal(dest.begin() + 100, dest.end(), bytes.begin() + 100));
    EXPECT_THROW(rig.connector->ReadMultipacket('R', 23, -1, dest), EDvxV24Error);
}

TEST(Connector, MultipacketReadFailures)
{
    TLinkRig rig;
    rig.InstallMemory(1000);
    // Area larger than the buffer: refused before the buffer would overflow.
    std::vector<std::uint8_t> small(500);
    EXPECT_EQ(rig.connector->ReadMultipacket('R', 23, 0, small), 480);
    EXPECT_EQ(rig.connector->GetTransferState(), ETransferState::tsFailed);
    EXPECT_EQ(rig.connector->LastError(),
              "Multipacket Error: Received len 720, exceeds the maxlen 500. (Number: 23 Address: 82)");
    // A failed piece: the bytes read so far, and tsFailed.
    rig.connector->SetByteTimeout(50);
    std::vector<std::uint8_t> dest(1000);
    std::atomic<int> calls{0};
    auto mem = std::make_shared<sim::TSimMemory>(Pattern(1000));
    rig.simulator->SetHandler('R', 23, [&, mem](const TSimRequest& r) -> sim::TSimAnswer {
        if (++calls == 3)
            return std::nullopt;
        return mem->Read(GetU32(r.Data, 0), 240);
    });
    EXPECT_EQ(rig.connector->ReadMultipacket('R', 23, 0, dest), 480);
    EXPECT_EQ(rig.connector->GetTransferState(), ETransferState::tsFailed);
    EXPECT_EQ(rig.connector->LastError(), "Timeout Error. No byte received.");
}

TEST(Connector, MultipacketWrite)
{
    TLinkRig rig;
    auto mem = rig.InstallMemory(1000, 'R', 60, 'S', 61);
    const auto src = Pattern(1000, 7);
    EXPECT_EQ(rig.connector->WriteMultipacket('S', 61, 240, src), 0);
    EXPECT_EQ(rig.connector->GetTransferState(), ETransferState::tsIdle);
    EXPECT_EQ(mem->Bytes(), src);
    // The area ends before the data do: the recorder refuses a packet.
    const auto tooMuch = Pattern(1100, 8);
    EXPECT_EQ(ErrorOf([&] { rig.connector->WriteMultipacket('S', 61, 200, tooMuch); }),
              "Multipacket Error:A transmit packet gets ErrorResult 1");
    EXPECT_EQ(rig.connector->GetTransferState(), ETransferState::tsFailed);
    // A cancel after the first packet: the area is only partly written, so no success.
    rig.connector->SetOnProgress([&](int) { rig.connector->Cancel(); });
    EXPECT_EQ(ErrorOf([&] { rig.connector->WriteMultipacket('S', 61, 240, src); }),
              "Multipacket Error: transfer cancelled after 240 of 1000 bytes.");
    EXPECT_EQ(rig.connector->GetTransferState(), ETransferState::tsFailed);
    EXPECT_THROW(rig.connector->WriteMultipacket('S', 61, 241, src), EDvxV24Error);
}

TEST(Connector, EnqProbe)
{
    TLinkRig rig;
    EXPECT_EQ(rig.connector->GetEnqState(), 0x06);
    rig.simulator->SetEnqHandler([] { return std::optional<std::uint8_t>(0x15); });
    EXPECT_EQ(rig.connector->GetEnqState(), 0x15);
    rig.simulator->SetSilent(true);
    rig.connector->SetByteTimeout(30);
    EXPECT_EQ(rig.connector->GetEnqState(), 0);
    EXPECT_EQ(rig.connector->GetByteTimeout(), 2000u);
    const auto texts = rig.log.Texts();
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Start GetEnqState synchronistation"), texts.end());
    EXPECT_EQ(texts.back(), "End GetEnqState synchronistation");
}

TEST(Connector, ServiceSequencesAreTolerated)
{
    TLinkRig rig;
    std::mutex m;
    std::vector<std::uint8_t> idle;
    rig.simulator->SetIdleByteHook([&](std::uint8_t b) {
        std::lock_guard lock(m);
        idle.push_back(b);
    });
    rig.simulator->SetHandler('R', 40, [](const TSimRequest&) { return Bytes({1}); });
    rig.connector->SendCancelSequence();
    rig.connector->Send55Sequence();
    std::uint8_t answer[4];
    EXPECT_EQ(rig.connector->Transfer('R', 40, answer), 1); // served after all of it
    std::lock_guard lock(m);
    ASSERT_EQ(idle.size(), 255u + 251u + 9u);
    EXPECT_EQ(std::string(idle.end() - 8, idle.end()), "DvxStart");
}

TEST(Connector, OpenErrorsNameThePort)
{
    TDvxV24Connector c;
    c.SetPortIndex(97);
    TDvxPortTable::Global().Assign(97, "/nonexistent/ttyX");
    try {
        c.Open();
        FAIL() << "opened a missing device";
    } catch (const EDvxV24Error& e) {
        EXPECT_STREQ(e.what(), "Serial Open Error Com98");
        EXPECT_EQ(e.Detail(), "/nonexistent/ttyX: no such device");
    }
    TDvxPortTable::Global().Assign(97, "/dev/null");
    try {
        c.Open();
        FAIL() << "opened /dev/null as a serial port";
    } catch (const EDvxV24Error& e) {
        EXPECT_STREQ(e.what(), "Serial Open Error Com98");
        EXPECT_EQ(e.Detail(), "/dev/null: not a serial device");
    }
    TDvxPortTable::Global().Assign(97, "");
    EXPECT_FALSE(c.IsOpen());
    EXPECT_EQ(TDvxV24SerialPort::DescribeOpenError("/dev/ttyUSB0", EBUSY),
              "/dev/ttyUSB0: busy (another program uses the port)");
    EXPECT_NE(TDvxV24SerialPort::DescribeOpenError("/dev/null", EACCES).find("must be in the group"),
              std::string::npos);
}

TEST(PortTable, NamesAndAssignments)
{
    auto& t = TDvxPortTable::Global();
    EXPECT_EQ(*TDvxPortTable::ScanName(0), "/dev/ttyS0");
    EXPECT_EQ(*TDvxPortTable::ScanName(33), "/dev/ttyUSB1");
    EXPECT_EQ(*TDvxPortTable::ScanName(64), "/dev/ttyACM0");
    EXPECT_FALSE(TDvxPortTable::ScanName(95));
    EXPECT_EQ(*t.IndexOf("/dev/ttyUSB3"), 35);
    EXPECT_FALSE(t.IndexOf("/dev/ttyUSBx"));
    t.Assign(90, "/tmp/sim-pty");
    EXPECT_EQ(*t.PathOf(90), "/tmp/sim-pty");
    EXPECT_EQ(*t.IndexOf("/tmp/sim-pty"), 90);
    t.Assign(90, "");
    EXPECT_EQ(*t.PathOf(90), "/dev/ttyACM26"); // back to the scan's name
    EXPECT_THROW(t.Assign(99, "/x"), std::invalid_argument);
    const auto a = TDvxPortTable::ParseAssignments("COM5=/dev/pts/3,COM99=/tmp/a");
    ASSERT_EQ(a.size(), 2u);
    EXPECT_EQ(a[0].first, 4);
    EXPECT_EQ(a[1].second, "/tmp/a");
    for (const char* bad : {"COM0=/x", "COM100=/x", "COM=/x", "COM5", "COM5=", "5=/x", "COMx=/y"})
        EXPECT_THROW(TDvxPortTable::ParseAssignments(bad), std::invalid_argument) << bad;
}

} // namespace
} // namespace vro::test
