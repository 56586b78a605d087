// The device window's state rules and periodic steps without a screen: the
// four states and what each shows, every precondition of the keep-alive
// ping, the recovery after a latched error against a recording host, and the
// connection dialog on the first periodic update only.
#include "device/dvxerrorhandler.h"
#include "device/window/vrowindowstate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

using namespace vro;

namespace {

constexpr TVroAction kPages[] = {TVroAction::CurrentValues, TVroAction::Recordings, TVroAction::Settings,
                                 TVroAction::ManageSettings, TVroAction::StartRecording};

TVroWindowState AllRegistered()
{
    TVroWindowState s;
    for (int i = 0; i < kVroActionCount; ++i)
        s.SetRegistered(static_cast<TVroAction>(i), true);
    s.SetFirmwareRegistered(true);
    return s;
}

// Records every step the logic asks for; the link is a pair of flags.
struct TFakeHost : IVroWindowHost {
    std::vector<std::string> steps;
    bool open = true;
    bool connected = true;
    bool async = false;
    bool transfer = false;
    bool pingOk = true;
    bool openFails = false;

    bool IsConnectionOpen() override { return open; }
    bool IsDeviceConnected() override { return connected; }
    bool IsAsyncActive() override { return async; }
    bool IsTransferShown() override { return transfer; }
    bool Ping() override
    {
        steps.push_back("ping");
        return pingOk;
    }
    void ForgetIdentity() override
    {
        steps.push_back("forget");
        connected = false;
    }
    void CloseConnection() override
    {
        steps.push_back("close");
        open = false;
    }
    void OpenConnection() override
    {
        steps.push_back("open");
        if (openFails)
            throw std::runtime_error("port gone");
        open = true;
    }
    void ResetCursor() override { steps.push_back("cursor"); }
    void FreePage() override { steps.push_back("free"); }
    void FocusWindow() override { steps.push_back("focus"); }
    void ShowConnectionDialog() override { steps.push_back("dialog"); }
    void RefreshState() override { steps.push_back("refresh"); }
    void StorePlacement() override { steps.push_back("placement"); }
    void PagePeriodicUpdate() override { steps.push_back("page"); }
    void MarkCurrentPage() override { steps.push_back("bold"); }
};

using TSteps = std::vector<std::string>;

} // namespace

TEST(VroWindowState, NotConnectedShowsNothingAndDisablesActions)
{
    TVroWindowState s = AllRegistered();
    s.Refresh(false);
    for (int i = 0; i < kVroActionCount; ++i)
        EXPECT_EQ(s.Item(static_cast<TVroAction>(i)), (TVroItemState{false, false}));
    EXPECT_FALSE(s.ActionsEnabled());
}

TEST(VroWindowState, ConnectedIdleShowsFiveActionsAndExtras)
{
    TVroWindowState s = AllRegistered();
    s.Refresh(true);
    for (TVroAction a : kPages)
        EXPECT_EQ(s.Item(a), (TVroItemState{true, true}));
    EXPECT_EQ(s.Item(TVroAction::CancelRemoteRecording), (TVroItemState{false, false}));
    EXPECT_TRUE(s.ActionsEnabled());
    EXPECT_TRUE(s.ExtrasVisible());
}

TEST(VroWindowState, BusyDisablesEveryPageActionAndHidesExtras)
{
    TVroWindowState s = AllRegistered();
    s.Refresh(true);
    s.SetBusy(true, false);
    // Manage settings too: choosing it would free the busy page.
    for (TVroAction a : kPages)
        EXPECT_EQ(s.Item(a), (TVroItemState{true, false})) << static_cast<int>(a);
    EXPECT_FALSE(s.ExtrasVisible());
    s.SetBusy(false, false);
    for (TVroAction a : kPages)
        EXPECT_TRUE(s.Item(a).Enabled);
    EXPECT_TRUE(s.ExtrasVisible());
}

TEST(VroWindowState, RemoteRecordingShowsEndMeasurementAndSurvivesRefresh)
{
    TVroWindowState s = AllRegistered();
    s.Refresh(true);
    s.SetBusy(true, true);
    EXPECT_EQ(s.Item(TVroAction::CancelRemoteRecording), (TVroItemState{true, true}));
    // A refresh (the connection dialog's OK) keeps the busy flags.
    s.Refresh(true);
    EXPECT_EQ(s.Item(TVroAction::CancelRemoteRecording), (TVroItemState{true, true}));
    EXPECT_FALSE(s.Item(TVroAction::StartRecording).Enabled);
    s.Refresh(false);
    EXPECT_FALSE(s.Item(TVroAction::CancelRemoteRecording).Visible);
}

TEST(VroWindowState, UnregisteredActionsAreShownButNeverEnabled)
{
    TVroWindowState s;
    s.SetRegistered(TVroAction::Settings, true);
    s.Refresh(true);
    EXPECT_EQ(s.Item(TVroAction::Settings), (TVroItemState{true, true}));
    EXPECT_EQ(s.Item(TVroAction::CurrentValues), (TVroItemState{true, false}));
    s.SetBusy(false, true);
    EXPECT_EQ(s.Item(TVroAction::CancelRemoteRecording), (TVroItemState{true, false}));
    EXPECT_FALSE(s.FirmwareEnabled());
}

