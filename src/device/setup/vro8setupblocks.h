// The recorder's six setup blocks, each held as the bytes of its common
// arrangement, with wrappers that read and write the fields by name.
//
//   TVro8SensorSetup     12 records of 60 bytes (720); layout 5 transfers
//                        only the first five (300), layout 1 sends another
//                        record arrangement that is converted here; plus the
//                        smart-sensor flags of inputs A..D (A..C on layout 5)
//   TVro8TriggerSetup    four 32-byte events and the combination (132);
//                        layout 5 transfers two events and the combination (68)
//   TVro8RecordingSetup  48 bytes
//   TVro8BaseSetup       12 bytes
//   TVro8DisplaySetup    12 bytes
//   TVro8CanSetup        32 messages of 68 bytes and 4 spare bytes (2180)
//
// The block classes never talk to the recorder: Encode gives the bytes the
// recorder wants for a layout, Decode takes what it sent (and raises on a
// wrong size, leaving the block as it was). The sensor block always holds
// all 12 records, so that records 5..11 survive a layout-5 round trip
// through a setup file.
//
// Character fields read up to the first 0 byte (ISO-8859-1 in the block,
// UTF-8 here) and are written cut to their width and 0-padded.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace vro {

// A block of the wrong size, or a layout version outside 1..5.
class EVro8SetupBlock : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Raises EVro8SetupBlock ("<block> block of <got> bytes, expected <want>")
// when a block arrives with the wrong length.
void Vro8CheckBlockSize(const char* block, std::size_t got, std::size_t want);

// Counts by layout.
int Vro8SensorCount(int comVersion);       // 12, 5 on layout 5
int Vro8SmartInputCount(int comVersion);   // 4, 3 on layout 5, 0 on layout 1
int Vro8TriggerEventCount(int comVersion); // 4, 2 on layout 5

// ---- sensor block ------------------------------------------------------------------------------

class TVro8SensorSetupWrapper {
public:
    static constexpr std::size_t kSize = 60;
    TVro8SensorSetupWrapper(std::span<std::uint8_t, kSize> record, int index) : r_(record), index_(index) {}

    int Index() const { return index_; }
    // The record's input letter ('a' for input A).
    char Letter() const { return static_cast<char>('a' + index_); }

    std::uint32_t Factor() const;
    void SetFactor(std::uint32_t v);
    std::uint16_t FactorLow() const { return static_cast<std::uint16_t>(Factor() & 0xFFFFu); }
    std::uint16_t FactorHigh() const { return static_cast<std::uint16_t>(Factor() >> 16); }
    void SetFactorLow(std::uint16_t v) { SetFactor((Factor() & 0xFFFF0000u) | v); }
    void SetFactorHigh(std::uint16_t v) { SetFactor((Factor() & 0xFFFFu) | (std::uint32_t{v} << 16)); }
    std::int32_t SubChannelMask() const;
    void SetSubChannelMask(std::int32_t v);
    bool ActiveState() const;
    void SetActiveState(bool on);
    std::uint16_t Mode() const;
    void SetMode(std::uint16_t v);
    std::uint16_t Signal() const;
    void SetSignal(std::uint16_t v);
    std::int16_t LoRange() const;
    void SetLoRange(std::int16_t v);
    std::int16_t HiRange() const;
    void SetHiRange(std::int16_t v);
    std::uint16_t Decimals() const;
    void SetDecimals(std::uint16_t v);
    std::string Name() const;
    void SetName(const std::string& v);
    std::string MUnit() const;
    void SetMUnit(const std::string& v);

private:
    std::span<std::uint8_t, kSize> r_;
    int index_;
};

class TVro8SensorSetup {
public:
    static constexpr int kRecords = 12;
    static constexpr std::size_t kSize = kRecords * TVro8SensorSetupWrapper::kSize; // 720

    // Bytes the recorder transfers for the layout: 720, or 300 on layout 5.
    static std::size_t TransferSize(int comVersion);

    TVro8SensorSetupWrapper Sensor(int index);
    const TVro8SensorSetupWrapper Sensor(int index) const;
    const std::array<std::uint8_t, kSize>& Bytes() const { return bytes_; }
    std::array<std::uint8_t, kSize>& Bytes() { return bytes_; }

    // The block as the recorder wants it (layout 1: its own arrangement with
    // the two spare words 0; layout 5: the first five records).
    std::vector<std::uint8_t> Encode(int comVersion) const;
    // What the recorder sent; exactly TransferSize bytes or it raises. On
    // layout 5 records 5..11 keep their contents. Afterwards every record
    // notes whether its Mode is 0.
    void Decode(int comVersion, std::span<const std::uint8_t> bytes);
    // Mode of record i was 0 at the last Decode.
    bool ModeWasZero(int index) const;

