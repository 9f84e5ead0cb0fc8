#pragma once
// The bytes of a port on a serial device server as they go over its TCP
// connection. The bare socket is a raw port (socket://): the bytes as they
// are, and the line as the server was set up. telnet_stream.h speaks RFC 2217
// over the same socket.
#include "platform/serial_device.h"
#include "platform/serial_timing.h"
#include "platform/tcp_socket.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace net {

// One dead host must not stall the search of 29 ports.
inline constexpr std::chrono::milliseconds kConnectLimit{1000};
// Talk that takes more than this many rounds is a loop.
inline constexpr int kMaxRounds = 64;

class PortStream {
public:
    // Receives until done() or the deadline; false, with the reason kept,
    // when the server hung up meanwhile.
    using Listener = std::function<bool(platform::SteadyClock::time_point until, const std::function<bool()> &done)>;

    PortStream(std::unique_ptr<platform::TcpSocket> socket, std::string where)
        : socket_(std::move(socket)), where_(std::move(where))
    {
    }
    virtual ~PortStream() = default;

    // What the server must agree to in the first moments of a connection.
    virtual bool Negotiate(const Listener &) { return true; }
    // A raw port's line is what the server was set up with, and it has no
    // control lines of its own.
    virtual bool SetLine(const platform::LineSettings &) { return true; }
    virtual bool RaiseRts() { return true; }
    virtual bool PurgeInput() { return true; }
    // The bytes on the wire for data.
    virtual std::vector<std::uint8_t> Encode(const std::uint8_t *data, std::size_t size) { return {data, data + size}; }

    // Receives what is there by the deadline, its data appended to data.
    platform::Step Receive(platform::Deadline until, std::vector<std::uint8_t> &data);
    platform::Step Send(const std::uint8_t *data, std::size_t size, platform::Deadline until, std::size_t &sent)
    {
        return socket_->Send(data, size, until, sent);
    }
    // The bytes sent that the server has not yet acknowledged.
    std::size_t Unacknowledged() { return socket_->Unacknowledged(); }

protected:
    // The bytes received, as data for data.
    virtual platform::Step Take(const std::uint8_t *bytes, std::size_t size, std::vector<std::uint8_t> &data)
    {
        data.insert(data.end(), bytes, bytes + size);
        return platform::Step::Moved;
    }

    const std::unique_ptr<platform::TcpSocket> socket_;
    const std::string where_; // the URL, for messages
};

} // namespace net
