#include "cli/link.h"

#include "platform/failure.h"
#include "platform/port_report.h"
#include "platform/port_url.h"
#include "serial/drv232.h"

namespace qmxctl {
namespace {

using platform::FailureKind;

std::string urlPort; // what kUrlPort stands for

// How messages name port n.
std::string Label(int n)
{
    return n == kUrlPort ? urlPort : "COM" + std::to_string(n);
}

std::string PathOf(int n)
{
    const auto location = platform::LocatePort(Drv232::PortName(static_cast<std::uint8_t>(n)));
    return location ? location->path : "";
}

std::string OpenFailure(int n)
{
    const std::string name = "COM" + std::to_string(n);
    const platform::FailureReason why = platform::LastFailure();
    switch (why.kind) {
    case FailureKind::InUse:
        return name + " is in use (another program holds it)";
    case FailureKind::Missing:
        // A port on a device server: the system's words say what did not answer.
        if (platform::MappedUrl(PathOf(n)))
            return name + ": " + why.text + " (" + PathOf(n) + ")";
        return name + ": no such port (" + PathOf(n) + ")";
    case FailureKind::NotAPort:
        // A plain file or a device that is no terminal: named for what it is.
        if (!platform::MappedUrl(PathOf(n)))
            return name + ": " + platform::InspectPort(n).reason.text + " (" + PathOf(n) + ")";
        break;
    case FailureKind::Refused:
        if (std::string advice = platform::PermissionAdvice(platform::InspectPort(n)); !advice.empty())
            return advice;
        break;
    default:
        break;
    }
    return name + ": " + why.text + " (" + PathOf(n) + ")";
}

std::string ExchangeFailure(int n)
{
    const platform::FailureReason why = platform::LastFailure();
    const std::string name = Label(n);
    // A time-out keeps no reason; one kept now comes from this exchange.
    return why.kind != FailureKind::None
               ? name + ": the exchange failed: " + why.text
               : name + ": the display did not answer (no well-formed reply within 1.06 s)";
}

} // namespace

int StoredPort()
{
    Drv232::ParameterRecord = {};
    return Drv232::LoadParameters() ? Drv232::ParameterRecord.Port : 0;
}

bool OpenNamedPort(int n, std::string &message)
{
    platform::ClearFailure();
    if (Drv232::OpenPort(static_cast<std::uint8_t>(n)))
        return true;
    message = OpenFailure(n);
    return false;
}

bool OpenUrlPort(const std::string &url, std::string &message)
{
    urlPort = url;
    platform::ClearFailure();
    if (Drv232::OpenNamedPort(url))
        return true;
    const platform::FailureReason why = platform::LastFailure();
    message = why.text.starts_with(url) ? why.text : url + ": " + why.text;
    return false;
}

bool ExchangeOn(int n, const std::string &value, bool whole, std::string &message)
{
    Drv232::DisplayText = value;
    platform::ClearFailure();
    if (whole ? Drv232::ExchangeWhole() : Drv232::ExchangeValue())
        return true;
    message = ExchangeFailure(n);
    return false;
}

int FindDisplay(std::string &message)
{
    std::string met;
    Drv232::DisplayText = "???";
    const int found = Drv232::SearchDisplay(StoredPort(), [&](std::uint8_t n, bool opened) {
        // No device behind the name: not worth a line, unless the name was
        // mapped to a device server on purpose.
        const FailureKind kind = platform::LastFailure().kind;
        if (!opened && (kind == FailureKind::Missing || kind == FailureKind::Gone) &&
            !platform::MappedUrl(PathOf(n)))
            return;
        met += "\n  " + (opened ? ExchangeFailure(n) : OpenFailure(n));
    });
    if (found)
        return found;
    Drv232::ClosePort();
    message = "no display answered on COM1 to COM29";
    if (std::string problem = platform::PortFolderProblem(); !problem.empty())
        message += ": " + problem;
    message += met;
    return 0;
}

} // namespace qmxctl
