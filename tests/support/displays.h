#pragma once
// Emulated displays for the tests of the link and of the windows.
#include "sim/display_sim.h"

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace testsupport {

// A display on <portDir>/COM<port>, already answering; nullptr (with a test
// failure recorded) when the pty or its link cannot be made.
std::unique_ptr<sim::DisplaySim> StartDisplay(const std::filesystem::path &portDir, int port,
                                              sim::Behaviour behaviour, const std::string &value);

// The frames the display took since the last call, as hex, oldest first:
// waits up to a second for expected of them (a tenth when none are
// expected, for strays), then empties the log.
std::vector<std::string> TakeFrames(sim::DisplaySim &display, std::size_t expected);

} // namespace testsupport
