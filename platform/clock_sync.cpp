#include "platform/clock_sync.h"

#include <mutex>

namespace platform {
namespace {

std::mutex sourceMutex;
std::function<ClockSync()> syncSource;

} // namespace

ClockSync GetClockSync()
{
    std::function<ClockSync()> source;
    {
        std::lock_guard lock(sourceMutex);
        source = syncSource;
    }
    return source ? source() : SystemClockSync();
}

void SetClockSyncSource(std::function<ClockSync()> source)
{
    std::lock_guard lock(sourceMutex);
    syncSource = std::move(source);
}

} // namespace platform
