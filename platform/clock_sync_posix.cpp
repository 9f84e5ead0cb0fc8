// The kernel's synchronisation state. A time service (chrony, ntpd,
// systemd-timesyncd, ptp4l) clears STA_UNSYNC while it disciplines the clock;
// the kernel sets it again when no service has updated it for a while, and
// ntp_adjtime then answers TIME_ERROR. Reading it (modes 0) needs no privilege.
#include "platform/clock_sync.h"

#include <sys/timex.h>

namespace platform {

ClockSync SystemClockSync()
{
    struct timex state {};
    const int answer = ::ntp_adjtime(&state);
    if (answer == -1)
        return ClockSync::Unknown;
    return answer == TIME_ERROR ? ClockSync::Unsynchronised : ClockSync::Synchronised;
}

} // namespace platform
