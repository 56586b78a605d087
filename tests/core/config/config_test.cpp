#include "core/config/applicationconfig.h"
#include "core/config/configkeys.h"
#include "core/config/inilist.h"
#include "core/text/texts.h"
#include "core/util/atomicfile.h"
#include "core/util/md5.h"
#include "core/xml/ezcrypt.h"
#include "core/xml/xmlstream.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace vro;

namespace {

struct TFakeUi : IConfigUi {
    std::vector<std::pair<std::string, std::string>> warnings;
    std::optional<std::string> language = "en";
    int languageAsked = 0;
    int reloads = 0;
    void ShowWarning(const std::string& heading, const std::string& text) override
    {
        warnings.emplace_back(heading, text);
    }
    std::optional<std::string> AskLanguage() override
    {
        ++languageAsked;
        return language;
    }
    void ReloadConnectionSettings() override { ++reloads; }
};

class ConfigTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() / ("vro-config-test-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        file_ = dir_ / "vrowin-tester.vxacf";
        TApplicationConfig::ResetSaveFailureReported();
    }
    void TearDown() override { fs::remove_all(dir_); }

    // One program start up to the end of the start-up protocol.
    std::unique_ptr<TApplicationConfig> Start(TFakeUi& ui)
    {
        auto c = std::make_unique<TApplicationConfig>(file_, &ui);
        c->Load();
        c->RunStartupProtocol();
        return c;
    }

    fs::path dir_;
    fs::path file_;
};

const std::string kDecl = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\" standalone=\"yes\"?>\r\n";
const std::string kHead = "Automatic generated file! Do not modify\r\n\r\n" + kDecl;

} // namespace

TEST(IniList, TypedValuesDefaultsAndEscaping)
{
    TIniList l;
    EXPECT_EQ(l.ReadInt("x", 3), 3); // nothing selected: defaults
    EXPECT_THROW(l.WriteInt("x", 1), std::logic_error);
    l.SelectSection("S");
    l.WriteBool("b", true);
    l.WriteInt("i", -12);
    l.WriteString("s", "\"a<b & c\"");
    l.WriteString("crlf", "line1\r\nline2");
    EXPECT_EQ(l.Sections()[0].lines[2].second, "&quot;a&lt;b &amp; c&quot;");
    EXPECT_EQ(l.Sections()[0].lines[3].second, "line1&#10;line2");
    EXPECT_EQ(l.ReadString("s", ""), "\"a<b & c\"");
    EXPECT_EQ(l.ReadString("crlf", ""), "line1\r\nline2");
    EXPECT_TRUE(l.ReadBool("b", false));
    EXPECT_EQ(l.ReadInt("i", 0), -12);
    l.WriteInt("i", 5); // replaces in place
    EXPECT_EQ(l.Sections()[0].lines[1], (TIniList::TLine{"i", "5"}));

    for (const char* t : {"Yes", "TRUE", "1"}) {
        l.WriteString("v", t);
        EXPECT_TRUE(l.ReadBool("v", false)) << t;
    }
    for (const char* d : {"2", "y"}) {
        l.WriteString("v", d);
        EXPECT_FALSE(l.ReadBool("v", false)) << d;
        EXPECT_EQ(l.ReadInt("v", 77), d[0] == '2' ? 2 : 77);
    }
    // An empty string removes the key; reads then give the default.
    l.WriteString("s", "");
    EXPECT_FALSE(l.HasKey("s"));
    EXPECT_EQ(l.ReadString("s", "dflt"), "dflt");

    // Section names match case-sensitively; a new name appends a section.
    l.SelectSection("s");
    EXPECT_EQ(l.Sections().size(), 2u);
    EXPECT_FALSE(l.HasKey("b"));
    EXPECT_TRUE(l.HasKey("S", "b"));
    // Reading another section creates nothing.
    EXPECT_EQ(l.ReadInt("Other", "k", 4), 4);
    EXPECT_EQ(l.Sections().size(), 2u);
}

