#include "cli/mqtt/moment.h"

#include <chrono>
#include <cstdio>

namespace qmxmqtt {
namespace {

// Exactly width decimal digits at text[at...].
std::optional<int> Digits(std::string_view text, std::size_t at, std::size_t width)
{
    if (at + width > text.size())
        return std::nullopt;
    int value = 0;
    for (std::size_t i = at; i < at + width; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return std::nullopt;
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

} // namespace

std::optional<std::int64_t> ParseMoment(std::string_view text)
{
    using namespace std::chrono;
    // YYYY-MM-DDTHH:MM:SS
    const auto year = Digits(text, 0, 4), month = Digits(text, 5, 2), day = Digits(text, 8, 2);
    const auto hour = Digits(text, 11, 2), minute = Digits(text, 14, 2), second = Digits(text, 17, 2);
    if (!year || !month || !day || !hour || !minute || !second || text[4] != '-' || text[7] != '-' || text[10] != 'T' ||
        text[13] != ':' || text[16] != ':')
        return std::nullopt;
    const year_month_day date{std::chrono::year(*year), std::chrono::month(unsigned(*month)),
                              std::chrono::day(unsigned(*day))};
    if (!date.ok() || *hour > 23 || *minute > 59 || *second > 59)
        return std::nullopt;
    std::size_t at = 19;
    if (at < text.size() && text[at] == '.') {
        const std::size_t first = ++at;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9')
            ++at;
        if (at == first)
            return std::nullopt;
    }
    int offset = 0; // minutes east of UTC
    const std::string_view zone = text.substr(at);
    if (zone != "Z") {
        if (zone.size() != 6 && zone.size() != 5)
            return std::nullopt;
        const auto hours = Digits(zone, 1, 2);
        const auto minutes = Digits(zone, zone.size() == 6 ? 4 : 3, 2);
        if ((zone[0] != '+' && zone[0] != '-') || (zone.size() == 6 && zone[3] != ':') || !hours || !minutes ||
            *hours > 23 || *minutes > 59)
            return std::nullopt;
        offset = (zone[0] == '-' ? -1 : 1) * (*hours * 60 + *minutes);
    }
    const std::int64_t days = sys_days(date).time_since_epoch().count();
    return days * 86400 + *hour * 3600 + *minute * 60 + *second - std::int64_t(offset) * 60;
}

std::string MomentText(std::int64_t utcSeconds)
{
    using namespace std::chrono;
    const sys_seconds moment{seconds(utcSeconds)};
    const sys_days day = floor<days>(moment);
    const year_month_day date(day);
    const hh_mm_ss time(moment - day);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02dZ", int(date.year()), unsigned(date.month()),
                  unsigned(date.day()), int(time.hours().count()), int(time.minutes().count()),
                  int(time.seconds().count()));
    return text;
}

} // namespace qmxmqtt
