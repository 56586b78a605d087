// vro: the command-line companion of the desktop program. Readable text by
// default, one JSON document with --json; errors go to standard error with
// the system's own message and a non-zero exit status.
#include "cli/devicesession.h"
#include "cli/verb.h"
#include "core/text/texts.h"
#include "core/values/localeformat.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <exception>
#include <iostream>

namespace vro::cli {

namespace {
bool IsOptionWord(const std::string& w) { return w.size() > 2 && w.compare(0, 2, "--") == 0; }

// Option words several usage lines share.
constexpr const char* kPortJson = " --port PATH [--baud B] [--json]";
constexpr const char* kRecordChoices =
    " [--save pc|vro] [--type 0..3] [--rate R] [--time T] [--mode end|continuous]"
    " [--trigger-position 0..10] [--automatic] [--name TEXT] [--comment TEXT] [--language de|en|fr]";
// The editor's options of vro remarks add and edit.
constexpr const char* kRemarkEdits =
    " [--extent W,H] [--text T] [--anchor K | --no-anchor] [--size S] [--color V] [--bold] [--italic]"
    " [--underline] [--hidden] [--json]";
} // namespace

// Every verb of the vro command: name, usage line, summary, entry function.
const std::vector<TVerb>& Verbs()
{
    static const std::vector<TVerb> verbs = {
        {"calc", "calc IN.vxrf OUT.vxrf --formula \"...\" [--name N] [--unit U] [--decimals D]",
         "add a channel calculated from a formula over s1..sN, pi and e (decimals chosen automatically unless given)",
         VerbCalc},
        {"filter", "filter IN OUT.vxrf --channel K --width W",
         "add the moving average of channel K (0 = first) over W samples", VerbFilter},
        {"convert", "convert IN OUT.vxrf", "load a recording and save it as a recording file", VerbConvert},
        {"device identify", std::string("device identify") + kPortJson,
         "identify the recorder: identification text, ComVersion, HardwareVariant", VerbDeviceIdentify},
        {"device channels", std::string("device channels") + kPortJson, "the recorder's channel descriptions",
         VerbDeviceChannels},
        {"device values", std::string("device values [--count N | --table [--reset] [--language L]]") + kPortJson,
         "current values, N readings at the recorder's pace; --table: the current-values page's table "
         "(ColumnCount, ShowMin, ShowMax, ResetVisible, Rows), --reset resets the min/max values first",
         VerbDeviceValues},
        {"device list", std::string("device list [--setups] [--sort name|date] [--descending]") + kPortJson,
         "the recordings (or stored setups) in the recorder; the index counts from 0", VerbDeviceList},
        {"device read-header", std::string("device read-header --index N") + kPortJson,
         "the decoded header of recording N of the list", VerbDeviceReadHeader},
        {"device online",
         "device online --port PATH (--seconds S | --duration IDX) [--type 0|1|2] [--rate ROW] "
         "[--mode end|continuous] [--trigger-position 0..10] [--trigger-at S] [--repeat] [--comment TEXT] "
         "[--width W] [--y-range CH:LO:HI ...] [--x-channel K] [--language de|en|fr] [--json [--columns]] "
         "[--baud B] OUT.vxrf",
         "a real-time measurement on the PC (type 0 simple curve, 1 with trigger, 2 event log; sample-interval "
         "row ROW, default 9 = 100 ms; recording-time index IDX or the last S seconds); --seconds ends it like "
         "End, Ctrl-C too; --trigger-at releases the hand trigger; --json prints the run's fields and "
         "HandOverCount, --columns the columns as the real-time frame draws them; saved as OUT.vxrf when "
         "samples came",
         VerbDeviceOnline},
        {"device download", "device download --port PATH [--baud B] (--index N OUT.vxrf | --all DIR [--template T])",
         "read recordings out of the recorder and save them as recording files", VerbDeviceDownload},
        {"device edit",
         "device edit base|display|recording|sensor|trigger|can --port PATH [--baud B] [--json] "
         "[--channel A..L [--sub J] | --event N | --message N] [--active 0|1] [--combination N] "
         "[--set NAME=TEXT ...] [--language de|en|fr]",
         "a setup block's editor: its view, or a box, the combination or fields set and OK'd", VerbDeviceEdit},
        {"export", "export IN.vxrf OUT [--set KEY=VALUE ...] [--json]",
         "write a recording as a text file, or as TDM files with --set FormatSelection=3 (keys: FormatSelection, "
         "MeasurementUnit, QuotationMark, Delimiter, ColWidthSelection, ColWidth, OnlySelectedRows, "
         "OnlySelectedCols, AlwaysWithDate)",
         VerbExport},
        {"folder list", "folder list DIR [--ext LIST] [--sort name|date] [--descending] [--json]",
         "the files of a folder as the file pages list them", VerbFolderList},
        {"device copy",
         "device copy --port P --to DIR [--setups] [--entries I,J,...] [--option 0|1|2|3] [--name NAME] "
         "[--template T] [--json]",
         "copy recordings (or stored settings) out of the recorder into a folder", VerbDeviceCopy},
        {"device store", "device store --port P [--option 0|1|2|3] [--name NAME] [--json] FILE.vxsf...",
         "store setup files in the recorder's settings directory", VerbDeviceStore},
        {"device delete", "device delete --port P [--setups] --entries I,J,...",
         "delete recordings (or stored settings) in the recorder", VerbDeviceDelete},
        {"firmware make",
         "firmware make OUT.vxupd --code CC (--area0 A0.hex --area1 A1.hex | --sample [--version0 T] [--version1 T])",
         "write a firmware update file from two Intel HEX files or from sample images", VerbFirmwareMake},
        {"firmware info", "firmware info FILE.vxupd [--json] [--image0 OUT.bin] [--image1 OUT.bin]",
         "decode and check a firmware update file without a recorder; exit 1 with the reason when refused",
         VerbFirmwareInfo},
        {"device firmware versions", std::string("device firmware versions") + kPortJson,
         "the version texts of the recorder's two firmware areas (R 112, R 115)", VerbDeviceFirmwareVersions},
        {"device firmware read", "device firmware read --area N OUT.bin --port PATH [--baud B]",
         "read one firmware area; an incomplete read writes no file", VerbDeviceFirmwareRead},
        {"device firmware update", std::string("device firmware update FILE.vxupd [--load-wait MS]") + kPortJson,
         "the update wizard: load, transfer and check; exit 3 failed transfer, 4 failed check, 130 cancelled",
         VerbDeviceFirmwareUpdate},
        {"device firmware verify", std::string("device firmware verify FILE.vxupd [--load-wait MS]") + kPortJson,
         "load a firmware file and compare it with the recorder's areas, without writing; exit 4 when unequal",
         VerbDeviceFirmwareVerify},
        {"generate",
         "generate OUT.vxrf [--channels N] [--samples M] [--minmax] [--32bit] [--timestamps] [--type 0..3] "
         "[--start YYYY-MM-DDTHH:MM:SS] [--step S] [--trigger-state N] [--trigger-time YYYY-MM-DDTHH:MM:SS] "
         "[--info LINE ...] [--sensor-id ID]",
         "write a synthetic recording (smooth curves with noise); type 2 has stamps, min/max and states, type 1 "
         "a pretrigger of half the samples; --step: seconds between time stamps",
         VerbGenerate},
        {"import",
         "import IN OUT.vxrf [--delimiter C|tab|fixed] [--header-line N] [--time-column N] [--interval S] "
         "[--show-guess [--json]]",
         "make a recording file of a legacy recording or a text file (N = 0: none; --show-guess: what the "
         "analysis found)",
         VerbImport},
        {"merge", "merge (IN.vxrf... | --folder DIR) OUT.vxrf [--partial] [--language de|en|fr] [--json]",
         "merge recording files into one ordered by time (a folder: its *.vxrf then *.vrf by name); OUT is written "
         "for code 0, with --partial also for codes 1..5; exit 1 when not all merged, 130 on Ctrl-C",
         VerbMerge},
        {"info", "info FILE [--json] [--values]", "describe a recording file (--json: its fields as JSON)", VerbInfo},
        {"options",
         "options [--config FILE] [--language NAME] [--working-folder DIR] [--create yes|no|cancel] [--json]",
         "the options dialog's OK on an existing configuration (language English, Deutsch or Francaise; the "
         "working folder checked, --create answering whether to create it); without settings the two rows",
         VerbOptions},
        {"properties", "properties FILE [--language de|en|fr] [--json]",
         "the properties sheet of a recording (headings and label-value rows; --json with each entry's top y)",
         VerbProperties},
        {"device record check", std::string("device record check --port PATH [--baud B] [--json]") + kRecordChoices,
         "the start-recording checks on what the recorder holds (writes nothing)", VerbDeviceRecordCheck},
        {"device record start",
         std::string("device record start --port PATH [--baud B] [--json]") + kRecordChoices +
             " [--wait OUT.vxrf] [--series BASE.vxrf --runs N]",
         "start a recording in the recorder (--save vro) or on the PC; --wait reads it out, --series makes N runs",
         VerbDeviceRecordStart},
        {"device record state", "device record state --port PATH [--baud B] [--json]",
         "the remote recording's state: 0 running, 1 finished, 2 no answer, 3 idle", VerbDeviceRecordState},
        {"device record stop", "device record stop --port PATH [--baud B]", "stop a remote recording (R 210)",
         VerbDeviceRecordStop},
        {"device record download", "device record download --port PATH [--baud B] OUT.vxrf",
         "read out the recording the recorder has just made", VerbDeviceRecordDownload},
        {"remarks list", "remarks list FILE [--extent W,H] [--json]",
         "the remark list's rows; with --extent (the plot's W,H) also where each remark is drawn and its text",
         VerbRemarksList},
        {"remarks add", std::string("remarks add FILE [OUT] [--at X,Y]") + kRemarkEdits,
         "a new remark through the remark editor at the position point X,Y (default the plot centre)", VerbRemarksAdd},
        {"remarks edit",
         std::string("remarks edit FILE INDEX [OUT] [--at X,Y]") + kRemarkEdits +
             " [--no-bold] [--no-italic] [--no-underline] [--shown]",
         "remark INDEX through the remark editor (position kept, or --at as from the grip)", VerbRemarksEdit},
        {"remarks delete", "remarks delete FILE INDEX [OUT]", "delete remark INDEX", VerbRemarksDelete},
        {"remarks move", "remarks move FILE INDEX --to X,Y [--extent W,H] [OUT]",
         "a released move of remark INDEX: its new position point", VerbRemarksMove},
        {"remarks reanchor", "remarks reanchor FILE INDEX --to-x X [--extent W,H] [OUT]",
         "a released anchor drag of remark INDEX to the sample under plot x X", VerbRemarksReanchor},
        {"setup show", "setup show FILE.vxsf [--json]", "the descriptive texts of a setup file", VerbSetupShow},
        {"device setup get", "device setup get --port PATH [--baud B] OUT.vxsf",
         "read the recorder's setup into a setup file", VerbDeviceSetupGet},
        {"device setup put", "device setup put --port PATH [--baud B] IN.vxsf", "write a setup file into the recorder",
         VerbDeviceSetupPut},
        {"device setups", "device setups --port PATH [--baud B] [--json]",
         "the setups stored in the recorder's settings directory", VerbDeviceSetups},
        {"setup summary", "setup summary FILE.vxsf [--json] [--language L]",
         "the setup editor's block summaries of a setup file", VerbSetupSummary},
        {"device setup summary", "device setup summary --port PATH [--baud B] [--json] [--language L]",
         "the setup editor's block summaries of the recorder's current setup", VerbDeviceSetupSummary},
        {"device setup save", "device setup save --port PATH --name NAME [--number N] [--overwrite]",
         "store the recorder's current setup in its settings directory (Save to VRO)", VerbDeviceSetupSave},
        {"device setup load", "device setup load --port PATH --entry I",
         "make entry I of the settings directory the current setup (Load from VRO)", VerbDeviceSetupLoad},
        {"sevenseg",
         "sevenseg TEXT... [--field W,H] [--json] | sevenseg --layout --panel W --scroll-height H --channels N "
         "--columns C [--minmax] [--json]",
         "the large display's seven-segment masks and geometry of texts, or its cell layout", VerbSevenseg},
        {"simulate", SimulateUsage(),
         "run a simulated recorder on a pseudo-terminal; prints the device path to open. Its trigger block has "
         "event 1 active with Source 0 (released by hand), so online runs of types 1 and 2 offer the Trigger",
         VerbSimulate},
        {"template", "template TEMPLATE [--name NAME] [--number N] [--date YYYY-MM-DDTHH:MM:SS] [--json]",
         "prints the file name a file-name template gives (placeholders %Name, %Nr:D, %Date, %Time)", VerbTemplate},
        {"texts", "texts [--language de|en|fr] [--json] [N...]",
         "print the numbered texts of a language (all, or the numbers given)", VerbTexts},
    };
    return verbs;
}

bool TArgs::Flag(const std::string& name)
{
    bool found = false;
    for (std::size_t i = 0; i < words_.size(); ++i)
        if (!used_[i] && words_[i] == name)
            used_[i] = found = true;
    return found;
}

std::vector<std::string> TArgs::Options(const std::string& name)
{
    std::vector<std::string> values;
    for (std::size_t i = 0; i < words_.size(); ++i) {
        if (used_[i])
            continue;
        const std::string& w = words_[i];
        if (w == name) {
            if (i + 1 >= words_.size())
                throw EUsage("option " + name + " needs a value");
            used_[i] = used_[i + 1] = true;
            values.push_back(words_[i + 1]);
            ++i;
        } else if (w.size() > name.size() && w.compare(0, name.size(), name) == 0 && w[name.size()] == '=') {
            used_[i] = true;
            values.push_back(w.substr(name.size() + 1));
        }
    }
    return values;
}

std::optional<std::string> TArgs::Option(const std::string& name)
{
    auto values = Options(name);
    if (values.empty())
        return std::nullopt;
    if (values.size() > 1)
        throw EUsage("option " + name + " given more than once");
    return values.front();
}

long long TArgs::IntOption(const std::string& name, long long def, long long lo, long long hi)
{
    auto text = Option(name);
    if (!text)
        return def;
    long long v = 0;
    auto [p, ec] = std::from_chars(text->data(), text->data() + text->size(), v);
    if (ec != std::errc() || p != text->data() + text->size())
        throw EUsage("option " + name + ": \"" + *text + "\" is not a whole number");
    if (v < lo || v > hi)
        throw EUsage("option " + name + ": " + *text + " is outside " + std::to_string(lo) + ".." + std::to_string(hi));
    return v;
}

std::vector<std::string> TArgs::Positionals() const
{
    std::vector<std::string> out;
    for (std::size_t i = 0; i < words_.size(); ++i)
        if (!used_[i] && !IsOptionWord(words_[i]))
            out.push_back(words_[i]);
    return out;
}

std::string TArgs::Positional(std::size_t i, const std::string& what) const
{
    auto p = Positionals();
    if (i >= p.size())
        throw EUsage("missing " + what);
    return p[i];
}

std::string LanguageCodeOption(TArgs& args)
{
    const std::string code = args.Option("--language").value_or("en");
    if (code != "de" && code != "en" && code != "fr")
        throw EUsage("--language must be de, en or fr, not \"" + code + "\"");
    SelectTextLanguage(code);
    return code;
}

void TArgs::CheckAllUsed(std::size_t maxPositionals) const
{
    for (std::size_t i = 0; i < words_.size(); ++i)
        if (!used_[i] && IsOptionWord(words_[i]))
            throw EUsage("unknown option " + words_[i]);
    if (Positionals().size() > maxPositionals)
        throw EUsage("too many arguments");
}

} // namespace vro::cli

