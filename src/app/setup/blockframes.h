// The editors of the base, display and recording blocks: each reads its
// block on opening, OK writes it and closes.
#pragma once

#include "app/setup/editorframe.h"
#include "device/setupedit/vro8blockeditors.h"

class QComboBox;
class QLineEdit;

namespace vro::app {

class TButtonLabel;

class TVro8BaseSetupFrame : public TVroEditorFrame {
    Q_OBJECT
public:
    TVro8BaseSetupFrame(vro::TVro8Setup& setup, QWidget* parent = nullptr);
    bool Open() override;
    vro::TVro8BaseEditor& Editor() { return editor_; }

protected:
    void OnOk() override;

private:
    void Show();
    vro::TVro8BaseEditor editor_;
    QComboBox* pressure_;
    QComboBox* temperature_;
    QComboBox* flow_;
    TButtonLabel* refresh_;
};

class TVro8DisplaySetupFrame : public TVroEditorFrame {
    Q_OBJECT
public:
    TVro8DisplaySetupFrame(vro::TVro8Setup& setup, QWidget* parent = nullptr);
    bool Open() override;
    vro::TVro8DisplayEditor& Editor() { return editor_; }

protected:
    void OnOk() override;

private:
    void Show();
    vro::TVro8DisplayEditor editor_;
    QComboBox* filter_;
    QComboBox* kind_;
    QComboBox* bar_;
    QComboBox* minMax_;
    TButtonLabel* refresh_;
};

class TVro8RecordingSetupFrame : public TVroEditorFrame {
    Q_OBJECT
public:
    TVro8RecordingSetupFrame(vro::TVro8Setup& setup, QWidget* parent = nullptr);
    bool Open() override;
    vro::TVro8RecordingEditor& Editor() { return editor_; }

protected:
    void OnOk() override;
    void OnCancel() override;

private:
    void Show();
    void TakeAll();
    vro::TVro8RecordingEditor editor_;
    QLineEdit* name_;
    QComboBox* type_;
    QComboBox* rate_;
    QComboBox* duration_;
    QComboBox* mode_;
    QComboBox* position_;
};

} // namespace vro::app
