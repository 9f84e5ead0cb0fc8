#include "platform/clock_sync.h"

#include "platform/settable_source.h"

namespace platform {
namespace {

SettableSource<ClockSync> syncSource(SystemClockSync);

} // namespace

ClockSync GetClockSync()
{
    return syncSource();
}

void SetClockSyncSource(std::function<ClockSync()> source)
{
    syncSource.set(std::move(source));
}

} // namespace platform
