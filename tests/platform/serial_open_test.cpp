// Opening ports: exclusivity, what cannot be a port, and what a plain file
// standing in for a port can and cannot do.
#include "platform/failure.h"
#include "platform/serial_device.h"
#include "pty_fixture.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace platform_test {
using namespace testsupport;
namespace {

using platform::OpenSerialDevice;
using platform::SerialDevice;

class SerialOpenTest : public PtyTest {};

TEST_F(SerialOpenTest, PortOpensOnlyOnceAtATime)
{
    ASSERT_NE(OpenPort(), nullptr);
    EXPECT_EQ(OpenSerialDevice("COM7"), nullptr);
    EXPECT_EQ(platform::LastFailure().code, EBUSY) << "the reason says the port is taken";
    int exclusive = 0;
    ASSERT_EQ(::ioctl(observer, TIOCGEXCL, &exclusive), 0);
    EXPECT_EQ(exclusive, 1) << "a failed open leaves the holder's exclusive flag";
    EXPECT_EQ(OpenSerialDevice("\\\\.\\COM7"), nullptr);
    // Another name for the same device is still the same port.
    ASSERT_EQ(::symlink(slavePath.c_str(), dir.file("COM8").c_str()), 0);
    EXPECT_EQ(OpenSerialDevice("COM8"), nullptr);

    platform::CloseSerialDevice(device);
    device = nullptr;
    ASSERT_NE(OpenPort(), nullptr);
}

// The exclusive flag lives on the terminal, and the test's master keeps the
// pseudo-terminal alive as a bridge does: the flag must be cleared by the
// program at every end it can see, or no ordinary user could open the port
// after it. The child stands for either program: it opens the port and ends
// without closing it.
TEST_F(SerialOpenTest, ExclusiveClaimEndsWithTheProgram)
{
    const struct {
        const char *end;
        int signal; // 0: the program returns from main
    } ends[] = {{"normal end", 0}, {"SIGINT", SIGINT}, {"SIGTERM", SIGTERM}, {"SIGHUP", SIGHUP}};
    for (const auto &e : ends) {
        SCOPED_TRACE(e.end);
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            const char opened = OpenSerialDevice("COM7") != nullptr;
            (void)!::write(ready[1], &opened, 1);
            if (e.signal == 0)
                std::exit(0);
            ::pause();
            ::_exit(3);
        }
        ::close(ready[1]);
        char opened = 0;
        EXPECT_EQ(::read(ready[0], &opened, 1), 1);
        ::close(ready[0]);
        EXPECT_TRUE(opened);
        int exclusive = 0;
        if (e.signal) {
            ASSERT_EQ(::ioctl(observer, TIOCGEXCL, &exclusive), 0);
            EXPECT_EQ(exclusive, 1) << "held while the program runs";
            ::kill(child, e.signal);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        if (e.signal) {
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == e.signal) << "still ended by the signal";
        }
        ASSERT_EQ(::ioctl(observer, TIOCGEXCL, &exclusive), 0);
        EXPECT_EQ(exclusive, 0);
    }
}

TEST_F(SerialOpenTest, WhatIsNoPortFailsToOpen)
{
    std::filesystem::create_directory(dir.path() / "folder");
    ASSERT_EQ(::symlink((dir.path() / "gone").c_str(), dir.file("COM9").c_str()), 0);
    ASSERT_EQ(::symlink((dir.path() / "folder").c_str(), dir.file("COM10").c_str()), 0);
    std::filesystem::create_directory(dir.path() / "COM11");

    const struct {
        const char *name, *what;
        int reason;
    } cases[] = {
        {"COM8", "missing", ENOENT}, {"COM9", "dangling link", ENOENT}, {"COM10", "link to a folder", EISDIR},
        {"COM11", "folder", EISDIR}, {"LPT1", "no COM name", EINVAL},
    };
    for (const auto &c : cases) {
        EXPECT_EQ(OpenSerialDevice(c.name), nullptr) << c.what;
        EXPECT_EQ(platform::LastFailure().code, c.reason) << c.what;
        EXPECT_FALSE(platform::LastFailure().text.empty()) << c.what;
    }
}

TEST_F(SerialOpenTest, PeerClosedBeforeOpen)
{
    // The kernel removes /dev/pts/N with the master, so the link dangles.
    CloseMaster();
    EXPECT_EQ(OpenPort(), nullptr);
}

TEST_F(SerialOpenTest, PlainFileOpensButHasNoLine)
{
    WriteBytes(dir.file("COM12"), {});
    SerialDevice *file = OpenSerialDevice("COM12");
    ASSERT_NE(file, nullptr);
    EXPECT_EQ(OpenSerialDevice("COM12"), nullptr);

    platform::LineSettings line;
    EXPECT_FALSE(platform::GetLineSettings(file, line));
    EXPECT_EQ(platform::LastFailure().code, ENOTTY);
    EXPECT_FALSE(platform::SetLineSettings(file, {9600, 8, platform::NoParity, platform::OneStopBit}));
    EXPECT_FALSE(platform::RaiseRtsLine(file));
    EXPECT_FALSE(platform::DiscardInput(file));

    platform::CommTimeouts timeouts{20, 10, 1000, 10, 500};
    EXPECT_TRUE(platform::SetTimeouts(file, timeouts));
    platform::CommTimeouts back;
    ASSERT_TRUE(platform::GetTimeouts(file, back));
    EXPECT_EQ(back.ReadTotalTimeoutConstant, 1000u);
    EXPECT_EQ(back.WriteTotalTimeoutConstant, 500u);

    const auto text = Bytes("D0930\r");
    std::size_t written = 0;
    EXPECT_TRUE(platform::WriteDevice(file, text.data(), text.size(), written));
    EXPECT_EQ(written, text.size());
    platform::CloseSerialDevice(file);
    EXPECT_EQ(ReadBytes(dir.file("COM12")), text);
}

TEST_F(SerialOpenTest, WriteToFullDeviceFails)
{
    ASSERT_EQ(::symlink("/dev/full", dir.file("COM13").c_str()), 0);
    SerialDevice *full = OpenSerialDevice("COM13");
    ASSERT_NE(full, nullptr);
    const std::uint8_t byte = 'C';
    std::size_t written = 99;
    EXPECT_FALSE(platform::WriteDevice(full, &byte, 1, written));
    EXPECT_EQ(written, 0u);
    platform::CloseSerialDevice(full);
}

TEST(SerialNullHandleTest, EveryCallFailsAndCountsNothing)
{
    platform::LineSettings line;
    platform::CommTimeouts timeouts;
    std::uint8_t buffer[4] = {};
    std::size_t count = 99;
    EXPECT_FALSE(platform::GetLineSettings(nullptr, line));
    EXPECT_FALSE(platform::SetLineSettings(nullptr, line));
    EXPECT_FALSE(platform::GetTimeouts(nullptr, timeouts));
    EXPECT_FALSE(platform::SetTimeouts(nullptr, timeouts));
    EXPECT_FALSE(platform::RaiseRtsLine(nullptr));
    EXPECT_FALSE(platform::DiscardInput(nullptr));
    EXPECT_FALSE(platform::WriteDevice(nullptr, buffer, 4, count));
    EXPECT_EQ(count, 0u);
    count = 99;
    EXPECT_FALSE(platform::ReadDevice(nullptr, buffer, 4, count));
    EXPECT_EQ(count, 0u);
    platform::CloseSerialDevice(nullptr);
}

} // namespace
} // namespace platform_test
