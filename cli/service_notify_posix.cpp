#include "cli/service_notify.h"

#include <systemd/sd-daemon.h>

namespace qmxctl {

void NotifyReady() { (void)sd_notify(0, "READY=1"); }
void NotifyStatus(const std::string &line) { (void)sd_notify(0, ("STATUS=" + line).c_str()); }
void NotifyWatchdog() { (void)sd_notify(0, "WATCHDOG=1"); }
void NotifyStopping() { (void)sd_notify(0, "STOPPING=1"); }

bool WatchdogWanted()
{
    uint64_t usec = 0;
    return sd_watchdog_enabled(0, &usec) > 0;
}

} // namespace qmxctl
