#include "core/util/atomicfile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace vro {

namespace {
constexpr std::size_t kBufferSize = 1 << 20;

std::string ErrnoText() { return std::strerror(errno); }
} // namespace

TAtomicFile::TAtomicFile(std::filesystem::path target) : target_(std::move(target))
{
    std::filesystem::path dir = target_.parent_path();
    if (dir.empty())
        dir = ".";
    std::string pattern = (dir / ("." + target_.filename().string() + ".XXXXXX")).string();
    fd_ = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd_ < 0)
        throw EFileWrite("Cannot create \"" + target_.string() + "\": " + ErrnoText());
    temp_ = pattern;
    // mkostemp creates 0600; a saved document should get the usual permissions.
    mode_t mask = ::umask(0);
    ::umask(mask);
    struct stat st {};
    if (::stat(target_.c_str(), &st) == 0)
        ::fchmod(fd_, st.st_mode & 07777);
    else
        ::fchmod(fd_, 0666 & ~mask);
    buffer_.reserve(kBufferSize);
}

TAtomicFile::~TAtomicFile()
{
    if (fd_ >= 0)
        ::close(fd_);
    if (!committed_ && !temp_.empty())
        ::unlink(temp_.c_str());
}

void TAtomicFile::Fail(const std::string& what)
{
    const std::string msg = "Cannot write \"" + target_.string() + "\": " + what;
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    ::unlink(temp_.c_str());
    temp_.clear();
    throw EFileWrite(msg);
}

void TAtomicFile::FlushBuffer()
{
    const char* p = buffer_.data();
    std::size_t left = buffer_.size();
    while (left > 0) {
        ssize_t n = ::write(fd_, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            Fail(ErrnoText());
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    buffer_.clear();
}

void TAtomicFile::Write(std::span<const std::uint8_t> bytes)
{
    Write(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

void TAtomicFile::Write(std::string_view text)
{
    if (fd_ < 0)
        throw EFileWrite("Cannot write \"" + target_.string() + "\": file already closed");
    if (buffer_.size() + text.size() > kBufferSize) {
        FlushBuffer();
        if (text.size() >= kBufferSize) {
            buffer_.assign(text);
            FlushBuffer();
            return;
        }
    }
    buffer_.append(text);
}

void TAtomicFile::Commit()
{
    if (fd_ < 0)
        throw EFileWrite("Cannot write \"" + target_.string() + "\": file already closed");
    FlushBuffer();
    if (::fsync(fd_) != 0)
        Fail(ErrnoText());
    if (::close(fd_) != 0) {
        fd_ = -1;
        Fail(ErrnoText());
    }
    fd_ = -1;
    if (::rename(temp_.c_str(), target_.c_str()) != 0)
        Fail(ErrnoText());
    committed_ = true;
    // Make the rename itself durable.
    std::filesystem::path dir = target_.parent_path();
    int dfd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
}

void WriteFileAtomically(const std::filesystem::path& target, std::string_view content)
{
    TAtomicFile f(target);
    f.Write(content);
    f.Commit();
}

std::string ReadWholeFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("Cannot open \"" + path.string() + "\": " + ErrnoText());
    std::ostringstream ss;
    ss << in.rdbuf();
    if (in.bad())
        throw std::runtime_error("Cannot read \"" + path.string() + "\"");
    return ss.str();
}

} // namespace vro
