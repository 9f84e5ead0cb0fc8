#pragma once
// The conversions the controls' texts go through: those of text/ under the
// names the windows call, and the float conversion of the user's regional
// settings, which each backend asks its system for.
#include "text/convert.h"

#include <optional>
#include <string>

namespace gui {

using textconv::FromCp1250;
using textconv::StrToIntStrict;
using textconv::ToCp1250;

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