TEST(IniList, FileShapeIsChecked)
{
    auto load = [](const std::string& doc, TIniList& l) {
        TXmlReader r;
        r.LoadFromString(doc);
        l.LoadFromXml(r, "VxApplicationConfig");
    };
    TIniList l;
    EXPECT_THROW(
        try { load(kHead, l); } catch (const EConfigError& e) {
            EXPECT_STREQ(e.what(), "List not found in XML-Stream");
            throw;
        },
        EConfigError);
    // Sections before a non-empty child stay.
    try {
        load("<VxApplicationConfig><A k=\"1\" /><B></B></VxApplicationConfig>", l);
        FAIL();
    } catch (const EConfigError& e) {
        EXPECT_STREQ(e.what(), "NonEmpty tags found in XML-Stream");
    }
    ASSERT_EQ(l.Sections().size(), 1u);
    EXPECT_EQ(l.ReadInt("A", "k", 0), 1);

    // Comments and text before the root are skipped; single quotes work and a
    // double quote inside them survives a save.
    TIniList m;
    load("junk\r\n<!-- <x> -->\r\n<VxApplicationConfig>\r\n  <G a='say \"hi\"' b=\"2\" />\r\n"
         "</VxApplicationConfig>\r\n",
         m);
    EXPECT_EQ(m.ReadString("G", "a", ""), "say \"hi\"");
    TXmlWriter w;
    m.SaveToXml(w, "VxApplicationConfig");
    EXPECT_EQ(w.Buffer(),
              "<VxApplicationConfig>\r\n  <G a=\"say &quot;hi&quot;\" b=\"2\" />\r\n</VxApplicationConfig>\r\n");
    TIniList n;
    load(w.Buffer(), n);
    EXPECT_EQ(n.Sections(), m.Sections());

    TIniList e;
    load("<VxApplicationConfig/>", e);
    EXPECT_TRUE(e.Sections().empty());
}

TEST(ConfigKeys, RegistryDefaultsAndRecentFiles)
{
    TIniList empty;
    // The 54 fixed keys and the serial port's device path, each once.
    std::set<std::pair<std::string_view, std::string_view>> keys;
    for (const cfg::TKeyInfo& k : cfg::Registry())
        EXPECT_TRUE(keys.emplace(k.section, k.key).second) << k.section << "/" << k.key;
    EXPECT_EQ(keys.size(), 55u);
    EXPECT_EQ(cfg::Read(empty, cfg::kBaudrate), 9600);
    EXPECT_EQ(cfg::Read(empty, cfg::kKeepNameIndex), -1);
    EXPECT_EQ(cfg::Read(empty, cfg::kRefFilename), "---");
    EXPECT_TRUE(cfg::Read(empty, cfg::kMergeFolder));
    EXPECT_FALSE(cfg::Read(empty, cfg::ReferenceApplyDefault(cfg::kRefTimeSettings)));
    EXPECT_TRUE(cfg::Read(empty, cfg::ReferenceApplyDefault(cfg::kRefAxisSettings)));
    EXPECT_FALSE(cfg::Read(empty, cfg::ReferenceApplyDefault(cfg::kUseReferenceReceive)));
    EXPECT_EQ(cfg::ReadSensorRecordingFolder(empty), fs::current_path().string());
    EXPECT_TRUE(empty.Sections().empty());

    TIniList l;
    std::vector<std::string> files;
    for (int i = 0; i < 35; ++i)
        files.push_back("/data/r" + std::to_string(i) + ".vxrf");
    cfg::WriteRecentFiles(l, files);
    EXPECT_EQ(cfg::Read(l, cfg::kRecentCount), 30);
    EXPECT_FALSE(l.HasKey("RecentFiles", "File30"));
    EXPECT_EQ(cfg::ReadRecentFiles(l), std::vector<std::string>(files.begin(), files.begin() + 30));
    cfg::WriteRecentFiles(l, {"a", "b"});
    EXPECT_FALSE(l.HasKey("RecentFiles", "File2"));
    EXPECT_EQ(cfg::ReadRecentFiles(l), (std::vector<std::string>{"a", "b"}));
    // Reading stops at the first missing entry.
    l.SelectSection("RecentFiles");
    l.WriteInt("Count", 5);
    l.WriteString("File3", "d");
    EXPECT_EQ(cfg::ReadRecentFiles(l).size(), 2u);
}

