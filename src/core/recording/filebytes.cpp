#include "core/recording/filebytes.h"

#include "core/recording/recording.h"
#include "core/util/atomicfile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vro {

TFileBytes::TFileBytes(const std::filesystem::path& path)
{
    fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd_ < 0)
        throw ERecording("Cannot open \"" + path.string() + "\": " + std::strerror(errno));
    struct stat st {};
    if (::fstat(fd_, &st) != 0) {
        const int err = errno;
        ::close(fd_);
        throw ERecording("Cannot read \"" + path.string() + "\": " + std::strerror(err));
    }
    try {
        if (!S_ISREG(st.st_mode)) {
            copy_ = ReadWholeFile(path);
            return;
        }
        size_ = static_cast<std::size_t>(st.st_size);
        if (size_ == 0)
            return;
        void* p = ::mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd_, 0);
        if (p == MAP_FAILED) {
            size_ = 0;
            copy_ = ReadWholeFile(path);
            return;
        }
        map_ = p;
    } catch (...) {
        // The destructor does not run for a constructor that raises.
        ::close(fd_);
        throw;
    }
}

TFileBytes::~TFileBytes()
{
    if (map_)
        ::munmap(map_, size_);
    if (fd_ >= 0)
        ::close(fd_);
}

std::span<const std::uint8_t> TFileBytes::Bytes() const
{
    if (map_)
        return {static_cast<const std::uint8_t*>(map_), size_};
    return {reinterpret_cast<const std::uint8_t*>(copy_.data()), copy_.size()};
}

} // namespace vro
