#pragma once
// For the stop-signal handler of a program on a POSIX system.

namespace platform {

// Async-signal-safe. The transfer under way ends as a failure instead of
// waiting on, and so does every later one, so that a stop never waits out a
// reply that a silent display will not send.
void StopTransfers();

} // namespace platform
