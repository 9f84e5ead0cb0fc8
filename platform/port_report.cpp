// The listing of every port the window's search tries, on every system.
#include "platform/port_report.h"

namespace platform {

PortAccess AccessAfter(FailureKind kind)
{
    switch (kind) {
    case FailureKind::Missing: return PortAccess::Missing;
    case FailureKind::Refused: return PortAccess::Refused;
    case FailureKind::InUse: return PortAccess::InUse;
    case FailureKind::NotAPort: return PortAccess::NotAPort;
    default: return PortAccess::Failed;
    }
}

std::vector<PortStatus> InspectPorts()
{
    std::vector<PortStatus> ports;
    for (int n = 1; n <= 29; ++n)
        ports.push_back(InspectPort(n));
    return ports;
}

std::string PermissionHint()
{
    std::string hint;
    for (const PortStatus &port : InspectPorts())
        if (std::string advice = PermissionAdvice(port); !advice.empty())
            hint += advice + "\n";
    return hint;
}

} // namespace platform
