// The state of a timer that every backend keeps alike; the backend's Apply
// starts or stops the ticks.
#include "gui/controls.h"

namespace gui {

int TTimer::Interval() const
{
    return interval_;
}

void TTimer::SetInterval(int ms)
{
    if (ms == interval_)
        return;
    interval_ = ms;
    Apply();
}

bool TTimer::Enabled() const
{
    return enabled_;
}

void TTimer::SetEnabled(bool enabled)
{
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    Apply();
}

} // namespace gui
