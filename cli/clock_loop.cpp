#include "cli/clock_loop.h"

#include "cli/link.h"
#include "platform/clock_sync.h"

namespace qmxctl {
namespace {

using platform::ClockSync;

std::string StartLine(const Arguments &a, const platform::PortName &port)
{
    // A URL is its own path.
    const std::string path = port.IsUrl() ? std::string() : port.Path();
    return std::string("clock ") + (a.clock == ClockMode::HoursMinutes ? "hh:mm" : "mm:ss") + " on " +
           port.Label() + (path.empty() ? "" : " (" + path + ")") +
           (a.requireSync ? ", ---- while the PC clock is not synchronised" : "");
}

} // namespace

bool RunClock(const Arguments &a, Drv232::Link &link, const platform::PortName &port, const ClockHooks &hooks)
{
    hooks.notice(StartLine(a, port));
    bool allSent = true;
    bool failing = false;
    std::string shown;
    bool unsynchronised = false; // as last logged
    std::string syncReadInMinute;
    for (bool start = true; !hooks.stopRequested(); start = false) {
        link.SampleClock();
        if (unsynchronised || syncReadInMinute != link.ClockMinutes) {
            syncReadInMinute = link.ClockMinutes;
            const ClockSync sync = link.ReadClockSync();
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
        const std::string text = a.requireSync && unsynchronised ? "----"
                                 : a.clock == ClockMode::HoursMinutes
                                     ? link.ClockHours + link.ClockMinutes
                                     : link.ClockMinutes + link.ClockSeconds;
        if (text != shown) {
            std::string why;
            if (ExchangeOn(link, port, text, a.whole, why)) {
                shown = text;
                if (failing)
                    hooks.notice(port.Label() + ": the display answers again");
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
