#include "sim/recorder.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <ctime>
#include <iterator>
#include <stdexcept>

namespace vro::sim {

namespace {

constexpr std::size_t kTranscriptLimit = 200000;

int Key(char a, std::uint8_t n) { return (static_cast<unsigned char>(a) << 8) | n; }

std::uint32_t U32(std::span<const std::uint8_t> d, std::size_t at)
{
    return static_cast<std::uint32_t>(d[at]) | (static_cast<std::uint32_t>(d[at + 1]) << 8) |
           (static_cast<std::uint32_t>(d[at + 2]) << 16) | (static_cast<std::uint32_t>(d[at + 3]) << 24);
}
std::uint16_t U16(std::span<const std::uint8_t> d, std::size_t at)
{
    return static_cast<std::uint16_t>(d[at] | (d[at + 1] << 8));
}
void Put16(TByteString& b, std::size_t at, std::uint16_t v)
{
    b.at(at) = static_cast<std::uint8_t>(v);
    b.at(at + 1) = static_cast<std::uint8_t>(v >> 8);
}
void Put32(TByteString& b, std::size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b.at(at + i) = static_cast<std::uint8_t>(v >> (8 * i));
}
void PutText(TByteString& b, std::size_t at, std::size_t width, const std::string& s)
{
    for (std::size_t i = 0; i < width; ++i)
        b.at(at + i) = i < s.size() ? static_cast<std::uint8_t>(s[i]) : 0;
}

std::vector<TSimChannel> DefaultChannels()
{
    return {
        {-100, 6000, 1, 0, 0, 0, "Pressure P1", "bar"},
        {-100, 4000, 1, 1, 0, 0, "Pressure P2", "bar"},
        {-500, 2000, 1, 2, 0, 0, "Temperature",
         "\xB0"
         "C"},
        {0, 3000, 1, 3, 0, 0, "Flow", "l/min"},
        {-1, 250, 0, 4, 1, 0, "Smart sub 1", "bar"},
        {0, 30000, 0, 8, 0, 4, "Frequency", "Hz"},
    };
}

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

void TSimRecorder::SetOnline(const TSimOnlineConfig& c)
{
    TLock l(mutex_);
    profile_.Online = c;
}

void TSimRecorder::SetPieceSize(std::size_t n)
{
    TLock l(mutex_);
    profile_.PieceSize = std::clamp<std::size_t>(n, 1, 240);
}

void TSimRecorder::SetChannels(std::vector<TSimChannel> channels, bool minMax)
{
    TLock l(mutex_);
    channels_ = std::move(channels);
    minMax_ = minMax;
}

std::vector<TSimChannel> TSimRecorder::Channels() const
{
    TLock l(mutex_);
    return channels_;
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

void TSimRecorder::PatchHeader(std::uint16_t handle, std::size_t offset, std::uint32_t value)
{
    TLock l(mutex_);
    headerPatches_[handle][offset] = value;
}

std::vector<TNamedRecorderFault> ParseRecorderFaults(const std::string& text)
{
    static const std::pair<const char*, ERecorderFault> kModes[] = {
        {"silence", ERecorderFault::Silence}, {"status", ERecorderFault::Status}, {"short", ERecorderFault::Short},
        {"long", ERecorderFault::Long},       {"empty", ERecorderFault::Empty},   {"cut", ERecorderFault::CutAt},
        {"over", ERecorderFault::OverPiece},  {"delay", ERecorderFault::Delay}};
    auto number = [](const std::string& item, const std::string& s, long lo, long hi) {
        std::size_t used = 0;
        long v = 0;
        try {
            v = std::stol(s, &used);
        } catch (const std::exception&) {
            used = 0;
        }
        if (s.empty() || used != s.size() || v < lo || v > hi)
            throw std::invalid_argument("fault \"" + item + "\": \"" + s + "\" is not a number in " +
                                        std::to_string(lo) + ".." + std::to_string(hi));
        return v;
    };
    std::vector<TNamedRecorderFault> out;
    std::size_t from = 0;
    while (from <= text.size()) {
        const std::size_t comma = std::min(text.find(',', from), text.size());
        const std::string item = text.substr(from, comma - from);
        from = comma + 1;
        if (item.empty())
            continue;
        std::vector<std::string> parts;
        // "@K" and "*N" at the end: answers left alone first, answers affected.
        std::string body = item;
        int skipFirst = 0, times = -1;
        for (bool more = true; more;) {
            more = false;
            const std::size_t at = body.find_last_of("@*");
            if (at == std::string::npos)
                break;
            const std::string digits = body.substr(at + 1);
            const long v = number(item, digits, 0, 1000000000);
            (body[at] == '@' ? skipFirst : times) = static_cast<int>(v);
            body.resize(at);
            more = true;
        }
        for (std::size_t p = 0;;) {
            const std::size_t colon = body.find(':', p);
            parts.push_back(body.substr(p, colon == std::string::npos ? std::string::npos : colon - p));
            if (colon == std::string::npos)
                break;
            p = colon + 1;
        }
        if (parts.size() < 2 || parts.size() > 3 || parts[0].size() < 2 || (parts[0][0] != 'R' && parts[0][0] != 'S'))
            throw std::invalid_argument("fault \"" + item + "\": expected COMMAND:MODE[:VALUE], such as R20:status:3");
        TNamedRecorderFault f;
        f.Address = parts[0][0];
        f.Number = static_cast<std::uint8_t>(number(item, parts[0].substr(1), 0, 255));
        const auto mode =
            std::find_if(std::begin(kModes), std::end(kModes), [&](const auto& m) { return parts[1] == m.first; });
        if (mode == std::end(kModes))
            throw std::invalid_argument("fault \"" + item + "\": unknown mode \"" + parts[1] +
                                        "\" (silence, status, short, long, empty, cut, over, delay)");
        f.Fault.Mode = mode->second;
        const bool needsValue = f.Fault.Mode != ERecorderFault::Silence && f.Fault.Mode != ERecorderFault::Empty;
        if (needsValue != (parts.size() == 3))
            throw std::invalid_argument("fault \"" + item + "\": mode " + parts[1] +
                                        (needsValue ? " needs a value" : " takes no value"));
        if (needsValue)
            f.Fault.Value = number(item, parts[2], f.Fault.Mode == ERecorderFault::Status ? -32768 : 0,
                                   f.Fault.Mode == ERecorderFault::Status ? 32767 : 100000000);
        f.Fault.SkipFirst = skipFirst;
        f.Fault.Times = times;
        out.push_back(f);
    }
    return out;
}

void TSimRecorder::SetFault(char address, std::uint8_t number, TRecorderFault fault)
{
    TLock l(mutex_);
    const int k = Key(address, number);
    faultSeen_[k] = 0;
    if (fault.Mode == ERecorderFault::None)
        faults_.erase(k);
    else
        faults_[k] = fault;
}

void TSimRecorder::ClearFaults()
{
    TLock l(mutex_);
    faults_.clear();
    faultSeen_.clear();
}

std::vector<std::uint8_t> TSimRecorder::Block(std::uint8_t number) const
{
    TLock l(mutex_);
    auto it = blocks_.find(number);
    return it == blocks_.end() ? std::vector<std::uint8_t>{} : it->second;
}

std::vector<std::uint8_t> TSimRecorder::FirmwareArea(int area) const
{
    TLock l(mutex_);
    return firmware_.Stored(area);
}

std::string TSimRecorder::FirmwareSummary() const
{
    TLock l(mutex_);
    return firmware_.Summary();
}

void TSimRecorder::RunNewFirmware()
{
    recordings_.clear();
    setups_.clear();
    headerPatches_.clear();
    headerHandle_.reset();
    sampleHandle_.reset();
    InitBlocks();
}

std::vector<std::vector<std::int16_t>> TSimRecorder::StreamedRecords() const
{
    TLock l(mutex_);
    return streamed_;
}

std::vector<std::uint8_t> TSimRecorder::StreamedStatus() const
{
    TLock l(mutex_);
    return streamedStatus_;
}

long TSimRecorder::StreamDropped() const
{
    TLock l(mutex_);
    return streamDropped_;
}

long TSimRecorder::StreamedForgotten() const
{
    TLock l(mutex_);
    return streamedDropped_;
}

void TSimRecorder::CountDropped(long records)
{
    TLock l(mutex_);
    streamDropped_ += records;
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

// The live setup blocks in the recorder's own arrangement for its layout.
void TSimRecorder::InitBlocks()
{
    const int v = profile_.ComVersion;
    const std::size_t sensors = v == 5 ? 5 : 12;
    TByteString sensor(sensors * 60, 0);
    for (std::size_t i = 0; i < sensors; ++i) {
        const std::size_t o = i * 60;
        Put32(sensor, o, 0x00010001u * static_cast<std::uint32_t>(i + 1)); // Factor
        if (v == 1) {
            Put16(sensor, o + 4, i < 4 ? 1 : 0); // ActiveState
            Put16(sensor, o + 6, 0);             // Mode
            Put16(sensor, o + 8, static_cast<std::uint16_t>(i % 3));
            Put16(sensor, o + 12, static_cast<std::uint16_t>(-100));
            Put16(sensor, o + 14, 1000);
            Put16(sensor, o + 16, 1);
        } else {
            Put32(sensor, o + 4, static_cast<std::uint32_t>(i == 4 ? 0x3 : 0)); // SubChannelMask
            Put16(sensor, o + 8, i < 4 ? 1 : 0);
            Put16(sensor, o + 10, 0);
            Put16(sensor, o + 12, static_cast<std::uint16_t>(i % 3));
            Put16(sensor, o + 14, static_cast<std::uint16_t>(-100));
            Put16(sensor, o + 16, 1000);
            Put16(sensor, o + 18, 1);
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
    Put32(trig, events * 32, 1);
    blocks_[101] = trig;
    TByteString rec(48, 0);
    Put32(rec, 0, 17);
    Put16(rec, 4, 0);
    Put16(rec, 6, 5);
    Put16(rec, 8, 3);
    PutText(rec, 14, 32, "Recording");
    blocks_[102] = rec;
    TByteString disp(12, 0);
    Put16(disp, 0, 1);
    blocks_[103] = disp;
    TByteString base(12, 0);
    Put16(base, 4, 1);
    blocks_[105] = base;
    if (v == 4) {
        TByteString can(2180, 0);
        for (std::size_t m = 0; m < 32; ++m) {
            Put32(can, m * 68, 0x100 + static_cast<std::uint32_t>(m));
            PutText(can, m * 68 + 28, 32, "CAN " + std::to_string(m + 1));
        }
        blocks_[107] = can;
    } else {
        blocks_.erase(107);
    }
    smartFlags_ = TByteString(v == 5 ? 3 : 4, 0);
    smartFlags_[1] = 1;
}

// ---- answers ------------------------------------------------------------------------------

TRecorderAnswer TSimRecorder::Status2(std::int16_t s) const
{
    return {false, {static_cast<std::uint8_t>(s), static_cast<std::uint8_t>(static_cast<std::uint16_t>(s) >> 8)}, {}};
}

TSimRecording* TSimRecorder::FindRecording(std::uint16_t handle)
{
    for (auto& r : recordings_)
        if (r.Handle == handle)
            return &r;
    return nullptr;
}

TByteString TSimRecorder::HeaderOf(const TSimRecording& r) const
{
    TByteString h = WriteHeader(profile_.ComVersion, r);
    auto it = headerPatches_.find(r.Handle);
    if (it != headerPatches_.end())
        for (auto [offset, value] : it->second)
            if (offset + 4 <= h.size())
                Put32(h, offset, value);
    return h;
}

TByteString TSimRecorder::CurrentValues() const
{
    const double t = std::chrono::duration<double>(std::chrono::steady_clock::now() - created_).count();
    TByteString out;
    for (std::size_t i = 0; i < channels_.size(); ++i) {
        const auto& c = channels_[i];
        const double mid = (static_cast<double>(c.LoRange) + c.HiRange) / 2.0;
        const double amp = (static_cast<double>(c.HiRange) - c.LoRange) / 4.0;
        auto clamp16 = [](double x) { return static_cast<std::int16_t>(std::clamp(std::lround(x), -32767L, 32767L)); };
        const double v = mid + amp * std::sin(t * 0.7 * static_cast<double>(i + 1));
        std::vector<std::int16_t> words{clamp16(v)};
        if (minMax_) {
            // Running extremes since the last reset (S 13), so that a reset shows.
            if (extremes_.size() != channels_.size())
                extremes_.assign(channels_.size(), {});
            auto& e = extremes_[i];
            const std::int16_t lo = clamp16(v - amp / 8), hi = clamp16(v + amp / 8);
            e = e.Set ? TExtremes{std::min(e.Min, lo), std::max(e.Max, hi), true} : TExtremes{lo, hi, true};
            words.push_back(e.Min);
            words.push_back(e.Max);
        }
        for (auto w : words) {
            out.push_back(static_cast<std::uint8_t>(w));
            out.push_back(static_cast<std::uint8_t>(static_cast<std::uint16_t>(w) >> 8));
        }
    }
    if (out.size() > 192)
        out.resize(192);
    return out;
}

TRecorderAnswer TSimRecorder::ReadPiece(const TByteString& area, std::span<const std::uint8_t> data, char a,
                                        std::uint8_t n)
{
    if (data.size() != 4)
        return {true, {}, {}};
    const std::uint32_t offset = U32(data, 0);
    std::size_t size = area.size();
    auto f = faults_.find(Key(a, n));
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
    const std::uint32_t offset = U32(data, 0);
    const std::size_t n = data.size() - 4;
    if (offset > area.size() || n > area.size() - offset)
        return Status1(2);
    std::copy(data.begin() + 4, data.end(), area.begin() + offset);
    return Status1(0);
}

const TRecorderFault* TSimRecorder::ActiveFault(char a, std::uint8_t n)
{
    auto it = faults_.find(Key(a, n));
    if (it == faults_.end())
        return nullptr;
    const int seen = ++faultSeen_[Key(a, n)];
    const TRecorderFault& f = it->second;
    if (seen <= f.SkipFirst)
        return nullptr;
    if (f.Times >= 0 && seen - f.SkipFirst > f.Times)
        return nullptr;
    return &f;
}

void TSimRecorder::ApplyFault(const TRecorderFault& f, TRecorderAnswer& ans, bool statusAnswer,
                              bool twoByteStatus) const
{
    switch (f.Mode) {
    case ERecorderFault::Silence: ans.Silent = true; break;
    case ERecorderFault::Status:
        if (statusAnswer) {
            if (twoByteStatus)
                ans = Status2(static_cast<std::int16_t>(f.Value));
            else
                ans = Status1(static_cast<std::uint8_t>(f.Value));
        }
        break;
    case ERecorderFault::Short:
        ans.Data.resize(ans.Data.size() > static_cast<std::size_t>(f.Value)
                            ? ans.Data.size() - static_cast<std::size_t>(f.Value)
                            : 0);
        break;
    case ERecorderFault::Long: ans.Data.insert(ans.Data.end(), static_cast<std::size_t>(f.Value), 0xEE); break;
    case ERecorderFault::Empty: ans.Data.clear(); break;
    case ERecorderFault::Delay: ans.Delay = std::chrono::milliseconds(f.Value); break;
    default: break; // CutAt and OverPiece act inside the multi-packet reads
    }
}

TRecorderAnswer TSimRecorder::HandleFrame(char address, std::uint8_t number, std::span<const std::uint8_t> data)
{
    TLock l(mutex_);
    ++requests_[Key(address, number)];
    if (transcript_.size() < kTranscriptLimit)
        transcript_.push_back({address, number, TByteString(data.begin(), data.end())});
    const auto now = std::chrono::steady_clock::now();
    // Without power, or while new firmware starts, nothing is heard.
    if (firmware_.Asleep(now))
        return {true, {}, {}};
    if (firmware_.TakeActivation(now))
        RunNewFirmware();
    AdvanceRemote(now);
    const TRecorderFault* f = ActiveFault(address, number);
    if (f && f->Mode == ERecorderFault::Silence)
        return {true, {}, {}};
    const bool status2 =
        address == 'R' && (number == 20 || number == 22 || number == 24 || number == 25 || number == 33);
    const bool status1 = address == 'S' || (address == 'R' && number == 210 && data.size() == 4);
    if (f && f->Mode == ERecorderFault::Status && (status1 || status2)) {
        // A refusal: the recorder answers the status and does nothing.
        TRecorderAnswer ans;
        ApplyFault(*f, ans, true, status2);
        return ans;
    }
    TRecorderAnswer ans = Dispatch(address, number, data);
    if (f && !ans.Silent)
        ApplyFault(*f, ans, status1 || status2, status2);
    return ans;
}

TRecorderAnswer TSimRecorder::Dispatch(char a, std::uint8_t n, std::span<const std::uint8_t> d)
{
    const int v = profile_.ComVersion;
    const auto now = std::chrono::steady_clock::now();
    if (a == 'R') {
        switch (n) {
        case 10: {
            TByteString b(4, 0);
            Put16(b, 0, static_cast<std::uint16_t>(channels_.size()));
            Put16(b, 2, minMax_ ? 1 : 0);
            return {false, b, {}};
        }
        case 11: {
            if (d.size() != 2)
                return {true, {}, {}};
            const std::uint16_t i = U16(d, 0);
            if (i >= channels_.size())
                return {};
            return {false, WriteChannel(v, channels_[i]), {}};
        }
        case 12: return {false, CurrentValues(), {}};
        case 20:
        case 22: {
            if (d.size() != 2)
                return Status2(2);
            const std::uint16_t h = U16(d, 0);
            if (!FindRecording(h))
                return Status2(3);
            (n == 20 ? headerHandle_ : sampleHandle_) = h;
            return Status2(0);
        }
        case 21: {
            TSimRecording* r = headerHandle_ ? FindRecording(*headerHandle_) : nullptr;
            if (!r)
                return ReadPiece({}, d, a, n);
            return ReadPiece(HeaderOf(*r), d, a, n);
        }
        case 23: {
            TSimRecording* r = sampleHandle_ ? FindRecording(*sampleHandle_) : nullptr;
            if (!r)
                return ReadPiece({}, d, a, n);
            // Sample bytes straight from the words, one piece at a time.
            if (d.size() != 4)
                return {true, {}, {}};
            const std::uint64_t offset = U32(d, 0);
            std::size_t size = r->Words.size() * 2;
            auto f = faults_.find(Key(a, n));
            if (f != faults_.end() && f->second.Mode == ERecorderFault::CutAt)
                size = std::min<std::size_t>(size, static_cast<std::size_t>(f->second.Value));
            TRecorderAnswer ans;
            if (offset < size) {
                const std::size_t take = std::min<std::size_t>(profile_.PieceSize, size - offset);
                ans.Data.resize(take);
                for (std::size_t i = 0; i < take; ++i) {
                    const std::uint16_t w = r->Words[(offset + i) / 2];
                    ans.Data[i] = static_cast<std::uint8_t>(((offset + i) % 2) ? w >> 8 : w);
                }
                if (f != faults_.end() && f->second.Mode == ERecorderFault::OverPiece)
                    ans.Data.resize(std::min<std::size_t>(take + static_cast<std::size_t>(f->second.Value), 240), 0xEE);
            }
            return ans;
        }
        case 24: {
            if (d.size() != 2)
                return Status2(2);
            const std::uint16_t h = U16(d, 0);
            for (const auto& s : setups_)
                if (s.Handle == h) {
                    for (const auto& [k, b] : s.Blocks)
                        blocks_[k] = b;
                    return Status2(0);
                }
            return Status2(3);
        }
        case 25: {
            const std::size_t want = v == 1 ? 32 : 36;
            if (d.size() != want)
                return Status2(2);
            std::string name(reinterpret_cast<const char*>(d.data()), 32);
            name.resize(std::strlen(name.c_str()));
            const std::uint32_t number = v == 1 ? static_cast<std::uint32_t>(setups_.size() + 1) : U32(d, 32);
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
        case 30:
        case 31: {
            listIsSetups_ = n == 31;
            const std::size_t count = listIsSetups_ ? setups_.size() : recordings_.size();
            TByteString b(2, 0);
            Put16(b, 0, static_cast<std::uint16_t>(count));
            return {false, b, {}};
        }
        case 32: {
            TByteString list;
            if (listIsSetups_)
                for (const auto& s : setups_) {
                    auto e = WriteEntry(s.Handle, s.Name, s.Number, s.Date);
                    list.insert(list.end(), e.begin(), e.end());
                }
            else
                for (const auto& r : recordings_) {
                    auto e = WriteEntry(r.Handle, r.Name, r.Number, r.StartTime);
                    list.insert(list.end(), e.begin(), e.end());
                }
            return ReadPiece(list, d, a, n);
        }
        case 33: {
            if (d.size() != 2)
                return Status2(2);
            const std::uint16_t h = U16(d, 0);
            for (auto it = recordings_.begin(); it != recordings_.end(); ++it)
                if (it->Handle == h) {
                    recordings_.erase(it);
                    if (headerHandle_ == h)
                        headerHandle_.reset();
                    if (sampleHandle_ == h)
                        sampleHandle_.reset();
                    return Status2(0);
                }
            for (auto it = setups_.begin(); it != setups_.end(); ++it)
                if (it->Handle == h) {
                    setups_.erase(it);
                    return Status2(0);
                }
            return Status2(3);
        }
        case 40:
            return {false,
                    WriteIdent(firmware_.IdentText().value_or(profile_.IdentText), static_cast<std::uint16_t>(v),
                               profile_.HardwareVariant),
                    {}};
        case 50:
            if (v == 1)
                return {};
            return {false, smartFlags_, {}};
        case 51: {
            if (d.size() != 2)
                return {};
            std::string t =
                "Sub " + std::string(1, static_cast<char>('A' + d[0] % 26)) + std::to_string(d[1]) + " pressure";
            return {false, TByteString(t.begin(), t.end()), {}};
        }
        case 52: {
            if (d.size() != 1)
                return {};
            TByteString b(16, 0);
            PutText(b, 0, 14, "DVX-P " + std::string(1, static_cast<char>('A' + d[0] % 26)) + " 600bar");
            return {false, b, {}};
        }
        case 100:
        case 107: {
            auto it = blocks_.find(n);
            if (it == blocks_.end())
                return {true, {}, {}};
            return ReadPiece(it->second, d, a, n);
        }
        case 101:
        case 102:
        case 103:
        case 105: return {false, blocks_[n], {}};
        case 111:
        case 114: {
            const int area = n == 111 ? 0 : 1;
            TRecorderAnswer ans = ReadPiece(firmware_.Stored(area), d, a, n);
            if (!ans.Silent && d.size() == 4) {
                firmware_.PatchReadPiece(area, U32(d, 0), ans.Data);
                firmware_.ReadAnswered(area, U32(d, 0), ans.Data.size(), now);
            }
            return ans;
        }
        case 112:
        case 115: return {false, firmware_.VersionAnswer(n == 112 ? 0 : 1), {}};
        case 210:
            if (d.empty()) {
                // Stop: a measuring run ends now and is stored.
                if (remote_ == ESimRemoteState::Measuring) {
                    remote_ = ESimRemoteState::Storing;
                    remoteChange_ = now + profile_.StoringTime;
                    FinishRemoteRun();
                }
                return {false, {0}, {}};
            }
            if (d.size() == 4) {
                // Ping: while storing the answer waits until the recorder is free.
                TRecorderAnswer ans = Status1(0);
                if (remote_ == ESimRemoteState::Storing && remoteChange_ > now)
                    ans.Delay = std::chrono::duration_cast<std::chrono::milliseconds>(remoteChange_ - now) +
                                std::chrono::milliseconds(1);
                return ans;
            }
            return {true, {}, {}};
        default: return {true, {}, {}};
        }
    }
    if (a == 'S') {
        switch (n) {
        case 13: extremes_.clear(); return Status1(0);
        case 100: return WritePiece(blocks_[100], d);
        case 107: {
            if (v != 4)
                return {true, {}, {}};
            return WritePiece(blocks_[107], d);
        }
        case 101:
        case 102:
        case 103:
        case 105: {
            if (d.size() != blocks_[n].size())
                return Status1(1);
            blocks_[n].assign(d.begin(), d.end());
            return Status1(0);
        }
        case 104: {
            if (d.size() != 6 || channels_.empty() || channels_.size() > 32 || U16(d, 0) > 2)
                return Status1(1);
            streamType_ = U16(d, 0);
            streaming_ = true;
            streamCount_ = 0;
            streamed_.clear();
            streamedStatus_.clear();
            streamedDropped_ = 0;
            streamNext_ = now + profile_.Online.Interval;
            return Status1(0);
        }
        case 106: {
            if (d.size() != 2)
                return {};
            if (remote_ == ESimRemoteState::Measuring || remote_ == ESimRemoteState::Storing)
                return {}; // refused: already busy
            remote_ = ESimRemoteState::Measuring;
            remoteChange_ = now + profile_.RemoteDuration;
            return {false, {0x01}, {}};
        }
        case 110:
        case 113: {
            const auto w = firmware_.Write(n == 110 ? 0 : 1, d, now);
            return {w.Silent, w.Silent ? TByteString{} : TByteString{w.Status}, w.Delay};
        }
        default: return {true, {}, {}};
        }
    }
    return {true, {}, {}};
}

// ---- remote recording ----------------------------------------------------------------------

void TSimRecorder::AdvanceRemote(std::chrono::steady_clock::time_point now)
{
    if (remote_ == ESimRemoteState::Measuring && now >= remoteChange_) {
        remote_ = ESimRemoteState::Storing;
        remoteChange_ = now + profile_.StoringTime;
        FinishRemoteRun();
    }
    if (remote_ == ESimRemoteState::Storing && now >= remoteChange_)
        remote_ = ESimRemoteState::Finished;
}

// The run's recording joins the memory and is selected for R 21 / R 23, so
// that it can be read without a directory entry.
void TSimRecorder::FinishRemoteRun()
{
    TSimRecording r;
    r.Handle = NextHandle();
    r.Number = remoteNumber_++;
    r.Name = "Remote " + std::to_string(r.Number);
    r.StartTime = Now2000();
    r.StopTime = r.StartTime + 1;
    r.Type = 0x80;
    r.SampleRate = 5;
    const std::size_t maxCh = profile_.ComVersion == 1 ? 10 : 32;
    r.Channels.assign(channels_.begin(), channels_.begin() + static_cast<long>(std::min(maxCh, channels_.size())));
    r.RecordCount = profile_.RemoteRecords.value_or(200);
    // The run follows the recording block: name, number, type, sample rate
    // and recording time (the recorder's own tables, in 0.1 ms).
    static constexpr std::uint32_t kIntervals[18] = {1,    2,    5,    10,    20,    50,    100,    200,    500,
                                                     1000, 2000, 5000, 10000, 20000, 60000, 120000, 300000, 600000};
    static constexpr std::uint32_t kTimes[16] = {10000,     20000,     50000,     100000,   300000,   600000,
                                                 1200000,   3000000,   6000000,   18000000, 36000000, 72000000,
                                                 144000000, 288000000, 432000000, 864000000};
    const TByteString& rb = blocks_[102];
    if (rb.size() == 48) {
        const std::uint16_t type = U16(rb, 4), rate = U16(rb, 6), duration = U16(rb, 8);
        std::string name(reinterpret_cast<const char*>(rb.data() + 14), 32);
        name.resize(std::min(name.find('\0'), name.size()));
        if (!name.empty())
            r.Name = name;
        r.Number = U32(rb, 0);
        r.SimpleCurveMode = U16(rb, 10);
        if (type == 2) {
            r.Type = 2; // event log: min/max, states and time stamps
        } else if (rate < 18) {
            r.Type = type & 0x0F;
            r.SampleRate = rate;
        }
        if (!profile_.RemoteRecords && rate < 18 && duration < 16)
            r.RecordCount =
                std::clamp<std::uint32_t>(kTimes[duration] / kIntervals[rate], 1, profile_.RemoteMaxRecords);
    }
    GenerateSamples(r);
    headerHandle_ = sampleHandle_ = r.Handle;
    recordings_.push_back(std::move(r));
}

ESimRemoteState TSimRecorder::RemoteState()
{
    TLock l(mutex_);
    AdvanceRemote(std::chrono::steady_clock::now());
    return remote_;
}

std::optional<std::uint8_t> TSimRecorder::HandleEnq()
{
    TLock l(mutex_);
    AdvanceRemote(std::chrono::steady_clock::now());
    switch (remote_) {
    case ESimRemoteState::Measuring: return profile_.EnqMeasuring;
    case ESimRemoteState::Storing:
    case ESimRemoteState::Finished: return profile_.EnqFinished;
    default: return profile_.EnqIdle;
    }
}

// ---- online stream --------------------------------------------------------------------------

void TSimRecorder::HandleCancel()
{
    TLock l(mutex_);
    streaming_ = false;
}

bool TSimRecorder::Streaming() const
{
    TLock l(mutex_);
    return streaming_;
}

TByteString TSimRecorder::NextStreamRecord()
{
    const auto& cfg = profile_.Online;
    const long k = streamCount_++;
    TByteString out;
    if (cfg.JunkEvery > 0 && k % cfg.JunkEvery == cfg.JunkEvery - 1) {
        out.push_back(0x88);
        out.push_back(0x01);
    }
    const std::size_t cc = channels_.size();
    if (streamType_ == 2) {
        std::vector<std::array<std::int16_t, 3>> triples(cc);
        std::vector<std::int16_t> flat;
        for (std::size_t c = 0; c < cc; ++c) {
            const auto v = static_cast<std::int16_t>(((k * 37 + static_cast<long>(c) * 101) % 4000) - 2000);
            triples[c] = {v, static_cast<std::int16_t>(v - 10 - static_cast<int>(c)),
                          static_cast<std::int16_t>(v + 10 + static_cast<int>(c))};
            flat.insert(flat.end(), triples[c].begin(), triples[c].end());
        }
        const std::uint8_t status = cfg.EventEvery > 0 && k % cfg.EventEvery == cfg.EventEvery - 1
                                        ? static_cast<std::uint8_t>(1u << (k % 4))
                                        : 0;
        auto r = WriteOnlineEvent(triples, status, cfg.FreeByte);
        out.insert(out.end(), r.begin(), r.end());
        streamed_.push_back(std::move(flat));
        streamedStatus_.push_back(status);
        BoundStreamed();
        return out;
    }
    std::vector<std::int16_t> values(cc);
    for (std::size_t c = 0; c < cc; ++c) {
        // A saw tooth per channel across the middle of its measuring range, with a spike
        // every 13 records: column extremes differ from the ends.
        const long lo = std::max<long>(channels_[c].LoRange, -32000), hi = std::min<long>(channels_[c].HiRange, 32000);
        const long span = std::max<long>(hi - lo, 10);
        long v = lo + span / 5 + (k * static_cast<long>(c + 3)) % 600 * span / 1000;
        if (k % 13 == 5)
            v += span / 6 - static_cast<long>(c) * span / 200;
        values[c] = static_cast<std::int16_t>(std::clamp<long>(v, -32768, 32767));
    }
    const std::uint8_t status = cfg.TriggerAtRecord >= 0 && k >= cfg.TriggerAtRecord ? 0x01 : 0x00;
    const bool bad = cfg.BadChecksumEvery > 0 && k % cfg.BadChecksumEvery == cfg.BadChecksumEvery - 1;
    auto r = WriteOnlineRecord(values, status, bad);
    out.insert(out.end(), r.begin(), r.end());
    if (!bad) {
        streamed_.push_back(std::move(values));
        streamedStatus_.push_back(status);
        BoundStreamed();
    }
    return out;
}

void TSimRecorder::BoundStreamed()
{
    // The reference keeps the last kStreamedKept records of a run (older ones are counted only).
    if (streamed_.size() <= kStreamedKept + kStreamedKept / 10)
        return;
    const std::size_t drop = streamed_.size() - kStreamedKept;
    streamed_.erase(streamed_.begin(), streamed_.begin() + static_cast<long>(drop));
    streamedStatus_.erase(streamedStatus_.begin(), streamedStatus_.begin() + static_cast<long>(drop));
    streamedDropped_ += static_cast<long>(drop);
}

TByteString TSimRecorder::PullStream(std::chrono::steady_clock::time_point now)
{
    TLock l(mutex_);
    TByteString out;
    if (!streaming_)
        return out;
    int burst = 0;
    while (streaming_ && streamNext_ <= now) {
        auto r = NextStreamRecord();
        out.insert(out.end(), r.begin(), r.end());
        streamNext_ += profile_.Online.Interval;
        if (profile_.Online.StopAfter >= 0 && streamCount_ >= profile_.Online.StopAfter)
            streaming_ = false;
        if (++burst >= 64) {
            // Far behind (a stalled pump): do not flood, resume at the present.
            streamNext_ = now + profile_.Online.Interval;
            break;
        }
    }
    return out;
}

} // namespace vro::sim
