// Helpers of the connection tests: a port table of the test's own and
// simulated recorders on pseudo-terminals that answer at one line speed only.
#pragma once

#include "link/connection/dvxconnection.h"
#include "sim/recorder.h"
#include "sim/recorderservice.h"
#include "sim/simpty.h"
#include "sim/simulator.h"

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace vro::test {

// A port table given by the test: entries for the list of known kinds, and
// which indexes exist and are free.
class TFakePortSource : public TDvxPortSource {
public:
    std::vector<TPortEntry> entries;
    std::set<std::int32_t> taken;
    std::vector<TPortEntry> Scan() override { return entries; }
    bool Exists(std::int32_t index) override;
    bool Available(std::int32_t index) override { return Exists(index) && !taken.count(index); }
    std::optional<std::string> PathOf(std::int32_t index) override;
};

// The system's checks, but only the listed ports (so a test never probes the
// machine's real serial ports).
class TListedPortSource : public TDvxSystemPortSource {
public:
    std::vector<TPortEntry> entries;
    std::vector<TPortEntry> Scan() override { return entries; }
};

// A simulated recorder on a pseudo-terminal. With onlyBaud set it answers
// the identification only while the line is set to that speed (the line
// settings of a pseudo-terminal are shared by both ends), as a real recorder
// at a fixed speed would.
struct TPtyRecorder {
    explicit TPtyRecorder(std::int32_t onlyBaud = 0, std::string ident = "VRO8K-M V2.10");
    ~TPtyRecorder();
    std::unique_ptr<sim::TSimPty> pty;
    std::shared_ptr<sim::TSimRecorder> recorder;
    std::unique_ptr<sim::TSimulator> simulator;
    std::unique_ptr<sim::TSimRecorderService> service;
};

// A pseudo-terminal with nobody behind it.
struct TSilentPty {
    TSilentPty();
    std::unique_ptr<sim::TSimPty> pty;
};

} // namespace vro::test
