// TVroForm: the device window. It makes sure a recorder is connected, keeps
// the link alive with a ping every 1500 ms, recovers after a page latched a
// device error, and shows one page at a time in its main panel, chosen from
// the Actions menu or the six clickable labels of the left panel that mirror
// it. The state rules (what is shown and enabled, when to ping, the steps of
// the periodic update) are TVroWindowLogic's (device/window/vrowindowstate.h);
// this form copies them to its menu and labels and carries out the steps.
//
// Ownership: the main window creates it on first use and it frees itself
// when closed (then calls the context's `closed`). It refers to the main
// window's configuration, connection, device manager, error latch and
// documents, which outlive it. Its pages are its children (vropage.h).
//
// The refresh timer belongs to the window, so it keeps running while the
// window is shown modally or a page's dialog spins the event loop; page
// operations hold it off with HoldPing().
#pragma once

#include "app/connection/autoconnectform.h"
#include "app/devicewin/vropage.h"
#include "device/window/vrowindowstate.h"

#include <QMainWindow>
#include <QPointer>
#include <QTimer>

#include <array>
#include <functional>
#include <memory>

class QAction;
class QFrame;
class QLabel;
class QMenu;

namespace vro {
class TApplicationConfig;
class TDvxConnection;
class TDvxErrorHandler;
class TRecording;
struct TDeviceRecordingData;
class TVro8Manager;
} // namespace vro

namespace vro::app {

class TButtonLabel;
class TDocuments;

struct TVroContext {
    vro::TApplicationConfig& config;
    vro::TDvxConnection& connection;
    vro::TVro8Manager& manager;
    vro::TDvxErrorHandler& latch;
    // Where read recordings go; null when there are no documents (tests).
    TDocuments* documents = nullptr;
    // Called from the destructor (the main window's DeviceWindowClosed).
    std::function<void()> closed;
};

class TVroForm : public QMainWindow, private vro::IVroWindowHost {
    Q_OBJECT
public:
    static constexpr int kTextBase = 472;
    static constexpr int kRefreshMs = 1500;

    explicit TVroForm(TVroContext context, QWidget* parent = nullptr);
    ~TVroForm() override;

    // Captions, busy flag cleared, EnsureConnected (texts 698/700/699), RefreshState.
    void Initialise();
    // From the main window's idle handler while the window is visible.
    void PeriodicUpdate() { logic_.PeriodicUpdate(); }
    void RefreshState() override;
    void SetBusy(bool busy, bool remoteRunning);
    // Holds the keep-alive ping off while the returned object lives.
    [[nodiscard]] vro::TVroPingHold HoldPing() { return vro::TVroPingHold(logic_.State()); }
    // A page caught a communication error: text 684 with heading 696 and
    // the error icon, and the latch set for the next periodic update.
    void ReportDeviceError();

    // Frees the current page and shows the page of `action` (when registered).
    void OpenPage(vro::TVroAction action);
    void FreePage() override;
    // Ends a measurement the current page runs on the PC (closing the window
    // or the program), its data kept as a document.
    void EndRun();
    TVroPageFrame* CurrentPage() const { return page_.data(); }
    vro::TVroAction CurrentAction() const { return pageAction_; }
    // The connection dialog at the left panel's point (20, 20); afterwards RefreshState.
    void ShowConnectionDialog() override;
    void StartFirmwareUpdate();
    // The recordings page's hand-off: the recording joins the documents and,
    // with UseReferenceReceive, gets the reference applied.
    // Takes a download into the documents (the repair question, the
    // reference with UseReferenceReceive); EConstruct passes.
    void ReceiveRecording(const vro::TDeviceRecordingData& download);
    void CancelRemoteRecording();

    // The refresh timer's work (the timer calls it; tests too). True when it pinged.
    bool RefreshTimerTick() { return logic_.TimerTick(); }

    const TVroContext& Context() const { return ctx_; }
    vro::TApplicationConfig& Config() const { return ctx_.config; }
    vro::TDvxConnection& Connection() const { return ctx_.connection; }
    vro::TVro8Manager& Manager() const { return ctx_.manager; }
    vro::TDvxErrorHandler& Latch() const { return ctx_.latch; }
    TDocuments* Documents() const { return ctx_.documents; }
    vro::TVroWindowLogic& Logic() { return logic_; }
    const vro::TVroWindowState& State() const { return logic_.State(); }
    QAction* Item(vro::TVroAction action) const { return items_[static_cast<int>(action)]; }
    TButtonLabel* Label(vro::TVroAction action) const { return labels_[static_cast<int>(action)]; }
    QMenu* ActionsMenu() const { return actionsMenu_; }
    QMenu* ExtrasMenu() const { return extrasMenu_; }
    QAction* ConnectionItem() const { return connectionItem_; }
    QAction* FirmwareItem() const { return firmwareItem_; }
    QLabel* TitleLabel() const { return titleLabel_; }
    QFrame* LeftPanel() const { return leftPanel_; }
    QFrame* PagePanel() const { return mainPanel_; }
    QTimer& RefreshTimer() { return timer_; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // IVroWindowHost
    bool IsConnectionOpen() override;
    bool IsDeviceConnected() override;
    bool IsAsyncActive() override;
    bool IsTransferShown() override;
    bool Ping() override;
    void ForgetIdentity() override;
    void CloseConnection() override;
    void OpenConnection() override;
    void ResetCursor() override;
    void FocusWindow() override;
    void StorePlacement() override;
    void PagePeriodicUpdate() override;
    void MarkCurrentPage() override;

    void BuildLayout();
    void ApplyItemStates();
    void RunAction(vro::TVroAction action);

    TVroContext ctx_;
    vro::TVroWindowLogic logic_;
    TQtAutoConnectUi autoConnectUi_;
    QTimer timer_;
    QAction* connectionItem_ = nullptr;
    QMenu* actionsMenu_ = nullptr;
    QMenu* extrasMenu_ = nullptr;
    QAction* firmwareItem_ = nullptr;
    std::array<QAction*, vro::kVroActionCount> items_{};
    std::array<TButtonLabel*, vro::kVroActionCount> labels_{};
    QLabel* titleLabel_ = nullptr;
    QFrame* leftPanel_ = nullptr;
    QFrame* mainPanel_ = nullptr;
    QPointer<TVroPageFrame> page_;
    vro::TVroAction pageAction_ = vro::TVroAction::CurrentValues;
    bool placementRestored_ = false;
};

} // namespace vro::app
