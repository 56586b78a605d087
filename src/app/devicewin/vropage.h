// The pages of the device window and the one point where they register.
//
// A page is a TVroPageFrame that fills the window's main panel; the window
// shows one page at a time and frees the previous one before it creates the
// next. Each page, the End measurement command, the firmware update command
// and each block editor of the setup editor page registers a factory here
// from RegisterDevicePages() (vropages.cpp), once per program run, before
// the first device window opens. An action whose factory is not registered
// keeps its visibility rules but stays disabled; an unregistered block title
// of the setup page is not clickable.
//
// A page that talks to the recorder over several exchanges holds the
// window's keep-alive ping off for the whole operation
// (`auto hold = Form().HoldPing();`), reports a communication error with
// Form().ReportDeviceError() (text 684, heading 696, error icon, latch set)
// and, for a long operation, marks the window busy with Form().SetBusy().
#pragma once

#include "device/window/vrowindowstate.h"

#include <QFrame>
#include <QString>

#include <functional>

namespace vro::app {

class TVroForm;
class TVro8SetupFrame;

class TVroPageFrame : public QFrame {
    Q_OBJECT
public:
    TVroPageFrame(TVroForm& form, QWidget* parent);

    TVroForm& Form() const { return form_; }

    // Step 6 of the window's periodic update: the page's own periodic work.
    virtual void PeriodicUpdate() {}
    // True while the page's transfer progress window is shown; the window's
    // periodic update then does nothing else.
    virtual bool IsTransferShown() const { return false; }
    // The window or the program closes: a measurement the page runs on the
    // PC ends as its End does, the worker is waited for and the data becomes
    // a document.
    virtual void EndRun() {}

private:
    TVroForm& form_;
};

// The blocks of the setup editor page whose titles open a detail editor.
enum class TVroSetupBlock { Sensors, Triggers, Recording, Base, Display, Can };
inline constexpr int kVroSetupBlockCount = 6;

using TVroPageFactory = std::function<TVroPageFrame*(TVroForm& form, QWidget* parent)>;
using TVroCommand = std::function<void(TVroForm& form)>;
// A detail editor shown over the setup editor page (parent); the page frees
// it when another opens or the page goes. The editor works on page.Setup().
using TVroSetupEditorFactory = std::function<QWidget*(TVro8SetupFrame& page, QWidget* parent)>;

// A page behind one of the five page actions. `formName` is the page's
// class name, which `vrowin --show` also accepts (the device window on that
// page).
void RegisterVroPage(TVroAction action, const QString& formName, TVroPageFactory factory);
// The End measurement action (TVroAction::CancelRemoteRecording).
void RegisterVroCancelRemoteRecording(TVroCommand command);
// The Extras menu's firmware update; the window frees its page before.
void RegisterVroFirmwareUpdate(TVroCommand command);
void RegisterVroSetupEditor(TVroSetupBlock block, TVroSetupEditorFactory factory);

// What is registered (empty functions when nothing is).
TVroPageFactory VroPageFactory(TVroAction action);
QString VroPageFormName(TVroAction action);
TVroCommand VroCancelRemoteRecording();
TVroCommand VroFirmwareUpdate();
TVroSetupEditorFactory VroSetupEditor(TVroSetupBlock block);

// Registers every page of this build; safe to call more than once.
void RegisterDevicePages();

} // namespace vro::app
