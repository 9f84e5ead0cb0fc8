// The system clock's local time on Windows.
#include "platform/local_time.h"

#include <windows.h>

#include <algorithm>

namespace platform {

namespace {

LocalTime FromSystemTime(const SYSTEMTIME &now)
{
    LocalTime t;
    t.Hour = now.wHour;
    t.Minute = now.wMinute;
    t.Second = std::min<int>(now.wSecond, 59);
    t.Millisecond = now.wMilliseconds;
    return t;
}

} // namespace

LocalTime LocalTimeAt(std::int64_t utcSeconds, int millisecond)
{
    // FILETIME counts 100 ns steps from 1601-01-01 UTC.
    const std::uint64_t ticks = std::uint64_t(utcSeconds + 11644473600LL) * 10000000ULL;
    const FILETIME moment{DWORD(ticks), DWORD(ticks >> 32)};
    SYSTEMTIME utc{}, local{};
    ::FileTimeToSystemTime(&moment, &utc);
    ::SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local);
    LocalTime t = FromSystemTime(local);
    t.Millisecond = millisecond;
    return t;
}

LocalTime SystemLocalTime()
{
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return FromSystemTime(now);
}

} // namespace platform
