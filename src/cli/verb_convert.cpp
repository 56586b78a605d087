// vro convert: loads a recording and saves it again as a recording file.
// A recording file loaded and saved without changes comes out byte for byte
// as it went in.
#include "cli/verb.h"
#include "core/construct/loadrecordingfile.h"

#include "core/recording/recording.h"

#include <filesystem>
#include <iostream>

namespace vro::cli {

namespace {

bool HasExtension(const std::string& name, const std::string& ext)
{
    std::string e = std::filesystem::path(name).extension().string();
    for (auto& ch : e)
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    return e == ext;
}

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
