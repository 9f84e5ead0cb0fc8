// The link through a serial device server: Debian's ser2net on 127.0.0.1 in
// front of emulated displays, reached by COM names mapped to its ports.
#include "link_fixture.h"

#include "platform/failure.h"
#include "tests/support/device_server.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <fstream>

namespace {

using namespace testsupport;
using platform::FailureKind;

class NetworkTest : public LinkTest {
protected:
    void SetUp() override
    {
        Drv232::NewReplyBuffer();
        for (int line : {1, 2})
            served.push_back(StartDisplay(lines.path(), line, sim::Behaviour::Normal, "0930"));
        ASSERT_TRUE(served[0] && served[1]);
        server = std::make_unique<DeviceServer>(
            lines.path(), std::vector<DeviceServer::Line>{{served[0]->slavePath(), true}, {served[1]->slavePath(), false}});
        ASSERT_TRUE(server->start()) << "ser2net did not come up; see " << lines.file("ser2net.log");
    }
    void TearDown() override
    {
        Drv232::ClosePort();
        server.reset();
        served.clear();
        LinkTest::TearDown();
    }
    // COMn as a file in the ports folder whose first line is text.
    void Map(unsigned n, const std::string &text) { std::ofstream(ports.file(platform::PortName::Com(n).Label())) << text << "\n"; }

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
            Drv232::DisplayText = "1\xFF" "23";
            EXPECT_TRUE(Drv232::ExchangeValue()) << "COM" << port;
            EXPECT_EQ(Drv232::ReplyText(), "1\xFF" "23") << "COM" << port;
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
    ASSERT_TRUE(server->start());
    EXPECT_TRUE(Drv232::ExchangeValue()) << platform::LastFailure().text;
    EXPECT_EQ(Drv232::ReplyText(), "0930");
}

TEST_F(NetworkTest, WhatCannotServeIsToldByItsKind)
{
    platform::SerialDevice *other = platform::OpenSerialDevice(server->url(0));
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
