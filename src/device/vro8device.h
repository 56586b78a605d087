// TVro8Device: the one connected recorder as objects. It holds the
// identification the recorder reported (R 40) and its layout version, and
// one component per function of the recorder, each reaching the recorder
// through the single connector (not owned):
//   TVro8Measurement      channel descriptions and current values (R 10..12, S 13)
//   TVro8Directory        stored recordings and setups (R 30..33)
//   TVro8Recording        header and sample download (R 20..23)
//   TVro8RemoteRecording  remote start and stop (S 106, ENQ, R 210)
//   TVro8SetupBlocks      the raw setup blocks and the settings directory
//                         commands (R/S 100..107, R 24, R 25, R 50..52)
//   TVro8FlashAreas       the two firmware areas (S 110..R 115)
//   TVro8OnlineRecording  the online stream (vro8online.h)
//
// Every operation runs on the caller's thread and blocks it, except the
// sample download of StartLoad, which runs on the connector's worker and
// ends in the recording's completion step. Connector failures pass through
// as EDvxV24Error; the recorder's own failures are EVro8Device.
//
// Where the recorder's answers could leave data undefined (short status
// answers, short descriptions, directories or headers that came short,
// counts beyond the lists), the components raise instead of using them.
#pragma once

#include "device/vro8error.h"
#include "device/vro8records.h"
#include "link/vro8commands.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace vro {

class TDvxV24Connector;
class TVro8Device;
class TVro8OnlineRecording;

// A recorder time stamp (seconds since 2000-01-01; the recorder's clock has
// no zone) as "YYYY-MM-DD HH:MM:SS".
std::string Vro8StampText(std::uint32_t stamp);

class TVro8Component {
public:
    explicit TVro8Component(TVro8Device& device) : Device(device) {}
    TVro8Device& Device;

protected:
    TDvxV24Connector& Conn() const;
    // The identified layout version; raises NotIdentified before R 40.
    int ComVersion() const;
};

class TVro8Measurement : public TVro8Component {
public:
    using TVro8Component::TVro8Component;

    // R 10, then R 11 for every channel. A count outside 0..70 raises.
    void ReadChannels();
    // R 12; re-reads the channel list when the answered number differs.
    void ReadCurrentValues();
    // S 13; false when the exchange failed.
    bool ResetMinMax();
    // First channel on Input (and SubChannel unless it is 0); -1 if none.
    std::int32_t FindChannel(int input, int subChannel) const;

    int ChannelCount() const { return count_; }
    bool MinMaxMode() const { return minMax_ != 0; }
    const TVro8ChannelDescription& Channel(int index) const;
    const TVro8ChannelRecord& ChannelRecord(int index) const;
    // Raw current value, min and max; empty for a channel the latest answer does not cover.
    std::optional<std::int16_t> Value(int index) const { return values_.Value(index); }
    std::optional<std::int16_t> Min(int index) const { return values_.Min(index); }
    std::optional<std::int16_t> Max(int index) const { return values_.Max(index); }
    const TVro8ValueArea& ValueArea() const { return values_; }

private:
    std::vector<TVro8ChannelRecord> records_;
    std::vector<TVro8ChannelDescription> channels_;
    int count_ = 0;
    std::uint16_t minMax_ = 0;
    TVro8ValueArea values_;
};

class TVro8Directory : public TVro8Component {
public:
    using TVro8Component::TVro8Component;

    // R 30 / R 31 (byte timeout 20000 ms), then R 32 for all entries. A list
    // that comes short raises; the entries then hold only what was complete.
    void RefreshRecordings();
    void RefreshSetups();
    bool HoldsSetups() const { return setups_; }
    int Count() const { return static_cast<int>(entries_.size()); }
    const TVro8Entry& Entry(int index) const;
    const std::vector<TVro8Entry>& Entries() const { return entries_; }
    // R 33 for entry Index; a status other than 0 raises "%5d: DeleteFile".
    void DeleteEntry(int index);
    // Format("%-32s\t%10d\t%s", name, number, date and time) per entry.
    std::vector<std::string> ListEntries() const;

private:
    void Refresh(vro8::EDirectoryCommand countCommand, bool setups);
    std::vector<TVro8Entry> entries_;
    bool setups_ = false;
};

class TVro8Recording : public TVro8Component {
public:
    static constexpr int kLoaded = 0; // idle or loaded
    static constexpr int kLoading = 1;
    static constexpr int kFailed = -1; // the download failed (whatever it had read)
    static constexpr int kCancelled = -2;

    using TVro8Component::TVro8Component;
    ~TVro8Recording();

    // Begins the download of directory entry Index: R 20, header, R 22, then
    // the samples on the connector's worker. Returns while they are read.
    void StartLoad(int index);
    // R 20 for directory entry Index, then LoadHeader: the header alone.
    void ReadHeader(int index);
    // R 21: reads, converts and checks the header, then sizes the samples.
    void LoadHeader();
    // Header and samples of the recording the recorder has just made, on the
    // calling thread; a wrong size raises "Illegal Size Received".
    void LoadSynchronous();
    // Load state: kLoaded, kLoading, kFailed or kCancelled.
    int LoadState() const { return loadState_.load(std::memory_order_acquire); }
    // Bytes the last download delivered.
    std::int64_t BytesRead() const { return bytesRead_.load(std::memory_order_acquire); }
    // Called by the completion step (on the connector dispatcher's thread).
    std::function<void(TVro8Recording&, std::int64_t expectedBytes)> OnLoaded;
    std::function<void(TVro8Recording&, std::int64_t expectedBytes)> OnLoadFailed;

