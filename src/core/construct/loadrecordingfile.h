// Opening a file as a recording, whatever it holds: the one place that
// decides a file's kind. The file is read once; its bytes go to the
// recording file reader or to the legacy reader and FillFromLegacy.
#pragma once

#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

#include "core/recording/recording.h"

namespace vro {

enum class TRecordingFileKind {
    Unknown,
    Recording, // the program's own recording file
    Legacy1,   // the three variants of the older recorders' files
    Legacy2,
    Legacy3,
};

// The kind of a file from its first bytes (the whole file may be passed).
TRecordingFileKind DetectRecordingFileKind(std::span<const std::uint8_t> bytes);

// Reads the file at `path` into `r` (FileName = path). Raises ERecording:
// "Unknown File" for a file of no known kind, "Unknown File (reason)" for a
// damaged legacy file, the reader's own message for a damaged recording
// file. A failed load leaves `r` empty. A legacy file recorded before 2000
// adds text 11 to LoadWarnings.
void LoadRecordingFile(const std::filesystem::path& path, TRecording& r);

// The same for a file's whole content already in memory; `name` becomes
// FileName.
void LoadRecordingBytes(std::span<const std::uint8_t> bytes, const std::string& name, TRecording& r);

} // namespace vro
