#pragma once
// The command line of qmxctl.
#include "platform/port_name.h"

#include <optional>
#include <string>
#include <vector>

namespace qmxctl {

enum class Action { Write, Read, Clock, Mqtt, Ports, Help, Version };
enum class ClockMode { HoursMinutes, MinutesSeconds };

// qmxctl mqtt: the display's programme from an MQTT broker.
struct MqttOptions {
    std::string broker;              // --broker mqtt://HOST[:PORT] or mqtts://...
    std::string name;                // --name; empty: the host's name and the port's
    std::vector<std::string> groups; // --group, each repeated
    std::string discovery;           // --discovery PREFIX; empty: none
    std::string cafile;              // --cafile FILE
    std::string passwordFile;        // --password-file FILE
    std::string stateDir;            // --state-dir DIR
    bool formatGiven = false;        // --format hh:mm|mm:ss (in clock); else hh:mm
};

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
    MqttOptions mqtt;
    bool probe = false; // ports --probe
    bool json = false;  // ports --json
};

struct ParsedArguments {
    Arguments arguments;
    std::string error; // empty when the arguments are good
};

// args excludes the program name.
ParsedArguments ParseArguments(const std::vector<std::string> &args);

std::string UsageText();

} // namespace qmxctl
