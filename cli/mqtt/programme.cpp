#include "cli/mqtt/programme.h"

#include "cli/mqtt/moment.h"
#include "cli/value_text.h"
#include "platform/local_time.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>

namespace qmxmqtt {
namespace {

using Json = nlohmann::ordered_json;

constexpr const char *kShows[] = {"clock", "countdown", "stopwatch", "value", "blank", "dashes"};

std::string Pair(int first, int second)
{
    char text[8];
    std::snprintf(text, sizeof text, "%02d%02d", first, second);
    return text;
}

std::string FormatText(Format format)
{
    return format == Format::HoursMinutes ? "hh:mm" : "mm:ss";
}

// A span of seconds as the format shows it.
std::string Span(std::int64_t seconds, Format format)
{
    if (format == Format::MinutesSeconds)
        return Pair(int(seconds / 60 % 60), int(seconds % 60));
    return Pair(int(seconds / 3600 % 24), int(seconds / 60 % 60));
}

struct Parser {
    const Command &command;
    const Json &object;
    std::optional<Refusal> refused;

    void Refuse(const std::string &reason)
    {
        if (!refused)
            refused = Refusal{reason};
    }

    std::optional<std::int64_t> Moment(const char *key)
    {
        const auto field = object.find(key);
        if (field == object.end()) {
            Refuse(std::string("no \"") + key + "\" moment");
            return std::nullopt;
        }
        if (field->is_string() && field->get<std::string>() == "now") {
            if (!command.now)
                Refuse("\"now\" is for one display; a group takes absolute moments");
            return command.now;
        }
        const auto moment = field->is_string() ? ParseMoment(field->get<std::string>()) : std::nullopt;
        if (!moment)
            Refuse(std::string("\"") + key + "\" is no ISO 8601 moment with a zone");
        return moment;
    }

    Format FormatOr(Format fallback)
    {
        const auto field = object.find("format");
        if (field == object.end())
            return fallback;
        if (*field == "hh:mm")
            return Format::HoursMinutes;
        if (*field != "mm:ss")
            Refuse("format is hh:mm or mm:ss");
        return Format::MinutesSeconds;
    }

    // Only the fields of the kind: a misspelt one would otherwise be ignored.
    void OnlyFields(std::initializer_list<std::string_view> allowed)
    {
        for (const auto &[key, value] : object.items())
            if (key != "show" && std::find(allowed.begin(), allowed.end(), key) == allowed.end())
                Refuse("unknown field \"" + key.substr(0, 20) + "\"");
    }
};

} // namespace

std::variant<Programme, Refusal> ParseProgramme(const Command &command)
{
    if (command.json.size() > kLargestCommand)
        return Refusal{"larger than " + std::to_string(kLargestCommand) + " bytes"};
    const Json object = Json::parse(command.json, nullptr, false);
    if (object.is_discarded())
        return Refusal{"not JSON"};
    if (!object.is_object())
        return Refusal{"not a JSON object"};
    const auto show = object.find("show");
    const auto kind = show != object.end() && show->is_string()
                          ? std::find(std::begin(kShows), std::end(kShows), show->get<std::string>())
                          : std::end(kShows);
    if (kind == std::end(kShows))
        return Refusal{"\"show\" is none of clock, countdown, stopwatch, value, blank, dashes"};

    Parser p{command, object, std::nullopt};
    Programme programme;
    programme.show = Show(kind - std::begin(kShows));
    switch (programme.show) {
    case Show::Clock:
        p.OnlyFields({"format"});
        programme.format = p.FormatOr(command.clockFormat);
        break;
    case Show::Countdown:
        p.OnlyFields({"format", "to"});
        programme.format = p.FormatOr(Format::MinutesSeconds);
        programme.to = p.Moment("to").value_or(0);
        break;
    case Show::Stopwatch: {
        p.OnlyFields({"format", "from", "stopped"});
        const Programme &running = command.current;
        if (!object.contains("from") && running.show != Show::Stopwatch)
            return Refusal{"no \"from\" moment, and no stopwatch runs"};
        programme.format = p.FormatOr(object.contains("from") ? Format::MinutesSeconds : running.format);
        programme.from = object.contains("from") ? p.Moment("from").value_or(0) : running.from;
        if (object.contains("stopped"))
            programme.stopped = p.Moment("stopped");
        break;
    }
    case Show::Value: {
        p.OnlyFields({"value"});
        const auto field = object.find("value");
        std::string why;
        if (field == object.end() || !field->is_string() || field->get<std::string>().empty())
            p.Refuse("\"value\" is no text of one to four characters");
        else if (!qmxctl::ValueBytes(field->get<std::string>(), why))
            p.Refuse(why);
        else
            programme.value = field->get<std::string>();
        break;
    }
    case Show::Blank:
    case Show::Dashes:
        p.OnlyFields({});
        break;
    }
    if (p.refused)
        return *p.refused;
    return programme;
}

std::string ProgrammeJson(const Programme &programme)
{
    Json json;
    json["show"] = kShows[int(programme.show)];
    switch (programme.show) {
    case Show::Clock:
        json["format"] = FormatText(programme.format);
        break;
    case Show::Countdown:
        json["to"] = MomentText(programme.to);
        json["format"] = FormatText(programme.format);
        break;
    case Show::Stopwatch:
        json["from"] = MomentText(programme.from);
        if (programme.stopped)
            json["stopped"] = MomentText(*programme.stopped);
        json["format"] = FormatText(programme.format);
        break;
    case Show::Value:
        json["value"] = programme.value;
        break;
    case Show::Blank:
    case Show::Dashes:
        break;
    }
    return json.dump();
}

std::string ShownAt(const Programme &programme, std::int64_t utcSecond)
{
    switch (programme.show) {
    case Show::Clock: {
        const platform::LocalTime t = platform::LocalTimeAt(utcSecond);
        return programme.format == Format::HoursMinutes ? Pair(t.Hour, t.Minute) : Pair(t.Minute, t.Second);
    }
    case Show::Countdown: {
        const std::int64_t left = std::max<std::int64_t>(0, programme.to - utcSecond);
        return Span(programme.format == Format::HoursMinutes ? (left + 59) / 60 * 60 : left, programme.format);
    }
    case Show::Stopwatch: {
        const std::int64_t end = programme.stopped ? std::min(*programme.stopped, utcSecond) : utcSecond;
        return Span(std::max<std::int64_t>(0, end - programme.from), programme.format);
    }
    case Show::Value: {
        std::string ignored;
        return qmxctl::ValueBytes(programme.value, ignored).value_or("????");
    }
    case Show::Blank:
        return std::string(4, '\0');
    case Show::Dashes:
        return "----";
    }
    return "----";
}

bool FollowsClock(const Programme &programme)
{
    return programme.show == Show::Clock || programme.show == Show::Countdown ||
           (programme.show == Show::Stopwatch && !programme.stopped);
}

} // namespace qmxmqtt
