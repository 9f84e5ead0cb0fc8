// Looking at the ports behind the COM names on Windows: each is opened once
// and closed at once, its line settings untouched.
#include "platform/port_report.h"
#include "platform/win32_failure.h"

#include "platform/failure.h"

namespace platform {

PortStatus InspectPort(int number)
{
    PortStatus port;
    port.number = number;
    port.name = "COM" + std::to_string(number);
    port.location = LocatePort(port.name).value_or(PortLocation{});

    const HANDLE handle = ::CreateFileW(Widen(port.location.path).c_str(), GENERIC_READ | GENERIC_WRITE, 0,
                                        nullptr, OPEN_EXISTING, 0, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        ::CloseHandle(handle);
        port.device = port.location.path;
        port.access = PortAccess::Free;
        return port;
    }
    const DWORD error = ::GetLastError();
    Win32Failure(error);
    port.reason = LastFailure();
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
        port.access = PortAccess::Missing;
        break;
    // A comm port that another program holds answers "access denied".
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
        port.device = port.location.path;
        port.access = PortAccess::InUse;
        break;
    default:
        port.device = port.location.path;
        port.access = PortAccess::Failed;
        break;
    }
    return port;
}

// Windows gives a COM port to every user who logs on; what refuses one is
// another program holding it.
std::string PermissionAdvice(const PortStatus &) { return {}; }

} // namespace platform
