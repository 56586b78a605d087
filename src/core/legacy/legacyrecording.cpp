#include "core/legacy/legacyrecording.h"

#include "core/util/text.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string_view>

#include "core/util/bytes.h"

namespace vro {

namespace {

constexpr std::string_view kText1 = "VRODESK V2.XX binary Measurefile for VRO";
constexpr std::string_view kText2 = "VRODESK Version 97 binary Measurefile   ";
constexpr std::string_view kText3 = "KORVATEK/VROWIN/V 1.0/Measure           ";

// Header block: file offsets.
constexpr std::size_t kKind = 80, kStart = 81, kEnd = 85, kNumber = 89, kName = 93, kRecords = 109, kPresent = 111,
                      kSensorLo = 119, kSensorHi = 135, kDecimals = 151, kUnits = 159, kPreTrigger = 266,
                      kRateCode = 268, kTrigState = 269, kDescription = 310, kDisplayLo = 404, kDisplayHi = 420,
                      kUnitCode = 436, kVisible = 452, kCommentLen = 464, kComment = 466, kCommentSlot = 1023,
                      kNames = 1491;
// End of the header block of variant 1 and of variants 2 and 3.
constexpr std::size_t kBlockEnd1 = 80 + 1411, kBlockEnd23 = 80 + 1475;
// Variant 3: counts block and channel table.
constexpr std::size_t kV3EventFlag = 1555, kV3Records = 1567, kV3Channels = 1571, kV3XAxis = 1575, kV3Left = 1579,
                      kV3Right = 1583, kV3PreTrigger = 1587, kV3RateCode = 1591, kV3Table = 1603, kV3RecordSize = 80,
                      kV3End = kV3Table + 8 * kV3RecordSize;

constexpr std::array<const char*, 8> kInputLetters = {"A", "B", "C", "D", "E", "F", "A-B", "C-D"};
constexpr std::array<int, 7> kUnitCodeToColorClass = {4, 2, 14, 9, 13, 11, 0};
constexpr std::array<int, 16> kColorClassToIndex = {9, 0, 2, 3, 1, 0, 6, 8, 8, 0, 2, 7, 5, 4, 6, 8};
constexpr std::array<int, 16> kRateCodeToRow = {3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 27, 14, 15, 16, 17, 1};

bool Matches(std::span<const std::uint8_t> header, std::string_view text)
{
    return header.size() >= text.size() && std::memcmp(header.data(), text.data(), text.size()) == 0;
}

int ColorFromClass(long long colorClass, int channelIndex)
{
    if (colorClass < 0 || colorClass >= static_cast<long long>(kColorClassToIndex.size()))
        return channelIndex % 10;
    return kColorClassToIndex[static_cast<std::size_t>(colorClass)];
}

int StyleFromCode(long long code) { return code == 2 ? 2 : 0; }

std::int32_t RowFromRateCode(long long code)
{
    if (code < 0 || code >= static_cast<long long>(kRateCodeToRow.size()))
        return -1;
    return kRateCodeToRow[static_cast<std::size_t>(code)];
}

} // namespace

// Reads the fields of one file into a TLegacyRecording. All reads go through
// the bounds-checked helpers; a field beyond the file is a corrupted file.
class TLegacyParser {
public:
    TLegacyParser(std::span<const std::uint8_t> file, TCodePage oem) : f_(file), oem_(oem) {}

