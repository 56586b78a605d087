// TDvxV24SerialPort: the port over a POSIX terminal device (serial ports,
// USB serial adapters, pseudo-terminals).
//
// Open takes the device exclusively (O_NOCTTY, TIOCEXCL and a non-blocking
// flock), Configure sets raw 8N1 at any speed through termios2 (BOTHER when
// the speed has no B constant) and reads the setting back. Reads take only
// waiting bytes; writes loop over partial writes, waiting in poll() for the
// device to take more, bounded by a time-out. Port numbers map to device
// paths through TDvxPortTable.
#pragma once

#include "link/dvxv24port.h"

#include <string>

namespace vro {

class TDvxV24SerialPort : public TDvxV24Port {
public:
    TDvxV24SerialPort() = default;
    ~TDvxV24SerialPort() override;
    TDvxV24SerialPort(const TDvxV24SerialPort&) = delete;
    TDvxV24SerialPort& operator=(const TDvxV24SerialPort&) = delete;

    bool CtsIsOff() override;
    bool RlsdIsOff() override;
    bool DsrIsOff() override;
    bool RingIsOff() override;
    void SetDtr(bool clear) override;
    void SetRts(bool clear) override;

    // Opens the device that the port table assigns to Index.
    bool Open(std::int32_t index, std::int32_t inQueue, std::int32_t outQueue) override;
    // Opens a device by path, exclusively.
    bool OpenPath(const std::string& path, std::int32_t inQueue = 16384);
    // Takes over an already open descriptor (a pseudo-terminal master, say);
    // the port closes it.
    void Adopt(int fd, const std::string& name);
    bool IsOpen() const override { return fd_ >= 0; }
    bool Configure(std::int32_t baudrate, std::uint8_t parity, std::int32_t handshake) override;
    std::int32_t Write(const std::uint8_t* buffer, std::int32_t count) override;
    std::int32_t Read(std::uint8_t* buffer, std::int32_t count) override;
    std::int32_t InQueue() override;
    std::int32_t WaitInQueue(std::int32_t atLeast, std::uint32_t timeoutMs) override;
    bool Purge(bool txAbort, bool rxAbort, bool txClear, bool rxClear) override;
    void Close() override;

    // Bound of one Write, in ms (default 5000).
    void SetWriteTimeout(std::uint32_t ms) { writeTimeoutMs_ = ms; }
    // Speed used to estimate how long missing bytes take (set by Configure).
    void SetLineBaud(std::int32_t baud) { lineBaud_ = baud; }
    const std::string& Path() const { return path_; }
    int Fd() const { return fd_; }
    // Set once a read, write or count failed in a way that means the device
    // is gone (unplugged adapter, hung-up pseudo-terminal).
    bool Failed() const { return failed_; }
    bool IoFailed() const override { return failed_; }

    // Class-level checks for the port scan: the device assigned to Index
    // exists and is a terminal / can be opened exclusively right now.
    static bool PortExists(std::int32_t index);
    static bool PortAvailable(std::int32_t index);
    // The open error for a path as the user should read it, e.g.
    // "/dev/ttyUSB0: no permission; the user must be in group \"dialout\"".
    static std::string DescribeOpenError(const std::string& path, int err);

private:
    bool ModemLineOff(int bit);
    void SetModemLine(int bit, bool clear);

    int fd_ = -1;
    std::string path_;
    std::int32_t lineBaud_ = 9600;
    std::uint32_t writeTimeoutMs_ = 5000;
    bool failed_ = false;
};

// Raw line settings on a terminal descriptor through termios2: 8 data bits,
// the given parity (0 none, 1 odd, 2 even), one stop bit, no software flow
// control, CRTSCTS when ctsHandshake. Speed 0 keeps the current speed. The
// speed is read back; false (with a reason in err) when it did not take.
bool SetRawLine(int fd, std::int32_t baudrate, std::uint8_t parity, bool ctsHandshake, std::string& err);
// The output speed the descriptor is set to, or -1.
std::int32_t GetLineBaud(int fd);
// Discards input and/or output of a terminal descriptor.
bool FlushLine(int fd, bool input, bool output);

} // namespace vro
