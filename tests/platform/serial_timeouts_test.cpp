// Read time-outs with the values the link uses (interval 20 ms, 10 ms a
// byte plus 1000 ms in all), and a peer that goes away mid-read.
#include "platform/serial_device.h"
#include "pty_fixture.h"
#include "tests/support/process.h"

#include <gtest/gtest.h>
#include <termios.h>

#include <chrono>
#include <thread>

namespace platform_test {
using namespace testsupport;
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

class SerialTimeoutTest : public PtyTest {
protected:
    void SetUp() override
    {
        PtyTest::SetUp();
        ASSERT_NE(OpenPort(), nullptr);
        platform::CommTimeouts timeouts;
        timeouts.ReadIntervalTimeout = 20;
        timeouts.ReadTotalTimeoutMultiplier = 10;
        timeouts.ReadTotalTimeoutConstant = 1000;
        ASSERT_TRUE(platform::SetTimeouts(device, timeouts));
    }

    // Reads six bytes while a thread plays the peer.
    template <typename Peer> std::size_t ReadSixWhile(Peer peer, bool *ok = nullptr)
    {
        std::thread thread(peer);
        std::uint8_t buffer[6];
        std::size_t count = 0;
        const bool result = platform::ReadDevice(device, buffer, sizeof buffer, count);
        thread.join();
        if (ok)
            *ok = result;
        else
            EXPECT_TRUE(result);
        return count;
    }

    // The peer sends six bytes, one at a time, `gap` apart.
    std::size_t ReadSixWithGaps(std::chrono::milliseconds gap)
    {
        return ReadSixWhile([&] {
            for (int i = 0; i < 6; ++i) {
                if (i > 0)
                    std::this_thread::sleep_for(gap);
                PeerWrite({std::uint8_t('0' + i)});
            }
        });
    }

