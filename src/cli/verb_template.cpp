// vro template: the file name a template gives for a name, a number and a
// date-time, as a transfer out of the recorder would name the file (without
// extension, made safe as a file name). Without values the dialog's sample
// values are used: "SomeName", 2 and the current date-time.
#include "cli/verb.h"

#include "core/template/filenameparser.h"
#include "core/template/safefilename.h"
#include "core/values/dvxdatetime.h"

#include <nlohmann/json.hpp>

#include <ctime>
#include <iostream>
#include <limits>

namespace vro::cli {

namespace {

double Now()
{
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return EncodeDvxDateTime({tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min,
                              tm.tm_sec > 59 ? 59 : tm.tm_sec, 0})
        .value_or(0.0);
}

int RunTemplate(TArgs& args)
{
    const bool json = args.Flag("--json");
    const std::string name = args.Option("--name").value_or("SomeName");
    const auto number = static_cast<std::int32_t>(args.IntOption(
        "--number", 2, std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()));
    const auto dateText = args.Option("--date");
    args.CheckAllUsed(1);
    const std::string templ = args.Positional(0, "TEMPLATE");

    double dateTime = Now();
    if (dateText) {
        const auto d = DvxTextToDateTime(*dateText, TDvxFormatSettings::Iso());
        if (!d || dateText->size() != 19 || (*dateText)[10] != 'T')
            throw EUsage("--date must be YYYY-MM-DDTHH:MM:SS, not \"" + *dateText + "\"");
        dateTime = *d;
    }

    TFilenameParser parser;
    parser.SetTemplate(templ);
    parser.SetName(name);
    parser.SetNumber(number);
    parser.SetDateTime(dateTime);
    const std::string fileName = SafeFileName(parser.Generate());

    if (json) {
        nlohmann::ordered_json j;
        j["Template"] = parser.GetTemplate();
        j["Pattern"] = parser.GetPattern();
        j["Name"] = name;
        j["Number"] = number;
        j["DateTime"] = dateTime;
        j["FileName"] = fileName;
        std::cout << j.dump(2) << "\n";
    } else {
        std::cout << fileName << "\n";
    }
    return 0;
}

} // namespace

int VerbTemplate(TArgs& args) { return RunTemplate(args); }

} // namespace vro::cli