TEST(ConfigPlacement, ClampToWorkArea)
{
    const TPlacementRect screen{0, 0, 1920, 1040};
    EXPECT_EQ(ClampPlacement({-5000, 20, 800, 600}, screen), (TPlacementRect{0, 20, 800, 600}));
    EXPECT_EQ(ClampPlacement({10, 10, 3000, 600}, screen), (TPlacementRect{0, 10, 1920, 600}));
    EXPECT_EQ(ClampPlacement({1800, 900, 400, 300}, screen), (TPlacementRect{1520, 740, 400, 300}));
    // A work area that does not start at 0 (second screen, panel on the left).
    const TPlacementRect right{1920, 30, 1280, 994};
    EXPECT_EQ(ClampPlacement({10, 10, 400, 300}, right), (TPlacementRect{1920, 30, 400, 300}));
    EXPECT_EQ(ClampPlacement({3100, 900, 400, 300}, right), (TPlacementRect{2800, 724, 400, 300}));
    // A minimum larger than the area: pinned to the area's corner.
    EXPECT_EQ(ClampPlacement({500, 500, 300, 200}, {100, 50, 200, 100}, 250, 150), (TPlacementRect{100, 50, 250, 150}));
    // Hostile stored values do not overflow.
    EXPECT_EQ(ClampPlacement({INT32_MAX, INT32_MIN, INT32_MAX, INT32_MAX}, screen), (TPlacementRect{0, 0, 1920, 1040}));
}

TEST_F(ConfigTest, PlacementStoreAndRestore)
{
    TApplicationConfig c(file_);
    EXPECT_FALSE(c.RestorePlacement("MainForm"));
    c.StorePlacement("MainForm", true, false, {1, 2, 3, 4});
    EXPECT_FALSE(c.RestorePlacement("MainForm")); // no rectangle stored yet
    c.StorePlacement("MainForm", false, true, {15, 25, 640, 480});
    auto p = c.RestorePlacement("MainForm");
    ASSERT_TRUE(p);
    EXPECT_FALSE(p->maximized);
    EXPECT_EQ(p->rect, (TPlacementRect{15, 25, 640, 480}));
    const auto& lines = c.List().FindSection("MainForm")->lines;
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0].first, "Maximized");
    EXPECT_EQ(lines[1].first, "Top");
    // Missing keys take the defaults.
    c.List().SelectSection("SensorForm");
    c.List().WriteInt("Top", 7);
    EXPECT_EQ(c.RestorePlacement("SensorForm")->rect, (TPlacementRect{10, 7, 400, 300}));
}

TEST_F(ConfigTest, FirstRunWritesTheFileOfTheExample)
{
    TFakeUi ui;
    auto c = std::make_unique<TApplicationConfig>(file_, &ui);
    c->Load();
    EXPECT_TRUE(c->FirstRun());
    EXPECT_FALSE(c->WasShutDown());
    EXPECT_EQ(c->Language(), "en");
    EXPECT_FALSE(c->FileWasDamaged());
    ASSERT_TRUE(c->RunStartupProtocol());
    EXPECT_EQ(ui.languageAsked, 1);
    EXPECT_TRUE(ui.warnings.empty());
    EXPECT_EQ(ReadWholeFile(file_), kHead + "<VxApplicationConfig>\r\n"
                                            "  <Globals FirstRun=\"0\" Language=\"en\" WasShutDown=\"0\" "
                                            "ShowDownloadRecoveryInfo=\"1\" />\r\n"
                                            "</VxApplicationConfig>\r\n");

    // A cancelled language dialog ends the program without saving.
    fs::remove(file_);
    TFakeUi cancel;
    cancel.language.reset();
    TApplicationConfig d(file_, &cancel);
    d.Load();
    EXPECT_FALSE(d.RunStartupProtocol());
    EXPECT_FALSE(fs::exists(file_));
}

