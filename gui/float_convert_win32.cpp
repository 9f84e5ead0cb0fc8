// The regional float conversion with the user's decimal separator from the
// Windows number format.
#include "gui/convert.h"
#include "gui/text_win32.h"

#include <charconv>
#include <cmath>

namespace gui {

std::string RegionalDecimalSeparator()
{
    wchar_t separator[8] = L".";
    if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8) <= 0)
        return ".";
    return detail::Utf8(separator);
}

std::optional<double> StrToFloatRegional(const std::string &text)
{
    const std::string separator = RegionalDecimalSeparator();
    std::size_t begin = text.find_first_not_of(" \t");
    std::size_t end = text.find_last_not_of(" \t");
    if (begin == std::string::npos)
        return std::nullopt;
    std::string number = text.substr(begin, end - begin + 1);
    // The other separator is no separator here; the regional one becomes the
    // point from_chars reads.
    if (separator != "." && number.find('.') != std::string::npos)
        return std::nullopt;
    if (const std::size_t at = number.find(separator); at != std::string::npos)
        number.replace(at, separator.size(), ".");
    const char *first = number.data();
    const char *last = number.data() + number.size();
    if (first != last && *first == '+')
        ++first;
    if (first != last && (*first == '+' || *first == '-') && number[0] == '+')
        return std::nullopt;
    double value = 0;
    const auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::general);
    if (ec != std::errc() || ptr != last || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::string FloatToStrRegional(double value, int decimals)
{
    char buffer[64];
    const auto [ptr, ec] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    std::string text(buffer, ec == std::errc() ? ptr : buffer);
    if (const std::size_t at = text.find('.'); at != std::string::npos)
        text.replace(at, 1, RegionalDecimalSeparator());
    return text;
}

} // namespace gui
