// The loops of the stored-settings page, shared by the page and `vro`:
// recorder entries to setup files (">"), setup files into the recorder's
// settings directory ("<"), and the deletion of recorder entries.
//
// Both transfers keep the user's live setup: it is read and saved to
// "CurrentConfig.backup" in the folder first (an older backup is renamed
// to CurrentConfig-N.backup and left alone, a backup that cannot be written
// stops the transfer before it starts), and after a run without failure
// (or one the user aborted) it is written back to the recorder and the file
// deleted. After a failure the backup stays in the folder and the recorder
// keeps the setup loaded last. Messages go through IVroFilesUi: the first
// failure is shown and ends the loop.
#pragma once

#include "device/files/vrofilenames.h"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace vro {

class IVroFilesUi;
class TDvxV24Connector;
class TVro8Directory;
class TVro8Setup;
struct TVro8Entry;

inline constexpr const char* kVroSetupBackupName = "CurrentConfig.backup";

enum class TVroTransferResult {
    Done,
    Aborted,       // stopped by the user after an entry; the backup was put back
    Failed,        // a message was shown; the backup stays
    NotStarted,    // the backup could not be written (text 1293)
    RestoreFailed, // the backup could not be written back: a device error, the file stays
};

struct TVroTransferProgress {
    // Before each item: position from 1, count, the item's name.
    std::function<void(int position, int count, const std::string& name)> onItem;
    // Asked after each item.
    std::function<bool()> aborted;
    // The backup is being written back (text 1294).
    std::function<void()> onRestore;
};

struct TVroTransferReport {
    TVroTransferResult Result = TVroTransferResult::Done;
    std::vector<std::filesystem::path> Written;                // ">": the files; "<": the files stored
    std::vector<std::pair<std::string, std::uint32_t>> Stored; // "<": name and number of each entry
};

// Text 540, checked (text 541 when invalid); false when cancelled or invalid.
bool AskNewName(IVroFilesUi& ui, std::string& name);
// What a transfer asks before it starts: the template for option 3 (an
// empty one: text 541), the new name for option 2. False ends the action.
bool AskNaming(IVroFilesUi& ui, TVroNaming& naming);

// ">": the entries at `indexes` of the settings directory (as listed now) to
// ".vxsf" files in the folder.
TVroTransferReport SetupsToFolder(TVro8Setup& setup, TVro8Directory& directory, const std::vector<int>& indexes,
                                  const std::filesystem::path& folder, const TVroNaming& naming, IVroFilesUi& ui,
                                  const TVroTransferProgress& progress = {});

// "<": each file loaded and stored under the name and number its file name
// and the option give; the backup goes into the first file's folder.
// Entries stored by this transfer count for "one more than the highest".
TVroTransferReport FilesToSetups(TVro8Setup& setup, TVro8Directory& directory,
                                 const std::vector<std::filesystem::path>& files, const TVroNaming& naming,
                                 IVroFilesUi& ui, const TVroTransferProgress& progress = {});

// The recorder entries at `indexes` (directory as listed when the selection
// was made, not refreshed in between) deleted one by one with a byte
// timeout of 10000 ms, restored afterwards also after a failure. The first
// failure shows `failureText` ("%s %d") with that entry's name and number.
// Returns how many were deleted.
int DeleteEntries(TVro8Directory& directory, TDvxV24Connector& connector, const std::vector<int>& indexes,
                  int failureText, IVroFilesUi& ui);

// The backup path; an existing backup renamed to the lowest free
// CurrentConfig-N.backup first.
std::filesystem::path PrepareBackup(const std::filesystem::path& folder);

} // namespace vro
