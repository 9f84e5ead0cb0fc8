#pragma once
// The bridge's connection to the MQTT broker (libmosquitto): its URL, the
// credentials, TLS, the last will, and a connection that comes back by
// itself, with a pause that grows to 30 s, while the display goes on.
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

struct mosquitto;

namespace qmxmqtt {

struct BrokerSettings {
    std::string host;
    int port = 1883;
    bool tls = false;
    std::string cafile; // empty with TLS: the system's certificates
    std::string user;   // empty: anonymous
    std::string password;
    std::string clientId;
    std::string willTopic; // "offline" is published there, retained, when the bridge dies
};

// mqtt://HOST[:PORT] (1883) or mqtts://HOST[:PORT] (8883); HOST may be an
// IPv6 address in brackets. False with message saying why not.
bool ParseBrokerUrl(const std::string &url, BrokerSettings &settings, std::string &message);

// The first line of a password file, "user:password". A file that others may
// read is refused: the password would not be the service's secret.
bool ReadPasswordFile(const std::string &path, BrokerSettings &settings, std::string &message);

class Broker {
public:
    struct Hooks {
        std::function<void()> connected; // subscribe and publish here
        std::function<void(const std::string &topic, std::string_view payload)> message;
        std::function<void(const std::string &)> report; // the connection lost or refused
        std::function<void(const std::string &)> notice; // the connection made
    };
    Broker(BrokerSettings settings, Hooks hooks);
    ~Broker();
    Broker(const Broker &) = delete;
    Broker &operator=(const Broker &) = delete;

    // Begins to connect, in a thread of its own; an unreachable broker, a
    // refusal, a failed TLS handshake or a lost connection is tried again
    // after 1, 2, 4 ... 30 s. False when the settings cannot be used at all.
    bool start(std::string &message);
    bool connected() const;
    bool subscribe(const std::string &topic);
    // Nothing is queued while the connection is away: false then.
    bool publish(const std::string &topic, std::string_view payload, bool retain);
    // Publishes "offline" on the will's topic, disconnects and ends the thread.
    void stop();

private:
    struct Callbacks;
    void run();
    BrokerSettings settings_;
    Hooks hooks_;
    mosquitto *client_ = nullptr;
    std::unique_ptr<struct BrokerStatus> status_;
};

} // namespace qmxmqtt
