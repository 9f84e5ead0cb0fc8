// The link's contract with the display, the same on every serial backend:
// run against emulated displays in their own processes, on Linux through
// the POSIX backend and under Wine through the Win32 one.
#include "peers.h"

#include "net/network_port.h"
#include "platform/failure.h"
#include "platform/serial_device.h"
#include "serial/drv232.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

using namespace std::chrono;
using contract::Hex;
using contract::PeerPort;

class LinkContract : public ::testing::Test {
protected:
    void SetUp() override
    {
        Drv232::DefaultLink() = Drv232::Link();
        Drv232::NewReplyBuffer();
    }
    void TearDown() override { Drv232::DefaultLink() = Drv232::Link(); }
};

struct FrameCase {
    std::string text;
    bool whole;
    std::vector<std::uint8_t> wire;
};

class FrameOnTheWire : public LinkContract, public ::testing::WithParamInterface<FrameCase> {};

TEST_P(FrameOnTheWire, CarriesTheFirstFourCharactersPaddedWithZeros)
{
    // Both sides of the name prefix: COM9, then \\.\COM10.
    for (std::uint8_t port : contract::PeerPorts("normal")) {
        ASSERT_TRUE(Drv232::OpenPort(port)) << platform::PortName::Com(port).Label();
        contract::FrameLog log;
        log.skipToEnd();
        Drv232::DisplayText = GetParam().text;
        EXPECT_TRUE(GetParam().whole ? Drv232::ExchangeWhole() : Drv232::ExchangeValue());
        EXPECT_EQ(log.nextFrame(port), Hex(GetParam().wire)) << platform::PortName::Com(port).Label();
        EXPECT_EQ(Drv232::DisplayText, GetParam().text) << "an exchange only reads the text";
    }
}

INSTANTIATE_TEST_SUITE_P(Texts, FrameOnTheWire,
                         ::testing::Values(FrameCase{"1234", false, {0x44, 0x31, 0x32, 0x33, 0x34, 0x0D, 0x0A}},
                                           FrameCase{"???", false, {0x44, 0x3F, 0x3F, 0x3F, 0x00, 0x0D, 0x0A}},
                                           FrameCase{"", false, {0x44, 0, 0, 0, 0, 0x0D, 0x0A}},
                                           FrameCase{"12304", false, {0x44, 0x31, 0x32, 0x33, 0x30, 0x0D, 0x0A}},
                                           FrameCase{"1234", true, {0x43, 0x31, 0x32, 0x33, 0x34, 0x0D, 0x0A}},
                                           FrameCase{"\x8a\xe8", false, {0x44, 0x8A, 0xE8, 0, 0, 0x0D, 0x0A}}));

TEST_F(LinkContract, WellFormedReplyFillsReplyBuffer)
{
    ASSERT_TRUE(Drv232::OpenPort(PeerPort("normal")));
    EXPECT_EQ(Drv232::ReplyText(), std::string(4, '\0')) << "new storage starts as zero bytes";
    Drv232::DisplayText = "0915";
    ASSERT_TRUE(Drv232::ExchangeValue());
    Drv232::DisplayText = "???";
    ASSERT_TRUE(Drv232::ExchangeValue());
    EXPECT_EQ(Drv232::ReplyText(), "0915");
    Drv232::DisplayText = "1200";
    ASSERT_TRUE(Drv232::ExchangeWhole());
    EXPECT_EQ(Drv232::ReplyText(), "1200");
}

// Silent: no reply; slow: 25 ms between the reply's bytes; short: five
// bytes; wrong-terminator: LF CR.
class BadReply : public LinkContract, public ::testing::WithParamInterface<const char *> {};

TEST_P(BadReply, IsRejectedAndLeavesReplyBufferAsItWas)
{
    ASSERT_TRUE(Drv232::OpenPort(PeerPort(GetParam())));
    Drv232::DisplayText = "4321";
    const auto start = steady_clock::now();
    EXPECT_FALSE(Drv232::ExchangeValue());
    EXPECT_EQ(Drv232::ReplyText(), std::string(4, '\0'));
    if (std::string(GetParam()) == "silent") {
        // The display has 10 ms a byte and 1000 ms more to answer.
        const auto waited = duration_cast<milliseconds>(steady_clock::now() - start).count();
        EXPECT_GE(waited, 900);
        EXPECT_LE(waited, 3000);
    }
}

INSTANTIATE_TEST_SUITE_P(Misbehaviours, BadReply, ::testing::Values("silent", "slow", "short", "wrong-terminator"));

struct LineCase {
    std::uint8_t mode;
    platform::LineSettings line;
};

class LineMode : public LinkContract, public ::testing::WithParamInterface<LineCase> {};

