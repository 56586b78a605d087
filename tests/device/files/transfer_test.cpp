// The stored-settings loops against the in-process simulated recorder:
// ">" (the live setup kept, a failure at the second entry, an old backup, a
// backup that cannot be written), "<" by option with the numbers of this
// transfer counted, and the deletion with its byte timeout; the file-name
// rules and the list sorting.
#include "core/text/textformat.h"
#include "core/template/safefilename.h"
#include "core/text/texts.h"
#include "core/util/listfolder.h"
#include "device/files/vrofilenames.h"
#include "device/files/vrofilesort.h"
#include "device/files/vrofilesui.h"
#include "device/files/vrorecordtransfer.h"
#include "device/files/vrosetuptransfer.h"
#include "device/setup/vro8setup.h"
#include "support/recorderrig.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>

using namespace vro;
namespace fs = std::filesystem;

namespace {

struct TUi : IVroFilesUi {
    std::deque<std::optional<std::string>> texts;
    std::vector<std::string> errors;
    std::optional<std::string> AskText(const std::string&, const std::string&) override
    {
        auto t = texts.front();
        texts.pop_front();
        return t;
    }
    bool AskYesNo(const std::string&) override { return true; }
    void ShowError(const std::string& t) override { errors.push_back(t); }
    void ShowInformation(const std::string&) override {}
};

struct TDir {
    TDir()
    {
        path = fs::temp_directory_path() / ("vro-files-" + std::to_string(::getpid()) + "-" + std::to_string(++n));
        fs::remove_all(path);
        fs::create_directories(path);
    }
    ~TDir() { fs::remove_all(path); }
    void Touch(const std::string& name) const { std::ofstream(path / name) << "x"; }
    fs::path path;
    static inline int n = 0;
};

struct TRig : test::TRecorderRig {
    TRig() : TRecorderRig(3)
    {
        SelectTextLanguage("en");
        Connect();
        setup = std::make_unique<TVro8Setup>(*device);
        device->Directory.RefreshSetups();
    }
    std::string LiveRecordingName()
    {
        TVro8Setup live(*device);
        live.ReadAll();
        return live.Data.Recording.RecordingName();
    }
    std::unique_ptr<TVro8Setup> setup;
    TUi ui;
};

std::string FileRecordingName(const fs::path& file)
{
    TVro8Setup s(3);
    s.LoadFromFile(file);
    return s.Data.Recording.RecordingName();
}

} // namespace

TEST(SetupsToFolder, KeepsTheLiveSetupAndRemovesTheBackup)
{
    TRig rig;
    TDir dir;
    TVro8Setup before(*rig.device);
    before.ReadAll();
    const TVroTransferReport r =
        SetupsToFolder(*rig.setup, rig.device->Directory, {0, 1}, dir.path, TVroNaming{}, rig.ui);
    EXPECT_EQ(r.Result, TVroTransferResult::Done);
    ASSERT_EQ(r.Written.size(), 2u);
    EXPECT_EQ(r.Written[0].filename(), "Default setup-00001.vxsf");
    EXPECT_EQ(FileRecordingName(r.Written[1]), "Leak test");
    EXPECT_FALSE(fs::exists(dir.path / kVroSetupBackupName));
    TVro8Setup after(*rig.device);
    after.ReadAll();
    EXPECT_TRUE(after.Data.Sensors == before.Data.Sensors);
    EXPECT_TRUE(after.Data.Triggers == before.Data.Triggers);
    EXPECT_TRUE(after.Data.Recording == before.Data.Recording);
    EXPECT_TRUE(after.Data.Base == before.Data.Base);
    EXPECT_TRUE(after.Data.Display == before.Data.Display);
    EXPECT_TRUE(after.Data.Can == before.Data.Can);
}

