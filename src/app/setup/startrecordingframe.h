// TVro8StartRecordingFrame: the start-recording page. It shows the choices
// of TVro8StartRecording, the controls of the chosen type and save option,
// and the sensor and trigger summaries, whose labels open the sensor and
// trigger editors over the page. Start runs the page's Start; while a remote
// recording runs the choices are hidden and the state line shows instead.
// The device window drives PeriodicUpdate; on its own (vrowin --show) the
// frame runs a timer of its own.
#pragma once

#include "app/setup/editorframe.h"
#include "device/setupedit/vro8startrecording.h"

#include <QPointer>
#include <QTimer>

#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;

namespace vro::app {

class TButtonLabel;

class TVro8StartRecordingFrame : public TVroEditorFrame {
    Q_OBJECT
public:
    TVro8StartRecordingFrame(vro::TVro8Setup& setup, vro::TVro8StartServices services, QWidget* parent = nullptr,
                             vro::TVro8StartChoices& choices = vro::TVro8StartChoices::Remembered());
    ~TVro8StartRecordingFrame() override;

    bool Open() override;
    void PeriodicUpdate() override;
    // "End measurement" of the device window.
    void Stop();
    // From the real-time frame.
    void OnlineRunEnded()
    {
        page_->OnlineRunEnded();
        ShowChoices();
    }
    void EndAutomatic() { page_->EndAutomatic(); }
    // Runs its own periodic update (a page shown outside the device window).
    void RunOwnTimer(int intervalMs);

    vro::TVro8StartRecording& Page() { return *page_; }
    QLabel* StateLine() const { return state_; }
    // Opens the sensor (which 0) or trigger editor (1; 2 and 3 for the start
    // and stop trigger) over the page; replaced by the device window.
    std::function<TVroEditorFrame*(int which)> OpenEditor;
    TVroEditorFrame* OpenedEditor() const { return editor_.data(); }

protected:
    void OnOk() override;

private:
    void ShowChoices();
    void ShowSummaries();
    void TakeChoices();
    void Notice(const std::optional<vro::TVro8StartRecording::TNotice>& n);
    void EditorClicked(int which);

    std::unique_ptr<vro::TVro8StartRecording> page_;
    QComboBox* type_;
    QComboBox* save_;
    TButtonLabel* sensors_;
    TButtonLabel* triggers_;
    TButtonLabel* startTrigger_;
    TButtonLabel* stopTrigger_;
    QComboBox* rate_;
    QComboBox* time_;
    QComboBox* option_;
    QComboBox* preTrigger_;
    QComboBox* automatic_;
    QLineEdit* name_;
    QPlainTextEdit* comment_;
    QLabel* state_;
    QPointer<TVroEditorFrame> editor_;
    QTimer timer_;
    bool filling_ = false;
};

} // namespace vro::app
