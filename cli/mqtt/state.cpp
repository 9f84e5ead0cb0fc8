#include "cli/mqtt/state.h"

#include "cli/mqtt/moment.h"
#include "text/cp1250.h"
#include "platform/files.h"

#include <nlohmann/json.hpp>

#include <cstdlib>
#include <filesystem>

namespace qmxmqtt {
namespace {

using Json = nlohmann::ordered_json;

const char *SyncText(platform::ClockSync sync)
{
    switch (sync) {
    case platform::ClockSync::Synchronised:
        return "synchronised";
    case platform::ClockSync::Unsynchronised:
        return "unsynchronised";
    default:
        return "unknown";
    }
}

bool Save(const std::string &folder, const char *file, const std::string &text)
{
    // A folder given by hand is made on first use, as systemd makes its own.
    std::error_code ignored;
    if (!folder.empty() && std::filesystem::create_directories(folder, ignored))
        std::filesystem::permissions(folder, std::filesystem::perms::owner_all, ignored);
    return !folder.empty() &&
           platform::ReplaceWholeFile(folder + "/" + file, reinterpret_cast<const std::uint8_t *>(text.data()),
                                      text.size());
}

std::string Load(const std::string &folder, const char *file)
{
    std::vector<std::uint8_t> bytes;
    if (folder.empty() || !platform::ReadFileHead(folder + "/" + file, kLargestCommand, bytes))
        return {};
    return std::string(bytes.begin(), bytes.end());
}

} // namespace

std::string StateJson(const DisplayState &state, const std::string &version)
{
    // A zero byte (a blank cell) reads as a blank.
    std::string shows = state.shows;
    shows.resize(4, '\0');
    for (char &c : shows)
        if (c == '\0')
            c = ' ';
    Json json;
    json["programme"] = Json::parse(ProgrammeJson(state.programme));
    json["shows"] = textconv::Cp1250ToUtf8(shows);
    json["display"] = state.answers ? "answers" : "silent";
    json["since"] = MomentText(state.since);
    json["port"] = state.port;
    json["leads_to"] = state.leadsTo;
    json["sync"] = SyncText(state.sync);
    json["version"] = version;
    return json.dump(-1, ' ', false, Json::error_handler_t::replace);
}

std::string StateFolder(const std::string &given)
{
    const char *systemd = std::getenv("STATE_DIRECTORY");
    if (!systemd || !*systemd)
        return given;
    const std::string folders = systemd;
    return folders.substr(0, folders.find(':'));
}

std::optional<Programme> LoadProgramme(const std::string &folder, Format clockFormat)
{
    const std::string text = Load(folder, "programme.json");
    if (text.empty())
        return std::nullopt;
    const Programme none;
    const auto parsed = ParseProgramme({text, std::nullopt, none, clockFormat});
    if (const Programme *p = std::get_if<Programme>(&parsed))
        return *p;
    return std::nullopt;
}

bool SaveProgramme(const std::string &folder, const Programme &programme)
{
    return Save(folder, "programme.json", ProgrammeJson(programme) + "\n");
}

std::string LoadDiscoveryPrefix(const std::string &folder)
{
    std::string prefix = Load(folder, "discovery");
    while (!prefix.empty() && (prefix.back() == '\n'))
        prefix.pop_back();
    return prefix;
}

bool SaveDiscoveryPrefix(const std::string &folder, const std::string &prefix)
{
    return Save(folder, "discovery", prefix + "\n");
}

} // namespace qmxmqtt