TEST(SetupsToFolder, FailureAtTheSecondEntryKeepsTheBackupAndTheLastEntry)
{
    TRig rig;
    TDir dir;
    rig.recorder->SetFault('R', 24, {sim::ERecorderFault::Status, 3, -1, 1});
    const TVroTransferReport r =
        SetupsToFolder(*rig.setup, rig.device->Directory, {0, 1}, dir.path, TVroNaming{}, rig.ui);
    EXPECT_EQ(r.Result, TVroTransferResult::Failed);
    EXPECT_EQ(r.Written.size(), 1u);
    ASSERT_EQ(rig.ui.errors.size(), 1u);
    EXPECT_EQ(rig.ui.errors[0], FormatMessage(text(1293), {"Leak test"}));
    EXPECT_TRUE(fs::exists(dir.path / kVroSetupBackupName));
    EXPECT_EQ(FileRecordingName(dir.path / kVroSetupBackupName), "Recording");
    EXPECT_EQ(rig.LiveRecordingName(), "Default setup");
}

TEST(SetupsToFolder, AnOldBackupIsKeptUnderANewName)
{
    TRig rig;
    TDir dir;
    dir.Touch(kVroSetupBackupName);
    dir.Touch("CurrentConfig-1.backup");
    EXPECT_EQ(SetupsToFolder(*rig.setup, rig.device->Directory, {1}, dir.path, TVroNaming{}, rig.ui).Result,
              TVroTransferResult::Done);
    EXPECT_TRUE(fs::exists(dir.path / "CurrentConfig-2.backup"));
    EXPECT_FALSE(fs::exists(dir.path / kVroSetupBackupName));
}

TEST(SetupsToFolder, ABackupThatCannotBeWrittenStopsBeforeTheStart)
{
    TRig rig;
    TDir dir;
    const TVroTransferReport r =
        SetupsToFolder(*rig.setup, rig.device->Directory, {0}, dir.path / "gone", TVroNaming{}, rig.ui);
    EXPECT_EQ(r.Result, TVroTransferResult::NotStarted);
    ASSERT_EQ(rig.ui.errors.size(), 1u);
    EXPECT_EQ(rig.ui.errors[0], FormatMessage(text(1293), {kVroSetupBackupName}));
    EXPECT_EQ(rig.LiveRecordingName(), "Recording");
}

TEST(SetupsToFolder, OptionsNameTheFiles)
{
    TRig rig;
    TDir dir;
    dir.Touch("Leak test-00000.vxsf");
    dir.Touch("Leak test-00001.vxsf");
    dir.Touch("Leak test-00003.vxsf");
    TVroNaming free{noFreeNumber, {}, {}};
    auto r = SetupsToFolder(*rig.setup, rig.device->Directory, {1}, dir.path, free, rig.ui);
    ASSERT_EQ(r.Written.size(), 1u);
    EXPECT_EQ(r.Written[0].filename(), "Leak test-00002.vxsf");
    TVroNaming asked{noNewName, "../x", {}};
    rig.ui.texts = {std::string("../x")};
    EXPECT_FALSE(AskNaming(rig.ui, asked));
    EXPECT_EQ(rig.ui.errors.back(), text(541));
    TVroNaming tmpl{noTemplate, {}, "%n"};
    r = SetupsToFolder(*rig.setup, rig.device->Directory, {0, 0}, dir.path, tmpl, rig.ui);
    ASSERT_EQ(r.Written.size(), 2u);
    EXPECT_EQ(r.Written[0].filename(), "Default setup.vxsf");
    EXPECT_EQ(r.Written[1].filename(), "Default setup-1.vxsf");
}

