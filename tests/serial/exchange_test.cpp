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

namespace {

struct FrameCase {
    std::string text;
    bool whole;
    std::vector<std::uint8_t> wire;
};

class FrameOnTheWire : public LinkTest, public ::testing::WithParamInterface<FrameCase> {};

TEST_P(FrameOnTheWire, CarriesTheFirstFourCharactersPaddedWithZeros) {
    auto &display = AddDisplay(3);
    ASSERT_TRUE(Drv232::OpenPort(3));
    Drv232::NewReplyBuffer();
    Drv232::DisplayText = GetParam().text;
    display.clearFrames();
    EXPECT_TRUE(GetParam().whole ? Drv232::ExchangeWhole() : Drv232::ExchangeValue());
    EXPECT_EQ(sim::FrameToHex(LastFrame(display)), sim::FrameToHex(GetParam().wire));
    EXPECT_EQ(Drv232::DisplayText, GetParam().text) << "an exchange only reads the text";
}

INSTANTIATE_TEST_SUITE_P(
    Texts, FrameOnTheWire,
    ::testing::Values(FrameCase{"1234", false, Bytes({0x44, 0x31, 0x32, 0x33, 0x34, 0x0D, 0x0A})},
                      FrameCase{"???", false, Bytes({0x44, 0x3F, 0x3F, 0x3F, 0x00, 0x0D, 0x0A})},
                      FrameCase{"", false, Bytes({0x44, 0, 0, 0, 0, 0x0D, 0x0A})},
                      FrameCase{"12304", false, Bytes({0x44, 0x31, 0x32, 0x33, 0x30, 0x0D, 0x0A})},
                      FrameCase{"1234", true, Bytes({0x43, 0x31, 0x32, 0x33, 0x34, 0x0D, 0x0A})},
                      FrameCase{"\x8a\xe8", false, Bytes({0x44, 0x8A, 0xE8, 0, 0, 0x0D, 0x0A})}));

TEST_F(LinkTest, WellFormedReplyFillsReplyBuffer) {
    AddDisplay(3, sim::Behaviour::Normal, "0915");
    ASSERT_TRUE(Drv232::OpenPort(3));
    Drv232::NewReplyBuffer();
    EXPECT_EQ(Drv232::ReplyText(), std::string(4, '\0')) << "new storage starts as zero bytes";
    Drv232::DisplayText = "???";
    ASSERT_TRUE(Drv232::ExchangeValue());
    EXPECT_EQ(Drv232::ReplyText(), "0915");
    Drv232::DisplayText = "1200";
    ASSERT_TRUE(Drv232::ExchangeWhole());
    EXPECT_EQ(Drv232::ReplyText(), "1200");
}

class BadReply : public LinkTest, public ::testing::WithParamInterface<sim::Behaviour> {};

TEST_P(BadReply, IsRejectedAndLeavesReplyBufferAsItWas) {
    auto &display = AddDisplay(4, sim::Behaviour::Normal, "0915");
    ASSERT_TRUE(Drv232::OpenPort(4));
    Drv232::NewReplyBuffer();
    Drv232::DisplayText = "???";
    ASSERT_TRUE(Drv232::ExchangeValue());

    display.setBehaviour(GetParam());
    Drv232::DisplayText = "4321";
    EXPECT_FALSE(Drv232::ExchangeValue());
    EXPECT_EQ(Drv232::ReplyText(), "0915");
}

INSTANTIATE_TEST_SUITE_P(Misbehaviours, BadReply,
                         ::testing::Values(sim::Behaviour::WrongTerminator, sim::Behaviour::ShortReply,
                                           sim::Behaviour::Silent, sim::Behaviour::SlowBytes));

TEST_F(LinkTest, SilenceEndsTheExchangeAfterTheReadTimeOut) {
    AddDisplay(5, sim::Behaviour::Silent);
    ASSERT_TRUE(Drv232::OpenPort(5));
    Drv232::DisplayText = "???";
    const auto start = steady_clock::now();
    EXPECT_FALSE(Drv232::ExchangeValue());
    const auto waited = duration_cast<milliseconds>(steady_clock::now() - start).count();
    EXPECT_GE(waited, 900);
    EXPECT_LE(waited, 3000);
}

TEST_F(LinkTest, LateBytesOfAFailedReplyDoNotShiftTheNextOne) {
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

TEST_F(LinkTest, ExchangesWithoutAnOpenPortFail) {
    Drv232::NewReplyBuffer();
    Drv232::DisplayText = "1234";
    EXPECT_FALSE(Drv232::ExchangeValue());
    EXPECT_FALSE(Drv232::ExchangeWhole());
    EXPECT_EQ(Drv232::ReplyText(), std::string(4, '\0'));
}

TEST_F(LinkTest, ACommandThatCannotLeaveWholeIsAFailedExchange) {
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

TEST_F(LinkTest, DigitFrameGoesOutLeftmostCellFirstWithPointsAndAddress) {
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

TEST_F(LinkTest, DigitFrameWithoutAPortReportsFailure) {
    EXPECT_TRUE(Drv232::SendDigitFrame(0));
}

} // namespace
