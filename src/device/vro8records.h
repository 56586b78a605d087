// The recorder's data records as pure functions over byte buffers: the
// identification, channel descriptions of every layout, current values,
// directory entries, trigger events, recording headers of every layout,
// the header checks and the sample readers.
//
// Converted records keep the recorder's bytes in the common layout (the
// layout of ComVersion 3 and 4), so that fields marked "not used" pass
// through untouched; the Decode* functions give named fields over them.
// Every function checks the length it is given and raises EVro8Device or
// EBufferRange instead of reading past a buffer.
#pragma once

#include "core/construct/devicerecording.h"
#include "device/vro8error.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vro {

using TBytes = std::span<const std::uint8_t>;

// ---- limits ---------------------------------------------------------------
constexpr int kVro8MinComVersion = 1;
constexpr int kVro8MaxComVersion = 5;
constexpr std::size_t kVro8IdentSize = 80;
constexpr std::size_t kVro8ChannelSize = 56; // common channel description
constexpr std::size_t kVro8MaxMeasureChannels = 70;
constexpr std::size_t kVro8ValueAreaSize = 192;
constexpr std::size_t kVro8EntrySize = 44;
constexpr std::size_t kVro8TriggerEventSize = 32;
constexpr std::size_t kVro8HeaderSize = 2540; // common header layout
constexpr std::size_t kVro8HeaderChannels = 32;
constexpr std::size_t kVro8HeaderTriggers = 4;
constexpr std::int32_t kVro8MaxRecordCount = 1000000;
constexpr int kVro8SampleRates = 28;

// Common header offsets.
namespace vro8hdr {
constexpr std::size_t Name = 4, Number = 36, StartTime = 40, DataSize = 44, RecordCount = 48, Type = 56,
                      SimpleCurveMode = 60, SampleRate = 64, ChannelCount = 68, ValueCount = 72, RecordSize = 76,
                      StopTime = 80, Channels = 84, Triggers = 1876, Combination = 2004, TriggerTime = 2008,
                      TriggerState = 2012, PreTriggerCount = 2016, Reserved = 2020, Comment = 2024, CommentSize = 512,
                      DisplayValues = 2536;
}

// Size of the channel description a layout sends (48, 52 or 56).
std::size_t Vro8ChannelSize(int comVersion);
// Size of the recording header a layout sends (1224, 2408, 2476 or 2540).
std::size_t Vro8HeaderSize(int comVersion);
// Channels a recording of this layout may hold (10, or 32).
int Vro8MaxRecordingChannels(int comVersion);
// Trigger events of the layout (2 for layout 5, else 4).
int Vro8TriggerEvents(int comVersion);
// True for ComVersion 1..5.
bool Vro8ComVersionKnown(int comVersion);

// A character field: at most maxChars bytes (fewer when the buffer is
// shorter), up to the first 0 byte, ISO-8859-1 turned into UTF-8.
std::string Vro8Text(TBytes field, std::size_t maxChars);
// The same, trimmed of leading and trailing blanks.
std::string Vro8TrimmedText(TBytes field, std::size_t maxChars);

// ---- identification (R 40) -----------------------------------------------
struct TVro8Ident {
    std::array<std::uint8_t, kVro8IdentSize> Raw{};
    std::string IdentText; // up to 14 characters, to the first 0
    std::uint16_t ComVersion = 0;
    std::int16_t HardwareVariant = 0;
};
// Raises UnexpectedMessageLen unless exactly 80 bytes are given.
TVro8Ident DecodeIdent(TBytes answer);
// True when the text names this recorder ("VRO8K-M " or "VRO8000 ").
bool Vro8IdentIsRecorder(const std::string& identText);

// ---- channel description -------------------------------------------------
using TVro8ChannelRecord = std::array<std::uint8_t, kVro8ChannelSize>;

struct TVro8ChannelDescription {
    std::int32_t LoRange = 0;
    std::int32_t HiRange = 0;
    std::uint16_t Decimals = 0;
    std::uint8_t Input = 0;
    std::uint8_t SubChannel = 0;
    std::int16_t DataType = 0;
    std::string Name;
    std::string Unit;
    bool Is32Bit() const { return DataType == 4; }
};

// Converts one description of the layout into the common one. The input
// must be exactly Vro8ChannelSize(comVersion) bytes. fromHeader: a layout-2
// sub-channel is set to 0 (recording headers do not carry it).
TVro8ChannelRecord ConvertChannelRecord(int comVersion, TBytes in, bool fromHeader);
TVro8ChannelDescription DecodeChannel(TBytes common56);