TEST(FilesToSetups, NumbersCountTheEntriesOfThisTransferAndTheLiveSetupStays)
{
    TRig rig;
    TDir dir;
    rig.recorder->AddSetup("Pump test", 3);
    rig.recorder->AddSetup("Pump test", 5);
    TVro8Setup s(*rig.device);
    s.ReadAll();
    s.SaveToFile(dir.path / "Pump test-00007.vxsf");
    s.SaveToFile(dir.path / "Pump test-00009.vxsf");
    s.SaveToFile(dir.path / "Leak-A-00003.vxsf");
    TVroNaming one{noFreeNumber, {}, {}};
    auto r = FilesToSetups(*rig.setup, rig.device->Directory,
                           {dir.path / "Pump test-00007.vxsf", dir.path / "Pump test-00009.vxsf"}, one, rig.ui);
    EXPECT_EQ(r.Result, TVroTransferResult::Done);
    ASSERT_EQ(r.Stored.size(), 2u);
    EXPECT_EQ(r.Stored[0], (std::pair<std::string, std::uint32_t>{"Pump test", 6}));
    EXPECT_EQ(r.Stored[1], (std::pair<std::string, std::uint32_t>{"Pump test", 7}));
    r = FilesToSetups(*rig.setup, rig.device->Directory, {dir.path / "Leak-A-00003.vxsf"}, TVroNaming{}, rig.ui);
    ASSERT_EQ(r.Stored.size(), 1u);
    EXPECT_EQ(r.Stored[0], (std::pair<std::string, std::uint32_t>{"Leak-A", 3}));
    EXPECT_EQ(rig.LiveRecordingName(), "Recording");
    EXPECT_FALSE(fs::exists(dir.path / kVroSetupBackupName));
    // A file that does not load stops with text 1297.
    std::ofstream(dir.path / "bad-00001.vxsf") << "no";
    r = FilesToSetups(*rig.setup, rig.device->Directory, {dir.path / "bad-00001.vxsf"}, TVroNaming{}, rig.ui);
    EXPECT_EQ(r.Result, TVroTransferResult::Failed);
    EXPECT_EQ(rig.ui.errors.back(), FormatMessage(text(1297), {"bad-00001.vxsf"}));
}

TEST(DeleteEntries, SlowAnswersSucceedAFailureStopsAndTheTimeoutComesBack)
{
    TRig rig;
    rig.recorder->AddSetup("Pump test", 3);
    rig.device->Directory.RefreshSetups();
    rig.recorder->SetFault('R', 33, {sim::ERecorderFault::Delay, 3000, 1, 0});
    EXPECT_EQ(DeleteEntries(rig.device->Directory, *rig.connector, {2}, 1295, rig.ui), 1);
    EXPECT_EQ(rig.connector->GetByteTimeout(), TDvxV24Connector::kDefaultByteTimeout);
    rig.device->Directory.RefreshSetups();
    ASSERT_EQ(rig.device->Directory.Count(), 2);
    rig.recorder->SetFault('R', 33, {sim::ERecorderFault::Status, 5, 1, 1});
    EXPECT_EQ(DeleteEntries(rig.device->Directory, *rig.connector, {0, 1}, 1295, rig.ui), 1);
    ASSERT_EQ(rig.ui.errors.size(), 1u);
    EXPECT_EQ(rig.ui.errors[0], FormatMessage(text(1295), {"Leak test", "2"}));
    EXPECT_EQ(rig.connector->GetByteTimeout(), TDvxV24Connector::kDefaultByteTimeout);
}

TEST(FileNames, NameAndNumberBackFromAFileName)
{
    EXPECT_EQ(NameAndNumberFromFile("Pump test-00007").Name, "Pump test");
    EXPECT_EQ(NameAndNumberFromFile("Pump test-00007").Number, 7u);
    EXPECT_EQ(NameAndNumberFromFile("Leak-A-00003").Name, "Leak-A");
    EXPECT_EQ(NameAndNumberFromFile("Leak-A-00003").Number, 3u);
    EXPECT_EQ(NameAndNumberFromFile("Pump-x").Name, "Pump");
    EXPECT_EQ(NameAndNumberFromFile("Pump-x").Number, 0u);
    EXPECT_EQ(NameAndNumberFromFile("Pump-x-y").Number, 0u);
    EXPECT_EQ(NameAndNumberFromFile("Plain").Name, "Plain");
    EXPECT_EQ(NameAndNumberFromFile("Big-99999999999").Number, 0u);
}

