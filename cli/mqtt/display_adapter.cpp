#include "cli/mqtt/display_adapter.h"

#include "cli/link.h"
#include "platform/port_url.h"

namespace qmxmqtt {

std::optional<DisplayPort> OpenDisplayPort(const qmxctl::Arguments &a, std::string &message)
{
    std::optional<DisplayPort> port{{Drv232::Link{}, *a.port, {}}};
    port->link.NewReplyBuffer();
    if (!qmxctl::OpenPort(port->link, port->name, message))
        return std::nullopt;
    const std::string path = port->name.Path();
    port->leadsTo = port->name.IsUrl() ? path : platform::MappedUrl(path).value_or(path);
    return port;
}

} // namespace qmxmqtt
