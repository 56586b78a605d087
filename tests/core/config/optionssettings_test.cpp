#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

#include "core/config/applicationconfig.h"
#include "core/config/optionssettings.h"
#include "core/text/textformat.h"
#include "core/text/texts.h"

using namespace vro;
namespace fs = std::filesystem;

namespace {

class TScriptedUi : public IOptionsUi {
public:
    TCreateFolderAnswer answer = TCreateFolderAnswer::Cancel;
    std::vector<std::string> asked;
    TCreateFolderAnswer AskCreateFolder(const std::string& q) override
    {
        asked.push_back(q);
        return answer;
    }
};

class OptionsSettings : public ::testing::Test {
protected:
    void SetUp() override
    {
        SelectTextLanguage("en");
        dir = fs::temp_directory_path() / ("vro_options_" + std::to_string(::getpid()) + "_" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir);
        fs::create_directories(dir / "old");
        config.SetWorkingDirectory((dir / "old").string());
        saved = fs::current_path();
    }
    void TearDown() override
    {
        fs::current_path(saved);
        fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add);
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    std::vector<std::string> Entries(const fs::path& p)
    {
        std::vector<std::string> out;
        for (const auto& e : fs::directory_iterator(p))
            out.push_back(e.path().filename().string());
        return out;
    }
    fs::path dir, saved;
    TApplicationConfig config{fs::temp_directory_path() / "vro_options_unused.vxacf"};
    TScriptedUi ui;
};

} // namespace

TEST_F(OptionsSettings, LanguageNamesAndCodes)
{
    EXPECT_EQ(LanguageNameOfCode("de"), "Deutsch");
    EXPECT_EQ(LanguageNameOfCode("fr"), "Francaise");
    EXPECT_EQ(LanguageNameOfCode("en"), "English");
    EXPECT_EQ(LanguageNameOfCode("it"), "English");
    EXPECT_EQ(LanguageCodeOfName("Deutsch"), "de");
    EXPECT_EQ(LanguageCodeOfName("Francaise"), "fr");
    EXPECT_EQ(LanguageCodeOfName("Français"), "en");

    // The language is stored and the texts applied even when it is unchanged.
    TOptionsSettings o(config, ui);
    EXPECT_EQ(o.LanguageName, "English");
    int applied = 0;
    o.OnLanguageApplied = [&] { ++applied; };
    EXPECT_EQ(o.Ok().Result, TOptionsResult::Ok);
    o.LanguageName = "Deutsch";
    EXPECT_EQ(o.Ok().Result, TOptionsResult::Ok);
    EXPECT_EQ(config.Language(), "de");
    EXPECT_EQ(applied, 2);
    EXPECT_TRUE(ui.asked.empty());
}

TEST_F(OptionsSettings, ExistingFolderIsStoredAndBecomesCurrent)
{
    fs::create_directories(dir / "new");
    std::ofstream(dir / "new" / "FileAccessTest.tmp") << "the user's";
    TOptionsSettings o(config, ui);
    o.WorkingFolder = (dir / "new" / "sub" / ".." / "").string();
    EXPECT_EQ(o.Ok().Result, TOptionsResult::Ok);
    EXPECT_EQ(config.WorkingDirectory(), (dir / "new").string());
    EXPECT_EQ(fs::current_path(), dir / "new");
    // Nothing new remains, and the user's file of the old fixed name is untouched.
    EXPECT_EQ(Entries(dir / "new"), std::vector<std::string>{"FileAccessTest.tmp"});
    std::ifstream in(dir / "new" / "FileAccessTest.tmp");
    std::string content;
    std::getline(in, content);
    EXPECT_EQ(content, "the user's");

    // An empty value is stored without any check.
    o.WorkingFolder.clear();
    EXPECT_EQ(o.Ok().Result, TOptionsResult::Ok);
    EXPECT_EQ(config.WorkingDirectory(), "");
    EXPECT_TRUE(ui.asked.empty());
}

