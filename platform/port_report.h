#pragma once
// What stands behind each COM name on this machine: where it leads, by which
// rule, and whether this user can have it. For the port listing of qmxctl and
// for the hint the window prints when its search found nothing.
#include "platform/failure.h"
#include "platform/port_name.h"
#include "platform/serial_device.h"

#include <optional>
#include <string>
#include <vector>

namespace platform {

enum class PortRule {
    PortFolder,   // $QMX_PORT_DIR/COMn
    LinkFolder,   // the user's $XDG_CONFIG_HOME/qmx8350t/ports/COMn
    SystemFolder, // the administrator's /etc/qmx8350t/ports/COMn
    SerialDevice, // /dev/ttyS<n-1>
};

// POSIX: puts another folder in the place of /etc/qmx8350t/ports, for tests;
// an empty name puts that one back.
void SetSystemPortFolder(const std::string &folder);

struct PortLocation {
    std::string path;
    PortRule rule = PortRule::SerialDevice;
};

// The path a COM name stands for and the rule that chose it; nullopt when the
// name is no COM port name. ResolvePortPath gives the same path.
std::optional<PortLocation> LocatePort(const std::string &portName);

enum class PortAccess {
    Missing,  // nothing at the path
    Dangling, // a link whose target is gone (an unplugged adapter)
    Refused,  // exists, but this user may not open it
    InUse,    // another program holds it
    Free,     // this user could open it now
    NotAPort, // a plain file, a FIFO, a folder or a device that is no terminal
    Failed,   // exists, but opening fails for another reason
};

// The access a failure of that kind leaves.
PortAccess AccessAfter(FailureKind kind);

struct PortStatus {
    int number = 0;   // n of COMn
    std::string name; // COMn
    PortLocation location;
    std::string device; // the path with every link followed; empty when missing
    PortAccess access = PortAccess::Missing;
    FailureReason reason; // why it is not Free
    std::string byId;     // its name in /dev/serial/by-id, for USB adapters
    std::string group;    // the device's group, when that group may open it
    std::string url;      // a port on a serial device server: its URL
};

// Fills in a port whose mapping file names url: whether the server answers
// there and takes a client now (Free), serves another (InUse), or what else.
// The port listing connects to a server through network, as a port open does.
void InspectNetworkPort(PortStatus &port, const std::string &url, NetworkConnector network);

// Looks at the port without changing its line settings or taking it.
PortStatus InspectPort(int number, NetworkConnector network);
// Why the ports folder that QMX_PORT_DIR names holds no port (it does not
// exist, or is no folder); empty when it can hold ports or none is named.
std::string PortFolderProblem();

// COM1 to COM29, the ports the window's search tries.
std::vector<PortStatus> InspectPorts(NetworkConnector network);

// For a refused port, what the user can do about it; empty otherwise.
std::string PermissionAdvice(const PortStatus &port);
// The advice for every refused port among COM1 to COM29, a line each; empty
// when none is refused.
std::string PermissionHint(NetworkConnector network);

} // namespace platform
