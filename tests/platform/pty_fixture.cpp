#include "pty_fixture.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <thread>

namespace platform_test {
using namespace testsupport;

using Clock = std::chrono::steady_clock;

void PtyTest::SetUp()
{
    OpenPair();
    portDir.set(dir.path().string());
}

void PtyTest::OpenPair()
{
    RawPty pty;
    ASSERT_TRUE(OpenRawPty(pty));
    master = pty.master;
    observer = pty.slave;
    slavePath = pty.slavePath;
    ASSERT_EQ(::symlink(slavePath.c_str(), dir.file("COM7").c_str()), 0);
}

void PtyTest::PlugInAgain()
{
    CloseMaster();
    ::close(observer);
    ::unlink(dir.file("COM7").c_str());
    OpenPair();
}

void PtyTest::TearDown()
{
    platform::CloseSerialDevice(device);
    if (observer >= 0)
        ::close(observer);
    CloseMaster();
}

platform::SerialDevice *PtyTest::OpenPort()
{
    device = platform::OpenSerialDevice("COM7");
    return device;
}

void PtyTest::CloseMaster()
{
    if (master >= 0)
        ::close(master);
    master = -1;
}

void PtyTest::PeerWrite(const std::vector<std::uint8_t> &bytes)
{
    ASSERT_EQ(::write(master, bytes.data(), bytes.size()), ssize_t(bytes.size()));
}

std::vector<std::uint8_t> PtyTest::PeerRead(std::size_t count, std::chrono::milliseconds limit)
{
    std::vector<std::uint8_t> got;
    const auto end = Clock::now() + limit;
    while (got.size() < count && Clock::now() < end) {
        pollfd p{master, POLLIN, 0};
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(end - Clock::now());
        if (::poll(&p, 1, int(left.count())) <= 0)
            continue;
        std::uint8_t buffer[512];
        const ssize_t n = ::read(master, buffer, std::min(sizeof buffer, count - got.size()));
        if (n <= 0)
            break;
        got.insert(got.end(), buffer, buffer + n);
    }
    return got;
}

void PtyTest::WaitUntilQueued(int count)
{
    const auto end = Clock::now() + std::chrono::seconds(5);
    int queued = 0;
    while (Clock::now() < end) {
        ASSERT_EQ(::ioctl(observer, FIONREAD, &queued), 0);
        if (queued >= count)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    FAIL() << "only " << queued << " of " << count << " bytes arrived";
}

} // namespace platform_test
