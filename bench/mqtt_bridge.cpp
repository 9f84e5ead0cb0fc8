// qmxctl mqtt against emulated displays at 9600 baud and Mosquitto on
// 127.0.0.1, on the real clock. The displays and an MQTT client of the
// bench's own (libmosquitto, in place of mosquitto_pub: the figures are the
// bridge's, not a client program's start) run in this process; the broker
// and each bridge run as child processes.
//
//   qmx_bench_mqtt latency [--count N]             a value at once; a countdown from the next second
//   qmx_bench_mqtt group [--seconds N] [--realtime] two displays of one group: their frames' times apart
//   qmx_bench_mqtt fleet [--bridges N] [--seconds N] [--busy N] [--realtime]
//   qmx_bench_mqtt flood [--seconds N] [--rate N]  commands at N a second to one bridge
//
// A frame's delay is from the start of the second whose value it carries to
// its first byte at the display.
#include "sim/display_sim.h"

#include <mosquitto.h>

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <pthread.h>
#include <sched.h>
#include <netinet/in.h>
#include <random>
#include <spawn.h>
#include <string>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

using Steady = std::chrono::steady_clock;
using System = std::chrono::system_clock;

[[noreturn]] void Fail(const std::string &why)
{
    std::fprintf(stderr, "qmx_bench_mqtt: %s\n", why.c_str());
    std::exit(1);
}

double Percentile(std::vector<double> v, double p)
{
    if (v.empty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, std::size_t(p * double(v.size())))];
}

std::string Stats(const std::vector<double> &v)
{
    char text[160];
    std::snprintf(text, sizeof text, "n %zu, min / p50 / p99 / max: %.3f / %.3f / %.3f / %.3f ms", v.size(),
                  Percentile(v, 0), Percentile(v, 0.5), Percentile(v, 0.99), Percentile(v, 1));
    return text;
}

int FreePort()
{
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof a;
    bind(s, reinterpret_cast<sockaddr *>(&a), sizeof a);
    getsockname(s, reinterpret_cast<sockaddr *>(&a), &length);
    close(s);
    return ntohs(a.sin_port);
}

pid_t Spawn(const std::vector<std::string> &args, const std::vector<std::string> &env, const std::string &log)
{
    std::vector<char *> argv, envp;
    for (const auto &a : args)
        argv.push_back(const_cast<char *>(a.c_str()));
    argv.push_back(nullptr);
    for (const auto &e : env)
        envp.push_back(const_cast<char *>(e.c_str()));
    envp.push_back(nullptr);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 2, log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    pid_t pid = 0;
    if (posix_spawn(&pid, args[0].c_str(), &files, nullptr, argv.data(), env.empty() ? environ : envp.data()) != 0)
        Fail("cannot start " + args[0]);
    posix_spawn_file_actions_destroy(&files);
    return pid;
}

// The time a process has run on a processor, in seconds (the scheduler's
// own count in ns, finer than the clock ticks of /proc/PID/stat); its
// resident memory in KiB.
double CpuSeconds(pid_t pid)
{
    double total = 0;
    for (const auto &task : std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/task")) {
        std::ifstream schedstat(task.path() / "schedstat");
        double ns = 0;
        schedstat >> ns;
        total += ns / 1e9;
    }
    return total;
}

long RssKiB(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with("VmRSS:"))
            return std::atol(line.c_str() + 6);
    return 0;
}

std::string Iso(std::time_t t)
{
    char text[32];
    std::tm parts{};
    gmtime_r(&t, &parts);
    std::strftime(text, sizeof text, "%FT%TZ", &parts);
    return text;
}

void SleepUntil(System::time_point t)
{
    std::this_thread::sleep_until(t);
}

System::time_point NextSecond(int plusMs = 0)
{
    const auto now = System::now();
    return std::chrono::time_point_cast<std::chrono::seconds>(now) + std::chrono::seconds(1) +
           std::chrono::milliseconds(plusMs);
}

struct Arrival {
    int port;
    System::time_point at;
    std::string value;
};

// A value mm:ss carried at second base + value, its delay from that second.
double EdgeDelayMs(const Arrival &a, std::time_t base)
{
    const std::time_t whole = System::to_time_t(a.at);
    const int carried = std::stoi(a.value.substr(0, 2)) * 60 + std::stoi(a.value.substr(2));
    const long behind = ((long(whole) - long(base) - carried) % 3600 + 3600) % 3600;
    return double(behind) * 1000.0 +
           std::chrono::duration<double, std::milli>(a.at - System::from_time_t(whole)).count();
}

