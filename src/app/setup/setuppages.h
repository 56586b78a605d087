// The start-recording page of the device window and the registration of the
// setup detail editors and the start page: with the device window (pages,
// End measurement, the setup page's block titles) and with `vrowin --show`.
#pragma once

#include "app/devicewin/vropage.h"

#include <QPointer>

#include <functional>
#include <memory>

class QStackedLayout;

namespace vro {
class TVro8Setup;
}

namespace vro::app {

class TVroEditorFrame;
class TVro8OnlineRecordingFrame;
class TVro8StartRecordingFrame;
class TMainForm;

// The page behind "Start recording": the start frame, with the sensor and
// trigger editors stacked over it while they are open.
class TVroStartRecordingPage : public TVroPageFrame {
    Q_OBJECT
public:
    TVroStartRecordingPage(TVroForm& form, QWidget* parent);
    ~TVroStartRecordingPage() override;

    void PeriodicUpdate() override;
    bool IsTransferShown() const override;
    void EndRun() override;
    TVro8StartRecordingFrame& Frame() const { return *frame_; }
    // "End measurement" while this page is shown.
    void Stop();
    // The page shown now, or null.
    static TVroStartRecordingPage* Current();

private:
    TVroEditorFrame* OpenEditor(int which);

    std::unique_ptr<vro::TVro8Setup> setup_;
    QStackedLayout* stack_;
    TVro8StartRecordingFrame* frame_;
    TVro8OnlineRecordingFrame* online_;
    bool readingOut_ = false;
};

// A detail editor on its own (no setup page): `block` 0..5 as TVroSetupBlock.
// The editor reads what it shows from the recorder.
TVroEditorFrame* CreateSetupEditor(TVroSetupBlock block, vro::TVro8Setup& setup, QWidget* parent);

// The page, End measurement and the block editors in the device window's registry.
void RegisterSetupPages();
// The editors and the start page for `vrowin --show` (FORMNAME:ITEM opens a
// view: TVro8SensorSetupFrame:B, TVro8TriggerSetupFrame:2, TVro8CanSetupFrame:5,
// TVro8StartRecordingFrame:VRO:3 for "Save to VRO" with type 3).
void RegisterSetupShowForms();

} // namespace vro::app
