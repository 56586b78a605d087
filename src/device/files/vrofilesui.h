// The questions the setup editor and the two file pages ask while they move
// setups and recordings between the recorder, its settings directory and a
// folder. The forms answer them with the program's dialogs, `vro` with its
// options, tests with scripted answers; the decisions stay below the user
// interface.
#pragma once

#include <optional>
#include <string>

namespace vro {

class IVroFilesUi {
public:
    virtual ~IVroFilesUi() = default;
    // A line of text (prompt dialog); nullopt when cancelled.
    virtual std::optional<std::string> AskText(const std::string& prompt, const std::string& initial) = 0;
    // Yes/No with the question icon; true for Yes.
    virtual bool AskYesNo(const std::string& question) = 0;
    virtual void ShowError(const std::string& text) = 0;
    virtual void ShowInformation(const std::string& text) = 0;
    // The file-name template dialog (sample "SomeName", number 2, now):
    // 0 with a pattern, 2 for an empty one, 1 when cancelled.
    virtual int AskTemplate(std::string& pattern)
    {
        pattern.clear();
        return 1;
    }
};

} // namespace vro
