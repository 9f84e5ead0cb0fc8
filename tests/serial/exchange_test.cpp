// The value exchange against an emulated display on a real pty.
#include "link_fixture.h"

#include "platform/serial_device.h"
#include "tests/support/pty.h"

#include <chrono>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>
#include <thread>

using namespace std::chrono;
using namespace std::string_literals;

namespace {

// The frames, the replies and the misbehaving displays are the contract
// tests' (tests/contract), on every backend.

TEST_F(LinkTest, LateBytesOfAFailedReplyDoNotShiftTheNextOne)
{
    auto &display = AddDisplay(6, sim::Behaviour::SlowBytes, "0915");
    ASSERT_TRUE(Drv232::OpenPort(6));
    Drv232::NewReplyBuffer();
    Drv232::DisplayText = "???";
    EXPECT_FALSE(Drv232::ExchangeValue()) << "a 25 ms gap cuts the reply";
    // The rest of the slow reply lands in the input queue meanwhile.
    std::this_thread::sleep_for(milliseconds(300));
    display.setBehaviour(sim::Behaviour::Normal);
    ASSERT_TRUE(Drv232::ExchangeValue());
    EXPECT_EQ(Drv232::ReplyText(), "0915");
}

TEST_F(LinkTest, TwoLinksDriveTwoDisplaysEachWithItsOwnFrames)
{
    auto &five = AddDisplay(5);
    auto &six = AddDisplay(6);
    Drv232::Link a, b;
    for (Drv232::Link *link : {&a, &b})
        link->NewReplyBuffer();
    ASSERT_TRUE(a.Open(platform::PortName::Com(5)));
    ASSERT_TRUE(b.Open(platform::PortName::Com(6)));
    ASSERT_TRUE(a.Exchange("0101", false));
    ASSERT_TRUE(b.Exchange("0202", true));
    a.DigitCells.fill('7');
    EXPECT_FALSE(a.SendDigitFrame(1));
    ASSERT_TRUE(b.Exchange("2", false));
    EXPECT_EQ(a.ReplyText(), "0101");
    EXPECT_EQ(b.ReplyText(), "2\0\0\0"s);
    EXPECT_EQ(testsupport::TakeFrames(five, 2),
              (std::vector<std::string>{"44 30 31 30 31 0D 0A", "01 31 02 37 37 37 37 37 0D 0A"}));
    EXPECT_EQ(testsupport::TakeFrames(six, 2),
              (std::vector<std::string>{"43 30 32 30 32 0D 0A", "44 32 00 00 00 0D 0A"}));
}

TEST_F(LinkTest, ExchangesWithoutAnOpenPortFail)
{
    Drv232::NewReplyBuffer();
    Drv232::DisplayText = "1234";
    EXPECT_FALSE(Drv232::ExchangeValue());
    EXPECT_FALSE(Drv232::ExchangeWhole());
    EXPECT_EQ(Drv232::ReplyText(), std::string(4, '\0'));
}

TEST_F(LinkTest, ACommandThatCannotLeaveWholeIsAFailedExchange)
{
    // A pty whose far end never reads: once its buffer is full, writes time out.
    testsupport::RawPty pty;
    ASSERT_TRUE(testsupport::OpenRawPty(pty));
    close(pty.slave);
    const int master = pty.master;
    std::filesystem::create_symlink(pty.slavePath, ports / "COM7");
    ASSERT_TRUE(Drv232::OpenPort(7));
    Drv232::NewReplyBuffer();

    // Fill it under a short write time-out, then put the link's own back.
    platform::CommTimeouts linkTimeouts;
    ASSERT_TRUE(platform::GetTimeouts(Drv232::PortHandle, linkTimeouts));
    platform::CommTimeouts quick = linkTimeouts;
    quick.WriteTotalTimeoutMultiplier = 0;
    quick.WriteTotalTimeoutConstant = 200;
    ASSERT_TRUE(platform::SetTimeouts(Drv232::PortHandle, quick));
    std::vector<std::uint8_t> filler(1 << 20, 0x55);
    std::size_t written = 0;
    platform::WriteDevice(Drv232::PortHandle, filler.data(), filler.size(), written);
    ASSERT_LT(written, filler.size()) << "the pty buffer should have filled up";
    ASSERT_TRUE(platform::SetTimeouts(Drv232::PortHandle, linkTimeouts));

    Drv232::DisplayText = "1234";
    EXPECT_FALSE(Drv232::ExchangeValue());
    EXPECT_EQ(Drv232::ReplyText(), std::string(4, '\0'));
    EXPECT_TRUE(Drv232::SendDigitFrame(0)) << "a digit frame that cannot leave whole reports failure too";
    Drv232::ClosePort();
    close(master);
}

TEST_F(LinkTest, DigitFrameGoesOutLeftmostCellFirstWithPointsAndAddress)
{
    const struct {
        std::array<std::uint8_t, 5> cells, points;
        std::uint8_t address;
        const char *wire;
    } cases[] = {
        {{'1', '2', '3', '4', '5'}, {}, 0, "01 30 02 35 34 33 32 31 0D 0A"},
        {{'1', '2', '3', '4', '5'}, {0, 0, 1, 0, 0}, 0, "01 30 02 35 34 B3 32 31 0D 0A"},
        {{}, {}, 0, "01 30 02 00 00 00 00 00 0D 0A"},
        {{'1', '2', '3', '4', '5'}, {}, 9, "01 39 02 35 34 33 32 31 0D 0A"},
        {{'1', '2', '3', '4', '5'}, {}, 10, "01 3A 02 35 34 33 32 31 0D 0A"},
        {{0xB1, 0, 0, 0, 0}, {1, 0, 0, 0, 0}, 208, "01 00 02 00 00 00 00 B1 0D 0A"},
    };
    auto &display = AddDisplay(3);
    ASSERT_TRUE(Drv232::OpenPort(3));
    for (const auto &c : cases) {
        SCOPED_TRACE(c.wire);
        display.clearFrames();
        Drv232::DigitCells = c.cells;
        Drv232::PointFlags = c.points;
        EXPECT_FALSE(Drv232::SendDigitFrame(c.address)) << "false means the frame went out";
        EXPECT_EQ(sim::FrameToHex(LastFrame(display)), c.wire);
        EXPECT_EQ(Drv232::DigitCells, c.cells) << "sending leaves the cells as they were";
    }
}

TEST_F(LinkTest, DigitFrameWithoutAPortReportsFailure)
{
    EXPECT_TRUE(Drv232::SendDigitFrame(0));
}

} // namespace
