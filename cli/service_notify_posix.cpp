#include "cli/service_notify.h"

#include <systemd/sd-daemon.h>

namespace qmxctl {

// sd_notify returns at once when NOTIFY_SOCKET is unset; what it cannot send
// changes nothing for the display.
void NotifyReady()
{
    (void)sd_notify(0, "READY=1");
}

void NotifyStatus(const std::string &line)
{
    (void)sd_notify(0, ("STATUS=" + line).c_str());
}

void NotifyWatchdog()
{
    (void)sd_notify(0, "WATCHDOG=1");
}

void NotifyStopping()
{
    (void)sd_notify(0, "STOPPING=1");
}

bool WatchdogWanted()
{
    return sd_watchdog_enabled(0, nullptr) > 0;
}

} // namespace qmxctl
