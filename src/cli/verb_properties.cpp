// vro properties: the properties sheet of a recording file as the properties
// pane paints it: a heading alone on its line, a row as label, tab, value;
// --json adds each entry's top y and the sheet's height.
#include "cli/verb.h"

#include "core/construct/loadrecordingfile.h"
#include "core/properties/propertysheet.h"
#include "core/recording/recording.h"

#include <iostream>
#include <nlohmann/json.hpp>

namespace vro::cli {

namespace {

int Run(TArgs& args)
{
    const bool json = args.Flag("--json");
    LanguageCodeOption(args);
    args.CheckAllUsed(1);
    const std::string file = args.Positional(0, "FILE");
    // The command's texts use the ISO forms whatever the user's locale.
    SetDvxFormatSettings(TDvxFormatSettings::Iso());
    TRecording r;
    LoadRecordingFile(file, r);
    const TPropertySheet sheet = BuildPropertySheet(r, TDvxFormatSettings::Iso());
    if (json) {
        nlohmann::ordered_json j;
        j["TopLabel"] = r.GetDisplayFileName();
        j["Sheet"] = nlohmann::ordered_json::array();
        for (const auto& e : sheet.Entries) {
            nlohmann::ordered_json item;
            if (e.Heading) {
                item["Heading"] = e.Label;
            } else {
                item["Label"] = e.Label;
                item["Value"] = e.Value;
            }
            item["Top"] = e.Top;
            j["Sheet"].push_back(item);
        }
        j["Height"] = sheet.Height;
        std::cout << j.dump(2) << "\n";
    } else {
        for (const auto& e : sheet.Entries)
            std::cout << (e.Heading ? e.Label : e.Label + "\t" + e.Value) << "\n";
    }
    for (const auto& w : r.LoadWarnings)
        std::cerr << w << "\n";
    return 0;
}

} // namespace

int VerbProperties(TArgs& args) { return Run(args); }

} // namespace vro::cli
