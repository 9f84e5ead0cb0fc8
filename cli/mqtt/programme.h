#pragma once
// The programme of a display: what it shows, defined by absolute moments so
// that every display given the same programme shows the same thing at the
// same second, and a restart takes it up where it stands.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace qmxmqtt {

enum class Show { Clock, Countdown, Stopwatch, Value, Blank, Dashes };
enum class Format { HoursMinutes, MinutesSeconds };

struct Programme {
    Show show = Show::Clock;
    Format format = Format::HoursMinutes;
    std::int64_t to = 0;                 // countdown: the moment it reaches zero
    std::int64_t from = 0;               // stopwatch: the moment it starts
    std::optional<std::int64_t> stopped; // stopwatch: the moment it stops
    std::string value;                   // value: the text as given (UTF-8)
    bool operator==(const Programme &) const = default;
};

// A command larger than this is refused unread.
constexpr std::size_t kLargestCommand = 4096;

// Why a command is refused, as the error topic says it.
struct Refusal {
    std::string reason;
};

struct Command {
    std::string_view json;
    // The second the command arrived in, for "now"; nullopt where "now" is
    // not allowed (a group's command: each display would read its own now).
    std::optional<std::int64_t> now;
    // The programme shown until now: a stopwatch command without "from"
    // stops (or restarts the frozen count of) the stopwatch that runs.
    const Programme &current;
    // The clock's format when the command names none.
    Format clockFormat = Format::HoursMinutes;
};

// The programme a command asks for, every moment resolved; or why not.
std::variant<Programme, Refusal> ParseProgramme(const Command &command);

// The programme as JSON, moments in UTC: what the state reports and what is
// kept for a restart (ParseProgramme reads it back).
std::string ProgrammeJson(const Programme &programme);

// The bytes (Windows-1250, at most four; a shorter value is completed with
// zero bytes by the exchange) the display shows at the whole second
// utcSecond. Past what four digits can hold, a countdown or stopwatch drops
// the larger unit as the clock's formats do: mm:ss shows the minutes within
// the hour, hh:mm the hours within the day. A countdown in hh:mm counts
// whole minutes begun, so that it reaches 00:00 at its moment.
std::string ShownAt(const Programme &programme, std::int64_t utcSecond);

// Whether what it shows depends on the PC clock being right.
bool FollowsClock(const Programme &programme);

} // namespace qmxmqtt
