// Names from the recorder, from templates, typed by the user or taken from a
// file being imported, as one component of a path in a chosen folder.
//
// The one rule: a name passes SafeFileName before it is joined with a folder,
// and the joined path passes FileInFolder (or the check IsInFolder), which
// refuses a path that would leave the folder. Every caller that builds a path
// from such a name (construct, the recording and device managers, the device
// window's file pages, every vro verb) goes through these two.
#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vro {

class EUnsafeFileName : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

// Replaces path separators, control characters and \ : * ? " < > | by "_",
// so that the name stays inside the folder it is joined with and is valid on
// every common file system. "." and ".." are refused with EUnsafeFileName.
// Names that need no change come back as they are (the empty name too).
std::string SafeFileName(std::string_view name);

// Whether `path` names something inside `folder` (not the folder itself),
// compared lexically after both are made absolute and normalised; symbolic
// links are not followed.
bool IsInFolder(const std::filesystem::path& folder, const std::filesystem::path& path);

// folder / fileName, where fileName is one path component: raises
// EUnsafeFileName with a message naming the file and the folder when the
// name is empty, ".", "..", holds a separator, or the result would not lie
// inside the folder.
std::filesystem::path FileInFolder(const std::filesystem::path& folder, std::string_view fileName);

} // namespace vro
