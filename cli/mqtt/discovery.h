#pragma once
// Home Assistant's MQTT discovery: retained configs that make the display one
// device with the shown text, whether it answers, the programme's kind, a
// value to show and a stopwatch's start and stop.
#include "cli/mqtt/topics.h"

#include <string>
#include <vector>

namespace qmxmqtt {

struct DiscoveryConfig {
    std::string topic;   // PREFIX/<component>/<node>/<object>/config
    std::string payload; // JSON
};

struct Discovery {
    std::string name;
    Topics topics;
    std::string version;
    // The configs under prefix; none for an empty prefix. Publishing an
    // empty retained payload on each topic removes them again.
    std::vector<DiscoveryConfig> configs(const std::string &prefix) const;
};

} // namespace qmxmqtt
