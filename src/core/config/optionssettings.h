// The logic of the options dialog and of the first-run language dialog,
// without their windows: the language names of the pick list, the OK
// sequence (language, working folder with its checks) and the texts a
// first-run choice shows. The dialogs ask their question and show their
// errors through IOptionsUi; `vro options` answers from its command line.
#pragma once

#include <array>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace vro {

class TApplicationConfig;

// The options dialog's pick list, in its order.
inline constexpr std::array<std::string_view, 3> kLanguageNames = {"English", "Deutsch", "Francaise"};
// "de" Deutsch, "fr" Francaise, every other code English.
std::string LanguageNameOfCode(std::string_view code);
// Deutsch "de", Francaise "fr", anything else "en".
std::string LanguageCodeOfName(std::string_view name);

enum class TCreateFolderAnswer { Yes, No, Cancel };

class IOptionsUi {
public:
    virtual ~IOptionsUi() = default;
    // Text 4 with Yes, No and Cancel and a warning icon.
    virtual TCreateFolderAnswer AskCreateFolder(const std::string& question) = 0;
};

enum class TOptionsResult { Ok, Cancelled, Error };

struct TOptionsOutcome {
    TOptionsResult Result = TOptionsResult::Ok;
    std::string Message; // the error text (texts 5, 6)
};

// A folder as the options store it: absolute and cleaned, without a trailing
// separator; an empty text stays empty.
std::string ExpandWorkingFolder(const std::string& folder);
// Whether a file can be created in the folder: a uniquely named file is
// created exclusively and removed again, so no file of the user's is touched.
bool CanCreateFilesIn(const std::filesystem::path& folder);

class TOptionsSettings {
public:
    // Takes the values at opening: the configured language's name and the
    // working folder.
    TOptionsSettings(TApplicationConfig& config, IOptionsUi& ui);

    // The dialog's two values, as the user edits them.
    std::string LanguageName;
    std::string WorkingFolder;

    // Called after the language was stored, also when it did not change: the
    // main window applies its texts (and the text table switches).
    std::function<void()> OnLanguageApplied;

    // The OK sequence. Ok: the dialog closes. Cancelled: the folder question
    // was cancelled, the dialog stays open silently. Error: Message is shown
    // and the dialog stays open; the language stays stored, the folder not.
    TOptionsOutcome Ok();

    const std::string& FolderAtOpening() const { return openedFolder_; }

private:
    TApplicationConfig& config_;
    IOptionsUi& ui_;
    std::string openedFolder_;
};

// What a choice in the first-run dialog shows: the welcome line (followed by
// the application title) and the message; the choice's code is configured.
struct TFirstRunTexts {
    std::string Welcome;
    std::string Message;
};
// The dialog's message before any choice, in the three languages.
std::string FirstRunPrompt();
TFirstRunTexts FirstRunTextsFor(std::string_view code, std::string_view applicationTitle);

} // namespace vro
