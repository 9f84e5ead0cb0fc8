// The strict text-to-integer conversion on any UTF-8 text: a number it
// reads is written back the way it reads it, and a decimal text of any
// 32-bit number reads as that number.
#include "gui/convert.h"

#include <QString>
#include <cstdlib>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    if (const auto value = gui::StrToIntStrict(text)) {
        if (gui::StrToIntStrict(QString::number(*value)) != value)
            std::abort();
    }
    if (size >= 4) {
        std::int32_t number;
        std::memcpy(&number, data, sizeof number);
        if (gui::StrToIntStrict(QStringLiteral("  ") + QString::number(number)) != number)
            std::abort();
    }
    return 0;
}
