// vro setup summary FILE.vxsf [--json]: the setup editor's six block summaries of a file.
// vro device setup summary --port PATH [--json]: the same for the recorder's current setup.
// vro device setup save --port PATH --name NAME [--number N] [--overwrite]: Save to VRO.
// vro device setup load --port PATH --entry I: Load from VRO (entry I of the settings list).
//
// Messages are the numbered texts in the language of --language (en, de,
// fr); a failure prints its message on standard error and exits 1.
#include "cli/devicesession.h"
#include "cli/verb.h"

#include "core/text/textformat.h"
#include "core/text/texts.h"
#include "device/files/vrofilesui.h"
#include "device/setup/vro8setup.h"
#include "device/vro8device.h"
#include "device/window/vro8setupstore.h"
#include "device/window/vro8setupsummary.h"

#include <nlohmann/json.hpp>

#include <deque>
#include <iostream>

namespace vro::cli {

namespace {

using json = nlohmann::ordered_json;

void TakeLanguage(TArgs& a)
{
    const std::string code = a.Option("--language").value_or("en");
    if (code != "en" && code != "de" && code != "fr")
        throw EUsage("--language takes en, de or fr");
    SelectTextLanguage(code);
}

void Print(const TVro8SetupSummary& s, bool asJson)
{
    const std::pair<const char*, const std::vector<std::string>*> blocks[] = {
        {"SensorSetup", &s.SensorSetup}, {"TriggerSetup", &s.TriggerSetup}, {"RecordingSetup", &s.RecordingSetup},
        {"BaseSetup", &s.BaseSetup},     {"DisplaySetup", &s.DisplaySetup}, {"CanSetup", &s.CanSetup},
    };
    if (asJson) {
        json doc;
        for (const auto& [key, lines] : blocks)
            if (std::string_view(key) != "CanSetup" || s.HasCan)
                doc[key] = *lines;
        std::cout << doc.dump(2) << "\n";
        return;
    }
    for (const auto& [key, lines] : blocks) {
        if (std::string_view(key) == "CanSetup" && !s.HasCan)
            continue;
        std::cout << key << ":\n";
        for (const std::string& l : *lines)
            std::cout << (l.empty() ? "" : "  ") << l << "\n";
    }
}

int FileSummary(TArgs& a)
{
    TakeLanguage(a);
    const bool asJson = a.Flag("--json");
    a.CheckAllUsed(1);
    const std::string path = a.Positional(0, "FILE.vxsf");
    const std::optional<int> named = TVro8Setup::FileComVersion(path);
    TVro8Setup setup(named && *named >= 1 && *named <= 5 ? *named : 4);
    try {
        setup.LoadFromFile(path);
    } catch (const std::exception&) {
        throw std::runtime_error(FormatMessage(text(7), {path}));
    }
    Print(SetupSummary(setup), asJson);
    return 0;
}

int DeviceSummary(TArgs& a)
{
    TakeLanguage(a);
    TDeviceSession session(a);
    const bool asJson = a.Flag("--json");
    a.CheckAllUsed(0);
    session.Connect();
    TVro8Setup setup(session.Device());
    setup.ReadAll();
    TVro8Device& d = session.Device();
    Print(SetupSummary(setup, [&d](int input, int j) { return d.SetupBlocks.SubChannelText(input, j); }), asJson);
    return 0;
}

// The prompts answered from the command line.
struct TCommandLineUi : IVroFilesUi {
    std::deque<std::string> texts;
    bool overwrite = false;
    std::optional<std::string> AskText(const std::string&, const std::string&) override
    {
        if (texts.empty())
            return std::string();
        std::string t = texts.front();
        texts.pop_front();
        return t;
    }
    bool AskYesNo(const std::string& question) override
    {
        if (!overwrite)
            std::cout << question << "\n";
        return overwrite;
    }
    void ShowError(const std::string& t) override { throw std::runtime_error(t); }
    void ShowInformation(const std::string& t) override { std::cout << t << "\n"; }
};

int Save(TArgs& a)
{
    TakeLanguage(a);
    TDeviceSession session(a);
    TCommandLineUi ui;
    const std::optional<std::string> name = a.Option("--name");
    if (!name)
        throw EUsage("--name is required");
    const std::string numberText = a.Option("--number").value_or("0");
    ui.texts = {*name, numberText};
    ui.overwrite = a.Flag("--overwrite");
    a.CheckAllUsed(0);
    session.Connect();
    TVro8Setup setup(session.Device());
    setup.ReadAll();
    if (SaveSetupToDirectory(setup, session.Device().Directory, ui) == TVroSaveResult::Stored)
        std::cout << "stored as " << StoredSetupName(*name) << ", Nr."
                  << (session.Device().ComVersion() > 1 ? ParseEntryNumber(numberText) : 0) << "\n";
    return 0;
}

int Load(TArgs& a)
{
    TakeLanguage(a);
    TDeviceSession session(a);
    const long long entry = a.IntOption("--entry", -1, 0, 1 << 20);
    if (entry < 0)
        throw EUsage("--entry is required");
    a.CheckAllUsed(0);
    session.Connect();
    TVro8Directory& dir = session.Device().Directory;
    dir.RefreshSetups();
    if (entry >= dir.Count())
        throw std::runtime_error("no entry " + std::to_string(entry) + " (" + std::to_string(dir.Count()) + " stored)");
    TVro8Setup setup(session.Device());
    setup.LoadFromDirectory(static_cast<int>(entry));
    const TVro8Entry& e = dir.Entry(static_cast<int>(entry));
    std::cout << "loaded " << e.Name << ", Nr." << e.Number << "\n";
    return 0;
}

} // namespace

int VerbSetupSummary(TArgs& args) { return FileSummary(args); }
int VerbDeviceSetupSummary(TArgs& args) { return DeviceSummary(args); }
int VerbDeviceSetupSave(TArgs& args) { return Save(args); }
int VerbDeviceSetupLoad(TArgs& args) { return Load(args); }

} // namespace vro::cli
