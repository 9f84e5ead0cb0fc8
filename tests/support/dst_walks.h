#pragma once
// The two daylight-saving changes of the Czech clock, walked second by second
// on the clock hook through the system's own conversion of a moment to local
// time: what a clock that sends on each change of what it shows must send.
// For qmxctl's clock and the window's real-time functions alike.
#include "platform/local_time.h"

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <string>
#include <vector>

namespace testsupport {

struct DstWalk {
    const char *what;
    bool hoursMinutes;     // hh:mm, else mm:ss
    std::int64_t firstUtc; // the first moment; each wait adds a second
    int seconds;           // moments in all
    std::vector<std::string> sent;
};

inline const std::vector<DstWalk> &DstWalks()
{
    constexpr std::int64_t march = 1774745998;   // 2026-03-29 00:59:58 UTC, 01:59:58 CET
    constexpr std::int64_t october = 1792889998; // 2026-10-25 00:59:58 UTC, 02:59:58 CEST
    static const std::vector<DstWalk> walks = {
        {"March, hh:mm: 01:59 then 03:00", true, march, 4, {"0159", "0300"}},
        {"March, mm:ss: every second", false, march, 4, {"5958", "5959", "0000", "0001"}},
        {"October, hh:mm: 02:59 then 02:00 again", true, october, 4, {"0259", "0200"}},
        {"October, mm:ss: every second", false, october, 4, {"5958", "5959", "0000", "0001"}},
    };
    return walks;
}

// Local time by the Czech rules for the scope.
class PragueTime {
public:
    PragueTime()
    {
        if (const char *tz = std::getenv("TZ"))
            saved_ = tz;
        ::setenv("TZ", "Europe/Prague", 1);
        ::tzset();
    }
    ~PragueTime()
    {
        if (saved_)
            ::setenv("TZ", saved_->c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }
    PragueTime(const PragueTime &) = delete;
    PragueTime &operator=(const PragueTime &) = delete;

private:
    std::optional<std::string> saved_;
};

// The clock hook at the moment utc + *step, with *step moved on by the test.
inline void SetClockToWalk(const DstWalk &walk, const int *step)
{
    platform::SetClockSource([&walk, step] { return platform::LocalTimeAt(walk.firstUtc + *step, 500); });
}

} // namespace testsupport
