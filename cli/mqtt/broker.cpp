#include "cli/mqtt/broker.h"

#include "platform/files.h"

#include <mosquitto.h>
#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace qmxmqtt {

struct BrokerStatus {
    std::atomic<bool> connected{false};
    std::atomic<bool> reported{false}; // a failure was logged since the last connection
    std::atomic<bool> madeOnce{false}; // connected since the last pause
    std::mutex lock;
    std::condition_variable stopped;
    bool stopping = false;
    std::thread thread;
};

struct Broker::Callbacks {
    static void Connected(mosquitto *, void *self, int rc)
    {
        auto &b = *static_cast<Broker *>(self);
        if (rc != 0) {
            if (!b.status_->reported.exchange(true))
                b.hooks_.report("the broker refused the connection: " + std::string(mosquitto_connack_string(rc)));
            return;
        }
        b.status_->connected = true;
        b.status_->madeOnce = true;
        b.status_->reported = false;
        b.hooks_.notice("connected to the broker " + b.settings_.host + ":" + std::to_string(b.settings_.port));
        b.hooks_.connected();
    }
    static void Disconnected(mosquitto *, void *self, int rc)
    {
        auto &b = *static_cast<Broker *>(self);
        b.status_->connected = false;
        (void)rc; // the loop reports it
    }
    static void Message(mosquitto *, void *self, const mosquitto_message *m)
    {
        auto &b = *static_cast<Broker *>(self);
        b.hooks_.message(m->topic, std::string_view(static_cast<const char *>(m->payload), std::size_t(m->payloadlen)));
    }
};

bool ParseBrokerUrl(const std::string &url, BrokerSettings &settings, std::string &message)
{
    std::string_view rest = url;
    if (rest.starts_with("mqtt://")) {
        settings.tls = false;
        settings.port = 1883;
        rest.remove_prefix(7);
    } else if (rest.starts_with("mqtts://")) {
        settings.tls = true;
        settings.port = 8883;
        rest.remove_prefix(8);
    } else {
        message = "the broker is mqtt://HOST[:PORT] or mqtts://HOST[:PORT], not " + url.substr(0, 80);
        return false;
    }
    if (!rest.empty() && rest.back() == '/')
        rest.remove_suffix(1);
    std::string_view host = rest, port;
    if (rest.starts_with("[")) {
        const auto close = rest.find(']');
        if (close == std::string_view::npos || (close + 1 < rest.size() && rest[close + 1] != ':')) {
            message = "the broker's address " + url.substr(0, 80) + " is not well formed";
            return false;
        }
        host = rest.substr(1, close - 1);
        if (close + 1 < rest.size())
            port = rest.substr(close + 2);
    } else if (const auto colon = rest.find(':'); colon != std::string_view::npos) {
        host = rest.substr(0, colon);
        port = rest.substr(colon + 1);
    }
    if (!port.empty() || rest.ends_with(":")) {
        int n = 0;
        const auto [end, ec] = std::from_chars(port.data(), port.data() + port.size(), n);
        if (ec != std::errc() || end != port.data() + port.size() || n < 1 || n > 65535) {
            message = "the broker's port in " + url.substr(0, 80) + " is no number from 1 to 65535";
            return false;
        }
        settings.port = n;
    }
    if (host.empty() || host.find_first_of("/?#@ ") != std::string_view::npos) {
        message = "the broker's address " + url.substr(0, 80) + " names no host";
        return false;
    }
    settings.host = host;
    return true;
}

bool ReadPasswordFile(const std::string &path, BrokerSettings &settings, std::string &message)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) {
        message = "the password file " + path + " cannot be read";
        return false;
    }
    if (st.st_mode & S_IROTH) {
        message = "the password file " + path + " may be read by others; chmod o-r it first";
        return false;
    }
    std::string line;
    if (!platform::ReadFirstLine(path, 1024, line)) {
        message = "the password file " + path + " cannot be read";
        return false;
    }
    const auto colon = line.find(':');
    if (colon == std::string::npos || colon == 0) {
        message = "the password file " + path + " has no user:password on its first line";
        return false;
    }
    settings.user = line.substr(0, colon);
    settings.password = line.substr(colon + 1);
    return true;
}

Broker::Broker(BrokerSettings settings, Hooks hooks)
    : settings_(std::move(settings)), hooks_(std::move(hooks)), status_(std::make_unique<BrokerStatus>())
{
    mosquitto_lib_init();
}