namespace {
void PrintHelp(std::ostream& out)
{
    out << "usage: vro VERB [ARGS...]\n\n";
    auto verbs = vro::cli::Verbs();
    std::sort(verbs.begin(), verbs.end(), [](auto& a, auto& b) { return a.name < b.name; });
    for (const auto& v : verbs)
        out << "  vro " << v.usage << "\n      " << v.summary << "\n";
}
} // namespace

int main(int argc, char** argv)
{
    // Numbers and dates in the user's regional forms; the texts keep --language.
    vro::SetDvxFormatSettings(vro::FormatSettingsFromLocale(vro::CLibraryLocaleFacts()));
    std::vector<std::string> words(argv + 1, argv + argc);
    if (words.empty() || words[0] == "--help" || words[0] == "-h" || words[0] == "help") {
        PrintHelp(words.empty() ? std::cerr : std::cout);
        return words.empty() ? 2 : 0;
    }
    // The longest verb name that the words start with.
    const vro::cli::TVerb* best = nullptr;
    std::size_t bestWords = 0;
    for (const auto& v : vro::cli::Verbs()) {
        std::vector<std::string> parts;
        for (std::size_t s = 0, e; s <= v.name.size(); s = e + 1) {
            e = v.name.find(' ', s);
            if (e == std::string::npos)
                e = v.name.size();
            parts.push_back(v.name.substr(s, e - s));
        }
        if (parts.size() <= words.size() && parts.size() > bestWords &&
            std::equal(parts.begin(), parts.end(), words.begin())) {
            best = &v;
            bestWords = parts.size();
        }
    }
    if (!best) {
        std::cerr << "vro: unknown verb \"" << words[0] << "\"\n";
        PrintHelp(std::cerr);
        return 2;
    }
    vro::cli::TArgs args(std::vector<std::string>(words.begin() + static_cast<long>(bestWords), words.end()));
    if (args.Flag("--help")) {
        std::cout << "usage: vro " << best->usage << "\n" << best->summary << "\n";
        return 0;
    }
    try {
        return best->run(args);
    } catch (const vro::cli::EUsage& e) {
        std::cerr << "vro " << best->name << ": " << e.what() << "\nusage: vro " << best->usage << "\n";
        return 2;
    } catch (const std::exception& e) {
        // Ctrl-C cancels the exchange under way, which then fails: that is
        // the user's cancel, not a failure.
        if (vro::cli::TDeviceSession::Interrupted()) {
            std::cerr << "vro " << best->name << ": cancelled\n";
            return 130;
        }
        std::cerr << e.what() << "\n";
        return 1;
    }
}
