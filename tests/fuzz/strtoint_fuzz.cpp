// The strict text-to-integer conversion on any text: a number it reads is
// written back the way it reads it, and a decimal text of any 32-bit number
// reads as that number.
#include "text/convert.h"

#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    if (const auto value = textconv::StrToIntStrict(text)) {
        if (textconv::StrToIntStrict(std::to_string(*value)) != value)
            std::abort();
    }
    if (size >= 4) {
        std::int32_t number;
        std::memcpy(&number, data, sizeof number);
        if (textconv::StrToIntStrict("  " + std::to_string(number)) != number)
            std::abort();
    }
    return 0;
}
