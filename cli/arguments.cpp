#include "cli/arguments.h"

#include "cli/value_text.h"
#include "platform/port_url.h"

#include <charconv>
#include <utility>

namespace qmxctl {
namespace {

// Enough for any URL a device server has, so that a bad port number at its
// end is seen.
constexpr std::size_t kShownUrl = 80;

ParsedArguments Error(std::string why)
{
    return {{}, std::move(why)};
}

ParsedArguments Only(Action action)
{
    Arguments a;
    a.action = action;
    return {a, {}};
}

// The options of mqtt that take a value, and where each goes.
std::string *MqttOption(MqttOptions &m, const std::string &name)
{
    static constexpr std::pair<const char *, std::string MqttOptions::*> kOptions[] = {
        {"--broker", &MqttOptions::broker},
        {"--name", &MqttOptions::name},
        {"--discovery", &MqttOptions::discovery},
        {"--cafile", &MqttOptions::cafile},
        {"--password-file", &MqttOptions::passwordFile},
        {"--state-dir", &MqttOptions::stateDir},
    };
    for (const auto &[option, field] : kOptions)
        if (name == option)
            return &(m.*field);
    return nullptr;
}

} // namespace

ParsedArguments ParseArguments(const std::vector<std::string> &args)
{
    Arguments a;
    std::vector<std::string> words;
    bool options = true;
    bool mqttOptions = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string &arg = args[i];
        if (!options || arg.size() < 2 || arg[0] != '-') {
            words.push_back(arg);
        } else if (arg == "--") {
            // A value may begin with a dash: qmxctl write -- ----
            options = false;
        } else if (arg == "--help" || arg == "-h") {
            return Only(Action::Help);
        } else if (arg == "--version") {
            return Only(Action::Version);
        } else if (arg == "--port" || arg.starts_with("--port=")) {
            std::string value;
            if (arg == "--port") {
                if (i + 1 == args.size())
                    return Error("--port needs a port name, such as COM3");
                value = args[++i];
            } else {
                value = arg.substr(7);
            }
            a.port = platform::PortName::Parse(value);
            if (!a.port && platform::LooksLikeUrl(value))
                return Error(Quoted(value, kShownUrl) + " is no port URL (rfc2217://HOST:PORT or socket://HOST:PORT)");
            if (!a.port)
                return Error(Quoted(value) + " is no port name (COM1 to COM255)");
        } else if (MqttOption(a.mqtt, arg) || arg == "--group" || arg == "--format") {
            if (i + 1 == args.size())
                return Error(arg + " needs a value");
            const std::string &value = args[++i];
            mqttOptions = true;
            if (arg == "--group") {
                a.mqtt.groups.push_back(value);
            } else if (arg == "--format") {
                if (value != "hh:mm" && value != "mm:ss")
                    return Error("--format is hh:mm or mm:ss, not " + Quoted(value));
                a.clock = value == "hh:mm" ? ClockMode::HoursMinutes : ClockMode::MinutesSeconds;
                a.mqtt.formatGiven = true;
            } else {
                *MqttOption(a.mqtt, arg) = value;
            }
        } else if (arg == "--whole") {
            a.whole = true;
        } else if (arg == "--require-sync") {
            a.requireSync = true;
        } else if (arg == "--realtime") {
            a.realtime = true;
        } else if (arg == "--allow-empty") {
            a.allowEmpty = true;
        } else if (arg == "--probe") {
            a.probe = true;
        } else if (arg == "--json") {
            a.json = true;
        } else {
            return Error("unknown option " + Shortened(arg));
        }
    }

    if (words.empty())
        return Error("no command given");
    const std::string &command = words[0];
    std::size_t operands = 0;
    if (command == "write") {
        a.action = Action::Write;
        operands = 1;
    } else if (command == "read") {
        a.action = Action::Read;
    } else if (command == "clock") {
        a.action = Action::Clock;
        operands = 1;
    } else if (command == "mqtt") {
        a.action = Action::Mqtt;
    } else if (command == "ports") {
        a.action = Action::Ports;
    } else {
        return Error("unknown command " + Quoted(command));
    }
    if (words.size() != operands + 1)
        return Error(operands ? command + " takes one argument" : command + " takes no argument");

