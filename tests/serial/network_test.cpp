// The link through a serial device server: Debian's ser2net on 127.0.0.1 in
// front of emulated displays, reached by COM names mapped to its ports.
#include "link_fixture.h"

#include "net/network_port.h"
#include "platform/failure.h"
#include "tests/support/device_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <thread>

namespace {

using namespace testsupport;
using namespace std::chrono_literals;
using platform::FailureKind;

constexpr std::uint8_t IAC = 255, DO = 253, WILL = 251, SB = 250, NOP = 241, COM_PORT = 44;

// A server on 127.0.0.1 that sends its greeting to the one client it takes
// and then the same talk again and again, for up to 10 s or until the client
// goes.
class TalkingServer {
public:
    TalkingServer(std::vector<std::uint8_t> greeting, std::vector<std::uint8_t> talk)
    {
        listener_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof a;
        if (::bind(listener_, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0 || ::listen(listener_, 1) != 0 ||
            ::getsockname(listener_, reinterpret_cast<sockaddr *>(&a), &length) != 0)
            return;
        port_ = ntohs(a.sin_port);
        // Enough at a time that the client always finds more waiting.
        std::vector<std::uint8_t> burst;
        while (!talk.empty() && burst.size() < 16384)
            burst.insert(burst.end(), talk.begin(), talk.end());
        thread_ = std::thread([this, greeting, talk = std::move(burst)] {
            const int client = ::accept(listener_, nullptr, nullptr);
            if (client < 0)
                return;
            // A client that takes nothing more does not hold the thread.
            const timeval wait{0, 200000};
            ::setsockopt(client, SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof wait);
            const auto until = std::chrono::steady_clock::now() + 10s;
            until_ = until;
            bool sent = ::send(client, greeting.data(), greeting.size(), MSG_NOSIGNAL) >= 0;
            while (sent && !stop_ && std::chrono::steady_clock::now() < until)
                sent = ::send(client, talk.data(), talk.size(), MSG_NOSIGNAL) >= 0 || errno == EAGAIN;
            ::close(client);
        });
    }
    ~TalkingServer()
    {
        stop_ = true;
        ::shutdown(listener_, SHUT_RDWR);
        if (thread_.joinable())
            thread_.join();
        ::close(listener_);
    }
    std::string url() const { return "rfc2217://127.0.0.1:" + std::to_string(port_); }
    // Waits for the talk to end (the client gone, or 10 s over); when it
    // would have ended had the client stayed.
    std::chrono::steady_clock::time_point talkUntil()
    {
        if (thread_.joinable())
            thread_.join();
        return until_;
    }

private:
    int listener_ = -1;
    int port_ = 0;
    std::thread thread_;
    std::atomic<bool> stop_ = false;
    std::chrono::steady_clock::time_point until_{};
};

// Telnet talk with no data in it, however long it goes on, ends the
// negotiation and the exchange at their limits.
TEST(NetworkTalk, EndsTheNegotiationAndTheExchangeAtTheirLimits)
{
    const std::vector<std::uint8_t> takesOption{IAC, DO, COM_PORT};
    const struct {
        const char *what;
        std::vector<std::uint8_t> greeting, talk;
        bool opens;
    } rows[] = {
        {"IAC NOP instead of the option", {}, {IAC, NOP}, false},
        {"IAC NOP after the option", takesOption, {IAC, NOP}, true},
        {"IAC WILL over and over", takesOption, {IAC, WILL, 1}, true},
        {"a subnegotiation that never ends", {IAC, DO, COM_PORT, IAC, SB, COM_PORT}, {'0'}, true},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        TalkingServer server(row.greeting, row.talk);
        Drv232::Link link;
        link.NewReplyBuffer();
        const bool opened = link.Open(*platform::PortName::Parse(server.url()));
        EXPECT_EQ(opened, row.opens) << platform::LastFailure().text;
        if (opened) {
            link.DisplayText = "???";
            EXPECT_FALSE(link.ExchangeValue());
        } else {
            EXPECT_EQ(platform::LastFailure().kind, FailureKind::NotAPort) << platform::LastFailure().text;
        }
        // Ended by its limit, while the talk went on.
        const auto done = std::chrono::steady_clock::now();
        link.Close();
        EXPECT_LT(done, server.talkUntil());
    }
}

// Writes what the child found, or why it could not look, to fd.
void LookUpBehindASilentNameServer(int fd)
{
    const auto say = [fd](const std::string &text) {
        (void)!::write(fd, text.data(), text.size());
        ::_exit(0);
    };
    // Root makes the namespaces itself; another user as root of its own.
    const uid_t uid = ::getuid();
    const gid_t gid = ::getgid();
    if (::unshare(CLONE_NEWNS | CLONE_NEWNET) != 0) {
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNS | CLONE_NEWNET) != 0)
            say(std::string("skip: no network namespace of its own: ") + std::strerror(errno));
        std::ofstream("/proc/self/setgroups") << "deny";
        std::ofstream("/proc/self/uid_map") << "0 " << uid << " 1";
        std::ofstream("/proc/self/gid_map") << "0 " << gid << " 1";
    }
    char resolvConf[] = "/tmp/qmx-resolv.XXXXXX";
    const int file = ::mkstemp(resolvConf);
    (void)!::write(file, "nameserver 127.0.0.1\n", 21);
    ::close(file);
    const bool mounted = ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
                         ::mount(resolvConf, "/etc/resolv.conf", nullptr, MS_BIND, nullptr) == 0;
    ::unlink(resolvConf);
    if (!mounted)
        say(std::string("skip: cannot put a resolv.conf of its own in place: ") + std::strerror(errno));
    const int udp = ::socket(AF_INET, SOCK_DGRAM, 0);
    ifreq lo{};
    std::strcpy(lo.ifr_name, "lo");
    lo.ifr_flags = IFF_UP;
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(53);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::ioctl(udp, SIOCSIFFLAGS, &lo) != 0 || ::bind(udp, reinterpret_cast<sockaddr *>(&a), sizeof a) != 0)
        say(std::string("skip: no silent name server on 127.0.0.1:53: ") + std::strerror(errno));
    if (platform::OpenSerialDevice("rfc2217://display.example:2217", net::OpenNetworkPort))
        say("opened");
    const platform::FailureReason why = platform::LastFailure();
    say(std::to_string(int(why.kind)) + " " + why.text);
}

