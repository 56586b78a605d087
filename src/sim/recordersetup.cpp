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
    smartFlags_ = TByteString(v == 5 ? 3 : 4, 0);
    smartFlags_[1] = 1;
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
    if (c.Number == vro8::kSensorBlock || c.Number == vro8::kCanBlock)
        return WritePiece(blocks_[c.Number], c.Data);
    TByteString& block = blocks_[c.Number];
    if (c.Data.size() != block.size())
        return Status1(1);
    block.assign(c.Data.begin(), c.Data.end());
    return Status1(0);
}

} // namespace vro::sim
