// Setup summaries from the in-process simulated recorder on layouts 3, 4
// and 5 and from a setup file; the Save to VRO decisions against the
// simulator's settings directory; message filling and entry numbers.
#include "core/text/textformat.h"
#include "core/text/texts.h"
#include "device/files/vrofilesui.h"
#include "device/setup/vro8setup.h"
#include "device/window/vro8setupstore.h"
#include "device/window/vro8setupsummary.h"
#include "support/recorderrig.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>

using namespace vro;

namespace {

struct TRig : test::TRecorderRig {
    explicit TRig(int layout) : TRecorderRig(layout)
    {
        Connect();
        setup = std::make_unique<TVro8Setup>(*device);
        setup->ReadAll();
    }
    std::unique_ptr<TVro8Setup> setup;
};

// Scripted answers: texts in order (nullopt = Cancel), yes/no in order.
struct TScriptUi : IVroFilesUi {
    std::deque<std::optional<std::string>> texts;
    std::deque<bool> answers;
    std::vector<std::string> asked, errors, infos;
    std::optional<std::string> AskText(const std::string& prompt, const std::string&) override
    {
        asked.push_back(prompt);
        auto t = texts.front();
        texts.pop_front();
        return t;
    }
    bool AskYesNo(const std::string& q) override
    {
        asked.push_back(q);
        const bool a = answers.front();
        answers.pop_front();
        return a;
    }
    void ShowError(const std::string& t) override { errors.push_back(t); }
    void ShowInformation(const std::string& t) override { infos.push_back(t); }
};

int CountWithPrefix(const std::vector<std::string>& lines, const std::string& prefix)
{
    int n = 0;
    for (const std::string& l : lines)
        n += l.rfind(prefix, 0) == 0;
    return n;
}

} // namespace

TEST(SetupSummary, LayoutsShapeTheSensorTriggerAndCanLines)
{
    SelectTextLanguage("en");
    for (int layout : {3, 4, 5}) {
        SCOPED_TRACE(layout);
        TRig rig(layout);
        const auto sub = [&](int input, int j) { return rig.device->SetupBlocks.SubChannelText(input, j); };
        const TVro8SetupSummary s = SetupSummary(*rig.setup, sub);
        EXPECT_EQ(CountWithPrefix(s.SensorSetup, "Channel "), layout == 5 ? 5 : 12);
        EXPECT_EQ(s.SensorSetup.front().rfind("Channel A: ", 0), 0u);
        EXPECT_EQ(s.SensorSetup.back(), "");
        EXPECT_EQ(CountWithPrefix(s.TriggerSetup, "Event "), layout == 5 ? 2 : 4);
        EXPECT_EQ(s.TriggerSetup[s.TriggerSetup.size() - 2].rfind("Combined events: ", 0), 0u);
        EXPECT_EQ(s.HasCan, layout == 4);
        EXPECT_EQ(s.CanSetup.size(), layout == 4 ? 33u : 0u);
        if (layout == 4)
            EXPECT_EQ(s.CanSetup[31].rfind("Message 32: ", 0), 0u);
        for (const auto* block : {&s.RecordingSetup, &s.BaseSetup, &s.DisplaySetup}) {
            ASSERT_FALSE(block->empty());
            EXPECT_EQ(block->back(), "");
            for (const std::string& l : *block)
                EXPECT_EQ(l.find_first_of("\r\n"), std::string::npos);
        }
        // A smart input's sub-channel lines follow its channel line.
        int subs = 0;
        for (int i = 0; i < 4; ++i)
            subs += rig.setup->Data.Sensors.SmartFlag(i);
        EXPECT_EQ(CountWithPrefix(s.SensorSetup, "- Sub "), subs);
        // Without a recorder's texts there are none.
        EXPECT_EQ(CountWithPrefix(SetupSummary(*rig.setup).SensorSetup, "- Sub "), 0);
    }
}

TEST(SetupSummary, EveryCombinationHasItsName)
{
    SelectTextLanguage("en");
    TVro8Setup setup(3);
    const char* names[] = {"none", "1 and 2", "1 and 2 and 3", "1 and 2 and 3 and 4", "(1 & 2) or (3 & 4)"};
    for (std::uint32_t c = 0; c <= 4; ++c) {
        setup.Data.Triggers.SetCombination(c);
        const auto lines = SetupSummary(setup).TriggerSetup;
        EXPECT_EQ(lines[lines.size() - 2], std::string("Combined events: ") + names[c]);
    }
}

