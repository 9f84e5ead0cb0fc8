#pragma once
// The bridge's one way to the display's port: opening it on a link of its
// own, and what the state says about it. The exchanges themselves are the
// clock loop's.
#include "cli/arguments.h"
#include "serial/link.h"

#include <optional>
#include <string>

namespace qmxmqtt {

struct DisplayPort {
    Drv232::Link link;       // the display's link, its port open
    platform::PortName name; // "COM5", or the URL given
    std::string leadsTo;     // the device path, or the URL the name is mapped to
};

// Opens the port a names; nullopt with message saying why not.
std::optional<DisplayPort> OpenDisplayPort(const qmxctl::Arguments &a, std::string &message);

} // namespace qmxmqtt
