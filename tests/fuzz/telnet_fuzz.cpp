// A device server that says any bytes once it has taken the COM-PORT-OPTION:
// the network port reads them as Telnet (data, 0xFF doubled, option requests,
// subnegotiations cut anywhere). Whatever comes, nothing crashes or hangs,
// each request is answered once at most (Telnet peers that answer
// acknowledgements loop), and no more data is read than the server sent.
#include "net/network_port.h"
#include "platform/serial_device.h"

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr std::uint8_t IAC = 255, DO = 253, COM_PORT = 44;

// What the port sent back, read until it closes the connection.
std::size_t Serve(int listener, const std::vector<std::uint8_t> &say)
{
    const int peer = ::accept(listener, nullptr, nullptr);
    if (peer < 0)
        return 0;
    (void)!::send(peer, say.data(), say.size(), MSG_NOSIGNAL);
    std::size_t heard = 0;
    std::uint8_t buffer[4096];
    for (;;) {
        pollfd p{peer, POLLIN, 0};
        if (::poll(&p, 1, 3000) <= 0)
            break;
        const ssize_t n = ::recv(peer, buffer, sizeof buffer, 0);
        if (n <= 0)
            break;
        heard += std::size_t(n);
    }
    ::close(peer);
    return heard;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size > 4096)
        return 0;
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof a;
    if (::bind(listener, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0 || ::listen(listener, 1) != 0 ||
        ::getsockname(listener, reinterpret_cast<sockaddr *>(&a), &length) != 0)
        std::abort();

    std::vector<std::uint8_t> say(size + 3);
    say[0] = IAC;
    say[1] = DO;
    say[2] = COM_PORT;
    std::copy_n(data, size, say.begin() + 3);
    std::size_t heard = 0;
    std::thread server([&] { heard = Serve(listener, say); });

    std::size_t read = 0;
    const std::string url = "rfc2217://127.0.0.1:" + std::to_string(ntohs(a.sin_port));
    if (platform::SerialDevice *port = platform::OpenSerialDevice(url, net::OpenNetworkPort)) {
        (void)platform::SetTimeouts(port, {5, 0, 50, 0, 100});
        std::uint8_t buffer[8192];
        std::size_t got = 0;
        while (platform::ReadDevice(port, buffer, sizeof buffer, got) && got > 0)
            read += got;
        platform::CloseSerialDevice(port);
    }
    server.join();
    ::close(listener);

    // Our WILL COM-PORT-OPTION, then one answer of three bytes at most per
    // request (verb and option) the server made; every request shows in the
    // bytes as IAC, verb, option (some such triples are data, which only
    // loosens the bound).
    bool requested[4][256] = {};
    std::size_t requests = 0;
    for (std::size_t i = 0; i + 2 < say.size(); ++i)
        if (say[i] == IAC && say[i + 1] >= 251 && say[i + 1] <= 254 && !requested[say[i + 1] - 251][say[i + 2]]) {
            requested[say[i + 1] - 251][say[i + 2]] = true;
            ++requests;
        }
    if (heard > 3 + 3 * requests || read > size)
        std::abort();
    return 0;
}