TEST(SetupSummary, FromAFileWithoutRecorder)
{
    SelectTextLanguage("en");
    const std::filesystem::path file =
        std::filesystem::path(VRO_TEST_DATA).parent_path() / "device/setup/reference_v4.vxsf";
    ASSERT_TRUE(std::filesystem::exists(file)) << file;
    TVro8Setup setup(TVro8Setup::FileComVersion(file).value_or(4));
    setup.LoadFromFile(file);
    const TVro8SetupSummary s = SetupSummary(setup);
    EXPECT_EQ(CountWithPrefix(s.SensorSetup, "Channel "), 12);
    EXPECT_TRUE(s.HasCan);
}

TEST(SaveToVro, BlankNameCancelAndNumbers)
{
    SelectTextLanguage("en");
    TRig rig(3);
    TScriptUi ui;
    ui.texts = {std::nullopt};
    EXPECT_EQ(SaveSetupToDirectory(*rig.setup, rig.device->Directory, ui), TVroSaveResult::Cancelled);
    ui.texts = {"Pump", std::nullopt};
    EXPECT_EQ(SaveSetupToDirectory(*rig.setup, rig.device->Directory, ui), TVroSaveResult::Cancelled);
    ui.texts = {"   ", "4"};
    EXPECT_EQ(SaveSetupToDirectory(*rig.setup, rig.device->Directory, ui), TVroSaveResult::BlankName);
    ASSERT_EQ(ui.errors.size(), 1u);
    EXPECT_EQ(ui.errors[0], text(746));
}

TEST(SaveToVro, AsksOnceForAMatchAsStoredAndStoresOnce)
{
    SelectTextLanguage("en");
    TRig rig(3);
    TScriptUi ui;
    const std::string longName(40, 'L');
    ui.texts = {longName, "7"};
    EXPECT_EQ(SaveSetupToDirectory(*rig.setup, rig.device->Directory, ui), TVroSaveResult::Stored);
    rig.device->Directory.RefreshSetups();
    const int before = rig.device->Directory.Count();
    // The same long name again: it matches the stored 32 characters.
    ui.asked.clear();
    ui.texts = {longName, " 7 "};
    ui.answers = {false};
    EXPECT_EQ(SaveSetupToDirectory(*rig.setup, rig.device->Directory, ui), TVroSaveResult::Declined);
    ASSERT_EQ(ui.asked.size(), 3u);
    EXPECT_EQ(ui.asked[2], FormatMessage(text(751), {std::string(32, 'L')}));
    ui.texts = {longName, "7"};
    ui.answers = {true};
    EXPECT_EQ(SaveSetupToDirectory(*rig.setup, rig.device->Directory, ui), TVroSaveResult::Stored);
    rig.device->Directory.RefreshSetups();
    EXPECT_LE(rig.device->Directory.Count(), before + 1);
    // Another number stores without asking.
    ui.asked.clear();
    ui.texts = {longName, "x8"};
    EXPECT_EQ(SaveSetupToDirectory(*rig.setup, rig.device->Directory, ui), TVroSaveResult::Stored);
    EXPECT_EQ(ui.asked.size(), 2u);
}

TEST(EntryNumbers, DigitsOnlyWithinRange)
{
    EXPECT_EQ(ParseEntryNumber("7"), 7u);
    EXPECT_EQ(ParseEntryNumber(" 00012 "), 12u);
    EXPECT_EQ(ParseEntryNumber("4294967295"), 4294967295u);
    EXPECT_EQ(ParseEntryNumber("4294967296"), 0u);
    EXPECT_EQ(ParseEntryNumber("-1"), 0u);
    EXPECT_EQ(ParseEntryNumber("x"), 0u);
    EXPECT_EQ(ParseEntryNumber(""), 0u);
    EXPECT_EQ(StoredSetupName("  Pump test  "), "Pump test");
    EXPECT_EQ(StoredSetupName(std::string(31, 'a') + " bc").size(), 31u);
}

TEST(FormatMessage, ConversionsTakeTheArgumentsInOrder)
{
    EXPECT_EQ(FormatMessage("Recording %s %d couldn't be deleted.", {"Leak", "12"}),
              "Recording Leak 12 couldn't be deleted.");
    EXPECT_EQ(FormatMessage("%s-%5.5d", {"Pump", "3"}), "Pump-00003");
    EXPECT_EQ(FormatMessage("100%% %s", {}), "100% ");
    EXPECT_EQ(FormatMessage("Transferring %d. of %d recordings.", {"2", "3", "extra"}),
              "Transferring 2. of 3 recordings.");
}
