#include "sim/recorder.h"

#include "core/util/bytes.h"
#include "link/vro8commands.h"

#include <algorithm>
#include <ctime>
#include <iterator>

namespace vro::sim {

namespace {
constexpr std::size_t kTranscriptLimit = 200000;
} // namespace

TSimRecorder::TSimRecorder(TSimProfile profile) : profile_(std::move(profile))
{
    if (profile_.ComVersion < 1 || profile_.ComVersion > 5)
        profile_.ComVersion = 3; // the identification may still lie about it (SetIdentText / faults)
    channels_ = DefaultChannels();
    profile_.Firmware.OwnBytes = profile_.Firmware.OwnBytes || profile_.AlterArea1OnReadBack;
    firmware_.Configure(profile_.Firmware);
    InitBlocks();
    LoadDefaultMemory();
}

// ---- configuration --------------------------------------------------------------------

void TSimRecorder::SetComVersion(int v)
{
    TLock l(mutex_);
    profile_.ComVersion = v;
    InitBlocks();
}

void TSimRecorder::SetIdentText(const std::string& t)
{
    TLock l(mutex_);
    profile_.IdentText = t;
}


void TSimRecorder::SetPieceSize(std::size_t n)
{
    TLock l(mutex_);
    profile_.PieceSize = std::clamp<std::size_t>(n, 1, 240);
}

std::uint16_t TSimRecorder::AddRecording(TSimRecording rec)
{
    TLock l(mutex_);
    rec.Handle = NextHandle();
    if (rec.Words.empty())
        GenerateSamples(rec);
    recordings_.push_back(std::move(rec));
    return recordings_.back().Handle;
}

void TSimRecorder::ClearMemory()
{
    TLock l(mutex_);
    recordings_.clear();
    setups_.clear();
    headerPatches_.clear();
    headerHandle_.reset();
    sampleHandle_.reset();
}

void TSimRecorder::LoadDefaultMemory()
{
    ClearMemory();
    const int v = profile_.ComVersion;
    const std::uint32_t t0 = 820000000; // an afternoon in 2025, in seconds since 2000
    auto chans = [&](std::size_t n) {
        std::vector<TSimChannel> c;
        for (std::size_t i = 0; i < n; ++i) {
            TSimChannel ch{-1000,
                           1000 + static_cast<std::int32_t>(i) * 100,
                           static_cast<std::uint16_t>(i % 3),
                           static_cast<std::uint8_t>(i % 13),
                           0,
                           0,
                           "Channel " + std::to_string(i + 1),
                           "bar"};
            c.push_back(ch);
        }
        return c;
    };
    TSimRecording a;
    a.Name = "Pressure test";
    a.Number = 1;
    a.StartTime = t0;
    a.StopTime = t0 + 50;
    a.Type = 0;
    a.SampleRate = 10;
    a.Channels = chans(2);
    a.RecordCount = 500;
    a.Comment = "Pump 3, first run";
    AddRecording(a);

    TSimRecording b;
    b.Name = "MinMax temperature";
    b.Number = 2;
    b.StartTime = t0 + 3600;
    b.StopTime = t0 + 3900;
    b.Type = 0x20 | 0x80;
    b.SampleRate = 12;
    b.Channels = chans(3);
    b.RecordCount = 300;
    AddRecording(b);

    TSimRecording c;
    c.Name = "Trigger run";
    c.Number = 3;
    c.StartTime = t0 + 7200;
    c.StopTime = t0 + 7300;
    c.Type = 1 | 0x40;
    c.SampleRate = 8;
    c.Channels = chans(4);
    c.Channels[3].DataType = 4;
    c.Channels[3].LoRange = -30000;
    c.Channels[3].HiRange = 30000;
    c.RecordCount = 1000;
    c.Triggers[0] = {0, 0, 1, 2, 0, 0, 1, 0, 500, 1, 0, 0, 1, 0, 0};
    c.Triggers[1] = {0, 0, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 1, 0, 0};
    c.Combination = 1;
    c.TriggerTime = t0 + 7230;
    c.TriggerState = 1;
    c.PreTriggerCount = 300;
    c.Comment = "Burst at valve";
    AddRecording(c);

    TSimRecording d;
    d.Name = "Event log";
    d.Number = 4;
    d.StartTime = t0 + 10000;
    d.StopTime = t0 + 20000;
    d.Type = 2;
    d.SampleRate = 20;
    d.Channels = chans(5);
    d.RecordCount = 60;
    AddRecording(d);

    TSimRecording e;
    e.Name = "Many channels";
    e.Number = 5;
    e.StartTime = t0 + 30000;
    e.StopTime = t0 + 30100;
    e.Type = 0x80;
    e.SampleRate = 3;
    e.Channels = chans(v == 1 ? 10 : 12);
    e.RecordCount = 250;
    AddRecording(e);

    AddSetup("Default setup", 1);
    AddSetup("Leak test", 2);
}

std::vector<TSimRecording> TSimRecorder::Recordings() const
{
    TLock l(mutex_);
    return recordings_;
}

std::optional<TSimRecording> TSimRecorder::RecordingByHandle(std::uint16_t handle) const
{
    TLock l(mutex_);
    for (const auto& r : recordings_)
        if (r.Handle == handle)
            return r;
    return std::nullopt;
}
int TSimRecorder::RequestCount(char address, std::uint8_t number) const
{
    TLock l(mutex_);
    auto it = requests_.find(Key(address, number));
    return it == requests_.end() ? 0 : it->second;
}

std::vector<TSimRecorder::TRequest> TSimRecorder::Transcript() const
{
    TLock l(mutex_);
    return transcript_;
}

std::uint32_t TSimRecorder::Now2000() const
{
    const std::time_t t = std::time(nullptr);
    return static_cast<std::uint32_t>(t - 946684800); // 2000-01-01 00:00:00 UTC
}


// ---- the command table --------------------------------------------------------------------

std::span<const TSimRecorder::TCommand> TSimRecorder::Commands()
{
    using S = EStatusAnswer;
    using R = TSimRecorder;
    using namespace vro8;
    static const TCommand kTable[] = {
        {kRead, kIdent, S::None, &R::AnswerIdent},
        // measurement
        {kRead, kChannelCount, S::None, &R::AnswerChannelCount},
        {kRead, kChannel, S::None, &R::AnswerChannel},
        {kRead, kCurrentValues, S::None, &R::AnswerCurrentValues},
        {kWrite, kResetMinMax, S::OneByte, &R::AnswerResetMinMax},
        // recording download
        {kRead, kSelectHeader, S::TwoBytes, &R::AnswerSelect},
        {kRead, kHeader, S::None, &R::AnswerHeader},
        {kRead, kSelectSamples, S::TwoBytes, &R::AnswerSelect},
        {kRead, kSamples, S::None, &R::AnswerSamples},
        // directory
        {kRead, kRecordingCount, S::None, &R::AnswerCount},
        {kRead, kSetupCount, S::None, &R::AnswerCount},
        {kRead, kEntries, S::None, &R::AnswerEntries},
        {kRead, kDeleteEntry, S::TwoBytes, &R::AnswerDelete},
        // setup blocks, settings directory, smart sensors
        {kRead, kLoadSetup, S::TwoBytes, &R::AnswerLoadSetup},
        {kRead, kSaveSetup, S::TwoBytes, &R::AnswerSaveSetup},
        {kRead, kSmartFlags, S::None, &R::AnswerSmartFlags},
        {kRead, kSubChannelText, S::None, &R::AnswerSubChannelText},
        {kRead, kSmartSensorText, S::None, &R::AnswerSmartSensorText},
        {kRead, kSensorBlock, S::None, &R::AnswerReadBlock},
        {kRead, kTriggerBlock, S::None, &R::AnswerReadBlock},
        {kRead, kRecordingBlock, S::None, &R::AnswerReadBlock},
        {kRead, kDisplayBlock, S::None, &R::AnswerReadBlock},
        {kRead, kBaseBlock, S::None, &R::AnswerReadBlock},
        {kRead, kCanBlock, S::None, &R::AnswerReadBlock},
        {kWrite, kSensorBlock, S::OneByte, &R::AnswerWriteBlock},
        {kWrite, kTriggerBlock, S::OneByte, &R::AnswerWriteBlock},
        {kWrite, kRecordingBlock, S::OneByte, &R::AnswerWriteBlock},
        {kWrite, kDisplayBlock, S::OneByte, &R::AnswerWriteBlock},
        {kWrite, kBaseBlock, S::OneByte, &R::AnswerWriteBlock},
        {kWrite, kCanBlock, S::OneByte, &R::AnswerWriteBlock},
        // remote recording
        {kWrite, kRemoteStart, S::OneByte, &R::AnswerRemoteStart},
        {kRead, kRemoteStop, S::OneWithData, &R::AnswerRemoteStop},
        // online stream
        {kWrite, kOnlineStart, S::OneByte, &R::AnswerOnlineStart},
        // firmware areas
        {kWrite, kWriteArea0, S::OneByte, &R::AnswerWriteArea},
        {kRead, kReadArea0, S::None, &R::AnswerReadArea},
        {kRead, kArea0Version, S::None, &R::AnswerAreaVersion},
        {kWrite, kWriteArea1, S::OneByte, &R::AnswerWriteArea},
        {kRead, kReadArea1, S::None, &R::AnswerReadArea},
        {kRead, kArea1Version, S::None, &R::AnswerAreaVersion},
    };
    return kTable;
}

const TSimRecorder::TCommand* TSimRecorder::FindCommand(char address, std::uint8_t number)
{
    const auto table = Commands();
    const auto it = std::find_if(table.begin(), table.end(),
                                 [&](const TCommand& c) { return c.Address == address && c.Number == number; });
    return it == table.end() ? nullptr : &*it;
}

std::vector<TSimRecorder::TCommandId> TSimRecorder::CommandSet()
{
    std::vector<TCommandId> out;
    for (const auto& c : Commands())
        out.push_back({c.Address, c.Number});
    return out;
}

TRecorderAnswer TSimRecorder::HandleFrame(char address, std::uint8_t number, std::span<const std::uint8_t> data)
{
    TLock l(mutex_);
    ++requests_[Key(address, number)];
    if (transcript_.size() < kTranscriptLimit)
        transcript_.push_back({address, number, TByteString(data.begin(), data.end())});
    const auto now = TClock::now();
    // Without power, or while new firmware starts, nothing is heard.
    if (firmware_.Asleep(now))
        return Silence();
    if (firmware_.TakeActivation(now))
        RunNewFirmware();
    AdvanceRemote(now);
    const TCommand* command = FindCommand(address, number);
    if (!command)
        return Silence(); // not a command of this recorder
    const TRecorderFault* f = ActiveFault(address, number);
    if (f && f->Mode == ERecorderFault::Silence)
        return Silence();
    const bool status2 = command->Status == EStatusAnswer::TwoBytes;
    const bool status1 =
        command->Status == EStatusAnswer::OneByte || (command->Status == EStatusAnswer::OneWithData && !data.empty());
    if (f && f->Mode == ERecorderFault::Status && (status1 || status2)) {
        // A refusal: the recorder answers the status and does nothing.
        TRecorderAnswer ans;
        ApplyFault(*f, ans, true, status2);
        return ans;
    }
    TRecorderAnswer ans = (this->*command->Answer)({address, number, data, now});
    if (f && !ans.Silent)
        ApplyFault(*f, ans, status1 || status2, status2);
    return ans;
}

// ---- answers shared by the groups --------------------------------------------------------

TRecorderAnswer TSimRecorder::Status2(std::int16_t s)
{
    TRecorderAnswer ans;
    AppendLE(ans.Data, s);
    return ans;
}

TRecorderAnswer TSimRecorder::ReadPiece(const TByteString& area, const TCall& c)
{
    if (c.Data.size() != 4)
        return Silence();
    const std::uint32_t offset = GetU32(c.Data, 0);
    std::size_t size = area.size();
    auto f = faults_.find(Key(c.Address, c.Number));
    if (f != faults_.end() && f->second.Mode == ERecorderFault::CutAt)
        size = std::min<std::size_t>(size, static_cast<std::size_t>(f->second.Value));
    TRecorderAnswer ans;
    if (offset < size) {
        const std::size_t take = std::min(profile_.PieceSize, size - offset);
        ans.Data.assign(area.begin() + offset, area.begin() + static_cast<long>(offset + take));
        if (f != faults_.end() && f->second.Mode == ERecorderFault::OverPiece)
            ans.Data.resize(std::min<std::size_t>(take + static_cast<std::size_t>(f->second.Value), 240), 0xEE);
    }
    return ans;
}

TRecorderAnswer TSimRecorder::WritePiece(TByteString& area, std::span<const std::uint8_t> data)
{
    if (data.size() < 4)
        return Status1(1);
    const std::uint32_t offset = GetU32(data, 0);
    const std::size_t n = data.size() - 4;
    if (offset > area.size() || n > area.size() - offset)
        return Status1(2);
    std::copy(data.begin() + 4, data.end(), area.begin() + offset);
    return Status1(0);
}

// ---- identification ------------------------------------------------------------------------

TRecorderAnswer TSimRecorder::AnswerIdent(const TCall&)
{
    return Data(WriteIdent(firmware_.IdentText().value_or(profile_.IdentText),
                           static_cast<std::uint16_t>(profile_.ComVersion), profile_.HardwareVariant));
}

} // namespace vro::sim
