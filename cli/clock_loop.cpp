#include "cli/clock_loop.h"

#include "cli/link.h"
#include "cli/service_notify.h"
#include "platform/clock_sync.h"

namespace qmxctl {
namespace {

using platform::ClockSync;

// The port and what it leads to; a URL is its own path.
std::string PortLine(const platform::PortName &port)
{
    const std::string path = port.IsUrl() ? std::string() : port.Path();
    return port.Label() + (path.empty() ? "" : " (" + path + ")");
}

std::string StartLine(const Arguments &a, const platform::PortName &port)
{
    return std::string("clock ") + (a.clock == ClockMode::HoursMinutes ? "hh:mm" : "mm:ss") + " on " + PortLine(port) +
           (a.requireSync ? ", ---- while the PC clock is not synchronised" : "");
}

// The service's one line of state, for systemctl status.
std::string StatusLine(const platform::PortName &port, const std::string &shown, bool failing, ClockSync sync)
{
    const std::string display =
        shown.size() == 4 && shown != "----" ? shown.substr(0, 2) + ":" + shown.substr(2) : shown;
    return PortLine(port) + ": " +
           (failing ? "the display does not answer" + (shown.empty() ? "" : " (last shown " + display + ")")
                    : "the display shows " + display) +
           (sync == ClockSync::Synchronised     ? "; the PC clock is synchronised"
            : sync == ClockSync::Unsynchronised ? "; the PC clock is not synchronised"
                                                : "; the system does not say whether the PC clock is synchronised");
}

} // namespace

bool RunClock(const Arguments &a, Drv232::Link &link, const platform::PortName &port, const ClockHooks &hooks)
{
    ClockHooks served = hooks;
    // Under a service manager that listens: ready once the first time has
    // gone out (or failed to), a status line when it changes, and a watchdog
    // ping each second, so that a loop that stops coming here is restarted.
    std::string status;
    served.sent = [&port, &status](const SecondSent &now) {
        if (std::string line = StatusLine(port, now.shown, now.failing, now.sync); line != status) {
            status = std::move(line);
            NotifyStatus(status);
        }
        if (now.first)
            NotifyReady();
        NotifyWatchdog();
    };
    const bool allSent = RunEachSecond(a, link, port, served, StartLine(a, port), [&a, &link](bool unsynchronised) {
        return a.requireSync && unsynchronised      ? "----"
               : a.clock == ClockMode::HoursMinutes ? link.ClockHours + link.ClockMinutes
                                                    : link.ClockMinutes + link.ClockSeconds;
    });
    NotifyStopping();
    return allSent;
}

bool RunEachSecond(const Arguments &a, Drv232::Link &link, const platform::PortName &port, const ClockHooks &hooks,
                   const std::string &startLine, const DueText &due)
{
    hooks.notice(startLine);
    bool allSent = true;
    bool failing = false;
    std::string shown;
    bool unsynchronised = false; // as last logged
    std::string syncReadInMinute;
    ClockSync sync = ClockSync::Unknown;
    for (bool start = true; !hooks.stopRequested(); start = false) {
        link.SampleClock();
        if (unsynchronised || syncReadInMinute != link.ClockMinutes) {
            syncReadInMinute = link.ClockMinutes;
            sync = link.ReadClockSync();
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
            const bool answered = ExchangeOn(link, port, text, a.whole, why);
            if (hooks.exchanged)
                hooks.exchanged(text, answered);
            if (answered) {
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
        if (hooks.sent)
            hooks.sent({start, shown, failing, sync});
        hooks.waitForNextSecond();
    }
    return allSent;
}

} // namespace qmxctl
