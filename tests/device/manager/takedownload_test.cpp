// The one take-a-download step: fill, time stamps checked and repaired with
// their message, the name by the one rule; and the device manager's save to
// a file, which goes through it (it once saved faulty time stamps unrepaired).
#include "device/manager/takedownload.h"

#include "core/config/inilist.h"
#include "core/construct/construct.h"
#include "core/construct/loadrecordingfile.h"
#include "core/manager/recordingmanager.h"
#include "core/recording/recording.h"
#include "core/template/safefilename.h"
#include "device/manager/vro8manager.h"
#include "link/connection/dvxconnection.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace vro::test {
namespace {

namespace fs = std::filesystem;

// Three records of stamp (two words) and one value; the second stamp goes
// back in time.
const std::vector<std::uint16_t> kFaultySamples = {10, 0, 100, 5, 0, 101, 20, 0, 102};
const std::vector<std::uint16_t> kSoundSamples = {10, 0, 100, 15, 0, 101, 20, 0, 102};

TDeviceRecordingData Download(const std::vector<std::uint16_t>& samples, std::string name = "Pump")
{
    TDeviceRecordingData d;
    d.Name = std::move(name);
    d.Number = 12;
    d.StartTime = 86400;
    d.StopTime = 86400 + 30;
    d.Type = 0x80; // time stamps
    d.RecordCount = 3;
    d.Channels = {TDeviceChannelInfo{0, 0, "P", "bar", 1, -1000, 1000, 0}};
    d.Samples = samples;
    return d;
}

fs::path Folder(const std::string& name)
{
    const fs::path p = fs::temp_directory_path() / ("vro-take-" + name + "-" + std::to_string(::getpid()));
    fs::remove_all(p);
    fs::create_directories(p);
    return p;
}

class TUi : public IRecordingManagerUi {
public:
    std::vector<std::string> messages, questions;
    TMsgAnswer answer = TMsgAnswer::Yes;
    void ShowMessage(const std::string& t, TMsgIcon) override { messages.push_back(t); }
    TMsgAnswer Ask(const std::string& t, TMsgButtons, TMsgIcon) override
    {
        questions.push_back(t);
        return answer;
    }
    std::vector<std::string> AskOpenFiles(const std::string&) override { return {}; }
    std::vector<std::string> AskImportFiles(const std::string&) override { return {}; }
    std::optional<std::string> AskSaveFile(const std::string&) override { return std::nullopt; }
    TCheckSaveAnswer AskCheckFileSave(const std::vector<std::string>&, std::vector<bool>&) override
    {
        return TCheckSaveAnswer::Cancel;
    }
    bool AskTextImportSettings(textimport::TTextFileSettings&, const textimport::TTextImportSettings&) override
    {
        return false;
    }
};

TEST(TakeDownload, TimeStampsCheckedRepairedAndSaid)
{
    TTakeReport report;
    auto r = TakeDownload(Download(kFaultySamples), TTakeNaming{}, report);
    EXPECT_EQ(report.Fault, 2);
    EXPECT_EQ(report.FaultIndex, 1);
    EXPECT_TRUE(report.Repaired);
    EXPECT_EQ(report.Message, "Pump: faulty time stamps from sample 1, repaired");
    EXPECT_EQ(CheckTimeStamps(*r), 0);
    EXPECT_TRUE(r->FileName.empty());
    EXPECT_FALSE(r->NameConfirmed);

    // Declined: left as it came, and said so.
    r = TakeDownload(Download(kFaultySamples), TTakeNaming{}, report, [](int fault) { return fault != 2; });
    EXPECT_FALSE(report.Repaired);
    EXPECT_NE(CheckTimeStamps(*r), 0);
    EXPECT_NE(report.Message.find("not repaired"), std::string::npos);

    bool asked = false;
    r = TakeDownload(Download(kSoundSamples), TTakeNaming{}, report, [&](int) { return asked = true; });
    EXPECT_FALSE(asked);
    EXPECT_EQ(report.Fault, 0);
    EXPECT_TRUE(report.Message.empty());

    auto broken = Download(kSoundSamples);
    broken.Samples = broken.Samples.first(4);
    EXPECT_THROW(TakeDownload(broken, TTakeNaming{}, report), EConstruct);
}

TEST(TakeDownload, NamesStayInTheFolder)
{
    const fs::path dir = Folder("names");
    TTakeReport report;
    for (const char* name : {"../../evil", "a/b", "..", ".", "C:\\x", "\x01\x02", ""}) {
        const auto automatic = TakeDownload(Download(kSoundSamples, name), TTakeNaming::AutomaticIn(dir), report);
        EXPECT_EQ(fs::path(automatic->FileName).parent_path(), dir) << name;
        EXPECT_TRUE(automatic->NameConfirmed);
        try {
            const auto named = TakeDownload(Download(kSoundSamples, name), TTakeNaming::TemplateIn(dir, "%n"), report);
            EXPECT_EQ(fs::path(named->FileName).parent_path(), dir) << name;
        } catch (const EUnsafeFileName&) {
            // Nothing of "", "." and ".." is left for a file name.
            const std::string n = name;
            EXPECT_TRUE(n.empty() || n == "." || n == "..") << name;
        }
    }
    const auto slash = TakeDownload(Download(kSoundSamples), TTakeNaming::TemplateIn(dir, "/"), report);
    EXPECT_EQ(fs::path(slash->FileName).filename(), "_.vxrf");
    const auto numbered = TakeDownload(Download(kSoundSamples), TTakeNaming::TemplateIn(dir, "%n-%#:3"), report);
    EXPECT_EQ(numbered->FileName, (dir / "Pump-012.vxrf").string());
    fs::remove_all(dir);
}

// The documents ask before repairing, and do not ask twice.
TEST(TakeDownload, IntoTheDocumentsAsksOnce)
{
    TIniList config;
    TUi ui;
    TRecordingManager documents(config, ui);
    ui.answer = TMsgAnswer::No;
    TTakeReport report;
    auto r = TakeDownload(Download(kFaultySamples), TTakeNaming{}, report, AskThroughDocuments(documents));
    TRecording& added = AddToDocuments(documents, std::move(r), false);
    EXPECT_EQ(ui.questions.size(), 1u);
    EXPECT_NE(CheckTimeStamps(added), 0);
    EXPECT_EQ(documents.Count(), 1);
}

// A download saved to a file by the device manager has its faulty time
// stamps repaired, and the repair is reported.
TEST(TakeDownload, DeviceManagerSavesRepairedFilesAndSaysSo)
{
    const fs::path dir = Folder("manager");
    TDvxConnection connection; // no recorder needed: the download is given
    TIniList config;
    TUi ui;
    TRecordingManager documents(config, ui);
    TVro8Manager manager(connection, &documents);
    manager.RecordingComment = "after repair";
    const std::string file = (dir / "Series-001.vxrf").string();
    const auto data = Download(kFaultySamples);
    EXPECT_EQ(manager.TakeDownloaded(data, file), file);
    EXPECT_EQ(manager.LastTake().Fault, 2);
    EXPECT_TRUE(manager.LastTake().Repaired);
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0], manager.LastTake().Message);
    EXPECT_TRUE(ui.questions.empty());
    TRecording saved;
    LoadRecordingFile(file, saved);
    EXPECT_EQ(CheckTimeStamps(saved), 0);
    EXPECT_EQ(saved.Comment, "after repair");
    EXPECT_EQ(documents.Count(), 0);

    // Without a file it becomes a document, with the question.
    ui.answer = TMsgAnswer::Yes;
    EXPECT_EQ(manager.TakeDownloaded(data, ""), "");
    EXPECT_EQ(ui.questions.size(), 1u);
    ASSERT_EQ(documents.Count(), 1);
    EXPECT_EQ(CheckTimeStamps(documents.Items(0)), 0);
    fs::remove_all(dir);
}

} // namespace
} // namespace vro::test
