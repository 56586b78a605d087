// The editors of the sensor, trigger and CAN blocks, each with a list (or
// main) view and a settings (or event) view for one item.
#pragma once

#include "app/setup/editorframe.h"
#include "device/setupedit/vro8caneditor.h"
#include "device/setupedit/vro8sensoreditor.h"
#include "device/setupedit/vro8triggereditor.h"

#include <QTimer>

#include <vector>

class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QLineEdit;

namespace vro::app {

class TButtonLabel;

class TVro8SensorSetupFrame : public TVroEditorFrame {
    Q_OBJECT
public:
    // readBlock: an editor opened on its own reads the sensor block first.
    TVro8SensorSetupFrame(vro::TVro8Setup& setup, bool readBlock, QWidget* parent = nullptr);
    bool Open() override;
    vro::TVro8SensorEditor& Editor() { return editor_; }
    // The settings view of a record (a summary click); false for "CAN-Bus".
    bool OpenSettings(int record);
    QTimer& RefreshTimer() { return timer_; }
    QWidget* ListPanel() const { return list_; }
    // The list view's boxes and summaries from the editor's rows.
    void ShowList();
    // A timer tick: Refresh with the timer stopped, restarted unless it failed.
    void RefreshTick();

protected:
    void OnOk() override;
    void OnCancel() override;

private:
    void BuildList();
    void ShowSettings();
    void TakeSettings();
    vro::TVro8SensorEditor editor_;
    bool readBlock_;
    QWidget* list_;
    QGridLayout* listGrid_;
    QLabel* heading_;
    QLineEdit* name_;
    QComboBox* signal_;
    QComboBox* mode_;
    QLineEdit* lo_;
    QLineEdit* hi_;
    QComboBox* unit_;
    QComboBox* decimals_;
    QLineEdit* volume_;
    QLineEdit* pressure_;
    QLineEdit* factor_;
    QTimer timer_;
    bool building_ = false;
    std::vector<std::size_t> builtSubs_;
};

class TVro8TriggerSetupFrame : public TVroEditorFrame {
    Q_OBJECT
public:
    TVro8TriggerSetupFrame(vro::TVro8Setup& setup, bool readChannels, QWidget* parent = nullptr);
    bool Open() override;
    vro::TVro8TriggerEditor& Editor() { return editor_; }
    void OpenEvent(int event);
    // The start-recording page's start (0) or stop (1) trigger.
    void OpenForStart(int event);
    QWidget* Drawing() const { return drawing_; }

protected:
    void OnOk() override;
    void OnCancel() override;

private:
    void ShowMain();
    void ShowEvent();
    void TakeEvent();
    vro::TVro8TriggerEditor editor_;
    bool readChannels_;
    QWidget* main_;
    QCheckBox* boxes_[4];
    TButtonLabel* summaries_[4];
    QComboBox* combination_;
    QWidget* drawing_;
    QLabel* heading_;
    QComboBox* source_;
    QComboBox* input_;
    QComboBox* edge_;
    QComboBox* valueSensor_;
    QComboBox* valueSub_;
    QLineEdit* value_;
    QComboBox* direction_;
    QComboBox* windowSensor_;
    QComboBox* windowSub_;
    QLineEdit* lo_;
    QLineEdit* hi_;
    QLineEdit* count_;
    QComboBox* distance_;
    QComboBox* startMode_;
    QLineEdit* startDate_;
    QLineEdit* startTime_;
    bool filling_ = false;
};

class TVro8CanSetupFrame : public TVroEditorFrame {
    Q_OBJECT
public:
    TVro8CanSetupFrame(vro::TVro8Setup& setup, bool readBlock, QWidget* parent = nullptr);
    bool Open() override;
    vro::TVro8CanEditor& Editor() { return editor_; }
    void OpenSettings(int message);
    QTimer& RefreshTimer() { return timer_; }

protected:
    void OnOk() override;
    void OnCancel() override;

private:
    void ShowList();
    void ShowSettings();
    vro::TVro8CanEditor editor_;
    bool readBlock_;
    QWidget* list_;
    std::vector<QCheckBox*> boxes_;
    std::vector<TButtonLabel*> summaries_;
    QLabel* heading_;
    QLineEdit* name_;
    QLineEdit* lo_;
    QLineEdit* hi_;
    QLineEdit* unit_;
    QComboBox* decimals_;
    QComboBox* frame_;
    QLineEdit* id_;
    QLineEdit* offset_;
    QComboBox* format_;
    QComboBox* order_;
    QLineEdit* low_;
    QLineEdit* high_;
    QTimer timer_;
    bool box_filling_ = false;
};

} // namespace vro::app
