#include "device/commands/commands_support.h"

#include "link/dvxporttable.h"
#include "link/dvxv24serialport.h"

#include <gtest/gtest.h>

namespace vro::test {

TRecorderRig::TRecorderRig(int comVersion, sim::TSimProfile profile)
{
    profile.ComVersion = comVersion;
    far = pair.TakeB();
    far->OpenEnd();
    recorder = std::make_shared<sim::TSimRecorder>(profile);
    simulator = std::make_unique<sim::TSimulator>(*far);
    service = std::make_unique<sim::TSimRecorderService>(*simulator, *far, recorder);
    simulator->Start();
    connector = std::make_unique<TDvxV24Connector>(pair.TakeA());
    connector->SetBaudrate(460800);
    connector->Open();
    device = std::make_unique<TVro8Device>(*connector);
}

TRecorderRig::~TRecorderRig()
{
    device.reset();
    simulator->Stop();
    service.reset();
    simulator.reset();
    connector.reset();
}

void TRecorderRig::Connect()
{
    const TVro8ConnectResult r = Vro8Connect(*device);
    ASSERT_TRUE(r.Connected) << r.Error;
}

int TRecorderRig::Download(int index, std::uint32_t timeoutMs)
{
    device->Recording.StartLoad(index);
    EXPECT_TRUE(connector->WaitAsyncEnded(timeoutMs));
    return device->Recording.LoadState();
}

TPtyRecorderRig::TPtyRecorderRig(int comVersion, std::int32_t pacingBaud)
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

TPtyRecorderRig::~TPtyRecorderRig()
{
    device.reset();
    connector.reset();
    simulator->Stop();
    service.reset();
    simulator.reset();
    pty.reset();
}

} // namespace vro::test
