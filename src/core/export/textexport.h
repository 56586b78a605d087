// Text export: a recording written as the table view shows it, delimited or
// column-aligned, one line per sample, CR LF line ends.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "core/export/exportparameter.h"

namespace vro {

class TRecording;

// Writes `recording` to `fileName` with the settings (the text formats; the
// format number itself is not looked at). The table columns are those of a
// table view bound to this recording for the run: all channels unless
// OnlySelectedCols, and with min/max data their min and max columns. The
// file is written through a temporary file; errors raise.
void WriteTextFile(TRecording& recording, const TExportParameter& parameter, const std::filesystem::path& fileName);

// The export file name: folder joined with the name (a separator is added
// when the folder has none), plus "." + extension when one is set.
std::filesystem::path ExportFileName(const std::string& folder, const std::string& name, const std::string& extension);

// Result of exporting every recording file of a folder.
struct TFolderExportResult {
    int FileCount = 0;
    std::vector<std::string> Exported; // output files written
    std::vector<std::string> Failures; // "Error exporting %s." lines, with the reason
    bool Cancelled = false;
};

// Exports every "*.vxrf" file of `inputFolder` (not its subfolders, no
// hidden files) as text into `outputFolder` (the recording's name + ".txt").
// Each file is loaded into a recording of its own, exported and dropped, so
// no open document is ever touched. `progress(i, n, name)` runs after each
// file; `cancel` is checked before each file.
TFolderExportResult ExportFolder(const std::filesystem::path& inputFolder, const std::string& outputFolder,
                                 const TExportParameter& parameter,
                                 const std::function<void(int, int, const std::string&)>& progress = {},
                                 const std::atomic<bool>* cancel = nullptr);

} // namespace vro
