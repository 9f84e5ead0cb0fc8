#pragma once
// qmxctl clock: the PC's time on the display, sent right after each change of
// second as a master clock does, not on a sampling grid.
#include "cli/arguments.h"

#include <functional>
#include <string>

namespace qmxctl {

struct ClockHooks {
    // Returns right after the next change of the PC clock's second (or
    // earlier, when a signal asks to stop).
    std::function<void()> waitForNextSecond;
    std::function<bool()> stopRequested;
    std::function<void(const std::string &)> report; // a failure, for stderr
};

// Sends the current time at once and then once per change of what the display
// shows: every second for mm:ss, at each change of minute for hh:mm. A failed
// send is reported once, when the failures begin, and tried again at the next
// second. Runs on the open port n until stopRequested; false when any
// exchange failed.
bool RunClock(ClockMode mode, bool whole, int n, const ClockHooks &hooks);

} // namespace qmxctl
