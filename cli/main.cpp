// qmxctl: the display from a shell, over the same link, port names and search
// as the window.
#include "cli/arguments.h"
#include "cli/clock_loop.h"
#include "cli/link.h"
#include "cli/mqtt/command.h"
#include "cli/port_listing.h"
#include "cli/system.h"
#include "cli/value_text.h"
#include "platform/cp1250.h"
#include "serial/drv232.h"

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

void PrintReply()
{
    std::cout << platform::Cp1250ToUtf8(Drv232::ReplyText()) << "\n" << std::flush;
}

// The port of the display: the one named, or the one the search found (which
// leaves the display's value in the reply).
int Connect(const Arguments &a, std::string &message)
{
    if (a.portUrl)
        return OpenUrlPort(*a.portUrl, message) ? kUrlPort : 0;
    if (!a.port)
        return FindDisplay(message);
    return OpenNamedPort(*a.port, message) ? *a.port : 0;
}

int Run(const Arguments &a)
{
    // Without storage an accepted reply is not kept.
    Drv232::NewReplyBuffer();
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

    const int port = Connect(a, message);
    if (port == 0)
        return Fail(message);

    switch (a.action) {
    case Action::Read:
        if ((a.port || a.portUrl) && !ExchangeOn(port, "???", false, message))
            return Fail(message);
        PrintReply();
        return kDone;
    case Action::Write:
        if (!ExchangeOn(port, value, a.whole, message))
            return Fail(message);
        PrintReply();
        return kDone;
    case Action::Clock: {
        CatchStopSignals();
        if (a.realtime)
            AskForRealTimeScheduling();
        const ClockHooks hooks{SleepUntilNextSecond, StopRequested, log(true), log(false)};
        return RunClock(a, port, hooks) ? kDone : kFailed;
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
    const int status = Run(parsed.arguments);
    Drv232::ClosePort();
    return status;
}