struct Site {
    std::string folder;
    int brokerPort = 0;
    pid_t broker = -1;
    std::vector<std::unique_ptr<sim::DisplaySim>> displays;
    std::vector<pid_t> bridges;
    std::mutex lock;
    std::vector<Arrival> arrivals;
    mosquitto *client = nullptr;
    std::atomic<int> online{0};
    std::atomic<int> errors{0};

    explicit Site(int displayCount)
    {
        char name[] = "/tmp/qmx-bench-mqtt-XXXXXX";
        if (!mkdtemp(name))
            Fail("no temp folder");
        folder = name;
        brokerPort = FreePort();
        std::ofstream(folder + "/broker.conf") << "listener " << brokerPort << " 127.0.0.1\npersistence false\n"
                                               << "allow_anonymous true\n"
                                               << (getuid() == 0 ? "user root\n" : "");
        broker = Spawn({"/usr/sbin/mosquitto", "-c", folder + "/broker.conf"}, {}, folder + "/broker.log");
        // The displays' reading threads inherit a real-time priority where
        // permitted: a real display is a device that waits for no processor,
        // so the figures are the bridges' own.
        sched_param readerPriority{};
        readerPriority.sched_priority = 20;
        pthread_setschedparam(pthread_self(), SCHED_FIFO, &readerPriority);
        for (int n = 1; n <= displayCount; ++n) {
            sim::Options o;
            o.portDir = folder;
            o.portNumber = n;
            o.pacing = true;
            auto display = std::make_unique<sim::DisplaySim>(o);
            display->onFrame([this, n](const sim::Frame &frame) {
                if (frame.kind != sim::Frame::Kind::Value || frame.bytes.size() < 5)
                    return;
                const auto offset = System::now().time_since_epoch() - Steady::now().time_since_epoch();
                const System::time_point at(
                    std::chrono::duration_cast<System::duration>(frame.received.time_since_epoch() + offset));
                std::lock_guard guard(lock);
                arrivals.push_back({n, at, std::string(frame.bytes.begin() + 1, frame.bytes.begin() + 5)});
            });
            if (!display->start())
                Fail(display->error());
            displays.push_back(std::move(display));
        }
        sched_param ordinary{};
        pthread_setschedparam(pthread_self(), SCHED_OTHER, &ordinary);
        mosquitto_lib_init();
        client = mosquitto_new("qmx-bench", true, this);
        mosquitto_message_callback_set(client, [](mosquitto *, void *self, const mosquitto_message *m) {
            auto &site = *static_cast<Site *>(self);
            if (std::string(m->topic).ends_with("/error"))
                ++site.errors;
            else if (m->payloadlen == 6 && std::memcmp(m->payload, "online", 6) == 0)
                ++site.online;
        });
        for (int i = 0; i < 50 && mosquitto_connect(client, "127.0.0.1", brokerPort, 30) != MOSQ_ERR_SUCCESS; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        mosquitto_subscribe(client, nullptr, "qmx8350t/+/availability", 1);
        mosquitto_subscribe(client, nullptr, "qmx8350t/+/error", 0);
        mosquitto_loop_start(client);
    }

    void startBridges(const std::vector<std::string> &extra, bool group)
    {
        for (std::size_t n = 1; n <= displays.size(); ++n) {
            std::vector<std::string> args{QMXCTL_COMMAND, "--port", "COM" + std::to_string(n)};
            args.insert(args.end(), extra.begin(), extra.end());
            for (const char *w : {"mqtt", "--format", "mm:ss", "--broker"})
                args.push_back(w);
            args.push_back("mqtt://127.0.0.1:" + std::to_string(brokerPort));
            args.push_back("--name");
            args.push_back("bench-" + std::to_string(n));
            if (group) {
                args.push_back("--group");
                args.push_back("bench");
            }
            bridges.push_back(Spawn(args, {"QMX_PORT_DIR=" + folder, "TZ=UTC"}, folder + "/bridges.log"));
        }
        for (int i = 0; i < 300 && online < int(bridges.size()); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        if (online < int(bridges.size()))
            Fail("only " + std::to_string(online) + " bridges came online");
    }

    void publish(const std::string &topic, const std::string &payload)
    {
        mosquitto_publish(client, nullptr, topic.c_str(), int(payload.size()), payload.data(), 1, false);
    }

    std::vector<Arrival> since(System::time_point from)
    {
        std::lock_guard guard(lock);
        std::vector<Arrival> out;
        for (const Arrival &a : arrivals)
            if (a.at >= from)
                out.push_back(a);
        return out;
    }

    ~Site()
    {
        for (pid_t pid : bridges)
            kill(pid, SIGTERM);
        for (pid_t pid : bridges)
            waitpid(pid, nullptr, 0);
        mosquitto_disconnect(client);
        mosquitto_loop_stop(client, false);
        mosquitto_destroy(client);
        kill(broker, SIGTERM);
        waitpid(broker, nullptr, 0);
        displays.clear();
        std::system(("rm -rf " + folder).c_str());
    }
};

void Latency(int count)
{
    Site site(1);
    site.startBridges({}, false);
    std::mt19937 random(1);
    std::vector<double> valueMs, edgeMs;
    int missedEdges = 0;
    for (int i = 0; i < count; ++i) {
        const auto at = NextSecond(100 + int(random() % 700));
        SleepUntil(at);
        char value[8];
        std::snprintf(value, sizeof value, "%04d", 9000 + i % 1000);
        const auto sent = System::now();
        site.publish("qmx8350t/bench-1/set", std::string(R"({"show":"value","value":")") + value + "\"}");
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        for (const Arrival &a : site.since(sent))
            if (a.value == value) {
                valueMs.push_back(std::chrono::duration<double, std::milli>(a.at - sent).count());
                break;
            }
        // A countdown whose new value is due at the next second: the frame
        // of that second carries it.
        SleepUntil(NextSecond(100 + int(random() % 700)));
        const std::time_t now = System::to_time_t(System::now());
        const std::time_t to = now + 1 + 600 + i % 60;
        site.publish("qmx8350t/bench-1/set", R"({"show":"countdown","to":")" + Iso(to) + "\"}");
        SleepUntil(System::from_time_t(now + 2) - std::chrono::milliseconds(100));
        bool found = false;
        for (const Arrival &a : site.since(System::from_time_t(now + 1)))
            if (System::to_time_t(a.at) == now + 1 && a.value == [&] {
                    char v[8];
                    std::snprintf(v, sizeof v, "%02d%02d", int(to - now - 1) / 60 % 60, int(to - now - 1) % 60);
                    return std::string(v);
                }()) {
                edgeMs.push_back(
                    std::chrono::duration<double, std::milli>(a.at - System::from_time_t(now + 1)).count());
                found = true;
            }
        missedEdges += found ? 0 : 1;
    }
    std::printf("value at once, publish to first byte: %s\n", Stats(valueMs).c_str());
    std::printf("countdown due at the next second, that second's frame after its start: %s; not there: %d\n",
                Stats(edgeMs).c_str(), missedEdges);
}

void Group(int seconds, bool realtime)
{
    Site site(2);
    site.startBridges(realtime ? std::vector<std::string>{"--realtime"} : std::vector<std::string>{}, true);
    const std::time_t from = System::to_time_t(System::now()) + 2;
    site.publish("qmx8350t/group/bench/set", R"({"show":"stopwatch","from":")" + Iso(from) + "\"}");
    SleepUntil(System::from_time_t(from + 1 + seconds) + std::chrono::milliseconds(300));
    std::map<std::string, std::map<int, System::time_point>> byValue;
    for (const Arrival &a : site.since(System::from_time_t(from + 1)))
        byValue[a.value][a.port] = a.at;
    std::vector<double> apart;
    int unpaired = 0;
    for (const auto &[value, ports] : byValue) {
        if (ports.size() != 2) {
            ++unpaired;
            continue;
        }
        apart.push_back(std::abs(std::chrono::duration<double, std::milli>(ports.at(1) - ports.at(2)).count()));
    }
    std::printf("two displays of one group, %d s%s: frames apart %s; values on one display only: %d\n", seconds,
                realtime ? ", --realtime" : "", Stats(apart).c_str(), unpaired);
}

