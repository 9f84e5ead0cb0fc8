#include "cli/mqtt/discovery.h"

#include <nlohmann/json.hpp>

#include <algorithm>

namespace qmxmqtt {

std::vector<DiscoveryConfig> Discovery::configs(const std::string &prefix) const
{
    using Json = nlohmann::ordered_json;
    if (prefix.empty())
        return {};
    // Home Assistant's node ids take no '.'.
    std::string node = "qmx8350t_" + name;
    std::replace(node.begin(), node.end(), '.', '_');
    const Json device = {{"identifiers", Json::array({node})},
                         {"name", "QMX8350T " + name},
                         {"model", "QMX8350T"},
                         {"sw_version", version}};
    const auto config = [&](const std::string &component, const std::string &object, const std::string &label,
                            Json fields) {
        fields["name"] = label;
        fields["unique_id"] = node + "_" + object;
        fields["availability_topic"] = topics.availability();
        fields["device"] = device;
        return DiscoveryConfig{prefix + "/" + component + "/" + node + "/" + object + "/config", fields.dump()};
    };
    const std::string start = R"({"show":"stopwatch","from":"now"})";
    return {
        config("sensor", "shows", "Shows",
               {{"state_topic", topics.state()},
                {"value_template", "{{ value_json.shows }}"},
                {"icon", "mdi:clock-digital"}}),
        config("binary_sensor", "display", "Display",
               {{"state_topic", topics.state()},
                {"value_template", "{{ value_json.display }}"},
                {"payload_on", "answers"},
                {"payload_off", "silent"},
                {"device_class", "connectivity"}}),
        // A kind that needs more than its name starts from now: a stopwatch
        // at 00:00, a countdown standing at zero, the value 0000.
        config("select", "programme", "Programme",
               {{"state_topic", topics.state()},
                {"value_template", "{{ value_json.programme.show }}"},
                {"command_topic", topics.set()},
                {"command_template", "{% if value == 'stopwatch' %}" + start +
                                         R"({% elif value == 'countdown' %}{"show":"countdown","to":"now"})"
                                         R"({% elif value == 'value' %}{"show":"value","value":"0000"})"
                                         R"({% else %}{"show":"{{ value }}"}{% endif %})"},
                {"options", {"clock", "countdown", "stopwatch", "value", "blank", "dashes"}}}),
        config("text", "value", "Value",
               {{"state_topic", topics.state()},
                {"value_template", "{{ value_json.programme.value | default('') }}"},
                {"command_topic", topics.set()},
                {"command_template", R"({"show":"value","value":{{ value | tojson }}})"},
                {"min", 1},
                {"max", 4}}),
        config("button", "stopwatch_start", "Stopwatch start",
               {{"command_topic", topics.set()}, {"payload_press", start}}),
        config("button", "stopwatch_stop", "Stopwatch stop",
               {{"command_topic", topics.set()}, {"payload_press", R"({"show":"stopwatch","stopped":"now"})"}}),
    };
}

} // namespace qmxmqtt