    TLegacyRecording Parse()
    {
        TLegacyRecording r;
        r.variant_ = TLegacyRecording::DetectVariant(f_);
        if (r.variant_ == 0)
            throw std::invalid_argument("not a legacy recording file");
        text_ = r.variant_ == 3 ? TCodePage::Win1252 : oem_;
        Need(r.variant_ == 1 ? kBlockEnd1 : kBlockEnd23, "header block");

        const bool kindEvent = f_[kKind] == 0;
        const std::int32_t start = GetI32(f_, kStart);
        const std::int32_t end = GetI32(f_, kEnd);
        r.number_ = GetI32(f_, kNumber);
        r.name_ = Text(kName, 16);
        r.description_ = Text(kDescription, 81);
        const std::size_t commentLen = std::min<std::size_t>(GetU16(f_, kCommentLen), kCommentSlot);
        r.comment_ = Convert(kComment, commentLen);
        r.triggerState_ = f_[kTrigState];

        std::vector<int> present;
        for (int i = 0; i < 8; ++i)
            if (f_[kPresent + static_cast<std::size_t>(i)] != 0)
                present.push_back(i);

        std::size_t dataStart = 0;
        long long recordCount = 0;
        if (r.variant_ == 3) {
            Need(kV3End, "channel table");
            r.eventLog_ = GetI32(f_, kV3EventFlag) != 0;
            recordCount = GetI32(f_, kV3Records);
            const std::int32_t channelCount = GetI32(f_, kV3Channels);
            if (channelCount < 1 || channelCount > 8)
                throw ECorruptedFile("channel count " + std::to_string(channelCount) + " outside 1..8");
            if (static_cast<std::size_t>(channelCount) != present.size())
                throw ECorruptedFile("channel count " + std::to_string(channelCount) + " differs from the " +
                                     std::to_string(present.size()) + " present inputs");
            // Stored as channel + 1; anything outside the channels is the time axis.
            const std::int64_t x = static_cast<std::int64_t>(GetI32(f_, kV3XAxis)) - 1;
            r.xAxis_ = x >= 0 && x < channelCount ? static_cast<std::int32_t>(x) : -1;
            r.leftAxis_ = GetI32(f_, kV3Left);
            r.rightAxis_ = GetI32(f_, kV3Right);
            r.preTrigger_ = GetI32(f_, kV3PreTrigger);
            r.sampleRate_ = RowFromRateCode(GetI32(f_, kV3RateCode));
            ReadChannelTable(r, present, channelCount);
            dataStart = kV3End;
        } else {
            r.eventLog_ = kindEvent;
            recordCount = GetU16(f_, kRecords);
            r.preTrigger_ = GetI16(f_, kPreTrigger);
            r.sampleRate_ = RowFromRateCode(f_[kRateCode]);
            r.xAxis_ = -1;
            r.leftAxis_ = 1;
            r.rightAxis_ = 2;
            DeriveChannels(r, present);
            dataStart = r.variant_ == 1 ? kBlockEnd1 : kBlockEnd23;
        }
        if (present.empty())
            throw ECorruptedFile("no input is present");
        if (recordCount < 1)
            throw ECorruptedFile("record count " + std::to_string(recordCount));

        // The data must all be there before anything is allocated.
        const auto n = static_cast<unsigned long long>(recordCount);
        const unsigned long long perRecord = 2ULL * present.size() + (r.eventLog_ ? 5ULL : 0ULL);
        const unsigned long long available = f_.size() - dataStart;
        if (n > available / perRecord)
            throw ECorruptedFile("the file holds " + std::to_string(available) + " data bytes, " +
                                 std::to_string(recordCount) + " records need " + std::to_string(n * perRecord));
        r.recordCount_ = static_cast<std::int32_t>(recordCount);
        // A pretrigger count outside the samples names no sample: none.
        if (r.preTrigger_ < 0 || r.preTrigger_ > r.recordCount_)
            r.preTrigger_ = 0;

        // Sample arrays in input order; each channel takes the array of its input.
        std::array<std::size_t, 8> arrayOffset{};
        for (std::size_t k = 0; k < present.size(); ++k)
            arrayOffset[static_cast<std::size_t>(present[k])] = dataStart + k * 2 * n;
        for (auto& ch : r.channels_) {
            ch.Values.resize(n);
            const std::size_t base = arrayOffset[static_cast<std::size_t>(ch.Input)];
            for (std::size_t i = 0; i < n; ++i) {
                const std::int16_t v = GetI16(f_, base + 2 * i);
                ch.Values[i] = v == -32768 ? INT32_MIN : v;
            }
        }
        if (r.eventLog_) {
            const std::size_t stampBase = dataStart + present.size() * 2 * n;
            const std::size_t stateBase = stampBase + 4 * n;
            // A log that started before 2000 is moved to 2000-01-01 at its own
            // time of day (a start at midnight stays on the first day).
            std::int64_t correction = 0;
            if (start < TLegacyRecording::kSecondsTo2000) {
                correction = (TLegacyRecording::kSecondsTo2000 - start + 86399) / 86400 * 86400;
                r.before2000_ = true;
            }
            r.stamps_.resize(n);
            r.states_.resize(n);
            for (std::size_t i = 0; i < n; ++i) {
                const std::int64_t s = static_cast<std::int64_t>(GetU32(f_, stampBase + 4 * i)) + correction -
                                       TLegacyRecording::kSecondsTo2000;
                r.stamps_[i] = static_cast<std::uint32_t>(std::clamp<std::int64_t>(s, 0, INT32_MAX));
                r.states_[i] = f_[stateBase + i];
            }
        }
        r.start_ = start / 86400.0 + TLegacyRecording::kDay1992;
        if (r.eventLog_)
            r.stop_ = end / 86400.0 + TLegacyRecording::kDay1992;
        else
            r.trigger_ = end / 86400.0 + TLegacyRecording::kDay1992;
        return r;
    }

private:
    void Need(std::size_t end, const char* what) const
    {
        if (f_.size() < end)
            throw ECorruptedFile(std::string(what) + " cut short: " + std::to_string(f_.size()) + " of " +
                                 std::to_string(end) + " bytes");
    }

    std::string Convert(std::size_t offset, std::size_t count) const
    {
        CheckRange(f_.size(), offset, count);
        return CodePageToUtf8(std::string_view(reinterpret_cast<const char*>(f_.data() + offset), count), text_);
    }

    // A length-prefixed string in a slot of `slot` bytes; a length byte that
    // does not fit the slot is cut to it.
    std::string Text(std::size_t offset, std::size_t slot) const
    {
        CheckRange(f_.size(), offset, slot);
        const std::size_t len = std::min<std::size_t>(f_[offset], slot - 1);
        return Convert(offset + 1, len);
    }

