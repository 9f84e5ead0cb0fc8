// The link the windows' names forward to.
#include "serial/drv232.h"

namespace Drv232 {

Link &DefaultLink()
{
    static Link *const link = new Link;
    return *link;
}

} // namespace Drv232
