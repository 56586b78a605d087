// The real-time measurement frame: live curves (or the event-log page) of an
// online run, its actions, the display settings dialog and the magnifier.
//
// The run itself (worker thread, end of run, display settings, trigger) is
// TOnlineRun of device/live; the drawing is the drawing model of
// device/live/onlinedraw.h. The worker's two notices arrive here as queued
// calls: new data only schedules a paint (at most one pending, at most 50
// paints a second), the end notice runs the end of the run on this thread
// after the worker was joined.
//
// Entry point for the start-recording page: Start(manager, saveToFile,
// repeat, choices, automatic). The frame shows itself, runs, builds the
// recording and hides itself; runEnded tells the page (seriesEnded when an
// automatic series must not go on), automaticEnded that the user chose
// "End automatic".
#pragma once

#include "device/live/onlinedraw.h"
#include "device/live/onlinerun.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QFrame>
#include <QImage>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;

namespace vro {
class TVro8Manager;
}

namespace vro::app {

class TButtonLabel;
class TOnlineGraphWidget;
class TVro8OnlineRecordingFrame;

// The magnifier: while on, a rectangle dragged on the graph becomes the new
// display range; painting pauses during the drag.
class TOnlineMagnifier {
public:
    bool Active() const { return active_; }
    bool Dragging() const { return dragging_; }
    QRect Rect() const { return QRect(start_, end_).normalized(); }
    void SetActive(bool on);
    void Press(QPoint p);
    void Move(QPoint p);
    // True when the release lies inside `graph` (the ranges are then to be set).
    bool Release(QPoint p, const QRect& graph);

private:
    bool active_ = false, dragging_ = false;
    QPoint start_, end_;
};

class TVro8OnlineRecordingFrame : public QFrame {
    Q_OBJECT
public:
    static constexpr int kTextBase = 1240;
    explicit TVro8OnlineRecordingFrame(QWidget* parent = nullptr);
    ~TVro8OnlineRecordingFrame() override;

    // Configures and starts a run; false (after a message) when it cannot
    // start at all (a configuration the recorder cannot take, a link error
    // while reading the trigger block).
    bool Start(vro::TVro8Manager& manager, bool saveToFile, bool repeat, const vro::TOnlineChoices& choices,
               bool automatic = false);
    bool Running() const;
    // Ends the run as "End" does, waits for the worker and finishes the run
    // (the data becomes a document); for closing the window during a run.
    void EndAndWait();

    // "End", "End automatic", "Trigger", the dialog, the magnifier, "Full size".
    void End();
    void EndAutomatic();
    void Trigger();
    void OpenSettings();
    void ToggleMagnifier();
    void FullSize();
    void RebuildAxes();

    vro::TOnlineRun* Run() const { return run_.get(); }
    TOnlineMagnifier& Magnifier() { return magnifier_; }
    TOnlineGraphWidget* Graph() const { return graph_; }
    int PaintCount() const;
    // Called after a communication error was shown (the device window latches it).
    std::function<void()> OnDeviceError;
    // The display settings of the last run since the program started.
    static std::optional<vro::TOnlineDisplaySettings>& KeptSettings();
    // The file the last run was saved to (empty: a document or nothing).
    QString LastFile() const { return lastFile_; }
    bool LastRunBuiltRecording() const { return lastBuilt_; }

signals:
    void runEnded(bool seriesEnded);
    void automaticEnded();
    void painted();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    friend class TOnlineGraphWidget;
    void ScheduleRepaint();
    void RunEnded();
    void UpdateActions();
    void UpdateStatus();
    void SwitchMagnifierOff();

    std::unique_ptr<vro::TOnlineRun> run_;
    vro::TVro8Manager* manager_ = nullptr;
    bool saveToFile_ = false;
    bool automatic_ = false;
    QString lastFile_;
    bool lastBuilt_ = false;
    TOnlineGraphWidget* graph_ = nullptr;
    QLabel* status_ = nullptr;
    TButtonLabel* cancel_ = nullptr;
    TButtonLabel* settings_ = nullptr;
    TButtonLabel* magnify_ = nullptr;
    TButtonLabel* fullRange_ = nullptr;
    TButtonLabel* cancelAuto_ = nullptr;
    TButtonLabel* trigger_ = nullptr;
    QTimer paintTimer_;
    QTimer statusTimer_;
    QElapsedTimer sincePaint_;
    TOnlineMagnifier magnifier_;
};

// The graph area: Y-axis boxes, the graph, the X-axis box (or the event-log
// page), drawn into one off-screen image and copied in one piece.
class TOnlineGraphWidget : public QWidget {
    Q_OBJECT
public:
    explicit TOnlineGraphWidget(TVro8OnlineRecordingFrame& frame, QWidget* parent);
    // The graph rectangle within the widget.
    QRect GraphRect() const;
    const QImage& Image() const { return image_; }
    int PaintCount() const { return paints_; }
    const vro::TOnlineAxes& Axes() const { return axes_; }
    void RebuildAxes();
    int XBoxHeight() const;

protected:
    void paintEvent(QPaintEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;

private:
    void Render();
    TVro8OnlineRecordingFrame& frame_;
    QImage image_;
    vro::TOnlineAxes axes_;
    int paints_ = 0;
};

class TVro8OnlineSettingsForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int kTextBase = 1259;
    TVro8OnlineSettingsForm(TVro8OnlineRecordingFrame& frame, QWidget* parent = nullptr);

    // OK and Apply: check, then take over; false (field marked) when a check failed.
    bool Check();
    bool Apply();
    QComboBox* XAxis() const { return xAxis_; }
    QListWidget* LeftList() const { return left_; }
    QListWidget* RightList() const { return right_; }
    QComboBox* ModeBox() const { return mode_; }
    QLineEdit* LoEdit(int channel) const { return lo_.value(channel); }
    QLineEdit* HiEdit(int channel) const { return hi_.value(channel); }
    QCheckBox* ShownBox(int channel) const { return shown_.value(channel); }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void XAxisChanged();
    TVro8OnlineRecordingFrame& frame_;
    QComboBox* xAxis_ = nullptr;
    QListWidget* left_ = nullptr;
    QListWidget* right_ = nullptr;
    QComboBox* mode_ = nullptr;
    QList<QCheckBox*> shown_;
    QList<QLineEdit*> lo_, hi_;
};

} // namespace vro::app
