// Recorder rigs of the device tests: the device layer over a connector on one end of an
// in-memory port pair (or a pseudo-terminal), the simulated recorder with
// its frame layer on the other.
#pragma once

#include <gtest/gtest.h>

#include "device/vro8connect.h"
#include "device/vro8device.h"
#include "link/dvxporttable.h"
#include "link/dvxv24connector.h"
#include "link/dvxv24memoryport.h"
#include "link/dvxv24serialport.h"
#include "sim/recorder.h"
#include "sim/recorderservice.h"
#include "sim/simpty.h"
#include "sim/simulator.h"
#include "support/simfarend.h"

#include <memory>

namespace vro::test {

struct TRecorderRig : TSimFarEnd {
    explicit TRecorderRig(int comVersion = 3, sim::TSimProfile profile = {});
    ~TRecorderRig();

    // Connect and identify; fails the test when it does not succeed.
    void Connect();
    // Runs a download of entry Index to its end; the recording's load state.
    int Download(int index, std::uint32_t timeoutMs = 60000);

    std::unique_ptr<TDvxV24Connector> connector;
    std::unique_ptr<TVro8Device> device;
};

// The same over a pseudo-terminal and the POSIX serial port.
struct TPtyRecorderRig {
    explicit TPtyRecorderRig(int comVersion, std::int32_t pacingBaud = 0);
    ~TPtyRecorderRig();

    std::unique_ptr<sim::TSimPty> pty;
    std::shared_ptr<sim::TSimRecorder> recorder;
    std::unique_ptr<sim::TSimulator> simulator;
    std::unique_ptr<sim::TSimRecorderService> service;
    std::unique_ptr<TDvxV24Connector> connector;
    std::unique_ptr<TVro8Device> device;
};

namespace detail {
inline sim::TSimProfile WithComVersion(sim::TSimProfile profile, int comVersion)
{
    profile.ComVersion = comVersion;
    return profile;
}
} // namespace detail

inline TRecorderRig::TRecorderRig(int comVersion, sim::TSimProfile profile)
    : TSimFarEnd(detail::WithComVersion(std::move(profile), comVersion))
{
    connector = std::make_unique<TDvxV24Connector>(pair.TakeA());
    connector->SetBaudrate(460800);
    connector->Open();
    device = std::make_unique<TVro8Device>(*connector);
}

inline TRecorderRig::~TRecorderRig()
{
    device.reset();
    StopRecorder();
    connector.reset();
}

inline void TRecorderRig::Connect()
{
    const TVro8ConnectResult r = Vro8Connect(*device);
    ASSERT_TRUE(r.Connected) << r.Error;
}

inline int TRecorderRig::Download(int index, std::uint32_t timeoutMs)
{
    device->Recording.StartLoad(index);
    EXPECT_TRUE(connector->WaitAsyncEnded(timeoutMs));
    return device->Recording.LoadState();
}

inline TPtyRecorderRig::TPtyRecorderRig(int comVersion, std::int32_t pacingBaud)
{
    pty = std::make_unique<sim::TSimPty>();
    sim::TSimProfile profile;
    profile.ComVersion = comVersion;
    recorder = std::make_shared<sim::TSimRecorder>(profile);
    simulator = std::make_unique<sim::TSimulator>(pty->Master());
    simulator->SetPacing(pacingBaud);
    service = std::make_unique<sim::TSimRecorderService>(*simulator, pty->Master(), recorder);
    simulator->Start();
    const std::int32_t index = TDvxPortTable::Global().AssignFree(pty->SlavePath());
    connector = std::make_unique<TDvxV24Connector>();
    connector->SetPortIndex(index);
    connector->SetBaudrate(460800);
    connector->Open();
    device = std::make_unique<TVro8Device>(*connector);
}

inline TPtyRecorderRig::~TPtyRecorderRig()
{
    device.reset();
    connector.reset();
    simulator->Stop();
    service.reset();
    simulator.reset();
    pty.reset();
}

} // namespace vro::test