TEST_F(ConfigTest, RoundTripOfEverySetting)
{
    TFakeUi ui;
    ui.language = "de";
    auto c = Start(ui);
    EXPECT_EQ(c->Language(), "de");
    c->SetWorkingDirectory("/home/t\xC3\xA4ster/Messungen \xE2\x82\xAC");
    c->SetShowDownloadRecoveryInfo(false);
    TIniList& l = c->List();
    cfg::Write(l, cfg::kComPort, 3);
    cfg::Write(l, cfg::kComPortDevice, "/dev/ttyUSB0");
    cfg::Write(l, cfg::kBaudrate, 460800);
    cfg::Write(l, cfg::kAutoConnect, true);
    cfg::Write(l, cfg::kBusAddress, "12");
    cfg::Write(l, cfg::kExpDelimiter, 59);
    cfg::Write(l, cfg::kExpFilePath, "C:\\a<b>&\"c\"\r\nd");
    cfg::Write(l, cfg::kKeepNameIndex, 2);
    cfg::Write(l, cfg::kScaleTogether, true);
    cfg::WriteRecentFiles(l, {"/x/1.vxrf", "/x/2 'quoted'.vxrf"});
    c->StorePlacement("MainForm", false, true, {-20, 30, 1024, 768});
    ASSERT_TRUE(c->Save(true));

    TFakeUi ui2;
    TApplicationConfig d(file_, &ui2);
    d.Load();
    EXPECT_FALSE(d.FirstRun());
    EXPECT_TRUE(d.WasShutDown());
    EXPECT_EQ(d.Language(), "de");
    EXPECT_EQ(d.WorkingDirectory(), c->WorkingDirectory());
    EXPECT_FALSE(d.ShowDownloadRecoveryInfo());
    // Every section and line comes back as it was (FirstRun is 0 in both).
    EXPECT_EQ(d.List().Sections(), c->List().Sections());
    EXPECT_EQ(cfg::Read(d.List(), cfg::kExpFilePath), "C:\\a<b>&\"c\"\r\nd");
    EXPECT_EQ(cfg::Read(d.List(), cfg::kComPortDevice), "/dev/ttyUSB0");
    EXPECT_EQ(cfg::ReadRecentFiles(d.List()).at(1), "/x/2 'quoted'.vxrf");
    EXPECT_EQ(d.RestorePlacement("MainForm")->rect, (TPlacementRect{-20, 30, 1024, 768}));
    // Saving again without changes gives the same bytes.
    const std::string before = ReadWholeFile(file_);
    ASSERT_TRUE(d.Save(true));
    EXPECT_EQ(ReadWholeFile(file_), before);
}

TEST_F(ConfigTest, NormalCloseAndRunThatDidNotEndProperly)
{
    TFakeUi first;
    auto c = Start(first);
    cfg::Write(c->List(), cfg::kAutoConnect, true);
    ASSERT_TRUE(c->Save(true)); // normal close
    c.reset();
    EXPECT_NE(ReadWholeFile(file_).find("WasShutDown=\"1\""), std::string::npos);

    // Next start after a normal close: no message, and the file says "running".
    TFakeUi second;
    c = Start(second);
    EXPECT_TRUE(second.warnings.empty());
    EXPECT_EQ(second.languageAsked, 0);
    EXPECT_NE(ReadWholeFile(file_).find("WasShutDown=\"0\""), std::string::npos);
    c.reset(); // a crash: no Save(true)

    TFakeUi third;
    c = Start(third);
    ASSERT_EQ(third.warnings.size(), 1u);
    EXPECT_EQ(third.warnings[0].second, text(16));
    EXPECT_EQ(third.reloads, 1);
    EXPECT_FALSE(cfg::Read(c->List(), cfg::kAutoConnect));
    EXPECT_EQ(cfg::Read(c->List(), cfg::kBusAddress), "+");
    // The reset connection settings are in the file already.
    TApplicationConfig check(file_);
    check.Load();
    EXPECT_FALSE(cfg::Read(check.List(), cfg::kAutoConnect));

    // A Globals section without WasShutDown but with FirstRun 0 counts as a crash too.
    WriteFileAtomically(file_, kHead + "<VxApplicationConfig>\r\n  <Globals FirstRun=\"0\" />\r\n"
                                       "  <ConnectionSettings AutoConnect=\"1\" />\r\n</VxApplicationConfig>\r\n");
    TFakeUi fourth;
    c = Start(fourth);
    ASSERT_EQ(fourth.warnings.size(), 1u);
    EXPECT_FALSE(cfg::Read(c->List(), cfg::kAutoConnect));
}

TEST_F(ConfigTest, ResetOptionsLeavesOnlyTheHeader)
{
    TFakeUi ui;
    auto c = Start(ui);
    c->SetResetFlag();
    cfg::Write(c->List(), cfg::kBaudrate, 19200);
    ASSERT_TRUE(c->Save(true));
    EXPECT_EQ(ReadWholeFile(file_), kHead);

    TFakeUi next;
    TApplicationConfig d(file_, &next);
    d.Load();
    EXPECT_TRUE(d.FirstRun());
    EXPECT_FALSE(d.FileWasDamaged()); // a reset is no damage: nothing is kept aside
    d.RunStartupProtocol();
    EXPECT_EQ(next.languageAsked, 1);
    EXPECT_TRUE(next.warnings.empty());
    EXPECT_FALSE(fs::exists(fs::path(file_.string() + ".bak")));
    EXPECT_EQ(cfg::Read(d.List(), cfg::kBaudrate), 9600);
}

