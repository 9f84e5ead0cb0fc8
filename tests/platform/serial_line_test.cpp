// Line settings, raw bytes, RTS and flushing on a real pseudo-terminal.
#include "platform/serial_device.h"
#include "pty_fixture.h"

#include <gtest/gtest.h>

#include <termios.h>

#include <chrono>
#include <numeric>

namespace platform_test {
using namespace testsupport;
namespace {

using namespace std::chrono_literals;
using platform::LineSettings;
using Clock = std::chrono::steady_clock;

class SerialLineTest : public PtyTest {
protected:
    void SetUp() override
    {
        PtyTest::SetUp();
        ASSERT_NE(OpenPort(), nullptr);
    }

    termios SlaveTermios()
    {
        termios t{};
        EXPECT_EQ(::tcgetattr(observer, &t), 0);
        return t;
    }
};

void ExpectLine(const LineSettings &got, const LineSettings &want)
{
    EXPECT_EQ(got.BaudRate, want.BaudRate);
    EXPECT_EQ(got.ByteSize, want.ByteSize);
    EXPECT_EQ(got.Parity, want.Parity);
    EXPECT_EQ(got.StopBits, want.StopBits);
}

TEST_F(SerialLineTest, SettingsReachTheTerminal)
{
    termios t = SlaveTermios();
    t.c_cc[VINTR] = 0x05;
    ASSERT_EQ(::tcsetattr(observer, TCSANOW, &t), 0);

    const LineSettings slow{9600, 8, platform::NoParity, platform::OneStopBit};
    ASSERT_TRUE(platform::SetLineSettings(device, slow));
    t = SlaveTermios();
    EXPECT_EQ(cfgetospeed(&t), speed_t(B9600));
    EXPECT_EQ(cfgetispeed(&t), speed_t(B9600));
    EXPECT_EQ(t.c_cflag & CSIZE, tcflag_t(CS8));
    EXPECT_FALSE(t.c_cflag & PARENB);
    EXPECT_FALSE(t.c_cflag & CSTOPB);
    EXPECT_EQ(t.c_cc[VINTR], 0x05);
    LineSettings got;
    ASSERT_TRUE(platform::GetLineSettings(device, got));
    ExpectLine(got, slow);

    // The kernel forces a pseudo-terminal to 8 bits without parity, so the
    // parity of 8E1 can only show through GetLineSettings.
    const LineSettings fast{115200, 8, platform::EvenParity, platform::OneStopBit};
    ASSERT_TRUE(platform::SetLineSettings(device, fast));
    t = SlaveTermios();
    EXPECT_EQ(cfgetospeed(&t), speed_t(B115200));
    EXPECT_EQ(t.c_cflag & CSIZE, tcflag_t(CS8));
    EXPECT_EQ(t.c_cc[VINTR], 0x05);
    ASSERT_TRUE(platform::GetLineSettings(device, got));
    ExpectLine(got, fast);

    const LineSettings odd{1200, 7, platform::OddParity, platform::TwoStopBits};
    ASSERT_TRUE(platform::SetLineSettings(device, odd));
    t = SlaveTermios();
    EXPECT_EQ(cfgetospeed(&t), speed_t(B1200));
    EXPECT_TRUE(t.c_cflag & CSTOPB);
    ASSERT_TRUE(platform::GetLineSettings(device, got));
    ExpectLine(got, odd);
}

TEST_F(SerialLineTest, UnsupportedSettingsChangeNothing)
{
    const LineSettings good{9600, 8, platform::NoParity, platform::OneStopBit};
    ASSERT_TRUE(platform::SetLineSettings(device, good));
    const LineSettings bad[] = {
        {12345, 8, platform::NoParity, platform::OneStopBit},
        {0, 8, platform::NoParity, platform::OneStopBit},
        {115200, 9, platform::EvenParity, platform::OneStopBit},
        {115200, 4, platform::EvenParity, platform::OneStopBit},
        {115200, 8, 7, platform::OneStopBit},
        {115200, 8, platform::EvenParity, platform::One5StopBits},
        {115200, 8, platform::EvenParity, 3},
    };
    for (const LineSettings &s : bad) {
        EXPECT_FALSE(platform::SetLineSettings(device, s))
            << s.BaudRate << " " << int(s.ByteSize) << " " << int(s.Parity) << " " << int(s.StopBits);
        LineSettings got;
        ASSERT_TRUE(platform::GetLineSettings(device, got));
        ExpectLine(got, good);
    }
}

TEST_F(SerialLineTest, EveryByteValuePassesBothWays)
{
    std::vector<std::uint8_t> all(256);
    std::iota(all.begin(), all.end(), 0);
    std::size_t count = 0;
    ASSERT_TRUE(platform::WriteDevice(device, all.data(), all.size(), count));
    EXPECT_EQ(count, all.size());
    EXPECT_EQ(PeerRead(all.size(), 2s), all);

    platform::CommTimeouts timeouts;
    timeouts.ReadTotalTimeoutConstant = 2000;
    ASSERT_TRUE(platform::SetTimeouts(device, timeouts));
    PeerWrite(all);
    std::vector<std::uint8_t> got(all.size());
    ASSERT_TRUE(platform::ReadDevice(device, got.data(), got.size(), count));
    EXPECT_EQ(count, all.size());
    EXPECT_EQ(got, all);
}

TEST_F(SerialLineTest, RtsCountsAsRaisedOnALineWithoutModemSignals)
{
    EXPECT_TRUE(platform::RaiseRtsLine(device));
}

TEST_F(SerialLineTest, DiscardInputDropsWhatCameBefore)
{
    PeerWrite(Bytes("stale"));
    WaitUntilQueued(5);
    ASSERT_TRUE(platform::DiscardInput(device));
    PeerWrite(Bytes("0930"));

    platform::CommTimeouts timeouts;
    timeouts.ReadTotalTimeoutConstant = 2000;
    ASSERT_TRUE(platform::SetTimeouts(device, timeouts));
    std::vector<std::uint8_t> got(4);
    std::size_t count = 0;
    ASSERT_TRUE(platform::ReadDevice(device, got.data(), got.size(), count));
    EXPECT_EQ(got, Bytes("0930"));
}

TEST_F(SerialLineTest, WriteStopsAtItsTimeoutWhenThePeerReadsNothing)
{
    platform::CommTimeouts timeouts;
    timeouts.WriteTotalTimeoutConstant = 200;
    ASSERT_TRUE(platform::SetTimeouts(device, timeouts));
    const std::vector<std::uint8_t> block(1 << 20, 'x');
    std::size_t written = 0;
    const auto start = Clock::now();
    EXPECT_TRUE(platform::WriteDevice(device, block.data(), block.size(), written));
    const auto took = Clock::now() - start;
    EXPECT_GT(written, 0u);
    EXPECT_LT(written, block.size());
    EXPECT_GE(took, 150ms);
    EXPECT_LE(took, 2500ms);
}

} // namespace
} // namespace platform_test
