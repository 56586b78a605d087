#include "core/construct/loadrecordingfile.h"

#include "core/construct/construct.h"
#include "core/legacy/legacyrecording.h"
#include "core/recording/filebytes.h"
#include "core/text/texts.h"

#include <string>

namespace vro {

TRecordingFileKind DetectRecordingFileKind(std::span<const std::uint8_t> bytes)
{
    if (TRecording::IsRecordingFile(bytes))
        return TRecordingFileKind::Recording;
    switch (TLegacyRecording::DetectVariant(bytes)) {
    case 1: return TRecordingFileKind::Legacy1;
    case 2: return TRecordingFileKind::Legacy2;
    case 3: return TRecordingFileKind::Legacy3;
    default: return TRecordingFileKind::Unknown;
    }
}

namespace {

void LoadLegacy(std::span<const std::uint8_t> bytes, const std::string& name, TRecording& r)
{
    TLegacyRecording legacy;
    try {
        legacy = TLegacyRecording::Read(bytes);
    } catch (const ECorruptedFile& e) {
        throw ERecording(std::string("Unknown File (") + e.what() + ")");
    }
    r.Clear();
    r.LoadWarnings.clear();
    r.FileName = name;
    try {
        FillFromLegacy(r, legacy);
    } catch (...) {
        r.Clear();
        throw;
    }
    if (legacy.RecordedBefore2000())
        r.LoadWarnings.push_back(text(11));
}

bool IsLegacy(TRecordingFileKind kind)
{
    return kind == TRecordingFileKind::Legacy1 || kind == TRecordingFileKind::Legacy2 ||
           kind == TRecordingFileKind::Legacy3;
}

} // namespace

void LoadRecordingFile(const std::filesystem::path& path, TRecording& r)
{
    const TFileBytes file(path);
    const auto kind = DetectRecordingFileKind(file.Bytes());
    if (kind == TRecordingFileKind::Recording)
        r.LoadFromFile(file, path.string());
    else if (IsLegacy(kind))
        LoadLegacy(file.Bytes(), path.string(), r);
    else
        throw ERecording("Unknown File");
}

void LoadRecordingBytes(std::span<const std::uint8_t> bytes, const std::string& name, TRecording& r)
{
    const auto kind = DetectRecordingFileKind(bytes);
    if (kind == TRecordingFileKind::Recording)
        r.LoadFromMemory(bytes, name);
    else if (IsLegacy(kind))
        LoadLegacy(bytes, name, r);
    else
        throw ERecording("Unknown File");
}

} // namespace vro
