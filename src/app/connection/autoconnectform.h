// TAutoConnectForm: the small window of the device manager's automatic
// connection attempt. Always on top, without title-bar buttons, centred on
// the screen, with one word-wrapped line. It shows while the attempt runs
// and closes itself one second after the outcome is shown.
#pragma once

#include "device/manager/vro8manager.h"

#include <QPointer>
#include <QWidget>

class QLabel;

namespace vro::app {

class TAutoConnectForm : public QWidget {
    Q_OBJECT
public:
    explicit TAutoConnectForm(QWidget* parent = nullptr);
    QLabel* StateLabel() const { return state_; }
    void SetText(const QString& text);

private:
    QLabel* state_ = nullptr;
};

// The device manager's window for the attempt; hand it to SetAutoConnectUi.
class TQtAutoConnectUi : public vro::IVro8AutoConnectUi {
public:
    void Show(const std::string& text) override;
    void SetState(const std::string& text) override;
    void Finish() override;
    // The window of the running attempt (null when none).
    TAutoConnectForm* Window() const { return form_.data(); }
    // How long the outcome stays on screen (1000 ms).
    int holdMs = 1000;

private:
    QPointer<TAutoConnectForm> form_;
};

} // namespace vro::app
