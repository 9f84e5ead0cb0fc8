#include "platform/local_time.h"

#include "platform/settable_source.h"

namespace platform {
namespace {

SettableSource<LocalTime> clockSource(SystemLocalTime);

} // namespace

LocalTime GetLocalTime()
{
    return clockSource();
}

void SetClockSource(std::function<LocalTime()> source)
{
    clockSource.set(std::move(source));
}

} // namespace platform
