// The recordings page's transfer loop, shared by the page and `vro device
// copy`: each selected recorder entry is read out (header, then the samples
// on the connector's worker) and either taken as a recording (TakeDownload,
// device/manager/takedownload.h: time stamps checked and repaired, the repair
// shown as information) and written into the folder under the option's name
// (to a temporary file renamed into place), or handed to the caller to take
// (open mode). The first failure shows text 553 with the entry's name and ends
// the loop; an abort cancels the connection's transfer and ends it without
// a message, leaving the recorder usable.
//
// Threads: the caller's. The worker's completion reaches the caller through
// the connector's dispatcher; `pump` runs while waiting so that a GUI caller
// can deliver it (and keep painting).
#pragma once

#include "device/files/vrofilenames.h"
#include "device/files/vrosetuptransfer.h"

#include <functional>
#include <memory>

namespace vro {

class TRecording;
class TVro8Device;
struct TDeviceRecordingData;

struct TVroRecordingHooks {
    // Before each entry: position from 1, count, and the line "%s-%5.5d".
    std::function<void(int position, int count, const std::string& line)> onItem;
    // The current entry's progress, 0..1000.
    std::function<void(int perMille)> onProgress;
    std::function<bool()> aborted;
    // Runs while the samples arrive (about every 50 ms).
    std::function<void()> pump;
    // Open mode: receives each download (to take it, takedownload.h; the
    // samples are valid during the call); copy mode when empty.
    std::function<void(const TDeviceRecordingData&)> deliver;
};

TVroTransferReport RecordingsToFolder(TVro8Device& device, const std::vector<int>& indexes,
                                      const std::filesystem::path& folder, const TVroNaming& naming, IVroFilesUi& ui,
                                      const TVroRecordingHooks& hooks = {});

} // namespace vro