// A name server that never answers: the look-up ends within the connect
// limit, as a time-out (glibc alone would wait 5 s twice).
TEST(NetworkLookup, ANameServerThatNeverAnswersTimesOut)
{
    int channel[2];
    ASSERT_EQ(::pipe(channel), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        LookUpBehindASilentNameServer(channel[1]);
    }
    ::close(channel[1]);
    std::string said;
    char buffer[256];
    for (ssize_t n; (n = ::read(channel[0], buffer, sizeof buffer)) > 0;)
        said.append(buffer, std::size_t(n));
    ::close(channel[0]);
    ::waitpid(child, nullptr, 0);
    if (said.starts_with("skip: "))
        GTEST_SKIP() << said.substr(6);
    EXPECT_EQ(said.substr(0, said.find(' ')), std::to_string(int(FailureKind::TimedOut))) << said;
    EXPECT_NE(said.find("rfc2217://display.example:2217: cannot find the host: the name server did not answer"),
              std::string::npos)
        << said;
}

class NetworkTest : public LinkTest {
protected:
    void SetUp() override
    {
        Drv232::NewReplyBuffer();
        for (int line : {1, 2})
            served.push_back(StartDisplay(lines.path(), line, sim::Behaviour::Normal, "0930"));
        ASSERT_TRUE(served[0] && served[1]);
        server = std::make_unique<DeviceServer>(
            lines.path(),
            std::vector<DeviceServer::Line>{{served[0]->slavePath(), true}, {served[1]->slavePath(), false}});
        ASSERT_TRUE(server->start()) << server->problem();
    }
    void TearDown() override
    {
        Drv232::ClosePort();
        server.reset();
        served.clear();
        LinkTest::TearDown();
    }
    // COMn as a file in the ports folder whose first line is text.
    void Map(unsigned n, const std::string &text)
    {
        std::ofstream(ports.file(platform::PortName::Com(n).Label())) << text << "\n";
    }

    TempDir lines; // where the served displays' ptys are linked
    std::vector<std::unique_ptr<sim::DisplaySim>> served;
    std::unique_ptr<DeviceServer> server;
};