    // Smart-sensor flags (inputs A..D; A..C on layout 5) and the changed flag.
    // A fresh reading sets the changed flag when any flag differs; layout 1
    // (no flags) clears them all.
    void TakeSmartFlags(int comVersion, std::span<const std::uint8_t> flags);
    // 0 for inputs without a flag and for layout 1.
    std::uint8_t SmartFlag(int input) const;
    bool SmartFlagsChanged() const { return smartChanged_; }
    void ClearSmartFlagsChanged() { smartChanged_ = false; }

    bool operator==(const TVro8SensorSetup& o) const { return bytes_ == o.bytes_; }

private:
    std::array<std::uint8_t, kSize> bytes_{};
    std::array<bool, kRecords> modeZero_{};
    std::array<std::uint8_t, 4> smart_{};
    bool smartChanged_ = false;
};

// ---- trigger block -----------------------------------------------------------------------------

class TVro8TriggerEventWrapper {
public:
    static constexpr std::size_t kSize = 32;
    explicit TVro8TriggerEventWrapper(std::span<std::uint8_t, kSize> record) : r_(record) {}

    // Seconds since 2000 in the block; calendar values (day 0 = 1899-12-30) at
    // the *DateTime accessors.
    std::uint32_t StartDate() const;
    void SetStartDate(std::uint32_t v);
    std::uint32_t StartTime() const;
    void SetStartTime(std::uint32_t v);
    double StartDateValue() const;
    void SetStartDateValue(double dateTime);
    double StartTimeValue() const;
    void SetStartTimeValue(double dateTime);
    bool ActiveState() const;
    void SetActiveState(bool on);
    std::uint16_t Source() const;
    void SetSource(std::uint16_t v);
    std::uint16_t Input() const;
    void SetInput(std::uint16_t v);
    std::uint16_t Edge() const;
    void SetEdge(std::uint16_t v);
    std::uint8_t Sensor() const;
    void SetSensor(std::uint8_t v);
    std::uint8_t SubChannel() const;
    void SetSubChannel(std::uint8_t v);
    std::int16_t Value() const;
    void SetValue(std::int16_t v);
    std::uint16_t Direction() const;
    void SetDirection(std::uint16_t v);
    std::int16_t LoLimet() const;
    void SetLoLimet(std::int16_t v);
    std::int16_t HiLimit() const;
    void SetHiLimit(std::int16_t v);
    std::uint16_t Count() const;
    void SetCount(std::uint16_t v);
    std::uint16_t Distance() const;
    void SetDistance(std::uint16_t v);
    std::uint16_t StartMode() const;
    void SetStartMode(std::uint16_t v);

private:
    std::span<std::uint8_t, kSize> r_;
};

class TVro8TriggerSetup {
public:
    static constexpr int kEvents = 4;
    static constexpr std::size_t kSize = 132;
    static std::size_t TransferSize(int comVersion); // 132, 68 on layout 5

    TVro8TriggerEventWrapper Event(int index);
    const TVro8TriggerEventWrapper Event(int index) const;
    std::uint32_t Combination() const;
    void SetCombination(std::uint32_t v);
    const std::array<std::uint8_t, kSize>& Bytes() const { return bytes_; }
    std::array<std::uint8_t, kSize>& Bytes() { return bytes_; }

    // Layout 5: events 1, 2 and the combination (68 bytes); layout 1: the
    // sub-channel bytes of all events sent as 0; otherwise as held.
    std::vector<std::uint8_t> Encode(int comVersion) const;
    // Layout 5: the 68 bytes go to events 1, 2 and the combination, events 3
    // and 4 keep their contents. A wrong size raises.
    void Decode(int comVersion, std::span<const std::uint8_t> bytes);

    bool operator==(const TVro8TriggerSetup& o) const { return bytes_ == o.bytes_; }

private:
    std::array<std::uint8_t, kSize> bytes_{};
};

// ---- recording, base, display ------------------------------------------------------------------

// A block kept as the recorder's bytes, the same in every layout (recording,
// base, display and CAN blocks): the bytes, their encoding, and a decoding
// that checks the length. `Derived` keeps blocks of equal size apart.
template <typename Derived, std::size_t N>
class TVro8PlainBlock {
public:
    static constexpr std::size_t kSize = N;
    const std::array<std::uint8_t, N>& Bytes() const { return bytes_; }
    std::array<std::uint8_t, N>& Bytes() { return bytes_; }
    std::vector<std::uint8_t> Encode() const { return {bytes_.begin(), bytes_.end()}; }
    friend bool operator==(const Derived& a, const Derived& b) { return a.Bytes() == b.Bytes(); }

protected:
    // Takes the block's bytes; raises EVro8SetupBlock naming `what` when the
    // length is not the block's.
    void DecodeBytes(const char* what, std::span<const std::uint8_t> in)
    {
        Vro8CheckBlockSize(what, in.size(), N);
        std::copy(in.begin(), in.end(), bytes_.begin());
    }
    std::array<std::uint8_t, N> bytes_{};
};

