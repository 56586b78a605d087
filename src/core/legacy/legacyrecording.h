// Reader of the recording files of the earlier recorder generation and its
// desktop programs (".vrf", ".vro", ".cur", ".pro").
//
// The file begins with an 80-byte header whose first 40 bytes tell one of
// three variants. Variants 1 and 2 carry a fixed header block that describes
// up to eight inputs; variant 3 adds a block with counts and axes and a table
// of up to eight channel records. The samples (signed 16-bit, per present
// input) follow, and for event logs the time stamps and one-byte states.
//
// The reader works on the whole file in memory. Every count and length is
// checked against the bytes that are really there before anything is
// allocated; a file that does not hold what its header promises raises
// ECorruptedFile and nothing half-read is handed out. The result is plain
// data: TRecording's FillFromLegacy turns it into a recording.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/legacy/codepage.h"

namespace vro {

// A legacy file that is damaged or inconsistent. what() starts with
// "CorruptedFile" and names the field that failed.
class ECorruptedFile : public std::runtime_error {
public:
    explicit ECorruptedFile(const std::string& detail) : std::runtime_error("CorruptedFile: " + detail) {}
};

// One channel of a legacy recording, already in the recording model's terms.
struct TLegacyChannel {
    int Input = 0;          // 0..7
    std::string DeviceName; // "Channel A" .. "Channel C-D"
    std::string CustomName; // name from the file (empty in variant 1)
    std::string MeasureUnit;
    std::int32_t DeviceLoRange = 0; // sensor range of the input
    std::int32_t DeviceHiRange = 0;
    std::int32_t FullLoRange = 0;
    std::int32_t FullHiRange = 0;
    std::int32_t DisplayLoRange = 0;
    std::int32_t DisplayHiRange = 0;
    int Decimals = 0; // 0..8
    bool Visible = true;
    int ColorIndex = 0;               // 0..9
    int Style = 0;                    // 0..2
    std::vector<std::int32_t> Values; // raw; -32768 in the file is the no-value marker
};

class TLegacyRecording {
public:
    static constexpr std::size_t kHeaderSize = 80;
    static constexpr std::int64_t kSecondsTo2000 = 252460800; // 1992-01-01 .. 2000-01-01
    static constexpr double kDay1992 = 33604.0;               // 1992-01-01 as a date-time

    // The variant (1..3) of an 80-byte header, 0 when it is none of them.
    static int DetectVariant(std::span<const std::uint8_t> header);

    // Reads a whole legacy file. Raises ECorruptedFile when the header is
    // recognised but the rest does not hold together, and std::invalid_argument
    // when the header is not a legacy header at all. `oemPage` is the code page
    // of the texts of variants 1 and 2.
    static TLegacyRecording Read(std::span<const std::uint8_t> file, TCodePage oemPage = TCodePage::Oem850);

    int Variant() const { return variant_; }
    std::int32_t RecordingNumber() const { return number_; }
    const std::string& Name() const { return name_; }
    const std::string& Comment() const { return comment_; }
    const std::string& Description() const { return description_; }
    // Date-times (days since 1899-12-30).
    double StartTime() const { return start_; }
    double StopTime() const { return stop_; }       // event logs
    double TriggerTime() const { return trigger_; } // curve recordings
    // 2 for event logs (with time stamps and states), 1 otherwise.
    int RecordingType() const { return eventLog_ ? 2 : 1; }
    bool IsEventLog() const { return eventLog_; }
    // Row of the sample-interval table; -1 for a rate code the table lacks.
    std::int32_t SampleRate() const { return sampleRate_; }
    std::int32_t ChannelCount() const { return static_cast<std::int32_t>(channels_.size()); }
    std::int32_t RecordCount() const { return recordCount_; }
    std::int32_t PreTriggerCount() const { return preTrigger_; }
    std::int32_t TriggerState() const { return triggerState_; }
    std::int32_t XAxisIndex() const { return xAxis_; }
    std::int32_t LeftYAxis() const { return leftAxis_; }
    std::int32_t RightYAxis() const { return rightAxis_; }
    const std::vector<TLegacyChannel>& Channels() const { return channels_; }
    const TLegacyChannel& Channel(int i) const { return channels_.at(static_cast<std::size_t>(i)); }
    // Event logs only: seconds since 2000-01-01 per sample, and the states.
    const std::vector<std::uint32_t>& TimeStamps() const { return stamps_; }
    const std::vector<std::uint8_t>& States() const { return states_; }
    // The log started before 2000 and its stamps were moved to 2000-01-01.
    bool RecordedBefore2000() const { return before2000_; }

private:
    int variant_ = 0;
    std::int32_t number_ = 0;
    std::string name_, comment_, description_;
    double start_ = 0, stop_ = 0, trigger_ = 0;
    bool eventLog_ = false;
    std::int32_t sampleRate_ = -1;
    std::int32_t recordCount_ = 0;
    std::int32_t preTrigger_ = 0;
    std::int32_t triggerState_ = 0;
    std::int32_t xAxis_ = -1;
    std::int32_t leftAxis_ = 1;
    std::int32_t rightAxis_ = 2;
    std::vector<TLegacyChannel> channels_;
    std::vector<std::uint32_t> stamps_;
    std::vector<std::uint8_t> states_;
    bool before2000_ = false;

    friend class TLegacyParser;
};

// The reader for a legacy file of any kind: nothing when the file is no legacy file or is
// damaged; `error` (when given) then receives the reason.
std::unique_ptr<TLegacyRecording> CreateLegacyReader(std::span<const std::uint8_t> file, std::string* error = nullptr,
                                                     TCodePage oemPage = TCodePage::Oem850);

} // namespace vro
