#include "app/devicewin/vropage.h"

#include <array>

namespace vro::app {

namespace {

struct TRegistry {
    std::array<TVroPageFactory, kVroActionCount> pages;
    std::array<QString, kVroActionCount> names;
    TVroCommand cancelRemote;
    TVroCommand firmware;
    std::array<TVroSetupEditorFactory, kVroSetupBlockCount> editors;
};

TRegistry& Registry()
{
    static TRegistry registry;
    return registry;
}

} // namespace

TVroPageFrame::TVroPageFrame(TVroForm& form, QWidget* parent) : QFrame(parent), form_(form) {}

void RegisterVroPage(TVroAction action, const QString& formName, TVroPageFactory factory)
{
    const auto i = static_cast<std::size_t>(action);
    Registry().pages[i] = std::move(factory);
    Registry().names[i] = formName;
}

void RegisterVroCancelRemoteRecording(TVroCommand command) { Registry().cancelRemote = std::move(command); }
void RegisterVroFirmwareUpdate(TVroCommand command) { Registry().firmware = std::move(command); }

void RegisterVroSetupEditor(TVroSetupBlock block, TVroSetupEditorFactory factory)
{
    Registry().editors[static_cast<std::size_t>(block)] = std::move(factory);
}

TVroPageFactory VroPageFactory(TVroAction action) { return Registry().pages[static_cast<std::size_t>(action)]; }
QString VroPageFormName(TVroAction action) { return Registry().names[static_cast<std::size_t>(action)]; }
TVroCommand VroCancelRemoteRecording() { return Registry().cancelRemote; }
TVroCommand VroFirmwareUpdate() { return Registry().firmware; }
TVroSetupEditorFactory VroSetupEditor(TVroSetupBlock block)
{
    return Registry().editors[static_cast<std::size_t>(block)];
}

} // namespace vro::app
