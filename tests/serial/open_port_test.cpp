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

TEST_F(LinkTest, OpensPortsOnBothSidesOfTheNamePrefix) {
    AddDisplay(9);
    AddDisplay(10);
    Drv232::NewReplyBuffer();
    Drv232::DisplayText = "???";
    ASSERT_TRUE(Drv232::OpenPort(9));
    EXPECT_TRUE(Drv232::ExchangeValue());
    ASSERT_TRUE(Drv232::OpenPort(10));
    EXPECT_TRUE(Drv232::ExchangeValue());
}

TEST_F(LinkTest, MissingPortLeavesNoPort) {
    EXPECT_FALSE(Drv232::OpenPort(12));
    EXPECT_EQ(Drv232::PortHandle, nullptr);
}

TEST_F(LinkTest, PlainFileOpensButItsSettingsFailAndItIsKept) {
    std::ofstream(ports / "COM8") << "not a port";
    EXPECT_FALSE(Drv232::OpenPort(8));
    EXPECT_NE(Drv232::PortHandle, nullptr) << "the port stays in the handle whatever the result";
}

TEST_F(LinkTest, PortTakenByAnotherOpenFails) {
    AddDisplay(5);
    platform::SerialDevice *other = platform::OpenSerialDevice("COM5");
    ASSERT_NE(other, nullptr);
    EXPECT_FALSE(Drv232::OpenPort(5));
    EXPECT_EQ(Drv232::PortHandle, nullptr);
    platform::CloseSerialDevice(other);
    EXPECT_TRUE(Drv232::OpenPort(5));
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

TEST_F(LinkTest, OtherLineModeStillOpens) {
    AddDisplay(3);
    Drv232::LineMode = 2;
    EXPECT_TRUE(Drv232::OpenPort(3));
    platform::LineSettings settings;
    ASSERT_TRUE(platform::GetLineSettings(Drv232::PortHandle, settings));
    EXPECT_EQ(settings.BaudRate, 115200u);
    EXPECT_EQ(settings.Parity, platform::EvenParity);
    Drv232::LineMode = 1;
    EXPECT_TRUE(Drv232::OpenPort(3));
    ASSERT_TRUE(platform::GetLineSettings(Drv232::PortHandle, settings));
    EXPECT_EQ(settings.BaudRate, 9600u);
    EXPECT_EQ(settings.ByteSize, 8);
    EXPECT_EQ(settings.Parity, platform::NoParity);
    EXPECT_EQ(settings.StopBits, platform::OneStopBit);
}

TEST_F(LinkTest, OpenPortSetsTheReplyTimeOuts) {
    AddDisplay(3);
    ASSERT_TRUE(Drv232::OpenPort(3));
    platform::CommTimeouts t;
    ASSERT_TRUE(platform::GetTimeouts(Drv232::PortHandle, t));
    EXPECT_EQ(t.ReadIntervalTimeout, 20u);
    EXPECT_EQ(t.ReadTotalTimeoutMultiplier, 10u);
    EXPECT_EQ(t.ReadTotalTimeoutConstant, 1000u);
    EXPECT_EQ(t.WriteTotalTimeoutMultiplier, 20u);
    EXPECT_EQ(t.WriteTotalTimeoutConstant, 20u);
}

} // namespace
