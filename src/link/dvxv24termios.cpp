// Line settings through termios2, so that any speed can be set (BOTHER),
// not only those with a B constant. Kept in its own file: the kernel's
// termios2 header and the C library's <termios.h> cannot meet in one unit.
#include "link/dvxv24serialport.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace vro {

namespace {
struct TSpeed {
    std::int32_t baud;
    unsigned code;
};
constexpr TSpeed kSpeeds[] = {{1200, B1200},     {2400, B2400},     {4800, B4800},     {9600, B9600},
                              {19200, B19200},   {38400, B38400},   {57600, B57600},   {115200, B115200},
                              {230400, B230400}, {460800, B460800}, {500000, B500000}, {576000, B576000},
                              {921600, B921600}};
} // namespace

bool SetRawLine(int fd, std::int32_t baudrate, std::uint8_t parity, bool ctsHandshake, std::string& err)
{
    struct termios2 t {};
    if (ioctl(fd, TCGETS2, &t) != 0) {
        err = std::string("not a terminal device (") + std::strerror(errno) + ")";
        return false;
    }
    t.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF |
                                        IXANY | INPCK | IUCLC | IMAXBEL);
    t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHOE | ECHOK | ECHONL | ICANON | ISIG | IEXTEN);
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | PARODD | CSTOPB | CRTSCTS | CMSPAR);
    t.c_cflag |= CS8 | CLOCAL | CREAD;
    switch (parity) {
    case 0: break;
    case 1: t.c_cflag |= PARENB | PARODD; break;
    case 2: t.c_cflag |= PARENB; break;
    default: err = "parity " + std::to_string(parity) + " is not supported"; return false;
    }
    if (ctsHandshake)
        t.c_cflag |= CRTSCTS;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    if (baudrate > 0) {
        unsigned code = BOTHER;
        for (const auto& s : kSpeeds)
            if (s.baud == baudrate)
                code = s.code;
        t.c_cflag &= ~static_cast<tcflag_t>(CBAUD | (CBAUD << IBSHIFT));
        t.c_cflag |= code; // the input speed follows the output speed
        t.c_ispeed = t.c_ospeed = static_cast<speed_t>(baudrate);
    }
    if (ioctl(fd, TCSETS2, &t) != 0) {
        err = std::string("cannot set the line (") + std::strerror(errno) + ")";
        return false;
    }
    if (baudrate > 0) {
        const std::int32_t got = GetLineBaud(fd);
        // UARTs divide a clock, so a driver may report a speed close to, not
        // equal to, the one asked for; 2 % is well within what a receiver takes.
        if (got <= 0 || std::abs(static_cast<long long>(got) - baudrate) > baudrate / 50) {
            err = "the device does not take " + std::to_string(baudrate) + " baud (it reports " + std::to_string(got) +
                  ")";
            return false;
        }
    }
    return true;
}

std::int32_t GetLineBaud(int fd)
{
    struct termios2 t {};
    if (ioctl(fd, TCGETS2, &t) != 0)
        return -1;
    if ((t.c_cflag & CBAUD) == BOTHER)
        return static_cast<std::int32_t>(t.c_ospeed);
    for (const auto& s : kSpeeds)
        if ((t.c_cflag & CBAUD) == s.code)
            return s.baud;
    return static_cast<std::int32_t>(t.c_ospeed);
}

bool FlushLine(int fd, bool input, bool output)
{
    if (!input && !output)
        return true;
    const int what = input && output ? TCIOFLUSH : input ? TCIFLUSH : TCOFLUSH;
    return ioctl(fd, TCFLSH, what) == 0;
}

} // namespace vro
