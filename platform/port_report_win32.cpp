// Looking at the ports behind the COM names on Windows: each is opened once
// and closed at once, its line settings untouched.
#include "platform/port_report.h"
#include "platform/win32_failure.h"

#include "platform/failure.h"

namespace platform {

PortStatus InspectPort(int number, NetworkConnector)
{
    PortStatus port;
    port.number = number;
    port.name = PortName::Com(number).Label();
    port.location = LocatePort(port.name).value_or(PortLocation{});

    const HANDLE handle = ::CreateFileW(Widen(port.location.path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                        OPEN_EXISTING, 0, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        Win32Failure();
        port.reason = LastFailure();
        port.access = AccessAfter(port.reason.kind);
        if (port.access != PortAccess::Missing)
            port.device = port.location.path;
        return port;
    }
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (::GetCommState(handle, &dcb)) {
        port.access = PortAccess::Free;
    } else {
        port.access = PortAccess::NotAPort;
        port.reason = {FailureKind::NotAPort, int(::GetLastError()), "not a comm device"};
    }
    ::CloseHandle(handle);
    port.device = port.location.path;
    return port;
}

std::string PortFolderProblem()
{
    return {};
}

// Windows gives a COM port to every user who logs on; what refuses one is
// another program holding it.
std::string PermissionAdvice(const PortStatus &)
{
    return {};
}

} // namespace platform
