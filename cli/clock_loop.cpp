#include "cli/clock_loop.h"

#include "cli/link.h"
#include "cli/service_notify.h"
#include "platform/clock_sync.h"
#include "platform/port_report.h"
#include "serial/drv232.h"

namespace qmxctl {
namespace {

using platform::ClockSync;

// The port and what it leads to.
std::string PortLine(int n)
{
    const std::string name = "COM" + std::to_string(n);
    const auto location = platform::LocatePort(name);
    return name + (location ? " (" + location->path + ")" : "");
}

std::string StartLine(const Arguments &a, int n)
{
    return std::string("clock ") + (a.clock == ClockMode::HoursMinutes ? "hh:mm" : "mm:ss") + " on " +
           PortLine(n) + (a.requireSync ? ", ---- while the PC clock is not synchronised" : "");
}

// The service's one line of state, for systemctl status.
std::string StatusLine(int n, const std::string &shown, bool failing, ClockSync sync)
{
    const std::string display = shown.size() == 4 && shown != "----" ? shown.substr(0, 2) + ":" + shown.substr(2)
                                                                     : shown;
    return PortLine(n) + ": " +
           (failing ? "the display does not answer" + (shown.empty() ? "" : " (last shown " + display + ")")
                    : "the display shows " + display) +
           (sync == ClockSync::Synchronised     ? "; the PC clock is synchronised"
            : sync == ClockSync::Unsynchronised ? "; the PC clock is not synchronised"
                                                : "; the system does not say whether the PC clock is synchronised");
}

} // namespace

bool RunClock(const Arguments &a, int n, const ClockHooks &hooks)
{
    const std::string name = "COM" + std::to_string(n);
    hooks.notice(StartLine(a, n));
    bool allSent = true;
    bool failing = false;
    std::string shown;
    bool unsynchronised = false; // as last logged
    std::string syncReadInMinute;
    ClockSync sync = ClockSync::Unknown;
    std::string status;
    for (bool start = true; !hooks.stopRequested(); start = false) {
        Drv232::SampleClock();
        if (unsynchronised || syncReadInMinute != Drv232::ClockMinutes) {
            syncReadInMinute = Drv232::ClockMinutes;
            sync = platform::GetClockSync();
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
                                     ? Drv232::ClockHours + Drv232::ClockMinutes
                                     : Drv232::ClockMinutes + Drv232::ClockSeconds;
        if (text != shown) {
            std::string why;
            if (ExchangeOn(n, text, a.whole, why)) {
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
        if (const std::string now = StatusLine(n, shown, failing, sync); now != status) {
            status = now;
            NotifyStatus(status);
        }
        // Ready once the first time has gone out (or failed to); a loop that
        // stops coming here is restarted by the service manager.
        if (start)
            NotifyReady();
        NotifyWatchdog();
        hooks.waitForNextSecond();
    }
    NotifyStopping();
    return allSent;
}

} // namespace qmxctl
