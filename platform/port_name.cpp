#include "platform/port_name.h"

#include "platform/port_report.h"
#include "platform/port_url.h"

#include <charconv>

namespace platform {

PortName PortName::Com(unsigned n)
{
    return PortName(n, "COM" + std::to_string(n));
}

PortName PortName::Stored(int n)
{
    return Com(n >= 1 && n <= int(kLastSearched) ? unsigned(n) : kUnstored);
}

std::optional<PortName> PortName::Parse(std::string_view text)
{
    if (LooksLikeUrl(text)) {
        if (!ParsePortUrl(text))
            return std::nullopt;
        return PortName(0, std::string(text));
    }
    if (text.size() > 3 && (text.starts_with("COM") || text.starts_with("com")))
        text.remove_prefix(3);
    unsigned n = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (ec != std::errc() || end != text.data() + text.size() || n < 1 || n > kLastNumber)
        return std::nullopt;
    return Com(n);
}

std::string PortName::DeviceName() const
{
    return number_ > 9 ? "\\\\.\\" + label_ : label_;
}

std::string PortName::Path() const
{
    if (IsUrl())
        return label_;
    const auto location = LocatePort(label_);
    return location ? location->path : std::string();
}

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
        if (number > PortName::kLastNumber)
            return std::nullopt;
    }
    if (number == 0)
        return std::nullopt;
    return number;
}

} // namespace platform