TEST_F(OptionsSettings, EveryAnswerToTheCreateQuestion)
{
    const std::string missing = (dir / "a" / "b").string();
    TOptionsSettings o(config, ui);
    o.WorkingFolder = missing;

    ui.answer = TCreateFolderAnswer::Cancel;
    const auto cancelled = o.Ok();
    EXPECT_EQ(cancelled.Result, TOptionsResult::Cancelled);
    EXPECT_TRUE(cancelled.Message.empty());
    EXPECT_EQ(ui.asked.back(), FormatMessage(text(4), {missing}));
    EXPECT_EQ(config.WorkingDirectory(), (dir / "old").string());

    // No: goes on without creating, and the write test fails.
    ui.answer = TCreateFolderAnswer::No;
    const auto no = o.Ok();
    EXPECT_EQ(no.Result, TOptionsResult::Error);
    EXPECT_EQ(no.Message, FormatMessage(text(6), {missing}));
    EXPECT_FALSE(fs::exists(missing));
    EXPECT_EQ(config.WorkingDirectory(), (dir / "old").string());

    ui.answer = TCreateFolderAnswer::Yes;
    EXPECT_EQ(o.Ok().Result, TOptionsResult::Ok);
    EXPECT_TRUE(fs::is_directory(missing));
    EXPECT_EQ(config.WorkingDirectory(), missing);
    EXPECT_TRUE(Entries(missing).empty());
}

TEST_F(OptionsSettings, FolderThatCannotBeCreated)
{
    // Below a plain file no folder can be made, not even by root.
    std::ofstream(dir / "plain") << "x";
    const std::string below = (dir / "plain" / "sub").string();
    ui.answer = TCreateFolderAnswer::Yes;
    TOptionsSettings o(config, ui);
    o.WorkingFolder = below;
    const auto failed = o.Ok();
    EXPECT_EQ(failed.Result, TOptionsResult::Error);
    EXPECT_EQ(failed.Message, FormatMessage(text(5), {below}));
    EXPECT_EQ(config.WorkingDirectory(), (dir / "old").string());
}

TEST_F(OptionsSettings, WriteProtectedFolder)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes into protected folders";
    fs::create_directories(dir / "ro");
    fs::permissions(dir / "ro", fs::perms::owner_read | fs::perms::owner_exec);
    config.SetLanguage("en");
    TOptionsSettings o(config, ui);
    o.LanguageName = "Francaise";
    o.WorkingFolder = (dir / "ro").string();
    const auto protectedFolder = o.Ok();
    EXPECT_EQ(protectedFolder.Result, TOptionsResult::Error);
    SelectTextLanguage("en");
    EXPECT_EQ(protectedFolder.Message, FormatMessage(text(TTextLanguage::English, 6), {(dir / "ro").string()}));
    EXPECT_EQ(config.Language(), "fr"); // stored before the folder check
    EXPECT_EQ(config.WorkingDirectory(), (dir / "old").string());
    EXPECT_TRUE(Entries(dir / "ro").empty());

    ui.answer = TCreateFolderAnswer::Yes;
    o.WorkingFolder = (dir / "ro" / "inner").string();
    const auto failed = o.Ok();
    EXPECT_EQ(failed.Result, TOptionsResult::Error);
    EXPECT_EQ(failed.Message, FormatMessage(text(5), {(dir / "ro" / "inner").string()}));
    fs::permissions(dir / "ro", fs::perms::owner_all);
}

TEST(FirstRunTexts, QuotedAsTheDialogShowsThem)
{
    EXPECT_EQ(FirstRunPrompt(), "Please choose your language\n\nBitte wählen Sie die gewünschte Sprache\n\n"
                                "Veuillez indiquer la langue de votre choix.");
    EXPECT_EQ(FirstRunTextsFor("de", "VROWIN").Welcome, "Willkommen bei VROWIN");
    EXPECT_EQ(FirstRunTextsFor("de", "VROWIN").Message,
              "Da dies die erste Benutzung dieser Anwendung ist, \nmüssen Sie als erstes die Sprache einstellen.\n\n"
              "Die Einstellung kann jederzeit über den Menüpunkt\n\"Optionen\" im Menü \"Extras\" geändert werden.\n\n"
              "Mit Ok wird die gewählte Sprache übernommen.");
    EXPECT_EQ(FirstRunTextsFor("fr", "VROWIN").Welcome, "Bienvenue dans VROWIN");
    EXPECT_EQ(FirstRunTextsFor("fr", "VROWIN").Message,
              "A la première utilisation,  \nil apparaît les réglages des options.\n\n"
              "Ces réglages peuvent être remodifiés à tout \nmoment par la fonction  \"Options\" du menu \"Extras\".");
    EXPECT_EQ(FirstRunTextsFor("en", "VROWIN").Welcome, "Welcome to VROWIN");
    EXPECT_EQ(FirstRunTextsFor("en", "VROWIN").Message,
              "Since this is the first time of operation, \nyou have to choose your language first.\n\n"
              "This choice can be changed at any time via the \nmenu point \"Options\" in the \"Extras\" menu .\n\n"
              "By selecting Ok, your choice will be applied.");
}
