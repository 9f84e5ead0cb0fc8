#pragma once
// A TCP connection as a network port needs it, one per system. Private to
// platform/ and the network port (net/).
#include "platform/serial_timing.h"

#include <chrono>
#include <memory>
#include <string>

namespace platform {

class TcpSocket {
public:
    virtual ~TcpSocket() = default;
    // Waits until the deadline for room, and sends what it can, adding the
    // count to sent.
    virtual Step Send(const std::uint8_t *data, std::size_t size, Deadline until, std::size_t &sent) = 0;
    // Waits until the deadline for data, and receives what is there (up to
    // size), adding the count to got. A connection the peer closed fails
    // with the kind Gone.
    virtual Step Receive(std::uint8_t *buffer, std::size_t size, Deadline until, std::size_t &got) = 0;
    // The bytes sent that the peer has not yet acknowledged; 0 when the
    // system cannot say.
    virtual std::size_t Unacknowledged() = 0;
};

// Connects to host:port within the limit, trying each address the name has,
// with TCP_NODELAY set: a frame must not wait for an earlier one's
// acknowledgement. nullptr, with the reason kept: Missing when nothing
// listens there or the host is unknown, TimedOut when nothing answered (the
// host or its name server); the text names no address, the caller does.
// POSIX: a stop signal (StopTransfers) cuts the name look-up short.
std::unique_ptr<TcpSocket> ConnectTcp(const std::string &host, std::uint16_t port, std::chrono::milliseconds limit);

} // namespace platform
