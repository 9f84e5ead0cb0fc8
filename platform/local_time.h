#pragma once
// The PC's local time of day, with a settable source for tests.
#include <functional>

namespace platform {

struct LocalTime {
    int Hour = 0;        // 0..23
    int Minute = 0;      // 0..59
    int Second = 0;      // 0..59
    int Millisecond = 0; // 0..999
};

LocalTime GetLocalTime();

// The system clock itself, from the backend of this system.
LocalTime SystemLocalTime();

// Replaces the clock with source; an empty function restores the system clock.
void SetClockSource(std::function<LocalTime()> source);

} // namespace platform
