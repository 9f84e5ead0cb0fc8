// A display's programme from any bytes off the network: never a crash; a
// programme taken reads back the same from its own JSON, and shows at most
// four bytes at any second.
#include "cli/mqtt/programme.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace qmxmqtt;
    const std::string_view json(reinterpret_cast<const char *>(data), size);
    Programme running;
    running.show = Show::Stopwatch;
    const auto parsed = ParseProgramme({json, 1796927400, running, Format::HoursMinutes});
    const Programme *p = std::get_if<Programme>(&parsed);
    if (!p)
        return 0;
    const auto again = ParseProgramme({ProgrammeJson(*p), std::nullopt, running, Format::MinutesSeconds});
    if (!std::holds_alternative<Programme>(again) || std::get<Programme>(again) != *p)
        std::abort();
    for (const std::int64_t at : {std::int64_t(0), std::int64_t(1796927400), std::int64_t(4102444800)})
        if (ShownAt(*p, at).size() > 4)
            std::abort();
    return 0;
}
