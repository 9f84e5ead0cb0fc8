#pragma once
// Reads and writes under Win32-style time-outs, for the ports whose system
// keeps no time-outs per port (terminals, sockets): the rules on the
// monotonic clock, over one wait-and-move step of the port's own. Private to
// platform/ and the network port (net/).
#include "platform/serial_device.h"

#include <chrono>
#include <functional>
#include <optional>

namespace platform {

using SteadyClock = std::chrono::steady_clock;
// No value: no limit.
using Deadline = std::optional<SteadyClock::time_point>;

enum class Step {
    Moved,    // some bytes moved (and were added to the count)
    Retry,    // woken, nothing moved: wait again
    TimedOut, // the deadline passed
    Failed,   // the reason is kept
};

// Waits for the port until the deadline and moves what it can, adding the
// count of bytes moved to `moved`.
using StepFunction = std::function<Step(Deadline until, std::size_t &moved)>;

// Reads up to size bytes: the total time-out and the interval between bytes
// as CommTimeouts says, including its MAXDWORD special cases.
bool TimedRead(const CommTimeouts &timeouts, std::size_t size, std::size_t &received, const StepFunction &step);

// The end of a write of size bytes begun now.
Deadline WriteDeadline(const CommTimeouts &timeouts, std::size_t size);
// Writes until size bytes are taken or the deadline passes.
bool TimedWrite(Deadline end, std::size_t size, std::size_t &written, const StepFunction &step);

// Milliseconds left until the deadline, rounded up, for a system wait that
// takes them (-1: no limit).
int WaitMilliseconds(Deadline until);

} // namespace platform