void Fleet(int bridges, int seconds, int busy, bool realtime)
{
    std::vector<pid_t> spinners;
    for (int i = 0; i < busy; ++i) {
        const pid_t pid = fork();
        if (pid == 0) {
            volatile unsigned long n = 0;
            for (;;)
                n = n + 1;
        }
        spinners.push_back(pid);
    }
    Site site(bridges);
    site.startBridges(realtime ? std::vector<std::string>{"--realtime"} : std::vector<std::string>{}, false);
    SleepUntil(NextSecond(500));
    const auto start = System::now();
    std::vector<double> cpuStart;
    for (pid_t pid : site.bridges)
        cpuStart.push_back(CpuSeconds(pid));
    SleepUntil(start + std::chrono::seconds(seconds));
    std::vector<double> cpuPercent, rss;
    for (std::size_t i = 0; i < site.bridges.size(); ++i) {
        cpuPercent.push_back((CpuSeconds(site.bridges[i]) - cpuStart[i]) * 100.0 / seconds);
        rss.push_back(double(RssKiB(site.bridges[i])));
    }
    std::vector<double> delays;
    for (const Arrival &a : site.since(start))
        delays.push_back(EdgeDelayMs(a, 0));
    for (pid_t pid : spinners) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    std::printf("%d bridges, %d s, %d busy loop(s)%s\n", bridges, seconds, busy, realtime ? ", --realtime" : "");
    std::printf("second-edge delay: %s (expected frames %d)\n", Stats(delays).c_str(), bridges * seconds);
    std::printf("CPU per bridge, %% of a core: min / p50 / max %.3f / %.3f / %.3f\n", Percentile(cpuPercent, 0),
                Percentile(cpuPercent, 0.5), Percentile(cpuPercent, 1));
    std::printf("resident memory per bridge: min / p50 / max %.0f / %.0f / %.0f KiB\n", Percentile(rss, 0),
                Percentile(rss, 0.5), Percentile(rss, 1));
}

