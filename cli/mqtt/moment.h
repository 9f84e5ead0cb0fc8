#pragma once
// Moments as the bridge's messages write them: ISO 8601 with a zone offset or
// "Z", kept as whole seconds since 1970-01-01 00:00 UTC.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qmxmqtt {

// "2026-12-10T19:30:00+01:00", "2026-12-10T18:30:00Z", "...+0100"; a
// fraction of a second is dropped (the display changes on whole seconds).
// nullopt for anything else, a time without a zone included: every display
// given the moment must read the same instant.
std::optional<std::int64_t> ParseMoment(std::string_view text);

// The moment in UTC: "2026-12-10T18:30:00Z".
std::string MomentText(std::int64_t utcSeconds);

} // namespace qmxmqtt
