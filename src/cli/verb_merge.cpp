// vro merge: joins recording files into one recording ordered by time, as the
// merge dialog does, and writes it when the merge succeeded (or, with
// --partial, what was merged before a refused file, as answering Yes does).
#include "cli/verb.h"

#include "core/construct/mergerecordings.h"
#include "core/recording/recording.h"

#include <atomic>
#include <csignal>
#include <iostream>
#include <nlohmann/json.hpp>

namespace vro::cli {

namespace {

std::atomic<TMergeRecordings*> gMerge{nullptr};

extern "C" void OnMergeInterrupt(int)
{
    if (TMergeRecordings* m = gMerge.load())
        m->Cancel();
}

int Run(TArgs& args)
{
    const bool json = args.Flag("--json");
    const bool partial = args.Flag("--partial");
    const auto folder = args.Option("--folder");
    const std::string code = LanguageCodeOption(args);
    args.CheckAllUsed(folder ? 1 : 1000);
    auto words = args.Positionals();
    if (words.empty())
        throw EUsage("missing OUT.vxrf");
    const std::string out = words.back();
    words.pop_back();
    if (folder && !words.empty())
        throw EUsage("--folder takes no input files");
    if (!folder && words.empty())
        throw EUsage("missing input files");

    TMergeRecordings merge;
    gMerge.store(&merge);
    std::signal(SIGINT, OnMergeInterrupt);
    const int result = folder ? merge.MergeFromFolder(*folder) : merge.MergeFromList({words.begin(), words.end()});
    std::signal(SIGINT, SIG_DFL);
    gMerge.store(nullptr);
    if (result == kMergeCancelled)
        return 130;

    const TTextLanguage language = code == "de"   ? TTextLanguage::German
                                   : code == "fr" ? TTextLanguage::French
                                                  : TTextLanguage::English;
    const std::string message =
        MergeMessage(result, merge.FailedFileName(), folder.value_or(""), language, merge.ErrorReason());
    TRecording& r = merge.Result();
    const bool save = result == 0 || (partial && result >= 1 && result <= 5);
    if (save) {
        r.FileName = out;
        r.NameConfirmed = true;
        r.SaveToFile();
    }
    std::cerr << message << "\n";
    if (json) {
        nlohmann::ordered_json j;
        j["Code"] = result;
        j["FailedFileName"] = merge.FailedFileName();
        j["MergedNames"] = merge.MergedNames();
        j["Message"] = message;
        j["RecordCount"] = r.RecordCount;
        j["Saved"] = save;
        std::cout << j.dump(2) << "\n";
    } else {
        for (const auto& name : merge.MergedNames())
            std::cout << name << "\n";
        if (save)
            std::cout << out << ": " << r.RecordCount << " samples\n";
    }
    return result == 0 ? 0 : 1;
}

} // namespace

int VerbMerge(TArgs& args) { return Run(args); }

} // namespace vro::cli
