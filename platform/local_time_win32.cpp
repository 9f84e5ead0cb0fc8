// The system clock's local time on Windows.
#include "platform/local_time.h"

#include <windows.h>

#include <algorithm>

namespace platform {

LocalTime SystemLocalTime()
{
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    LocalTime t;
    t.Hour = now.wHour;
    t.Minute = now.wMinute;
    t.Second = std::min<int>(now.wSecond, 59);
    t.Millisecond = now.wMilliseconds;
    return t;
}

} // namespace platform
