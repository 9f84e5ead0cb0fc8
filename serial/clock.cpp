// Samples of the PC's local time as two-digit texts.
#include "platform/local_time.h"
#include "serial/link.h"

namespace Drv232 {

std::string TwoDigits(std::uint32_t value)
{
    std::string s = std::to_string(static_cast<std::uint16_t>(value));
    if (s.size() == 1)
        s = "0" + s;
    if (s.size() > 2)
        s = s.substr(2, 2);
    return s;
}

void Link::SampleClock()
{
    // One reading for all four, so that the texts never straddle a second.
    const platform::LocalTime now = platform::GetLocalTime();
    ClockHours = TwoDigits(static_cast<std::uint32_t>(now.Hour));
    ClockMinutes = TwoDigits(static_cast<std::uint32_t>(now.Minute));
    ClockSeconds = TwoDigits(static_cast<std::uint32_t>(now.Second));
    ClockSecond = static_cast<std::uint16_t>(now.Second);
}

platform::ClockSync Link::ReadClockSync() const
{
    return ClockSyncSource ? ClockSyncSource() : platform::SystemClockSync();
}

} // namespace Drv232
