#include "sim/command_line.h"

#include <algorithm>
#include <charconv>
#include <utility>

namespace sim {
namespace {

constexpr std::pair<std::string_view, Behaviour> kBehaviours[] = {
    {"normal", Behaviour::Normal},    {"silent", Behaviour::Silent},  {"wrong-terminator", Behaviour::WrongTerminator},
    {"short", Behaviour::ShortReply}, {"slow", Behaviour::SlowBytes}, {"stray", Behaviour::StrayByte},
    {"mmmm", Behaviour::AlwaysMMMM},
};

// COM1 .. COM255: the program names its ports with one byte.
bool PortFromName(std::string_view name, int &port)
{
    if (name.size() < 4 || name.substr(0, 3) != "COM")
        return false;
    const char *first = name.data() + 3;
    const char *last = name.data() + name.size();
    const auto [end, ec] = std::from_chars(first, last, port);
    return ec == std::errc{} && end == last && *first != '0' && port >= 1 && port <= 255;
}

} // namespace

bool BehaviourFromName(std::string_view name, Behaviour &behaviour)
{
    for (const auto &[text, value] : kBehaviours) {
        if (text == name) {
            behaviour = value;
            return true;
        }
    }
    return false;
}

std::string_view BehaviourName(Behaviour behaviour)
{
    for (const auto &[text, value] : kBehaviours)
        if (value == behaviour)
            return text;
    return "?";
}

std::string BehaviourNames()
{
    std::string names;
    for (const auto &[text, value] : kBehaviours)
        names += (names.empty() ? "" : "|") + std::string(text);
    return names;
}

std::string UsageText()
{
    return "Usage: qmx8350t-sim [--port-dir DIR] [--value XXXX]\n"
           "                    [--behaviour " +
           BehaviourNames() +
           "]\n"
           "                    [--control FIFO] [--pacing] [--plain] COMn [COMm ...]\n"
           "Emulates the QMX8350T display on pseudo-terminals linked as DIR/COMn\n"
           "(default COM3).\n"
           "  --port-dir DIR   folder for the port links (default: $QMX_PORT_DIR)\n"
           "  --value XXXX     the four characters the display holds at start (0000)\n"
           "  --behaviour B    how the display answers (normal)\n"
           "  --control FIFO   read control words from FIFO (made when missing), one a\n"
           "                   line, for every port: a behaviour as above, or gone (the\n"
           "                   pty and its link go, as a pulled-out adapter) and back\n"
           "                   (a new pty under the same name); normal also brings it back\n"
           "  --pacing         send answers at 9600 baud speed instead of at once\n"
           "  --plain          print log lines only, no screen drawing\n"
           "  --help           show this text\n"
           "Ctrl-C ends the emulator and removes its links.\n";
}

ParsedCommandLine ParseCommandLine(const std::vector<std::string> &args, const char *envPortDir)
{
    ParsedCommandLine parsed;
    CommandLine &cmd = parsed.command;
    auto fail = [&](std::string message) {
        parsed.error = std::move(message);
        return parsed;
    };

    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        std::string inlineValue;
        bool hasInlineValue = false;
        if (arg.rfind("--", 0) == 0) {
            if (const auto eq = arg.find('='); eq != std::string::npos) {
                inlineValue = arg.substr(eq + 1);
                arg.resize(eq);
                hasInlineValue = true;
            }
        }
        auto takeValue = [&](std::string &into) {
            if (hasInlineValue) {
                into = inlineValue;
                return true;
            }
            if (i + 1 >= args.size())
                return false;
            into = args[++i];
            return true;
        };
        auto noValue = [&] { return !hasInlineValue; };

        if (arg == "--help" && noValue()) {
            cmd.help = true;
        } else if (arg == "--plain" && noValue()) {
            cmd.plain = true;
        } else if (arg == "--pacing" && noValue()) {
            cmd.pacing = true;
        } else if (arg == "--port-dir") {
            if (!takeValue(cmd.portDir) || cmd.portDir.empty())
                return fail("--port-dir needs a folder");
        } else if (arg == "--control") {
            if (!takeValue(cmd.control) || cmd.control.empty())
                return fail("--control needs a FIFO");
        } else if (arg == "--value") {
            if (!takeValue(cmd.value) || cmd.value.size() != 4)
                return fail("--value needs exactly four characters");
        } else if (arg == "--behaviour") {
            std::string name;
            if (!takeValue(name) || !BehaviourFromName(name, cmd.behaviour))
                return fail("--behaviour needs one of " + BehaviourNames());
        } else if (arg.rfind("-", 0) == 0) {
            return fail("unknown option " + args[i]);
        } else {
            int port = 0;
            if (!PortFromName(arg, port))
                return fail("not a port name: " + arg + " (expected COM1 .. COM255)");
            if (std::find(cmd.ports.begin(), cmd.ports.end(), port) != cmd.ports.end())
                return fail(arg + " is given twice");
            cmd.ports.push_back(port);
        }
    }
    if (cmd.help)
        return parsed;
    if (cmd.ports.empty())
        cmd.ports.push_back(3);
    if (cmd.portDir.empty() && envPortDir != nullptr)
        cmd.portDir = envPortDir;
    if (cmd.portDir.empty())
        return fail("no folder for the port links: give --port-dir DIR or set QMX_PORT_DIR");
    return parsed;
}

} // namespace sim
