// Windows has no public call that says whether the Windows Time service keeps
// the clock right: GetSystemTimeAdjustment tells only whether the system
// adjusts the clock itself, which it does synchronised or not, and the
// service's own state is read by w32tm's private interface. So the state is
// unknown here, and a clock that requires synchronisation shows the time.
#include "platform/clock_sync.h"

namespace platform {

ClockSync SystemClockSync()
{
    return ClockSync::Unknown;
}

} // namespace platform
