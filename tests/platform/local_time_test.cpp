// The clock hook and the system clock in the local time zone.
#include "platform/local_time.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <time.h>

namespace platform_test {
using namespace testsupport;
namespace {

TEST(LocalTimeTest, SourceReplacesTheClockUntilCleared)
{
    platform::SetClockSource([] { return platform::LocalTime{23, 59, 58, 999}; });
    const platform::LocalTime t = platform::GetLocalTime();
    platform::SetClockSource({});
    EXPECT_EQ(t.Hour, 23);
    EXPECT_EQ(t.Minute, 59);
    EXPECT_EQ(t.Second, 58);
    EXPECT_EQ(t.Millisecond, 999);

    // Would the hook still be in place, every call would give 23:59:58.999.
    bool changed = false;
    for (int i = 0; i < 50 && !changed; ++i) {
        const platform::LocalTime now = platform::GetLocalTime();
        changed = now.Hour != 23 || now.Minute != 59 || now.Second != 58 || now.Millisecond != 999;
    }
    EXPECT_TRUE(changed);
}

int SecondOfDay(int hour, int minute, int second)
{
    return (hour * 60 + minute) * 60 + second;
}

TEST(LocalTimeTest, SystemClockFollowsTheTimeZone)
{
    // Five hours east of UTC, so that UTC passed off as local time shows.
    ScopedEnv tz("TZ");
    tz.set("UTC-5");
    ::tzset();
    const platform::LocalTime local = platform::GetLocalTime();
    const time_t now = ::time(nullptr);
    tz.unset();
    ::tzset();

    EXPECT_GE(local.Hour, 0);
    EXPECT_LE(local.Hour, 23);
    EXPECT_GE(local.Minute, 0);
    EXPECT_LE(local.Minute, 59);
    EXPECT_GE(local.Second, 0);
    EXPECT_LE(local.Second, 59);
    EXPECT_GE(local.Millisecond, 0);
    EXPECT_LE(local.Millisecond, 999);

    tm utc{};
    ::gmtime_r(&now, &utc);
    const int expected = (SecondOfDay(utc.tm_hour, utc.tm_min, utc.tm_sec) + 5 * 3600) % 86400;
    const int got = SecondOfDay(local.Hour, local.Minute, local.Second);
    const int apart = (got - expected + 86400) % 86400;
    EXPECT_TRUE(apart <= 2 || apart >= 86400 - 2) << "local " << got << " expected " << expected;
}

} // namespace
} // namespace platform_test
