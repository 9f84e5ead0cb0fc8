#pragma once
// qmxctl ports: COM1 to COM29 as this machine has them, as text for a person
// or as JSON for a script.
#include "platform/port_report.h"

#include <optional>
#include <string>
#include <vector>

namespace qmxctl {

struct ListedPort {
    platform::PortStatus status;
    bool probed = false;
    std::optional<std::string> display; // what the display holds (UTF-8), when one answered
};

// The ports as they are; with probe, every free port is also asked for the
// display's value with the search's read exchange.
std::vector<ListedPort> ListPorts(bool probe);

std::string PortsText(const std::vector<ListedPort> &ports);
std::string PortsJson(const std::vector<ListedPort> &ports);

} // namespace qmxctl
