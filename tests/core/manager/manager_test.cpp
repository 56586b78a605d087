#include "core/manager/recordingmanager.h"

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

namespace fs = std::filesystem;

// Answers the manager's questions from scripted queues and records what it showed.
class TScriptedUi : public IRecordingManagerUi {
public:
    std::deque<TMsgAnswer> answers;
    std::deque<std::optional<std::string>> saveNames;
    std::deque<std::vector<std::string>> openFiles;
    std::deque<TCheckSaveAnswer> checkAnswers;
    std::vector<std::string> messages, questions;
    int checkDialogs = 0;
    std::vector<std::string> checkNames;

    void ShowMessage(const std::string& text, TMsgIcon) override { messages.push_back(text); }
    TMsgAnswer Ask(const std::string& text, TMsgButtons, TMsgIcon) override
    {
        questions.push_back(text);
        if (answers.empty())
            ADD_FAILURE() << "unexpected question: " << text;
        const auto a = answers.empty() ? TMsgAnswer::Cancel : answers.front();
        if (!answers.empty())
            answers.pop_front();
        return a;
    }
    std::vector<std::string> AskOpenFiles(const std::string&) override { return Pop(openFiles); }
    std::vector<std::string> AskImportFiles(const std::string&) override { return Pop(openFiles); }
    std::optional<std::string> AskSaveFile(const std::string& proposal) override
    {
        proposals.push_back(proposal);
        if (saveNames.empty())
            return std::nullopt;
        auto n = saveNames.front();
        saveNames.pop_front();
        return n;
    }
    TCheckSaveAnswer AskCheckFileSave(const std::vector<std::string>& names, std::vector<bool>&) override
    {
        ++checkDialogs;
        checkNames = names;
        const auto a = checkAnswers.empty() ? TCheckSaveAnswer::Cancel : checkAnswers.front();
        if (!checkAnswers.empty())
            checkAnswers.pop_front();
        return a;
    }
    bool AskTextImportSettings(textimport::TTextFileSettings&, const textimport::TTextImportSettings&) override
    {
        return true;
    }
    std::vector<std::string> proposals;

private:
    std::vector<std::string> Pop(std::deque<std::vector<std::string>>& q)
    {
        if (q.empty())
            return {};
        auto v = q.front();
        q.pop_front();
        return v;
    }
};

std::unique_ptr<TRecording> MakeRecording(int channels = 2, int records = 20, bool stamps = false)
{
    auto r = std::make_unique<TRecording>();
    r->ChannelCount = channels;
    r->RecordCount = records;
    r->HasTimeStamps = stamps;
    r->SampleRate = 9;
    r->CreateChannelObjects();
    for (int c = 0; c < channels; ++c) {
        auto& ch = r->Channel(c);
        ch.DeviceName = "Channel " + std::string(1, static_cast<char>('A' + c));
        ch.MeasureUnit = "bar";
        ch.Decimals = 2;
        ch.DeviceLoRange = ch.FullLoRange = -1000;
        ch.DeviceHiRange = ch.FullHiRange = 30000;
        ch.ResetCurrentRange();
        for (int i = 0; i < records; ++i)
            ch.Values[static_cast<std::size_t>(i)] = i * 10 + c;
    }
    if (stamps)
        for (int i = 0; i < records; ++i)
            r->Time->TimeStamps[static_cast<std::size_t>(i)] = 1000 + i;
    r->Time->ResetRange();
    r->XAxisIndex = -1;
    r->LeftYAxis = (1 << channels) - 1;
    return r;
}

