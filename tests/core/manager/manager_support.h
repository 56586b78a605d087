// The recording manager's tests' shared parts: scripted answers to its
// questions, a small recording, and the fixture with a fresh folder.
#pragma once

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

inline std::unique_ptr<TRecording> MakeRecording(int channels = 2, int records = 20, bool stamps = false)
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

} // namespace vro
