#include "cli/clock_loop.h"

#include "cli/link.h"
#include "serial/drv232.h"

namespace qmxctl {

bool RunClock(ClockMode mode, bool whole, int n, const ClockHooks &hooks)
{
    bool allSent = true;
    bool failing = false;
    std::string shown;
    while (!hooks.stopRequested()) {
        Drv232::SampleClock();
        const std::string text = mode == ClockMode::HoursMinutes
                                     ? Drv232::ClockHours + Drv232::ClockMinutes
                                     : Drv232::ClockMinutes + Drv232::ClockSeconds;
        if (text != shown) {
            std::string why;
            if (ExchangeOn(n, text, whole, why)) {
                shown = text;
                failing = false;
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
