#include "cli/clock_loop.h"

#include "cli/link.h"
#include "platform/clock_sync.h"
#include "platform/port_report.h"
#include "serial/drv232.h"

namespace qmxctl {
namespace {

using platform::ClockSync;

std::string StartLine(const Arguments &a, int n)
{
    const std::string name = "COM" + std::to_string(n);
    const auto location = platform::LocatePort(name);
    return std::string("clock ") + (a.clock == ClockMode::HoursMinutes ? "hh:mm" : "mm:ss") + " on " +
           name + (location ? " (" + location->path + ")" : "") +
           (a.requireSync ? ", ---- while the PC clock is not synchronised" : "");
}

} // namespace

bool RunClock(const Arguments &a, int n, const ClockHooks &hooks)
{
    return RunEachSecond(a, n, hooks, StartLine(a, n), [&a](bool unsynchronised) {
        return a.requireSync && unsynchronised ? "----"
               : a.clock == ClockMode::HoursMinutes ? Drv232::ClockHours + Drv232::ClockMinutes
                                                    : Drv232::ClockMinutes + Drv232::ClockSeconds;
    });
}

bool RunEachSecond(const Arguments &a, int n, const ClockHooks &hooks, const std::string &startLine,
                   const DueText &due)
{
    const std::string name = "COM" + std::to_string(n);
    hooks.notice(startLine);
    bool allSent = true;
    bool failing = false;
    std::string shown;
    bool unsynchronised = false; // as last logged
    std::string syncReadInMinute;
    for (bool start = true; !hooks.stopRequested(); start = false) {
        Drv232::SampleClock();
        if (unsynchronised || syncReadInMinute != Drv232::ClockMinutes) {
            syncReadInMinute = Drv232::ClockMinutes;
            const ClockSync sync = platform::GetClockSync();
            if ((sync == ClockSync::Unsynchronised) != unsynchronised) {
                unsynchronised = !unsynchronised;
                if (unsynchronised)
                    hooks.report(std::string("the PC clock is not synchronised") +
                                 (a.requireSync ? "; the display shows ----" : "; its time may be wrong"));
                else
                    hooks.notice("the PC clock is synchronised again");
            } else if (start && sync == ClockSync::Unknown && a.requireSync) {
                hooks.notice("this system does not say whether the PC clock is synchronised; the time is shown");
            }
        }
        const std::string text = due(unsynchronised);
        if (text != shown) {
            std::string why;
            const bool answered = ExchangeOn(n, text, a.whole, why);
            if (hooks.exchanged)
                hooks.exchanged(text, answered);
            if (answered) {
                shown = text;
                if (failing)
                    hooks.notice(name + ": the display answers again");
                failing = false;
            } else if (hooks.stopRequested()) {
                break; // cut short by the stop, not a display that went quiet
            } else {
                allSent = false;
                if (!failing)
                    hooks.report(why);
                failing = true;
            }
        }
        if (hooks.stopRequested())
            break;
        hooks.waitForNextSecond();
    }
    return allSent;
}

} // namespace qmxctl
