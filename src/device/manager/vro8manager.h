// TVro8Manager: the program-wide owner of the one TVro8Device and keeper of
// the connected recorder's identity. It identifies the recorder on the open
// port (the connect-and-identify step of vro8connect.h), reconnects
// automatically once per program run when the connection settings ask for
// it, checks with Ping that the recorder still answers (the device window
// calls it every 1500 ms), and turns a finished remote recording or an online
// measurement into a recording document (through the recording manager) or
// a recording file.
//
// Ownership: the manager owns the device; the connection (and with it the
// connector) and the recording manager belong to the main window and outlive
// the manager. The auto-connect window is the user interface's, reached
// through IVro8AutoConnectUi.
//
// Threads: the user-interface thread only. Connect, Ping and AutoConnect
// never raise; their failure shows in IsConnected or their result.
#pragma once

#include "device/manager/takedownload.h"
#include "device/vro8connect.h"
#include "device/vro8device.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

namespace vro {

class TDvxConnection;
class TDvxV24Connector;
class TRecording;
class TRecordingManager;
struct TDeviceRecordingData;
struct TOnlineRecordingData;

// The small window that tells about an automatic connection attempt.
class IVro8AutoConnectUi {
public:
    virtual ~IVro8AutoConnectUi() = default;
    // Creates and shows the window (not modal) with the text.
    virtual void Show(const std::string& text) = 0;
    virtual void SetState(const std::string& text) = 0;
    // The attempt is over: the window stays one second, then goes.
    virtual void Finish() = 0;
};

// A recording built from the recorder could not be written to its file;
// with a recording manager it was added to the documents unsaved.
class EVro8SaveFailed : public std::runtime_error {
public:
    EVro8SaveFailed(std::string fileName, const std::string& what)
        : std::runtime_error(what), FileName(std::move(fileName))
    {}
    std::string FileName;
};

class TVro8Manager {
public:
    // `recordings` may be null when no documents are kept (the manager then
    // only saves recordings to files).
    explicit TVro8Manager(TDvxConnection& connection, TRecordingManager* recordings = nullptr);
    ~TVro8Manager();
    TVro8Manager(const TVro8Manager&) = delete;
    TVro8Manager& operator=(const TVro8Manager&) = delete;

    TVro8Device& Device() { return *device_; }
    TDvxV24Connector& Connector() { return connector_; }
    TDvxConnection& Connection() { return connection_; }
    void SetRecordingManager(TRecordingManager* recordings) { recordings_ = recordings; }
    void SetAutoConnectUi(IVro8AutoConnectUi* ui) { autoConnectUi_ = ui; }

    // Set by the start-recording page.
    std::string SeriesBaseName;
    std::int32_t SeriesNumber = 1;
    std::string RecordingComment;
    // How long DownloadRemoteRecording waits per byte for the recorder to
    // answer again after it has stored a recording.
    std::uint32_t StoreWaitMs = 20000;

    // Identifies the recorder on the open port; never raises.
    void Connect();
    bool IsConnected() const;
    const std::string& GetDescription() const { return identText_; }
    void ForgetIdentity();
    void Disconnect() { ForgetIdentity(); }
    // When not connected, the automatic attempt; then IsConnected.
    bool EnsureConnected();
    // At most once per program run, and only with the AutoConnect setting.
    void AutoConnect();
    bool AutoConnectTried() const { return autoConnectTried_; }
    // R 210 with four data bytes; false on any error.
    bool Ping();
    void ReadChannels();
    // What the last Connect found (the reason when it failed).
    const TVro8ConnectResult& LastConnectResult() const { return lastConnect_; }

    // After a remote recording ended: waits for the recorder to finish
    // storing, downloads the recording and makes it a document, or with
    // saveToFile the next file of the series. Errors of the download pass to
    // the caller; a file that cannot be written raises EVro8SaveFailed.
    // Returns the file written (empty for a document). Both go through the
    // take-a-download step (takedownload.h): a document asks before its time
    // stamps are repaired, a file is repaired and the repair reported (through
    // the recording manager's messages when there is one, and LastTake).
    std::string DownloadRemoteRecording(bool saveToFile);
    // After an online measurement: the last `count` samples of the stream
    // as a document, or with saveToFile the next file of the series.
    std::string BuildOnlineRecording(bool saveToFile, std::int32_t count);
    // A download as a document (empty fileName) or as that file, as above.
    std::string TakeDownloaded(const TDeviceRecordingData& data, const std::string& fileName);
    // What the last take found in the time stamps.
    const TTakeReport& LastTake() const { return lastTake_; }

private:
    using TTake = std::function<std::unique_ptr<TRecording>(const TTakeNaming&, TTakeReport&, const TRepairQuestion&)>;
    // A document without fileName, else that file.
    std::string Finish(const TTake& take, const std::string& fileName);

    TDvxConnection& connection_;
    TDvxV24Connector& connector_;
    TRecordingManager* recordings_;
    IVro8AutoConnectUi* autoConnectUi_ = nullptr;
    std::unique_ptr<TVro8Device> device_;
    std::string identText_;
    bool connecting_ = false;
    bool autoConnectTried_ = false;
    TVro8ConnectResult lastConnect_;
    TTakeReport lastTake_;
};

// The remote recording the recorder has just made, as a recording: waits
// (storeWaitMs per byte) until the recorder answers a ping again, which it
// does once it has stored the recording, downloads it and takes it
// (TakeDownload) with that naming. Errors of the download pass.
std::unique_ptr<TRecording> Vro8ReadRemoteRecording(TVro8Device& device, std::uint32_t storeWaitMs,
                                                    const TTakeNaming& naming, TTakeReport& report,
                                                    const TRepairQuestion& repair = {});

// The recorder's download as the construction of recordings reads it: the
// header as decoded, the channels, the trigger texts and a span over the
// recording's samples (valid while `recording` is neither reloaded nor gone).
TDeviceRecordingData DeviceRecordingData(const TVro8Recording& recording);
// The state of the online stream after a run, with the recorder's current
// sensors (Measurement) as its channels.
TOnlineRecordingData OnlineRecordingData(TVro8OnlineRecording& online, const TVro8Measurement& sensors);

} // namespace vro
