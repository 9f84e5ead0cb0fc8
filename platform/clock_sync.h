#pragma once
// Whether the PC's clock is kept right by a time service (NTP, PTP, a radio
// clock), with a settable source for tests, as the local time has one.
#include <functional>

namespace platform {

enum class ClockSync {
    Synchronised,   // a time service keeps the clock
    Unsynchronised, // the kernel says the time may be wrong
    Unknown,        // this system does not say
};

ClockSync GetClockSync();

// The state as the system reports it now, from the backend of this system.
ClockSync SystemClockSync();

// Replaces the system's state with source; an empty function restores it.
void SetClockSyncSource(std::function<ClockSync()> source);

} // namespace platform
