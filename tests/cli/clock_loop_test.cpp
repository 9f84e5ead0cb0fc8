// The clock's sending rule on a made-up clock: what goes out at each change
// of second.
#include "cli/clock_loop.h"
#include "platform/local_time.h"
#include "serial/drv232.h"
#include "tests/support/displays.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

namespace {

using namespace testsupport;

TEST(QmxctlClock, SendsOncePerChangeOfWhatTheDisplayShows)
{
    const struct {
        const char *what;
        qmxctl::ClockMode mode;
        sim::Behaviour behaviour;
        std::vector<int> seconds; // the clock at start and after each wait, from 09:05:00
        std::vector<std::string> sent;
        int reports;
    } rows[] = {
        {"mm:ss: every second, over the minute", qmxctl::ClockMode::MinutesSeconds, sim::Behaviour::Normal,
         {58, 59, 60, 61}, {"0558", "0559", "0600", "0601"}, 0},
        {"mm:ss: a second slept over is not made up", qmxctl::ClockMode::MinutesSeconds,
         sim::Behaviour::Normal, {58, 60}, {"0558", "0600"}, 0},
        {"hh:mm: at start, then at the change of minute only", qmxctl::ClockMode::HoursMinutes,
         sim::Behaviour::Normal, {58, 59, 60, 61, 62}, {"0905", "0906"}, 0},
        // hh:mm does not change, but the failed value is tried again.
        {"a failing display is reported once", qmxctl::ClockMode::HoursMinutes, sim::Behaviour::Silent,
         {58, 59}, {"0905", "0905"}, 1},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        TempDir ports;
        ScopedEnv portDir("QMX_PORT_DIR", ports.path().string());
        auto display = StartDisplay(ports.path(), 5, row.behaviour, "0000");
        ASSERT_TRUE(display);
        Drv232::NewReplyBuffer();
        ASSERT_TRUE(Drv232::OpenPort(5));

        std::size_t now = 0;
        platform::SetClockSource([&] {
            const int s = 5 * 60 + row.seconds[now];
            return platform::LocalTime{9, s / 60, s % 60, 0};
        });
        int reports = 0;
        const qmxctl::ClockHooks hooks{
            [&] { ++now; },
            [&] { return now == row.seconds.size(); },
            [&](const std::string &) { ++reports; },
        };
        EXPECT_EQ(qmxctl::RunClock(row.mode, false, 5, hooks), row.reports == 0);
        platform::SetClockSource({});
        Drv232::ClosePort();

        // The display logs a frame just after its answer has gone out.
        display->waitForFrames(row.sent.size(), std::chrono::seconds(1));
        std::vector<std::string> sent;
        for (const sim::Frame &f : display->frames())
            sent.emplace_back(f.bytes.begin() + 1, f.bytes.begin() + 5);
        EXPECT_EQ(sent, row.sent);
        EXPECT_EQ(reports, row.reports);
    }
}

} // namespace
