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

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

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
        return PollStep(
            fd_, POLLOUT, until, [&] { return ::send(fd_, data, size, MSG_NOSIGNAL); }, sent);
    }

    Step Receive(std::uint8_t *buffer, std::size_t size, Deadline until, std::size_t &got) override
    {
        // The peer's bytes must not wait for a delayed acknowledgement of
        // ours: a reply cut by a 40 ms gap would fail the exchange.
        AskForQuickAck(fd_);
        return PollStep(
            fd_, POLLIN, until, [&] { return ::recv(fd_, buffer, size, 0); }, got);
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

// A name look-up under way in a thread of its own: glibc's resolver waits
// 5 s per server and try, longer than a connect may take, and no signal cuts
// it short. A look-up given up on finishes unseen and frees its result.
struct Lookup {
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false, abandoned = false;
    int error = 0;
    addrinfo *found = nullptr;
};

// The addresses of host, by the deadline; nullptr with the reason kept.
addrinfo *FindAddresses(const std::string &host, std::uint16_t port, SteadyClock::time_point until)
{
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    const std::string service = std::to_string(port);
    addrinfo *found = nullptr;
    // An address needs no look-up.
    hints.ai_flags = AI_NUMERICHOST;
    if (::getaddrinfo(host.c_str(), service.c_str(), &hints, &found) == 0)
        return found;
    hints.ai_flags = 0;
    auto lookup = std::make_shared<Lookup>();
    std::thread([lookup, host, service, hints] {
        addrinfo *result = nullptr;
        const int error = ::getaddrinfo(host.c_str(), service.c_str(), &hints, &result);
        const std::lock_guard lock(lookup->mutex);
        if (lookup->abandoned && result)
            ::freeaddrinfo(result);
        else
            lookup->found = result;
        lookup->error = error;
        lookup->done = true;
        lookup->finished.notify_one();
    }).detach();
    std::unique_lock lock(lookup->mutex);
    // Looked at now and then, for the stop signal that cannot wake us.
    while (!lookup->done && !TransfersStopped() && SteadyClock::now() < until)
        lookup->finished.wait_until(lock, std::min(until, SteadyClock::now() + std::chrono::milliseconds(50)));
    if (!lookup->done) {
        lookup->abandoned = true;
        if (TransfersStopped())
            KeepFailure(FailureKind::Other, EINTR, "the look-up of the host was stopped");
        else
            KeepFailure(FailureKind::TimedOut, ETIMEDOUT,
                        "cannot find the host: the name server did not answer in time");
        return nullptr;
    }
    if (lookup->error != 0)
        KeepFailure(FailureKind::Missing, std::string("cannot find the host: ") + ::gai_strerror(lookup->error));
    return lookup->found;
}

} // namespace

std::unique_ptr<TcpSocket> ConnectTcp(const std::string &host, std::uint16_t port, std::chrono::milliseconds limit)
{
    // The look-up and the connection share the limit.
    const SteadyClock::time_point until = SteadyClock::now() + limit;
    addrinfo *found = FindAddresses(host, port, until);
    if (!found)
        return nullptr;
    int error = 0;
    for (const addrinfo *a = found; a; a = a->ai_next) {
        if (const int fd = ConnectAddress(*a, until); fd >= 0) {
            ::freeaddrinfo(found);
            return std::make_unique<PosixSocket>(fd);
        }
        error = errno;
    }
    ::freeaddrinfo(found);
    const std::string text = std::system_category().message(error);
    if (error == ECONNREFUSED || error == EHOSTUNREACH || error == ENETUNREACH)
        KeepFailure(FailureKind::Missing, error, "nothing answers there: " + text);
    else if (error == ETIMEDOUT)
        KeepFailure(FailureKind::TimedOut, error, "the host does not answer: " + text);
    else
        KeepFailure(error, text);
    return nullptr;
}

} // namespace platform
