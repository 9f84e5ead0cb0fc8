#pragma once
// qmxctl mqtt: one display's port kept showing the programme that an MQTT
// broker sets, its state published there.
#include "cli/arguments.h"
#include "cli/clock_loop.h"

#include <string>

namespace qmxctl {

// Runs until hooks.stopRequested; hooks' log lines go to the log, its wait is
// replaced by one that a new programme cuts short. The exit status.
int RunMqtt(const Arguments &a, const ClockHooks &hooks, const std::string &version);

} // namespace qmxctl
