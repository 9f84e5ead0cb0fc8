// Maps Windows port names onto device paths. A user can point a COM name at
// any device (a USB adapter, a pseudo-terminal) with a link in the program's
// configuration folder; QMX_PORT_DIR replaces that folder altogether so that
// tests never touch real ports.
#include "platform/port_report.h"
#include "platform/serial_device.h"

#include <sys/stat.h>

#include <cstdlib>
#include <optional>
#include <string_view>

namespace platform {
namespace {

std::optional<unsigned> PortNumber(std::string_view name)
{
    constexpr std::string_view devicePrefix = "\\\\.\\";
    if (name.starts_with(devicePrefix))
        name.remove_prefix(devicePrefix.size());
    if (!name.starts_with("COM") || name.size() == 3)
        return std::nullopt;
    unsigned number = 0;
    for (char c : name.substr(3)) {
        if (c < '0' || c > '9')
            return std::nullopt;
        number = number * 10 + unsigned(c - '0');
        if (number > 255)
            return std::nullopt;
    }
    if (number == 0)
        return std::nullopt;
    return number;
}

std::string Environment(const char *name)
{
    const char *value = std::getenv(name);
    return value ? value : "";
}

std::string ConfigFolder()
{
    if (std::string xdg = Environment("XDG_CONFIG_HOME"); !xdg.empty())
        return xdg;
    if (std::string home = Environment("HOME"); !home.empty())
        return home + "/.config";
    return {};
}

} // namespace

std::optional<PortLocation> LocatePort(const std::string &portName)
{
    const std::optional<unsigned> number = PortNumber(portName);
    if (!number)
        return std::nullopt;
    const std::string com = "COM" + std::to_string(*number);

    if (std::string portDir = Environment("QMX_PORT_DIR"); !portDir.empty())
        return PortLocation{portDir + "/" + com, PortRule::PortFolder};

    if (std::string config = ConfigFolder(); !config.empty()) {
        std::string mapped = config + "/qmx8350t/ports/" + com;
        // lstat: a link to a device that is unplugged right now still names
        // the port the user chose, and opening it then fails as it should.
        struct stat st;
        if (::lstat(mapped.c_str(), &st) == 0)
            return PortLocation{mapped, PortRule::LinkFolder};
    }
    return PortLocation{"/dev/ttyS" + std::to_string(*number - 1), PortRule::SerialDevice};
}

std::string ResolvePortPath(const std::string &portName)
{
    const std::optional<PortLocation> location = LocatePort(portName);
    return location ? location->path : std::string();
}

} // namespace platform
