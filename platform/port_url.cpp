#include "platform/port_url.h"

#include "platform/files.h"

#include <charconv>

namespace platform {

bool LooksLikeUrl(std::string_view text)
{
    const std::size_t colon = text.find("://");
    if (colon == 0 || colon == text.npos)
        return false;
    for (char c : text.substr(0, colon))
        if (!(c >= 'a' && c <= 'z') && !(c >= 'A' && c <= 'Z') && !(c >= '0' && c <= '9') && c != '+' && c != '-' &&
            c != '.')
            return false;
    return true;
}

std::optional<PortUrl> ParsePortUrl(std::string_view text)
{
    PortUrl url;
    if (text.starts_with("rfc2217://"))
        url.rfc2217 = true;
    else if (!text.starts_with("socket://"))
        return std::nullopt;
    text.remove_prefix(text.find("://") + 3);
    // A trailing slash is what some tools write after the port.
    if (text.ends_with('/'))
        text.remove_suffix(1);

    std::string_view host;
    if (text.starts_with('[')) {
        const std::size_t close = text.find(']');
        if (close == text.npos || close + 1 >= text.size() || text[close + 1] != ':')
            return std::nullopt;
        host = text.substr(1, close - 1);
        text.remove_prefix(close + 2);
    } else {
        const std::size_t colon = text.find(':');
        if (colon == text.npos)
            return std::nullopt;
        host = text.substr(0, colon);
        text.remove_prefix(colon + 1);
    }
    if (host.empty())
        return std::nullopt;
    for (char c : host)
        if (c <= ' ' || c == '/' || c == '@' || c == '?' || c == '#' || c == '[' || c == ']' ||
            static_cast<unsigned char>(c) >= 0x7F)
            return std::nullopt;

    unsigned port = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), port);
    if (ec != std::errc() || end != text.data() + text.size() || port == 0 || port > 65535)
        return std::nullopt;
    url.host = std::string(host);
    url.port = std::uint16_t(port);
    return url;
}

std::optional<std::string> MappingLine(const std::string &path)
{
    if (!IsRegularFile(path))
        return std::nullopt;
    std::string line;
    if (!ReadFirstLine(path, 1024, line))
        return std::nullopt;
    // Notepad begins a file with a byte-order mark; an old Mac editor ends
    // lines with CR alone.
    if (line.starts_with("\xEF\xBB\xBF"))
        line.erase(0, 3);
    line = line.substr(0, line.find('\r'));
    // Blanks around the URL are easily typed and never meant.
    const std::size_t first = line.find_first_not_of(" \t");
    const std::size_t last = line.find_last_not_of(" \t");
    return first == line.npos ? std::string() : line.substr(first, last - first + 1);
}

std::string Printable(std::string_view text, std::size_t limit)
{
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (out.size() >= limit)
            return out + "...";
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x20 || byte >= 0x7F) {
            static constexpr char kHex[] = "0123456789ABCDEF";
            out += {'\\', 'x', kHex[byte >> 4], kHex[byte & 15]};
        } else {
            out += char(byte);
        }
    }
    return out;
}

std::optional<std::string> MappedUrl(const std::string &path)
{
    std::optional<std::string> line = MappingLine(path);
    if (!line || !LooksLikeUrl(*line))
        return std::nullopt;
    return line;
}

} // namespace platform
