#pragma once
// Conversions at the border between the controls' texts (UTF-8) and the
// display's Windows-1250 bytes, the strict text-to-integer conversion and the
// float conversion of the user's regional settings.
#include <cstdint>
#include <optional>
#include <string>

namespace gui {

// Characters outside the code page, and bytes that are no UTF-8, become '?'.
std::string ToCp1250(const std::string &text);
std::string FromCp1250(const std::string &bytes);

// Optional leading blanks, an optional sign, then decimal digits, or hex digits
// after $, x, X, 0x or 0X; nothing may follow; empty is no number. A value
// outside the 32-bit range is no number.
std::optional<std::int32_t> StrToIntStrict(const std::string &text);

// A number written with the decimal separator of the user's regional
// settings (on Linux the system's locale: LC_ALL, LC_NUMERIC, LANG; on
// Windows the user's number format): optional blanks around it, a sign,
// digits, the separator, an exponent. No group separators; a text that is no
// finite number is none.
std::optional<double> StrToFloatRegional(const std::string &text);
// value in fixed-point notation with that many decimals and the regional
// decimal separator ("0.5" or "0,5").
std::string FloatToStrRegional(double value, int decimals);
// The regional decimal separator as UTF-8 ("." or ",").
std::string RegionalDecimalSeparator();

} // namespace gui
