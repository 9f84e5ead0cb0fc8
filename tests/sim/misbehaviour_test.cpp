// The faults the display can be switched into, and input that makes no sense.
#include "sim/display_answer.h"
#include "sim_fixture.h"

#include <algorithm>
#include <random>

using namespace simtest;
using namespace std::string_literals;
using sim::Behaviour;

namespace {

TEST_F(SimTest, EachFaultAnswersExactlyItsBytes)
{
    const struct {
        Behaviour behaviour;
        Bytes reply;
    } cases[] = {
        {Behaviour::WrongTerminator, ToBytes("1234\n\r")},
        {Behaviour::ShortReply, ToBytes("1234\r")},
        {Behaviour::StrayByte, {sim::kStrayByte, '1', '2', '3', '4', 0x0D, 0x0A}},
        {Behaviour::SlowBytes, ToBytes("1234\r\n")},
        {Behaviour::Silent, {}},
        {Behaviour::Normal, ToBytes("1234\r\n")},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(static_cast<int>(c.behaviour));
        display->setBehaviour(c.behaviour);
        EXPECT_EQ(port->exchange(ToBytes("D1234\r\n")), c.reply);
    }
}

TEST_F(SimTest, SilentDisplayStillTakesTheValue)
{
    display->setBehaviour(Behaviour::Silent);
    EXPECT_TRUE(port->exchange(ToBytes("D4567\r\n")).empty());
    display->setBehaviour(Behaviour::Normal);
    EXPECT_EQ(port->exchange(ToBytes("D???\0\r\n"s)), ToBytes("4567\r\n"));
}

// Bounds taken from the moment of sending hold however late this thread
// gets to read, so they cannot fail on a busy machine.
TEST_F(SimTest, SlowBytesLeaveGapsLongerThanTheProgramWaits)
{
    display->setBehaviour(Behaviour::SlowBytes);
    const auto sent = Clock::now();
    port->send(ToBytes("D1234\r\n"));
    const std::vector<TimedByte> reply = port->receive();
    ASSERT_EQ(Values(reply), ToBytes("1234\r\n"));
    Clock::duration widest{};
    for (std::size_t i = 1; i < reply.size(); ++i)
        widest = std::max(widest, reply[i].at - reply[i - 1].at);
    EXPECT_GE(widest, 20ms);
    EXPECT_GE(reply.back().at - sent, 5 * 20ms);
}

TEST_F(SimTest, MmmmFaultAnswersMmmmAndKeepsIt)
{
    display->setBehaviour(Behaviour::AlwaysMMMM);
    EXPECT_EQ(port->exchange(ToBytes("D1234\r\n")), ToBytes("MMMM\r\n"));
    EXPECT_EQ(port->exchange(ToBytes("D???\0\r\n"s)), ToBytes("MMMM\r\n"));
    display->setBehaviour(Behaviour::Normal);
    EXPECT_EQ(port->exchange(ToBytes("D???\0\r\n"s)), ToBytes("MMMM\r\n"));
    EXPECT_EQ(display->value(), "MMMM");
}

TEST_F(SimTest, GarbageIsSurvivedAndTheNextGoodFrameAnswered)
{
    std::mt19937 random(8350);
    Bytes noise(2000);
    for (auto &b : noise)
        b = static_cast<std::uint8_t>(random());
    port->send(noise);
    port->receive(); // whatever the noise happened to ask for
    EXPECT_EQ(port->exchange(ToBytes("D1111\r\n")), ToBytes("1111\r\n"));

    EXPECT_TRUE(port->exchange(ToBytes("\r\n")).empty());
    EXPECT_EQ(port->exchange(ToBytes("D2222\r\n")), ToBytes("2222\r\n"));

    // A frame cut short and left so; the next one comes after a pause.
    EXPECT_TRUE(port->exchange(ToBytes("D33")).empty());
    EXPECT_EQ(port->exchange(ToBytes("D4444\r\n")), ToBytes("4444\r\n"));

    const std::vector<sim::Frame> frames = display->frames();
    ASSERT_GE(frames.size(), 3u);
    EXPECT_EQ(frames[frames.size() - 2].bytes, ToBytes("D33"));
    EXPECT_EQ(frames[frames.size() - 2].kind, sim::Frame::Kind::Garbage);
}

} // namespace
