// The recorder's description of a recording, as the device layer hands it to
// the construction of recordings (core/construct/construct.h): plain fields,
// so that core needs nothing of the device layer and the device layer's
// decoded header can be one of these.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace vro {

// One channel as the recorder describes it.
struct TDeviceChannelInfo {
    int Input = 0;      // 0..11: "Channel A".."Channel L"
    int SubChannel = 0; // 0: none
    std::string Name;   // the sensor's name
    std::string Unit;
    int Decimals = 0;
    std::int32_t LoRange = 0;
    std::int32_t HiRange = 0;
    int DataType = 0; // 4: the values are 32-bit
};

// The header of a recording as the recorder describes it. The device layer's
// decoded header (TVro8Header) is one of these with the fields only the
// download needs, so the header exists in one form.
struct TDeviceRecordingHeader {
    std::string Name;
    std::uint32_t Number = 0;
    std::uint32_t StartTime = 0; // seconds since 2000-01-01
    std::uint32_t StopTime = 0;
    std::uint32_t Type = 0; // the type byte: low 4 bits type, bit 5 min/max, bit 6 states, bit 7 stamps
    std::int32_t SimpleCurveMode = 0;
    std::int32_t SampleRate = 0; // row of the sample-interval table
    std::uint32_t RecordCount = 0;
    std::int32_t PreTriggerCount = 0;
    std::uint32_t TriggerTime = 0;
    std::int32_t TriggerState = 0;
    std::string Comment;

    int RecordingType() const { return static_cast<int>(Type & 0x0F); }
    bool HasMinMax() const { return Type == 2 || (Type & 0x20) != 0; }
    bool HasStates() const { return Type == 2 || (Type & 0x40) != 0; }
    bool HasTimeStamps() const { return Type == 2 || (Type & 0x80) != 0; }
};

// A recording read out of the recorder: the header, its channels and texts,
// and the sample words exactly as the download delivered them. The samples
// are the download's own, handed over as a span: they must outlive the fill.
struct TDeviceRecordingData : TDeviceRecordingHeader {
    std::vector<TDeviceChannelInfo> Channels;
    std::array<std::string, 4> TriggerTexts; // the recorder's description of triggers 1..4
    std::string CombinationText;             // ... and of their combination
    std::int32_t LeftYAxis = 1;              // the recorder's display settings
    std::int32_t XAxisIndex = -1;
    std::span<const std::uint16_t> Samples; // record after record

    // 16-bit words per record.
    std::int64_t RecordWords() const;
};

} // namespace vro
