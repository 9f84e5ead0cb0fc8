// qmxctl: the display from a shell, over the same link, port names and search
// as the window.
#include "cli/arguments.h"
#include "cli/clock_loop.h"
#include "cli/link.h"
#include "cli/mqtt/command.h"
#include "cli/port_listing.h"
#include "cli/system.h"
#include "cli/value_text.h"
#include "text/cp1250.h"
#include "serial/link.h"

#include <iostream>

namespace {

using namespace qmxctl;

constexpr int kDone = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

int Fail(const std::string &message, int status = kFailed)
{
    std::cerr << JournalPrefix(true) << "qmxctl: " << message << "\n";
    return status;
}

void PrintReply(const Drv232::Link &link)
{
    std::cout << textconv::Cp1250ToUtf8(link.ReplyText()) << "\n" << std::flush;
}

// The port of the display: the one named, or the one the search found (which
// leaves the display's value in the reply).
std::optional<platform::PortName> Connect(Drv232::Link &link, const Arguments &a, std::string &message)
{
    if (!a.port)
        return FindDisplay(link, message);
    if (!OpenPort(link, *a.port, message))
        return std::nullopt;
    return a.port;
}

int Run(const Arguments &a)
{
    Drv232::Link link;
    // Without storage an accepted reply is not kept.
    link.NewReplyBuffer();
    switch (a.action) {
    case Action::Help:
        std::cout << UsageText();
        return kDone;
    case Action::Version:
        std::cout << "qmxctl " QMX_VERSION "\n";
        return kDone;
    case Action::Ports: {
        const auto ports = ListPorts(a.probe);
        std::cout << (a.json ? PortsJson(ports) : PortsText(ports));
        return kDone;
    }
    default:
        break;
    }

    const auto log = [](bool warning) {
        return [prefix = JournalPrefix(warning)](const std::string &line) {
            std::cerr << prefix << "qmxctl: " << line << "\n";
        };
    };
    if (a.action == Action::Mqtt)
        return RunMqtt(a, {SleepUntilNextSecond, StopRequested, log(true), log(false)}, QMX_VERSION);

    std::string message;
    std::string value;
    if (a.action == Action::Write) {
        const auto bytes = ValueBytes(a.value, message);
        if (!bytes)
            return Fail(message, kUsage);
        value = *bytes;
    }

    const std::optional<platform::PortName> port = Connect(link, a, message);
    if (!port)
        return Fail(message);

    switch (a.action) {
    case Action::Read:
        if (a.port && !ExchangeOn(link, *port, "???", false, message))
            return Fail(message);
        PrintReply(link);
        return kDone;
    case Action::Write:
        if (!ExchangeOn(link, *port, value, a.whole, message))
            return Fail(message);
        PrintReply(link);
        return kDone;
    case Action::Clock: {
        CatchStopSignals();
        if (a.realtime)
            log(false)(AskForRealTimeScheduling());
        const ClockHooks hooks{SleepUntilNextSecond, StopRequested, log(true), log(false)};
        // Asked to stop, the clock has done its work: a display that failed
        // for a while was reported in the log when it did.
        (void)RunClock(a, link, *port, hooks);
        return kDone;
    }
    default:
        return kUsage;
    }
}

} // namespace

int main(int argc, char *argv[])
{
    const ParsedArguments parsed = ParseArguments(CommandLineArguments(argc, argv));
    if (!parsed.error.empty())
        return Fail(parsed.error + "\nTry 'qmxctl --help'.", kUsage);
    return Run(parsed.arguments);
}