TEST_F(ConfigTest, DamagedFileIsKeptAsideAndReportedOnce)
{
    const std::string damaged = kHead + "<VxApplicationConfig>\r\n  <Globals FirstRun=\"0\" Language=\"fr\" />\r\n"
                                        "  <Broken x=unquoted />\r\n";
    WriteFileAtomically(file_, damaged);
    WriteFileAtomically(file_.string() + ".bak", "an older backup");
    TFakeUi ui;
    TApplicationConfig c(file_, &ui);
    c.Load();
    EXPECT_TRUE(c.FileWasDamaged());
    EXPECT_EQ(c.LoadError(), "XML Error: Attribute not quoted");
    // The older backup is not overwritten.
    EXPECT_EQ(c.DamagedFileBackup(), fs::path(file_.string() + ".1.bak"));
    EXPECT_EQ(ReadWholeFile(c.DamagedFileBackup()), damaged);
    EXPECT_EQ(ReadWholeFile(file_.string() + ".bak"), "an older backup");
    EXPECT_FALSE(fs::exists(file_));
    // Defaults apply (the part read before the damage stays in the list).
    EXPECT_TRUE(c.FirstRun());
    EXPECT_EQ(c.Language(), "en");
    ASSERT_TRUE(c.RunStartupProtocol());
    ASSERT_EQ(ui.warnings.size(), 1u);
    EXPECT_NE(ui.warnings[0].second.find(c.DamagedFileBackup().string()), std::string::npos);
    EXPECT_EQ(ui.languageAsked, 1);
    c.RunStartupProtocol();
    EXPECT_EQ(ui.warnings.size(), 1u); // told once
    // A new, readable file was written.
    TApplicationConfig d(file_);
    d.Load();
    EXPECT_FALSE(d.FileWasDamaged());
    EXPECT_FALSE(d.FirstRun());

    // An enciphered file with a bad check line counts as damaged; a good one loads.
    const std::string plain = "<VxApplicationConfig><Globals FirstRun=\"0\" WasShutDown=\"1\" Language=\"fr\" />"
                              "</VxApplicationConfig>";
    std::string cipher(plain.size(), '\0');
    EZEncipher({reinterpret_cast<const std::uint8_t*>(plain.data()), plain.size()},
               {reinterpret_cast<std::uint8_t*>(cipher.data()), cipher.size()});
    std::string hex;
    for (unsigned char b : cipher) {
        hex.push_back("0123456789abcdef"[b >> 4]);
        hex.push_back("0123456789abcdef"[b & 15]);
    }
    WriteFileAtomically(file_, "VxCrypt:" + Md5Hex(hex) + "\r\n" + hex);
    TApplicationConfig e(file_);
    e.Load();
    EXPECT_FALSE(e.FileWasDamaged());
    EXPECT_EQ(e.Language(), "fr");
    EXPECT_TRUE(e.WasShutDown());
    WriteFileAtomically(file_, "VxCrypt:" + Md5Hex(hex + "0") + "\r\n" + hex);
    TApplicationConfig f(file_);
    f.Load();
    EXPECT_TRUE(f.FileWasDamaged());
    EXPECT_EQ(f.LoadError(), "Checksum not valid!");
}

TEST_F(ConfigTest, FailedSaveKeepsTheOldFileAndIsReportedOncePerRun)
{
    TFakeUi ui;
    auto c = Start(ui);
    const std::string good = ReadWholeFile(file_);
    // A folder that cannot hold the temporary file: the target is below a regular file.
    fs::path blocked = dir_ / "plainfile";
    WriteFileAtomically(blocked, "x");
    TApplicationConfig bad(blocked / "cfg.vxacf", &ui);
    EXPECT_FALSE(bad.Save(true));
    ASSERT_EQ(ui.warnings.size(), 1u);
    EXPECT_EQ(ui.warnings[0].first, LibraryTexts().ConfigSaveHeading);
    EXPECT_NE(ui.warnings[0].second.find("cfg.vxacf"), std::string::npos);
    EXPECT_NE(ui.warnings[0].second.find((dir_ / "plainfile").string()), std::string::npos);
    EXPECT_FALSE(bad.Save(false));
    EXPECT_EQ(ui.warnings.size(), 1u);
    EXPECT_TRUE(TApplicationConfig::SaveFailureReported());
    EXPECT_EQ(ReadWholeFile(file_), good);
}

