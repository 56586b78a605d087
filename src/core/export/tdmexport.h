// TDM export: a recording as an XML header file (base name + ".tdm") that
// describes the measurement, and a binary data file (base name + ".tdx")
// holding every value as a little-endian 8-byte float, column after column:
// block 0 the time, block i+1 channel i, each RecordCount values long.
#pragma once

#include <filesystem>
#include <string>

namespace vro {

class TRecording;

class TDiademFileExporter {
public:
    explicit TDiademFileExporter(TRecording& recording);

    // Writes <folder of fileName>/<stem>.tdm and .tdx (the extension of
    // fileName is ignored). A recording without channels is refused and no
    // file is written. Both files go through temporary files.
    void ExportTdm(const std::filesystem::path& fileName);

    const std::filesystem::path& HeaderFileName() const { return header_; }
    const std::filesystem::path& DataFileName() const { return data_; }

    // The header text for base name `base` (what ExportTdm writes).
    std::string HeaderText(const std::string& base) const;

private:
    void WriteData(const std::filesystem::path& name) const;

    TRecording& recording_;
    std::filesystem::path header_;
    std::filesystem::path data_;
};

} // namespace vro