    void DeriveChannels(TLegacyRecording& r, const std::vector<int>& present)
    {
        const bool names = r.variant_ != 1;
        for (int input : present) {
            const auto in = static_cast<std::size_t>(input);
            TLegacyChannel ch;
            ch.Input = input;
            ch.DeviceName = std::string("Channel ") + kInputLetters[in];
            if (names)
                ch.CustomName = Trim(Text(kNames + 8 * in, 8));
            const int index = static_cast<int>(r.channels_.size());
            const int unitCode = f_[kUnitCode + in];
            ch.ColorIndex = unitCode < static_cast<int>(kUnitCodeToColorClass.size())
                                ? ColorFromClass(kUnitCodeToColorClass[static_cast<std::size_t>(unitCode)], index)
                                : index % 10;
            ch.Style = StyleFromCode(r.eventLog_ ? 2 : 1);
            ch.Visible = f_[kVisible + in] != 0;
            ch.DeviceLoRange = ch.FullLoRange = GetI16(f_, kSensorLo + 2 * in);
            ch.DeviceHiRange = ch.FullHiRange = GetI16(f_, kSensorHi + 2 * in);
            ch.Decimals = CheckDecimals(f_[kDecimals + in], input);
            ch.MeasureUnit = Trim(Text(kUnits + 6 * in, 6));
            ch.DisplayLoRange = GetI16(f_, kDisplayLo + 2 * in);
            ch.DisplayHiRange = GetI16(f_, kDisplayHi + 2 * in);
            r.channels_.push_back(std::move(ch));
        }
    }

    void ReadChannelTable(TLegacyRecording& r, const std::vector<int>& present, int count)
    {
        std::array<bool, 8> taken{};
        for (int k = 0; k < count; ++k) {
            const std::size_t rec = kV3Table + static_cast<std::size_t>(k) * kV3RecordSize;
            const std::int32_t input = GetI32(f_, rec);
            if (input < 0 || input > 7)
                throw ECorruptedFile("channel " + std::to_string(k) + ": input " + std::to_string(input));
            const auto in = static_cast<std::size_t>(input);
            if (std::find(present.begin(), present.end(), input) == present.end() || taken[in])
                throw ECorruptedFile("channel " + std::to_string(k) + ": input " + std::to_string(input) +
                                     " is not present or described twice");
            taken[in] = true;
            TLegacyChannel ch;
            ch.Input = input;
            ch.DeviceName = std::string("Channel ") + kInputLetters[in];
            ch.CustomName = Trim(Text(rec + 4, 9));
            ch.ColorIndex = ColorFromClass(GetI32(f_, rec + 36), k);
            ch.Style = StyleFromCode(GetI32(f_, rec + 40));
            ch.Visible = GetI32(f_, rec + 44) != 0;
            ch.DeviceLoRange = GetI16(f_, kSensorLo + 2 * in);
            ch.DeviceHiRange = GetI16(f_, kSensorHi + 2 * in);
            ch.FullLoRange = GetI32(f_, rec + 48);
            ch.FullHiRange = GetI32(f_, rec + 52);
            ch.Decimals = CheckDecimals(GetI32(f_, rec + 56), input);
            ch.MeasureUnit = Trim(Text(rec + 60, 6));
            ch.DisplayHiRange = GetI32(f_, rec + 68);
            ch.DisplayLoRange = GetI32(f_, rec + 72);
            r.channels_.push_back(std::move(ch));
        }
    }

    static int CheckDecimals(long long d, int input)
    {
        if (d < 0 || d > 8)
            throw ECorruptedFile("input " + std::to_string(input) + ": " + std::to_string(d) + " decimals");
        return static_cast<int>(d);
    }

    std::span<const std::uint8_t> f_;
    TCodePage oem_;
    TCodePage text_ = TCodePage::Oem850;
};

int TLegacyRecording::DetectVariant(std::span<const std::uint8_t> header)
{
    if (header.size() < kHeaderSize)
        return 0;
    if (Matches(header, kText3))
        return 3;
    if (Matches(header, kText1))
        return 1;
    if (Matches(header, kText2))
        return 2;
    return 0;
}

TLegacyRecording TLegacyRecording::Read(std::span<const std::uint8_t> file, TCodePage oemPage)
{
    try {
        return TLegacyParser(file, oemPage).Parse();
    } catch (const EBufferRange& e) {
        throw ECorruptedFile(e.what());
    }
}

std::unique_ptr<TLegacyRecording> CreateLegacyReader(std::span<const std::uint8_t> file, std::string* error,
                                                     TCodePage oemPage)
{
    try {
        return std::make_unique<TLegacyRecording>(TLegacyRecording::Read(file, oemPage));
    } catch (const std::exception& e) {
        if (error)
            *error = e.what();
        return nullptr;
    }
}

} // namespace vro