void Flood(int seconds, int rate)
{
    Site site(1);
    site.startBridges({}, false);
    const std::time_t from = System::to_time_t(System::now());
    const std::string programme = R"({"show":"stopwatch","from":")" + Iso(from) + "\"}";
    site.publish("qmx8350t/bench-1/set", programme);
    SleepUntil(NextSecond(500));
    const long rssBefore = RssKiB(site.bridges[0]);
    const double cpuBefore = CpuSeconds(site.bridges[0]);
    const auto start = System::now();
    long sent = 0;
    for (auto next = Steady::now(); System::now() < start + std::chrono::seconds(seconds);) {
        // Half the same programme again, half refused commands.
        site.publish("qmx8350t/bench-1/set", sent % 2 ? programme : "not json");
        ++sent;
        next += std::chrono::microseconds(1000000 / rate);
        std::this_thread::sleep_until(next);
    }
    const long rssAfter = RssKiB(site.bridges[0]);
    const double cpu = CpuSeconds(site.bridges[0]) - cpuBefore;
    std::this_thread::sleep_for(std::chrono::seconds(1));
    std::vector<double> delays;
    for (const Arrival &a : site.since(start))
        if (a.at < start + std::chrono::seconds(seconds))
            delays.push_back(EdgeDelayMs(a, from));
    std::printf("flood of %ld commands in %d s (%d a second asked), %d errors answered\n", sent, seconds, rate,
                site.errors.load());
    std::printf("second-edge delay meanwhile: %s\n", Stats(delays).c_str());
    std::printf("bridge resident memory before / after: %ld / %ld KiB; CPU %.1f %% of a core\n", rssBefore, rssAfter,
                cpu * 100.0 / seconds);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 2)
        Fail("usage: qmx_bench_mqtt latency|group|fleet|flood [options]");
    const std::string mode = argv[1];
    int count = 100, seconds = 60, bridges = 29, busy = 0, rate = 2000;
    bool realtime = false;
    for (int i = 2; i < argc; ++i) {
        const std::string a = argv[i];
        const auto next = [&] { return i + 1 < argc ? std::atoi(argv[++i]) : 0; };
        if (a == "--count")
            count = next();
        else if (a == "--seconds")
            seconds = next();
        else if (a == "--bridges")
            bridges = next();
        else if (a == "--busy")
            busy = next();
        else if (a == "--rate")
            rate = next();
        else if (a == "--realtime")
            realtime = true;
        else
            Fail("unknown option " + a);
    }
    if (mode == "latency")
        Latency(count);
    else if (mode == "group")
        Group(seconds, realtime);
    else if (mode == "fleet")
        Fleet(bridges, seconds, busy, realtime);
    else if (mode == "flood")
        Flood(seconds, std::max(1, rate));
    else
        Fail("unknown mode " + mode);
    return 0;
}