TEST_P(LineMode, SetsTheLineAndTheReplyTimeOuts)
{
    Drv232::LineMode = GetParam().mode;
    ASSERT_TRUE(Drv232::OpenPort(PeerPort("normal")));
    platform::LineSettings line;
    ASSERT_TRUE(platform::GetLineSettings(Drv232::PortHandle, line));
    EXPECT_EQ(line.BaudRate, GetParam().line.BaudRate);
    EXPECT_EQ(line.ByteSize, GetParam().line.ByteSize);
    EXPECT_EQ(line.StopBits, GetParam().line.StopBits);
    // A pseudo-terminal keeps no parity; the POSIX backend remembers what
    // was set, Wine reports what the pty has.
    if (!contract::UnderWine()) {
        EXPECT_EQ(line.Parity, GetParam().line.Parity);
    }

    platform::CommTimeouts t;
    ASSERT_TRUE(platform::GetTimeouts(Drv232::PortHandle, t));
    EXPECT_EQ(t.ReadIntervalTimeout, 20u);
    EXPECT_EQ(t.ReadTotalTimeoutMultiplier, 10u);
    EXPECT_EQ(t.ReadTotalTimeoutConstant, 1000u);
    EXPECT_EQ(t.WriteTotalTimeoutMultiplier, 20u);
    EXPECT_EQ(t.WriteTotalTimeoutConstant, 20u);

    Drv232::DisplayText = "???";
    EXPECT_TRUE(Drv232::ExchangeValue()) << "the display answers at any line speed";
}

INSTANTIATE_TEST_SUITE_P(Modes, LineMode,
                         ::testing::Values(LineCase{1, {9600, 8, platform::NoParity, platform::OneStopBit}},
                                           LineCase{2, {115200, 8, platform::EvenParity, platform::OneStopBit}}));

TEST_F(LinkContract, PortTakenByAnotherOpenFails)
{
    if (contract::UnderWine())
        GTEST_SKIP() << "Wine opens a comm port a second time although it was opened with no sharing";
    const std::uint8_t port = PeerPort("normal");
    platform::SerialDevice *other =
        platform::OpenSerialDevice(platform::PortName::Com(port).DeviceName(), net::OpenNetworkPort);
    ASSERT_NE(other, nullptr);
    EXPECT_FALSE(Drv232::OpenPort(port));
    EXPECT_EQ(Drv232::PortHandle, nullptr);
    platform::CloseSerialDevice(other);
    EXPECT_TRUE(Drv232::OpenPort(port));
}

// An adapter pulled out while the port is open: each exchange fails at once
// (no read time-out, no busy wait) while it is away, and the port works
// again, as it was set up, once the same name is back.
TEST_F(LinkContract, PulledOutDisplayFailsAtOnceAndWorksAgainOnceBack)
{
    Drv232::LineMode = 2;
    ASSERT_TRUE(Drv232::OpenPort(PeerPort("gone")));
    Drv232::DisplayText = "0915";
    ASSERT_TRUE(Drv232::ExchangeValue());

    contract::ControlPulledDisplay("gone");
    // The exchange under way when the line goes may only miss its reply (a
    // time-out, no system failure); one after it learns that the device went.
    auto until = steady_clock::now() + seconds(3);
    platform::FailureKind kind = platform::FailureKind::None;
    while (steady_clock::now() < until) {
        platform::ClearFailure();
        if (!Drv232::ExchangeValue() && (kind = platform::LastFailure().kind) != platform::FailureKind::None)
            break;
        std::this_thread::sleep_for(milliseconds(50));
    }
    // Gone, or Missing when the exchange's discard saw it go and its write
    // found nothing under the name.
    EXPECT_TRUE(kind == platform::FailureKind::Gone || kind == platform::FailureKind::Missing)
        << platform::LastFailure().text;
    for (int i = 0; i < 5; ++i) {
        const auto start = steady_clock::now();
        EXPECT_FALSE(Drv232::ExchangeValue());
        EXPECT_LT(duration_cast<milliseconds>(steady_clock::now() - start).count(), 900)
            << "a device that has gone fails before the read time-out";
    }

    contract::ControlPulledDisplay("back");
    bool back = false;
    until = steady_clock::now() + seconds(5);
    while (!(back = Drv232::ExchangeValue()) && steady_clock::now() < until)
        std::this_thread::sleep_for(milliseconds(100));
    EXPECT_TRUE(back) << "the same port works again once its name is back";
    platform::LineSettings line;
    ASSERT_TRUE(platform::GetLineSettings(Drv232::PortHandle, line));
    EXPECT_EQ(line.BaudRate, 115200u) << "with the line as it was set up";
}

// Each backend tells a failure by its kind, which is all portable code reads.
TEST_F(LinkContract, FailuresAreToldByTheirKind)
{
    using platform::FailureKind;
    const std::uint8_t held = PeerPort("normal");
    const struct {
        const char *what;
        std::uint8_t port;
        FailureKind kind;
    } rows[] = {
        {"nothing under the name", 29, FailureKind::Missing},
        {"a plain file under the name", PeerPort("plain"), FailureKind::NotAPort},
        {"a port another open holds", held, FailureKind::InUse},
    };
    platform::SerialDevice *holder =
        platform::OpenSerialDevice(platform::PortName::Com(held).DeviceName(), net::OpenNetworkPort);
    ASSERT_NE(holder, nullptr);
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        if (row.kind == FailureKind::InUse && contract::UnderWine())
            continue; // Wine opens a comm port a second time although it was opened with no sharing
        platform::ClearFailure();
        EXPECT_FALSE(Drv232::OpenPort(row.port));
        EXPECT_EQ(platform::LastFailure().kind, row.kind) << platform::LastFailure().text;
        EXPECT_FALSE(platform::LastFailure().text.empty());
    }
    platform::CloseSerialDevice(holder);
}

TEST_F(LinkContract, MissingPortLeavesNoPort)
{
    EXPECT_FALSE(Drv232::OpenPort(29));
    EXPECT_EQ(Drv232::PortHandle, nullptr);
}

} // namespace
