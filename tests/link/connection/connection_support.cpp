#include "connection_support.h"

#include "link/dvxv24serialport.h"

namespace vro::test {

bool TFakePortSource::Exists(std::int32_t index)
{
    for (const TPortEntry& e : entries)
        if (e.index == index)
            return true;
    return false;
}

std::optional<std::string> TFakePortSource::PathOf(std::int32_t index)
{
    for (const TPortEntry& e : entries)
        if (e.index == index)
            return e.path;
    return std::nullopt;
}

TPtyRecorder::TPtyRecorder(std::int32_t onlyBaud, std::string ident)
{
    pty = std::make_unique<sim::TSimPty>();
    sim::TSimProfile profile;
    profile.IdentText = std::move(ident);
    recorder = std::make_shared<sim::TSimRecorder>(profile);
    simulator = std::make_unique<sim::TSimulator>(pty->Master());
    service = std::make_unique<sim::TSimRecorderService>(*simulator, pty->Master(), recorder);
    if (onlyBaud > 0) {
        const int fd = pty->Master().Fd();
        auto rec = recorder;
        simulator->SetHandler('R', 40, [fd, onlyBaud, rec](const sim::TSimRequest& req) -> sim::TSimAnswer {
            if (GetLineBaud(fd) != onlyBaud)
                return std::nullopt;
            return rec->HandleFrame(req.Address, req.Number, req.Data).Data;
        });
    }
    simulator->Start();
}

TPtyRecorder::~TPtyRecorder()
{
    simulator->Stop();
    service.reset();
    simulator.reset();
    pty.reset();
}

TSilentPty::TSilentPty() { pty = std::make_unique<sim::TSimPty>(); }

} // namespace vro::test
