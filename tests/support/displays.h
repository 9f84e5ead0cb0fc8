#pragma once
// Emulated displays for the tests of the link and of the windows.
#include "sim/display_sim.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace testsupport {

// A display on <portDir>/COM<port>, already answering; nullptr (with a test
// failure recorded) when the pty or its link cannot be made.
std::unique_ptr<sim::DisplaySim> StartDisplay(const std::filesystem::path &portDir, int port, sim::Behaviour behaviour,
                                              const std::string &value);

// The frames the display took since the last call, as hex, oldest first:
// waits up to a second for expected of them (a tenth when none are
// expected, for strays), then empties the log.
std::vector<std::string> TakeFrames(sim::DisplaySim &display, std::size_t expected);

// A port folder (QMX_PORT_DIR) for emulated displays on real ptys and a fresh
// working directory for the settings and value files; after each test the
// link is as a fresh program has it.
class DisplayTest : public ::testing::Test {
protected:
    // What a display holds at start when AddDisplay is given no value.
    explicit DisplayTest(std::string defaultValue) : defaultValue_(std::move(defaultValue)) {}
    void TearDown() override;

    // A display on COM<port>, already answering.
    sim::DisplaySim &AddDisplay(int port, sim::Behaviour behaviour = sim::Behaviour::Normal,
                                const std::string &value = {});

    TempDir ports;
    TempDir work;
    ScopedEnv portDir{"QMX_PORT_DIR", ports.path().string()};
    ScopedWorkingDir cwd{work.path()};
    std::vector<std::unique_ptr<sim::DisplaySim>> displays;

private:
    std::string defaultValue_;
};

} // namespace testsupport
