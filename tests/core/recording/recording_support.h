// Builders shared by the recording tests: small recordings with every kind
// of content, and byte-level edits of saved files.
#pragma once

#include "core/recording/recording.h"

#include <cstdint>
#include <memory>
#include <string>

namespace vro::test {

struct TRecordingShape {
    int Channels = 2;
    std::int32_t Records = 10;
    bool MinMax = false;
    bool States = false;
    bool Stamps = false;
    bool SubTimes = false;
    bool Wide = false;
};

// A recording with deterministic samples (value k of channel c = c*1000 + k,
// min = value - 1, max = value + 1), ascending stamps from 100000, states k % 16,
// sub-times (k * 37) % 10000; the window reset.
std::unique_ptr<TRecording> MakeRecording(const TRecordingShape& shape);

// MakeRecording with only the size given: plain values, nothing else.
std::unique_ptr<TRecording> Plain(std::int32_t records, int channels = 2);

// Replaces the first occurrence of `from` in `bytes` (which must exist).
std::string ReplaceOnce(std::string bytes, const std::string& from, const std::string& to);

// Loads file content from memory into a new recording.
std::unique_ptr<TRecording> LoadBytes(const std::string& bytes);

// A fresh empty folder below the test's temporary directory.
std::string TempFolder(const std::string& name);

} // namespace vro::test