    std::vector<std::uint8_t> ReadPending(std::size_t size)
    {
        std::vector<std::uint8_t> got(size);
        std::size_t count = 0;
        EXPECT_TRUE(platform::ReadDevice(device, got.data(), size, count));
        got.resize(count);
        return got;
    }
};

TEST_F(SerialTimeoutTest, SilenceEndsAfterTheTotalTimeoutAndThePortStillWorks)
{
    std::uint8_t buffer[6];
    std::size_t count = 99;
    const auto start = Clock::now();
    EXPECT_TRUE(platform::ReadDevice(device, buffer, sizeof buffer, count));
    const auto took = Clock::now() - start;
    EXPECT_EQ(count, 0u);
    EXPECT_GE(took, 900ms); // 6 * 10 + 1000
    EXPECT_LE(took, 2500ms);

    PeerWrite(Bytes("ABCDEF"));
    EXPECT_EQ(ReadPending(6), Bytes("ABCDEF"));
}

TEST_F(SerialTimeoutTest, WholeReplyReturnsAtOnce)
{
    PeerWrite(Bytes("D0930\r"));
    const auto start = Clock::now();
    EXPECT_EQ(ReadPending(6), Bytes("D0930\r"));
    EXPECT_LT(Clock::now() - start, 900ms);
}

TEST_F(SerialTimeoutTest, PauseInTheReplyCutsTheRead)
{
    const std::size_t count = ReadSixWhile([&] {
        PeerWrite(Bytes("abc"));
        std::this_thread::sleep_for(100ms);
        PeerWrite(Bytes("def"));
    });
    EXPECT_EQ(count, 3u);
    EXPECT_EQ(ReadPending(3), Bytes("def"));
}

TEST_F(SerialTimeoutTest, ShortGapsBetweenBytesAreAccepted)
{
    // Gaps a tenth of the interval: a loaded machine may stretch a sleep by
    // tens of milliseconds, never by ten times.
    platform::CommTimeouts timeouts;
    timeouts.ReadIntervalTimeout = 250;
    timeouts.ReadTotalTimeoutMultiplier = 10;
    timeouts.ReadTotalTimeoutConstant = 3000;
    ASSERT_TRUE(platform::SetTimeouts(device, timeouts));
    EXPECT_EQ(ReadSixWithGaps(25ms), 6u);
}

TEST_F(SerialTimeoutTest, LongGapBetweenBytesCutsTheRead)
{
    const std::size_t count = ReadSixWithGaps(40ms);
    EXPECT_GE(count, 1u);
    EXPECT_LT(count, 6u);
}

TEST_F(SerialTimeoutTest, MaxIntervalWithoutTotalsReturnsWhatIsThere)
{
    platform::CommTimeouts timeouts;
    timeouts.ReadIntervalTimeout = 0xFFFFFFFFu;
    ASSERT_TRUE(platform::SetTimeouts(device, timeouts));
    const auto start = Clock::now();
    EXPECT_TRUE(ReadPending(6).empty());
    EXPECT_LT(Clock::now() - start, 500ms);

    PeerWrite(Bytes("12"));
    WaitUntilQueued(2);
    EXPECT_EQ(ReadPending(6), Bytes("12"));
}

TEST_F(SerialTimeoutTest, GoneDeviceFailsAtOnceUntilItsNameIsBackThenWorksAsSetUp)
{
    const platform::LineSettings line{115200, 8, platform::EvenParity, platform::OneStopBit};
    ASSERT_TRUE(platform::SetLineSettings(device, line));
    platform::CommTimeouts timeouts;
    timeouts.ReadIntervalTimeout = 20;
    timeouts.ReadTotalTimeoutConstant = 5000;
    ASSERT_TRUE(platform::SetTimeouts(device, timeouts));
    ASSERT_TRUE(platform::RaiseRtsLine(device));
    const std::size_t descriptors = OpenDescriptors();

    bool ok = true;
    const auto start = Clock::now();
    ReadSixWhile(
        [&] {
            std::this_thread::sleep_for(100ms);
            CloseMaster();
        },
        &ok);
    EXPECT_FALSE(ok);
    EXPECT_LT(Clock::now() - start, 4000ms);

    // While nothing answers to the name, every call fails without waiting
    // and without taking a descriptor.
    const std::size_t whileGone = OpenDescriptors();
    const std::uint8_t command[] = {'D', '1', '2', '3', '4', 0x0D, 0x0A};
    std::uint8_t reply[6];
    std::size_t count = 0;
    const auto absent = Clock::now();
    for (int i = 0; i < 20; ++i) {
        EXPECT_FALSE(platform::DiscardInput(device));
        EXPECT_FALSE(platform::WriteDevice(device, command, sizeof command, count));
        EXPECT_FALSE(platform::ReadDevice(device, reply, sizeof reply, count));
    }
    EXPECT_LT(Clock::now() - absent, 2000ms);
    EXPECT_EQ(OpenDescriptors(), whileGone);

    PlugInAgain();
    ASSERT_TRUE(platform::WriteDevice(device, command, sizeof command, count));
    EXPECT_EQ(count, sizeof command);
    EXPECT_EQ(PeerRead(sizeof command, 2s), std::vector<std::uint8_t>(command, command + sizeof command));
    PeerWrite(Bytes("1234\r\n"));
    ASSERT_TRUE(platform::ReadDevice(device, reply, sizeof reply, count));
    EXPECT_EQ(count, 6u);

    termios t{};
    ASSERT_EQ(::tcgetattr(observer, &t), 0);
    EXPECT_EQ(cfgetospeed(&t), speed_t(B115200)) << "the line settings came back with the device";
    platform::LineSettings got;
    ASSERT_TRUE(platform::GetLineSettings(device, got));
    EXPECT_EQ(got.Parity, platform::EvenParity);
    platform::CommTimeouts back;
    ASSERT_TRUE(platform::GetTimeouts(device, back));
    EXPECT_EQ(back.ReadTotalTimeoutConstant, 5000u);
    EXPECT_EQ(OpenDescriptors(), descriptors);
}

} // namespace
} // namespace platform_test