class Manager : public ::testing::Test {
protected:
    void SetUp() override
    {
        SelectTextLanguage("en");
        dir = fs::temp_directory_path() / ("vro-manager-" + std::to_string(::getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir);
        manager.OnListChanged = [this] { ++listChanges; };
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::current_path(fs::temp_directory_path(), ec);
        fs::remove_all(dir, ec);
    }
    // A saved recording file on disk.
    std::string WriteFile(const std::string& name, int channels = 2)
    {
        auto r = MakeRecording(channels);
        r->FileName = (dir / name).string();
        r->NameConfirmed = true;
        r->SaveToFile();
        return r->FileName;
    }

    fs::path dir;
    TIniList config;
    TScriptedUi ui;
    TRecordingManager manager{config, ui};
    int listChanges = 0;
};

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

TEST_F(Manager, ReferenceAppliesMatchingChannelsWithTheApplyDefaults)
{
    auto ref = MakeRecording(2);
    ref->FileName = (dir / "ref.vxrf").string();
    ref->Channel(1).CustomName = "Inlet";
    ref->Channel(1).ColorIndex = 7;
    ref->Channel(1).Comment = "not copied by default";
    ref->LeftYAxis = 1;  // channel A left
    ref->RightYAxis = 2; // channel B right
    ref->XAxisIndex = -1;
    auto target = MakeRecording(3);
    target->Channel(0).DeviceName = "Channel B"; // matches reference channel 1
    target->Channel(1).DeviceName = "Other";
    target->Saved = true;
    manager.AddRecording(std::move(ref));
    manager.MakeReference();
    TRecording& t = manager.AddRecording(std::move(target));
    manager.ApplyReference(1);
    EXPECT_FALSE(t.Saved);
    EXPECT_EQ(t.Channel(0).CustomName, "Inlet");
    EXPECT_EQ(t.Channel(0).ColorIndex, 7);
    EXPECT_EQ(t.Channel(0).Comment, "");
    EXPECT_EQ(t.Channel(1).CustomName, "");
    EXPECT_EQ(t.RightYAxis & 1, 1); // axis settings applied although the key is missing
    EXPECT_EQ(t.LeftYAxis & 1, 0);

    TReferenzForm form(manager, config);
    EXPECT_FALSE(form.Settings.AxisSettings); // the dialog shows the row unchecked
}

TEST_F(Manager, ReferenceTimeWindowOnlyForCompatibleRecordings)
{
    cfg::Write(config, cfg::kRefTimeSettings, true);
    auto ref = MakeRecording(1, 100);
    ref->Time->SetRange(10, 60);
    auto plain = MakeRecording(1, 100);
    auto stamped = MakeRecording(1, 100, true);
    const std::int32_t stampedLo = stamped->Time->LoRange, stampedHi = stamped->Time->HiRange;
    manager.AddRecording(std::move(ref));
    manager.MakeReference();
    TRecording& p = manager.AddRecording(std::move(plain));
    TRecording& s = manager.AddRecording(std::move(stamped));
    manager.ApplyReferenceToAll();
    EXPECT_EQ(p.Time->LoRange, 10);
    EXPECT_EQ(p.Time->HiRange, 60);
    EXPECT_EQ(s.Time->LoRange, stampedLo);
    EXPECT_EQ(s.Time->HiRange, stampedHi);
}

TEST_F(Manager, ReferenceFileThatCannotBeOpenedSwitchesTheUsesOff)
{
    std::ofstream(dir / "ref.vxrf") << "damaged";
    cfg::Write(config, cfg::kRefFilename, (dir / "ref.vxrf").string());
    manager.UseReferenceWhileOpening = manager.UseReferenceReceive = true;
    auto r = MakeRecording();
    r->Saved = true;
    TRecording& t = manager.AddRecording(std::move(r));
    ui.answers = {TMsgAnswer::Yes};
    manager.ApplyReference(0);
    EXPECT_EQ(ui.questions.back(), "Wollen sie die Referenzaufnahme jetzt laden?!");
    EXPECT_EQ(manager.Reference(), nullptr);
    EXPECT_FALSE(manager.UseReferenceWhileOpening);
    EXPECT_FALSE(manager.UseReferenceReceive);
    EXPECT_EQ(cfg::Read(config, cfg::kRefFilename), "---");
    EXPECT_TRUE(t.Saved); // nothing applied
    EXPECT_EQ(manager.Count(), 1);
}

TEST_F(Manager, ReferenceFormEnableRules)
{
    TReferenzForm empty(manager, config);
    EXPECT_FALSE(empty.CanMakeReference());
    EXPECT_FALSE(empty.CanApplyToAll());
    const std::string a = WriteFile("a.vxrf");
    manager.OpenFile(a);
    TReferenzForm form(manager, config);
    EXPECT_TRUE(form.CanMakeReference());
    EXPECT_FALSE(form.CanApplyToCurrent()); // no reference file stored yet
    form.UseReferenceWhileOpening = true;
    form.MakeCurrentReference();
    EXPECT_EQ(cfg::Read(config, cfg::kRefFilename), a);
    EXPECT_TRUE(manager.UseReferenceWhileOpening);
    EXPECT_FALSE(form.CanMakeReference());
    EXPECT_FALSE(form.CanApplyToAll()); // the only open recording is the reference
    manager.AddRecording(MakeRecording());
    EXPECT_TRUE(form.CanApplyToCurrent());
    EXPECT_TRUE(form.CanApplyToAll());
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
