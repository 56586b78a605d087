// TSimRecorder: the recorder's side of the command set, behind the frame
// layer of the simulator. The frame layer hands it every complete request
// frame to 'R' or 'S' (address, command number, data) and sends back what it
// answers; it also passes on the bare control bytes (ENQ, ESC) and pulls the
// bytes of a running online stream.
//
// What the recorder holds: an identification for a chosen layout version,
// a live channel set with moving current values, a memory with recordings
// and stored setups (one handle space over both lists), the setup blocks,
// two firmware areas, a remote-recording state machine and the online
// stream. Every answer can be replaced by a fault (silence, a status value,
// a short, long or empty answer, a cut multi-packet read, failures of the
// first k pieces) so that the program's error paths can be exercised.
//
// One table lists the commands the recorder answers (address, number, the
// kind of status a refusal answers, and the routine that answers); it is
// both the dispatcher and the command set the frame layer installs. The
// answer routines live by command group, as the device layer groups the
// commands (src/device/vro8device.h): recordermeasurement.cpp,
// recorderrecording.cpp, recorderdirectory.cpp, recordersetup.cpp,
// recorderremote.cpp, recorderonline.cpp, recorderflash.cpp; the faults in
// recorderfaults.cpp.
//
// Thread safety: every public operation takes the recorder's mutex, so the
// frame layer's thread and a test thread may use it together. No operation
// sleeps while holding the lock.
#pragma once

#include "sim/recorderfirmware.h"
#include "sim/recorderlayout.h"

#include <chrono>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace vro::sim {

// What the recorder does instead of its normal answer.
enum class ERecorderFault {
    None,
    Silence,   // no answer at all
    Status,    // a status answer carries Value instead of 0 (status1 or status2 by command)
    Short,     // the answer is cut by Value bytes (at least to 0)
    Long,      // Value extra bytes are appended
    Empty,     // an answer without data
    CutAt,     // multi-packet read: pieces at or after offset Value answer 0 bytes
    OverPiece, // multi-packet read: every piece is Value bytes longer than the data left
    Delay,     // answer after Value milliseconds
};

struct TRecorderFault {
    ERecorderFault Mode = ERecorderFault::None;
    long Value = 0;
    int Times = -1;    // how many answers the fault applies to; -1: until cleared
    int SkipFirst = 0; // answers left alone before the fault starts
};

// One command's fault as `vro simulate --faults` names it:
// "R20:status:3", "R23:cut:4800", "R40:silence", "S101:delay:3000"; modes
// silence, status, short, long, empty, cut, over, delay (the value is
// required for all but silence and empty).
struct TNamedRecorderFault {
    char Address = 'R';
    std::uint8_t Number = 0;
    TRecorderFault Fault;
};
// A comma-separated list of those; raises std::invalid_argument naming the
// item that does not read. An item may end in "@K" (the first K answers
// are left alone) and "*N" (only N answers): "R24:status:3@1", "R33:status:5@1*1".
std::vector<TNamedRecorderFault> ParseRecorderFaults(const std::string& text);

// The recorder's answer to one request frame.
struct TRecorderAnswer {
    bool Silent = false;
    TByteString Data;
    std::chrono::milliseconds Delay{0}; // the frame layer answers after this delay
};

// Remote-recording state.
enum class ESimRemoteState { Idle, Measuring, Storing, Finished };

// Online stream behaviour.
struct TSimOnlineConfig {
    std::chrono::microseconds Interval{2000}; // one record every Interval (scaled rate)
    int JunkEvery = 0;                        // every n-th record is preceded by the bytes 88 01
    int BadChecksumEvery = 0;                 // every n-th record (types 0/1) carries a wrong checksum
    long TriggerAtRecord = -1;                // types 0/1: status bit 0 set from this record on
    int EventEvery = 5;                       // type 2: every n-th record reports an event (status != 0)
    std::uint8_t FreeByte = 0x42;
    long StopAfter = -1; // stop streaming by itself after this many records
};

