// Writing a file so that a failure never costs the old one: the bytes go to a
// temporary file in the target's folder, are flushed to disk, and the
// temporary file is renamed over the target only when everything succeeded.
// On any failure the temporary file is removed and the old file stays as it was.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vro {

class EFileWrite : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class TAtomicFile {
public:
    // Creates the temporary file beside `target`; raises EFileWrite when it cannot.
    explicit TAtomicFile(std::filesystem::path target);
    TAtomicFile(const TAtomicFile&) = delete;
    TAtomicFile& operator=(const TAtomicFile&) = delete;
    // Removes the temporary file unless Commit succeeded.
    ~TAtomicFile();

    // Buffered writes; raise EFileWrite on any error.
    void Write(std::span<const std::uint8_t> bytes);
    void Write(std::string_view text);
    // Flushes, syncs and renames over the target; raises EFileWrite on failure.
    void Commit();

    const std::filesystem::path& Target() const { return target_; }

private:
    void FlushBuffer();
    [[noreturn]] void Fail(const std::string& what);

    std::filesystem::path target_;
    std::filesystem::path temp_;
    int fd_ = -1;
    std::string buffer_;
    bool committed_ = false;
};

// Convenience: the whole content at once.
void WriteFileAtomically(const std::filesystem::path& target, std::string_view content);

// Reads a whole file; raises std::runtime_error naming the file on failure.
std::string ReadWholeFile(const std::filesystem::path& path);

} // namespace vro
