// Value exchanges, digit frames and the frame log, seen from the program's
// end of a real pseudo-terminal.
#include "sim_fixture.h"

#include <atomic>
#include <cerrno>
#include <cstring>

using namespace simtest;
using namespace std::string_literals;
using sim::Frame;

namespace {

const Bytes kRead = ToBytes("D???\0\r\n"s);

TEST_F(SimTest, WriteIsEchoedAndReadBackWithEitherLetter)
{
    EXPECT_EQ(port->exchange(ToBytes("D1234\r\n")), ToBytes("1234\r\n"));
    EXPECT_EQ(port->exchange(kRead), ToBytes("1234\r\n"));
    EXPECT_EQ(port->exchange(ToBytes("C5678\r\n")), ToBytes("5678\r\n"));
    EXPECT_EQ(port->exchange(ToBytes("C???\0\r\n"s)), ToBytes("5678\r\n"));
    EXPECT_EQ(display->value(), "5678");
}

TEST_F(SimTest, InitialValueIsAnsweredAndZeroBytesAreHeld)
{
    sim::Options options;
    options.initialValue = "0930";
    startWith(options);
    EXPECT_EQ(port->exchange(kRead), ToBytes("0930\r\n"));

    EXPECT_EQ(port->exchange(ToBytes("D1\0\0\0\r\n"s)), ToBytes("1\0\0\0\r\n"s));
    EXPECT_EQ(display->value(), "1\0\0\0"s);
    EXPECT_EQ(port->exchange(kRead), ToBytes("1\0\0\0\r\n"s));
}

TEST_F(SimTest, DigitFrameIsKeptAndNotAnswered)
{
    port->send({0x01, 0x30, 0x02, 0x35, 0x34, 0x33, 0x32, 0xB1, 0x0D, 0x0A});
    ASSERT_TRUE(display->waitForFrames(1, 2000ms));
    EXPECT_TRUE(port->receive(100ms).empty());
    EXPECT_EQ(display->digitCells(), (std::array<std::uint8_t, 5>{0x35, 0x34, 0x33, 0x32, 0xB1}));
    EXPECT_EQ(display->frames().at(0).kind, Frame::Kind::Digit);
}

// The program opens the port for each session (with its lock and TIOCEXCL)
// and closes it after; the display has to answer in every session.
TEST_F(SimTest, ProgramCanCloseAndReopenThePort)
{
    for (int round = 0; round < 4; ++round) {
        SCOPED_TRACE(round);
        const std::string value = "000" + std::to_string(round);
        EXPECT_EQ(port->exchange(ToBytes("D" + value + "\r\n")), ToBytes(value + "\r\n"));
        port.reset();
        port = std::make_unique<ProgramPort>(display->linkPath());
        ASSERT_TRUE(port->isOpen()) << std::strerror(errno);
    }
}

TEST_F(SimTest, FrameLogKeepsKindsBytesRepliesAndOrder)
{
    std::atomic<int> callbacks{0};
    display->onFrame([&](const Frame &) { ++callbacks; });
    const Bytes digit{0x01, 0x31, 0x02, '1', '2', '3', '4', '5', 0x0D, 0x0A};
    port->exchange(ToBytes("D4321\r\n"));
    port->send(digit);
    port->send(ToBytes("zz\r\n"));
    ASSERT_TRUE(display->waitForFrames(3, 2000ms));

    const std::vector<Frame> frames = display->frames();
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0].kind, Frame::Kind::Value);
    EXPECT_EQ(frames[0].reply, ToBytes("4321\r\n"));
    EXPECT_EQ(frames[1].kind, Frame::Kind::Digit);
    EXPECT_EQ(frames[1].bytes, digit);
    EXPECT_EQ(frames[2].kind, Frame::Kind::Garbage);
    EXPECT_EQ(frames[2].bytes, ToBytes("zz\r\n"));
    for (std::size_t i = 0; i < frames.size(); ++i) {
        EXPECT_LE(frames[i].received, frames[i].completed);
        if (i > 0) {
            EXPECT_LE(frames[i - 1].completed, frames[i].received);
        }
    }
    EXPECT_EQ(callbacks, 3);
    EXPECT_EQ(sim::FrameToHex(frames[0].bytes), "44 34 33 32 31 0D 0A");

    display->clearFrames();
    const auto before = Clock::now();
    EXPECT_FALSE(display->waitForFrames(1, 100ms));
    EXPECT_GE(Clock::now() - before, 90ms);
}

TEST_F(SimTest, PacingSpreadsTheReplyAtLineSpeed)
{
    display->setPacing(true);
    const auto sent = Clock::now();
    port->send(kRead);
    const std::vector<TimedByte> reply = port->receive();
    ASSERT_EQ(Values(reply), ToBytes("0000\r\n"));
    // Five byte times at 9600 baud are 5.2 ms.
    EXPECT_GE(reply.back().at - sent, 5ms);
}

} // namespace