// ---- current values (R 12) ------------------------------------------------
// The answered value area keeps its length: a channel not covered by the
// latest answer has no value.
struct TVro8ValueArea {
    std::array<std::uint8_t, kVro8ValueAreaSize> Bytes{};
    std::size_t Length = 0; // bytes the recorder answered (<= 192)
    bool MinMax = false;
    // Number of channels the answer covers (Length / 2, or / 6 with min/max).
    int AnsweredChannels() const { return static_cast<int>(MinMax ? Length / 6 : Length / 2); }
    std::optional<std::int16_t> Value(int channel) const { return Word(channel, 0); }
    std::optional<std::int16_t> Min(int channel) const;
    std::optional<std::int16_t> Max(int channel) const;

private:
    std::optional<std::int16_t> Word(int channel, int part) const;
};
TVro8ValueArea DecodeValues(TBytes answer, bool minMax);

// ---- directory entry (R 32) ----------------------------------------------
struct TVro8Entry {
    std::uint16_t Handle = 0;
    std::string Name;
    std::uint32_t Number = 0;
    std::uint32_t Date = 0; // seconds since 2000-01-01
};
TVro8Entry DecodeEntry(TBytes entry44);
// Decodes count entries; raises DirectoryIncomplete when the bytes hold fewer.
std::vector<TVro8Entry> DecodeEntries(TBytes bytes, std::size_t count);

// ---- trigger event (32 bytes) --------------------------------------------
struct TVro8TriggerEvent {
    std::uint32_t StartDate = 0, StartTime = 0;
    std::uint16_t ActiveState = 0, Source = 0, Input = 0, Edge = 0;
    std::uint8_t Sensor = 0, SubChannel = 0;
    std::int16_t Value = 0;
    std::uint16_t Direction = 0;
    std::int16_t LoLimet = 0, HiLimit = 0;
    std::uint16_t Count = 0, Distance = 0, StartMode = 0;
};
TVro8TriggerEvent DecodeTriggerEvent(TBytes event32);

// ---- recording header ------------------------------------------------------
using TVro8HeaderBytes = std::array<std::uint8_t, kVro8HeaderSize>;

// Moves a header of the layout (exactly Vro8HeaderSize bytes) into the common
// layout: channel descriptions converted (sub-channel 0), the trigger block
// with its combination moved as one, the reserved word 0 for layouts 1 and 2.
// Trigger slots that a layout does not have are left zero.
TVro8HeaderBytes ConvertHeader(int comVersion, TBytes in);

// The decoded header: core's description of a recording's header (name,
// number, times, type, sample rate, record count, trigger, comment) and what
// only the download needs.
struct TVro8Header : TDeviceRecordingHeader {
    std::int32_t DataSize = 0;
    std::int32_t ChannelCount = 0;
    std::uint32_t ValueCount = 0;
    std::int32_t RecordSize = 0;
    std::vector<TVro8ChannelDescription> Channels; // ChannelCount entries (at most 32)
    std::array<TVro8TriggerEvent, kVro8HeaderTriggers> Triggers{};
    std::int32_t TriggerCombination = 0;
};

// Named fields of a common-layout header. Channels beyond a ChannelCount
// outside 0..32 are not decoded.
TVro8Header DecodeHeader(const TVro8HeaderBytes& common);

// The header checks in the recorder's order; the first failure as its
// finding ("Illegal RecordCount 0", "Sensor 2: Illegal Decimals 9", ...),
// empty when the header is sound. ChannelCount is checked before any
// channel description is looked at.
std::optional<std::string> CheckHeader(const TVro8HeaderBytes& common, int comVersion);

// Words per record from the flags and the channels' data types.
std::int32_t Vro8RecordSize(std::uint32_t type, const std::vector<TVro8ChannelDescription>& channels);

// ---- samples -----------------------------------------------------------------
// Sequential reader over the downloaded sample words; never past the end.
class TVro8SampleReader {
public:
    explicit TVro8SampleReader(std::span<const std::uint16_t> words) : words_(words) {}
    void ResetReadPosition() { pos_ = 0; }
    std::size_t Position() const { return pos_; }
    std::uint16_t ReadWord();
    std::int16_t ReadSigned() { return static_cast<std::int16_t>(ReadWord()); }
    // Two words, the first the low half.
    std::int32_t ReadLong();

private:
    std::span<const std::uint16_t> words_;
    std::size_t pos_ = 0;
};

// Sample bytes (little-endian words) to words; the byte count must be even.
std::vector<std::uint16_t> Vro8SampleWords(TBytes bytes);

} // namespace vro
