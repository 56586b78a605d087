// The current-values page of the device window and the large display.
//
// TVroCurrentValuesFrame shows the table of TCurrentValues (device/live) and
// refreshes it every 500 ms; the timer is off while an update runs and stays
// off after a communication error, which is shown (texts 684/696) and handed
// to OnDeviceError so that the device window latches it.
//
// TVroCurrentValues7SegmentForm draws the same values as seven-segment
// digits (core/live/sevenseg.h) in one, two or four columns; it is modal and
// closes itself after a communication error. Both only drive the Qt-free
// logic and put its results on the screen.
#pragma once

#include "app/devicewin/vropage.h"
#include "core/live/sevenseg.h"
#include "device/live/currentvalues.h"

#include <QDialog>
#include <QFrame>
#include <QTimer>

#include <functional>
#include <memory>

class QLabel;
class QScrollArea;
class QTableWidget;

namespace vro {
class TApplicationConfig;
class TVro8Manager;
} // namespace vro

namespace vro::app {

class TButtonLabel;

class TVroCurrentValuesFrame : public QFrame {
    Q_OBJECT
public:
    static constexpr int kTextBase = 501;
    TVroCurrentValuesFrame(vro::TVro8Manager& manager, vro::TApplicationConfig& config, QWidget* parent = nullptr);
    ~TVroCurrentValuesFrame() override;

    // Reads the channel list, updates once and starts the timer; false after
    // a communication error (reported, OnDeviceError called, timer off).
    bool Open();
    // Stops the timer (the device window leaves the page).
    void Close();
    // Called after a communication error was shown.
    std::function<void()> OnDeviceError;

    QTimer& Timer() { return timer_; }
    const vro::TCurrentValuesTable& Table() const { return logic_.Table(); }
    QTableWidget* Grid() const { return grid_; }
    // Opens the large display modally; the timer stops meanwhile.
    void ShowLargeDisplay();

signals:
    void updated();

private:
    bool Update();
    void Fill(const vro::TCurrentValuesTable& t);
    void Failed();

    vro::TVro8Manager& manager_;
    vro::TApplicationConfig& config_;
    vro::TCurrentValues logic_;
    QTimer timer_;
    QLabel* title_ = nullptr;
    QTableWidget* grid_ = nullptr;
    TButtonLabel* reset_ = nullptr;
    TButtonLabel* refresh_ = nullptr;
    TButtonLabel* big_ = nullptr;
    bool updating_ = false;
};

// The "Sensor values" page of the device window: the frame over the
// window's recorder, opened at once; a communication error latches the
// window's device error.
class TVroCurrentValuesPage : public TVroPageFrame {
    Q_OBJECT
public:
    TVroCurrentValuesPage(TVroForm& form, QWidget* parent);
    TVroCurrentValuesFrame& Frame() const { return *frame_; }

private:
    TVroCurrentValuesFrame* frame_;
};

class TSevenSegmentPanel;

class TVroCurrentValues7SegmentForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int kTextBase = 511;
    TVroCurrentValues7SegmentForm(vro::TVro8Manager& manager, vro::TApplicationConfig& config,
                                  QWidget* parent = nullptr);
    ~TVroCurrentValues7SegmentForm() override;

    // Reads the channel list and the values and starts the timer; false after
    // a communication error (reported, OnDeviceError called).
    bool Initialise();
    std::function<void()> OnDeviceError;

    int Columns() const { return columns_; }
    bool MinMax() const { return minMax_; }
    int DisplaySize() const { return displaySize_; }
    vro::live::TLargeDisplayLayout Layout() const;
    const std::vector<vro::TChannelValueText>& Channels() const { return channels_; }
    bool MinMaxAvailable() const { return minMaxAvailable_; }
    QTimer& Timer() { return timer_; }
    QWidget* Panel() const;
    void SetColumns(int columns);

signals:
    void updated();

protected:
    void done(int result) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    friend class TSevenSegmentPanel;
    bool Update();
    void Relayout();

    vro::TVro8Manager& manager_;
    vro::TApplicationConfig& config_;
    vro::TCurrentValues logic_;
    std::vector<vro::TChannelValueText> channels_;
    bool minMaxAvailable_ = false;
    bool reloading_ = false;
    int columns_ = 1;
    bool minMax_ = false;
    int displaySize_ = 0;
    QTimer timer_;
    QScrollArea* scroll_ = nullptr;
    TSevenSegmentPanel* panel_ = nullptr;
    TButtonLabel* minMaxLabel_ = nullptr;
    TButtonLabel* resetLabel_ = nullptr;
    TButtonLabel* oneLabel_ = nullptr;
    TButtonLabel* twoLabel_ = nullptr;
    TButtonLabel* fourLabel_ = nullptr;
    bool closed_ = false;
};

// Draws one seven-segment field (six digits) into rect in colour.
void DrawSevenSegmentText(QPainter& p, const QString& text, const QRect& field, const QColor& color);

// The message of a communication error on a device page: text 684 with
// heading 696 and the error icon.
void ReportDeviceError();

} // namespace vro::app
