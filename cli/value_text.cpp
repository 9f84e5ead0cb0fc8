#include "cli/value_text.h"

#include "platform/cp1250.h"

#include <cstdio>

namespace qmxctl {

std::optional<std::string> ValueBytes(std::string_view utf8, std::string &error)
{
    const std::string quoted = "\"" + std::string(utf8) + "\"";
    char32_t unmapped = 0;
    std::optional<std::string> bytes = platform::Utf8ToCp1250(utf8, &unmapped);
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
        error = quoted + " has " + std::to_string(bytes->size()) +
                " characters; the display takes at most 4";
        return std::nullopt;
    }
    return bytes;
}

} // namespace qmxctl
