#include "core/config/optionssettings.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <system_error>
#include <unistd.h>

#include "core/config/applicationconfig.h"
#include "core/text/textformat.h"
#include "core/text/texts.h"

namespace vro {

std::string LanguageNameOfCode(std::string_view code)
{
    if (code == "de")
        return std::string(kLanguageNames[1]);
    if (code == "fr")
        return std::string(kLanguageNames[2]);
    return std::string(kLanguageNames[0]);
}

std::string LanguageCodeOfName(std::string_view name)
{
    if (name == kLanguageNames[1])
        return "de";
    if (name == kLanguageNames[2])
        return "fr";
    return "en";
}

std::string ExpandWorkingFolder(const std::string& folder)
{
    if (folder.empty())
        return {};
    std::error_code ec;
    std::filesystem::path p = std::filesystem::absolute(folder, ec);
    if (ec)
        p = folder;
    std::string out = p.lexically_normal().string();
    while (out.size() > 1 && out.back() == '/')
        out.pop_back();
    return out;
}

bool CanCreateFilesIn(const std::filesystem::path& folder)
{
    std::string name = (folder / ".vrowin-write-test-XXXXXX").string();
    const int fd = ::mkstemp(name.data()); // O_CREAT | O_EXCL: never an existing file
    if (fd < 0)
        return false;
    ::close(fd);
    ::unlink(name.c_str());
    return true;
}

TOptionsSettings::TOptionsSettings(TApplicationConfig& config, IOptionsUi& ui)
    : LanguageName(LanguageNameOfCode(config.Language())), WorkingFolder(config.WorkingDirectory()), config_(config),
      ui_(ui), openedFolder_(config.WorkingDirectory())
{}

TOptionsOutcome TOptionsSettings::Ok()
{
    config_.SetLanguage(LanguageCodeOfName(LanguageName));
    if (OnLanguageApplied)
        OnLanguageApplied();
    const std::string folder = ExpandWorkingFolder(WorkingFolder);
    if (!folder.empty() && folder != openedFolder_) {
        std::error_code ec;
        if (!std::filesystem::is_directory(folder, ec)) {
            switch (ui_.AskCreateFolder(FormatMessage(text(4), {folder}))) {
            case TCreateFolderAnswer::Cancel: return {TOptionsResult::Cancelled, {}};
            case TCreateFolderAnswer::No: break;
            case TCreateFolderAnswer::Yes:
                std::filesystem::create_directories(folder, ec);
                if (ec || !std::filesystem::is_directory(folder, ec))
                    return {TOptionsResult::Error, FormatMessage(text(5), {folder})};
                break;
            }
        }
        if (!CanCreateFilesIn(folder))
            return {TOptionsResult::Error, FormatMessage(text(6), {folder})};
    }
    config_.SetWorkingDirectory(folder);
    WorkingFolder = folder;
    if (!folder.empty()) {
        std::error_code ec;
        std::filesystem::current_path(folder, ec);
    }
    return {TOptionsResult::Ok, {}};
}

std::string FirstRunPrompt()
{
    return "Please choose your language\n\nBitte w\xC3\xA4hlen Sie die gew\xC3\xBCnschte Sprache\n\n"
           "Veuillez indiquer la langue de votre choix.";
}

TFirstRunTexts FirstRunTextsFor(std::string_view code, std::string_view title)
{
    const std::string t(title);
    if (code == "de")
        return {"Willkommen bei " + t,
                "Da dies die erste Benutzung dieser Anwendung ist, \nm\xC3\xBCssen Sie als erstes die Sprache "
                "einstellen.\n\nDie Einstellung kann jederzeit \xC3\xBC"
                "ber den Men\xC3\xBCpunkt\n\"Optionen\" im Men\xC3\xBC \"Extras\" ge\xC3\xA4ndert werden.\n\n"
                "Mit Ok wird die gew\xC3\xA4hlte Sprache \xC3\xBC"
                "bernommen."};
    if (code == "fr")
        return {"Bienvenue dans " + t,
                "A la premi\xC3\xA8re utilisation,  \nil appara\xC3\xAEt les r\xC3\xA9glages des options.\n\n"
                "Ces r\xC3\xA9glages peuvent \xC3\xAAtre remodifi\xC3\xA9s \xC3\xA0 tout \nmoment par la fonction  "
                "\"Options\" du menu \"Extras\"."};
    return {"Welcome to " + t,
            "Since this is the first time of operation, \nyou have to choose your language first.\n\nThis choice "
            "can be changed at any time via the \nmenu point \"Options\" in the \"Extras\" menu .\n\nBy selecting Ok, "
            "your choice will be applied."};
}

} // namespace vro
