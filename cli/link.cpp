#include "cli/link.h"

#include "platform/failure.h"
#include "platform/port_report.h"
#include "serial/drv232.h"

#include <cerrno>

namespace qmxctl {
namespace {

std::string PathOf(int n)
{
    const auto location = platform::LocatePort(Drv232::PortName(static_cast<std::uint8_t>(n)));
    return location ? location->path : "";
}

std::string OpenFailure(int n)
{
    const std::string name = "COM" + std::to_string(n);
    const platform::FailureReason why = platform::LastFailure();
    switch (why.code) {
    case EBUSY:
        return name + " is in use (another program holds it)";
    case ENOENT:
        return name + ": no such port (" + PathOf(n) + ")";
    case EACCES:
    case EPERM:
        if (std::string advice = platform::PermissionAdvice(platform::InspectPort(n)); !advice.empty())
            return advice;
        break;
    }
    return name + ": " + why.text + " (" + PathOf(n) + ")";
}

// No device behind the name: not worth a line when the search lists what it met.
bool Absent(int code)
{
    return code == ENOENT || code == ENXIO || code == ENODEV || code == EIO;
}

} // namespace

std::vector<int> SearchOrder(int storedPort)
{
    int n = storedPort;
    std::vector<int> order;
    for (int tries = 0; tries < 29; ++tries) {
        n = n == 1 ? 29 : n - 1;
        order.push_back(n);
    }
    return order;
}

int StoredPort()
{
    Drv232::ParameterRecord = {};
    const int port = Drv232::LoadParameters() ? Drv232::ParameterRecord.Port : 0;
    return port >= 1 && port <= 29 ? port : 3;
}

bool OpenNamedPort(int n, std::string &message)
{
    platform::ClearFailure();
    if (Drv232::OpenPort(static_cast<std::uint8_t>(n)))
        return true;
    message = OpenFailure(n);
    return false;
}

bool ExchangeOn(int n, const std::string &value, bool whole, std::string &message)
{
    Drv232::DisplayText = value;
    // A time-out keeps no reason; one kept now comes from this exchange.
    platform::ClearFailure();
    if (whole ? Drv232::ExchangeWhole() : Drv232::ExchangeValue())
        return true;
    const platform::FailureReason why = platform::LastFailure();
    const std::string name = "COM" + std::to_string(n);
    message = why.code ? name + ": the exchange failed: " + why.text
                       : name + ": the display did not answer (no well-formed reply within 1.06 s)";
    return false;
}

int FindDisplay(std::string &message)
{
    std::string met;
    for (int n : SearchOrder(StoredPort())) {
        std::string why;
        if (OpenNamedPort(n, why)) {
            if (ExchangeOn(n, "???", false, why))
                return n;
        } else if (Absent(platform::LastFailure().code)) {
            continue;
        }
        met += "\n  " + why;
    }
    Drv232::ClosePort();
    message = "no display answered on COM1 to COM29" + met;
    return 0;
}

} // namespace qmxctl
