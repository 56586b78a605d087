// The three connection dialogs over the connection object and the device
// manager:
//   TDvxConnectionForm           connect, disconnect, automatic connection and
//                                the link to the port settings (texts from 609)
//   TDvxV24ExtendedSettingsForm  port list in three modes, baud rate, port
//                                test and the device search (texts from 652)
//   TDvxSensorSearchResultForm   the recorders the search found (texts from 672)
// The dialogs hold no connection logic of their own: lists, the port test
// and the search are TDvxConnection's, identification is TVro8Manager's.
// All three are modal and exist only while shown; the port settings dialog
// always leaves the port closed.
#pragma once

#include "link/connection/dvxconnection.h"

#include <QDialog>
#include <QPoint>
#include <QPointer>

#include <vector>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QListWidget;
class QProgressBar;
class QRadioButton;

namespace vro {
class TVro8Manager;
}

namespace vro::app {

class TButtonLabel;

class TDvxSensorSearchResultForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int kTextBase = 672;

    // `onSelect` runs with every line the user selects (also the first one at opening).
    TDvxSensorSearchResultForm(vro::TDvxConnection& connection, std::vector<vro::TDvxSearchResult> results,
                               std::function<void(const vro::TDvxSearchResult&)> onSelect, QWidget* parent = nullptr);

    QListWidget* ResultListBox() const { return list_; }
    TButtonLabel* ApplyLabel() const { return apply_; }
    TButtonLabel* CancelLabel() const { return cancel_; }
    // Makes line `row` the chosen one: port and baud rate of the connection.
    void SelectLine(int row);

private:
    vro::TDvxConnection& connection_;
    std::vector<vro::TDvxSearchResult> results_;
    std::function<void(const vro::TDvxSearchResult&)> onSelect_;
    QListWidget* list_ = nullptr;
    TButtonLabel* apply_ = nullptr;
    TButtonLabel* cancel_ = nullptr;
};

class TDvxV24ExtendedSettingsForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int kTextBase = 652;

    explicit TDvxV24ExtendedSettingsForm(vro::TDvxConnection& connection, QWidget* parent = nullptr);

    // The port list of the checked mode; reselects the current port.
    void BuildPortList();
    // OK: applies and tests; stays open with text 659 when the test fails.
    void Ok();
    void CancelOrStop();
    // The device search (x6xSearchSensorLabel).
    void Search();
    bool IsSearching() const { return searching_; }
    // Selects the entry of a port and a baud rate in the two lists.
    void Reselect(std::int32_t portIndex, std::int32_t baudrate);

    // For callers that answer the result dialog themselves (tests).
    std::function<int(TDvxSensorSearchResultForm&)> runResultDialog;

    QRadioButton* VxPortsRadioButton() const { return vxPorts_; }
    QRadioButton* AvailablePortsRadioButton() const { return existing_; }
    QRadioButton* AllPortsRadioButton() const { return allPorts_; }
    QComboBox* PortNumberComboBox() const { return ports_; }
    QComboBox* BaudrateComboBox() const { return rates_; }
    QProgressBar* ProgressBar() const { return bar_; }
    QLabel* ProgressLabel() const { return progressLabel_; }
    TButtonLabel* SearchLabel() const { return search_; }
    TButtonLabel* RefreshLabel() const { return refresh_; }
    TButtonLabel* OkLabel() const { return ok_; }
    TButtonLabel* CancelLabel() const { return cancel_; }
    std::int32_t CheckedMode() const;

    // Escape and the window's close button: Cancel, or the end of a running search.
    void reject() override { CancelOrStop(); }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void SetControlsEnabled(bool on);

    vro::TDvxConnection& connection_;
    QRadioButton* vxPorts_ = nullptr;
    QRadioButton* existing_ = nullptr;
    QRadioButton* allPorts_ = nullptr;
    QComboBox* ports_ = nullptr;
    QComboBox* rates_ = nullptr;
    QProgressBar* bar_ = nullptr;
    QLabel* progressLabel_ = nullptr;
    TButtonLabel* search_ = nullptr;
    TButtonLabel* refresh_ = nullptr;
    TButtonLabel* ok_ = nullptr;
    TButtonLabel* cancel_ = nullptr;
    bool activated_ = false;
    bool searching_ = false;
    bool stopSearch_ = false;
};

class TDvxConnectionForm : public QDialog {
    Q_OBJECT
public:
    static constexpr int kTextBase = 609;

    TDvxConnectionForm(vro::TDvxConnection& connection, vro::TVro8Manager& manager, QWidget* parent = nullptr);

    void Refresh();
    void Connect();
    void Disconnect();
    void Change();
    void Ok();

    // For callers that answer the port settings dialog themselves (tests).
    std::function<int(TDvxV24ExtendedSettingsForm&)> runPortSettings;

    QFrame* StateShape() const { return stateShape_; }
    QLabel* SensorStateLabel() const { return sensorState_; }
    QLabel* V24SettingsStateLabel() const { return v24State_; }
    TButtonLabel* ChangeLabel() const { return change_; }
    TButtonLabel* ConnectLabel() const { return connect_; }
    TButtonLabel* DisconnectLabel() const { return disconnect_; }
    QCheckBox* AutoConnectCheckBox() const { return autoConnect_; }
    TButtonLabel* OkLabel() const { return ok_; }

    // The dialog has no cancel: Escape and the close button are OK.
    void reject() override { Ok(); }

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    vro::TDvxConnection& connection_;
    vro::TVro8Manager& manager_;
    QFrame* stateShape_ = nullptr;
    QLabel* sensorState_ = nullptr;
    QLabel* v24State_ = nullptr;
    TButtonLabel* change_ = nullptr;
    TButtonLabel* connect_ = nullptr;
    TButtonLabel* disconnect_ = nullptr;
    QCheckBox* autoConnect_ = nullptr;
    TButtonLabel* ok_ = nullptr;
};

// The connection dialog, from the main window's status line and menu and
// from the device window. Only one exists at a time: while one is open it is
// refreshed and 1 is returned at once. `at` is a screen point (negative:
// centred). Returns the dialog's result (1).
int ShowConnectionDialog(vro::TDvxConnection& connection, vro::TVro8Manager& manager, QWidget* parent = nullptr,
                         QPoint at = QPoint(-1, -1));
// The connection dialog that is open now, if any.
TDvxConnectionForm* OpenConnectionDialog();

// The port settings dialog at a screen point; 1 after OK, 2 after Cancel.
int ShowPortSettings(vro::TDvxConnection& connection, QWidget* parent = nullptr, QPoint at = QPoint(-1, -1));

} // namespace vro::app
