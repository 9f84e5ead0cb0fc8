// The search for the display, as the window does it at start and qmxctl
// without --port.
#include "serial/link.h"

#include "platform/failure.h"

namespace Drv232 {

std::optional<platform::PortName> Link::SearchDisplay(const platform::PortName &stored, const MissedPort &missed)
{
    using platform::PortName;
    unsigned n = stored.Number();
    for (unsigned tries = 0; tries < PortName::kLastSearched; ++tries) {
        n = n == 1 ? PortName::kLastSearched : n - 1;
        const PortName port = PortName::Com(n);
        // A reason kept now comes from this port, and after the open from
        // its exchange.
        platform::ClearFailure();
        const bool opened = Open(port);
        if (opened) {
            platform::ClearFailure();
            if (ExchangeValue())
                return port;
        }
        if (missed)
            missed(port, opened);
    }
    return std::nullopt;
}

} // namespace Drv232
