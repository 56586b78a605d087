// vro import: a legacy recording file or a delimited / column-aligned text
// file becomes a recording file. Without options the analysis of the text
// import decides delimiter, header line and time column (what the import
// dialog of the desktop program would start with); the options take the
// dialog's place. --show-guess prints what the analysis found.
#include "cli/verb.h"

#include "core/util/text.h"

#include <cstdio>
#include <filesystem>
#include <iostream>
#include <nlohmann/json.hpp>

#include "core/construct/construct.h"
#include "core/construct/loadrecordingfile.h"
#include "core/recording/recording.h"
#include "core/text/texts.h"
#include "core/textimport/textfilehandler.h"
#include "core/util/atomicfile.h"

namespace vro::cli {

namespace {

using TJson = nlohmann::ordered_json;
using namespace vro::textimport;

std::string DelimiterName(char c)
{
    switch (c) {
    case 0: return "none";
    case '\t': return "tab";
    default: return std::string(1, c);
    }
}

// "--delimiter tab|comma|semicolon|fixed|C".
void ApplyDelimiter(const std::string& d, TTextFileSettings& s)
{
    if (d == "tab" || d == "\\t" || d == "\t") {
        s.Separation = TColumnSeparation::Tab;
    } else if (d == "," || d == "comma") {
        s.Separation = TColumnSeparation::Comma;
    } else if (d == ";" || d == "semicolon") {
        s.Separation = TColumnSeparation::Semicolon;
    } else if (d == "fixed") {
        s.Separation = TColumnSeparation::FixedWidth;
    } else if (d.size() == 1) {
        s.Separation = TColumnSeparation::Other;
        s.OtherDelimiter = d;
    } else {
        throw EUsage("--delimiter: \"" + d + "\" is neither one character nor tab, comma, semicolon or fixed");
    }
}

// What the analysis found and what the import made of it.
void ShowGuess(const TTextFileHandler& h, const TTextFileSettings& choice, bool json)
{
    const auto& g = h.Settings();
    const bool fixed = choice.Separation == TColumnSeparation::FixedWidth;
    const std::string time = h.TimeColumn() < 0  ? "none"
                             : h.HasTimeStamps() ? (h.TimeIsDateTime() ? "date-time stamps" : "integer second stamps")
                                                 : "sample interval";
    if (json) {
        TJson j;
        j["Delimiter"] = DelimiterName(g.Delimiter);
        j["FixedWidth"] = fixed;
        j["HeaderLine"] = h.FirstDataLine() == 1;
        j["TimeColumn"] = h.TimeColumn() < 0 ? 0 : h.TimeColumn() + 1;
        j["HasTimeStamps"] = h.HasTimeStamps();
        j["SampleRate"] = h.SampleRate();
        j["ChannelCount"] = h.ChannelCount();
        j["RecordCount"] = h.RecordCount();
        TJson names = TJson::array();
        for (const auto& c : h.Sensors())
            names.push_back({{"Name", c.Name}, {"Decimals", c.Decimals}});
        j["Channels"] = names;
        std::cout << j.dump(2) << "\n";
        return;
    }
    std::cout << "delimiter: " << DelimiterName(g.Delimiter) << (fixed ? " (columns cut by position)" : "") << "\n"
              << "header line: " << (h.FirstDataLine() == 1 ? "yes" : "no") << "\n"
              << "time column: " << (h.TimeColumn() < 0 ? std::string("none") : std::to_string(h.TimeColumn() + 1))
              << (h.TimeColumn() < 0 ? "" : " (" + time + ")") << "\n";
    if (h.SampleRate() > 0)
        std::cout << "sample interval: " << h.SampleRate() / 10000.0 << " s\n";
    std::cout << "channels: " << h.ChannelCount() << "\n";
    for (const auto& c : h.Sensors())
        std::cout << "  " << c.Name << " (" << c.Decimals << " decimals)\n";
    std::cout << "samples: " << h.RecordCount() << "\n";
}

void RepairIfNeeded(TRecording& r)
{
    const int fault = CheckTimeStamps(r);
    if (fault == 0)
        return;
    std::cerr << "time stamps: " << (fault == 1 ? "faulty data" : "faulty time stamps") << " from sample "
              << r.TimeStampFaultIndex << (fault == 1 ? ", recording cut there" : ", stamps renumbered") << "\n";
    RepairTimeStamps(r);
}

int Run(TArgs& args)
{
    const auto delimiter = args.Option("--delimiter");
    TTextImportOverrides overrides;
    overrides.HeaderLine = static_cast<int>(args.IntOption("--header-line", -1, 0, 1000000));
    overrides.TimeColumn = static_cast<int>(args.IntOption("--time-column", -1, 0, 1000));
    const auto interval = args.Option("--interval");
    const bool showGuess = args.Flag("--show-guess");
    const bool json = args.Flag("--json");
    args.CheckAllUsed(2);
    const std::string in = args.Positional(0, "IN");
    const auto positionals = args.Positionals();
    if (positionals.size() < 2 && !showGuess)
        throw EUsage("missing OUT.vxrf");
    const std::string out = positionals.size() >= 2 ? positionals[1] : "";
    if (!out.empty() && !HasExtension(out, ".vxrf"))
        throw EUsage("unsupported output format \"" + out + "\" (only .vxrf)");

    std::string content;
    try {
        content = ReadWholeFile(in);
    } catch (const std::exception& e) {
        throw std::runtime_error(e.what());
    }
    const auto cannotOpen = [&](const std::string& why) {
        std::string t = text(7);
        if (auto p = t.find("%s"); p != std::string::npos)
            t.replace(p, 2, in);
        return std::runtime_error(t + "\n" + why);
    };

    TRecording r;
    const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(content.data()), content.size());
    const auto kind = DetectRecordingFileKind(bytes);
    if (kind != TRecordingFileKind::Unknown) {
        try {
            LoadRecordingBytes(bytes, in, r);
        } catch (const std::exception& e) {
            throw cannotOpen(e.what());
        }
        if (showGuess) {
            if (kind == TRecordingFileKind::Recording)
                std::cout << "recording file\n";
            else
                std::cout << "legacy recording file, variant "
                          << (kind == TRecordingFileKind::Legacy1   ? 1
                              : kind == TRecordingFileKind::Legacy2 ? 2
                                                                    : 3)
                          << "\n";
        }
        if (out.empty())
            return 0;
        for (const auto& w : r.LoadWarnings)
            std::cerr << w << "\n";
    } else {
        TTextFileHandler h;
        TTextFileSettings choice;
        try {
            h.Load(in, std::move(content), overrides);
            choice = TTextFileSettings::FromAnalysis(h.Settings());
            if (delimiter)
                ApplyDelimiter(*delimiter, choice);
            else if (h.Settings().Delimiter == 0)
                choice.Separation = TColumnSeparation::FixedWidth; // no delimiter: columns by position
            if (interval) {
                choice.Time = TTimeInterpretation::AddTime;
                choice.IntervalText = *interval;
                if (choice.Validate() != 0)
                    throw EUsage(text(choice.Validate()));
            }
            h.Import(choice);
            if (showGuess)
                ShowGuess(h, choice, json);
            if (out.empty())
                return 0;
        } catch (const ETextImport& e) {
            throw cannotOpen(e.what());
        }
        FillFromTextFile(r, h);
    }
    RepairIfNeeded(r);
    r.FileName = out;
    r.NameConfirmed = true;
    r.SaveToFile();
    if (!showGuess || !json)
        std::cerr << out << ": " << r.ChannelCount << " channels, " << r.RecordCount << " samples\n";
    return 0;
}

} // namespace

int VerbImport(TArgs& args) { return Run(args); }

} // namespace vro::cli
