#include "cli/mqtt/command.h"

#include "cli/mqtt/broker.h"
#include "cli/mqtt/discovery.h"
#include "cli/mqtt/display_adapter.h"
#include "cli/mqtt/second_wait.h"
#include "cli/mqtt/state.h"
#include "cli/mqtt/topics.h"
#include "cli/service_notify.h"
#include "cli/system.h"

#include <nlohmann/json.hpp>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <mutex>

namespace qmxctl {
namespace {

using namespace qmxmqtt;

constexpr int kFailed = 1;
constexpr int kUsage = 2;

// The first 80 characters of a refused payload, for the error topic.
std::string Head(std::string_view payload)
{
    std::size_t characters = 0;
    for (std::size_t i = 0; i < payload.size(); ++i)
        if ((static_cast<unsigned char>(payload[i]) & 0xC0) != 0x80 && characters++ == 80)
            return std::string(payload.substr(0, i));
    return std::string(payload);
}

std::string ErrorJson(const std::string &reason, std::string_view payload)
{
    return nlohmann::json{{"error", reason}, {"payload", Head(payload)}}.dump(-1, ' ', false,
                                                                              nlohmann::json::error_handler_t::replace);
}

std::string HostName()
{
    char host[256] = {};
    ::gethostname(host, sizeof host - 1);
    return host;
}

// The programme, set by the broker's thread and shown by the main one.
struct Shared {
    std::mutex lock;
    Programme programme;
};

} // namespace

int RunMqtt(const Arguments &a, const ClockHooks &hooks, const std::string &version)
{
    const MqttOptions &o = a.mqtt;
    BrokerSettings settings;
    std::string message;
    if (!ParseBrokerUrl(o.broker, settings, message)) {
        hooks.report(message);
        return kUsage;
    }
    if (!o.cafile.empty() && !settings.tls) {
        hooks.report("--cafile goes with an mqtts:// broker");
        return kUsage;
    }
    settings.cafile = o.cafile;
    if (!o.passwordFile.empty()) {
        // A relative name is one of systemd's credentials (LoadCredential=).
        const char *credentials = std::getenv("CREDENTIALS_DIRECTORY");
        const std::string path = o.passwordFile.front() != '/' && credentials && *credentials
                                     ? std::string(credentials) + "/" + o.passwordFile
                                     : o.passwordFile;
        if (!ReadPasswordFile(path, settings, message)) {
            hooks.report(message);
            return kUsage;
        }
    }
    for (const std::string &group : o.groups)
        if (!IsTopicName(group)) {
            hooks.report("a group name has letters, digits, '-', '_' and '.' only (up to 64)");
            return kUsage;
        }
    const std::string label = a.port->Label();
    const std::string name = o.name.empty() ? DefaultName(HostName(), label) : o.name;
    if (!IsTopicName(name)) {
        hooks.report("--name has letters, digits, '-', '_' and '.' only (up to 64)");
        return kUsage;
    }
    if (!o.discovery.empty() && !IsTopicName(o.discovery)) {
        hooks.report("--discovery is one topic level, such as homeassistant");
        return kUsage;
    }

    auto port = OpenDisplayPort(a, message);
    if (!port) {
        hooks.report(message);
        return kFailed;
    }
    const Topics topics{"qmx8350t/" + name};
    const Format clockFormat = a.clock == ClockMode::HoursMinutes ? Format::HoursMinutes : Format::MinutesSeconds;
    const std::string folder = StateFolder(o.stateDir);
    Shared shared;
    shared.programme.format = clockFormat;
    if (const auto kept = LoadProgramme(folder, clockFormat))
        shared.programme = *kept;

    SecondWait wait;
    DisplayState state;
    state.programme = shared.programme;
    state.port = port->name.Label();
    state.leadsTo = port->leadsTo;
    state.since = NowSecond();
    std::atomic<bool> republish{false};
    const Discovery discovery{name, topics, version};
    std::string leftPrefix = LoadDiscoveryPrefix(folder);

    settings.clientId = "qmxctl-" + name;
    settings.willTopic = topics.availability();
    Broker *brokerPointer = nullptr;
    Broker::Hooks brokerHooks{
        [&] {
            // Subscribed first: who reads "online" may send a command at once.
            Broker &broker = *brokerPointer;
            broker.subscribe(topics.set());
            for (const std::string &group : o.groups)
                broker.subscribe(Topics::groupSet(group));
            broker.publish(topics.availability(), "online", true);
            if (!leftPrefix.empty() && leftPrefix != o.discovery) {
                for (const auto &config : discovery.configs(leftPrefix))
                    broker.publish(config.topic, "", true);
            }
            for (const auto &config : discovery.configs(o.discovery))
                broker.publish(config.topic, config.payload, true);
            if (leftPrefix != o.discovery && SaveDiscoveryPrefix(folder, o.discovery))
                leftPrefix = o.discovery;
            republish = true;
            wait.wake();
        },
        [&](const std::string &topic, std::string_view payload) {
            std::unique_lock guard(shared.lock);
            const auto parsed =
                ParseProgramme({payload, topic == topics.set() ? std::optional(NowSecond()) : std::nullopt,
                                shared.programme, clockFormat});
            if (const Refusal *refused = std::get_if<Refusal>(&parsed)) {
                guard.unlock();
                brokerPointer->publish(topics.error(), ErrorJson(refused->reason, payload), false);
                return;
            }
            shared.programme = std::get<Programme>(parsed);
            const Programme now = shared.programme;
            guard.unlock();
            wait.wake();
            if (!folder.empty() && !SaveProgramme(folder, now))
                hooks.report("the programme cannot be kept in " + folder);
        },
        hooks.report,
        hooks.notice,
    };
    Broker broker(settings, brokerHooks);
    brokerPointer = &broker;
    CatchStopSignals();
    if (!broker.start(message)) {
        hooks.report(message);
        return kFailed;
    }
    if (a.realtime)
        hooks.notice(AskForRealTimeScheduling()); // this thread only: the broker's is started

    std::int64_t publishedSecond = 0;
    bool dirty = true;
    std::int64_t syncMinute = -1;
    const bool watchdog = WatchdogWanted();
    const auto due = [&](bool unsynchronised) {
        const std::int64_t now = NowSecond();
        Programme programme;
        {
            std::lock_guard guard(shared.lock);
            programme = shared.programme;
        }
        if (programme != state.programme) {
            state.programme = programme;
            dirty = true;
        }
        const platform::ClockSync sync = unsynchronised           ? platform::ClockSync::Unsynchronised
                                         : syncMinute == now / 60 ? state.sync
                                                                  : port->link.ReadClockSync();
        syncMinute = now / 60;
        if (sync != state.sync) {
            state.sync = sync;
            dirty = true;
        }
        return a.requireSync && unsynchronised && FollowsClock(programme) ? std::string("----")
                                                                          : ShownAt(programme, now);
    };
    ClockHooks loop = hooks;
    loop.waitForNextSecond = [&] {
        if (republish.exchange(false))
            dirty = true;
        const std::int64_t now = NowSecond();
        // The state at most once a second, whatever wakes the loop.
        if (dirty && now != publishedSecond && broker.publish(topics.state(), StateJson(state, version), true)) {
            dirty = false;
            publishedSecond = now;
        }
        if (watchdog)
            NotifyWatchdog();
        wait.wait();
    };
    loop.exchanged = [&](const std::string &text, bool answered) {
        if (answered && text != state.shows) {
            state.shows = text;
            dirty = true;
        }
        if (answered != state.answers) {
            state.answers = answered;
            state.since = NowSecond();
            dirty = true;
        }
    };
    NotifyReady();
    const std::string start = "mqtt: " + port->name.Label() +
                              (port->leadsTo.empty() ? "" : " (" + port->leadsTo + ")") + " as " + topics.base +
                              " on " + settings.host + ":" + std::to_string(settings.port);
    RunEachSecond(a, port->link, port->name, loop, start, due);
    NotifyStopping();
    broker.stop();
    port->link.Close();
    return 0;
}

} // namespace qmxctl
