#include "platform/port_name.h"

namespace platform {

std::optional<unsigned> ComPortNumber(std::string_view name)
{
    constexpr std::string_view devicePrefix = "\\\\.\\";
    if (name.starts_with(devicePrefix))
        name.remove_prefix(devicePrefix.size());
    if (!name.starts_with("COM") || name.size() == 3)
        return std::nullopt;
    unsigned number = 0;
    for (char c : name.substr(3)) {
        if (c < '0' || c > '9')
            return std::nullopt;
        number = number * 10 + unsigned(c - '0');
        if (number > 255)
            return std::nullopt;
    }
    if (number == 0)
        return std::nullopt;
    return number;
}

} // namespace platform
