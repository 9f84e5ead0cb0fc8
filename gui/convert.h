#pragma once
// Conversions at the border between Unicode control texts and the display's
// Windows-1250 bytes, and the strict text-to-integer conversion.
#include <QString>
#include <cstdint>
#include <optional>
#include <string>

namespace gui {

// Characters outside the code page become '?'.
std::string ToCp1250(const QString &text);
QString FromCp1250(const std::string &bytes);

// Optional leading blanks, an optional sign, then decimal digits, or hex digits
// after $, x, X, 0x or 0X; nothing may follow; empty is no number. A value
// outside the 32-bit range is no number.
std::optional<std::int32_t> StrToIntStrict(const QString &text);

} // namespace gui
