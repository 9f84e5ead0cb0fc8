// The search for the display, as the window does it at start and qmxctl
// without --port.
#include "serial/drv232.h"

#include "platform/failure.h"

namespace Drv232 {

std::vector<std::uint8_t> SearchOrder(int storedPort)
{
    std::uint8_t n = storedPort >= 1 && storedPort <= 29 ? std::uint8_t(storedPort) : 3;
    std::vector<std::uint8_t> order;
    for (int tries = 0; tries < 29; ++tries) {
        n = n == 1 ? 29 : n - 1;
        order.push_back(n);
    }
    return order;
}

std::uint8_t SearchDisplay(int storedPort, const std::function<void(std::uint8_t, bool)> &missed)
{
    for (std::uint8_t n : SearchOrder(storedPort)) {
        // A reason kept now comes from this port, and after the open from
        // its exchange.
        platform::ClearFailure();
        const bool opened = OpenPort(n);
        if (opened) {
            platform::ClearFailure();
            if (ExchangeValue())
                return n;
        }
        if (missed)
            missed(n, opened);
    }
    return 0;
}

} // namespace Drv232
