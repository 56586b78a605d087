// The connection settings in the configuration, the port list modes, the
// port test and the device search against simulated recorders on
// pseudo-terminals.
#include "connection_support.h"

#include "core/config/configkeys.h"
#include "core/config/inilist.h"
#include "core/text/texts.h"
#include "link/dvxv24memoryport.h"

#include <gtest/gtest.h>

namespace vro::test {
namespace {

std::unique_ptr<TDvxConnection> MemoryConnection(std::unique_ptr<TDvxPortSource> ports = nullptr)
{
    TDvxV24MemoryPortPair pair;
    return std::make_unique<TDvxConnection>(pair.TakeA(), TDvxDispatcher{},
                                            ports ? std::move(ports) : std::make_unique<TFakePortSource>());
}

std::vector<std::string> Keys(const TIniList& list)
{
    std::vector<std::string> keys;
    if (const auto* s = list.FindSection(cfg::kConnectionSettings))
        for (const auto& [k, v] : s->lines)
            keys.push_back(k);
    return keys;
}

TEST(ConnectionSettings, RoundTripThroughTheConfiguration)
{
    SelectTextLanguage("en");
    TIniList list;
    auto a = MemoryConnection();
    a->SetConfig(&list);
    a->SetPortIndex(4);
    a->SetBaudrate(460800);
    a->AutoConnect = true;
    a->PortScanMode = 2;
    a->SaveSettings();
    EXPECT_EQ(Keys(list),
              (std::vector<std::string>{"ComPort", "Baudrate", "BusAddress", "AutoConnect", "PortScanMode"}))
        << "no device known behind COM5: no device key";
    EXPECT_EQ(list.ReadString(cfg::kConnectionSettings, "BusAddress", ""), "+");

    auto b = MemoryConnection();
    b->SetConfig(&list);
    b->LoadSettings();
    EXPECT_EQ(b->PortIndex(), 4);
    EXPECT_EQ(b->Baudrate(), 460800);
    EXPECT_TRUE(b->AutoConnect);
    EXPECT_EQ(b->PortScanMode, 2);
    EXPECT_EQ(b->GetDescription(), "COM5: 460800 baud");
}

TEST(ConnectionSettings, DefaultsAndValuesNoPortCanHave)
{
    TIniList list;
    auto c = MemoryConnection();
    c->SetConfig(&list);
    c->LoadSettings(); // empty configuration
    EXPECT_EQ(c->PortIndex(), 0);
    EXPECT_EQ(c->Baudrate(), 9600);
    EXPECT_FALSE(c->AutoConnect);
    EXPECT_EQ(c->PortScanMode, 0);

    list.SelectSection(cfg::kConnectionSettings);
    list.WriteInt("Baudrate", 0);
    list.WriteInt("ComPort", 5000);
    list.WriteInt("PortScanMode", 7);
    c->SetBaudrate(19200);
    c->LoadSettings();
    EXPECT_EQ(c->Baudrate(), 9600);
    EXPECT_EQ(c->PortIndex(), 0);
    EXPECT_EQ(c->PortScanMode, 0);
    list.WriteInt("Baudrate", -5);
    list.WriteInt("ComPort", -3);
    c->LoadSettings();
    EXPECT_EQ(c->Baudrate(), 9600);
    EXPECT_EQ(c->PortIndex(), 0);
}

TEST(ConnectionSettings, WithoutConfigurationBothRaise)
{
    auto c = MemoryConnection();
    try {
        c->LoadSettings();
        FAIL() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "ApplicationConfig doesn't exist");
    }
    EXPECT_THROW(c->SaveSettings(), std::runtime_error);
}

TEST(ConnectionSettings, DevicePathKeepsThePortsIdentity)
{
    std::string why;
    if (!sim::TSimPty::Available(why))
        GTEST_SKIP() << why;
    TSilentPty first, second;
    const std::string path = first.pty->SlavePath();
    TIniList list;
    list.SelectSection(cfg::kConnectionSettings);
    list.WriteInt("ComPort", 95);
    list.WriteString("ComPortDevice", path);
    {
        // Unknown to the port table: it takes its stored number.
        TDvxConnection c(nullptr, {}, std::make_unique<TDvxSystemPortSource>());
        c.SetConfig(&list);
        c.LoadSettings();
        EXPECT_EQ(c.PortIndex(), 95);
        EXPECT_EQ(c.PortPath(), path);
        EXPECT_EQ(c.GetDescription(), "COM96: 9600 baud (" + path + ")");
    }
    {
        // The same device under another number now: the device wins.
        TDvxPortTable::Global().Assign(95, "");
        TDvxPortTable::Global().Assign(96, path);
        TDvxConnection c(nullptr, {}, std::make_unique<TDvxSystemPortSource>());
        c.SetConfig(&list);
        c.LoadSettings();
        EXPECT_EQ(c.PortIndex(), 96);
        c.SaveSettings();
        EXPECT_EQ(list.ReadInt(cfg::kConnectionSettings, "ComPort", -1), 96);
        EXPECT_EQ(list.ReadString(cfg::kConnectionSettings, "ComPortDevice", ""), path);
    }
    {
        // The stored number belongs to another device now: a free number.
        TDvxPortTable::Global().Assign(96, "");
        TDvxPortTable::Global().Assign(95, second.pty->SlavePath());
        list.SelectSection(cfg::kConnectionSettings);
        list.WriteInt("ComPort", 95);
        TDvxConnection c(nullptr, {}, std::make_unique<TDvxSystemPortSource>());
        c.SetConfig(&list);
        c.LoadSettings();
        EXPECT_NE(c.PortIndex(), 95);
        EXPECT_GE(c.PortIndex(), 89);
        EXPECT_EQ(c.PortPath(), path);
        TDvxPortTable::Global().Assign(c.PortIndex(), "");
        TDvxPortTable::Global().Assign(95, "");
    }
}

TEST(ConnectionSettings, TypedPathsMustBeTerminalDevices)
{
    auto c = MemoryConnection();
    EXPECT_THROW(c->SetPortPath("/nonexistent/tty"), std::invalid_argument);
    EXPECT_THROW(c->SetPortPath("/etc/hostname"), std::invalid_argument);
    EXPECT_THROW(c->SetPortPath(""), std::invalid_argument);
    const char* argv[] = {"vrowin", "file.vxrf", "--port", "/dev/pts/9"};
    EXPECT_EQ(PortFromArguments(4, argv), "/dev/pts/9");
    const char* argv2[] = {"vrowin", "--port=/tmp/x"};
    EXPECT_EQ(PortFromArguments(2, argv2), "/tmp/x");
    const char* argv3[] = {"vrowin", "--port"};
    EXPECT_EQ(PortFromArguments(2, argv3), std::nullopt);
}

// ---- port list --------------------------------------------------------------------

std::unique_ptr<TFakePortSource> SampleTable()
{
    auto t = std::make_unique<TFakePortSource>();
    t->entries = {{0, "/dev/ttyS0", EPortKind::Rs232, "serial8250"},
                  {4, "/dev/ttyS4", EPortKind::Rs232, "serial8250"},
                  {32, "/dev/ttyUSB0", EPortKind::Usb, "cp210x"},
                  {91, "/dev/pts/7", EPortKind::Explicit, ""}};
    t->taken = {4};
    return t;
}

TEST(PortList, KnownKindsWithLabelsWeightsAndAssignedMarks)
{
    SelectTextLanguage("en");
    auto c = MemoryConnection(SampleTable());
    const TDvxPortList l = c->BuildPortList(0);
    ASSERT_EQ(l.Entries.size(), 4u);
    EXPECT_EQ(l.Entries[0].Text, "COM1: (RS232) /dev/ttyS0");
    EXPECT_EQ(l.Entries[1].Text, "COM5: (RS232) (assigned) /dev/ttyS4");
    EXPECT_EQ(l.Entries[2].Text, "COM33: (USB) /dev/ttyUSB0");
    EXPECT_EQ(l.Entries[3].Text, "COM92: (PTY) /dev/pts/7");
    EXPECT_EQ(l.Entries[1].PortIndex, 4); // an assigned port keeps its number in this mode
    EXPECT_EQ(l.SearchWeight, 2 + 2 + 1 + 1);
    for (const auto& e : l.Entries)
        EXPECT_EQ(PortIndexFromEntryText(e.Text), e.PortIndex);

    EXPECT_TRUE(MemoryConnection()->BuildPortList(0).Entries.empty());
    EXPECT_EQ(MemoryConnection()->BuildPortList(0).SearchWeight, 0);
}

TEST(PortList, ExistingPortsAreProbedWithProgress)
{
    SelectTextLanguage("en");
    auto c = MemoryConnection(SampleTable());
    std::vector<std::int32_t> probed;
    const TDvxPortList l = c->BuildPortList(1, [&](std::int32_t i) { probed.push_back(i); });
    ASSERT_EQ(l.Entries.size(), 4u);
    EXPECT_EQ(l.Entries[1].Text, "COM5:(assigned) /dev/ttyS4");
    EXPECT_EQ(l.Entries[1].PortIndex, -1);
    EXPECT_EQ(PortIndexFromEntryText(l.Entries[1].Text), 4) << "still chosen by its text";
    EXPECT_EQ(l.Entries[3].Text, "COM92: /dev/pts/7");
    ASSERT_FALSE(probed.empty());
    EXPECT_EQ(probed.front(), 0);
    for (std::int32_t n : {4, 14, 44, 94})
        EXPECT_NE(std::find(probed.begin(), probed.end(), n), probed.end()) << n;
}

TEST(PortList, AllPossiblePortsAndEntryTexts)
{
    auto c = MemoryConnection(SampleTable());
    const TDvxPortList l = c->BuildPortList(2);
    ASSERT_EQ(l.Entries.size(), 99u);
    EXPECT_EQ(l.Entries[0].Text, "COM1: /dev/ttyS0");
    EXPECT_EQ(l.Entries[1].Text, "COM2:");
    EXPECT_EQ(l.Entries[98].Text, "COM99:");
    for (int i = 0; i < 99; ++i)
        EXPECT_EQ(PortIndexFromEntryText(l.Entries[i].Text), i);
    EXPECT_EQ(c->BuildPortList(17).Entries.size(), 4u) << "unknown modes build the known kinds";
    EXPECT_EQ(PortIndexFromEntryText("COM"), -1);
    EXPECT_EQ(PortIndexFromEntryText("COM0:"), -1);
    EXPECT_EQ(PortIndexFromEntryText("COMx"), -1);
    EXPECT_EQ(PortIndexFromEntryText("COM123"), 11);
}

TEST(FormatDvxText, FillsFieldsInOrderAndNeverPastTheValues)
{
    EXPECT_EQ(FormatDvxText("%s at COM%d with %d baud", {"VRO8K-M V2.10", "5", "460800"}),
              "VRO8K-M V2.10 at COM5 with 460800 baud");
    EXPECT_EQ(FormatDvxText("Port %d, Baud rate %d", {"3"}), "Port 3, Baud rate ");
    EXPECT_EQ(FormatDvxText("%5d|%-4s|100%%|%x", {"42", "ab"}), "   42|ab  |100%|%x");
    EXPECT_EQ(FormatDvxText("%", {}), "%");
}

// ---- port test and search over pseudo-terminals --------------------------------------

class PtySearch : public ::testing::Test {
protected:
    void SetUp() override
    {
        SelectTextLanguage("en");
        std::string why;
        if (!sim::TSimPty::Available(why))
            GTEST_SKIP() << why;
    }
    void TearDown() override
    {
        for (std::int32_t i : assigned)
            TDvxPortTable::Global().Assign(i, "");
    }
    // Gives the pty a port number and lists it with the kind.
    TPortEntry Add(const sim::TSimPty& pty, std::int32_t index, EPortKind kind = EPortKind::Explicit)
    {
        TDvxPortTable::Global().Assign(index, pty.SlavePath());
        assigned.push_back(index);
        return TPortEntry{index, pty.SlavePath(), kind, ""};
    }
    std::unique_ptr<TDvxConnection> Connection(std::vector<TPortEntry> entries)
    {
        auto src = std::make_unique<TListedPortSource>();
        src->entries = std::move(entries);
        auto c = std::make_unique<TDvxConnection>(nullptr, TDvxDispatcher{}, std::move(src));
        c->SetSearchByteTimeout(150);
        return c;
    }
    std::vector<std::int32_t> assigned;
};

TEST_F(PtySearch, FindsTheRecorderOnTheRightPortAndBaudRate)
{
    TSilentPty nobody;
    TPtyRecorder at115200(115200);
    TPtyRecorder stranger(0, "OTHER-DEVICE 1");
    auto c = Connection({Add(*nobody.pty, 89), Add(*at115200.pty, 90), Add(*stranger.pty, 91)});
    c->SetPortIndex(3);
    c->SetBaudrate(19200);
    c->Connector().SetByteTimeout(2000);
    std::vector<TDvxSearchStep> steps;
    const TDvxSearchOutcome out = c->SearchDevices([&](const TDvxSearchStep& s) {
        steps.push_back(s);
        return true;
    });
    EXPECT_FALSE(out.NoPorts);
    EXPECT_FALSE(out.Cancelled);
    ASSERT_EQ(out.Results.size(), 1u);
    EXPECT_EQ(out.Results[0].PortIndex, 90);
    EXPECT_EQ(out.Results[0].Baudrate, 115200);
    EXPECT_EQ(out.Results[0].IdentText, "VRO8K-M V2.10");
    EXPECT_EQ(out.Results[0].Line, "VRO8K-M V2.10 at COM91 with 115200 baud");
    EXPECT_EQ(out.Results[0].Path, at115200.pty->SlavePath());
    // Six rates on the silent port, two on the recorder's (found at the
    // second), six on the stranger's.
    ASSERT_EQ(steps.size(), 6u + 2u + 6u);
    EXPECT_EQ(steps[0].Text, "Interfaces are being searched through: Port 90, Baud rate 460800");
    EXPECT_EQ(steps[6].PortNumber, 91);
    EXPECT_EQ(steps[7].Baudrate, 115200);
    EXPECT_EQ(steps[0].Position, 33); // 100 / weight 3
    EXPECT_EQ(steps.back().Position, 100);
    // Everything as it was: port, rate, time-out, closed, list mode 0.
    EXPECT_EQ(c->PortIndex(), 3);
    EXPECT_EQ(c->Baudrate(), 19200);
    EXPECT_EQ(c->Connector().GetByteTimeout(), 2000u);
    EXPECT_FALSE(c->IsOpen());
    EXPECT_EQ(c->PortScanMode, 0);
}

TEST_F(PtySearch, Rs232PortsAreNotTriedAbove200000Baud)
{
    TPtyRecorder anyRate;
    auto c = Connection({Add(*anyRate.pty, 92, EPortKind::Rs232)});
    std::vector<std::int32_t> rates;
    const TDvxSearchOutcome out = c->SearchDevices([&](const TDvxSearchStep& s) {
        rates.push_back(s.Baudrate);
        return true;
    });
    ASSERT_EQ(out.Results.size(), 1u);
    EXPECT_EQ(out.Results[0].Baudrate, 115200);
    EXPECT_EQ(rates, (std::vector<std::int32_t>{115200}));
}

TEST_F(PtySearch, CancelStopsAndRestores)
{
    TPtyRecorder rec;
    auto c = Connection({Add(*rec.pty, 93)});
    c->SetBaudrate(38400);
    c->PortScanMode = 2;
    int calls = 0;
    const TDvxSearchOutcome out = c->SearchDevices([&](const TDvxSearchStep&) { return ++calls < 1; });
    EXPECT_TRUE(out.Cancelled);
    EXPECT_TRUE(out.Results.empty());
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(c->Baudrate(), 38400);
    EXPECT_EQ(c->PortScanMode, 0) << "the search switches to the known kinds even when cancelled";

    auto none = Connection({});
    EXPECT_TRUE(none->SearchDevices().NoPorts);
}

TEST_F(PtySearch, PortTestKeepsOrRestoresTheChoice)
{
    TSilentPty pty;
    auto c = Connection({Add(*pty.pty, 94)});
    c->SetPortIndex(2);
    c->SetBaudrate(9600);
    EXPECT_TRUE(c->ApplyPortSettings(460800, 94, 1));
    EXPECT_EQ(c->PortIndex(), 94);
    EXPECT_EQ(c->Baudrate(), 460800);
    EXPECT_EQ(c->PortScanMode, 1);
    EXPECT_FALSE(c->IsOpen());
    // A number with no device behind it: the test fails and the old choice returns.
    EXPECT_FALSE(c->ApplyPortSettings(57600, 97, 2));
    EXPECT_EQ(c->PortIndex(), 94);
    EXPECT_EQ(c->Baudrate(), 460800);
    EXPECT_FALSE(c->IsOpen());
    // An occupied port is listed as assigned and fails the test.
    TDvxV24Connector holder;
    holder.OpenPort(94, 9600);
    const TDvxPortList l = c->BuildPortList(1);
    bool seen = false;
    for (const auto& e : l.Entries)
        if (PortIndexFromEntryText(e.Text) == 94) {
            seen = true;
            EXPECT_NE(e.Text.find("(assigned)"), std::string::npos) << e.Text;
        }
    EXPECT_TRUE(seen);
    EXPECT_FALSE(c->ApplyPortSettings(9600, 94, 1));
}

TEST_F(PtySearch, TypedPseudoTerminalPathIsAccepted)
{
    TPtyRecorder rec;
    auto c = Connection({});
    const std::int32_t index = c->SetPortPath(rec.pty->SlavePath());
    assigned.push_back(index);
    EXPECT_EQ(c->PortPath(), rec.pty->SlavePath());
    EXPECT_EQ(c->SetPortPath(rec.pty->SlavePath()), index) << "the same path keeps its number";
    c->SetBaudrate(460800);
    c->Open();
    EXPECT_EQ(c->ReadIdentText(), "VRO8K-M V2.10");
    c->Close();
}

} // namespace
} // namespace vro::test