struct TSimProfile {
    int ComVersion = 3;
    std::string IdentText = "VRO8K-M V2.10";
    std::int16_t HardwareVariant = 1;
    TSimFirmwareConfig Firmware;                // erase times, flash faults, power loss, activation
    std::size_t PieceSize = 240;                // bytes per multi-packet piece
    std::optional<std::uint8_t> EnqIdle = 0x3F; // ENQ answer while idle (empty: silence)
    std::uint8_t EnqMeasuring = 0x06;           // ACK: running
    std::uint8_t EnqFinished = 0x15;            // NAK: finished
    std::chrono::milliseconds RemoteDuration{300};
    std::chrono::milliseconds StoringTime{200}; // ping answers wait while storing
    // Records of the recording a remote run makes: without a count, the
    // recording time of the recording block / its sample interval, at most
    // RemoteMaxRecords.
    std::optional<std::uint32_t> RemoteRecords;
    std::uint32_t RemoteMaxRecords = 5000;
    bool AlterArea1OnReadBack = false; // bytes 20..23 of area 1 differ on read-back
    // Smart sensors plugged into the inputs with smart-sensor flags (A..D,
    // A..C on layout 5): the sub-channel count of each (0: an ordinary
    // sensor). Empty: the default, input B with one sub-channel.
    std::optional<std::vector<int>> SmartSubChannels;
    // Layout 4: the input (0..3) whose smart sensor is the CAN bus (R 52
    // answers "CAN-Bus"; its channels are the active CAN messages); -1: none.
    int CanBusInput = -1;
    TSimOnlineConfig Online;
};

class TSimRecorder {
public:
    explicit TSimRecorder(TSimProfile profile = {});

    // ---- driven by the frame layer ----
    // The commands the recorder answers, in the order of its table.
    struct TCommandId {
        char Address;
        std::uint8_t Number;
    };
    static std::vector<TCommandId> CommandSet();
    // A valid request frame to 'R' or 'S'.
    TRecorderAnswer HandleFrame(char address, std::uint8_t number, std::span<const std::uint8_t> data);
    // A bare ENQ byte: the answer byte, or none (silence).
    std::optional<std::uint8_t> HandleEnq();
    // An ESC outside a frame: the online stream stops at once.
    void HandleCancel();
    // The bytes of the online stream due by `now` (empty when not streaming).
    TByteString PullStream(std::chrono::steady_clock::time_point now);
    bool Streaming() const;

    // ---- configuration (tests, vro simulate) ----
    const TSimProfile& Profile() const { return profile_; }
    void SetComVersion(int v);
    void SetIdentText(const std::string& t);
    void SetOnline(const TSimOnlineConfig& c);
    void SetPieceSize(std::size_t n);
    // A fixed channel list: from here on the list no longer follows the
    // sensor block.
    void SetChannels(std::vector<TSimChannel> channels, bool minMax);
    void SetMinMax(bool minMax);
    std::vector<TSimChannel> Channels() const;
    // Adds a recording (samples generated when Words is empty); returns its handle.
    std::uint16_t AddRecording(TSimRecording rec);
    // Replaces all recordings and setups by the built-in set.
    void LoadDefaultMemory();
    void ClearMemory();
    std::vector<TSimRecording> Recordings() const;
    std::optional<TSimRecording> RecordingByHandle(std::uint16_t handle) const;
    // A stored setup entry with a snapshot of the blocks; returns its handle.
    // `date` in seconds since 2000 (default: now).
    std::uint16_t AddSetup(const std::string& name, std::uint32_t number, std::optional<std::uint32_t> date = {});
    std::size_t SetupCount() const;
    // Header bytes patched after encoding (offset in the layout's header, 32-bit value).
    void PatchHeader(std::uint16_t handle, std::size_t offset, std::uint32_t value);
    // Fault for one command ('R'/'S' and number); Mode None clears it.
    void SetFault(char address, std::uint8_t number, TRecorderFault fault);
    void ClearFaults();
    // Answers a remote run's ENQ and ping questions as if time had advanced.
    ESimRemoteState RemoteState();
    std::vector<std::uint8_t> Block(std::uint8_t number) const; // live setup block by its R number
    std::vector<std::uint8_t> FirmwareArea(int area) const;
    // "firmware: area 0 P packets, area 1 Q packets, A activations".
    std::string FirmwareSummary() const;
    // Records of the online stream sent so far (the test's reference).
    std::vector<std::vector<std::int16_t>> StreamedRecords() const;
    std::vector<std::uint8_t> StreamedStatus() const;
    long StreamDropped() const;
    // Records of this run no longer held by StreamedRecords (only the last 1,000,000 are).
    long StreamedForgotten() const;
    // The frame layer reports stream bytes it could not write (a full line buffer).
    void CountDropped(long records);
    // Count of requests seen per command (key address << 8 | number).
    int RequestCount(char address, std::uint8_t number) const;
    // Every request frame seen, in order (address, number, data).
    struct TRequest {
        char Address;
        std::uint8_t Number;
        TByteString Data;
    };
    std::vector<TRequest> Transcript() const;

private:
    struct TSetup {
        std::uint16_t Handle;
        std::string Name;
        std::uint32_t Number;
        std::uint32_t Date;
        std::map<std::uint8_t, TByteString> Blocks;
    };
    using TLock = std::lock_guard<std::mutex>;
    using TClock = std::chrono::steady_clock;

