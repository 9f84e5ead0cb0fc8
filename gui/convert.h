#pragma once
// Conversions at the border between Unicode control texts and the display's
// Windows-1250 bytes, the strict text-to-integer conversion and the float
// conversion of the user's regional settings.
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

// A number written with the decimal separator of the user's regional
// settings (Qt's default locale, which is the system's: LC_ALL, LC_NUMERIC,
// LANG): optional blanks around it, a sign, digits, the separator, an
// exponent. No group separators; a text that is no finite number is none.
std::optional<double> StrToFloatRegional(const QString &text);
// value in fixed-point notation with that many decimals and the regional
// decimal separator ("0.5" or "0,5").
QString FloatToStrRegional(double value, int decimals);

} // namespace gui
