#include "device/manager/vro8manager.h"

#include "core/construct/construct.h"
#include "core/manager/recordingmanager.h"
#include "core/recording/recording.h"
#include "core/text/texts.h"
#include "device/manager/takedownload.h"
#include "device/vro8online.h"
#include "link/connection/dvxconnection.h"
#include "link/dvxv24connector.h"
#include "link/vro8commands.h"

#include <stdexcept>

namespace vro {

namespace {

TDeviceChannelInfo ChannelInfo(const TVro8ChannelDescription& d)
{
    TDeviceChannelInfo c;
    c.Input = d.Input;
    c.SubChannel = d.SubChannel;
    c.Name = d.Name;
    c.Unit = d.Unit;
    c.Decimals = d.Decimals;
    c.LoRange = d.LoRange;
    c.HiRange = d.HiRange;
    c.DataType = d.DataType;
    return c;
}

} // namespace

TDeviceRecordingData DeviceRecordingData(const TVro8Recording& recording)
{
    const TVro8Header& h = recording.Header();
    TDeviceRecordingData d;
    static_cast<TDeviceRecordingHeader&>(d) = h;
    d.Channels.reserve(h.Channels.size());
    for (const TVro8ChannelDescription& c : h.Channels)
        d.Channels.push_back(ChannelInfo(c));
    for (std::size_t i = 0; i < d.TriggerTexts.size() && i < kVro8HeaderTriggers; ++i)
        d.TriggerTexts[i] = recording.TriggerText(static_cast<int>(i));
    d.CombinationText = recording.CombinationText();
    d.Samples = recording.Samples();
    return d;
}

TOnlineRecordingData OnlineRecordingData(TVro8OnlineRecording& online, const TVro8Measurement& sensors)
{
    TOnlineRecordingData d;
    d.StartTime = online.StartTime();
    d.StopTime = online.StopTime();
    d.RecordingType = static_cast<std::uint8_t>(online.RecordingType);
    d.SimpleCurvMode = online.SimpleCurvMode;
    d.SampleRate = online.SampleRate;
    d.PreTriggerCount = online.PreCount();
    d.TriggerState = online.TriggerState();
    d.TriggerTime = online.TriggerTime();
    const int channels = online.ChannelCount;
    if (channels < 1 || channels > TVro8OnlineRecording::kMaxChannels || channels > sensors.ChannelCount())
        throw std::runtime_error("The online measurement has " + std::to_string(channels) +
                                 " channels, the recorder describes " + std::to_string(sensors.ChannelCount()));
    for (int ch = 0; ch < channels; ++ch) {
        d.Channels.push_back(ChannelInfo(sensors.Channel(ch)));
        d.DisplayRanges.emplace_back(online.LoY[static_cast<std::size_t>(ch)],
                                     online.HiY[static_cast<std::size_t>(ch)]);
    }
    d.LeftYAxis = static_cast<std::int32_t>(online.LeftAxisChannels);
    d.RightYAxis = static_cast<std::int32_t>(online.RightAxisChannels);
    d.XAxisIndex = online.XChannel;
    d.BufferLength = online.BufferLength;
    d.WriteIndex = online.WriteIndex();
    const std::int32_t n = online.BufferLength;
    const bool events = online.RecordingType == 2;
    d.Values.assign(static_cast<std::size_t>(channels), std::vector<std::int32_t>(static_cast<std::size_t>(n)));
    if (events) {
        d.MinValues = d.Values;
        d.MaxValues = d.Values;
        d.TimeStamps.resize(static_cast<std::size_t>(n));
        d.States.resize(static_cast<std::size_t>(n));
    }
    // The accessors are bounded by the rings: a length that does not match
    // the run raises instead of reading past them.
    for (int ch = 0; ch < channels; ++ch)
        for (std::int32_t i = 0; i < n; ++i) {
            const auto k = static_cast<std::size_t>(i);
            d.Values[static_cast<std::size_t>(ch)][k] = online.Value(ch, i);
            if (events) {
                d.MinValues[static_cast<std::size_t>(ch)][k] = online.MinValue(ch, i);
                d.MaxValues[static_cast<std::size_t>(ch)][k] = online.MaxValue(ch, i);
            }
        }
    if (events)
        for (std::int32_t i = 0; i < n; ++i) {
            d.TimeStamps[static_cast<std::size_t>(i)] = static_cast<std::uint32_t>(online.TimeStamp(i));
            d.States[static_cast<std::size_t>(i)] = online.State(i);
        }
    return d;
}

TVro8Manager::TVro8Manager(TDvxConnection& connection, TRecordingManager* recordings)
    : connection_(connection), connector_(connection.Connector()), recordings_(recordings),
      device_(std::make_unique<TVro8Device>(connection.Connector()))
{}

TVro8Manager::~TVro8Manager() { ForgetIdentity(); }

void TVro8Manager::ForgetIdentity()
{
    identText_.clear();
    connecting_ = false;
}

void TVro8Manager::Connect()
{
    ForgetIdentity();
    connecting_ = true;
    try {
        lastConnect_ = Vro8Connect(*device_);
    } catch (const std::exception& e) {
        lastConnect_ = TVro8ConnectResult{};
        lastConnect_.Error = e.what();
    }
    if (lastConnect_.Connected)
        identText_ = lastConnect_.IdentText;
    connecting_ = false;
}

bool TVro8Manager::IsConnected() const { return connector_.IsOpen() && !connecting_ && !identText_.empty(); }

bool TVro8Manager::EnsureConnected()
{
    if (!IsConnected())
        AutoConnect();
    return IsConnected();
}

void TVro8Manager::AutoConnect()
{
    if (!connection_.AutoConnect || autoConnectTried_)
        return;
    autoConnectTried_ = true;
    try {
        if (autoConnectUi_)
            autoConnectUi_->Show(text(698));
        bool opened = false;
        try {
            connection_.Open();
            opened = true;
        } catch (const std::exception& e) {
            lastConnect_ = TVro8ConnectResult{};
            lastConnect_.Error = e.what();
        }
        if (opened)
            Connect();
        if (IsConnected()) {
            if (autoConnectUi_)
                autoConnectUi_->SetState(text(700));
        } else {
            connection_.Close();
            if (autoConnectUi_)
                autoConnectUi_->SetState(text(699));
        }
    } catch (...) {
    }
    try {
        if (autoConnectUi_)
            autoConnectUi_->Finish();
    } catch (...) {
    }
}

bool TVro8Manager::Ping()
{
    // The four data bytes carry no meaning; without them the same command
    // would stop a remote recording.
    static constexpr std::uint8_t kPingData[4] = {0, 0, 0, 0};
    try {
        connector_.TransferStatus(vro8::kRead, vro8::kRemoteStop, kPingData);
        return true;
    } catch (...) {
        return false;
    }
}

void TVro8Manager::ReadChannels() { device_->Measurement.ReadChannels(); }

std::string TVro8Manager::Finish(const TTake& take, const std::string& fileName)
{
    const bool saveToFile = !fileName.empty();
    if (!saveToFile && !recordings_)
        throw std::logic_error("No recording manager to take the recording");
    lastTake_ = {};
    if (!saveToFile) {
        auto recording = take(TTakeNaming{}, lastTake_, AskThroughDocuments(*recordings_));
        recording->Comment = RecordingComment;
        AddToDocuments(*recordings_, std::move(recording), false);
        return {};
    }
    // A file: faulty time stamps are repaired without a question, and said.
    auto recording = take(TTakeNaming::InFile(fileName), lastTake_, {});
    recording->Comment = RecordingComment;
    if (!lastTake_.Message.empty() && recordings_)
        recordings_->ShowWarning(lastTake_.Message);
    try {
        recording->SaveToFile();
    } catch (const std::exception& e) {
        // The measurement stays: it joins the documents unsaved.
        if (recordings_) {
            recording->NameConfirmed = false;
            recordings_->AddRecording(std::move(recording), true);
        }
        throw EVro8SaveFailed(fileName, e.what());
    }
    return fileName;
}

std::unique_ptr<TRecording> Vro8ReadRemoteRecording(TVro8Device& device, std::uint32_t storeWaitMs,
                                                    const TTakeNaming& naming, TTakeReport& report,
                                                    const TRepairQuestion& repair)
{
    // The recorder answers again only once it has stored the recording. The
    // four data bytes make R 210 a ping; without them it would stop a recording.
    static constexpr std::uint8_t kPingData[4] = {0, 0, 0, 0};
    TDvxV24Connector& c = device.Connector();
    c.SetByteTimeout(storeWaitMs);
    try {
        c.TransferStatus(vro8::kRead, vro8::kRemoteStop, kPingData);
    } catch (...) {
    }
    c.RestoreByteTimeout();
    device.RemoteRecording.LoadSynchronous();
    return TakeDownload(DeviceRecordingData(device.Recording), naming, report, repair);
}

std::string TVro8Manager::DownloadRemoteRecording(bool saveToFile)
{
    std::string name;
    if (saveToFile) {
        name = TRecordingManager::SeriesName(SeriesBaseName, SeriesNumber);
        ++SeriesNumber;
    }
    return Finish(
        [this](const TTakeNaming& naming, TTakeReport& report, const TRepairQuestion& repair) {
            return Vro8ReadRemoteRecording(*device_, StoreWaitMs, naming, report, repair);
        },
        name);
}

std::string TVro8Manager::BuildOnlineRecording(bool saveToFile, std::int32_t count)
{
    const TOnlineRecordingData data = OnlineRecordingData(device_->OnlineRecording(), device_->Measurement);
    std::string name;
    if (saveToFile) {
        name = TRecordingManager::SeriesName(SeriesBaseName, SeriesNumber);
        ++SeriesNumber;
    }
    return Finish([&](const TTakeNaming& naming, TTakeReport& report,
                      const TRepairQuestion& repair) { return TakeOnline(data, count, naming, report, repair); },
                  name);
}

std::string TVro8Manager::TakeDownloaded(const TDeviceRecordingData& data, const std::string& fileName)
{
    return Finish([&](const TTakeNaming& naming, TTakeReport& report,
                      const TRepairQuestion& repair) { return TakeDownload(data, naming, report, repair); },
                  fileName);
}

} // namespace vro
