#include "cli/mqtt/display_adapter.h"

#include "cli/link.h"
#include "platform/port_report.h"
#include "platform/port_url.h"
#include "serial/drv232.h"

namespace qmxmqtt {

std::optional<DisplayPort> OpenDisplayPort(const qmxctl::Arguments &a, std::string &message)
{
    Drv232::NewReplyBuffer();
    if (a.portUrl) {
        if (!qmxctl::OpenUrlPort(*a.portUrl, message))
            return std::nullopt;
        return DisplayPort{qmxctl::kUrlPort, *a.portUrl, *a.portUrl};
    }
    if (!qmxctl::OpenNamedPort(*a.port, message))
        return std::nullopt;
    DisplayPort port{*a.port, "COM" + std::to_string(*a.port), ""};
    if (const auto location = platform::LocatePort(port.label))
        port.leadsTo = platform::MappedUrl(location->path).value_or(location->path);
    return port;
}

void CloseDisplayPort() { Drv232::ClosePort(); }

} // namespace qmxmqtt
