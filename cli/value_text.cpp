#include "cli/value_text.h"

#include "text/cp1250.h"

#include <cstdio>

namespace qmxctl {

std::optional<std::string> ValueBytes(std::string_view utf8, std::string &error)
{
    const std::string quoted = Quoted(utf8);
    char32_t unmapped = 0;
    std::optional<std::string> bytes = textconv::Utf8ToCp1250(utf8, &unmapped);
    if (!bytes) {
        if (unmapped == 0xFFFD) {
            error = "the value is no UTF-8 text";
        } else {
            char code[16];
            std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(unmapped));
            error = quoted + ": the character " + code + " has no Windows-1250 byte";
        }
        return std::nullopt;
    }
    // Cutting would send something else than was asked for, unnoticed.
    if (bytes->size() > 4) {
        error = quoted + " has " + std::to_string(bytes->size()) + " characters; the display takes at most 4";
        return std::nullopt;
    }
    return bytes;
}

std::string Shortened(std::string_view utf8, std::size_t shown)
{
    std::size_t characters = 0;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        // Each character begins with a byte that is no UTF-8 continuation.
        if ((static_cast<unsigned char>(utf8[i]) & 0xC0) != 0x80 && characters++ == shown)
            return std::string(utf8.substr(0, i)) + "...";
    }
    return std::string(utf8);
}

std::string Quoted(std::string_view utf8, std::size_t shown)
{
    return "\"" + Shortened(utf8, shown) + "\"";
}

} // namespace qmxctl