TEST(FileNames, SafeNamesSixDigitNumbersAndGaps)
{
    TDir dir;
    EXPECT_EQ(NumberedFileName("Pump test", 3, "vxsf"), "Pump test-00003.vxsf");
    EXPECT_EQ(NumberedFileName("Pump", 123456, "vxrf"), "Pump-123456.vxrf");
    EXPECT_EQ(NumberedFileName("a/b", 1, "vxrf"), "a_b-00001.vxrf");
    // The number is part of the component: an entry named ".." gets a file.
    EXPECT_EQ(NumberedFileName("..", 1, "vxrf"), "..-00001.vxrf");
    EXPECT_EQ(NumberedFileName("C:\\x", 1, "vxrf"), "C__x-00001.vxrf");
    dir.Touch("a_b-00000.vxrf");
    dir.Touch("a_b-00002.vxrf");
    EXPECT_EQ(LowestFreeNumber(dir.path, "a/b", "vxrf"), 1u);
    EXPECT_FALSE(IsValidNewName("  "));
    EXPECT_FALSE(IsValidNewName("a\\b"));
    EXPECT_FALSE(IsValidNewName(".."));
    EXPECT_TRUE(IsValidNewName(" Leak "));
    const fs::path p = EntryFilePath(dir.path, TVroNaming{}, "../evil", 4, 0, "vxsf");
    EXPECT_EQ(p.parent_path(), dir.path);
    // Every option keeps a hostile name in the folder; a template that
    // leaves nothing of a name is refused.
    for (const char* name : {"../x", "a/b", "..", ".", "C:\\x", "\x01\x02"}) {
        for (int option : {noKeepName, noFreeNumber, noTemplate}) {
            const fs::path q = EntryFilePath(dir.path, TVroNaming{option, "", "%n-%#"}, name, 4, 0, "vxrf");
            EXPECT_EQ(q.parent_path(), dir.path) << name << " " << option;
        }
        if (std::string_view(name) == "." || std::string_view(name) == "..") {
            EXPECT_THROW(EntryFilePath(dir.path, TVroNaming{noTemplate, "", "%n"}, name, 4, 0, "vxrf"),
                         EUnsafeFileName);
        }
        const fs::path q = EntryFilePath(dir.path, TVroNaming{noNewName, name, ""}, "x", 4, 0, "vxrf");
        EXPECT_EQ(q.parent_path(), dir.path) << name;
    }
    EXPECT_EQ(EntryFilePath(dir.path, TVroNaming{noTemplate, "", "/"}, "x", 4, 0, "vxrf").filename(), "_.vxrf");
    EXPECT_THROW(EntryFilePath(dir.path, TVroNaming{noTemplate, "", "%n"}, "", 4, 0, "vxrf"), EUnsafeFileName);
}

TEST(ListFolder, ExtensionsHiddenFilesAndFolders)
{
    TDir dir;
    dir.Touch("a.vxrf");
    dir.Touch("B.VXRF");
    dir.Touch("c.vxsf");
    dir.Touch(".hidden.vxrf");
    fs::create_directories(dir.path / "sub.vxrf");
    std::ofstream(dir.path / "sub.vxrf" / "deep.vxrf") << "x";
    std::vector<TFolderFile> files;
    EXPECT_TRUE(ListFolder(dir.path, "vxrf", files));
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0].Name, "B.VXRF");
    EXPECT_GT(files[0].DateTime, 36526.0);
    EXPECT_TRUE(ListFolder(dir.path, ".vxsf", files));
    EXPECT_EQ(files.size(), 1u);
    EXPECT_TRUE(ListFolder(dir.path, "vxsf;.vxrf", files));
    EXPECT_EQ(files.size(), 3u);
    EXPECT_TRUE(ListFolder(dir.path, "", files));
    EXPECT_EQ(files.size(), 3u);
    EXPECT_FALSE(ListFolder(dir.path, "txt", files));
    EXPECT_FALSE(ListFolder("", "", files));
    EXPECT_FALSE(ListFolder(dir.path / "none", "", files));
}

