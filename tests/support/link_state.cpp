#include "tests/support/link_state.h"

#include "platform/local_time.h"
#include "serial/drv232.h"

namespace testsupport {

void ResetLinkState()
{
    Drv232::DefaultLink() = Drv232::Link();
    platform::SetClockSource({});
}

} // namespace testsupport
