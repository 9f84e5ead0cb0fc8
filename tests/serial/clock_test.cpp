// Clock samples as two-digit texts, with the clock placed by the test hook.
#include "platform/local_time.h"
#include "serial/drv232.h"
#include "tests/support/link_state.h"

#include <gtest/gtest.h>

namespace {

TEST(TwoDigits, PadsToTwoAndKeepsTheLastTwoOfFour)
{
    EXPECT_EQ(Drv232::TwoDigits(0), "00");
    EXPECT_EQ(Drv232::TwoDigits(7), "07");
    EXPECT_EQ(Drv232::TwoDigits(42), "42");
    EXPECT_EQ(Drv232::TwoDigits(1234), "34");
    EXPECT_EQ(Drv232::TwoDigits(65536 + 5), "05") << "only the low 16 bits count";
}

TEST(SampleClock, IsEmptyBeforeTheFirstSample)
{
    // A program that has sampled nothing yet: a fresh process, whatever the
    // tests before this one did in this one.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(std::exit(Drv232::ClockHours.empty() && Drv232::ClockMinutes.empty() && Drv232::ClockSeconds.empty() &&
                                  Drv232::ClockSecond == 0
                              ? 0
                              : 1),
                ::testing::ExitedWithCode(0), "");
}

struct Sample {
    platform::LocalTime at;
    const char *hours, *minutes, *seconds;
    int second;
};

class SampleClockAt : public ::testing::TestWithParam<Sample> {
protected:
    void TearDown() override { testsupport::ResetLinkState(); }
};

TEST_P(SampleClockAt, TakesAllFourFromOneReading)
{
    const Sample s = GetParam();
    int readings = 0;
    platform::SetClockSource([&] {
        ++readings;
        return s.at;
    });
    Drv232::SampleClock();
    EXPECT_EQ(readings, 1);
    EXPECT_EQ(Drv232::ClockHours, s.hours);
    EXPECT_EQ(Drv232::ClockMinutes, s.minutes);
    EXPECT_EQ(Drv232::ClockSeconds, s.seconds);
    EXPECT_EQ(Drv232::ClockSecond, s.second);
}

INSTANTIATE_TEST_SUITE_P(Times, SampleClockAt,
                         ::testing::Values(Sample{{9, 5, 7, 999}, "09", "05", "07", 7},
                                           Sample{{0, 0, 0, 0}, "00", "00", "00", 0},
                                           Sample{{23, 59, 59, 999}, "23", "59", "59", 59}));

} // namespace
