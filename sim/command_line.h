#pragma once
// The arguments of the qmx8350t-sim command.
#include "sim/display_sim.h"

#include <string>
#include <string_view>
#include <vector>

namespace sim {

struct CommandLine {
    std::string portDir;
    std::string control; // a FIFO that control words are read from
    std::string value = "0000";
    Behaviour behaviour = Behaviour::Normal;
    bool pacing = false;
    bool plain = false;
    bool help = false;
    std::vector<int> ports; // n of each COMn, in the order given
};

struct ParsedCommandLine {
    CommandLine command;
    std::string error; // empty when the arguments are good
};

// args excludes the program name; envPortDir is QMX_PORT_DIR or nullptr.
ParsedCommandLine ParseCommandLine(const std::vector<std::string> &args, const char *envPortDir);

std::string UsageText();

// The names used on the command line: normal, silent, wrong-terminator, ...
bool BehaviourFromName(std::string_view name, Behaviour &behaviour);
std::string_view BehaviourName(Behaviour behaviour);
// All of them: "normal|silent|...|mmmm".
std::string BehaviourNames();

} // namespace sim
