// The questions of the setup and file pages (IVroFilesUi) answered with the
// program's prompt and message dialogs.
#pragma once

#include "device/files/vrofilesui.h"

namespace vro::app {

class TQtFilesUi : public vro::IVroFilesUi {
public:
    std::optional<std::string> AskText(const std::string& prompt, const std::string& initial) override;
    bool AskYesNo(const std::string& question) override;
    void ShowError(const std::string& text) override;
    void ShowInformation(const std::string& text) override;
    int AskTemplate(std::string& pattern) override;
};

} // namespace vro::app
