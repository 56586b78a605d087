// The verbs of the vro command. Each verb lives in its own verb_*.cpp and
// registers itself with VRO_VERB; main() picks the longest registered name
// that the command line starts with ("device identify" before "device").
#pragma once

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace vro::cli {

// A usage fault: printed with the verb's usage line, exit status 2.
class EUsage : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The words after the verb name. Options are "--name value" or "--name=value";
// flags are "--name". Everything else is positional, in order.
class TArgs {
public:
    explicit TArgs(std::vector<std::string> words) : words_(std::move(words)) {}

    // True (and consumed) when the flag is present.
    bool Flag(const std::string& name);
    // The option's value (consumed), or empty when absent.
    std::optional<std::string> Option(const std::string& name);
    // Every value of an option that may repeat (--set K=V --set K2=V2).
    std::vector<std::string> Options(const std::string& name);
    long long IntOption(const std::string& name, long long def, long long lo, long long hi);
    // Positional words left after all options were taken.
    std::vector<std::string> Positionals() const;
    // The one positional at index i, or a usage fault naming `what`.
    std::string Positional(std::size_t i, const std::string& what) const;
    // Raises a usage fault when an option or flag was not consumed.
    void CheckAllUsed(std::size_t maxPositionals) const;

private:
    std::vector<std::string> words_;
    std::vector<bool> used_ = std::vector<bool>(words_.size(), false);
};

struct TVerb {
    std::string name;    // "info", "device identify"
    std::string usage;   // "info FILE [--json] [--values]"
    std::string summary; // one line for the help text
    std::function<int(TArgs&)> run;
};

bool RegisterVerb(TVerb verb);
const std::vector<TVerb>& Verbs();

} // namespace vro::cli

#define VRO_CONCAT_(a, b) a##b
#define VRO_CONCAT(a, b) VRO_CONCAT_(a, b)
// VRO_VERB({"name", "usage", "summary", [](vro::cli::TArgs& a) { ... return 0; }});
#define VRO_VERB(...)                                                                                                  \
    static const bool VRO_CONCAT(vroVerbRegistered_, __LINE__) = ::vro::cli::RegisterVerb(::vro::cli::TVerb __VA_ARGS__)
