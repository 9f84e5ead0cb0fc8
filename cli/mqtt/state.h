#pragma once
// What the bridge tells of its display (the retained state), and what it
// keeps in the service's state folder for a restart.
#include "cli/mqtt/programme.h"
#include "platform/clock_sync.h"

#include <cstdint>
#include <optional>
#include <string>

namespace qmxmqtt {

struct DisplayState {
    Programme programme;
    std::string shows;      // the bytes last sent (Windows-1250)
    bool answers = false;   // the display answered the last exchange
    std::int64_t since = 0; // when it began to answer, or to be silent
    std::string port;       // "COM5" or the URL
    std::string leadsTo;    // the device path or URL behind it
    platform::ClockSync sync = platform::ClockSync::Unknown;
};

std::string StateJson(const DisplayState &state, const std::string &version);

// The folder a service keeps its state in: systemd's $STATE_DIRECTORY (its
// first folder), else the one given; empty: nothing is kept.
std::string StateFolder(const std::string &given);

// The programme kept in folder; nullopt when none is kept or it is unreadable.
std::optional<Programme> LoadProgramme(const std::string &folder, Format clockFormat);
bool SaveProgramme(const std::string &folder, const Programme &programme);

// The discovery prefix under which configs were published last ("" none).
std::string LoadDiscoveryPrefix(const std::string &folder);
bool SaveDiscoveryPrefix(const std::string &folder, const std::string &prefix);

} // namespace qmxmqtt
