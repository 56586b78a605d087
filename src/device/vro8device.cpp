#include "device/vro8device.h"

#include "core/util/bytes.h"
#include "core/text/texts.h"
#include "core/util/charset.h"
#include "core/values/dvxdatetime.h"
#include "core/values/vro8utils.h"
#include "device/vro8online.h"
#include "link/dvxv24connector.h"
#include "link/vro8commands.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace vro {

namespace {

using vro8::kRead;
using vro8::kWrite;

std::array<std::uint8_t, 2> U16Data(std::uint16_t v)
{
    return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8)};
}

// A status answer of a command that names an entry: exactly two bytes.
std::int16_t TransferStatus2(TDvxV24Connector& c, std::uint8_t number, std::span<const std::uint8_t> data)
{
    std::array<std::uint8_t, 2> ans{};
    const std::int32_t n = c.Transfer(kRead, number, ans, data);
    if (n != 2)
        throw EVro8Device(EVro8Status::UnexpectedMessageLen, "Unexpected Messagelen received");
    return GetI16(ans, 0);
}

// Restores the byte timeout when the scope ends, also on failure.
struct TRestoreTimeout {
    TDvxV24Connector& c;
    ~TRestoreTimeout() { c.RestoreByteTimeout(); }
};


void RequireComplete(TDvxV24Connector& c, std::int32_t got, std::size_t want)
{
    if (c.GetTransferState() == ETransferState::tsFailed)
        throw EDvxV24Error(c.LastError().empty() ? "Timeout Error. No byte received." : c.LastError());
    if (got < 0 || static_cast<std::size_t>(got) != want)
        throw EVro8Device(EVro8Status::TransferIncomplete,
                          "Transfer incomplete: " + std::to_string(got) + " of " + std::to_string(want) + " bytes");
}

} // namespace

