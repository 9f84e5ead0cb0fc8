// Maps Windows port names onto device paths. A user can point a COM name at
// any device (a USB adapter, a pseudo-terminal) with a link in the program's
// configuration folder, and the administrator with one in /etc/qmx8350t/ports
// (for every user, and for a service that has no home); QMX_PORT_DIR replaces
// both folders altogether so that tests never touch real ports.
#include "platform/port_name.h"
#include "platform/port_report.h"
#include "platform/serial_device.h"

#include <sys/stat.h>

#include <cstdlib>
#include <optional>

namespace platform {
namespace {

const std::string defaultSystemFolder = "/etc/qmx8350t/ports";
std::string systemFolder = defaultSystemFolder;

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

// lstat: a link to a device that is unplugged right now still names the port
// that was chosen, and opening it then fails as it should.
bool Present(const std::string &path)
{
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

} // namespace

void SetSystemPortFolder(const std::string &folder)
{
    systemFolder = folder.empty() ? defaultSystemFolder : folder;
}

std::optional<PortLocation> LocatePort(const std::string &portName)
{
    const std::optional<unsigned> number = ComPortNumber(portName);
    if (!number)
        return std::nullopt;
    const std::string com = PortName::Com(*number).Label();

    if (std::string portDir = Environment("QMX_PORT_DIR"); !portDir.empty())
        return PortLocation{portDir + "/" + com, PortRule::PortFolder};

    if (std::string config = ConfigFolder(); !config.empty()) {
        if (std::string mapped = config + "/qmx8350t/ports/" + com; Present(mapped))
            return PortLocation{mapped, PortRule::LinkFolder};
    }
    if (std::string mapped = systemFolder + "/" + com; Present(mapped))
        return PortLocation{mapped, PortRule::SystemFolder};
    return PortLocation{"/dev/ttyS" + std::to_string(*number - 1), PortRule::SerialDevice};
}

std::string ResolvePortPath(const std::string &portName)
{
    const std::optional<PortLocation> location = LocatePort(portName);
    return location ? location->path : std::string();
}

} // namespace platform
