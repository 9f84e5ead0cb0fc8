// Windows-1250 both ways on any bytes: every byte string comes back from its
// text unchanged, and any text that converts comes back from its bytes.
#include "text/cp1250.h"

#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    const std::string text = textconv::Cp1250ToUtf8(bytes);
    if (textconv::Utf8ToCp1250(text) != std::string(bytes))
        std::abort();
    // The same input read as UTF-8 typed by an operator.
    char32_t unmapped = 0;
    if (const auto converted = textconv::Utf8ToCp1250(bytes, &unmapped)) {
        if (converted->size() > size || textconv::Cp1250ToUtf8(*converted) != bytes)
            std::abort();
    } else if (unmapped == 0) {
        std::abort();
    }
    return 0;
}
