// Building recordings from their sources, and the operations that change the
// number of samples of an existing recording.
//
// Every fill works on a freshly created, empty TRecording and follows the
// same order: set the parameters, CreateChannelObjects, describe the
// channels, fill the arrays, reset the window. Each fill checks its source
// completely before it touches the recording, so a source that does not hold
// what it promises raises and leaves the recording empty.
//
// The recorder side reaches this unit through plain descriptions
// (TDeviceRecordingData, TOnlineRecordingData) that the device layer fills
// from its download and its online stream; this keeps core free of the
// device layer.
//
// CheckTimeStamps/RepairTimeStamps and CheckAppend/AppendRecording change a
// recording whole or not at all: everything that can fail (a limit, an
// allocation) happens before the first array is replaced.
#pragma once

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "core/construct/devicerecording.h"
#include "core/legacy/legacyrecording.h"
#include "core/recording/recording.h"
#include "core/textimport/textfilehandler.h"

namespace vro {

// The state of an online measurement after its run: the settings and the
// ring buffers of the stream.
struct TOnlineRecordingData {
    double StartTime = 0; // date-times
    double StopTime = 0;
    std::uint8_t RecordingType = 0;
    std::int32_t SimpleCurvMode = 0;
    std::int32_t SampleRate = 0;
    std::int32_t PreTriggerCount = 0;
    std::int32_t TriggerState = 0;
    double TriggerTime = 0;
    std::vector<TDeviceChannelInfo> Channels;                         // the recorder's current sensors
    std::vector<std::pair<std::int32_t, std::int32_t>> DisplayRanges; // per channel, from the online display
    std::int32_t LeftYAxis = 1;
    std::int32_t RightYAxis = 0;
    std::int32_t XAxisIndex = -1;
    std::int32_t BufferLength = 0;
    std::int32_t WriteIndex = 0;
    std::vector<std::vector<std::int32_t>> Values;    // [channel][BufferLength]
    std::vector<std::vector<std::int32_t>> MinValues; // type 2
    std::vector<std::vector<std::int32_t>> MaxValues; // type 2
    std::vector<std::uint32_t> TimeStamps;            // type 2
    std::vector<std::uint16_t> States;                // type 2
};

// Raised by a fill whose source is inconsistent; the recording stays empty.
class EConstruct : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The file name FillFromDevice gives with the auto-name flag:
// folder + "name-00012.vxrf", or "name-00012-1.vxrf", ... when taken; the
// name passes SafeFileName and the path FileInFolder (core/template/safefilename.h).
std::string DeviceFileName(const std::filesystem::path& folder, const std::string& name, std::int32_t number);

void FillFromDevice(TRecording& r, const TDeviceRecordingData& source, bool autoName, const std::string& fileName,
                    const std::filesystem::path& folder);
void FillFromOnline(TRecording& r, const TOnlineRecordingData& source, std::int32_t count);
void FillFromLegacy(TRecording& r, const TLegacyRecording& source);
void FillFromTextFile(TRecording& r, const textimport::TTextFileHandler& source);

// A copy of the visible window with the visible channels (and the X-axis
// channel); null when no channel is visible.
std::unique_ptr<TRecording> ExtractVisibleRange(const TRecording& r);

// 0 none, 1 a jump back of more than 4 days, 2 a small step back; sets
// TimeStampFault and TimeStampFaultIndex.
int CheckTimeStamps(TRecording& r);
void RepairTimeStamps(TRecording& r);

// Merge codes: 0 possible; 1 too much data together; 2 different channels
// (count or decimals); 3 a recording without time stamps; 4 min/max values
// differ; 5 states differ.
inline constexpr std::int64_t kMaxMergeBytes = 20000000;
int CheckAppend(const TRecording& r, const TRecording& other);
int AppendRecording(TRecording& r, const TRecording& other);

} // namespace vro
