#pragma once
// Whether the PC's clock is kept right by a time service (NTP, PTP, a radio
// clock).

namespace platform {

enum class ClockSync {
    Synchronised,   // a time service keeps the clock
    Unsynchronised, // the kernel says the time may be wrong
    Unknown,        // this system does not say
};

// The state as the system reports it now, from the backend of this system.
ClockSync SystemClockSync();

} // namespace platform
