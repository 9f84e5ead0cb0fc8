// The programme of a display: which commands are taken, what each resolves
// to, and what the display shows at chosen seconds.
#include "cli/mqtt/programme.h"
#include "tests/support/dst_walks.h"

#include <gtest/gtest.h>

namespace {

using namespace qmxmqtt;

constexpr std::int64_t T0 = 1796927400; // 2026-12-10 18:30:00 UTC, 19:30:00 in Prague

Programme Stopwatch(std::int64_t from)
{
    Programme p;
    p.show = Show::Stopwatch;
    p.format = Format::MinutesSeconds;
    p.from = from;
    return p;
}

TEST(Programme, TakesEachKindResolvesItsMomentsAndShowsItAtEachSecond)
{
    const Programme clock; // what runs when no stopwatch does
    const struct {
        const char *what;
        std::string json;
        std::optional<std::int64_t> now; // nullopt: a group's command
        const char *outcome;             // the resolved programme, or a part of the refusal
        std::vector<std::pair<std::int64_t, std::string>> shown = {};
        Programme current = {};
    } rows[] = {
        {"the clock in the service's format",
         R"({"show":"clock"})",
         T0,
         R"({"show":"clock","format":"hh:mm"})",
         {{T0, "1930"}}},
        {"the clock in mm:ss",
         R"({"show":"clock","format":"mm:ss"})",
         T0,
         R"({"show":"clock","format":"mm:ss"})",
         {{T0 + 65, "3105"}}},
        {"a countdown to a moment with an offset, standing at zero once reached",
         R"({"show":"countdown","to":"2026-12-10T19:31:30+01:00"})",
         std::nullopt,
         R"({"show":"countdown","to":"2026-12-10T18:31:30Z","format":"mm:ss"})",
         {{T0, "0130"}, {T0 + 89, "0001"}, {T0 + 90, "0000"}, {T0 + 900, "0000"}}},
        {"hh:mm counts the minutes begun, reaching 00:00 at its moment",
         R"({"show":"countdown","to":"2026-12-10T19:30:01Z","format":"hh:mm"})",
         T0,
         R"({"show":"countdown","to":"2026-12-10T19:30:01Z","format":"hh:mm"})",
         {{T0, "0101"}, {T0 + 3541, "0001"}, {T0 + 3600, "0001"}, {T0 + 3601, "0000"}}},
        {"past 59:59, mm:ss drops the hours as the clock does",
         R"({"show":"countdown","to":"2026-12-10T20:35:03Z"})",
         T0,
         R"({"show":"countdown","to":"2026-12-10T20:35:03Z","format":"mm:ss"})",
         {{T0, "0503"}}},
        {"a second's fraction is dropped",
         R"({"show":"countdown","to":"2026-12-10T18:30:10.750Z"})",
         T0,
         R"({"show":"countdown","to":"2026-12-10T18:30:10Z","format":"mm:ss"})",
         {{T0, "0010"}}},
        {"a stopwatch from now, at zero before its start",
         R"({"show":"stopwatch","from":"now"})",
         T0,
         R"({"show":"stopwatch","from":"2026-12-10T18:30:00Z","format":"mm:ss"})",
         {{T0 - 5, "0000"}, {T0, "0000"}, {T0 + 61, "0101"}}},
        {"a stopwatch stopped: runs until then, frozen after",
         R"({"show":"stopwatch","from":"2026-12-10T18:30:00Z","stopped":"2026-12-10T18:31:15Z"})",
         std::nullopt,
         R"({"show":"stopwatch","from":"2026-12-10T18:30:00Z","stopped":"2026-12-10T18:31:15Z","format":"mm:ss"})",
         {{T0 + 10, "0010"}, {T0 + 1000, "0115"}}},
        {"stopping the stopwatch that runs keeps its start",
         R"({"show":"stopwatch","stopped":"now"})",
         T0 + 30,
         R"({"show":"stopwatch","from":"2026-12-10T18:30:00Z","stopped":"2026-12-10T18:30:30Z","format":"mm:ss"})",
         {{T0 + 100, "0030"}},
         Stopwatch(T0)},
        {"past a day, hh:mm drops the days",
         R"({"show":"stopwatch","from":"2026-12-10T18:30:00Z","format":"hh:mm"})",
         T0,
         R"({"show":"stopwatch","from":"2026-12-10T18:30:00Z","format":"hh:mm"})",
         {{T0 + 25 * 3600 + 60, "0101"}}},
        {"a value in the display's code page",
         R"({"show":"value","value":"Čů"})",
         T0,
         R"({"show":"value","value":"Čů"})",
         {{T0, "\xC8\xF9"}}},
        {"blank: four zero bytes", R"({"show":"blank"})", T0, R"({"show":"blank"})", {{T0, std::string(4, '\0')}}},
        {"dashes", R"({"show":"dashes"})", T0, R"({"show":"dashes"})", {{T0, "----"}}},
        {"not JSON", "countdown 10:00", T0, "not JSON"},
        {"not an object", "[1]", T0, "not a JSON object"},
        {"an unknown kind", R"({"show":"movie"})", T0, "\"show\" is none of"},
        {"a misspelt field", R"({"show":"clock","formt":"mm:ss"})", T0, "unknown field \"formt\""},
        {"a format the display has not", R"({"show":"clock","format":"ss"})", T0, "format is hh:mm or mm:ss"},
        {"a countdown without its moment", R"({"show":"countdown"})", T0, "no \"to\" moment"},
        {"a moment without a zone", R"({"show":"countdown","to":"2026-12-10T19:30:00"})", T0, "no ISO 8601 moment"},
        {"a day that is not", R"({"show":"countdown","to":"2026-02-30T10:00:00Z"})", T0, "no ISO 8601 moment"},
        {"now on a group", R"({"show":"stopwatch","from":"now"})", std::nullopt, "\"now\" is for one display"},
        {"no stopwatch to stop", R"({"show":"stopwatch","stopped":"now"})", T0, "no stopwatch runs"},
        {"a value too long", R"({"show":"value","value":"12345"})", T0, "has 5 characters"},
        {"a character the display has not", R"({"show":"value","value":"12Ω"})", T0, "no Windows-1250 byte"},
        {"an empty value", R"({"show":"value","value":""})", T0, "one to four characters"},
        {"a command of over 4 KiB", R"({"show":"value","value":")" + std::string(5000, ' ') + "\"}", T0,
         "larger than 4096 bytes"},
    };
    testsupport::PragueTime prague;
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        const auto parsed = ParseProgramme({row.json, row.now, row.current, Format::HoursMinutes});
        if (const Refusal *refused = std::get_if<Refusal>(&parsed)) {
            EXPECT_NE(refused->reason.find(row.outcome), std::string::npos) << refused->reason;
            EXPECT_TRUE(row.shown.empty()) << "refused: " << refused->reason;
            continue;
        }
        const Programme &programme = std::get<Programme>(parsed);
        EXPECT_EQ(ProgrammeJson(programme), row.outcome);
        for (const auto &[moment, shown] : row.shown)
            EXPECT_EQ(ShownAt(programme, moment), shown) << moment - T0 << " s after 18:30:00 UTC";
        // What is kept for a restart reads back as the same programme.
        const auto kept = ParseProgramme({ProgrammeJson(programme), std::nullopt, clock, Format::MinutesSeconds});
        ASSERT_TRUE(std::holds_alternative<Programme>(kept));
        EXPECT_EQ(std::get<Programme>(kept), programme);
    }
}

TEST(Programme, TheClockFollowsBothDaylightSavingChangesAndCountdownsDoNot)
{
    testsupport::PragueTime prague;
    for (const testsupport::DstWalk &walk : testsupport::DstWalks()) {
        SCOPED_TRACE(walk.what);
        Programme clock, countdown;
        clock.format = countdown.format = walk.hoursMinutes ? Format::HoursMinutes : Format::MinutesSeconds;
        countdown.show = Show::Countdown;
        countdown.to = walk.firstUtc + 600; // ten minutes on, whatever the clock's hour does
        const std::vector<std::string> counted = walk.hoursMinutes
                                                     ? std::vector<std::string>(4, "0010")
                                                     : std::vector<std::string>{"1000", "0959", "0958", "0957"};
        std::vector<std::string> sent;
        for (int s = 0; s < walk.seconds; ++s) {
            const std::string text = ShownAt(clock, walk.firstUtc + s);
            if (sent.empty() || sent.back() != text)
                sent.push_back(text);
            EXPECT_EQ(ShownAt(countdown, walk.firstUtc + s), counted[std::size_t(s)]);
        }
        EXPECT_EQ(sent, walk.sent);
    }
}

} // namespace
