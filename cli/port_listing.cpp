#include "cli/port_listing.h"

#include "cli/link.h"
#include "net/network_port.h"
#include "text/cp1250.h"

#include <cstdio>

namespace qmxctl {
namespace {

using platform::PortAccess;
using platform::PortRule;

const char *RuleName(PortRule rule)
{
    switch (rule) {
    case PortRule::PortFolder:
        return "port-dir";
    case PortRule::LinkFolder:
        return "link-folder";
    case PortRule::SystemFolder:
        return "system-folder";
    case PortRule::SerialDevice:
        return "serial-device";
    }
    return "";
}

const char *AccessName(PortAccess access)
{
    switch (access) {
    case PortAccess::Missing:
        return "missing";
    case PortAccess::Dangling:
        return "dangling-link";
    case PortAccess::Refused:
        return "refused";
    case PortAccess::InUse:
        return "in-use";
    case PortAccess::Free:
        return "free";
    case PortAccess::NotAPort:
        return "not-a-port";
    case PortAccess::Failed:
        return "failed";
    }
    return "";
}

// A port on a device server that nothing answers for is not missing but
// out of reach.
const char *StateName(const platform::PortStatus &s)
{
    return !s.url.empty() && (s.access == PortAccess::Missing || s.reason.kind == platform::FailureKind::TimedOut)
               ? "unreachable"
               : AccessName(s.access);
}

bool Exists(PortAccess a)
{
    return a != PortAccess::Missing && a != PortAccess::Dangling;
}
// Open got past the permission check when it failed for another reason.
bool MayOpen(PortAccess a)
{
    return Exists(a) && a != PortAccess::Refused;
}

std::string Json(const std::string &text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", static_cast<unsigned>(c));
            out += escape;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

std::string JsonBool(bool value)
{
    return value ? "true" : "false";
}

} // namespace

std::vector<ListedPort> ListPorts(bool probe)
{
    std::vector<ListedPort> ports;
    for (platform::PortStatus &status : platform::InspectPorts(net::OpenNetworkPort)) {
        ListedPort port;
        port.status = std::move(status);
        if (probe && port.status.access == PortAccess::Free) {
            port.probed = true;
            std::string why;
            const platform::PortName name = platform::PortName::Com(unsigned(port.status.number));
            Drv232::Link link;
            link.NewReplyBuffer();
            if (OpenPort(link, name, why) && ExchangeOn(link, name, "???", false, why))
                port.display = textconv::Cp1250ToUtf8(link.ReplyText());
        }
        ports.push_back(std::move(port));
    }
    return ports;
}

std::string PortsText(const std::vector<ListedPort> &ports)
{
    // Not one port but all of them: said once, before them.
    std::string out = platform::PortFolderProblem();
    if (!out.empty())
        out += "; no COM name leads anywhere\n";
    for (const ListedPort &port : ports) {
        const platform::PortStatus &s = port.status;
        out += s.name + "  " + s.location.path;
        if (!s.device.empty() && s.device != s.location.path)
            out += " -> " + s.device;
        out += std::string("  (") + RuleName(s.location.rule) + ")  " + StateName(s);
        if (s.access != PortAccess::Free && (s.access != PortAccess::Missing || !s.url.empty()))
            out += ": " + s.reason.text;
        if (!s.byId.empty())
            out += "  by-id " + s.byId;
        if (port.probed)
            out += port.display ? "  display \"" + *port.display + "\"" : "  no display";
        out += "\n";
        if (std::string advice = platform::PermissionAdvice(s); !advice.empty())
            out += "    " + advice + "\n";
    }
    return out;
}

std::string PortsJson(const std::vector<ListedPort> &ports)
{
    std::string out = "[\n";
    for (std::size_t i = 0; i < ports.size(); ++i) {
        const platform::PortStatus &s = ports[i].status;
        out += "  {\"port\": " + Json(s.name) + ", \"path\": " + Json(s.location.path) +
               ", \"rule\": " + Json(std::string(RuleName(s.location.rule))) + ", \"device\": " + Json(s.device) +
               ", \"state\": " + Json(std::string(StateName(s))) + ", \"exists\": " + JsonBool(Exists(s.access)) +
               ", \"may_open\": " + JsonBool(MayOpen(s.access)) +
               ", \"in_use\": " + JsonBool(s.access == PortAccess::InUse) +
               ", \"reason\": " + Json(s.access == PortAccess::Free ? std::string() : s.reason.text) +
               ", \"by_id\": " + Json(s.byId) + ", \"url\": " + Json(s.url) +
               ", \"hint\": " + Json(platform::PermissionAdvice(s));
        if (ports[i].probed)
            out += ", \"display\": " + (ports[i].display ? Json(*ports[i].display) : std::string("null"));
        out += i + 1 < ports.size() ? "},\n" : "}\n";
    }
    return out + "]\n";
}

} // namespace qmxctl