TEST(VroWindowState, PingNeedsEveryPrecondition)
{
    TVroWindowState s = AllRegistered();
    s.Refresh(true);
    EXPECT_TRUE(s.MayPing(true, false, false));
    EXPECT_FALSE(s.MayPing(false, false, false)) << "not connected";
    EXPECT_FALSE(s.MayPing(true, true, false)) << "latch set";
    EXPECT_FALSE(s.MayPing(true, false, true)) << "asynchronous transfer";
    s.SetBusy(true, false);
    EXPECT_FALSE(s.MayPing(true, false, false)) << "busy";
    s.SetBusy(false, true);
    EXPECT_FALSE(s.MayPing(true, false, false)) << "remote recording";
    s.SetBusy(false, false);
    {
        TVroPingHold outer(s);
        TVroPingHold inner(s);
        EXPECT_FALSE(s.MayPing(true, false, false)) << "held";
        TVroPingHold moved(std::move(inner));
        EXPECT_EQ(s.Holds(), 2);
    }
    EXPECT_EQ(s.Holds(), 0);
    EXPECT_TRUE(s.MayPing(true, false, false));
}

TEST(VroWindowLogic, FirstUpdateOffersTheDialogOnceWhenThePortIsClosed)
{
    TFakeHost host;
    TDvxErrorHandler latch;
    TVroWindowLogic logic(host, latch);
    host.open = false;
    host.connected = false;
    logic.PeriodicUpdate();
    logic.PeriodicUpdate();
    EXPECT_EQ(host.steps, (TSteps{"dialog", "placement", "page", "bold", "placement", "page", "bold"}));

    TFakeHost openHost;
    TVroWindowLogic openLogic(openHost, latch);
    openLogic.SetLastConnected(true);
    openLogic.PeriodicUpdate();
    EXPECT_EQ(openHost.steps, (TSteps{"placement", "page", "bold"}));
}

TEST(VroWindowLogic, StateChangeRefreshesOnceAndTransferStopsEverything)
{
    TFakeHost host;
    TDvxErrorHandler latch;
    TVroWindowLogic logic(host, latch);
    logic.SetLastConnected(true);
    logic.PeriodicUpdate();
    host.steps.clear();
    host.connected = false;
    logic.PeriodicUpdate();
    logic.PeriodicUpdate();
    EXPECT_EQ(host.steps, (TSteps{"refresh", "placement", "page", "bold", "placement", "page", "bold"}));
    host.steps.clear();
    host.transfer = true;
    latch.Set();
    logic.PeriodicUpdate();
    EXPECT_TRUE(host.steps.empty());
    EXPECT_TRUE(latch.Test()) << "the latch waits until the transfer window is gone";
}

TEST(VroWindowLogic, LatchRecoveryRunsItsStepsInOrder)
{
    TFakeHost host;
    TDvxErrorHandler latch;
    TVroWindowLogic logic(host, latch);
    logic.SetLastConnected(true);
    logic.PeriodicUpdate();
    host.steps.clear();
    latch.Set();
    logic.PeriodicUpdate();
    EXPECT_FALSE(latch.Test());
    EXPECT_EQ(host.steps,
              (TSteps{"close", "forget", "open", "cursor", "free", "focus", "dialog", "placement", "page", "bold"}));
    EXPECT_TRUE(host.open);
    // The next update sees the recorder gone.
    host.steps.clear();
    logic.PeriodicUpdate();
    EXPECT_EQ(host.steps.front(), "refresh");
}

TEST(VroWindowLogic, FailedReopenLeavesTheWindowNotConnected)
{
    TFakeHost host;
    TDvxErrorHandler latch;
    TVroWindowLogic logic(host, latch);
    logic.SetLastConnected(true);
    host.openFails = true;
    latch.Set();
    EXPECT_NO_THROW(logic.PeriodicUpdate());
    EXPECT_FALSE(host.open);
    EXPECT_FALSE(host.connected);
    EXPECT_FALSE(latch.Test());
    EXPECT_NE(std::find(host.steps.begin(), host.steps.end(), "dialog"), host.steps.end());
}

TEST(VroWindowLogic, TimerPingsOnlyWhenAllowedAndForgetsOnFailure)
{
    TFakeHost host;
    TDvxErrorHandler latch;
    TVroWindowLogic logic(host, latch);
    logic.State().Refresh(true);
    EXPECT_TRUE(logic.TimerTick());
    EXPECT_EQ(host.steps, (TSteps{"ping"}));
    host.steps.clear();
    latch.Set();
    EXPECT_FALSE(logic.TimerTick());
    latch.Clear();
    host.async = true;
    EXPECT_FALSE(logic.TimerTick());
    host.async = false;
    {
        TVroPingHold hold(logic.State());
        EXPECT_FALSE(logic.TimerTick());
    }
    EXPECT_TRUE(host.steps.empty());
    host.pingOk = false;
    EXPECT_TRUE(logic.TimerTick());
    EXPECT_EQ(host.steps, (TSteps{"ping", "forget"}));
    EXPECT_FALSE(logic.TimerTick()) << "no recorder any more";
}
