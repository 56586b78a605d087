// Merging recording files into one recording ordered by time: all recording
// files of a folder, or a list of files in the order the user arranged it.
// The joining itself is AppendRecording; this unit chooses the files, keeps
// the order of work and turns the result codes into the user's messages.
//
// The result recording is no document: the caller offers to save it and then
// drops it.
#pragma once

#include <atomic>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/recording/recording.h"
#include "core/text/texts.h"

namespace vro {

// Result codes: 0 all merged; 1..5 as CheckAppend (1 size limit, 2 channels
// differ, 3 no time stamps, 4 min/max presence differs, 5 state presence
// differs); 6 the folder does not exist; 7 it holds no recording files;
// 8 any other error (a file that cannot be read).
inline constexpr int kMergeFolderMissing = 6;
inline constexpr int kMergeNoFiles = 7;
inline constexpr int kMergeError = 8;
// Not a merge code: the merge was cancelled between two files.
inline constexpr int kMergeCancelled = -1;

// The recording files directly in `folder`: the regular files whose name
// does not start with "." ending in ".vxrf", then those ending in ".vrf"
// (either compared without regard to case), each group sorted by name.
std::vector<std::filesystem::path> ListMergeFolder(const std::filesystem::path& folder);

class TMergeRecordings {
public:
    // Called with (position, maximum) before the first file (position 0) and
    // after each further file merged; maximum is the number of files - 1.
    using TProgress = std::function<void(int position, int maximum)>;

    TProgress OnProgress;

    int MergeFromFolder(const std::filesystem::path& folder);
    int MergeFromList(const std::vector<std::filesystem::path>& files);

    // Asks the running merge to stop after the current file; safe from
    // another thread and from a signal handler.
    void Cancel() { cancel_.store(true); }

    // The file that stopped the merge (without folder), empty for code 0.
    const std::string& FailedFileName() const { return failed_; }
    // The files merged into the result (without folder), in merge order.
    const std::vector<std::string>& MergedNames() const { return merged_; }
    // For code 8: why the file could not be merged.
    const std::string& ErrorReason() const { return reason_; }
    // The folder of the last folder merge, empty in list mode.
    const std::filesystem::path& Folder() const { return folder_; }
    // What was merged so far; empty before the first merge and after code 6/7.
    TRecording& Result() { return *result_; }
    std::unique_ptr<TRecording> TakeResult();

private:
    int Merge(const std::vector<std::filesystem::path>& files);

    std::unique_ptr<TRecording> result_ = std::make_unique<TRecording>();
    std::filesystem::path folder_;
    std::string failed_;
    std::string reason_;
    std::vector<std::string> merged_;
    std::atomic<bool> cancel_{false};
};

// The message of a merge code: the failed file's name replaces "%s" for codes
// 2..5, the folder for 6 and 7; for code 8 the name and the reason follow on
// the next line when known. Codes 0..5 end with the save question.
std::string MergeMessage(int code, const std::string& failedName, const std::string& folder, TTextLanguage language,
                         const std::string& reason = {});

} // namespace vro
