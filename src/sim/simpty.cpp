#include "sim/simpty.h"

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

namespace vro::sim {

namespace {
[[noreturn]] void Fail(const char* step, int err)
{
    throw std::runtime_error(std::string("pseudo-terminal: ") + step + " failed: " + std::strerror(err));
}
} // namespace

TSimPty::TSimPty()
{
    const int fd = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        Fail("posix_openpt", errno);
    char name[256];
    if (::grantpt(fd) != 0 || ::unlockpt(fd) != 0 || ::ptsname_r(fd, name, sizeof name) != 0) {
        const int err = errno;
        ::close(fd);
        Fail("unlocking the far end", err);
    }
    const int flags = ::fcntl(fd, F_GETFL);
    ::fcntl(fd, F_SETFL, flags | O_NONBLOCK);
    slavePath_ = name;
    // Holding the far end open keeps the master from seeing a hang-up while
    // no client has the port open; this descriptor is never read.
    slaveKeep_ = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (slaveKeep_ < 0) {
        const int err = errno;
        ::close(fd);
        Fail("opening the far end", err);
    }
    std::string err;
    // Line settings on the master act on the pair: raw, so that no byte is
    // echoed, translated or held back before a client sets the line itself.
    if (!SetRawLine(fd, 0, 0, false, err)) {
        ::close(slaveKeep_);
        ::close(fd);
        throw std::runtime_error("pseudo-terminal: " + err);
    }
    master_ = std::make_unique<TDvxV24SerialPort>();
    master_->Adopt(fd, "pty master of " + slavePath_);
}

TSimPty::~TSimPty()
{
    master_.reset();
    if (slaveKeep_ >= 0)
        ::close(slaveKeep_);
}

bool TSimPty::Available(std::string& why)
{
    const int fd = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        why = std::string("no pseudo-terminals here: ") + std::strerror(errno);
        return false;
    }
    ::close(fd);
    return true;
}

} // namespace vro::sim
