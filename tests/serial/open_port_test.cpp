// Opening ports by number: names, exclusive use, and the failure sequencing.
#include "link_fixture.h"

#include "platform/serial_device.h"

#include <fstream>

namespace {

TEST(PortName, IsAComNumberOrAPortUrlWithItsLabelAndTheNameTheSystemOpens)
{
    const struct {
        const char *typed;
        const char *label;
        const char *device; // what the system's open takes
        unsigned number;
    } rows[] = {
        {"COM1", "COM1", "COM1", 1},
        {"com9", "COM9", "COM9", 9},
        {"10", "COM10", "\\\\.\\COM10", 10},
        {"COM255", "COM255", "\\\\.\\COM255", 255},
        {"rfc2217://[::1]:2217", "rfc2217://[::1]:2217", "rfc2217://[::1]:2217", 0},
        {"socket://host:7000/", "socket://host:7000/", "socket://host:7000/", 0},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.typed);
        const auto port = platform::PortName::Parse(row.typed);
        ASSERT_TRUE(port);
        EXPECT_EQ(port->Label(), row.label);
        EXPECT_EQ(port->DeviceName(), row.device);
        EXPECT_EQ(port->Number(), row.number);
    }
    for (const char *refused : {"COM0", "COM256", "COM", "COM3x", "\\\\.\\COM3", "rfc2217://host", "telnet://h:23"})
        EXPECT_FALSE(platform::PortName::Parse(refused)) << refused;
    // The stored port as the search takes it: COM1 to COM29, else COM3.
    for (const auto &[stored, label] : {std::pair{1, "COM1"}, {29, "COM29"}, {30, "COM3"}, {0, "COM3"}, {-1, "COM3"}})
        EXPECT_EQ(platform::PortName::Stored(stored).Label(), label) << stored;
}

TEST_F(LinkTest, PlainFileOpensButItsSettingsFailAndItIsKept)
{
    std::ofstream(ports / "COM8") << "not a port";
    EXPECT_FALSE(Drv232::OpenPort(8));
    EXPECT_NE(Drv232::PortHandle, nullptr) << "the port stays in the handle whatever the result";
}

TEST_F(LinkTest, OpeningAnotherPortReleasesTheOneItReplaces)
{
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