std::string Vro8StampText(std::uint32_t stamp)
{
    const std::time_t t = static_cast<std::time_t>(stamp) + 946684800;
    std::tm tm{};
    gmtime_r(&t, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", &tm);
    return buf;
}

// ---- component base --------------------------------------------------------------------

TDvxV24Connector& TVro8Component::Conn() const { return Device.Connector(); }

int TVro8Component::ComVersion() const
{
    if (!Device.Identified())
        throw EVro8Device(EVro8Status::NotIdentified, "The recorder has not been identified");
    return Device.ComVersion();
}

// ---- device --------------------------------------------------------------------------------

TVro8Device::TVro8Device(TDvxV24Connector& connector)
    : connector_(connector), online_(std::make_unique<TVro8OnlineRecording>(*this))
{}

TVro8Device::~TVro8Device() = default;

void TVro8Device::ReadIdentification()
{
    identified_ = false;
    std::array<std::uint8_t, kVro8IdentSize> ans{};
    connector_.TransferExact(kRead, vro8::kIdent, ans);
    TVro8Ident id = DecodeIdent(ans);
    ident_ = id;
    if (!Vro8ComVersionKnown(id.ComVersion))
        throw EVro8Device(EVro8Status::UnsupportedComVersion, "The recorder reports layout version " +
                                                                  std::to_string(id.ComVersion) +
                                                                  ", which this program does not support (1 to 5)");
    identified_ = true;
}

void TVro8Device::ForgetIdentification()
{
    identified_ = false;
    ident_ = {};
}

// ---- measurement --------------------------------------------------------------------------

void TVro8Measurement::ReadChannels()
{
    const int v = ComVersion();
    std::array<std::uint8_t, 4> head{};
    Conn().TransferExact(kRead, vro8::kChannelCount, head);
    const std::int16_t count = GetI16(head, 0);
    const std::uint16_t minMax = GetU16(head, 2);
    if (count < 0 || count > static_cast<int>(kVro8MaxMeasureChannels))
        throw EVro8Device(EVro8Status::IllegalChannelCount,
                          "Illegal channel count " + std::to_string(count) + " (at most 70)");
    const std::size_t size = Vro8ChannelSize(v);
    std::vector<TVro8ChannelRecord> records;
    std::vector<TVro8ChannelDescription> channels;
    for (int i = 0; i < count; ++i) {
        std::array<std::uint8_t, kVro8ChannelSize> ans{};
        const auto idx = U16Data(static_cast<std::uint16_t>(i));
        const std::int32_t n = Conn().Transfer(kRead, vro8::kChannel, std::span<std::uint8_t>(ans.data(), size), idx);
        if (n != static_cast<std::int32_t>(size))
            throw EVro8Device(EVro8Status::UnexpectedMessageLen, "Unexpected Messagelen received");
        records.push_back(ConvertChannelRecord(v, TBytes(ans.data(), size), false));
        channels.push_back(DecodeChannel(records.back()));
    }
    records_ = std::move(records);
    channels_ = std::move(channels);
    count_ = count;
    minMax_ = minMax;
    values_ = {};
    values_.MinMax = minMax_ != 0;
}

void TVro8Measurement::ReadCurrentValues()
{
    std::array<std::uint8_t, kVro8ValueAreaSize> ans{};
    const std::int32_t n = Conn().Transfer(kRead, vro8::kCurrentValues, ans);
    values_ = DecodeValues(TBytes(ans.data(), static_cast<std::size_t>(std::max(n, 0))), minMax_ != 0);
    if (values_.AnsweredChannels() != count_) {
        // The recorder's sensors have changed: the list is read again; the
        // values keep their answered length, so uncovered channels have none.
        ReadChannels();
        values_ = DecodeValues(TBytes(ans.data(), static_cast<std::size_t>(std::max(n, 0))), minMax_ != 0);
    }
}

bool TVro8Measurement::ResetMinMax()
{
    try {
        Conn().TransferStatus(kWrite, vro8::kResetMinMax);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

std::int32_t TVro8Measurement::FindChannel(int input, int subChannel) const
{
    for (int i = 0; i < count_; ++i)
        if (channels_[i].Input == input && (subChannel == 0 || channels_[i].SubChannel == subChannel))
            return i;
    return -1;
}

const TVro8ChannelDescription& TVro8Measurement::Channel(int index) const
{
    if (index < 0 || index >= count_)
        throw EVro8Device(EVro8Status::IndexOutOfRange, "Channel index " + std::to_string(index) + " out of range");
    return channels_[static_cast<std::size_t>(index)];
}

const TVro8ChannelRecord& TVro8Measurement::ChannelRecord(int index) const
{
    Channel(index);
    return records_[static_cast<std::size_t>(index)];
}

// ---- directory ---------------------------------------------------------------------------

void TVro8Directory::Refresh(vro8::EDirectoryCommand countCommand, bool setups)
{
    std::array<std::uint8_t, 2> ans{};
    {
        Conn().SetByteTimeout(20000);
        TRestoreTimeout restore{Conn()};
        Conn().TransferExact(kRead, countCommand, ans);
    }
    const std::size_t count = GetU16(ans, 0);
    entries_.clear();
    setups_ = setups;
    if (count == 0)
        return;
    std::vector<std::uint8_t> bytes(count * kVro8EntrySize);
    const std::int32_t got = Conn().ReadMultipacket(kRead, vro8::kEntries, 0, bytes);
    const bool failed = Conn().GetTransferState() == ETransferState::tsFailed;
    const std::size_t complete = static_cast<std::size_t>(std::max(got, 0)) / kVro8EntrySize;
    // Only complete entries are kept: a stale or zero handle must never
    // reach a delete.
    entries_ = DecodeEntries(TBytes(bytes.data(), complete * kVro8EntrySize), std::min(complete, count));
    if (failed || complete < count)
        throw EVro8Device(EVro8Status::DirectoryIncomplete,
                          "Directory incomplete: " + std::to_string(complete) + " of " + std::to_string(count) +
                              " entries received" + (failed ? " (" + Conn().LastError() + ")" : std::string()));
}

void TVro8Directory::RefreshRecordings() { Refresh(vro8::kRecordingCount, false); }
void TVro8Directory::RefreshSetups() { Refresh(vro8::kSetupCount, true); }

const TVro8Entry& TVro8Directory::Entry(int index) const
{
    if (index < 0 || index >= Count())
        throw EVro8Device(EVro8Status::IndexOutOfRange, "Entry " + std::to_string(index) + " does not exist (" +
                                                            std::to_string(Count()) + " entries)");
    return entries_[static_cast<std::size_t>(index)];
}

void TVro8Directory::DeleteEntry(int index)
{
    const TVro8Entry& e = Entry(index);
    const std::int16_t status = TransferStatus2(Conn(), vro8::kDeleteEntry, U16Data(e.Handle));
    CheckVro8Status(status, EVro8Status::DeleteFile);
}

std::vector<std::string> TVro8Directory::ListEntries() const
{
    std::vector<std::string> lines;
    for (const auto& e : entries_) {
        char buf[160];
        std::snprintf(buf, sizeof buf, "%-32s\t%10u\t%s", e.Name.c_str(), e.Number, Vro8StampText(e.Date).c_str());
        lines.emplace_back(buf);
    }
    return lines;
}

// ---- recording download ---------------------------------------------------------------------

TVro8Recording::~TVro8Recording()
{
    // The worker writes into sampleBytes_: it must be gone before they are.
    if (Device.Connector().IsAsyncActive()) {
        Device.Connector().Cancel();
        Device.Connector().WaitAsyncEnded(30000);
    }
}

void TVro8Recording::LoadHeader()
{
    const int v = ComVersion();
    const std::size_t size = Vro8HeaderSize(v);
    std::vector<std::uint8_t> raw(size);
    const std::int32_t got = Conn().ReadMultipacket(kRead, vro8::kHeader, 0, raw);
    if (Conn().GetTransferState() == ETransferState::tsFailed)
        throw EDvxV24Error(Conn().LastError().empty() ? "Timeout Error. No byte received." : Conn().LastError());
    if (got != static_cast<std::int32_t>(size))
        throw EVro8Device(EVro8Status::IllegalHeader, "Illegal Header", 0,
                          "header of " + std::to_string(got) + " bytes, expected " + std::to_string(size));
    TVro8HeaderBytes common = ConvertHeader(v, raw);
    if (auto finding = CheckHeader(common, v))
        throw EVro8Device(EVro8Status::IllegalHeader, "Illegal Header", 0, *finding);
    header_ = common;
    decoded_ = DecodeHeader(header_);
    samples_.assign(static_cast<std::size_t>(decoded_.DataSize), 0);
    reader_ = TVro8SampleReader(samples_);
}

void TVro8Recording::ReadHeader(int index)
{
    if (Conn().IsAsyncActive())
        throw EDvxV24Error("Asynchron Transfer still active!");
    const TVro8Entry entry = Device.Directory.Entry(index);
    CheckVro8Status(TransferStatus2(Conn(), vro8::kSelectHeader, U16Data(entry.Handle)),
                    EVro8Status::LoadRecordingStruct);
    LoadHeader();
}

void TVro8Recording::StartLoad(int index)
{
    if (Conn().IsAsyncActive())
        throw EDvxV24Error("Asynchron Transfer still active!");
    const TVro8Entry entry = Device.Directory.Entry(index);
    loadState_.store(kLoading, std::memory_order_release);
    bytesRead_.store(0, std::memory_order_release);
    try {
        const auto h = U16Data(entry.Handle);
        CheckVro8Status(TransferStatus2(Conn(), vro8::kSelectHeader, h), EVro8Status::LoadRecordingStruct);
        LoadHeader();
        std::int16_t status = 0;
        {
            TRestoreTimeout restore{Conn()};
            status = TransferStatus2(Conn(), vro8::kSelectSamples, h);
        }
        CheckVro8Status(status, EVro8Status::LoadRecordingData);
        sampleBytes_.assign(samples_.size() * 2, 0);
        Conn().SetOnAsyncDone([this](std::int32_t result) { Complete(result); });
        // The worker repeats a failed piece only within its 2000 ms repeat
        // window; with the byte timeout at 2000 ms a lost answer would use
        // the whole window and end the download. A piece of 240 bytes takes
        // milliseconds, so the download waits at most DownloadByteTimeout
        // for a byte, and a lost answer is asked for again. Restored when
        // the download ends.
        Conn().SetByteTimeout(DownloadByteTimeout(Conn().GetBaudrate()));
        try {
            Conn().StartAsyncRead(kRead, vro8::kSamples, 0, sampleBytes_);
        } catch (...) {
            Conn().RestoreByteTimeout();
            throw;
        }
    } catch (...) {
        loadState_.store(kFailed, std::memory_order_release);
        throw;
    }
}

std::uint32_t TVro8Recording::DownloadByteTimeout(std::int32_t baudrate)
{
    // Twice the line time of a whole answer frame, at least 500 ms.
    return std::max<std::uint32_t>(500, 2 * TDvxV24Connector::ByteTimesMs(260, std::max(baudrate, 1)));
}

void TVro8Recording::Complete(std::int32_t result)
{
    Conn().RestoreByteTimeout();
    const std::int64_t expected = static_cast<std::int64_t>(sampleBytes_.size());
    bytesRead_.store(std::max<std::int32_t>(result, 0), std::memory_order_release);
    if (result == expected && Conn().GetTransferState() != ETransferState::tsFailed) {
        samples_ = Vro8SampleWords(sampleBytes_);
        reader_ = TVro8SampleReader(samples_);
        std::vector<std::uint8_t>().swap(sampleBytes_);
        loadState_.store(kLoaded, std::memory_order_release);
        if (OnLoaded)
            OnLoaded(*this, expected);
    } else {
        loadState_.store(result == -2 ? kCancelled : kFailed, std::memory_order_release);
        if (OnLoadFailed)
            OnLoadFailed(*this, expected);
    }
}

void TVro8Recording::LoadSynchronous()
{
    if (Conn().IsAsyncActive())
        throw EDvxV24Error("Asynchron Transfer still active!");
    loadState_.store(kLoading, std::memory_order_release);
    try {
        Conn().ClearBuffers();
        LoadHeader();
        Conn().SetOnAsyncDone({});
        std::vector<std::uint8_t> bytes(samples_.size() * 2);
        const std::int32_t n = Conn().ReadMultipacket(kRead, vro8::kSamples, 0, bytes);
        bytesRead_.store(std::max(n, 0), std::memory_order_release);
        if (n != static_cast<std::int32_t>(bytes.size()) || Conn().GetTransferState() == ETransferState::tsFailed)
            throw EVro8Device(EVro8Status::IllegalSizeReceived, "Illegal Size Received");
        samples_ = Vro8SampleWords(bytes);
        reader_ = TVro8SampleReader(samples_);
        loadState_.store(kLoaded, std::memory_order_release);
    } catch (...) {
        loadState_.store(kFailed, std::memory_order_release);
        throw;
    }
}

std::string TVro8Recording::TriggerText(int event) const
{
    if (event < 0 || event >= static_cast<int>(kVro8HeaderTriggers))
        throw EVro8Device(EVro8Status::IndexOutOfRange, "Trigger event " + std::to_string(event) + " out of range");
    const TVro8TriggerEvent& e = decoded_.Triggers[static_cast<std::size_t>(event)];
    if (e.ActiveState == 0)
        return text(1152);
    // The channel that gives decimals and unit: the first on the event's
    // input, else the first channel.
    const TVro8ChannelDescription* ch = nullptr;
    for (const auto& c : decoded_.Channels)
        if (c.Input == e.Sensor) {
            ch = &c;
            break;
        }
    if (!ch && !decoded_.Channels.empty())
        ch = &decoded_.Channels.front();
    const int decimals = ch && ch->Decimals <= 8 ? ch->Decimals : 0;
    const std::string unit = ch ? ch->Unit : std::string();
    // "Channel A" .. "Channel J" are texts 1117..1126; inputs beyond J get
    // the letter in the same text rather than an unrelated text number.
    auto channelText = [&]() {
        if (e.Sensor <= 9)
            return text(1117 + e.Sensor);
        std::string t = text(1117);
        if (!t.empty() && e.Sensor < 26)
            t.back() = static_cast<char>('A' + e.Sensor);
        return t;
    };
    std::string out;
    switch (e.Source) {
    case 0: return text(1112);
    case 1: return text(e.Input != 0 ? 1114 : 1113) + text(e.Edge != 0 ? 1116 : 1115);
    case 2:
        return channelText() + text(e.Direction != 0 ? 1128 : 1127) + " " + RawToText(e.Value, decimals) + " " + unit;
    case 3:
        return channelText() + text(1129) + " " + RawToText(e.LoLimet, decimals) + text(1130) + " " +
               RawToText(e.HiLimit, decimals) + " " + unit;
    case 4:
        out = std::to_string(e.Count) + text(1131);
        if (e.Count > 1) {
            out += text(1132);
            if (e.Distance <= 8)
                out += text(1134 + e.Distance);
            if (e.StartMode > 0)
                out += text(1133) + " " + DvxDateToText(StampToDateTime(e.StartDate)) + " " +
                       DvxTimeToText(StampToDateTime(e.StartTime));
        }
        return out;
    default: return std::string();
    }
}

std::string TVro8Recording::CombinationText() const
{
    const std::int32_t c = decoded_.TriggerCombination;
    return c >= 0 && c <= 4 ? text(1147 + c) : std::to_string(c);
}

// ---- remote recording ---------------------------------------------------------------------

std::int32_t TVro8RemoteRecording::StartRemoteRecording(bool repeat)
{
    std::array<std::uint8_t, 2> ans{};
    return Conn().Transfer(kWrite, vro8::kRemoteStart, ans, U16Data(repeat ? 1 : 0));
}

std::int32_t TVro8RemoteRecording::GetRecorderState()
{
    const std::int32_t r = Conn().GetEnqState();
    switch (r) {
    case 0x06: return 0;
    case 0x15: return 1;
    case 0: return 2; // no answer (the probe turns every failure into 0)
    default: return 3;
    }
}

void TVro8RemoteRecording::StopRemoteRecording()
{
    std::array<std::uint8_t, 1> ans{};
    Conn().TransferExact(kRead, vro8::kRemoteStop, ans);
}

void TVro8RemoteRecording::LoadSynchronous() { Device.Recording.LoadSynchronous(); }

// ---- setup blocks -----------------------------------------------------------------------------

std::size_t TVro8SetupBlocks::BlockSize(EVro8Block block) const
{
    const int v = ComVersion();
    switch (block) {
    case EVro8Block::Sensor: return v == 5 ? 300 : 720;
    case EVro8Block::Trigger: return v == 5 ? 68 : 132;
    case EVro8Block::Recording: return 48;
    case EVro8Block::Display: return 12;
    case EVro8Block::Base: return 12;
    case EVro8Block::Can: return 2180;
    }
    return 0;
}

static void RequireCan(int v, EVro8Block block)
{
    if (block == EVro8Block::Can && v != 4)
        throw EVro8Device(EVro8Status::IndexOutOfRange, "The CAN block exists only for layout version 4");
}

std::vector<std::uint8_t> TVro8SetupBlocks::ReadBlock(EVro8Block block)
{
    RequireCan(ComVersion(), block);
    std::vector<std::uint8_t> bytes(BlockSize(block));
    const auto nr = static_cast<std::uint8_t>(block);
    if (block == EVro8Block::Sensor || block == EVro8Block::Can) {
        const std::int32_t got = Conn().ReadMultipacket(kRead, nr, 0, bytes);
        RequireComplete(Conn(), got, bytes.size());
    } else {
        Conn().TransferExact(kRead, nr, bytes);
    }
    return bytes;
}

void TVro8SetupBlocks::WriteBlock(EVro8Block block, std::span<const std::uint8_t> bytes)
{
    RequireCan(ComVersion(), block);
    if (bytes.size() != BlockSize(block))
        throw EVro8Device(EVro8Status::UnexpectedMessageLen, "Block " + std::to_string(static_cast<int>(block)) +
                                                                 " needs " + std::to_string(BlockSize(block)) +
                                                                 " bytes");
    const auto nr = static_cast<std::uint8_t>(block);
    if (block == EVro8Block::Sensor || block == EVro8Block::Can)
        Conn().WriteMultipacket(kWrite, nr, 240, bytes);
    else
        Conn().TransferStatus(kWrite, nr, bytes);
}

void TVro8SetupBlocks::SaveToDirectory(const std::string& name, std::uint32_t number)
{
    const int v = ComVersion();
    std::vector<std::uint8_t> data(v == 1 ? 32 : 36, 0);
    const std::string latin = Utf8ToLatin1(name);
    std::copy_n(latin.begin(), std::min<std::size_t>(latin.size(), 32), data.begin());
    if (v != 1)
        PutLE<std::uint32_t>(data, 32, number);
    CheckVro8Status(TransferStatus2(Conn(), vro8::kSaveSetup, data), EVro8Status::SaveSetup);
}

void TVro8SetupBlocks::LoadFromDirectory(int index)
{
    if (!Device.Directory.HoldsSetups())
        throw EVro8Device(EVro8Status::IndexOutOfRange, "The directory does not hold the setup list");
    const TVro8Entry& e = Device.Directory.Entry(index);
    CheckVro8Status(TransferStatus2(Conn(), vro8::kLoadSetup, U16Data(e.Handle)), EVro8Status::LoadSetup);
}

std::vector<std::uint8_t> TVro8SetupBlocks::ReadSmartFlags()
{
    const int v = ComVersion();
    if (v == 1)
        return {};
    std::vector<std::uint8_t> flags(v == 5 ? 3 : 4);
    Conn().TransferExact(kRead, vro8::kSmartFlags, flags);
    return flags;
}

std::string TVro8SetupBlocks::SmartSensorText(int input)
{
    std::array<std::uint8_t, 16> ans{};
    const std::array<std::uint8_t, 1> data{static_cast<std::uint8_t>(input)};
    const std::int32_t n = Conn().Transfer(kRead, vro8::kSmartSensorText, ans, data);
    return Vro8Text(TBytes(ans.data(), static_cast<std::size_t>(std::max(n, 0))), 14);
}

std::string TVro8SetupBlocks::SubChannelText(int input, int subChannel)
{
    std::array<std::uint8_t, 32> ans{};
    const std::array<std::uint8_t, 2> data{static_cast<std::uint8_t>(input), static_cast<std::uint8_t>(subChannel)};
    const std::int32_t n = Conn().Transfer(kRead, vro8::kSubChannelText, ans, data);
    return Vro8Text(TBytes(ans.data(), static_cast<std::size_t>(std::max(n, 0))), 32);
}

// ---- firmware areas ---------------------------------------------------------------------------

void TVro8FlashAreas::WriteArea(int area, std::span<const std::uint8_t> image)
{
    if (image.size() != AreaSize(area))
        throw EVro8Device(EVro8Status::UnexpectedMessageLen, "Firmware image of the wrong size");
    if (area == 0) {
        Conn().WriteMultipacket(kWrite, vro8::kWriteArea0, 240, image);
        return;
    }
    Conn().SetByteTimeout(10000);
    TRestoreTimeout restore{Conn()};
    Conn().WriteMultipacket(kWrite, vro8::kWriteArea1, 240, image);
}

bool TVro8FlashAreas::ReadArea(int area, std::vector<std::uint8_t>& image)
{
    image.assign(AreaSize(area), 0xFF);
    const std::int32_t got = Conn().ReadMultipacket(kRead, area == 0 ? vro8::kReadArea0 : vro8::kReadArea1, 0, image);
    return got == static_cast<std::int32_t>(image.size()) && Conn().GetTransferState() != ETransferState::tsFailed;
}

std::string TVro8FlashAreas::ReadVersion(int area)
{
    std::array<std::uint8_t, 14> ans{};
    Conn().TransferExact(kRead, area == 0 ? vro8::kArea0Version : vro8::kArea1Version, ans);
    return Vro8Text(ans, 14);
}

} // namespace vro
