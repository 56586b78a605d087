// vro convert: loads a recording and saves it again as a recording file.
// A recording file loaded and saved without changes comes out byte for byte
// as it went in.
#include "cli/verb.h"
#include "core/util/text.h"
#include "core/construct/loadrecordingfile.h"

#include "core/recording/recording.h"

#include <filesystem>
#include <iostream>

namespace vro::cli {

namespace {

int Run(TArgs& args)
{
    args.CheckAllUsed(2);
    const std::string in = args.Positional(0, "IN");
    const std::string out = args.Positional(1, "OUT.vxrf");
    if (!HasExtension(out, ".vxrf"))
        throw EUsage("unsupported output format \"" + out + "\" (only .vxrf)");
    TRecording r;
    LoadRecordingFile(in, r);
    for (const auto& w : r.LoadWarnings)
        std::cerr << w << "\n";
    r.FileName = out;
    r.NameConfirmed = true;
    r.SaveToFile();
    return 0;
}

} // namespace

int VerbConvert(TArgs& args) { return Run(args); }

} // namespace vro::cli
