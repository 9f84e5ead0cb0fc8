#pragma once
// Conversions at the border between the controls' texts (UTF-8) and the
// display's Windows-1250 bytes, and the strict text-to-integer conversion.
#include <cstdint>
#include <optional>
#include <string>

namespace textconv {

// Characters outside the code page, and bytes that are no UTF-8, become '?'.
std::string ToCp1250(const std::string &text);
std::string FromCp1250(const std::string &bytes);

// Optional leading blanks, an optional sign, then decimal digits, or hex digits
// after $, x, X, 0x or 0X; nothing may follow; empty is no number. A value
// outside the 32-bit range is no number.
std::optional<std::int32_t> StrToIntStrict(const std::string &text);

} // namespace textconv
