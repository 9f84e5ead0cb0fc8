// TCP connections with BSD sockets.
#include "platform/tcp_socket.h"

#include "platform/failure.h"
#include "platform/linux_only.h"
#include "platform/serial_poll_posix.h"

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace platform {
namespace {

class PosixSocket final : public TcpSocket {
public:
    explicit PosixSocket(int fd) : fd_(fd) {}
    ~PosixSocket() override { ::close(fd_); }

    Step Send(const std::uint8_t *data, std::size_t size, Deadline until, std::size_t &sent) override
    {
        // MSG_NOSIGNAL: a connection the server closed is a port gone, not
        // a SIGPIPE that ends the program.
        return PollStep(fd_, POLLOUT, until, [&] { return ::send(fd_, data, size, MSG_NOSIGNAL); }, sent);
    }

    Step Receive(std::uint8_t *buffer, std::size_t size, Deadline until, std::size_t &got) override
    {
        // The peer's bytes must not wait for a delayed acknowledgement of
        // ours: a reply cut by a 40 ms gap would fail the exchange.
        AskForQuickAck(fd_);
        return PollStep(fd_, POLLIN, until, [&] { return ::recv(fd_, buffer, size, 0); }, got);
    }

    std::size_t Unacknowledged() override
    {
        int queued = 0;
        return ::ioctl(fd_, TIOCOUTQ, &queued) == 0 && queued > 0 ? std::size_t(queued) : 0;
    }

private:
    const int fd_;
};

// Connects one address, bounded by the deadline; -1 with errno set.
int ConnectAddress(const addrinfo &a, Deadline until)
{
    const int fd = ::socket(a.ai_family, a.ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a.ai_protocol);
    if (fd < 0)
        return -1;
    int error = 0;
    if (::connect(fd, a.ai_addr, a.ai_addrlen) != 0) {
        error = errno;
        if (error == EINPROGRESS) {
            pollfd p{fd, POLLOUT, 0};
            int ready;
            do
                ready = ::poll(&p, 1, WaitMilliseconds(until));
            while (ready < 0 && errno == EINTR);
            socklen_t length = sizeof error;
            if (ready == 0)
                error = ETIMEDOUT;
            else if (ready < 0 || ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
                error = errno;
        }
    }
    if (error != 0) {
        ::close(fd);
        errno = error;
        return -1;
    }
    const int on = 1;
    (void)::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
    return fd;
}

} // namespace

std::unique_ptr<TcpSocket> ConnectTcp(const std::string &host, std::uint16_t port, std::chrono::milliseconds limit)
{
    const Deadline until = SteadyClock::now() + limit;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo *found = nullptr;
    const std::string where = host + ":" + std::to_string(port);
    if (const int error = ::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found); error != 0) {
        KeepFailure(FailureKind::Missing, std::string("cannot find ") + host + ": " + ::gai_strerror(error));
        return nullptr;
    }
    int error = 0;
    for (const addrinfo *a = found; a; a = a->ai_next) {
        if (const int fd = ConnectAddress(*a, until); fd >= 0) {
            ::freeaddrinfo(found);
            return std::make_unique<PosixSocket>(fd);
        }
        error = errno;
    }
    ::freeaddrinfo(found);
    if (error == ECONNREFUSED || error == EHOSTUNREACH || error == ENETUNREACH)
        KeepFailure(FailureKind::Missing, error,
                    "nothing answers at " + where + ": " + std::system_category().message(error));
    else
        KeepFailure(error, where + ": " + std::system_category().message(error));
    return nullptr;
}

} // namespace platform
