// How COM names become device paths, with and without QMX_PORT_DIR.
#include "platform/port_report.h"
#include "platform/serial_device.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

namespace platform_test {
using namespace testsupport;
namespace {

class PortPathTest : public ::testing::Test {
protected:
    TempDir dir;
    ScopedEnv portDir{"QMX_PORT_DIR"};
    ScopedEnv xdg{"XDG_CONFIG_HOME"};
    ScopedEnv home{"HOME"};
    // The machine's own /etc/qmx8350t/ports plays no part.
    void SetUp() override { platform::SetSystemPortFolder((dir / "no-etc").string()); }
    void TearDown() override { platform::SetSystemPortFolder(""); }
};

TEST_F(PortPathTest, NamesMapIntoThePortFolder)
{
    portDir.set(dir.path().string());
    const struct {
        const char *name;
        std::string path; // empty: no port name
    } rows[] = {
        {"COM9", dir.file("COM9")},
        {"\\\\.\\COM10", dir.file("COM10")},
        {"COM1", dir.file("COM1")},
        {"COM255", dir.file("COM255")},
        {"COM0", ""},
        {"COM256", ""},
        {"COM", ""},
        {"COMx", ""},
        {"COM1x", ""},
        {"COM-1", ""},
        {"LPT1", ""},
        {"\\\\.\\LPT1", ""},
        {"\\\\.\\", ""},
        {"", ""},
    };
    for (const auto &row : rows)
        EXPECT_EQ(platform::ResolvePortPath(row.name), row.path) << "name: " << row.name;
}

TEST_F(PortPathTest, EmptyPortDirMeansUnset)
{
    portDir.set("");
    xdg.set(dir.path().string());
    EXPECT_EQ(platform::ResolvePortPath("COM9"), "/dev/ttyS8");
}

TEST_F(PortPathTest, ConfiguredLinkWinsOverTheSerialDevice)
{
    portDir.unset();
    xdg.set(dir.path().string());
    const auto ports = dir.path() / "qmx8350t" / "ports";
    std::filesystem::create_directories(ports);
    // Dangling on purpose: an unplugged adapter still names the chosen port.
    ASSERT_EQ(::symlink("/nonexistent/ttyUSB0", (ports / "COM9").c_str()), 0);

    EXPECT_EQ(platform::ResolvePortPath("COM9"), (ports / "COM9").string());
    EXPECT_EQ(platform::ResolvePortPath("\\\\.\\COM9"), (ports / "COM9").string());
    EXPECT_EQ(platform::ResolvePortPath("COM10"), "/dev/ttyS9");
    EXPECT_EQ(platform::ResolvePortPath("COM1"), "/dev/ttyS0");
}

TEST_F(PortPathTest, ConfigFolderDefaultsToHome)
{
    portDir.unset();
    xdg.unset();
    home.set(dir.path().string());
    const auto ports = dir.path() / ".config" / "qmx8350t" / "ports";
    std::filesystem::create_directories(ports);
    ASSERT_EQ(::symlink("/dev/null", (ports / "COM3").c_str()), 0);

    EXPECT_EQ(platform::ResolvePortPath("COM3"), (ports / "COM3").string());
    EXPECT_EQ(platform::ResolvePortPath("COM9"), "/dev/ttyS8");
}

TEST_F(PortPathTest, TheAdministratorsFolderComesAfterTheUsersOwnAndBeforeTheSerialDevice)
{
    portDir.unset();
    xdg.set((dir / "user").string());
    const auto user = dir / "user" / "qmx8350t" / "ports";
    const auto system = dir / "etc" / "qmx8350t" / "ports";
    std::filesystem::create_directories(user);
    std::filesystem::create_directories(system);
    platform::SetSystemPortFolder(system.string());
    ASSERT_EQ(::symlink("/dev/null", (user / "COM3").c_str()), 0);
    ASSERT_EQ(::symlink("/dev/null", (system / "COM3").c_str()), 0);
    // Dangling: an adapter unplugged at boot still names the service's port.
    ASSERT_EQ(::symlink("/nonexistent/ttyUSB0", (system / "COM4").c_str()), 0);

    const struct {
        const char *name;
        std::string path;
        platform::PortRule rule;
    } rows[] = {
        {"COM3", (user / "COM3").string(), platform::PortRule::LinkFolder},
        {"COM4", (system / "COM4").string(), platform::PortRule::SystemFolder},
        {"COM5", "/dev/ttyS4", platform::PortRule::SerialDevice},
    };
    for (const auto &row : rows) {
        const auto location = platform::LocatePort(row.name);
        ASSERT_TRUE(location) << row.name;
        EXPECT_EQ(location->path, row.path) << row.name;
        EXPECT_EQ(location->rule, row.rule) << row.name;
    }
    // Without a home, as a service with a dynamic user runs.
    xdg.unset();
    home.unset();
    EXPECT_EQ(platform::ResolvePortPath("COM3"), (system / "COM3").string());
}

} // namespace
} // namespace platform_test
