// vro texts: prints the main text table of a language, or the texts of the
// numbers given, for translators and tests. Plain output is one
// "N<TAB>text" line per number with line feeds written as \n; --json prints
// one object from number to text.
#include "cli/verb.h"

#include "core/text/texts.h"

#include <nlohmann/json.hpp>

#include <charconv>
#include <iostream>

namespace vro::cli {

namespace {

std::string EscapeLineFeeds(const std::string& s)
{
    std::string out;
    out.reserve(s.size());
    for (char c : s) {
        if (c == '\n')
            out += "\\n";
        else
            out.push_back(c);
    }
    return out;
}

int RunTexts(TArgs& args)
{
    const bool json = args.Flag("--json");
    const std::string code = args.Option("--language").value_or("en");
    if (code != "de" && code != "en" && code != "fr")
        throw EUsage("--language must be de, en or fr, not \"" + code + "\"");
    args.CheckAllUsed(static_cast<std::size_t>(-1));

    std::vector<int> numbers;
    for (const std::string& word : args.Positionals()) {
        int n = 0;
        auto [p, ec] = std::from_chars(word.data(), word.data() + word.size(), n);
        if (ec != std::errc() || p != word.data() + word.size())
            throw EUsage("\"" + word + "\" is not a text number");
        numbers.push_back(n);
    }
    if (numbers.empty())
        for (int n = 0; n < kTextCount; ++n)
            numbers.push_back(n);

    SelectTextLanguage(code);
    if (json) {
        nlohmann::ordered_json j = nlohmann::ordered_json::object();
        for (int n : numbers)
            j[std::to_string(n)] = text(n);
        std::cout << j.dump(2) << "\n";
    } else {
        for (int n : numbers)
            std::cout << n << '\t' << EscapeLineFeeds(text(n)) << '\n';
    }
    return 0;
}

} // namespace

int VerbTexts(TArgs& args) { return RunTexts(args); }

} // namespace vro::cli