class TVro8RecordingSetup : public TVro8PlainBlock<TVro8RecordingSetup, 48> {
public:
    std::uint32_t RecordingNumber() const;
    void SetRecordingNumber(std::uint32_t v);
    std::uint16_t RecordingType() const;
    void SetRecordingType(std::uint16_t v);
    std::uint16_t SampleRate() const;
    void SetSampleRate(std::uint16_t v);
    std::uint16_t Duration() const;
    void SetDuration(std::uint16_t v);
    std::uint16_t SimpleCurvMode() const;
    void SetSimpleCurvMode(std::uint16_t v);
    std::uint16_t TriggerPosition() const;
    void SetTriggerPosition(std::uint16_t v);
    std::string RecordingName() const;
    // Trimmed, cut to 32 characters, and trimmed again after the cut.
    void SetRecordingName(const std::string& v);

    void Decode(std::span<const std::uint8_t> bytes) { DecodeBytes("Recording setup", bytes); }
};

class TVro8BaseSetup : public TVro8PlainBlock<TVro8BaseSetup, 12> {
public:
    std::uint16_t PreassureUnit() const;
    void SetPreassureUnit(std::uint16_t v);
    std::uint16_t TemperatureUnit() const;
    void SetTemperatureUnit(std::uint16_t v);
    std::uint16_t FlowUnit() const;
    void SetFlowUnit(std::uint16_t v);

    void Decode(std::span<const std::uint8_t> bytes) { DecodeBytes("Base setup", bytes); }
};

class TVro8DisplaySetup : public TVro8PlainBlock<TVro8DisplaySetup, 12> {
public:
    std::uint16_t Kind() const;
    void SetKind(std::uint16_t v);
    std::uint16_t MinMax() const;
    void SetMinMax(std::uint16_t v);
    std::uint16_t Bar() const;
    void SetBar(std::uint16_t v);
    std::uint16_t Filter() const;
    void SetFilter(std::uint16_t v);

    void Decode(std::span<const std::uint8_t> bytes) { DecodeBytes("Display setup", bytes); }
};

// ---- CAN block ---------------------------------------------------------------------------------

class TVro8CanMessageSetupWrapper {
public:
    static constexpr std::size_t kSize = 68;
    explicit TVro8CanMessageSetupWrapper(std::span<std::uint8_t, kSize> record) : r_(record) {}

    std::uint32_t MessageId() const;
    void SetMessageId(std::uint32_t v);
    std::int32_t LoRawRange() const;
    void SetLoRawRange(std::int32_t v);
    std::int32_t HiRawRange() const;
    void SetHiRawRange(std::int32_t v);
    std::uint16_t DataOffset() const;
    void SetDataOffset(std::uint16_t v);
    std::uint16_t DataFormat() const;
    void SetDataFormat(std::uint16_t v);
    std::uint16_t FrameFormat() const;
    void SetFrameFormat(std::uint16_t v);
    std::uint16_t ByteOrder() const;
    void SetByteOrder(std::uint16_t v);
    bool Active() const;
    void SetActive(bool on);
    std::int16_t LoRange() const;
    void SetLoRange(std::int16_t v);
    std::int16_t HiRange() const;
    void SetHiRange(std::int16_t v);
    std::uint16_t Decimals() const;
    void SetDecimals(std::uint16_t v);
    std::string Name() const;
    void SetName(const std::string& v);
    std::string Unit() const;
    void SetUnit(const std::string& v);

private:
    std::span<std::uint8_t, kSize> r_;
};

class TVro8CanSetup : public TVro8PlainBlock<TVro8CanSetup, 2180> {
public:
    static constexpr int kMessages = 32;

    TVro8CanMessageSetupWrapper Message(int index);
    const TVro8CanMessageSetupWrapper Message(int index) const;
    void Decode(std::span<const std::uint8_t> bytes) { DecodeBytes("CAN setup", bytes); }
};

// ---- signal types ------------------------------------------------------------------------------

inline constexpr int kVro8SignalTypes = 14;

// Text number of signal type 0..13 (1049 "DVX (DvxSensorInterface)" ...).
int Vro8SignalTypeText(int type);
// The types input `index` (0 = A) offers on the layout, in code order.
std::vector<int> Vro8SignalTypeList(int index, int comVersion);
// The code of one layout converted to another for the input letter. Layouts
// outside 2..5, layout 5, a code beyond the source's list and a type the
// target does not offer all give 0.
int ConvertSignal(int code, int fromLayout, int toLayout, char inputLetter);
// The name of the type that `code` selects for input `index` on the layout;
// empty when the code lies beyond the input's list.
std::string Vro8SignalTypeName(int index, int code, int comVersion);

} // namespace vro
