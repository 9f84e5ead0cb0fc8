#include "platform/local_time.h"

#include <mutex>

namespace platform {
namespace {

std::mutex sourceMutex;
std::function<LocalTime()> clockSource;

} // namespace

LocalTime GetLocalTime()
{
    std::function<LocalTime()> source;
    {
        std::lock_guard lock(sourceMutex);
        source = clockSource;
    }
    return source ? source() : SystemLocalTime();
}

void SetClockSource(std::function<LocalTime()> source)
{
    std::lock_guard lock(sourceMutex);
    clockSource = std::move(source);
}

} // namespace platform