    const TVro8HeaderBytes& HeaderBytes() const { return header_; }
    const TVro8Header& Header() const { return decoded_; }
    const std::vector<std::uint16_t>& Samples() const { return samples_; }
    // Byte timeout of the sample download at a line speed (see StartLoad).
    static std::uint32_t DownloadByteTimeout(std::int32_t baudrate);
    std::int64_t ExpectedBytes() const { return static_cast<std::int64_t>(samples_.size()) * 2; }

    // Text of trigger event 0..3 of the header, and of its trigger
    // combination, from the text table (English, German or French).
    std::string TriggerText(int event) const;
    std::string CombinationText() const;

    // Sequential sample readers over the downloaded words.
    void ResetReadPosition() { reader_.ResetReadPosition(); }
    std::uint16_t ReadWord() { return reader_.ReadWord(); }
    std::int16_t ReadSigned() { return reader_.ReadSigned(); }
    std::int32_t ReadLong() { return reader_.ReadLong(); }

private:
    void Complete(std::int32_t result);
    TVro8HeaderBytes header_{};
    TVro8Header decoded_;
    std::vector<std::uint8_t> sampleBytes_; // the worker's destination
    std::vector<std::uint16_t> samples_;
    TVro8SampleReader reader_{samples_};
    std::atomic<int> loadState_{kLoaded};
    std::atomic<std::int64_t> bytesRead_{0};
};

class TVro8RemoteRecording : public TVro8Component {
public:
    using TVro8Component::TVro8Component;
    // S 106 with 1 when Repeat, else 0; the answer length (1 means started).
    std::int32_t StartRemoteRecording(bool repeat);
    // ENQ probe: ACK 0 (running), NAK 1 (finished), no answer 2, other 3.
    std::int32_t GetRecorderState();
    // R 210 without data, one answer byte.
    void StopRemoteRecording();
    // Downloads the recording just made into Device.Recording.
    void LoadSynchronous();
};

// The setup blocks by their command numbers (read with R, written with S).
enum class EVro8Block : std::uint8_t {
    Sensor = vro8::kSensorBlock,
    Trigger = vro8::kTriggerBlock,
    Recording = vro8::kRecordingBlock,
    Display = vro8::kDisplayBlock,
    Base = vro8::kBaseBlock,
    Can = vro8::kCanBlock
};

class TVro8SetupBlocks : public TVro8Component {
public:
    using TVro8Component::TVro8Component;
    // Block size as the recorder sends it for the identified layout.
    std::size_t BlockSize(EVro8Block block) const;
    // Reads a block exactly as the recorder sends it (multi-packet for the
    // sensor and CAN blocks; a read that stops early raises).
    std::vector<std::uint8_t> ReadBlock(EVro8Block block);
    // Writes a block of exactly BlockSize bytes.
    void WriteBlock(EVro8Block block, std::span<const std::uint8_t> bytes);
    // R 25: the live blocks stored in the settings directory.
    void SaveToDirectory(const std::string& name, std::uint32_t number);
    // R 24 with the handle of setup-list entry Index of the directory.
    void LoadFromDirectory(int index);
    // R 50 (layouts above 1): one flag per input; layout 1 gives none.
    std::vector<std::uint8_t> ReadSmartFlags();
    // R 52 / R 51 texts (at most 14 / 32 characters of what was received).
    std::string SmartSensorText(int input);
    std::string SubChannelText(int input, int subChannel);
};

class TVro8FlashAreas : public TVro8Component {
public:
    static constexpr std::size_t kArea0Size = 0x7A00;
    static constexpr std::size_t kArea1Size = 0x3E000;
    using TVro8Component::TVro8Component;
    static std::size_t AreaSize(int area) { return area == 0 ? kArea0Size : kArea1Size; }
    // S 110 / S 113 (area 1 with a byte timeout of 10000 ms, restored after).
    void WriteArea(int area, std::span<const std::uint8_t> image);
    // R 111 / R 114; bytes not read stay 0xFF. True when the read was complete.
    bool ReadArea(int area, std::vector<std::uint8_t>& image);
    // R 112 / R 115: the 14-character version text.
    std::string ReadVersion(int area);
};

class TVro8Device {
public:
    explicit TVro8Device(TDvxV24Connector& connector);
    ~TVro8Device();
    TVro8Device(const TVro8Device&) = delete;
    TVro8Device& operator=(const TVro8Device&) = delete;

    // R 40 into Ident. A layout version outside 1..5 raises and leaves the
    // device unidentified.
    void ReadIdentification();
    bool Identified() const { return identified_; }
    void ForgetIdentification();
    const TVro8Ident& Ident() const { return ident_; }
    int ComVersion() const { return identified_ ? ident_.ComVersion : 0; }
    TDvxV24Connector& Connector() const { return connector_; }

    TVro8Measurement Measurement{*this};
    TVro8Directory Directory{*this};
    TVro8Recording Recording{*this};
    TVro8SetupBlocks SetupBlocks{*this};
    TVro8FlashAreas FlashAreas{*this};
    TVro8RemoteRecording RemoteRecording{*this};
    TVro8OnlineRecording& OnlineRecording() { return *online_; }

private:
    TDvxV24Connector& connector_;
    TVro8Ident ident_;
    bool identified_ = false;
    std::unique_ptr<TVro8OnlineRecording> online_;
};

} // namespace vro
