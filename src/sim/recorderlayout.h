// The simulated recorder's own record writers: what the recorder puts on the
// wire for each layout version. They are written from the recorder's side
// (a table of field positions per layout) and share nothing with the
// device layer's readers, so that a test passing through both proves the
// layouts rather than one reading of them.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vro::sim {

using TByteString = std::vector<std::uint8_t>;

struct TSimChannel {
    std::int32_t LoRange = 0;
    std::int32_t HiRange = 1000;
    std::uint16_t Decimals = 0;
    std::uint8_t Input = 0;
    std::uint8_t SubChannel = 0;
    std::int16_t DataType = 0; // 4: 32-bit samples
    std::string Name;          // ISO-8859-1 bytes as the recorder holds them
    std::string Unit;
};

struct TSimTriggerEvent {
    std::uint32_t StartDate = 0, StartTime = 0;
    std::uint16_t ActiveState = 0, Source = 0, Input = 0, Edge = 0;
    std::uint8_t Sensor = 0, SubChannel = 0;
    std::int16_t Value = 0;
    std::uint16_t Direction = 0;
    std::int16_t LoLimet = 0, HiLimit = 0;
    std::uint16_t Count = 0, Distance = 0, StartMode = 0;
};

// A recording in the simulated memory: the header fields and the sample words.
struct TSimRecording {
    std::uint16_t Handle = 0;
    std::string Name;
    std::uint32_t Number = 0;
    std::uint32_t StartTime = 0, StopTime = 0; // seconds since 2000
    std::uint32_t Type = 0;                    // low nibble type; 0x20 min/max, 0x40 states, 0x80 time stamps
    std::int32_t SimpleCurveMode = 0;
    std::int32_t SampleRate = 5;
    std::vector<TSimChannel> Channels;
    std::array<TSimTriggerEvent, 4> Triggers{};
    std::int32_t Combination = 0;
    std::uint32_t TriggerTime = 0;
    std::int32_t TriggerState = 0;
    std::int32_t PreTriggerCount = 0;
    std::string Comment;
    std::uint32_t RecordCount = 0;
    std::vector<std::uint16_t> Words; // DataSize words, record after record

    bool MinMax() const { return Type == 2 || (Type & 0x20); }
    bool States() const { return Type == 2 || (Type & 0x40); }
    bool TimeStamps() const { return Type == 2 || (Type & 0x80); }
    // Words per record as the recorder lays records out.
    std::int32_t WordsPerRecord() const;
};

// Fills Words with RecordCount records of a deterministic pattern (seeded by
// the recording's number): time stamps counting seconds from StartTime, a
// state word, and per channel a value (and a min and max around it).
void GenerateSamples(TSimRecording& rec);

// 80-byte identification: text (14 characters), ComVersion at 26, variant at 28.
TByteString WriteIdent(const std::string& text, std::uint16_t comVersion, std::int16_t hardwareVariant);
// One channel description in the layout of comVersion (48, 52 or 56 bytes).
TByteString WriteChannel(int comVersion, const TSimChannel& ch);
// The recording header in the layout of comVersion, with the header's own
// RecordSize/DataSize/ValueCount computed from the recording.
TByteString WriteHeader(int comVersion, const TSimRecording& rec);
// One 44-byte directory entry.
TByteString WriteEntry(std::uint16_t handle, const std::string& name, std::uint32_t number, std::uint32_t date);
// 32-byte trigger event.
TByteString WriteTriggerEvent(const TSimTriggerEvent& e);
// Sample words as little-endian bytes.
TByteString WriteSampleBytes(const std::vector<std::uint16_t>& words);

// Online stream records. Types 0 and 1: 88 88, values, status, sum of the value
// bytes. Type 2: 88 88, (cur, min, max) per channel, status, a free byte.
TByteString WriteOnlineRecord(const std::vector<std::int16_t>& values, std::uint8_t status, bool badChecksum = false);
TByteString WriteOnlineEvent(const std::vector<std::array<std::int16_t, 3>>& triples, std::uint8_t status,
                             std::uint8_t freeByte = 0);

// Size of the header for a layout (the recorder's own table).
std::size_t HeaderBytes(int comVersion);
std::size_t ChannelBytes(int comVersion);

} // namespace vro::sim
