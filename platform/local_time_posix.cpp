// The system clock's local time on POSIX systems.
#include "platform/local_time.h"

#include <time.h>

#include <algorithm>

namespace platform {

LocalTime SystemLocalTime()
{
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    tm parts{};
    ::localtime_r(&now.tv_sec, &parts);
    LocalTime t;
    t.Hour = parts.tm_hour;
    t.Minute = parts.tm_min;
    // A leap second shows as 60; the display and the callers know 0..59.
    t.Second = std::min(parts.tm_sec, 59);
    t.Millisecond = int(now.tv_nsec / 1000000);
    return t;
}

} // namespace platform
