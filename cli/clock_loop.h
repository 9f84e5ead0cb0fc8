#pragma once
// qmxctl clock: the PC's time on the display, sent right after each change of
// second as a master clock does, not on a sampling grid.
#include "cli/arguments.h"
#include "platform/clock_sync.h"
#include "serial/link.h"

#include <functional>
#include <string>

namespace qmxctl {

// Where the loop stands once a second's send is done.
struct SecondSent {
    bool first;               // the first second of the run
    const std::string &shown; // the text the display last took
    bool failing;             // the display does not answer now
    platform::ClockSync sync; // as last read
};

struct ClockHooks {
    // Returns right after the next change of the PC clock's second (or
    // earlier, when a signal asks to stop).
    std::function<void()> waitForNextSecond;
    std::function<bool()> stopRequested;
    std::function<void(const std::string &)> report; // a fault, for stderr
    std::function<void(const std::string &)> notice; // the start, a recovery
    // When set: each exchange tried, with the bytes and whether the display
    // answered.
    std::function<void(const std::string &text, bool answered)> exchanged = {};
    // When set: each second, after its send and before the wait.
    std::function<void(const SecondSent &)> sent = {};
};

// Sends the current time at once and then once per change of what the display
// shows: every second for mm:ss, at each change of minute for hh:mm. Runs on
// link's open port with the mode and options of a until stopRequested; false
// when any exchange failed.
//
// The lines for a log, never one per second: a notice at the start naming
// the port; a report when sends begin to fail (each failed send is tried
// again at the next second) and a notice when the display answers again; a
// report when the PC clock is found not synchronised and a notice when it is
// synchronised again. The synchronisation state is read at the start, once a
// minute, and every second while it is not synchronised, so that with
// requireSync the display shows "----" meanwhile and the time again from the
// first change of second after synchronisation.
//
// Under a service manager that listens (systemd's Type=notify), it says it is
// ready after the first send, keeps a status line (the port, what the display
// shows or that it does not answer, the synchronisation state) and pings the
// watchdog once a loop.
bool RunClock(const Arguments &a, Drv232::Link &link, const platform::PortName &port, const ClockHooks &hooks);

// The text due at the change of second just sampled (the link's clock sample),
// told whether the PC clock is found not synchronised.
using DueText = std::function<std::string(bool unsynchronised)>;

// RunClock's rule with another text than the time of day (an empty due text
// is never sent): startLine is the notice at the start; each wake-up of
// waitForNextSecond, early ones included, sends what is due if it changed.
bool RunEachSecond(const Arguments &a, Drv232::Link &link, const platform::PortName &port, const ClockHooks &hooks,
                   const std::string &startLine, const DueText &due);

} // namespace qmxctl
