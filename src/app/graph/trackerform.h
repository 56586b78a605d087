// The tool windows of the tracker tools and of the keyboard navigator.
//
// TTrackerForm holds one or two sample indices (cursors) within the visible
// window, moved by typing, by the "<" and ">" labels (one step, then after a
// second 20 steps a second while held), by the arrow keys and by the step
// list; every change notifies the tool. TNavigatorForm turns arrow keys into
// pan steps (zoom steps with Shift) of a tenth.
#pragma once

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace vro::app {

class TTrackerForm : public QWidget {
    Q_OBJECT
public:
    explicit TTrackerForm(bool twoCursors, QWidget* parent = nullptr);

    std::int32_t MinIndex = 0, MaxIndex = 0;
    std::int32_t Value1 = 0, Value2 = 0;
    std::int32_t Step = 1;
    std::int32_t Direction = 1;
    int ActiveValue = 0;
    bool TwoCursors() const { return twoCursors_; }

    // Snaps to the step and clamps to the window; shows the value and,
    // unless `notify` is false, notifies the tool.
    void SetValue1(std::int32_t v, bool notify = true);
    void SetValue2(std::int32_t v, bool notify = true);
    void SetStepIndex(int index);
    // One step of the active cursor (what "<" / ">" do).
    void StepOnce(int direction, int activeValue);
    // Places the window with its top left at `anchor`, inside the screen.
    void PlaceAt(QPoint anchor);

    QLineEdit* Edit = nullptr;
    QLineEdit* Edit1 = nullptr;
    QComboBox* StepSizeCombo = nullptr;
    QLabel* TimeLabel = nullptr;
    QLabel* TimeLabel2 = nullptr;
    QLabel* DiffTimeLabel = nullptr;

    std::function<void()> OnChange;
    std::function<void()> OnCloseRequest;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void Notify();
    void EditChanged(int which);
    bool HandleKey(int key);
    bool twoCursors_;
    bool settingText_ = false;
    QTimer repeat_;
};

class TNavigatorForm : public QWidget {
    Q_OBJECT
public:
    explicit TNavigatorForm(QWidget* parent = nullptr);
    double F = 0, S = 0;
    bool ShiftZoom = false;
    // Handles an arrow key; false for other keys.
    bool HandleKey(int key, Qt::KeyboardModifiers modifiers);
    void PlaceAt(QPoint anchor);
    std::function<void()> OnChange;
    std::function<void()> OnCloseRequest;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    bool wasActive_ = false;
};

} // namespace vro::app
