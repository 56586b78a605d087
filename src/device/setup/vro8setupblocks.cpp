#include "device/setup/vro8setupblocks.h"

#include "core/text/texts.h"
#include "core/util/bytes.h"
#include "core/values/dvxdatautils.h"
#include "core/values/vro8utils.h"

#include <algorithm>

namespace vro {

namespace {

template <typename T, std::size_t N>
T Get(std::span<std::uint8_t, N> r, std::size_t o)
{
    return GetLE<T>(std::span<const std::uint8_t>(r.data(), r.size()), o);
}

template <typename T, std::size_t N>
void Put(std::span<std::uint8_t, N> r, std::size_t o, T v)
{
    PutLE<T>(std::span<std::uint8_t>(r.data(), r.size()), o, v);
}

template <std::size_t N>
std::string GetText(std::span<std::uint8_t, N> r, std::size_t o, std::size_t width)
{
    return GetBufferString(width, std::span<const std::uint8_t>(r.data(), r.size()), o);
}

template <std::size_t N>
void PutText(std::span<std::uint8_t, N> r, std::size_t o, std::size_t width, const std::string& s)
{
    PutBufferString(s, width, std::span<std::uint8_t>(r.data(), r.size()), o);
}

void CheckLayout(int comVersion)
{
    if (comVersion < 1 || comVersion > 5)
        throw EVro8SetupBlock("Layout version " + std::to_string(comVersion) + " is not supported");
}


template <std::size_t Rec, std::size_t N>
std::span<std::uint8_t, Rec> Record(std::array<std::uint8_t, N>& a, int index, int count)
{
    if (index < 0 || index >= count)
        throw EVro8SetupBlock("Record index " + std::to_string(index) + " outside 0.." + std::to_string(count - 1));
    return std::span<std::uint8_t, Rec>(a.data() + static_cast<std::size_t>(index) * Rec, Rec);
}

} // namespace

void Vro8CheckBlockSize(const char* block, std::size_t got, std::size_t want)
{
    if (got != want)
        throw EVro8SetupBlock(std::string(block) + " block of " + std::to_string(got) + " bytes, expected " +
                              std::to_string(want));
}

int Vro8SensorCount(int comVersion) { return comVersion == 5 ? 5 : 12; }
int Vro8SmartInputCount(int comVersion) { return comVersion == 1 ? 0 : comVersion == 5 ? 3 : 4; }
int Vro8TriggerEventCount(int comVersion) { return comVersion == 5 ? 2 : 4; }

// ---- sensor record -----------------------------------------------------------------------------

std::uint32_t TVro8SensorSetupWrapper::Factor() const { return Get<std::uint32_t>(r_, 0); }
void TVro8SensorSetupWrapper::SetFactor(std::uint32_t v) { Put(r_, 0, v); }
std::int32_t TVro8SensorSetupWrapper::SubChannelMask() const { return Get<std::int32_t>(r_, 4); }
void TVro8SensorSetupWrapper::SetSubChannelMask(std::int32_t v) { Put(r_, 4, v); }
bool TVro8SensorSetupWrapper::ActiveState() const { return Get<std::uint16_t>(r_, 8) == 1; }
void TVro8SensorSetupWrapper::SetActiveState(bool on) { Put<std::uint16_t>(r_, 8, on ? 1 : 0); }
std::uint16_t TVro8SensorSetupWrapper::Mode() const { return Get<std::uint16_t>(r_, 10); }
void TVro8SensorSetupWrapper::SetMode(std::uint16_t v) { Put(r_, 10, v); }
std::uint16_t TVro8SensorSetupWrapper::Signal() const { return Get<std::uint16_t>(r_, 12); }
void TVro8SensorSetupWrapper::SetSignal(std::uint16_t v) { Put(r_, 12, v); }
std::int16_t TVro8SensorSetupWrapper::LoRange() const { return Get<std::int16_t>(r_, 14); }
void TVro8SensorSetupWrapper::SetLoRange(std::int16_t v) { Put(r_, 14, v); }
std::int16_t TVro8SensorSetupWrapper::HiRange() const { return Get<std::int16_t>(r_, 16); }
void TVro8SensorSetupWrapper::SetHiRange(std::int16_t v) { Put(r_, 16, v); }
std::uint16_t TVro8SensorSetupWrapper::Decimals() const { return Get<std::uint16_t>(r_, 18); }
void TVro8SensorSetupWrapper::SetDecimals(std::uint16_t v) { Put(r_, 18, v); }
std::string TVro8SensorSetupWrapper::Name() const { return GetText(r_, 20, 32); }
void TVro8SensorSetupWrapper::SetName(const std::string& v) { PutText(r_, 20, 32, v); }
std::string TVro8SensorSetupWrapper::MUnit() const { return GetText(r_, 52, 8); }
void TVro8SensorSetupWrapper::SetMUnit(const std::string& v) { PutText(r_, 52, 8, v); }

// ---- sensor block ------------------------------------------------------------------------------

std::size_t TVro8SensorSetup::TransferSize(int comVersion)
{
    return static_cast<std::size_t>(Vro8SensorCount(comVersion)) * TVro8SensorSetupWrapper::kSize;
}

TVro8SensorSetupWrapper TVro8SensorSetup::Sensor(int index)
{
    return {Record<TVro8SensorSetupWrapper::kSize>(bytes_, index, kRecords), index};
}

const TVro8SensorSetupWrapper TVro8SensorSetup::Sensor(int index) const
{
    return const_cast<TVro8SensorSetup*>(this)->Sensor(index);
}

// Layout 1 arrangement of a record: 0 Factor, 4 ActiveState, 6 Mode, 8 Signal,
// 10 spare, 12 LoRange, 14 HiRange, 16 Decimals, 18 spare, 20 Name, 52 MUnit.
std::vector<std::uint8_t> TVro8SensorSetup::Encode(int comVersion) const
{
    CheckLayout(comVersion);
    const std::size_t n = TransferSize(comVersion);
    std::vector<std::uint8_t> out(bytes_.begin(), bytes_.begin() + static_cast<long>(n));
    if (comVersion != 1)
        return out;
    for (std::size_t i = 0; i < kRecords; ++i) {
        const std::uint8_t* c = bytes_.data() + i * 60;
        std::uint8_t* o = out.data() + i * 60;
        std::fill(o, o + 60, 0);
        std::copy_n(c + 0, 4, o + 0);    // Factor
        std::copy_n(c + 8, 2, o + 4);    // ActiveState
        std::copy_n(c + 10, 2, o + 6);   // Mode
        std::copy_n(c + 12, 2, o + 8);   // Signal
        std::copy_n(c + 14, 2, o + 12);  // LoRange
        std::copy_n(c + 16, 2, o + 14);  // HiRange
        std::copy_n(c + 18, 2, o + 16);  // Decimals
        std::copy_n(c + 20, 40, o + 20); // Name, MUnit
    }
    return out;
}

void TVro8SensorSetup::Decode(int comVersion, std::span<const std::uint8_t> in)
{
    CheckLayout(comVersion);
    Vro8CheckBlockSize("Sensor setup", in.size(), TransferSize(comVersion));
    std::array<std::uint8_t, kSize> next = bytes_;
    if (comVersion == 1) {
        for (std::size_t i = 0; i < kRecords; ++i) {
            const std::uint8_t* s = in.data() + i * 60;
            std::uint8_t* c = next.data() + i * 60;
            std::fill(c, c + 60, 0); // SubChannelMask does not exist: 0
            std::copy_n(s + 0, 4, c + 0);
            std::copy_n(s + 4, 2, c + 8);
            std::copy_n(s + 6, 2, c + 10);
            std::copy_n(s + 8, 2, c + 12);
            std::copy_n(s + 12, 2, c + 14);
            std::copy_n(s + 14, 2, c + 16);
            std::copy_n(s + 16, 2, c + 18);
            std::copy_n(s + 20, 40, c + 20);
        }
    } else {
        std::copy(in.begin(), in.end(), next.begin());
    }
    bytes_ = next;
    for (int i = 0; i < kRecords; ++i)
        modeZero_[static_cast<std::size_t>(i)] = Sensor(i).Mode() == 0;
}

bool TVro8SensorSetup::ModeWasZero(int index) const
{
    return index >= 0 && index < kRecords && modeZero_[static_cast<std::size_t>(index)];
}

void TVro8SensorSetup::TakeSmartFlags(int comVersion, std::span<const std::uint8_t> flags)
{
    if (comVersion == 1) {
        smart_.fill(0);
        smartChanged_ = false;
        return;
    }
    const std::size_t n =
        std::min<std::size_t>(flags.size(), static_cast<std::size_t>(Vro8SmartInputCount(comVersion)));
    for (std::size_t i = 0; i < n; ++i) {
        if (smart_[i] != flags[i])
            smartChanged_ = true;
        smart_[i] = flags[i];
    }
}

std::uint8_t TVro8SensorSetup::SmartFlag(int input) const
{
    if (input < 0 || input > 3)
        return 0;
    return smart_[static_cast<std::size_t>(input)];
}

// ---- trigger events ----------------------------------------------------------------------------

std::uint32_t TVro8TriggerEventWrapper::StartDate() const { return Get<std::uint32_t>(r_, 0); }
void TVro8TriggerEventWrapper::SetStartDate(std::uint32_t v) { Put(r_, 0, v); }
std::uint32_t TVro8TriggerEventWrapper::StartTime() const { return Get<std::uint32_t>(r_, 4); }
void TVro8TriggerEventWrapper::SetStartTime(std::uint32_t v) { Put(r_, 4, v); }
double TVro8TriggerEventWrapper::StartDateValue() const { return StampToDateTime(StartDate()); }
void TVro8TriggerEventWrapper::SetStartDateValue(double x)
{
    SetStartDate(static_cast<std::uint32_t>(DateTimeToStamp(x)));
}
double TVro8TriggerEventWrapper::StartTimeValue() const { return StampToDateTime(StartTime()); }
void TVro8TriggerEventWrapper::SetStartTimeValue(double x)
{
    SetStartTime(static_cast<std::uint32_t>(DateTimeToStamp(x)));
}
bool TVro8TriggerEventWrapper::ActiveState() const { return Get<std::uint16_t>(r_, 8) == 1; }
void TVro8TriggerEventWrapper::SetActiveState(bool on) { Put<std::uint16_t>(r_, 8, on ? 1 : 0); }
std::uint16_t TVro8TriggerEventWrapper::Source() const { return Get<std::uint16_t>(r_, 10); }
void TVro8TriggerEventWrapper::SetSource(std::uint16_t v) { Put(r_, 10, v); }
std::uint16_t TVro8TriggerEventWrapper::Input() const { return Get<std::uint16_t>(r_, 12); }
void TVro8TriggerEventWrapper::SetInput(std::uint16_t v) { Put(r_, 12, v); }
std::uint16_t TVro8TriggerEventWrapper::Edge() const { return Get<std::uint16_t>(r_, 14); }
void TVro8TriggerEventWrapper::SetEdge(std::uint16_t v) { Put(r_, 14, v); }
std::uint8_t TVro8TriggerEventWrapper::Sensor() const { return r_[16]; }
void TVro8TriggerEventWrapper::SetSensor(std::uint8_t v) { r_[16] = v; }
std::uint8_t TVro8TriggerEventWrapper::SubChannel() const { return r_[17]; }
void TVro8TriggerEventWrapper::SetSubChannel(std::uint8_t v) { r_[17] = v; }
std::int16_t TVro8TriggerEventWrapper::Value() const { return Get<std::int16_t>(r_, 18); }
void TVro8TriggerEventWrapper::SetValue(std::int16_t v) { Put(r_, 18, v); }
std::uint16_t TVro8TriggerEventWrapper::Direction() const { return Get<std::uint16_t>(r_, 20); }
void TVro8TriggerEventWrapper::SetDirection(std::uint16_t v) { Put(r_, 20, v); }
std::int16_t TVro8TriggerEventWrapper::LoLimet() const { return Get<std::int16_t>(r_, 22); }
void TVro8TriggerEventWrapper::SetLoLimet(std::int16_t v) { Put(r_, 22, v); }
std::int16_t TVro8TriggerEventWrapper::HiLimit() const { return Get<std::int16_t>(r_, 24); }
void TVro8TriggerEventWrapper::SetHiLimit(std::int16_t v) { Put(r_, 24, v); }
std::uint16_t TVro8TriggerEventWrapper::Count() const { return Get<std::uint16_t>(r_, 26); }
void TVro8TriggerEventWrapper::SetCount(std::uint16_t v) { Put(r_, 26, v); }
std::uint16_t TVro8TriggerEventWrapper::Distance() const { return Get<std::uint16_t>(r_, 28); }
void TVro8TriggerEventWrapper::SetDistance(std::uint16_t v) { Put(r_, 28, v); }
std::uint16_t TVro8TriggerEventWrapper::StartMode() const { return Get<std::uint16_t>(r_, 30); }
void TVro8TriggerEventWrapper::SetStartMode(std::uint16_t v) { Put(r_, 30, v); }

std::size_t TVro8TriggerSetup::TransferSize(int comVersion) { return comVersion == 5 ? 68 : 132; }

TVro8TriggerEventWrapper TVro8TriggerSetup::Event(int index)
{
    return TVro8TriggerEventWrapper(Record<TVro8TriggerEventWrapper::kSize>(bytes_, index, kEvents));
}

const TVro8TriggerEventWrapper TVro8TriggerSetup::Event(int index) const
{
    return const_cast<TVro8TriggerSetup*>(this)->Event(index);
}

std::uint32_t TVro8TriggerSetup::Combination() const { return GetLE<std::uint32_t>(bytes_, 128); }
void TVro8TriggerSetup::SetCombination(std::uint32_t v) { PutLE<std::uint32_t>(bytes_, 128, v); }

std::vector<std::uint8_t> TVro8TriggerSetup::Encode(int comVersion) const
{
    CheckLayout(comVersion);
    if (comVersion == 5) {
        std::vector<std::uint8_t> out(bytes_.begin(), bytes_.begin() + 64);
        out.insert(out.end(), bytes_.begin() + 128, bytes_.end());
        return out;
    }
    std::vector<std::uint8_t> out(bytes_.begin(), bytes_.end());
    if (comVersion == 1)
        for (std::size_t e = 0; e < kEvents; ++e)
            out[e * 32 + 17] = 0;
    return out;
}

void TVro8TriggerSetup::Decode(int comVersion, std::span<const std::uint8_t> in)
{
    CheckLayout(comVersion);
    Vro8CheckBlockSize("Trigger setup", in.size(), TransferSize(comVersion));
    if (comVersion == 5) {
        std::copy_n(in.begin(), 64, bytes_.begin());
        std::copy_n(in.begin() + 64, 4, bytes_.begin() + 128);
    } else {
        std::copy(in.begin(), in.end(), bytes_.begin());
    }
}

// ---- recording, base, display ------------------------------------------------------------------

std::uint32_t TVro8RecordingSetup::RecordingNumber() const { return GetLE<std::uint32_t>(bytes_, 0); }
void TVro8RecordingSetup::SetRecordingNumber(std::uint32_t v) { PutLE(std::span<std::uint8_t>(bytes_), 0, v); }
std::uint16_t TVro8RecordingSetup::RecordingType() const { return GetLE<std::uint16_t>(bytes_, 4); }
void TVro8RecordingSetup::SetRecordingType(std::uint16_t v) { PutLE(std::span<std::uint8_t>(bytes_), 4, v); }
std::uint16_t TVro8RecordingSetup::SampleRate() const { return GetLE<std::uint16_t>(bytes_, 6); }
void TVro8RecordingSetup::SetSampleRate(std::uint16_t v) { PutLE(std::span<std::uint8_t>(bytes_), 6, v); }
std::uint16_t TVro8RecordingSetup::Duration() const { return GetLE<std::uint16_t>(bytes_, 8); }
void TVro8RecordingSetup::SetDuration(std::uint16_t v) { PutLE(std::span<std::uint8_t>(bytes_), 8, v); }
std::uint16_t TVro8RecordingSetup::SimpleCurvMode() const { return GetLE<std::uint16_t>(bytes_, 10); }
void TVro8RecordingSetup::SetSimpleCurvMode(std::uint16_t v) { PutLE(std::span<std::uint8_t>(bytes_), 10, v); }
std::uint16_t TVro8RecordingSetup::TriggerPosition() const { return GetLE<std::uint16_t>(bytes_, 12); }
void TVro8RecordingSetup::SetTriggerPosition(std::uint16_t v) { PutLE(std::span<std::uint8_t>(bytes_), 12, v); }
std::string TVro8RecordingSetup::RecordingName() const { return GetBufferString(32, bytes_, 14); }
void TVro8RecordingSetup::SetRecordingName(const std::string& v)
{
    // Trimmed, cut to 32 characters, and trimmed again as it stands in the
    // block (the cut or the conversion to ISO-8859-1 may leave blanks or
    // control characters at the end), so that a stored name reads back trimmed.
    PutBufferString(DvxTrim(v), 32, bytes_, 14);
    PutBufferString(DvxTrim(RecordingName()), 32, bytes_, 14);
}

std::uint16_t TVro8BaseSetup::PreassureUnit() const { return GetLE<std::uint16_t>(bytes_, 4); }
void TVro8BaseSetup::SetPreassureUnit(std::uint16_t v) { PutLE(std::span<std::uint8_t>(bytes_), 4, v); }
std::uint16_t TVro8BaseSetup::TemperatureUnit() const { return GetLE<std::uint16_t>(bytes_, 6); }
void TVro8BaseSetup::SetTemperatureUnit(std::uint16_t v) { PutLE(std::span<std::uint8_t>(bytes_), 6, v); }
std::uint16_t TVro8BaseSetup::FlowUnit() const { return GetLE<std::uint16_t>(bytes_, 8); }
void TVro8BaseSetup::SetFlowUnit(std::uint16_t v) { PutLE(std::span<std::uint8_t>(bytes_), 8, v); }

std::uint16_t TVro8DisplaySetup::Kind() const { return GetLE<std::uint16_t>(bytes_, 0); }
void TVro8DisplaySetup::SetKind(std::uint16_t v) { PutLE(std::span<std::uint8_t>(bytes_), 0, v); }
std::uint16_t TVro8DisplaySetup::MinMax() const { return GetLE<std::uint16_t>(bytes_, 2); }
void TVro8DisplaySetup::SetMinMax(std::uint16_t v) { PutLE(std::span<std::uint8_t>(bytes_), 2, v); }
std::uint16_t TVro8DisplaySetup::Bar() const { return GetLE<std::uint16_t>(bytes_, 4); }
void TVro8DisplaySetup::SetBar(std::uint16_t v) { PutLE(std::span<std::uint8_t>(bytes_), 4, v); }
std::uint16_t TVro8DisplaySetup::Filter() const { return GetLE<std::uint16_t>(bytes_, 6); }
void TVro8DisplaySetup::SetFilter(std::uint16_t v) { PutLE(std::span<std::uint8_t>(bytes_), 6, v); }

// ---- CAN ---------------------------------------------------------------------------------------

std::uint32_t TVro8CanMessageSetupWrapper::MessageId() const { return Get<std::uint32_t>(r_, 0); }
void TVro8CanMessageSetupWrapper::SetMessageId(std::uint32_t v) { Put(r_, 0, v); }
std::int32_t TVro8CanMessageSetupWrapper::LoRawRange() const { return Get<std::int32_t>(r_, 4); }
void TVro8CanMessageSetupWrapper::SetLoRawRange(std::int32_t v) { Put(r_, 4, v); }
std::int32_t TVro8CanMessageSetupWrapper::HiRawRange() const { return Get<std::int32_t>(r_, 8); }
void TVro8CanMessageSetupWrapper::SetHiRawRange(std::int32_t v) { Put(r_, 8, v); }
std::uint16_t TVro8CanMessageSetupWrapper::DataOffset() const { return Get<std::uint16_t>(r_, 12); }
void TVro8CanMessageSetupWrapper::SetDataOffset(std::uint16_t v) { Put(r_, 12, v); }
std::uint16_t TVro8CanMessageSetupWrapper::DataFormat() const { return Get<std::uint16_t>(r_, 14); }
void TVro8CanMessageSetupWrapper::SetDataFormat(std::uint16_t v) { Put(r_, 14, v); }
std::uint16_t TVro8CanMessageSetupWrapper::FrameFormat() const { return Get<std::uint16_t>(r_, 16); }
void TVro8CanMessageSetupWrapper::SetFrameFormat(std::uint16_t v) { Put(r_, 16, v); }
std::uint16_t TVro8CanMessageSetupWrapper::ByteOrder() const { return Get<std::uint16_t>(r_, 18); }
void TVro8CanMessageSetupWrapper::SetByteOrder(std::uint16_t v) { Put(r_, 18, v); }
bool TVro8CanMessageSetupWrapper::Active() const { return Get<std::uint16_t>(r_, 20) == 1; }
void TVro8CanMessageSetupWrapper::SetActive(bool on) { Put<std::uint16_t>(r_, 20, on ? 1 : 0); }
std::int16_t TVro8CanMessageSetupWrapper::LoRange() const { return Get<std::int16_t>(r_, 22); }
void TVro8CanMessageSetupWrapper::SetLoRange(std::int16_t v) { Put(r_, 22, v); }
std::int16_t TVro8CanMessageSetupWrapper::HiRange() const { return Get<std::int16_t>(r_, 24); }
void TVro8CanMessageSetupWrapper::SetHiRange(std::int16_t v) { Put(r_, 24, v); }
std::uint16_t TVro8CanMessageSetupWrapper::Decimals() const { return Get<std::uint16_t>(r_, 26); }
void TVro8CanMessageSetupWrapper::SetDecimals(std::uint16_t v) { Put(r_, 26, v); }
std::string TVro8CanMessageSetupWrapper::Name() const { return GetText(r_, 28, 32); }
void TVro8CanMessageSetupWrapper::SetName(const std::string& v) { PutText(r_, 28, 32, v); }
std::string TVro8CanMessageSetupWrapper::Unit() const { return GetText(r_, 60, 7); }
void TVro8CanMessageSetupWrapper::SetUnit(const std::string& v) { PutText(r_, 60, 7, v); }

TVro8CanMessageSetupWrapper TVro8CanSetup::Message(int index)
{
    return TVro8CanMessageSetupWrapper(Record<TVro8CanMessageSetupWrapper::kSize>(bytes_, index, kMessages));
}

const TVro8CanMessageSetupWrapper TVro8CanSetup::Message(int index) const
{
    return const_cast<TVro8CanSetup*>(this)->Message(index);
}

// ---- signal types ------------------------------------------------------------------------------

namespace {

constexpr int kSignalTexts[kVro8SignalTypes] = {1049, 1050, 1051, 1075, 1052, 1053, 1054,
                                                1055, 1056, 1057, 1058, 1059, 1060, 1061};

// One row per input group; bit 0: the type exists on layout 2, bit 1 on 3, bit 2 on 4.
constexpr std::uint8_t kAvailability[6][kVro8SignalTypes] = {
    {7, 7, 7, 6, 7, 7, 0, 7, 7, 7, 7, 0, 0, 0}, // A, B
    {7, 7, 7, 6, 7, 7, 7, 7, 7, 7, 7, 0, 0, 0}, // C, D
    {7, 7, 7, 6, 4, 4, 0, 6, 4, 4, 4, 4, 0, 0}, // E
    {7, 7, 7, 6, 4, 4, 0, 6, 4, 4, 4, 0, 0, 0}, // F, G
    {7, 7, 7, 6, 4, 4, 0, 6, 4, 4, 4, 7, 0, 0}, // H
    {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 7, 7}, // I, J and above
};

int RowOfLetter(char letter)
{
    const int c = (letter >= 'A' && letter <= 'Z') ? letter - 'A' + 'a' : letter;
    switch (c) {
    case 'a':
    case 'b': return 0;
    case 'c':
    case 'd': return 1;
    case 'e': return 2;
    case 'f':
    case 'g': return 3;
    case 'h': return 4;
    default: return c < 'a' ? 0 : 5; // letters beyond j count as j
    }
}

// Bit of the layout in the availability table; -1 for layouts it does not cover.
int LayoutBit(int layout) { return layout >= 2 && layout <= 4 ? layout - 2 : -1; }

} // namespace

int Vro8SignalTypeText(int type) { return type >= 0 && type < kVro8SignalTypes ? kSignalTexts[type] : 0; }

std::vector<int> Vro8SignalTypeList(int index, int comVersion)
{
    if (comVersion == 5) {
        if (index >= 0 && index <= 2)
            return {0};
        if (index == 3)
            return {12, 13};
        return {};
    }
    // Layout 1 offers what layout 2 offers; inputs beyond J count as J.
    const int bit = LayoutBit(comVersion == 1 ? 2 : comVersion);
    if (bit < 0 || index < 0)
        return {};
    const int row = RowOfLetter(static_cast<char>('a' + std::min(index, 25)));
    std::vector<int> list;
    for (int t = 0; t < kVro8SignalTypes; ++t)
        if (kAvailability[row][t] & (1 << bit))
            list.push_back(t);
    return list;
}

int ConvertSignal(int code, int fromLayout, int toLayout, char inputLetter)
{
    const int from = LayoutBit(fromLayout);
    const int to = LayoutBit(toLayout);
    if (from < 0 || to < 0 || code < 0)
        return 0;
    const int row = RowOfLetter(inputLetter);
    int column = -1;
    for (int t = 0, seen = 0; t < kVro8SignalTypes; ++t)
        if (kAvailability[row][t] & (1 << from)) {
            if (seen == code) {
                column = t;
                break;
            }
            ++seen;
        }
    if (column < 0 || !(kAvailability[row][column] & (1 << to)))
        return 0;
    int position = 0;
    for (int t = 0; t < column; ++t)
        if (kAvailability[row][t] & (1 << to))
            ++position;
    return position;
}

std::string Vro8SignalTypeName(int index, int code, int comVersion)
{
    const std::vector<int> list = Vro8SignalTypeList(index, comVersion);
    if (code < 0 || static_cast<std::size_t>(code) >= list.size())
        return {};
    return text(Vro8SignalTypeText(list[static_cast<std::size_t>(code)]));
}

} // namespace vro