// Through either kind of server port the display takes the same bytes as on
// its own line, 0xFF (the Telnet escape) among them, and its reply comes back.
TEST_F(NetworkTest, ExchangesAndDigitFramesCrossTheServerAsOnTheLine)
{
    sim::DisplaySim &direct = AddDisplay(9);
    for (std::size_t route : {0u, 1u}) {
        SCOPED_TRACE(server->url(route));
        Map(3, server->url(route));
        std::vector<std::string> wire[2];
        for (int port : {3, 9}) {
            ASSERT_TRUE(Drv232::OpenPort(std::uint8_t(port))) << platform::LastFailure().text;
            Drv232::DisplayText = "1\xFF"
                                  "23";
            EXPECT_TRUE(Drv232::ExchangeValue()) << "COM" << port;
            EXPECT_EQ(Drv232::ReplyText(), "1\xFF"
                                           "23")
                << "COM" << port;
            Drv232::DigitCells = {1, 2, 3, 4, 0};
            Drv232::PointFlags = {0, 1, 0, 0, 0};
            EXPECT_FALSE(Drv232::SendDigitFrame(1)) << "COM" << port;
            wire[port == 9] = TakeFrames(port == 9 ? direct : *served[route], 2);
        }
        EXPECT_EQ(wire[0], wire[1]);
        EXPECT_EQ(wire[0].size(), 2u);
    }
}

TEST_F(NetworkTest, LineSettingsReachTheServedLine)
{
    Map(3, server->url(0));
    Drv232::LineMode = 2;
    ASSERT_TRUE(Drv232::OpenPort(3)) << platform::LastFailure().text;
    // The server sets its line when it takes the command; the exchange after
    // it is its proof.
    Drv232::DisplayText = "???";
    ASSERT_TRUE(Drv232::ExchangeValue());
    const int line = ::open(served[0]->slavePath().c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK);
    ASSERT_GE(line, 0);
    termios t{};
    ASSERT_EQ(::tcgetattr(line, &t), 0);
    ::close(line);
    EXPECT_EQ(::cfgetospeed(&t), speed_t(B115200));
}

TEST_F(NetworkTest, AServerThatWentAndCameBackServesTheNextExchange)
{
    Map(3, server->url(0));
    ASSERT_TRUE(Drv232::OpenPort(3)) << platform::LastFailure().text;
    Drv232::DisplayText = "???";
    ASSERT_TRUE(Drv232::ExchangeValue());
    server->stop();
    EXPECT_FALSE(Drv232::ExchangeValue());
    const FailureKind kind = platform::LastFailure().kind;
    EXPECT_TRUE(kind == FailureKind::Gone || kind == FailureKind::Missing) << platform::LastFailure().text;
    ASSERT_TRUE(server->start()) << server->problem();
    EXPECT_TRUE(Drv232::ExchangeValue()) << platform::LastFailure().text;
    EXPECT_EQ(Drv232::ReplyText(), "0930");
}

TEST_F(NetworkTest, WhatCannotServeIsToldByItsKind)
{
    platform::SerialDevice *other = platform::OpenSerialDevice(server->url(0), net::OpenNetworkPort);
    ASSERT_NE(other, nullptr) << platform::LastFailure().text;
    const std::string raw = server->url(1);
    const struct {
        const char *what;
        std::string mapping;
        FailureKind kind;
        const char *text;
    } rows[] = {
        {"a server that serves another client", server->url(0), FailureKind::InUse, "another client"},
        {"rfc2217 on a raw port", "rfc2217" + raw.substr(raw.find("://")), FailureKind::NotAPort, "RFC 2217"},
        {"nothing listens", "socket://127.0.0.1:1", FailureKind::Missing, "127.0.0.1:1"},
        {"no port number", "rfc2217://127.0.0.1", FailureKind::NotAPort, "not a port URL: rfc2217://127.0.0.1"},
        {"an unknown kind", "telnet://127.0.0.1:23", FailureKind::NotAPort, "not a port URL"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        Map(3, row.mapping);
        EXPECT_FALSE(Drv232::OpenPort(3));
        EXPECT_EQ(platform::LastFailure().kind, row.kind);
        EXPECT_NE(platform::LastFailure().text.find(row.text), std::string::npos) << platform::LastFailure().text;
    }
    platform::CloseSerialDevice(other);
}

} // namespace
