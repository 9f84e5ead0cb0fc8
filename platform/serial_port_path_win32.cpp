// On Windows a COM name is its device: "\\.\COMn" reaches COM10 and above,
// which the short name does not.
#include "platform/port_name.h"
#include "platform/port_report.h"
#include "platform/serial_device.h"

namespace platform {

std::optional<PortLocation> LocatePort(const std::string &portName)
{
    const std::optional<unsigned> number = ComPortNumber(portName);
    if (!number)
        return std::nullopt;
    return PortLocation{"\\\\.\\" + PortName::Com(*number).Label(), PortRule::SerialDevice};
}

std::string ResolvePortPath(const std::string &portName)
{
    const std::optional<PortLocation> location = LocatePort(portName);
    return location ? location->path : std::string();
}

} // namespace platform
