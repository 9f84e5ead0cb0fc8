#include "tests/support/displays.h"

#include <gtest/gtest.h>

namespace testsupport {

std::unique_ptr<sim::DisplaySim> StartDisplay(const std::filesystem::path &portDir, int port,
                                              sim::Behaviour behaviour, const std::string &value) {
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

std::vector<std::string> TakeFrames(sim::DisplaySim &display, std::size_t expected) {
    display.waitForFrames(expected, std::chrono::milliseconds(expected ? 1000 : 100));
    std::vector<std::string> out;
    for (const auto &frame : display.frames())
        out.push_back(sim::FrameToHex(frame.bytes));
    display.clearFrames();
    return out;
}

} // namespace testsupport
