#include "tests/support/link_state.h"

#include "platform/local_time.h"
#include "serial/drv232.h"

namespace testsupport {

void ResetLinkState() {
    Drv232::ClosePort();
    Drv232::DisposeReplyBuffer();
    Drv232::LineMode = 1;
    Drv232::DisplayText.clear();
    Drv232::ParameterRecord = {};
    Drv232::DigitCells = {};
    Drv232::PointFlags = {};
    Drv232::ModuleAddress = 0;
    Drv232::ClockHours.clear();
    Drv232::ClockMinutes.clear();
    Drv232::ClockSeconds.clear();
    Drv232::ClockSecond = 0;
    platform::SetClockSource({});
}

} // namespace testsupport
