#pragma once
// Emulated displays for the tests of the link and of the windows.
#include "sim/display_sim.h"

#include <filesystem>
#include <memory>
#include <string>

namespace testsupport {

// A display on <portDir>/COM<port>, already answering; nullptr (with a test
// failure recorded) when the pty or its link cannot be made.
std::unique_ptr<sim::DisplaySim> StartDisplay(const std::filesystem::path &portDir, int port,
                                              sim::Behaviour behaviour, const std::string &value);

} // namespace testsupport
