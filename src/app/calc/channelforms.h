// The dialogs of the Edit menu that change the channels of the active
// recording: calculated channel, filtered channel, time shift and channel
// removal. The computations live in the core (core/calc); these windows only
// show and edit. Each dialog tells its owner through `changed` when the graph
// has to show the new state at once.
#pragma once

#include <QDialog>
#include <functional>
#include <memory>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QScrollBar;
class QSlider;

namespace vro {
class TRecording;
class TCalcChannel;
class TFilterChannel;
} // namespace vro

namespace vro::app {

class TButtonLabel;

// Runs before a dialog opens: shows the refusal text for recordings that
// cannot get a derived channel and returns false then.
bool CheckDerivedChannelAllowed(const TRecording& recording, bool calculated);

class TCalcChannelForm : public QDialog {
    Q_OBJECT
public:
    TCalcChannelForm(TRecording& recording, QWidget* parent = nullptr);
    ~TCalcChannelForm() override;

    QLineEdit* FormulaEdit() const { return formula_; }
    QLineEdit* UnitEdit() const { return unit_; }
    QComboBox* DecimalsBox() const { return decimals_; }
    TButtonLabel* CalculateLabel() const { return calculate_; }
    TButtonLabel* OkLabel() const { return ok_; }
    QLabel* StatusLine() const { return status_; }
    QPlainTextEdit* HelpText() const { return help_; }
    // Runs the calculation as the Calculate label does.
    void Calculate();

    std::function<void()> changed;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void done(int result) override;

private:
    void ShowFailure(int textNumber, const QString& message);
    void DecimalsChanged(int index);
    void ToggleHelp();

    TRecording& recording_;
    std::unique_ptr<TCalcChannel> calc_;
    QLineEdit* formula_;
    QLineEdit* unit_;
    QComboBox* decimals_;
    TButtonLabel* calculate_;
    TButtonLabel* settings_;
    TButtonLabel* ok_;
    TButtonLabel* cancel_;
    TButtonLabel* helpLabel_;
    QLabel* status_;
    QPlainTextEdit* help_;
    bool computing_ = false;
    bool accepted_ = false;
};

class TFilterChannelForm : public QDialog {
    Q_OBJECT
public:
    TFilterChannelForm(TRecording& recording, QWidget* parent = nullptr);
    ~TFilterChannelForm() override;

    QComboBox* ChannelBox() const { return channel_; }
    QSlider* FilterTB() const { return slider_; }
    TButtonLabel* OkLabel() const { return ok_; }
    int NewChannelIndex() const;

    std::function<void()> changed;

protected:
    void done(int result) override;

private:
    void Recompute(bool force);

    TRecording& recording_;
    std::unique_ptr<TFilterChannel> filter_;
    QComboBox* channel_;
    QSlider* slider_;
    TButtonLabel* ok_;
    int lastPosition_ = -1;
    int lastChannel_ = -1;
    bool accepted_ = false;
};

class TTimeShiftForm : public QDialog {
    Q_OBJECT
public:
    // `visibleChannels`: the channels the graph draws; `graphWidth`: its width in pixels.
    TTimeShiftForm(TRecording& recording, const std::vector<int>& visibleChannels, int graphWidth,
                   QWidget* parent = nullptr);

    QComboBox* ChannelBox() const { return channel_; }
    QScrollBar* ShiftBar() const { return bar_; }
    QLabel* OffsetLabel() const { return offset_; }
    void DeleteShift();
    void DeleteAllShifts();

    std::function<void()> changed;

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void ShowChannel(int listIndex);
    void ShiftChanged(int value);

    TRecording& recording_;
    std::vector<int> channels_;
    QComboBox* channel_;
    QScrollBar* bar_;
    QLabel* offset_;
};

class TDeleteChannelForm : public QDialog {
    Q_OBJECT
public:
    TDeleteChannelForm(TRecording& recording, QWidget* parent = nullptr);
    QListWidget* ChannelList() const { return list_; }
    // Deletes the checked channels (OK); returns the names that had to stay.
    QStringList DeleteChecked();

    std::function<void()> changed;

private:
    TRecording& recording_;
    QListWidget* list_;
};

} // namespace vro::app
