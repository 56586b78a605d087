// TSimFirmware: the recorder's firmware store, from the recorder's side. It
// holds the two flash areas as stored, the firmware the recorder runs, and
// what happens while new firmware comes in:
//   - the packet at offset 0 of S 110 / S 113 erases that area first (all
//     0xFF); its answer may be delayed by the erase time;
//   - an area is complete once its last byte has been stored since that
//     erase, and intact while every byte was stored as received;
//   - when both areas are complete and intact and the end of a full area-1
//     read-back has been answered (R 114 with 0 bytes at the area's end),
//     the recorder is silent for the activation time and then runs the new
//     firmware: its version answers and identification text come from the
//     new images, and the recorder's memory and setups are reset (the owner
//     does that when TakeActivation says so);
//   - a power loss (once per run) during a chosen area's write: after N
//     packets the recorder ignores every byte for a while, then runs again on
//     the firmware it ran before, with nothing activated.
// Faults: one flash cell that stores its byte with the lowest bit flipped
// (on every write of its area, or during the first N writes only, a cell that
// programs right on a later try), and bytes 20..23 of area 1 read back as
// the recorder's own values.
//
// Version texts, as the recorder keeps them: area 1 at 0x3BF00; area 0 at
// 0x79C0 when it begins "VRO8K-S ", else at 0x7980 (14 bytes, zero-padded).
//
// Not thread-safe by itself: TSimRecorder calls it under its own lock.
#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vro::sim {

struct TSimFirmwareConfig {
    std::array<std::chrono::milliseconds, 2> EraseTime{}; // delay of the offset-0 answer per area
    std::optional<std::pair<int, std::size_t>> BadByte;   // area, offset: stored with bit 0 flipped
    long BadByteWrites = 0;                               // during this many writes of the area (0: every one)
    bool OwnBytes = false;                                // area-1 bytes 20..23 read back as the recorder's
    struct TPowerLoss {
        int Area = 0;
        long Packets = 0; // packets stored and answered before it
        std::chrono::milliseconds Off{3000};
    };
    std::optional<TPowerLoss> PowerLoss;
    std::chrono::milliseconds ActivateTime{2000};
};

// Parses the `vro simulate` forms "A0,A1", "AREA:OFFSET[:WRITES]" and
// "AREA:N[:MS]"; raises std::invalid_argument naming the option.
std::array<std::chrono::milliseconds, 2> ParseEraseTimes(const std::string& text);
struct TBadByteOption {
    std::pair<int, std::size_t> Cell;
    long Writes = 0; // 0: the cell fails on every write
};
TBadByteOption ParseBadByte(const std::string& text);
TSimFirmwareConfig::TPowerLoss ParsePowerLoss(const std::string& text);

class TSimFirmware {
public:
    using TClock = std::chrono::steady_clock;
    static constexpr std::size_t kArea0Bytes = 0x7A00;
    static constexpr std::size_t kArea1Bytes = 0x3E000;

    TSimFirmware();
    void Configure(const TSimFirmwareConfig& config) { config_ = config; }
    const TSimFirmwareConfig& Config() const { return config_; }

    // True while the recorder takes no bytes (power loss, activation).
    bool Asleep(TClock::time_point now) const { return now < asleepUntil_; }
    // True once, at the first request after an activation's silence: the
    // recorder now runs the new firmware, and its owner resets its memory.
    bool TakeActivation(TClock::time_point now);

    // S 110 / S 113 with the packet (4-byte offset, data). Silent during a
    // power loss; otherwise the status (0 stored, 1 malformed, 2 beyond
    // the area) and the delay of the answer.
    struct TWriteAnswer {
        bool Silent = false;
        std::uint8_t Status = 0;
        std::chrono::milliseconds Delay{0};
    };
    TWriteAnswer Write(int area, std::span<const std::uint8_t> packet, TClock::time_point now);
    // A read piece of Stored(area) at `offset` as R 111 / R 114 deliver it:
    // area 1 with the recorder's own bytes 20..23 when so configured.
    void PatchReadPiece(int area, std::uint32_t offset, std::vector<std::uint8_t>& piece) const;
    // A read piece at `offset` was answered with `bytes` bytes; the empty
    // answer at the end of area 1 may start the activation.
    void ReadAnswered(int area, std::uint32_t offset, std::size_t bytes, TClock::time_point now);

    // R 112 / R 115: the version text of the firmware the recorder runs (14 bytes).
    std::vector<std::uint8_t> VersionAnswer(int area) const;
    // The identification text the new firmware gives, once one is running.
    std::optional<std::string> IdentText() const { return identText_; }

    const std::vector<std::uint8_t>& Stored(int area) const { return stored_[Slot(area)]; }
    long Packets(int area) const { return packets_[Slot(area)]; }
    long Activations() const { return activations_; }
    // "firmware: area 0 P packets, area 1 Q packets, A activations".
    std::string Summary() const;

private:
    static std::size_t Slot(int area) { return area == 0 ? 0 : 1; }
    static std::string VersionAt(int area, const std::vector<std::uint8_t>& image);

    TSimFirmwareConfig config_;
    std::array<std::vector<std::uint8_t>, 2> stored_;
    std::array<std::vector<std::uint8_t>, 2> running_;
    std::array<bool, 2> erased_{}; // erased since the last activation or power loss
    std::array<bool, 2> complete_{};
    std::array<bool, 2> intact_{};
    std::array<long, 2> sinceErase_{}; // packets stored since the area's erase
    std::array<long, 2> packets_{};
    std::array<long, 2> writes_{}; // erases (writes begun) per area
    long activations_ = 0;
    bool powerLossDone_ = false;
    bool activationPending_ = false;
    TClock::time_point asleepUntil_{};
    std::optional<std::string> identText_;
};

} // namespace vro::sim
