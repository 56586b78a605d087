// TReferenzForm: the reference recording dialog. Shows the stored reference
// file, the eight choices of what a reference applies (a check list with two
// heading rows), the two automatic uses, and the links "make the current
// recording the reference", "apply to current", "apply to all". The logic and
// the enable rules are the core's TReferenzForm. Texts from base 633.
#pragma once

#include "core/manager/recordingmanager.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QListWidget;

namespace vro::app {

class TButtonLabel;

class TReferenzForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int kTextBase = 633;

    TReferenzForm(vro::TRecordingManager& manager, vro::TIniList& config, QWidget* parent = nullptr);

    QListWidget* OptionList() const { return options_; }
    QCheckBox* ReceiveCheckBox() const { return receive_; }
    QCheckBox* OpeningCheckBox() const { return opening_; }
    TButtonLabel* MakeReferenceLabel() const { return makeLabel_; }
    TButtonLabel* ApplyCurrentLabel() const { return applyCurrentLabel_; }
    TButtonLabel* ApplyAllLabel() const { return applyAllLabel_; }
    QLabel* FileNameLabel() const { return fileLabel_; }

    // OK: stores every choice and the file name, then closes.
    void Ok();

    static void Run(vro::TRecordingManager& manager, vro::TIniList& config);

private:
    void ToLogic();
    void FromLogic();

    vro::TReferenzForm logic_;
    QListWidget* options_ = nullptr;
    QCheckBox* receive_ = nullptr;
    QCheckBox* opening_ = nullptr;
    QLabel* fileLabel_ = nullptr;
    TButtonLabel* makeLabel_ = nullptr;
    TButtonLabel* applyCurrentLabel_ = nullptr;
    TButtonLabel* applyAllLabel_ = nullptr;
};

} // namespace vro::app
