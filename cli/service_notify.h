#pragma once
// The service manager's notifications (systemd's sd_notify): ready, a status
// line, the watchdog's keep-alive, stopping. Each does nothing when the
// program does not run as a notifying service.
#include <string>

namespace qmxctl {

void NotifyReady();
void NotifyStatus(const std::string &line);
void NotifyWatchdog();
void NotifyStopping();
// Whether the service manager expects NotifyWatchdog calls.
bool WatchdogWanted();

} // namespace qmxctl
