#include "cli/mqtt/topics.h"

#include <algorithm>

namespace qmxmqtt {
namespace {

bool Allowed(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
           c == '.';
}

} // namespace

bool IsTopicName(const std::string &name)
{
    return !name.empty() && name.size() <= 64 && std::all_of(name.begin(), name.end(), Allowed);
}

std::string DefaultName(const std::string &host, const std::string &portLabel)
{
    std::string name = host.substr(0, 30) + "-" + portLabel.substr(0, 33);
    std::replace_if(
        name.begin(), name.end(), [](char c) { return !Allowed(c); }, '_');
    return name;
}

} // namespace qmxmqtt
