#pragma once
// What a program run as a service tells its service manager (systemd's
// notification socket): that it is ready, a line of status, that its loop
// still runs, that it stops. Without a notification socket (run by hand,
// under the tests, on Windows) each call does nothing.
#include <string>

namespace qmxctl {

void NotifyReady();
// The one line that systemctl status shows.
void NotifyStatus(const std::string &line);
// The loop still runs; a service manager that waits for this in vain
// restarts the service.
void NotifyWatchdog();
void NotifyStopping();
// True when the service manager expects NotifyWatchdog() regularly.
bool WatchdogWanted();

} // namespace qmxctl
