// Opening ports by number: names, exclusive use, and the failure sequencing.
#include "link_fixture.h"

#include "platform/serial_device.h"

#include <fstream>

namespace {

TEST(PortName, GetsTheDevicePrefixAboveNine) {
    EXPECT_EQ(Drv232::PortName(1), "COM1");
    EXPECT_EQ(Drv232::PortName(9), "COM9");
    EXPECT_EQ(Drv232::PortName(10), "\\\\.\\COM10");
    EXPECT_EQ(Drv232::PortName(29), "\\\\.\\COM29");
}

TEST_F(LinkTest, PlainFileOpensButItsSettingsFailAndItIsKept) {
    std::ofstream(ports / "COM8") << "not a port";
    EXPECT_FALSE(Drv232::OpenPort(8));
    EXPECT_NE(Drv232::PortHandle, nullptr) << "the port stays in the handle whatever the result";
}

TEST_F(LinkTest, OpeningAnotherPortReleasesTheOneItReplaces) {
    AddDisplay(5);
    AddDisplay(6);
    ASSERT_TRUE(Drv232::OpenPort(5));
    ASSERT_TRUE(Drv232::OpenPort(6));
    // Another program may now take COM5, and so may this one again.
    platform::SerialDevice *other = platform::OpenSerialDevice("COM5");
    EXPECT_NE(other, nullptr);
    platform::CloseSerialDevice(other);
    EXPECT_TRUE(Drv232::OpenPort(5));
}

} // namespace
