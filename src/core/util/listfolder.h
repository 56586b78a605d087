// ListFolder: the files of one folder with the given extensions, with their
// modification date-time, for the two-list file pages and the folder export.
//
// The extension list is separated by ";": an empty element means all
// files, ".x" and "x" both mean "*.x"; extensions match case-insensitively.
// Only regular files directly in the folder count (symbolic links to files
// too); hidden files (a leading ".") and folders do not.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace vro {

struct TFolderFile {
    std::string Name;    // file name without folder
    double DateTime = 0; // modification time, local, as a day count (2000-01-01 is 36526)
};

// False when the folder name is empty or nothing was found (also when the
// folder cannot be read); `files` is then empty. Sorted by name.
bool ListFolder(const std::filesystem::path& folder, std::string_view extensions, std::vector<TFolderFile>& files);

} // namespace vro
