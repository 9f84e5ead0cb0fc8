#include "tests/support/displays.h"

#include "tests/support/link_state.h"

#include <stdexcept>

#include <gtest/gtest.h>

namespace testsupport {

std::unique_ptr<sim::DisplaySim> StartDisplay(const std::filesystem::path &portDir, int port, sim::Behaviour behaviour,
                                              const std::string &value)
{
    sim::Options options;
    options.portDir = portDir.string();
    options.portNumber = port;
    options.initialValue = value;
    options.behaviour = behaviour;
    auto display = std::make_unique<sim::DisplaySim>(options);
    if (!display->start()) {
        ADD_FAILURE() << "COM" << port << ": " << display->error();
        return nullptr;
    }
    return display;
}

void DisplayTest::TearDown()
{
    displays.clear();
    ResetLinkState();
}

sim::DisplaySim &DisplayTest::AddDisplay(int port, sim::Behaviour behaviour, const std::string &value)
{
    displays.push_back(StartDisplay(ports.path(), port, behaviour, value.empty() ? defaultValue_ : value));
    if (!displays.back())
        throw std::runtime_error("no emulated display");
    return *displays.back();
}

std::vector<std::string> TakeFrames(sim::DisplaySim &display, std::size_t expected)
{
    display.waitForFrames(expected, std::chrono::milliseconds(expected ? 1000 : 100));
    std::vector<std::string> out;
    for (const auto &frame : display.frames())
        out.push_back(sim::FrameToHex(frame.bytes));
    display.clearFrames();
    return out;
}

} // namespace testsupport