    // One request as an answer routine sees it.
    struct TCall {
        char Address;
        std::uint8_t Number;
        std::span<const std::uint8_t> Data;
        TClock::time_point Now;
    };
    // What a status fault (a refusal) answers in place of the command's answer.
    enum class EStatusAnswer : std::uint8_t {
        None,       // the command answers no status: a status fault does nothing
        OneByte,    // status1
        TwoBytes,   // status2 (commands that name an entry or a setup)
        OneWithData // status1 when the request carries data (R 210's ping), else none
    };
    struct TCommand {
        char Address;
        std::uint8_t Number;
        EStatusAnswer Status;
        TRecorderAnswer (TSimRecorder::*Answer)(const TCall&);
    };
    static std::span<const TCommand> Commands();
    static const TCommand* FindCommand(char address, std::uint8_t number);
    static int Key(char a, std::uint8_t n) { return (static_cast<unsigned char>(a) << 8) | n; }

    // ---- answer routines by command group (the mutex is held) ----
    TRecorderAnswer AnswerIdent(const TCall& c);
    // recordermeasurement.cpp
    TRecorderAnswer AnswerChannelCount(const TCall& c);
    TRecorderAnswer AnswerChannel(const TCall& c);
    TRecorderAnswer AnswerCurrentValues(const TCall& c);
    TRecorderAnswer AnswerResetMinMax(const TCall& c);
    // recorderrecording.cpp
    TRecorderAnswer AnswerSelect(const TCall& c);
    TRecorderAnswer AnswerHeader(const TCall& c);
    TRecorderAnswer AnswerSamples(const TCall& c);
    // recorderdirectory.cpp
    TRecorderAnswer AnswerCount(const TCall& c);
    TRecorderAnswer AnswerEntries(const TCall& c);
    TRecorderAnswer AnswerDelete(const TCall& c);
    // recordersetup.cpp
    TRecorderAnswer AnswerLoadSetup(const TCall& c);
    TRecorderAnswer AnswerSaveSetup(const TCall& c);
    TRecorderAnswer AnswerSmartFlags(const TCall& c);
    TRecorderAnswer AnswerSubChannelText(const TCall& c);
    TRecorderAnswer AnswerSmartSensorText(const TCall& c);
    TRecorderAnswer AnswerReadBlock(const TCall& c);
    TRecorderAnswer AnswerWriteBlock(const TCall& c);
    // recorderremote.cpp
    TRecorderAnswer AnswerRemoteStart(const TCall& c);
    TRecorderAnswer AnswerRemoteStop(const TCall& c);
    // recorderonline.cpp
    TRecorderAnswer AnswerOnlineStart(const TCall& c);
    // recorderflash.cpp
    TRecorderAnswer AnswerWriteArea(const TCall& c);
    TRecorderAnswer AnswerReadArea(const TCall& c);
    TRecorderAnswer AnswerAreaVersion(const TCall& c);

