// The COMn link the program finds the display by.
#include "program_side.h"
#include "sim/display_sim.h"

#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>

using namespace simtest;
namespace fs = std::filesystem;

namespace {

sim::Options OptionsIn(const std::string &dir)
{
    sim::Options options;
    options.portDir = dir;
    options.portNumber = 5;
    return options;
}

TEST(SimLink, StartLinksTheSlaveAndStopRemovesIt)
{
    TempDir dir;
    const std::string folder = dir.file("ports/nested"); // made when missing
    sim::DisplaySim display(OptionsIn(folder));
    ASSERT_TRUE(display.start()) << display.error();
    EXPECT_EQ(display.linkPath(), folder + "/COM5");
    EXPECT_EQ(fs::read_symlink(display.linkPath()).string(), display.slavePath());
    display.stop();
    EXPECT_FALSE(fs::exists(fs::symlink_status(folder + "/COM5")));

    // Started again, it answers on a fresh link.
    ASSERT_TRUE(display.start()) << display.error();
    ProgramPort port(display.linkPath());
    ASSERT_TRUE(port.isOpen());
    EXPECT_EQ(port.exchange(ToBytes("D1234\r\n")), ToBytes("1234\r\n"));
}

TEST(SimLink, StaleLinkIsReplacedButOtherFilesAreNot)
{
    TempDir dir;
    fs::create_symlink("/dev/pts/no-such-pty", dir.file("COM5"));
    {
        sim::DisplaySim display(OptionsIn(dir.path().string()));
        ASSERT_TRUE(display.start()) << display.error();
        EXPECT_EQ(fs::read_symlink(dir.file("COM5")).string(), display.slavePath());
    }
    EXPECT_FALSE(fs::exists(fs::symlink_status(dir.file("COM5"))));

    std::ofstream(dir.file("COM5")) << "not a port";
    sim::DisplaySim display(OptionsIn(dir.path().string()));
    EXPECT_FALSE(display.start());
    EXPECT_NE(display.error().find(dir.file("COM5")), std::string::npos) << display.error();
    std::ifstream kept(dir.file("COM5"));
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "not a port");

    // A folder that cannot be made: a plain file stands where it should be.
    sim::DisplaySim blocked(OptionsIn(dir.file("COM5/ports")));
    EXPECT_FALSE(blocked.start());
    EXPECT_FALSE(blocked.error().empty());
}

TEST(SimLink, StopLeavesALinkSomeoneElsePlaced)
{
    TempDir dir;
    sim::DisplaySim display(OptionsIn(dir.path().string()));
    ASSERT_TRUE(display.start()) << display.error();
    fs::remove(display.linkPath());
    fs::create_symlink("/dev/null", display.linkPath());
    display.stop();
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(dir.file("COM5"))));
}

} // namespace