TEST_F(ConfigTest, KillDuringWriteLeavesTheOldFileLoadable)
{
    TFakeUi ui;
    auto c = Start(ui);
    cfg::Write(c->List(), cfg::kBaudrate, 57600);
    ASSERT_TRUE(c->Save(true));
    const std::string good = ReadWholeFile(file_);

    // A child process writes a new configuration and is killed half way.
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        TAtomicFile f(file_);
        const std::string text = c->FileText();
        f.Write(std::string_view(text).substr(0, text.size() / 2));
        f.Write(std::string(4 << 20, ' ')); // beyond the write buffer: bytes reach the disk
        char b = 1;
        if (::write(ready[1], &b, 1) != 1)
            ::_exit(2);
        for (;;)
            ::pause();
    }
    ::close(ready[1]);
    char b = 0;
    ASSERT_EQ(::read(ready[0], &b, 1), 1);
    ::close(ready[0]);
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    EXPECT_TRUE(WIFSIGNALED(status));

    EXPECT_EQ(ReadWholeFile(file_), good);
    TFakeUi next;
    TApplicationConfig d(file_, &next);
    d.Load();
    EXPECT_FALSE(d.FileWasDamaged());
    EXPECT_TRUE(d.WasShutDown());
    EXPECT_EQ(cfg::Read(d.List(), cfg::kBaudrate), 57600);

    // The same for a write abandoned inside this process.
    {
        TAtomicFile f(file_);
        f.Write(std::string_view("<VxApplicationConfig>"));
    }
    EXPECT_EQ(ReadWholeFile(file_), good);
}

TEST(ConfigLocation, XdgFolderUserNameAndOverride)
{
    const char* oldXdg = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = oldXdg ? oldXdg : "";
    const std::string user = ConfigUserName();
    EXPECT_FALSE(user.empty());
    EXPECT_EQ(user.find('/'), std::string::npos);

    ::setenv("XDG_CONFIG_HOME", "/xdg/conf", 1);
    EXPECT_EQ(DefaultConfigFileName("vrowin"), fs::path("/xdg/conf/vrowin/vrowin-" + user + ".vxacf"));
    ::setenv("XDG_CONFIG_HOME", "relative/ignored", 1);
    const char* home = std::getenv("HOME");
    if (home && *home) {
        EXPECT_EQ(DefaultConfigFileName("vro"), fs::path(home) / ".config/vrowin" / ("vro-" + user + ".vxacf"));
    }

    const char* a1[] = {"vrowin", "--config", "/tmp/my.vxacf", "file.vxrf"};
    EXPECT_EQ(ConfigFileFromArguments(4, a1), fs::path("/tmp/my.vxacf"));
    const char* a2[] = {"vro", "info", "--config=/tmp/b.vxacf"};
    EXPECT_EQ(ConfigFileFromArguments(3, a2), fs::path("/tmp/b.vxacf"));
    ::setenv("XDG_CONFIG_HOME", "/xdg/conf", 1);
    const char* a3[] = {"vrowin", "--", "--config", "x"};
    EXPECT_EQ(ConfigFileFromArguments(4, a3), DefaultConfigFileName());
    const char* a4[] = {"vrowin", "--config"};
    EXPECT_EQ(ConfigFileFromArguments(2, a4), DefaultConfigFileName());

    // The folder is made on the first save.
    const fs::path xdg = fs::temp_directory_path() / ("vro-xdg-" + std::to_string(::getpid()));
    fs::remove_all(xdg);
    ::setenv("XDG_CONFIG_HOME", xdg.c_str(), 1);
    TApplicationConfig c;
    c.Load();
    EXPECT_TRUE(c.Save(false));
    EXPECT_TRUE(fs::is_regular_file(xdg / "vrowin" / ("vrowin-" + user + ".vxacf")));
    fs::remove_all(xdg);

    if (oldXdg)
        ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else
        ::unsetenv("XDG_CONFIG_HOME");
}
