#include "core/manager/recordingmanager.h"
#include "manager_support.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "core/config/configkeys.h"
#include "core/config/inilist.h"
#include "core/text/texts.h"
#include "core/textimport/textfilehandler.h"

namespace vro {
namespace {

TEST_F(Manager, UntitledNamesCountOn)
{
    manager.AddRecording(MakeRecording());
    manager.AddRecording(MakeRecording());
    EXPECT_EQ(manager.Items(0).FileName, "Recording1");
    EXPECT_EQ(manager.Items(1).FileName, "Recording2");
    EXPECT_EQ(manager.ActiveIndex(), 1);
    EXPECT_EQ(manager.Items(1).SequenceNumber, 1);
    ui.answers = {TMsgAnswer::No};
    EXPECT_TRUE(manager.Close(&manager.Items(0)));
    EXPECT_EQ(ui.questions.back(), "Save the changes to measurement \"Recording1\"?");
    manager.AddRecording(MakeRecording());
    EXPECT_EQ(manager.Items(1).FileName, "Recording3");
    EXPECT_EQ(manager.EntryText(1), "Recording3");
    EXPECT_GT(listChanges, 0);
}

TEST_F(Manager, OpenTwiceActivatesAndFailureShowsText7)
{
    const std::string a = WriteFile("a.vxrf");
    const std::string b = WriteFile("b.vxrf");
    ASSERT_NE(manager.OpenFile(a), nullptr);
    ASSERT_NE(manager.OpenFile(b), nullptr);
    EXPECT_EQ(manager.ActiveIndex(), 1);
    fs::path upper = dir / "A.VXRF";
    EXPECT_EQ(manager.OpenFile(upper.string()), &manager.Items(0));
    EXPECT_EQ(manager.Count(), 2);
    EXPECT_EQ(manager.ActiveIndex(), 0);
    EXPECT_EQ(manager.CurrentFolder(), dir.string());

    std::ofstream(dir / "junk.vxrf") << "not a recording";
    EXPECT_EQ(manager.OpenFile((dir / "junk.vxrf").string()), nullptr);
    EXPECT_EQ(ui.messages.back(), "File " + (dir / "junk.vxrf").string() + " can't be opened.");
    EXPECT_EQ(manager.Count(), 2);
    EXPECT_FALSE(manager.LastError().empty());
}

// Opening by absolute path: the working folder stays, the folder of the file
// becomes the dialogs' start and the base of the document names.
TEST_F(Manager, OpeningLeavesTheWorkingFolderAlone)
{
    const fs::path before = fs::current_path();
    fs::create_directories(dir / "sub");
    const std::string a = WriteFile("sub/a.vxrf");
    ASSERT_NE(manager.OpenFile(a), nullptr);
    EXPECT_EQ(fs::current_path(), before);
    EXPECT_EQ(manager.CurrentFolder(), (dir / "sub").string());
    EXPECT_EQ(manager.GetNames().at(0).first, "a.vxrf");
    ui.openFiles = {{WriteFile("b.vxrf")}};
    manager.OpenWithDialog();
    EXPECT_EQ(manager.Count(), 2);
    EXPECT_EQ(manager.CurrentFolder(), dir.string());
    EXPECT_EQ(manager.GetNames().at(0).first, "sub/a.vxrf");
    EXPECT_EQ(fs::current_path(), before);
}

TEST_F(Manager, RecentFilesLeaveWhileOpenAndReturnOnTop)
{
    const std::string a = WriteFile("a.vxrf");
    const std::string b = WriteFile("b.vxrf");
    cfg::WriteRecentFiles(config, {b, a});
    manager.LoadSettings();
    manager.OpenFile(a);
    EXPECT_EQ(manager.RecentFiles(), std::vector<std::string>{b});
    manager.Close();
    EXPECT_EQ(manager.RecentFiles(), (std::vector<std::string>{a, b}));
    manager.OpenFile(a);
    manager.OpenFile(b);
    manager.RememberRecentFiles();
    EXPECT_EQ(cfg::ReadRecentFiles(config), (std::vector<std::string>{a, b}));
}

TEST_F(Manager, SaveOfUnchangedRecordingWritesNothing)
{
    const std::string a = WriteFile("a.vxrf");
    manager.OpenFile(a);
    fs::remove(a);
    EXPECT_TRUE(manager.Save());
    EXPECT_FALSE(fs::exists(a));
    manager.Active()->Saved = false;
    EXPECT_TRUE(manager.Save());
    EXPECT_TRUE(fs::exists(a));
}

TEST_F(Manager, SaveAsRefusesTheNameOfAnotherOpenRecording)
{
    const std::string a = WriteFile("a.vxrf");
    const std::string b = WriteFile("b.vxrf");
    manager.OpenFile(a);
    manager.OpenFile(b);
    ui.saveNames = {(dir / "A").string(), b};
    EXPECT_TRUE(manager.SaveAs());
    ASSERT_EQ(ui.messages.size(), 1u);
    const std::string typed = (dir / "A.vxrf").string(); // the extension is added to the typed name
    EXPECT_EQ(ui.messages[0].find("Another measurement with the same name (\"" + typed + "\") is open."), 0u);
    EXPECT_EQ(ui.proposals[0], (dir / "b").string()); // proposal without extension
    EXPECT_EQ(manager.Active()->FileName, b);
}

TEST_F(Manager, FailedSaveOnCloseKeepsTheRecordingOpen)
{
    auto r = MakeRecording();
    r->FileName = (dir / "missing-folder" / "x.vxrf").string();
    r->NameConfirmed = true;
    manager.AddRecording(std::move(r));
    ui.answers = {TMsgAnswer::Yes};
    EXPECT_FALSE(manager.Close());
    EXPECT_EQ(manager.Count(), 1);
    EXPECT_EQ(ui.messages.back().rfind("The file could not be saved", 0), 0u);

    // Untitled: Yes leads to the save dialog; cancelling it keeps the recording.
    manager.AddRecording(MakeRecording());
    ui.answers = {TMsgAnswer::Yes};
    EXPECT_FALSE(manager.Close());
    EXPECT_EQ(manager.Count(), 2);
    ui.answers = {TMsgAnswer::Cancel};
    EXPECT_FALSE(manager.Close());
    EXPECT_EQ(manager.Count(), 2);
}

TEST_F(Manager, CloseAllAsksOnceAndKeepsEverythingWhenASaveFails)
{
    const std::string a = WriteFile("a.vxrf");
    manager.OpenFile(a);
    manager.AddRecording(MakeRecording()); // Recording1, unsaved
    ui.checkAnswers = {TCheckSaveAnswer::SaveAndClose};
    // Saving the untitled one: its dialog is cancelled.
    manager.CloseAll();
    EXPECT_EQ(ui.checkDialogs, 1);
    EXPECT_EQ(ui.checkNames, std::vector<std::string>{"Recording1"});
    EXPECT_TRUE(ui.questions.empty());
    EXPECT_EQ(manager.Count(), 2);

    ui.checkAnswers = {TCheckSaveAnswer::SaveAndClose};
    ui.saveNames = {(dir / "new").string()};
    manager.CloseAll();
    EXPECT_EQ(manager.Count(), 0);
    EXPECT_TRUE(fs::exists(dir / "new.vxrf"));
    EXPECT_EQ(manager.ActiveIndex(), -1);

    manager.AddRecording(MakeRecording());
    ui.checkAnswers = {TCheckSaveAnswer::CloseWithoutSaving};
    manager.CloseAll();
    EXPECT_EQ(manager.Count(), 0);
    EXPECT_TRUE(ui.questions.empty());
}

TEST_F(Manager, SeriesNamesAndExistingSeriesBeyond999)
{
    EXPECT_EQ(TRecordingManager::SeriesName("/data/Test.vxrf", 7), "/data/Test-007.vxrf");
    EXPECT_EQ(TRecordingManager::SeriesName("Test.vxrf", 12), "Test-012.vxrf");
    EXPECT_EQ(TRecordingManager::SeriesName("Test.vxrf", 1000), "Test-1000.vxrf");
    const std::string base = (dir / "Test.vxrf").string();
    EXPECT_FALSE(manager.SeriesExists(base));
    std::ofstream(dir / "Test-ab1.vxrf") << "x";
    std::ofstream(dir / "Test-12.vxrf") << "x";
    EXPECT_FALSE(manager.SeriesExists(base));
    std::ofstream(dir / "Test-1000.vxrf") << "x";
    EXPECT_TRUE(manager.SeriesExists(base));

    ui.saveNames = {base, base, (dir / "Other").string()};
    ui.answers = {TMsgAnswer::No, TMsgAnswer::Cancel};
    EXPECT_EQ(manager.AskSeriesName(), std::nullopt);
    EXPECT_EQ(ui.questions[0], "Series files named " + base + " already exist. Overwrite them?");
    EXPECT_EQ(manager.AskSeriesName(), (dir / "Other.vxrf").string());
}

TEST_F(Manager, FaultyTimeStampsAreOfferedForRepair)
{
    auto r = MakeRecording(1, 5, true);
    r->Time->TimeStamps = {1000, 1010, 1005, 1020, 1030};
    ui.answers = {TMsgAnswer::No};
    TRecording& t = manager.AddRecording(std::move(r));
    ASSERT_EQ(ui.questions.size(), 1u);
    EXPECT_EQ(ui.questions[0].rfind("The recording contains faulty", 0), 0u);
    EXPECT_EQ(t.Time->TimeStamps[2], 1005); // No leaves it unchanged
}

} // namespace
} // namespace vro
