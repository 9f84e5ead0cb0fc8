// Looking at the ports behind the COM names without disturbing them: no line
// settings are touched and no lock is kept, so a listing run beside the
// window changes nothing for it.
#include "platform/port_report.h"
#include "platform/port_url.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace platform {
namespace {

FailureReason Reason(int code)
{
    return {KindOfError(code), code, std::system_category().message(code)};
}

FailureReason NoPort(const char *what)
{
    return {FailureKind::NotAPort, ENOTTY, std::string(what) + ", not a serial port"};
}

// What a name that is no character device leads to.
const char *NoDeviceWhat(const struct stat &st)
{
    if (S_ISREG(st.st_mode))
        return "a regular file";
    if (S_ISFIFO(st.st_mode))
        return "a FIFO";
    if (S_ISDIR(st.st_mode))
        return "a folder";
    if (S_ISSOCK(st.st_mode))
        return "a socket";
    return "no device";
}

std::string RealPath(const std::string &path)
{
    char buffer[PATH_MAX];
    return ::realpath(path.c_str(), buffer) ? buffer : "";
}

// udev names USB adapters by vendor, model and serial number there; that name
// stays the same whichever ttyUSB number the adapter gets.
std::string ByIdName(const std::string &device)
{
    std::error_code ec;
    for (const auto &entry : std::filesystem::directory_iterator("/dev/serial/by-id", ec))
        if (RealPath(entry.path().string()) == device)
            return entry.path().filename().string();
    return {};
}

std::string GroupThatMayOpen(const struct stat &st)
{
    if ((st.st_mode & (S_IRGRP | S_IWGRP)) != (S_IRGRP | S_IWGRP))
        return {};
    const struct group *g = ::getgrgid(st.st_gid);
    return g ? g->gr_name : std::to_string(st.st_gid);
}

// Opens and closes the port once. O_NONBLOCK: a modem line without carrier
// must not hold the listing up.
void TryOpen(PortStatus &port)
{
    const int fd = ::open(port.location.path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        // EBUSY: another program set TIOCEXCL.
        port.reason = Reason(errno);
        port.access = AccessAfter(port.reason.kind);
        return;
    }
    if (::isatty(fd) != 1) {
        // /dev/null, /dev/zero and their kind open as well as a port does.
        port.access = PortAccess::NotAPort;
        port.reason = NoPort("a device that is no terminal");
    } else if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        // The window and qmxctl lock their port; TIOCEXCL does not stop root.
        port.access = PortAccess::InUse;
        port.reason = Reason(EBUSY);
    } else {
        port.access = PortAccess::Free;
        (void)::flock(fd, LOCK_UN);
    }
    ::close(fd);
}

} // namespace

PortStatus InspectPort(int number, NetworkConnector network)
{
    PortStatus port;
    port.number = number;
    port.name = PortName::Com(number).Label();
    port.location = LocatePort(port.name).value_or(PortLocation{});

    const char *path = port.location.path.c_str();
    struct stat st;
    if (::lstat(path, &st) != 0) {
        port.reason = Reason(errno);
        // Not one name but the folder is missing: say so, for every port.
        if (port.location.rule == PortRule::PortFolder)
            if (std::string problem = PortFolderProblem(); !problem.empty())
                port.reason.text = problem;
        return port;
    }
    if (::stat(path, &st) != 0) {
        port.access = errno == ENOENT ? PortAccess::Dangling : PortAccess::Failed;
        port.reason = Reason(errno);
        return port;
    }
    port.device = RealPath(port.location.path);
    port.byId = ByIdName(port.device);
    port.group = GroupThatMayOpen(st);
    // Opening a FIFO or a folder as a port would wait for a writer or fail
    // for a reason that says nothing to a user.
    if (std::optional<std::string> url = MappedUrl(port.location.path)) {
        InspectNetworkPort(port, *url, network);
        return port;
    }
    if (!S_ISCHR(st.st_mode)) {
        // What this user may not open is refused first, whatever it is.
        if (::access(path, R_OK | W_OK) != 0 && (errno == EACCES || errno == EPERM)) {
            port.reason = Reason(errno);
            port.access = PortAccess::Refused;
        } else {
            port.access = PortAccess::NotAPort;
            port.reason = NoPort(NoDeviceWhat(st));
            // Meant as a mapping, perhaps: what the file says instead of a URL.
            if (const std::optional<std::string> line = MappingLine(path); line && !line->empty())
                port.reason.text += ", and its first line is no port URL (rfc2217://HOST:PORT or "
                                    "socket://HOST:PORT): \"" +
                                    Printable(*line, 40) + "\"";
        }
        return port;
    }
    TryOpen(port);
    return port;
}

std::string PortFolderProblem()
{
    const char *folder = std::getenv("QMX_PORT_DIR");
    if (!folder || !*folder)
        return {};
    struct stat st;
    if (::stat(folder, &st) != 0)
        return std::string("the ports folder QMX_PORT_DIR (") + folder + ") does not exist";
    if (!S_ISDIR(st.st_mode))
        return std::string("the ports folder QMX_PORT_DIR (") + folder + ") is no folder";
    return {};
}

std::string PermissionAdvice(const PortStatus &port)
{
    if (port.access != PortAccess::Refused)
        return {};
    const std::string what = port.name + " (" + (port.device.empty() ? port.location.path : port.device) + ")";
    // A mapping file to a device server (an empty file maps nothing): no
    // group helps, reading it does.
    struct stat st;
    if (::stat(port.location.path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0 &&
        ::access(port.location.path.c_str(), R_OK) != 0)
        return port.name + ": the file " + port.location.path +
               " may not be read by this user; a file that maps a COM name must be readable by every user"
               " of the port (a service's too): sudo chmod a+r " +
               port.location.path;
    if (!port.group.empty())
        return what + " may not be opened by this user; members of the group " + port.group +
               " may: sudo adduser \"$USER\" " + port.group + ", then log in again";
    return what + " may not be opened by this user, nor by its group; give the device to the group"
                  " dialout (a udev rule, see the README), then: sudo adduser \"$USER\" dialout, and log"
                  " in again";
}

} // namespace platform
