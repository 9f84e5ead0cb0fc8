#include "command_line.h"

namespace {

constexpr const char *kHelp = "Usage: qmx8350t [options]\n"
                              "Drives the QMX8350T time display over a serial line (COM1 to COM29).\n"
                              "Settings are kept in Parametry.par in the working directory.\n"
                              "\n"
                              "Options:\n"
                              "  -h, --help     Shows this help and exits.\n"
                              "  -v, --version  Shows the version and exits.\n"
                              "  --service      Opens the main window with the service controls shown, for\n"
                              "                 a technician.\n";

} // namespace

CommandLine ParseCommandLine(const std::vector<std::string> &arguments)
{
    CommandLine result;
    bool help = false, version = false;
    std::vector<std::string> positional;
    bool optionsEnd = false;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string &arg = arguments[i];
        if (optionsEnd || arg.size() < 2 || arg[0] != '-') {
            positional.push_back(arg);
            continue;
        }
        if (arg == "--") {
            optionsEnd = true;
            continue;
        }
        // One dash or two: "-service" is "--service", as on Windows' own
        // command lines.
        std::string name = arg.substr(arg[1] == '-' ? 2 : 1);
        const std::size_t equals = name.find('=');
        const bool hasValue = equals != std::string::npos;
        name = name.substr(0, equals);
        bool *flag = name == "h" || name == "help"      ? &help
                     : name == "v" || name == "version" ? &version
                     : name == "service"                ? &result.service
                                                        : nullptr;
        if (!flag) {
            result.action = CommandLine::Action::Error;
            result.text = "Unknown option '" + name + "'.";
            return result;
        }
        if (hasValue) {
            result.action = CommandLine::Action::Error;
            result.text = "Unexpected value after '" + arg.substr(0, arg.find('=')) + "'.";
            return result;
        }
        *flag = true;
    }
    if (!positional.empty()) {
        result.action = CommandLine::Action::Error;
        result.text = "Unexpected argument '" + positional.front() + "'.";
    } else if (help) {
        result.action = CommandLine::Action::Help;
        result.text = kHelp;
    } else if (version) {
        result.action = CommandLine::Action::Version;
    }
    return result;
}
