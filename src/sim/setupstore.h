// The simulated recorder's setup blocks seen field by field, in the
// recorder's own arrangement for its layout version (layout 1 sensor
// records with their spare words, the 68-byte layout-5 trigger block).
//
// TSimRecorder (recorder.h) already answers every setup command (R/S 100
// to 107, R 24, R 25, R 50 to 52) and keeps what is written per layout, so
// this store registers no handlers of its own. It decodes the live blocks
// with its own byte handling, independent of the program's setup model, so
// that tests can check field by field what the program actually sent.
#pragma once

#include "sim/recorder.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vro::sim {

struct TSimSensorFields {
    std::uint32_t Factor = 0;
    std::int32_t SubChannelMask = 0; // 0 on layout 1 (no such field)
    std::uint16_t ActiveState = 0;
    std::uint16_t Mode = 0;
    std::uint16_t Signal = 0;
    std::int16_t LoRange = 0;
    std::int16_t HiRange = 0;
    std::uint16_t Decimals = 0;
    std::string Name;
    std::string MUnit;
    std::uint16_t Spare1 = 0, Spare2 = 0; // layout 1: the words at 10 and 18
};

struct TSimTriggerFields {
    std::uint32_t StartDate = 0, StartTime = 0;
    std::uint16_t ActiveState = 0, Source = 0, Input = 0, Edge = 0;
    std::uint8_t Sensor = 0, SubChannel = 0;
    std::int16_t Value = 0;
    std::uint16_t Direction = 0;
    std::int16_t LoLimet = 0, HiLimit = 0;
    std::uint16_t Count = 0, Distance = 0, StartMode = 0;
};

class TSimSetupStore {
public:
    explicit TSimSetupStore(const TSimRecorder& recorder) : recorder_(recorder) {}

    // Records the live sensor block holds (12, 5 on layout 5).
    int SensorCount() const;
    std::optional<TSimSensorFields> Sensor(int index) const;
    // Events the live trigger block holds (4, 2 on layout 5).
    int EventCount() const;
    std::optional<TSimTriggerFields> Trigger(int index) const;
    std::optional<std::uint32_t> Combination() const;
    std::optional<std::string> RecordingName() const;
    std::optional<std::string> CanName(int message) const;

    // Decoders over one block's bytes (empty when the bytes are too short).
    static std::optional<TSimSensorFields> DecodeSensor(int comVersion, const std::vector<std::uint8_t>& block,
                                                        int index);
    static std::optional<TSimTriggerFields> DecodeTrigger(const std::vector<std::uint8_t>& block, int index);

private:
    const TSimRecorder& recorder_;
};

} // namespace vro::sim
