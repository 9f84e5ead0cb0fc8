#pragma once
// The command line of qmxctl.
#include "platform/port_name.h"

#include <optional>
#include <string>
#include <vector>

namespace qmxctl {

enum class Action { Write, Read, Clock, Ports, Help, Version };
enum class ClockMode { HoursMinutes, MinutesSeconds };

struct Arguments {
    Action action = Action::Help;
    // --port COMn, rfc2217://HOST:PORT or socket://HOST:PORT; none: search
    // as the window does
    std::optional<platform::PortName> port;
    bool whole = false;      // --whole: letter C instead of D
    std::string value;       // write: the text as typed (UTF-8)
    bool allowEmpty = false; // --allow-empty: write may send an empty value
    ClockMode clock = ClockMode::MinutesSeconds;
    bool requireSync = false; // clock --require-sync: "----" while the PC clock is not synchronised
    bool realtime = false;    // clock --realtime: real-time scheduling where permitted
    bool probe = false;      // ports --probe
    bool json = false;       // ports --json
};

struct ParsedArguments {
    Arguments arguments;
    std::string error; // empty when the arguments are good
};

// args excludes the program name.
ParsedArguments ParseArguments(const std::vector<std::string> &args);

std::string UsageText();

} // namespace qmxctl
