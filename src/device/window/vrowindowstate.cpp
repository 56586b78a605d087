#include "device/window/vrowindowstate.h"

#include "device/dvxerrorhandler.h"

#include <exception>

namespace vro {

namespace {

// Clears a flag when the scope ends, also by an exception.
struct TFlagScope {
    bool& flag;
    explicit TFlagScope(bool& f) : flag(f) { flag = true; }
    ~TFlagScope() { flag = false; }
};

} // namespace

void TVroWindowState::SetRegistered(TVroAction action, bool registered)
{
    registered_[Index(action)] = registered;
    ApplyBusy();
}

void TVroWindowState::Refresh(bool connected)
{
    connected_ = connected;
    for (TVroItemState& item : items_)
        item = {};
    if (connected)
        for (TVroAction a : {TVroAction::CurrentValues, TVroAction::Recordings, TVroAction::Settings,
                             TVroAction::ManageSettings, TVroAction::StartRecording})
            items_[Index(a)].Visible = true;
    ApplyBusy();
}

void TVroWindowState::SetBusy(bool busy, bool remoteRunning)
{
    busy_ = busy;
    remoteRunning_ = remoteRunning;
    ApplyBusy();
}

void TVroWindowState::ApplyBusy()
{
    // Busy disables the page actions, Manage settings included: choosing a
    // page frees the busy one in the middle of its operation.
    for (int i = 0; i < kVroActionCount; ++i)
        items_[i].Enabled = connected_ && !busy_ && registered_[i];
    TVroItemState& end = items_[Index(TVroAction::CancelRemoteRecording)];
    end.Visible = connected_ && remoteRunning_;
    end.Enabled = end.Visible && registered_[Index(TVroAction::CancelRemoteRecording)];
}

bool TVroWindowState::MayPing(bool connected, bool latchSet, bool asyncActive) const
{
    return connected && !latchSet && !remoteRunning_ && !busy_ && holds_ == 0 && !asyncActive;
}

void TVroWindowLogic::PeriodicUpdate()
{
    if (inUpdate_)
        return;
    TFlagScope scope(inUpdate_);
    // 1. The connection dialog is offered once, on the first update.
    if (!initialised_) {
        initialised_ = true;
        if (!host_.IsConnectionOpen())
            host_.ShowConnectionDialog();
    }
    // 2. Nothing is touched while a transfer shows its progress.
    if (host_.IsTransferShown())
        return;
    // 3. A change of the connected state.
    const bool connected = host_.IsDeviceConnected();
    if (connected != lastConnected_) {
        host_.RefreshState();
        lastConnected_ = connected;
    }
    // 4. A page latched a device error.
    if (latch_.Test())
        Recover();
    // 5 to 7.
    host_.StorePlacement();
    host_.PagePeriodicUpdate();
    host_.MarkCurrentPage();
}

void TVroWindowLogic::Recover()
{
    latch_.Clear();
    host_.CloseConnection();
    host_.ForgetIdentity();
    try {
        host_.OpenConnection();
    } catch (const std::exception&) {
        // The port is gone: the window stays not connected and the dialog
        // below lets the user choose another.
    }
    host_.ResetCursor();
    host_.FreePage();
    host_.FocusWindow();
    host_.ShowConnectionDialog();
}

bool TVroWindowLogic::TimerTick()
{
    if (inTimer_ || inUpdate_)
        return false;
    if (!state_.MayPing(host_.IsDeviceConnected(), latch_.Test(), host_.IsAsyncActive()))
        return false;
    TFlagScope scope(inTimer_);
    if (!host_.Ping())
        host_.ForgetIdentity();
    return true;
}

} // namespace vro
