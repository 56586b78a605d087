// TFileBytes: a read-only view of a whole file, mapped when possible (pages
// come in as they are read, so a reader that looks only at the start costs
// only those pages), else read into memory. Opening a recording reads the
// file through one of these once and hands the same bytes to whichever
// reader the content calls for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <string>

namespace vro {

class TFileBytes {
public:
    // Raises ERecording when the file cannot be opened or read.
    explicit TFileBytes(const std::filesystem::path& path);
    TFileBytes(const TFileBytes&) = delete;
    TFileBytes& operator=(const TFileBytes&) = delete;
    ~TFileBytes();

    std::span<const std::uint8_t> Bytes() const;
    // The open file when its bytes are mapped (and so can be read again by
    // offset), else -1.
    int MappedFile() const { return map_ ? fd_ : -1; }

private:
    int fd_ = -1;
    void* map_ = nullptr;
    std::size_t size_ = 0;
    std::string copy_;
};

} // namespace vro
