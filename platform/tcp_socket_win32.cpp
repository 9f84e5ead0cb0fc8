// TCP connections with Winsock.
#include "platform/tcp_socket.h"
#include "platform/win32_failure.h"

#include "platform/failure.h"

#include <winsock2.h>
#include <ws2tcpip.h>

namespace platform {
namespace {

bool StartWinsock()
{
    static const bool started = [] {
        WSADATA data;
        return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

bool KeepSocketFailure(int error)
{
    KeepFailure(error == WSAECONNRESET || error == WSAECONNABORTED || error == WSAENETRESET ? FailureKind::Gone
                                                                                            : KindOfError(error),
                error, Win32Text(DWORD(error)));
    return false;
}

// One wait with WSAPoll and one transfer, as PollStep does on POSIX.
template <class Transfer> Step SocketStep(SOCKET s, short events, Deadline until, Transfer transfer, std::size_t &moved)
{
    WSAPOLLFD p{s, events, 0};
    const int ready = ::WSAPoll(&p, 1, WaitMilliseconds(until));
    if (ready < 0) {
        KeepSocketFailure(::WSAGetLastError());
        return Step::Failed;
    }
    if (ready == 0)
        return !until || SteadyClock::now() >= *until ? Step::TimedOut : Step::Retry;
    if (!(p.revents & events) && (p.revents & (POLLHUP | POLLERR | POLLNVAL))) {
        KeepFailure(FailureKind::Gone, WSAECONNRESET, "the server closed the connection");
        return Step::Failed;
    }
    const int n = transfer();
    if (n == SOCKET_ERROR) {
        const int error = ::WSAGetLastError();
        if (error == WSAEWOULDBLOCK || error == WSAEINTR)
            return Step::Retry;
        KeepSocketFailure(error);
        return Step::Failed;
    }
    if (n == 0) {
        KeepFailure(FailureKind::Gone, WSAECONNRESET, "the server closed the connection");
        return Step::Failed;
    }
    moved += std::size_t(n);
    return Step::Moved;
}

class WinsockSocket final : public TcpSocket {
public:
    explicit WinsockSocket(SOCKET s) : s_(s) {}
    ~WinsockSocket() override { ::closesocket(s_); }

    Step Send(const std::uint8_t *data, std::size_t size, Deadline until, std::size_t &sent) override
    {
        return SocketStep(
            s_, POLLWRNORM, until, [&] { return ::send(s_, reinterpret_cast<const char *>(data), int(size), 0); },
            sent);
    }

    Step Receive(std::uint8_t *buffer, std::size_t size, Deadline until, std::size_t &got) override
    {
        return SocketStep(
            s_, POLLRDNORM, until, [&] { return ::recv(s_, reinterpret_cast<char *>(buffer), int(size), 0); }, got);
    }

    // Windows tells no count of unacknowledged bytes on every version.
    std::size_t Unacknowledged() override { return 0; }

private:
    const SOCKET s_;
};

SOCKET ConnectAddress(const addrinfo &a, Deadline until, int &error)
{
    const SOCKET s = ::socket(a.ai_family, a.ai_socktype, a.ai_protocol);
    if (s == INVALID_SOCKET) {
        error = ::WSAGetLastError();
        return s;
    }
    u_long nonBlocking = 1;
    ::ioctlsocket(s, FIONBIO, &nonBlocking);
    error = 0;
    if (::connect(s, a.ai_addr, int(a.ai_addrlen)) == SOCKET_ERROR) {
        error = ::WSAGetLastError();
        if (error == WSAEWOULDBLOCK) {
            WSAPOLLFD p{s, POLLWRNORM, 0};
            const int ready = ::WSAPoll(&p, 1, WaitMilliseconds(until));
            int length = sizeof error;
            if (ready == 0)
                error = WSAETIMEDOUT;
            else if (ready < 0 || ::getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char *>(&error), &length) != 0)
                error = ::WSAGetLastError();
        }
    }
    if (error != 0) {
        ::closesocket(s);
        return INVALID_SOCKET;
    }
    const BOOL on = TRUE;
    (void)::setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char *>(&on), sizeof on);
    return s;
}

} // namespace

std::unique_ptr<TcpSocket> ConnectTcp(const std::string &host, std::uint16_t port, std::chrono::milliseconds limit)
{
    if (!StartWinsock()) {
        KeepFailure(FailureKind::Other, "Winsock did not start");
        return nullptr;
    }
    const Deadline until = SteadyClock::now() + limit;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo *found = nullptr;
    if (const int error = ::getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found); error != 0) {
        KeepFailure(FailureKind::Missing, error, "cannot find the host: " + Win32Text(DWORD(error)));
        return nullptr;
    }
    int error = 0;
    for (const addrinfo *a = found; a; a = a->ai_next) {
        if (const SOCKET s = ConnectAddress(*a, until, error); s != INVALID_SOCKET) {
            ::freeaddrinfo(found);
            return std::make_unique<WinsockSocket>(s);
        }
    }
    ::freeaddrinfo(found);
    if (error == WSAECONNREFUSED || error == WSAEHOSTUNREACH || error == WSAENETUNREACH)
        KeepFailure(FailureKind::Missing, error, "nothing answers there: " + Win32Text(DWORD(error)));
    else if (error == WSAETIMEDOUT)
        KeepFailure(FailureKind::TimedOut, error, "the host does not answer: " + Win32Text(DWORD(error)));
    else
        KeepFailure(KindOfError(error), error, Win32Text(DWORD(error)));
    return nullptr;
}

} // namespace platform