Broker::~Broker()
{
    if (client_)
        mosquitto_destroy(client_);
    mosquitto_lib_cleanup();
}

bool Broker::start(std::string &message)
{
    client_ = mosquitto_new(settings_.clientId.c_str(), true, this);
    if (!client_) {
        message = "the MQTT client could not be made";
        return false;
    }
    // Publishing from the main thread wakes this one, which does the writing.
    mosquitto_threaded_set(client_, true);
    mosquitto_int_option(client_, MOSQ_OPT_PROTOCOL_VERSION, MQTT_PROTOCOL_V311);
    mosquitto_connect_callback_set(client_, Callbacks::Connected);
    mosquitto_disconnect_callback_set(client_, Callbacks::Disconnected);
    mosquitto_message_callback_set(client_, Callbacks::Message);
    int rc = mosquitto_will_set(client_, settings_.willTopic.c_str(), 7, "offline", 1, true);
    if (rc == MOSQ_ERR_SUCCESS && !settings_.user.empty())
        rc = mosquitto_username_pw_set(client_, settings_.user.c_str(), settings_.password.c_str());
    if (rc == MOSQ_ERR_SUCCESS && settings_.tls)
        rc = mosquitto_tls_set(client_, settings_.cafile.empty() ? nullptr : settings_.cafile.c_str(),
                               settings_.cafile.empty() ? "/etc/ssl/certs" : nullptr, nullptr, nullptr, nullptr);
    if (rc != MOSQ_ERR_SUCCESS) {
        message = "the MQTT client cannot be set up: " + std::string(mosquitto_strerror(rc));
        return false;
    }
    // The stop signals go to the main thread, whose wait they cut short.
    sigset_t stops, old;
    sigemptyset(&stops);
    sigaddset(&stops, SIGINT);
    sigaddset(&stops, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stops, &old);
    status_->thread = std::thread([this] { run(); });
    pthread_sigmask(SIG_SETMASK, &old, nullptr);
    return true;
}

// libmosquitto's own loop gives up for good after a failed first connection
// or a TLS or name failure; a display's bridge must not.
void Broker::run()
{
    int pause = 1;
    for (bool first = true;; first = false) {
        int rc = first ? mosquitto_connect_async(client_, settings_.host.c_str(), settings_.port, 30)
                       : mosquitto_reconnect_async(client_);
        // A loop of half a second sees the stop while nothing answers.
        while (rc == MOSQ_ERR_SUCCESS) {
            rc = mosquitto_loop(client_, 500, 1);
            std::lock_guard guard(status_->lock);
            if (status_->stopping && !status_->connected)
                return;
        }
        status_->connected = false;
        {
            std::lock_guard guard(status_->lock);
            if (status_->stopping)
                return;
        }
        if (!status_->reported.exchange(true))
            hooks_.report("no connection to the broker " + settings_.host + ":" + std::to_string(settings_.port) +
                          " (" + mosquitto_strerror(rc) + "); the display goes on, the connection is tried again");
        if (status_->madeOnce.exchange(false))
            pause = 1;
        std::unique_lock guard(status_->lock);
        if (status_->stopped.wait_for(guard, std::chrono::seconds(pause), [this] { return status_->stopping; }))
            return;
        pause = std::min(pause * 2, 30);
    }
}

bool Broker::connected() const
{
    return status_->connected;
}

bool Broker::subscribe(const std::string &topic)
{
    return mosquitto_subscribe(client_, nullptr, topic.c_str(), 1) == MOSQ_ERR_SUCCESS;
}

bool Broker::publish(const std::string &topic, std::string_view payload, bool retain)
{
    if (!status_->connected)
        return false;
    return mosquitto_publish(client_, nullptr, topic.c_str(), int(payload.size()), payload.data(), retain ? 1 : 0,
                             retain) == MOSQ_ERR_SUCCESS;
}

void Broker::stop()
{
    if (!status_->thread.joinable())
        return;
    if (status_->connected)
        publish(settings_.willTopic, "offline", true);
    {
        std::lock_guard guard(status_->lock);
        status_->stopping = true;
    }
    status_->stopped.notify_all();
    // The loop sends what is queued, the disconnection last, and ends.
    mosquitto_disconnect(client_);
    status_->thread.join();
}

} // namespace qmxmqtt