    // A multi-packet read of `area` at the request's offset (faults CutAt and OverPiece apply).
    TRecorderAnswer ReadPiece(const TByteString& area, const TCall& c);
    TRecorderAnswer WritePiece(TByteString& area, std::span<const std::uint8_t> data);
    static TRecorderAnswer Silence() { return {true, {}, {}}; }
    static TRecorderAnswer Data(TByteString bytes) { return {false, std::move(bytes), {}}; }
    static TRecorderAnswer Status1(std::uint8_t s) { return {false, {s}, {}}; }
    static TRecorderAnswer Status2(std::int16_t s);
    static std::vector<TSimChannel> DefaultChannels();
    TByteString CurrentValues() const;
    TByteString HeaderOf(const TSimRecording& r) const;
    TSimRecording* FindRecording(std::uint16_t handle);
    void InitBlocks();
    // The channel list (R 10, R 11, R 12) from the sensor block, the smart
    // sensors and, for the CAN-bus input, the CAN block; called after every
    // change of those blocks while the list follows them.
    void FollowSensorBlock();
    void AdvanceRemote(TClock::time_point now);
    void FinishRemoteRun();
    std::uint16_t NextHandle() { return nextHandle_++; }
    std::uint32_t Now2000() const;
    TByteString NextStreamRecord();
    void BoundStreamed();
    static constexpr std::size_t kStreamedKept = 1000000;
    const TRecorderFault* ActiveFault(char a, std::uint8_t n);
    void ApplyFault(const TRecorderFault& f, TRecorderAnswer& answer, bool statusAnswer, bool twoByteStatus) const;

    mutable std::mutex mutex_;
    TSimProfile profile_;
    std::vector<TSimChannel> channels_;
    bool followSensors_ = true;      // false once a fixed list was set
    TByteString defaultSensorBlock_; // the block InitBlocks made: the default list
    bool minMax_ = false;
    struct TExtremes {
        std::int16_t Min = 0, Max = 0;
        bool Set = false;
    };
    mutable std::vector<TExtremes> extremes_; // R 12's min/max since the last S 13
    std::vector<TSimRecording> recordings_;
    std::map<std::uint16_t, std::map<std::size_t, std::uint32_t>> headerPatches_;
    std::vector<TSetup> setups_;
    std::uint16_t nextHandle_ = 0x101;
    bool listIsSetups_ = false;
    std::optional<std::uint16_t> headerHandle_;  // selected by R 20 (or a remote run)
    std::optional<std::uint16_t> sampleHandle_;  // prepared by R 22 (or a remote run)
    std::map<std::uint8_t, TByteString> blocks_; // live setup blocks by R number
    TByteString smartFlags_;
    TSimFirmware firmware_;
    // The new firmware runs: memory empty, setup blocks back to their defaults.
    void RunNewFirmware();
    std::map<int, TRecorderFault> faults_;
    std::map<int, int> faultSeen_;
    std::map<int, int> requests_;
    std::vector<TRequest> transcript_;
    TClock::time_point created_ = TClock::now();
    // remote recording
    ESimRemoteState remote_ = ESimRemoteState::Idle;
    std::chrono::steady_clock::time_point remoteChange_{};
    std::uint32_t remoteNumber_ = 500;
    // online stream
    bool streaming_ = false;
    int streamType_ = 0;
    std::chrono::steady_clock::time_point streamNext_{};
    long streamCount_ = 0;
    std::vector<std::vector<std::int16_t>> streamed_;
    std::vector<std::uint8_t> streamedStatus_;
    long streamedDropped_ = 0;
    long streamDropped_ = 0;
};

} // namespace vro::sim
