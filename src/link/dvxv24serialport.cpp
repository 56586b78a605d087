#include "link/dvxv24serialport.h"

#include "link/dvxporttable.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

namespace vro {

namespace {
using TClock = std::chrono::steady_clock;

std::string GroupName(gid_t gid)
{
    char buf[4096];
    struct group g {};
    struct group* found = nullptr;
    if (getgrgid_r(gid, &g, buf, sizeof buf, &found) == 0 && found)
        return found->gr_name;
    return std::to_string(gid);
}

int OpenExclusive(const std::string& path, int& err)
{
    int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        err = errno;
        return -1;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        err = errno == EWOULDBLOCK ? EBUSY : errno;
        ::close(fd);
        return -1;
    }
    if (ioctl(fd, TIOCEXCL) != 0) {
        err = errno;
        ::close(fd);
        return -1;
    }
    return fd;
}

void CloseExclusive(int fd)
{
    // The exclusive flag lives with the device, not the descriptor: clear it,
    // or the next open fails while anybody else still holds the device.
    ioctl(fd, TIOCNXCL);
    flock(fd, LOCK_UN);
    ::close(fd);
}
} // namespace

TDvxV24SerialPort::~TDvxV24SerialPort() { Close(); }

std::string TDvxV24SerialPort::DescribeOpenError(const std::string& path, int err)
{
    switch (err) {
    case ENOENT: return path + ": no such device";
    case EBUSY: return path + ": busy (another program uses the port)";
    case EACCES:
    case EPERM: {
        struct stat st {};
        if (::stat(path.c_str(), &st) == 0)
            return path + ": no permission; the user must be in the group \"" + GroupName(st.st_gid) +
                   "\" that owns the device";
        return path + ": no permission";
    }
    case ENXIO:
    case ENODEV: return path + ": the device does not respond (no hardware behind it)";
    case ENOTTY:
    case EINVAL: return path + ": not a serial device";
    default: return path + ": " + std::strerror(err);
    }
}

bool TDvxV24SerialPort::Open(std::int32_t index, std::int32_t inQueue, std::int32_t /*outQueue*/)
{
    Close();
    inQueueSize_ = inQueue;
    auto path = TDvxPortTable::Global().PathOf(index);
    if (!path) {
        lastError_ = "COM" + std::to_string(index + 1) + ": no serial device is assigned to this port number";
        return false;
    }
    return OpenPath(*path, inQueue);
}

bool TDvxV24SerialPort::OpenPath(const std::string& path, std::int32_t inQueue)
{
    Close();
    inQueueSize_ = inQueue;
    int err = 0;
    const int fd = OpenExclusive(path, err);
    if (fd < 0) {
        lastError_ = DescribeOpenError(path, err);
        return false;
    }
    if (GetLineBaud(fd) < 0) {
        lastError_ = DescribeOpenError(path, ENOTTY);
        CloseExclusive(fd);
        return false;
    }
    fd_ = fd;
    path_ = path;
    failed_ = false;
    lastError_.clear();
    return true;
}

void TDvxV24SerialPort::Adopt(int fd, const std::string& name)
{
    Close();
    fd_ = fd;
    path_ = name;
    failed_ = false;
    const int baud = GetLineBaud(fd);
    if (baud > 0)
        lineBaud_ = baud;
}

void TDvxV24SerialPort::Close()
{
    if (fd_ < 0)
        return;
    CloseExclusive(fd_);
    fd_ = -1;
}

bool TDvxV24SerialPort::Configure(std::int32_t baudrate, std::uint8_t parity, std::int32_t handshake)
{
    if (fd_ < 0) {
        lastError_ = "the port is not open";
        return false;
    }
    if (baudrate <= 0) {
        lastError_ = path_ + ": illegal speed " + std::to_string(baudrate);
        return false;
    }
    if (handshake == 3) {
        // The terminal layer has no DSR/DTR output flow control.
        lastError_ = path_ + ": DSR handshake is not available on this system";
        return false;
    }
    std::string err;
    if (!SetRawLine(fd_, baudrate, parity, handshake == 2, err)) {
        lastError_ = path_ + ": " + err;
        return false;
    }
    lineBaud_ = baudrate;
    return true;
}

std::int32_t TDvxV24SerialPort::Write(const std::uint8_t* buffer, std::int32_t count)
{
    if (fd_ < 0 || count <= 0)
        return 0;
    const auto end = TClock::now() + std::chrono::milliseconds(writeTimeoutMs_);
    std::int32_t done = 0;
    while (done < count) {
        const ssize_t n = ::write(fd_, buffer + done, static_cast<std::size_t>(count - done));
        if (n > 0) {
            done += static_cast<std::int32_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN) {
            failed_ = true;
            break;
        }
        // The device's output buffer is full: wait until it takes more.
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - TClock::now()).count();
        if (left <= 0)
            break;
        struct pollfd p {
            fd_, POLLOUT, 0
        };
        const int r = ::poll(&p, 1, static_cast<int>(left));
        if (r < 0 && errno != EINTR) {
            failed_ = true;
            break;
        }
        if (r > 0 && (p.revents & (POLLERR | POLLNVAL))) {
            failed_ = true;
            break;
        }
    }
    return done;
}

