// TDvxV24Port: the byte channel under the protocol connector. Back ends: the
// POSIX serial port (dvxv24serialport.h), which also serves pseudo-terminals,
// and the in-memory port pair for tests (dvxv24memoryport.h).
//
// A port belongs to one connector and is used by one thread at a time. The
// connector asks InQueue before it reads and reads only bytes that are
// already waiting, so Read never blocks. WaitInQueue lets it wait for bytes
// without spinning a core (poll() or a condition variable, never a busy loop).
#pragma once

#include <cstdint>
#include <string>

namespace vro {

class TDvxV24Port {
public:
    virtual ~TDvxV24Port() = default;

    // Modem lines. True when the line is off. Ports without modem lines
    // report every line as off and ignore the set calls.
    virtual bool CtsIsOff() { return true; }
    virtual bool RlsdIsOff() { return true; }
    virtual bool DsrIsOff() { return true; }
    virtual bool RingIsOff() { return true; }
    virtual void SetDtr(bool clear) { (void)clear; }
    virtual void SetRts(bool clear) { (void)clear; }

    // Opens port Index (COM1 is 0) with exclusive access. InQueue/OutQueue
    // are the queue sizes asked for (kept as InQueueSize). False on failure;
    // LastError() then names the device and the reason.
    virtual bool Open(std::int32_t index, std::int32_t inQueue, std::int32_t outQueue) = 0;
    virtual bool IsOpen() const = 0;
    // Raw 8 data bits, one stop bit, the given parity (0 none) and handshake
    // (0 none, 2 CTS/RTS, 3 DSR/DTR). False when the line cannot be set as
    // asked, including a speed that did not take.
    virtual bool Configure(std::int32_t baudrate, std::uint8_t parity, std::int32_t handshake) = 0;
    bool ConfigureDefault(std::int32_t baudrate, std::int32_t handshake) { return Configure(baudrate, 0, handshake); }

    // Writes all Count bytes (blocking, bounded); returns the number written,
    // less than Count only when the port failed or the bound ran out.
    virtual std::int32_t Write(const std::uint8_t* buffer, std::int32_t count) = 0;
    // Reads at most Count of the bytes already waiting; returns how many it read.
    virtual std::int32_t Read(std::uint8_t* buffer, std::int32_t count) = 0;
    // Bytes received and waiting; 0 when the port cannot tell (a failed
    // query never yields a made-up count).
    virtual std::int32_t InQueue() = 0;
    // Waits until at least AtLeast bytes wait or TimeoutMs has passed, and
    // returns InQueue(). Sleeps in the kernel; never spins.
    virtual std::int32_t WaitInQueue(std::int32_t atLeast, std::uint32_t timeoutMs) = 0;
    // Discards pending output and/or input.
    virtual bool Purge(bool txAbort, bool rxAbort, bool txClear, bool rxClear) = 0;
    virtual void Close() = 0;
    // True once the device failed in a way that will not heal (unplugged
    // adapter): the connector then fails a wait at once instead of waiting
    // for its time-out.
    virtual bool IoFailed() const { return false; }

    // The reason of the last failed Open or Configure, naming the device.
    const std::string& LastError() const { return lastError_; }
    std::int32_t InQueueSize() const { return inQueueSize_; }

protected:
    std::string lastError_;
    std::int32_t inQueueSize_ = 0;
};

} // namespace vro
