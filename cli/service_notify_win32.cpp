// Windows has no service manager that listens for these.
#include "cli/service_notify.h"

namespace qmxctl {

void NotifyReady() {}
void NotifyStatus(const std::string &) {}
void NotifyWatchdog() {}
void NotifyStopping() {}
bool WatchdogWanted()
{
    return false;
}

} // namespace qmxctl
