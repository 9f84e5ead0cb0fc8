// Windows services are not notified this way: nothing to do.
#include "cli/service_notify.h"

namespace qmxctl {

void NotifyReady() {}
void NotifyStatus(const std::string &) {}
void NotifyWatchdog() {}
void NotifyStopping() {}
bool WatchdogWanted() { return false; }

} // namespace qmxctl