std::int32_t TDvxV24SerialPort::Read(std::uint8_t* buffer, std::int32_t count)
{
    if (fd_ < 0 || count <= 0)
        return 0;
    for (;;) {
        const ssize_t n = ::read(fd_, buffer, static_cast<std::size_t>(count));
        if (n >= 0)
            return static_cast<std::int32_t>(n);
        if (errno == EINTR)
            continue;
        if (errno != EAGAIN)
            failed_ = true;
        return 0;
    }
}

std::int32_t TDvxV24SerialPort::InQueue()
{
    if (fd_ < 0)
        return 0;
    int n = 0;
    if (ioctl(fd_, FIONREAD, &n) != 0 || n < 0) {
        failed_ = true;
        return 0;
    }
    return n;
}

std::int32_t TDvxV24SerialPort::WaitInQueue(std::int32_t atLeast, std::uint32_t timeoutMs)
{
    const auto end = TClock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        const std::int32_t have = InQueue();
        if (have >= atLeast || fd_ < 0 || failed_)
            return have;
        const auto left = std::chrono::duration_cast<std::chrono::microseconds>(end - TClock::now());
        if (left.count() <= 0)
            return have;
        if (have == 0) {
            // Nothing yet: sleep in the kernel until the first byte comes.
            struct pollfd p {
                fd_, POLLIN, 0
            };
            const int ms = static_cast<int>((left.count() + 999) / 1000);
            const int r = ::poll(&p, 1, ms);
            if (r < 0 && errno != EINTR) {
                failed_ = true;
                return 0;
            }
            if (r > 0 && (p.revents & POLLNVAL)) {
                failed_ = true;
                return 0;
            }
            if (r > 0 && !(p.revents & POLLIN) && (p.revents & (POLLHUP | POLLERR))) {
                // Hung up (the far end of a pseudo-terminal is closed): poll
                // would return at once, so wait a little instead of spinning.
                std::this_thread::sleep_for(std::min(left, std::chrono::microseconds(20000)));
            }
            continue;
        }
        // Some bytes are here: sleep for as long as the missing ones take on the line.
        const auto missing = static_cast<long long>(atLeast - have);
        const long long us = std::max<long long>(50, missing * 10'000'000LL / std::max(lineBaud_, 1));
        std::this_thread::sleep_for(std::min(left, std::chrono::microseconds(us)));
    }
}

bool TDvxV24SerialPort::Purge(bool txAbort, bool rxAbort, bool txClear, bool rxClear)
{
    if (fd_ < 0)
        return false;
    return FlushLine(fd_, rxAbort || rxClear, txAbort || txClear);
}

bool TDvxV24SerialPort::ModemLineOff(int bit)
{
    int lines = 0;
    if (fd_ < 0 || ioctl(fd_, TIOCMGET, &lines) != 0)
        return true;
    return (lines & bit) == 0;
}

void TDvxV24SerialPort::SetModemLine(int bit, bool clear)
{
    if (fd_ >= 0)
        ioctl(fd_, clear ? TIOCMBIC : TIOCMBIS, &bit);
}

bool TDvxV24SerialPort::CtsIsOff() { return ModemLineOff(TIOCM_CTS); }
bool TDvxV24SerialPort::RlsdIsOff() { return ModemLineOff(TIOCM_CAR); }
bool TDvxV24SerialPort::DsrIsOff() { return ModemLineOff(TIOCM_DSR); }
bool TDvxV24SerialPort::RingIsOff() { return ModemLineOff(TIOCM_RNG); }
void TDvxV24SerialPort::SetDtr(bool clear) { SetModemLine(TIOCM_DTR, clear); }
void TDvxV24SerialPort::SetRts(bool clear) { SetModemLine(TIOCM_RTS, clear); }

bool TDvxV24SerialPort::PortExists(std::int32_t index)
{
    auto path = TDvxPortTable::Global().PathOf(index);
    if (!path)
        return false;
    struct stat st {};
    if (::stat(path->c_str(), &st) != 0 || !S_ISCHR(st.st_mode))
        return false;
    const int fd = ::open(path->c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return errno == EBUSY || errno == EACCES || errno == EPERM; // there, but taken or not ours
    const bool tty = GetLineBaud(fd) >= 0;
    ::close(fd);
    return tty;
}

bool TDvxV24SerialPort::PortAvailable(std::int32_t index)
{
    auto path = TDvxPortTable::Global().PathOf(index);
    if (!path)
        return false;
    int err = 0;
    const int fd = OpenExclusive(*path, err);
    if (fd < 0)
        return false;
    CloseExclusive(fd);
    return true;
}

} // namespace vro
