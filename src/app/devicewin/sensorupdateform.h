// TDvxSensorUpdateForm: the firmware update wizard's window. Everything it
// shows comes from a TVroUpdateWizard (device/firmware/vroupdatewizard.h),
// created with the window for this one opening; the form only copies that
// state to its labels, markers and bar and passes the clicks on.
//
// Layout (standard dialog frame): TopLabel in the top panel; the four steps
// with their rounded markers Shape1..Shape4 and PathLabel in the left panel;
// InfoLabel (word-wrapped), TitleProgressLabel, ProgressBar (0..1000) and
// ProgressLabel in the main panel; BackLabel, NextLabel and CancelLabel in
// the bottom panel. Captions use text base 559.
//
// A running transfer or check runs on a worker thread while this window
// keeps a local event loop going: the window repaints and the bar moves, only
// Cancel (and Escape, and closing the window, which act like it) stays
// usable, and the window cannot close until the step has ended. The device
// window that opens it holds its ping off meanwhile.
#pragma once

#include "device/firmware/vroupdatewizard.h"

#include <QDialog>

#include <array>
#include <functional>
#include <memory>

class QFrame;
class QLabel;
class QProgressBar;

namespace vro {
class TVro8Manager;
}

namespace vro::app {

class TButtonLabel;

class TDvxSensorUpdateForm : public QDialog, private vro::IVroUpdateWizardUi {
    Q_OBJECT
public:
    static constexpr int kTextBase = 559;

    // `loadWaitMs`: the pause after each area's HEX text is loaded.
    explicit TDvxSensorUpdateForm(vro::TVro8Manager& manager, QWidget* parent = nullptr,
                                  std::uint32_t loadWaitMs = 2000);
    ~TDvxSensorUpdateForm() override;

    vro::TVroUpdateWizard& Wizard() { return *wizard_; }
    // Stands in for the open-file dialog: the next file step takes this file.
    void SetChosenFile(const QString& file) { chosenFile_ = file; }
    // Replaces the message box (for screenshots and tests).
    std::function<void(const QString&)> OnMessage;

    // The colour of a marker as shown.
    QColor MarkerColor(int index) const;

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool ChooseFile(std::string& fileName) override;
    void ShowError(const std::string& text) override;
    void Changed() override;
    void Progress(int perMille) override;
    void SetBusy(bool busy) override;
    void RunBlocking(const std::function<void()>& work) override;

    void BuildLayout(const QString& description);
    void CancelClicked();

    vro::TVro8Manager& manager_;
    std::unique_ptr<vro::TVroUpdateWizard> wizard_;
    QString chosenFile_;
    QFrame* topPanel_ = nullptr;
    QFrame* leftPanel_ = nullptr;
    QFrame* mainPanel_ = nullptr;
    QFrame* bottomPanel_ = nullptr;
    std::array<QFrame*, 4> shapes_{};
    std::array<TButtonLabel*, 4> stepLabels_{};
    QLabel* pathLabel_ = nullptr;
    QLabel* infoLabel_ = nullptr;
    QLabel* titleProgressLabel_ = nullptr;
    QProgressBar* progressBar_ = nullptr;
    QLabel* progressLabel_ = nullptr;
    TButtonLabel* backLabel_ = nullptr;
    TButtonLabel* nextLabel_ = nullptr;
    TButtonLabel* cancelLabel_ = nullptr;
    int busy_ = 0;
};

} // namespace vro::app