TEST(SortLines, NamesThenNumbersAndDates)
{
    std::vector<TVroListLine> lines = {
        {"Test", 10, true, 2, 0, {}}, {"Test", 9, true, 0, 1, {}}, {"Alpha", 1, true, 1, 2, {}}};
    SortVroLines(lines, TVroSortColumn::Name, false,
                 [](const std::string& a, const std::string& b) { return a.compare(b); });
    EXPECT_EQ(lines[0].Index, 2);
    EXPECT_EQ(lines[1].Number, 9u);
    EXPECT_EQ(lines[2].Number, 10u);
    SortVroLines(lines, TVroSortColumn::Date, true);
    EXPECT_EQ(lines[0].DateTime, 2);
    EXPECT_EQ(lines[2].DateTime, 0) << "no date counts as 0";
}

TEST(RecordingsToFolder, OptionsFailureAtTheSecondAndAbort)
{
    TRig rig;
    TDir dir;
    rig.device->Directory.RefreshRecordings();
    dir.Touch(rig.device->Directory.Entry(0).Name + "-00000.vxrf");
    TVroNaming free{noFreeNumber, {}, {}};
    TVroTransferReport r = RecordingsToFolder(*rig.device, {0}, dir.path, free, rig.ui);
    EXPECT_EQ(r.Result, TVroTransferResult::Done);
    ASSERT_EQ(r.Written.size(), 1u);
    EXPECT_EQ(r.Written[0].filename(), rig.device->Directory.Entry(0).Name + "-00001.vxrf");
    EXPECT_TRUE(fs::exists(r.Written[0]));

    rig.recorder->SetFault('R', 20, {sim::ERecorderFault::Status, 3, -1, 1});
    r = RecordingsToFolder(*rig.device, {1, 2}, dir.path, TVroNaming{}, rig.ui);
    EXPECT_EQ(r.Result, TVroTransferResult::Failed);
    EXPECT_EQ(r.Written.size(), 1u);
    ASSERT_EQ(rig.ui.errors.size(), 1u);
    EXPECT_EQ(rig.ui.errors[0], FormatMessage(text(553), {rig.device->Directory.Entry(2).Name}));
    rig.recorder->ClearFaults();

    TVroRecordingHooks hooks;
    int position = 0;
    hooks.onItem = [&](int p, int, const std::string&) { position = p; };
    hooks.aborted = [&] { return position == 2; };
    rig.recorder->SetFault('R', 23, {sim::ERecorderFault::Delay, 50, -1, 0});
    TDir other;
    r = RecordingsToFolder(*rig.device, {0, 1, 2}, other.path, TVroNaming{}, rig.ui, hooks);
    EXPECT_EQ(r.Result, TVroTransferResult::Aborted);
    EXPECT_EQ(r.Written.size(), 1u);
    EXPECT_EQ(rig.ui.errors.size(), 1u) << "no message for an abort";
    rig.recorder->ClearFaults();
    // The recorder answers again.
    rig.device->Directory.RefreshRecordings();
    EXPECT_GE(rig.device->Directory.Count(), 3);
}

TEST(SimFaults, SuffixesSkipAndCount)
{
    const auto f = sim::ParseRecorderFaults("R33:status:5@1*1,R40:silence*2");
    ASSERT_EQ(f.size(), 2u);
    EXPECT_EQ(f[0].Fault.SkipFirst, 1);
    EXPECT_EQ(f[0].Fault.Times, 1);
    EXPECT_EQ(f[0].Fault.Value, 5);
    EXPECT_EQ(f[1].Fault.Times, 2);
    EXPECT_THROW(sim::ParseRecorderFaults("R33:status:5@x"), std::invalid_argument);
}
