// vro options: the options dialog's OK on an existing configuration file:
// the language by its pick-list name (or code), the working folder with its
// checks; --create answers the question whether to create a missing folder
// (without it: Cancel). Without a setting it prints the dialog's two rows.
// It never creates a configuration file, so a first run stays a first run.
#include "cli/verb.h"

#include "core/config/applicationconfig.h"
#include "core/config/configkeys.h"
#include "core/config/optionssettings.h"
#include "core/text/texts.h"

#include <filesystem>
#include <iostream>
#include <nlohmann/json.hpp>
#include <stdexcept>

namespace vro::cli {

namespace {

class TCommandLineAnswer : public IOptionsUi {
public:
    explicit TCommandLineAnswer(TCreateFolderAnswer a) : answer_(a) {}
    TCreateFolderAnswer AskCreateFolder(const std::string& question) override
    {
        std::cerr << question << "\n";
        return answer_;
    }

private:
    TCreateFolderAnswer answer_;
};

int Run(TArgs& args)
{
    const bool json = args.Flag("--json");
    const auto configFile = args.Option("--config");
    auto language = args.Option("--language");
    const auto folder = args.Option("--working-folder");
    const std::string create = args.Option("--create").value_or("cancel");
    args.CheckAllUsed(0);
    if (create != "yes" && create != "no" && create != "cancel")
        throw EUsage("--create must be yes, no or cancel, not \"" + create + "\"");
    if (language && (*language == "de" || *language == "en" || *language == "fr"))
        language = LanguageNameOfCode(*language);

    const std::filesystem::path file = configFile ? std::filesystem::path(*configFile) : DefaultConfigFileName();
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec))
        throw std::runtime_error("no configuration file " + file.string());
    TApplicationConfig config(file);
    config.Load();
    if (config.FileWasDamaged())
        throw std::runtime_error("the configuration file " + file.string() + " cannot be read: " + config.LoadError());
    const bool firstRun = config.FirstRun();
    SelectTextLanguage(config.Language());

    const TCreateFolderAnswer answer = create == "yes"  ? TCreateFolderAnswer::Yes
                                       : create == "no" ? TCreateFolderAnswer::No
                                                        : TCreateFolderAnswer::Cancel;
    TCommandLineAnswer ui(answer);
    TOptionsSettings options(config, ui);
    TOptionsOutcome outcome;
    const bool change = language || folder;
    if (change) {
        if (language)
            options.LanguageName = *language;
        if (folder)
            options.WorkingFolder = *folder;
        options.OnLanguageApplied = [&] { SelectTextLanguage(config.Language()); };
        outcome = options.Ok();
        if (firstRun) {
            // Load ends the first run in memory; this command is no start.
            config.List().SelectSection(cfg::kGlobals);
            config.List().WriteBool(cfg::kFirstRun.key, true);
        }
        if (!config.Save(config.WasShutDown()))
            throw std::runtime_error("the configuration file " + file.string() + " cannot be written");
    }
    const char* result = outcome.Result == TOptionsResult::Ok          ? "ok"
                         : outcome.Result == TOptionsResult::Cancelled ? "cancelled"
                                                                       : "error";
    if (json) {
        nlohmann::ordered_json j;
        j["Language"] = config.Language();
        j["LanguageName"] = LanguageNameOfCode(config.Language());
        j["WorkingDirectory"] = config.WorkingDirectory();
        j["Result"] = result;
        j["Message"] = outcome.Message;
        std::cout << j.dump(2) << "\n";
    } else {
        std::cout << text(139) << "\t" << LanguageNameOfCode(config.Language()) << "\n"
                  << text(138) << "\t" << config.WorkingDirectory() << "\n";
        if (outcome.Result == TOptionsResult::Cancelled)
            std::cout << "cancelled\n";
    }
    if (outcome.Result == TOptionsResult::Error) {
        std::cerr << outcome.Message << "\n";
        return 1;
    }
    return 0;
}

} // namespace

int VerbOptions(TArgs& args) { return Run(args); }

} // namespace vro::cli
