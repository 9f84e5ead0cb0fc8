#pragma once
// The bridge's topics, built only from the configured name and groups, never
// from text that came over the network.
#include <string>
#include <vector>

namespace qmxmqtt {

// Names and groups are one topic level of letters, digits, '-', '_' and '.'.
bool IsTopicName(const std::string &name);

// The default name: the host's name and the port's label, each character
// that may not stand in a topic name made '_'.
std::string DefaultName(const std::string &host, const std::string &portLabel);

struct Topics {
    std::string base; // qmx8350t/NAME
    std::string availability() const { return base + "/availability"; }
    std::string state() const { return base + "/state"; }
    std::string set() const { return base + "/set"; }
    std::string error() const { return base + "/error"; }
    static std::string groupSet(const std::string &group) { return "qmx8350t/group/" + group + "/set"; }
};

} // namespace qmxmqtt
