#pragma once
// What each kind of port gives the device policy of serial_device.cpp: an
// open connection to one port and the few things done on it. The policy
// keeps what was set up on the port and opens it again when it has gone;
// a connection only does what it is asked, once. Private to platform/ and
// the network port (net/).
//
// Every call that fails returns false with the reason kept (platform/
// failure.h); a reason of the kind Gone says the port has gone, and the
// policy then drops the connection.
#include "platform/serial_device.h"

#include <memory>

namespace platform {

class SerialConnection {
public:
    virtual ~SerialConnection() = default;

    // Fails on what has no line, as GetCommState does on a plain file.
    virtual bool GetLine(LineSettings &settings) = 0;
    virtual bool SetLine(const LineSettings &settings) = 0;
    // The time-outs in force now; a connection that keeps none of its own
    // gives what was last set.
    virtual bool GetTimeouts(CommTimeouts &timeouts) = 0;
    virtual bool SetTimeouts(const CommTimeouts &timeouts) = 0;
    virtual bool RaiseRts() = 0;
    virtual bool DiscardInput() = 0;
    // A write ends when its bytes have left the port, or at the write
    // time-out; a read ends as the time-outs say. The count is reported
    // also on failure; a time-out is no failure.
    virtual bool Write(const std::uint8_t *data, std::size_t size, std::size_t &written) = 0;
    virtual bool Read(std::uint8_t *data, std::size_t size, std::size_t &received) = 0;
};

// For the ports whose system keeps no time-outs per port (terminals,
// sockets): the connection keeps them, and its transfers apply them with
// serial_timing.h.
class TimedConnection : public SerialConnection {
public:
    bool GetTimeouts(CommTimeouts &timeouts) override
    {
        timeouts = timeouts_;
        return true;
    }
    bool SetTimeouts(const CommTimeouts &timeouts) override
    {
        timeouts_ = timeouts;
        return true;
    }

protected:
    CommTimeouts timeouts_;
};

// True for line settings a serial port can have: a baud rate, 5 to 8 data
// bits, a parity and stop bits of those serial_device.h names.
bool ValidLine(const LineSettings &settings);

// The port at a path of this system (a terminal device, a comm device, or a
// plain file standing in for one), opened exclusively in raw binary mode;
// nullptr, with the reason kept, when it cannot be.
std::unique_ptr<SerialConnection> OpenLocalPort(const std::string &path);

} // namespace platform