    if (a.action == Action::Write) {
        a.value = words[1];
        // An unset variable in a script would otherwise blank the display
        // without a word.
        if (a.value.empty() && !a.allowEmpty)
            return Error("write: the value is empty; an empty value blanks the display, which --allow-empty asks for");
    }
    if (a.allowEmpty && a.action != Action::Write)
        return Error("--allow-empty goes with write");
    if (a.action == Action::Clock) {
        if (words[1] == "hh:mm")
            a.clock = ClockMode::HoursMinutes;
        else if (words[1] == "mm:ss")
            a.clock = ClockMode::MinutesSeconds;
        else
            return Error("clock shows hh:mm or mm:ss, not " + Quoted(words[1]));
    }
    if (a.action == Action::Mqtt) {
        if (!a.port)
            return Error("mqtt owns one display's port: name it with --port");
        if (a.mqtt.broker.empty())
            return Error("mqtt needs --broker mqtt://HOST[:PORT] or mqtts://HOST[:PORT]");
        if (!a.mqtt.formatGiven)
            a.clock = ClockMode::HoursMinutes;
    } else if (mqttOptions) {
        return Error("--broker, --name, --group, --discovery, --cafile, --password-file, --state-dir and "
                     "--format go with mqtt");
    }
    const bool clockLike = a.action == Action::Clock || a.action == Action::Mqtt;
    if (a.whole && a.action != Action::Write && !clockLike)
        return Error("--whole goes with write, clock and mqtt");
    if ((a.requireSync || a.realtime) && !clockLike)
        return Error(std::string(a.requireSync ? "--require-sync" : "--realtime") + " goes with clock and mqtt");
    if ((a.probe || a.json) && a.action != Action::Ports)
        return Error(std::string(a.probe ? "--probe" : "--json") + " goes with ports");
    if (a.port && a.action == Action::Ports)
        return Error("ports lists every port; --port does not go with it");
    return {a, {}};
}

std::string UsageText()
{
    return "Usage:\n"
           "  qmxctl [--port COMn] [--whole] [--allow-empty] write VALUE\n"
           "                                               send a value, print the display's reply\n"
           "  qmxctl [--port COMn] read                    print the four characters the display holds\n"
           "  qmxctl [--port COMn] [--whole] [--require-sync] [--realtime] clock hh:mm|mm:ss\n"
           "                                               show the PC's time until Ctrl-C\n"
           "  qmxctl --port COMn [--whole] [--require-sync] [--realtime] mqtt --broker URL\n"
           "         [--name NAME] [--group G]... [--discovery PREFIX] [--cafile FILE]\n"
           "         [--password-file FILE] [--state-dir DIR] [--format hh:mm|mm:ss]\n"
           "                                               show the programme an MQTT broker sets\n"
           "  qmxctl ports [--probe] [--json]              list COM1 to COM29 and who may open them\n"
           "  qmxctl --help | --version\n"
           "\n"
           "--port also takes the URL of a port on a serial device server:\n"
           "rfc2217://HOST:PORT (RFC 2217) or socket://HOST:PORT (raw TCP).\n"
           "Without --port the display is searched for as the window does, from the port\n"
           "stored in Parametry.par of the current folder (COM3 when there is none).\n"
           "A value has up to four characters, sent as Windows-1250 bytes; shorter ones\n"
           "are completed with zero bytes. An empty value (four zero bytes, a blank\n"
           "display) is refused unless --allow-empty is given. --whole sends with the\n"
           "letter C instead of D.\n"
           "clock --require-sync shows ---- while the PC clock is not synchronised;\n"
           "--realtime asks for real-time scheduling, where the system permits it.\n"
           "mqtt: see \"A site's displays on an MQTT broker\" in the README or qmxctl(1).\n"
           "Exit status: 0 done, 1 no display answered or an exchange failed, 2 usage.\n";
}

} // namespace qmxctl
