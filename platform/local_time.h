#pragma once
// The PC's local time of day, with a settable source for tests.
#include <cstdint>
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

// The local time of a moment given as seconds since 1970-01-01 00:00 UTC, by
// this system's time zone and its daylight-saving rules. SystemLocalTime is
// this of the system clock's moment; tests put a source made of it on the
// hook to walk the clock across a daylight-saving change.
LocalTime LocalTimeAt(std::int64_t utcSeconds, int millisecond = 0);

// Replaces the clock with source; an empty function restores the system clock.
void SetClockSource(std::function<LocalTime()> source);

} // namespace platform
