// The device window's state logic without a screen: which of its six actions
// are shown and enabled in each state (not connected, connected and idle,
// busy, remote recording running), when the keep-alive ping may run, and the
// steps of the periodic update with the recovery after a latched device
// error. The Qt form (app/devicewin/vroform.h) is a thin driver: it feeds
// the connection state and the busy flags in, copies the item states to its
// menu and labels, and carries out the steps through IVroWindowHost.
//
// Ping hold-off: a page operation that takes several exchanges with the
// recorder (a transfer loop, a wizard step, a delete of several entries)
// runs on the user-interface thread with dialogs that spin the event loop,
// so the window's 1500 ms timer keeps firing. It holds the ping off for its
// whole length with a TVroPingHold; holds nest.
//
// Threads: the user-interface thread only.
#pragma once

#include <array>
#include <cstdint>

namespace vro {

class TDvxErrorHandler;

// The six action items of the Actions menu, in menu order; each has a
// clickable label of the same caption in the window's left panel.
enum class TVroAction : std::uint8_t {
    CurrentValues,
    Recordings,
    Settings,
    ManageSettings,
    StartRecording,
    CancelRemoteRecording,
};
inline constexpr int kVroActionCount = 6;

struct TVroItemState {
    bool Visible = false;
    bool Enabled = false;
    bool operator==(const TVroItemState&) const = default;
};

class TVroWindowState {
public:
    // Whether the page or command behind an action exists in this build
    // (registered). An action without one follows the visibility rules but
    // is never enabled.
    void SetRegistered(TVroAction action, bool registered);
    bool IsRegistered(TVroAction action) const { return registered_[Index(action)]; }
    void SetFirmwareRegistered(bool registered) { firmwareRegistered_ = registered; }

    // RefreshState: the items from the connection state, then the last busy
    // flags applied on top (a refresh during a remote recording keeps End
    // measurement, during a busy page keeps the actions disabled).
    void Refresh(bool connected);
    // The busy flags of the start-recording page.
    void SetBusy(bool busy, bool remoteRunning);

    TVroItemState Item(TVroAction action) const { return items_[Index(action)]; }
    bool Connected() const { return connected_; }
    bool Busy() const { return busy_; }
    bool RemoteRunning() const { return remoteRunning_; }
    // The Actions menu, and with it the title label above the six labels.
    bool ActionsEnabled() const { return connected_; }
    bool ExtrasVisible() const { return !busy_; }
    bool FirmwareEnabled() const { return firmwareRegistered_; }

    // Ping hold-off (see the top of this header).
    void Hold() { ++holds_; }
    void Release()
    {
        if (holds_ > 0)
            --holds_;
    }
    int Holds() const { return holds_; }

    // The refresh timer's preconditions: a recorder connected, the latch
    // clear, no remote recording, not busy, no hold, no asynchronous
    // transfer on the connector.
    bool MayPing(bool connected, bool latchSet, bool asyncActive) const;

private:
    static int Index(TVroAction a) { return static_cast<int>(a); }
    void ApplyBusy();

    std::array<TVroItemState, kVroActionCount> items_{};
    std::array<bool, kVroActionCount> registered_{};
    bool firmwareRegistered_ = false;
    bool connected_ = false;
    bool busy_ = false;
    bool remoteRunning_ = false;
    int holds_ = 0;
};

// Holds the ping off while it lives.
class TVroPingHold {
public:
    explicit TVroPingHold(TVroWindowState& state) : state_(&state) { state_->Hold(); }
    ~TVroPingHold()
    {
        if (state_)
            state_->Release();
    }
    TVroPingHold(TVroPingHold&& other) noexcept : state_(other.state_) { other.state_ = nullptr; }
    TVroPingHold(const TVroPingHold&) = delete;
    TVroPingHold& operator=(const TVroPingHold&) = delete;
    TVroPingHold& operator=(TVroPingHold&&) = delete;

private:
    TVroWindowState* state_;
};

// What the periodic update and the timer do to the window and the link.
class IVroWindowHost {
public:
    virtual ~IVroWindowHost() = default;
    virtual bool IsConnectionOpen() = 0;
    // The connection has a connector and the device manager a recorder.
    virtual bool IsDeviceConnected() = 0;
    virtual bool IsAsyncActive() = 0;
    // The recordings page's transfer progress window is on screen.
    virtual bool IsTransferShown() = 0;
    virtual bool Ping() = 0;
    virtual void ForgetIdentity() = 0;
    virtual void CloseConnection() = 0;
    // May raise; the recovery catches it.
    virtual void OpenConnection() = 0;
    virtual void ResetCursor() = 0;
    virtual void FreePage() = 0;
    virtual void FocusWindow() = 0;
    // The connection dialog; after it the window refreshes its state.
    virtual void ShowConnectionDialog() = 0;
    // The form's RefreshState: Refresh on the state, then copied to the screen.
    virtual void RefreshState() = 0;
    virtual void StorePlacement() = 0;
    virtual void PagePeriodicUpdate() = 0;
    virtual void MarkCurrentPage() = 0;
};

class TVroWindowLogic {
public:
    TVroWindowLogic(IVroWindowHost& host, TDvxErrorHandler& latch) : host_(host), latch_(latch) {}

    TVroWindowState& State() { return state_; }
    const TVroWindowState& State() const { return state_; }
    TDvxErrorHandler& Latch() { return latch_; }

    // Steps 1 to 7 of the periodic update. A call made while an earlier one
    // is still running (a dialog of that one spins the event loop) returns
    // at once.
    void PeriodicUpdate();
    // The refresh timer: the ping when its preconditions hold; a failed ping
    // forgets the recorder (the next periodic update hides the actions).
    // Returns whether a ping was sent.
    bool TimerTick();
    // Step 4 on its own: clear the latch, close, forget, reopen (a failed
    // reopen leaves the window not connected), cursor, page, focus, dialog.
    void Recover();

    bool Initialised() const { return initialised_; }
    bool LastConnected() const { return lastConnected_; }
    void SetLastConnected(bool connected) { lastConnected_ = connected; }

private:
    IVroWindowHost& host_;
    TDvxErrorHandler& latch_;
    TVroWindowState state_;
    bool initialised_ = false;
    bool lastConnected_ = false;
    bool inUpdate_ = false;
    bool inTimer_ = false;
};

} // namespace vro
