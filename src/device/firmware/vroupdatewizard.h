// TVroUpdateWizard: the firmware update wizard without its window. It holds
// everything the window shows (step, markers, label states, texts, progress)
// and runs the four steps: introduction, loading an update file, the
// transfer to the recorder and the check of the transferred data. The
// window (TDvxSensorUpdateForm) and `vro device firmware update` drive the
// same object through its handlers, named after the window's components.
//
// One object belongs to one opening of the window: its TVroFlashApplication
// holds the images of this update only. The transfer and the check do
// nothing unless a file has loaded completely in this opening, and a failed
// load discards both images.
//
// The user interface is injected (IVroUpdateWizardUi): the file choice, the
// message box, repaints, the hourglass cursor and the way a long step runs.
// RunBlocking runs the recorder traffic of the transfer and the check; the
// window runs it on a worker thread and keeps its own event loop going, so
// the window repaints, the bar moves and Cancel can be pressed, while the
// command line runs it in place. During that work nothing else may use the
// recorder: the device window holds its ping off while the wizard is open.
//
// Cancel: while a step runs, CancelLabelClick (and RequestCancel, which is
// safe from a signal handler) stops the connector at the next packet; the
// step ends as failed with text 558 before its failure text.
//
// The hidden service unlock: a click on the top panel, then on the left
// panel, then on the bottom panel sets UnlockState 1, 2, 3; any other panel
// click sets it to 0. With UnlockState 3 the first three step labels run
// their steps at once.
#pragma once

#include "device/firmware/vroflashapplication.h"

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace vro {

class TVro8Device;

enum class EVroMarker : std::uint8_t { Silver, Yellow, Lime, Red };
// "silver", "yellow", "lime", "red".
std::string_view MarkerName(EVroMarker marker);
// The marker's colour as 0xRRGGBB.
std::uint32_t MarkerRgb(EVroMarker marker);

class IVroUpdateWizardUi {
public:
    virtual ~IVroUpdateWizardUi() = default;
    // The open-file dialog (title 572, the update-file filter), starting at
    // fileName; false when the user cancelled.
    virtual bool ChooseFile(std::string& fileName) = 0;
    // A message box with the error icon.
    virtual void ShowError(const std::string& text) = 0;
    // The state changed and should be shown now (also before a step runs).
    virtual void Changed() {}
    // The progress position (0..1000) moved.
    virtual void Progress(int /*perMille*/) {}
    virtual void SetBusy(bool /*busy*/) {}
    // Runs the recorder traffic of a step and returns when it has ended.
    virtual void RunBlocking(const std::function<void()>& work) { work(); }
};

class TVroUpdateWizard {
public:
    // `description` is the device manager's description of the recorder;
    // `connected` whether a recorder is connected and identified.
    // `loadWaitMs` is the pause after loading each area's HEX text.
    TVroUpdateWizard(TVro8Device& device, std::string description, bool connected, IVroUpdateWizardUi& ui,
                     std::uint32_t loadWaitMs = 2000);

    // Initialisation: Back hidden, Step 0, the introduction (text 564 and
    // Next hidden without a connected recorder).
    void Initialise();

    // The window's handlers. CancelLabelClick answers whether the window
    // closes now (false while a step runs: the step is cancelled instead).
    void NextLabelClick();
    void BackLabelClick();
    bool CancelLabelClick();
    void TopPanelClick();
    void BottomPanelClick();
    void LeftPanelClick();
    void x1xDataLabelClick();
    void x2xSendToDeviceLabelClick();
    void x3xCheckDataLabelClick();
    void x4xActivateUpdateLabelClick() {}
    // Cancels the running step; safe from another thread or a signal handler.
    void RequestCancel();

    // --- What the window shows ------------------------------------------
    int Step = 0;
    int UnlockState = 0;
    std::string FileName;
    std::array<EVroMarker, 4> Markers{EVroMarker::Silver, EVroMarker::Silver, EVroMarker::Silver, EVroMarker::Silver};
    bool BackVisible = false;
    bool NextVisible = true;
    bool NextEnabled = true;
    bool CancelEnabled = true;
    bool CancelIsClose = false;   // Cancel shows the library caption of CloseLabel
    bool ActivateVisible = false; // the fourth step and its marker stay hidden
    int InfoText = 579;           // InfoLabel's text number
    bool InfoCancelled = false;   // InfoLabel starts with text 558 and an empty line
    bool ProgressVisible = false; // ProgressBar, ProgressLabel, TitleProgressLabel
    int TitleProgressText = 0;    // 0: empty
    int ProgressPosition = 0;     // 0..1000
    std::string PathLabel;
    bool Running = false; // a step's recorder traffic is under way

    // --- What the command line reports ----------------------------------
    std::optional<int> Message;                   // text number of the last message box
    std::string MessageText;                      // and its text
    std::string Reason;                           // why the last load, transfer or check failed
    std::string HardwareCode;                     // of the file last loaded
    std::array<std::int64_t, 2> Written{};        // bytes acknowledged per area
    std::array<std::optional<bool>, 2> AreaEqual; // per area, when checked
    bool Cancelled = false;

    // InfoLabel's text in the active language.
    std::string InfoLabelText() const;
    int HardwareVariant() const;
    const TVroFlashApplication& Flash() const { return flash_; }
    bool FileLoaded() const { return fileLoaded_; }

private:
    void RunStep();
    void RunIntroduction();
    void RunFileStep();
    void RunTransferStep();
    void RunCheckStep();
    bool LoadFile(std::string& reason);
    void SetMarkers(EVroMarker a, EVroMarker b, EVroMarker c);
    // Runs work with the progress handler set; the handler is removed
    // before this returns.
    void RunWithProgress(const std::function<void()>& work);
    bool CancelWanted() const;

    TVro8Device& device_;
    std::string description_;
    bool connected_;
    IVroUpdateWizardUi& ui_;
    std::uint32_t loadWaitMs_;
    TVroFlashApplication flash_;
    bool fileLoaded_ = false;
    std::atomic<bool> cancel_{false};
};

} // namespace vro
