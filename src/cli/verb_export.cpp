// vro export: a recording file as a text file or as TDM files, with the
// settings of the export dialog given as --set KEY=VALUE in their stored
// form (character codes for QuotationMark and Delimiter).
#include "cli/verb.h"
#include "core/construct/loadrecordingfile.h"

#include "core/export/exportparameter.h"
#include "core/export/tdmexport.h"
#include "core/export/textexport.h"
#include "core/recording/recording.h"
#include "core/values/dvxdatetime.h"

#include <iostream>
#include <map>

namespace vro::cli {

namespace {

int Run(TArgs& args)
{
    const auto sets = args.Options("--set");
    const bool json = args.Flag("--json");
    args.CheckAllUsed(2);
    const std::string in = args.Positional(0, "IN.vxrf");
    const std::string out = args.Positional(1, "OUT");

    // Keys not given take the values a missing configuration key gives; the
    // keys a format presets that were not given come from the chosen
    // format's preset (the first format, tabs, when none is given), as in
    // the settings dialog.
    TExportParameter p = TExportParameter::MissingKeyDefaults();
    std::map<std::string, std::string> given;
    for (const auto& kv : sets) {
        const auto eq = kv.find('=');
        if (eq == std::string::npos || eq == 0)
            throw EUsage("--set needs KEY=VALUE, not \"" + kv + "\"");
        const std::string key = kv.substr(0, eq);
        if (!p.SetKey(key, kv.substr(eq + 1)))
            throw EUsage("unknown export setting or value: \"" + kv + "\"");
        given[key] = kv.substr(eq + 1);
    }
    p.ApplyFormatPresetExcept(given, DvxFormatSettings().ListSeparator);

    TRecording r;
    LoadRecordingFile(in, r);
    for (const auto& w : r.LoadWarnings)
        std::cerr << w << "\n";
    std::vector<std::string> written;
    if (p.FormatSelection == TExportParameter::efTdm) {
        TDiademFileExporter x(r);
        x.ExportTdm(out);
        written = {x.HeaderFileName().string(), x.DataFileName().string()};
    } else {
        WriteTextFile(r, p, out);
        written = {out};
    }
    if (json) {
        std::cout << "[";
        for (std::size_t i = 0; i < written.size(); ++i)
            std::cout << (i ? ", " : "") << '"' << written[i] << '"';
        std::cout << "]\n";
    } else {
        for (const auto& w : written)
            std::cout << w << "\n";
    }
    return 0;
}

} // namespace

int VerbExport(TArgs& args) { return Run(args); }

} // namespace vro::cli
