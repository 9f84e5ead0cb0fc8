// The clock's sending rule on a made-up clock: what goes out at each change
// of second, and what it says for a log.
#include "cli/clock_loop.h"
#include "platform/clock_sync.h"
#include "platform/local_time.h"
#include "serial/link.h"
#include "tests/support/displays.h"
#include "tests/support/dst_walks.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

namespace {

using namespace testsupport;

// A display on COM5 of a temp port folder that the clock runs against.
struct ClockRun {
    TempDir ports;
    ScopedEnv portDir{"QMX_PORT_DIR", ports.path().string()};
    std::unique_ptr<sim::DisplaySim> display;
    std::vector<std::string> log; // "report: ..." and "notice: ..."
    Drv232::Link link;

    explicit ClockRun(sim::Behaviour behaviour) : display(StartDisplay(ports.path(), 5, behaviour, "0000"))
    {
        link.NewReplyBuffer();
        EXPECT_TRUE(link.Open(platform::PortName::Com(5)));
    }

    // Runs the clock for moments 0 .. moments-1; *step is the moment now.
    bool Run(const qmxctl::Arguments &a, int *step, int moments, const std::function<void()> &onWait = {})
    {
        const qmxctl::ClockHooks hooks{
            [&] {
                ++*step;
                if (onWait)
                    onWait();
            },
            [&] { return *step == moments; },
            [&](const std::string &line) { log.push_back("report: " + line); },
            [&](const std::string &line) { log.push_back("notice: " + line); },
        };
        const bool allSent = qmxctl::RunClock(a, link, platform::PortName::Com(5), hooks);
        platform::SetClockSource({});
        link.Close();
        return allSent;
    }

    // The four characters of each frame the display saw.
    std::vector<std::string> Sent(std::size_t expected)
    {
        // The display logs a frame just after its answer has gone out.
        display->waitForFrames(expected, std::chrono::seconds(1));
        std::vector<std::string> sent;
        for (const sim::Frame &f : display->frames())
            sent.emplace_back(f.bytes.begin() + 1, f.bytes.begin() + 5);
        return sent;
    }
};

qmxctl::Arguments Clock(qmxctl::ClockMode mode, bool requireSync = false)
{
    qmxctl::Arguments a;
    a.action = qmxctl::Action::Clock;
    a.clock = mode;
    a.requireSync = requireSync;
    return a;
}

TEST(QmxctlClock, SendsOncePerChangeOfWhatTheDisplayShowsAndLogsOnlyChanges)
{
    using platform::ClockSync;
    constexpr auto hhmm = qmxctl::ClockMode::HoursMinutes;
    constexpr auto mmss = qmxctl::ClockMode::MinutesSeconds;
    const std::string start = "notice: clock ";
    const struct {
        const char *what;
        qmxctl::Arguments arguments;
        std::vector<int> seconds; // the clock at start and after each wait, from 09:05:00
        const char *sync;         // the state at each moment: S, U, or ? for unknown
        std::vector<std::string> sent;
        std::vector<std::string> log; // each line begins so
        int silentUntil = 0;          // the display answers from this moment on
    } rows[] = {
        {"mm:ss: every second, over the minute",
         Clock(mmss),
         {58, 59, 60, 61},
         "SSSS",
         {"0558", "0559", "0600", "0601"},
         {start + "mm:ss on COM5 ("}},
        {"mm:ss: a second slept over is not made up", Clock(mmss), {58, 60}, "SS", {"0558", "0600"}, {start}},
        {"hh:mm: at start, then at the change of minute only",
         Clock(hhmm),
         {58, 59, 60, 61, 62},
         "SSSSS",
         {"0905", "0906"},
         {start + "hh:mm on COM5"}},
        // hh:mm does not change, but the failed value is tried again.
        {"a failing display is reported once, and its return",
         Clock(hhmm),
         {58, 59, 60},
         "SSS",
         {"0905", "0905", "0906"},
         {start, "report: COM5: the display did not answer", "notice: COM5: the display answers again"},
         2},
        {"not synchronised at start: warned, the time shown, read every second until synchronised",
         Clock(mmss),
         {58, 59, 60, 61},
         "UUSU",
         {"0558", "0559", "0600", "0601"},
         {start, "report: the PC clock is not synchronised; its time may be wrong",
          "notice: the PC clock is synchronised again"}},
        {"--require-sync: ---- while not synchronised, the time at the first second after",
         Clock(mmss, true),
         {58, 59, 60, 61},
         "UUSS",
         {"----", "0600", "0601"},
         {start + "mm:ss on COM5 (", "report: the PC clock is not synchronised; the display shows ----",
          "notice: the PC clock is synchronised again"}},
        {"--require-sync, synchronised: read once a minute",
         Clock(hhmm, true),
         {58, 59, 60, 61, 62},
         "SUUUS",
         {"0905", "----", "0906"},
         {start, "report: the PC clock is not synchronised; the display shows ----",
          "notice: the PC clock is synchronised again"}},
        {"--require-sync where the system does not say: the time shown",
         Clock(mmss, true),
         {58, 59},
         "??",
         {"0558", "0559"},
         {start, "notice: this system does not say whether the PC clock is synchronised"}},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        ClockRun run(row.silentUntil ? sim::Behaviour::Silent : sim::Behaviour::Normal);
        ASSERT_TRUE(run.display);
        int now = 0;
        platform::SetClockSource([&] {
            const int s = 5 * 60 + row.seconds[now];
            return platform::LocalTime{9, s / 60, s % 60, 0};
        });
        run.link.ClockSyncSource = [&] {
            const char state = row.sync[now];
            return state == 'S'   ? ClockSync::Synchronised
                   : state == 'U' ? ClockSync::Unsynchronised
                                  : ClockSync::Unknown;
        };
        const auto answerAgain = [&] {
            if (now == row.silentUntil)
                run.display->setBehaviour(sim::Behaviour::Normal);
        };
        EXPECT_EQ(run.Run(row.arguments, &now, int(row.seconds.size()), answerAgain), row.silentUntil == 0);
        EXPECT_EQ(run.Sent(row.sent.size()), row.sent);
        ASSERT_EQ(run.log.size(), row.log.size()) << testing::PrintToString(run.log);
        for (std::size_t i = 0; i < row.log.size(); ++i)
            EXPECT_TRUE(run.log[i].starts_with(row.log[i])) << run.log[i];
    }
}

TEST(QmxctlClock, FollowsLocalTimeAcrossBothDaylightSavingChanges)
{
    PragueTime prague;
    for (const DstWalk &walk : DstWalks()) {
        SCOPED_TRACE(walk.what);
        ClockRun run(sim::Behaviour::Normal);
        int step = 0;
        SetClockToWalk(walk, &step);
        run.link.ClockSyncSource = [] { return platform::ClockSync::Synchronised; };
        const auto mode = walk.hoursMinutes ? qmxctl::ClockMode::HoursMinutes : qmxctl::ClockMode::MinutesSeconds;
        EXPECT_TRUE(run.Run(Clock(mode), &step, walk.seconds));
        EXPECT_EQ(run.Sent(walk.sent.size()), walk.sent);
    }
}

} // namespace
