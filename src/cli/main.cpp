// vro: the command-line companion of the desktop program. Readable text by
// default, one JSON document with --json; errors go to standard error with
// the system's own message and a non-zero exit status.
#include "cli/verb.h"

#include "core/construct/construct.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <exception>
#include <iostream>

namespace vro::cli {

namespace {
std::vector<TVerb>& Registry()
{
    static std::vector<TVerb> verbs;
    return verbs;
}

bool IsOptionWord(const std::string& w) { return w.size() > 2 && w.compare(0, 2, "--") == 0; }
} // namespace

bool RegisterVerb(TVerb verb)
{
    Registry().push_back(std::move(verb));
    return true;
}

const std::vector<TVerb>& Verbs() { return Registry(); }

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
        std::cerr << e.what() << "\n";
        return 1;
    }
}
