// The system clock's local time on POSIX systems.
#include "platform/local_time.h"

#include <time.h>

#include <algorithm>

namespace platform {

LocalTime LocalTimeAt(std::int64_t utcSeconds, int millisecond)
{
    const time_t moment = time_t(utcSeconds);
    tm parts{};
    ::localtime_r(&moment, &parts);
    LocalTime t;
    t.Hour = parts.tm_hour;
    t.Minute = parts.tm_min;
    // A leap second shows as 60; the display and the callers know 0..59.
    t.Second = std::min(parts.tm_sec, 59);
    t.Millisecond = millisecond;
    return t;
}

LocalTime SystemLocalTime()
{
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return LocalTimeAt(now.tv_sec, int(now.tv_nsec / 1000000));
}

} // namespace platform
