#include "cli/link.h"

#include "net/network_port.h"
#include "platform/failure.h"
#include "platform/port_report.h"
#include "platform/port_url.h"

namespace qmxctl {
namespace {

using platform::FailureKind;
using platform::PortName;

std::string OpenFailure(const PortName &port)
{
    const std::string &name = port.Label();
    const platform::FailureReason why = platform::LastFailure();
    if (port.IsUrl())
        return why.text.starts_with(name) ? why.text : name + ": " + why.text;
    switch (why.kind) {
    case FailureKind::InUse:
        return name + " is in use (another program holds it)";
    case FailureKind::Missing:
        // A port on a device server: the system's words say what did not answer.
        if (platform::MappedUrl(port.Path()))
            return name + ": " + why.text + " (" + port.Path() + ")";
        return name + ": no such port (" + port.Path() + ")";
    case FailureKind::NotAPort:
        // A plain file or a device that is no terminal: named for what it is.
        if (!platform::MappedUrl(port.Path()))
            return name + ": " + platform::InspectPort(int(port.Number()), net::OpenNetworkPort).reason.text + " (" +
                   port.Path() + ")";
        break;
    case FailureKind::Refused:
        if (std::string advice =
                platform::PermissionAdvice(platform::InspectPort(int(port.Number()), net::OpenNetworkPort));
            !advice.empty())
            return advice;
        break;
    default:
        break;
    }
    return name + ": " + why.text + " (" + port.Path() + ")";
}

std::string ExchangeFailure(const PortName &port)
{
    const platform::FailureReason why = platform::LastFailure();
    // A time-out keeps no reason; one kept now comes from this exchange.
    return why.kind != FailureKind::None
               ? port.Label() + ": the exchange failed: " + why.text
               : port.Label() + ": the display did not answer (no well-formed reply within 1.06 s)";
}

} // namespace

PortName StoredPort(Drv232::Link &link)
{
    link.ParameterRecord = {};
    return PortName::Stored(link.LoadParameters() ? link.ParameterRecord.Port : 0);
}

bool OpenPort(Drv232::Link &link, const PortName &port, std::string &message)
{
    platform::ClearFailure();
    if (link.Open(port))
        return true;
    message = OpenFailure(port);
    return false;
}

bool ExchangeOn(Drv232::Link &link, const PortName &port, const std::string &value, bool whole, std::string &message)
{
    platform::ClearFailure();
    if (link.Exchange(value, whole))
        return true;
    message = ExchangeFailure(port);
    return false;
}

std::optional<PortName> FindDisplay(Drv232::Link &link, std::string &message)
{
    std::string met;
    link.DisplayText = "???";
    const auto found = link.SearchDisplay(StoredPort(link), [&](const PortName &port, bool opened) {
        // No device behind the name: not worth a line, unless the name was
        // mapped to a device server on purpose.
        const FailureKind kind = platform::LastFailure().kind;
        if (!opened && (kind == FailureKind::Missing || kind == FailureKind::Gone) && !platform::MappedUrl(port.Path()))
            return;
        met += "\n  " + (opened ? ExchangeFailure(port) : OpenFailure(port));
    });
    if (found)
        return found;
    link.Close();
    message =
        "no display answered on " + PortName::Com(1).Label() + " to " + PortName::Com(PortName::kLastSearched).Label();
    if (std::string problem = platform::PortFolderProblem(); !problem.empty())
        message += ": " + problem;
    message += met;
    return std::nullopt;
}

} // namespace qmxctl
