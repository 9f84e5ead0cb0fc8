#pragma once
// A port on a serial device server, named as users of serial tools name one:
// rfc2217://HOST:PORT (Telnet with the COM-PORT-OPTION) or socket://HOST:PORT
// (the bytes as they are). HOST is a name, an IPv4 address or an IPv6
// address in brackets.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace platform {

struct PortUrl {
    bool rfc2217 = false; // false: raw TCP
    std::string host;     // without the brackets of an IPv6 address
    std::uint16_t port = 0;
};

// True for a text that is meant as a URL (a scheme, then "://"), well formed
// or not: a file whose first line is one maps a COM name to the network.
bool LooksLikeUrl(std::string_view text);

// nullopt when the text is no well-formed port URL.
std::optional<PortUrl> ParsePortUrl(std::string_view text);

// The first line of a regular file, as a mapping file holds its URL: a
// UTF-8 byte-order mark dropped, the line ended by LF, CR LF or CR, blanks
// around it dropped; nullopt when path is no regular file or cannot be read.
std::optional<std::string> MappingLine(const std::string &path);

// Text from a file or the network as a message may show it: control
// characters and bytes outside ASCII as \xNN, cut after limit bytes ("...").
std::string Printable(std::string_view text, std::size_t limit = 80);

// The URL of a COM name's mapping file (a regular file whose first line is a
// URL); nullopt when path is no such file (a device, a link to one, a plain
// file standing in for a port).
std::optional<std::string> MappedUrl(const std::string &path);

} // namespace platform
