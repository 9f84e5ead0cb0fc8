// The listing of every port the window's search tries, on every system.
#include "platform/port_report.h"

#include "platform/serial_device.h"

namespace platform {

PortAccess AccessAfter(FailureKind kind)
{
    switch (kind) {
    case FailureKind::Missing:
        return PortAccess::Missing;
    case FailureKind::Refused:
        return PortAccess::Refused;
    case FailureKind::InUse:
        return PortAccess::InUse;
    case FailureKind::NotAPort:
        return PortAccess::NotAPort;
    default:
        return PortAccess::Failed;
    }
}

void InspectNetworkPort(PortStatus &port, const std::string &url, NetworkConnector network)
{
    port.url = url;
    port.device = url;
    // A connection is the only way to ask a server; it is closed at once.
    ClearFailure();
    if (SerialDevice *device = OpenSerialDevice(url, network)) {
        CloseSerialDevice(device);
        port.access = PortAccess::Free;
        return;
    }
    port.reason = LastFailure();
    // The URL is in the record already.
    if (port.reason.text.starts_with(url + ": "))
        port.reason.text.erase(0, url.size() + 2);
    port.access = AccessAfter(port.reason.kind);
}

std::vector<PortStatus> InspectPorts(NetworkConnector network)
{
    std::vector<PortStatus> ports;
    for (int n = 1; n <= int(PortName::kLastSearched); ++n)
        ports.push_back(InspectPort(n, network));
    return ports;
}

std::string PermissionHint(NetworkConnector network)
{
    std::string hint;
    for (const PortStatus &port : InspectPorts(network))
        if (std::string advice = PermissionAdvice(port); !advice.empty())
            hint += advice + "\n";
    return hint;
}

} // namespace platform
