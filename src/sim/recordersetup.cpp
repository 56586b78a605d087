// The live setup blocks (R/S 100..107 but 104 and 106), the settings
// directory (R 24, R 25) and the smart-sensor texts (R 50, R 51, R 52).
#include "sim/recorder.h"

#include "core/util/bytes.h"
#include "link/vro8commands.h"

#include <algorithm>
#include <cstring>

namespace vro::sim {

std::uint16_t TSimRecorder::AddSetup(const std::string& name, std::uint32_t number, std::optional<std::uint32_t> date)
{
    TLock l(mutex_);
    TSetup s{NextHandle(), name, number, date.value_or(Now2000()), blocks_};
    // Each stored entry carries its own name as the recording name, so that
    // a test can tell which setup landed where.
    PutText(s.Blocks[102], 14, 32, name);
    setups_.push_back(std::move(s));
    return setups_.back().Handle;
}

std::size_t TSimRecorder::SetupCount() const
{
    TLock l(mutex_);
    return setups_.size();
}

std::vector<std::uint8_t> TSimRecorder::Block(std::uint8_t number) const
{
    TLock l(mutex_);
    auto it = blocks_.find(number);
    return it == blocks_.end() ? std::vector<std::uint8_t>{} : it->second;
}

// The live setup blocks in the recorder's own arrangement for its layout.
void TSimRecorder::InitBlocks()
{
    const int v = profile_.ComVersion;
    const std::size_t sensors = v == 5 ? 5 : 12;
    TByteString sensor(sensors * 60, 0);
    for (std::size_t i = 0; i < sensors; ++i) {
        const std::size_t o = i * 60;
        PutLE<std::uint32_t>(sensor, o, 0x00010001u * static_cast<std::uint32_t>(i + 1)); // Factor
        if (v == 1) {
            PutLE<std::uint16_t>(sensor, o + 4, i < 4 ? 1 : 0); // ActiveState
            PutLE<std::uint16_t>(sensor, o + 6, 0);             // Mode
            PutLE<std::uint16_t>(sensor, o + 8, static_cast<std::uint16_t>(i % 3));
            PutLE<std::uint16_t>(sensor, o + 12, static_cast<std::uint16_t>(-100));
            PutLE<std::uint16_t>(sensor, o + 14, 1000);
            PutLE<std::uint16_t>(sensor, o + 16, 1);
        } else {
            PutLE<std::uint32_t>(sensor, o + 4, static_cast<std::uint32_t>(i == 4 ? 0x3 : 0)); // SubChannelMask
            PutLE<std::uint16_t>(sensor, o + 8, i < 4 ? 1 : 0);
            PutLE<std::uint16_t>(sensor, o + 10, 0);
            PutLE<std::uint16_t>(sensor, o + 12, static_cast<std::uint16_t>(i % 3));
            PutLE<std::uint16_t>(sensor, o + 14, static_cast<std::uint16_t>(-100));
            PutLE<std::uint16_t>(sensor, o + 16, 1000);
            PutLE<std::uint16_t>(sensor, o + 18, 1);
        }
        PutText(sensor, o + 20, 32, std::string("Input ") + static_cast<char>('A' + i));
        PutText(sensor, o + 52, 8, "bar");
    }
    blocks_[100] = sensor;
    TByteString trig(v == 5 ? 68 : 132, 0);
    const std::size_t events = v == 5 ? 2 : 4;
    for (std::size_t e = 0; e < events; ++e) {
        TSimTriggerEvent t{};
        t.ActiveState = e == 0 ? 1 : 0;
        t.Source = static_cast<std::uint16_t>(e % 5);
        t.Sensor = static_cast<std::uint8_t>(e);
        t.SubChannel = static_cast<std::uint8_t>(e + 1);
        t.Value = static_cast<std::int16_t>(100 * (e + 1));
        auto b = WriteTriggerEvent(t);
        std::copy(b.begin(), b.end(), trig.begin() + static_cast<long>(e * 32));
    }
    PutLE<std::uint32_t>(trig, events * 32, 1);
    blocks_[101] = trig;
    TByteString rec(48, 0);
    PutLE<std::uint32_t>(rec, 0, 17);
    PutLE<std::uint16_t>(rec, 4, 0);
    PutLE<std::uint16_t>(rec, 6, 5);
    PutLE<std::uint16_t>(rec, 8, 3);
    PutText(rec, 14, 32, "Recording");
    blocks_[102] = rec;
    TByteString disp(12, 0);
    PutLE<std::uint16_t>(disp, 0, 1);
    blocks_[103] = disp;
    TByteString base(12, 0);
    PutLE<std::uint16_t>(base, 4, 1);
    blocks_[105] = base;
    if (v == 4) {
        TByteString can(2180, 0);
        for (std::size_t m = 0; m < 32; ++m) {
            PutLE<std::uint32_t>(can, m * 68, 0x100 + static_cast<std::uint32_t>(m));
            PutText(can, m * 68 + 28, 32, "CAN " + std::to_string(m + 1));
        }
        blocks_[107] = can;
    } else {
        blocks_.erase(107);
    }
    // R 50: the sub-channel count of the smart sensor on each input with a flag.
    smartFlags_ = TByteString(v == 5 ? 3 : 4, 0);
    if (profile_.SmartSubChannels) {
        for (std::size_t i = 0; i < smartFlags_.size() && i < profile_.SmartSubChannels->size(); ++i)
            smartFlags_[i] = static_cast<std::uint8_t>(std::clamp((*profile_.SmartSubChannels)[i], 0, 32));
    } else {
        smartFlags_[1] = 1;
    }
    if (v == 4 && profile_.CanBusInput >= 0 && profile_.CanBusInput < 4) {
        const auto in = static_cast<std::size_t>(profile_.CanBusInput);
        smartFlags_[in] = 1;
        // The CAN-bus input carries no name of its own, so that its summary
        // is the sensor's text alone; messages 1 and 2 are on the bus.
        PutText(blocks_[100], in * 60 + 20, 32, "");
        TByteString& can = blocks_[107];
        for (std::size_t m = 0; m < 2; ++m) {
            PutLE<std::uint16_t>(can, m * 68 + 20, 1);    // Active
            PutLE<std::uint16_t>(can, m * 68 + 24, 1000); // HiRange
            PutLE<std::uint16_t>(can, m * 68 + 26, 1);    // Decimals
            PutText(can, m * 68 + 60, 7, "bar");
        }
    }
    defaultSensorBlock_ = blocks_[100];
    FollowSensorBlock();
}

namespace {

// The sensors the recorder finds on its inputs: the first four as the
// default list has them, the others a plain pressure sensor each.
TSimChannel SensorOnInput(std::size_t input, const std::vector<TSimChannel>& known)
{
    if (input < 4)
        return known[input];
    const char letter = static_cast<char>('A' + input);
    return {-100, 6000, 1, static_cast<std::uint8_t>(input), 0, 0, std::string("Pressure ") + letter, "bar"};
}

std::string TextAt(const TByteString& b, std::size_t at, std::size_t width)
{
    std::string t(reinterpret_cast<const char*>(b.data() + at), width);
    t.resize(std::min(t.find('\0'), t.size()));
    return t;
}

} // namespace

void TSimRecorder::FollowSensorBlock()
{
    if (!followSensors_)
        return;
    const TByteString& block = blocks_[100];
    if (block == defaultSensorBlock_ && !profile_.SmartSubChannels && profile_.CanBusInput < 0) {
        channels_ = DefaultChannels();
        extremes_.clear();
        return;
    }
    const std::vector<TSimChannel> known = DefaultChannels();
    const int v = profile_.ComVersion;
    const std::size_t records = std::min<std::size_t>(v == 5 ? 5 : 12, block.size() / 60);
    const std::size_t counterFirst = v == 5 ? 3 : 8, counterLast = v == 5 ? 3 : 9;
    const std::size_t calculatedFirst = v == 5 ? 4 : 10;
    // Field positions of the recorder's record: layout 1 has no sub-channel mask.
    const std::size_t activeAt = v == 1 ? 4 : 8, modeAt = v == 1 ? 6 : 10, loAt = v == 1 ? 12 : 14;
    std::vector<TSimChannel> out;
    for (std::size_t i = 0; i < records; ++i) {
        const std::size_t o = i * 60;
        if (GetU16(block, o + activeAt) == 0)
            continue;
        const auto input = static_cast<std::uint8_t>(i);
        const std::uint8_t subs = v > 1 && i < smartFlags_.size() ? smartFlags_[i] : 0;
        if (v == 4 && static_cast<int>(i) == profile_.CanBusInput) {
            // The CAN bus: one channel per active message, as the message describes it.
            const TByteString& can = blocks_[107];
            for (std::size_t m = 0; m < 32 && (m + 1) * 68 <= can.size(); ++m) {
                const std::size_t c = m * 68;
                if (GetU16(can, c + 20) == 0)
                    continue;
                out.push_back({static_cast<std::int16_t>(GetU16(can, c + 22)),
                               static_cast<std::int16_t>(GetU16(can, c + 24)), GetU16(can, c + 26), input,
                               static_cast<std::uint8_t>(m + 1), 0, TextAt(can, c + 28, 32), TextAt(can, c + 60, 7)});
            }
            continue;
        }
        if (subs > 0) {
            // A smart sensor: its sub-channels that the mask leaves on.
            const std::uint32_t mask = GetU32(block, o + 4);
            for (std::uint8_t j = 0; j < subs; ++j)
                if (j >= 32 || !((mask >> j) & 1u))
                    out.push_back(
                        {-1, 250, 0, input, static_cast<std::uint8_t>(j + 1), 0,
                         "Smart " + std::string(1, static_cast<char>('A' + i)) + " sub " + std::to_string(j + 1),
                         "bar"});
            continue;
        }
        const bool counter = i >= counterFirst && i <= counterLast;
        const bool calculated = i >= calculatedFirst;
        if (GetU16(block, o + modeAt) == 1 || counter || calculated) {
            // The record's own range, decimals, unit and name.
            out.push_back({static_cast<std::int16_t>(GetU16(block, o + loAt)),
                           static_cast<std::int16_t>(GetU16(block, o + loAt + 2)), GetU16(block, o + loAt + 4), input,
                           0, static_cast<std::int16_t>(counter ? 4 : 0), TextAt(block, o + 20, 32),
                           TextAt(block, o + 52, 8)});
            continue;
        }
        out.push_back(SensorOnInput(i, known));
    }
    channels_ = std::move(out);
    extremes_.clear();
}

TRecorderAnswer TSimRecorder::AnswerLoadSetup(const TCall& c)
{
    if (c.Data.size() != 2)
        return Status2(2);
    const std::uint16_t h = GetU16(c.Data, 0);
    for (const auto& s : setups_)
        if (s.Handle == h) {
            for (const auto& [k, b] : s.Blocks)
                blocks_[k] = b;
            FollowSensorBlock();
            return Status2(0);
        }
    return Status2(3);
}

TRecorderAnswer TSimRecorder::AnswerSaveSetup(const TCall& c)
{
    const int v = profile_.ComVersion;
    const auto d = c.Data;
    const std::size_t want = v == 1 ? 32 : 36;
    if (d.size() != want)
        return Status2(2);
    std::string name(reinterpret_cast<const char*>(d.data()), 32);
    name.resize(std::strlen(name.c_str()));
    const std::uint32_t number = v == 1 ? static_cast<std::uint32_t>(setups_.size() + 1) : GetU32(d, 32);
    // A name and number already stored (numbered layouts): that entry is replaced.
    if (v > 1)
        for (auto& old : setups_)
            if (old.Name == name && old.Number == number) {
                old.Blocks = blocks_;
                old.Date = Now2000();
                return Status2(0);
            }
    TSetup s{NextHandle(), name, number, Now2000(), blocks_};
    setups_.push_back(std::move(s));
    return Status2(0);
}

TRecorderAnswer TSimRecorder::AnswerSmartFlags(const TCall&)
{
    if (profile_.ComVersion == 1)
        return {};
    return Data(smartFlags_);
}

TRecorderAnswer TSimRecorder::AnswerSubChannelText(const TCall& c)
{
    if (c.Data.size() != 2)
        return {};
    std::string t =
        "Sub " + std::string(1, static_cast<char>('A' + c.Data[0] % 26)) + std::to_string(c.Data[1]) + " pressure";
    return Data(TByteString(t.begin(), t.end()));
}

TRecorderAnswer TSimRecorder::AnswerSmartSensorText(const TCall& c)
{
    if (c.Data.size() != 1)
        return {};
    TByteString b(16, 0);
    if (profile_.ComVersion == 4 && c.Data[0] == profile_.CanBusInput)
        PutText(b, 0, 14, "CAN-Bus");
    else
        PutText(b, 0, 14, "DVX-P " + std::string(1, static_cast<char>('A' + c.Data[0] % 26)) + " 600bar");
    return Data(std::move(b));
}

TRecorderAnswer TSimRecorder::AnswerReadBlock(const TCall& c)
{
    // The sensor and CAN blocks are read in pieces; the CAN block exists in layout 4 only.
    if (c.Number == vro8::kSensorBlock || c.Number == vro8::kCanBlock) {
        auto it = blocks_.find(c.Number);
        if (it == blocks_.end())
            return Silence();
        return ReadPiece(it->second, c);
    }
    return Data(blocks_[c.Number]);
}

TRecorderAnswer TSimRecorder::AnswerWriteBlock(const TCall& c)
{
    if (c.Number == vro8::kCanBlock && profile_.ComVersion != 4)
        return Silence();
    if (c.Number == vro8::kSensorBlock || c.Number == vro8::kCanBlock) {
        TRecorderAnswer answer = WritePiece(blocks_[c.Number], c.Data);
        FollowSensorBlock();
        return answer;
    }
    TByteString& block = blocks_[c.Number];
    if (c.Data.size() != block.size())
        return Status1(1);
    block.assign(c.Data.begin(), c.Data.end());
    return Status1(0);
}

} // namespace vro::sim
