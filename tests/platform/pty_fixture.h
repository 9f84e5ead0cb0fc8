#pragma once
// A pseudo-terminal pair: the code under test opens the slave as COM7
// through QMX_PORT_DIR and the test plays the peer on the master.
#include "platform/serial_device.h"
#include "tests/support/pty.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <vector>

namespace platform_test {
using namespace testsupport;

class PtyTest : public ::testing::Test {
protected:
    void SetUp() override;
    void OpenPair();
    void TearDown() override;

    // Opens COM7 into device (closed again by TearDown).
    platform::SerialDevice *OpenPort();
    void CloseMaster();
    // A new pseudo-terminal under the name COM7, as an adapter plugged in
    // again after the old one (and its master) went away.
    void PlugInAgain();

    void PeerWrite(const std::vector<std::uint8_t> &bytes);
    // What the peer receives within the time limit (fewer bytes when not all came).
    std::vector<std::uint8_t> PeerRead(std::size_t count, std::chrono::milliseconds limit);
    // Waits until the slave's input queue holds count bytes, so that the
    // kernel's buffer work cannot race a flush or a timed read.
    void WaitUntilQueued(int count);

    TempDir dir;
    ScopedEnv portDir{"QMX_PORT_DIR"};
    int master = -1;
    int observer = -1; // the slave, for tcgetattr and FIONREAD
    std::string slavePath;
    platform::SerialDevice *device = nullptr;
};

} // namespace platform_test
