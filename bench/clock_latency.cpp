// qmxctl clock mm:ss against an emulated display at 9600 baud, on the real
// clock: how long after each change of second the first byte of the new value
// reaches the display, and whether a second is lost or sent twice.
//
// The display runs in this process; qmxctl runs as a child, as a shell runs
// it, so its CPU time comes from wait4.
//
//   qmx_bench_clock [--seconds N] [--busy N] [--realtime]
//
// --seconds: the length of the run (default 600). --busy: that many processes
// spin beside it at ordinary priority, as a build keeps the processors busy.
// --realtime: qmxctl runs with the service's command line, which asks for
// SCHED_FIFO. The display's reading thread takes a higher real-time priority
// where permitted, in every run (a real display is a device that waits for no
// processor), so that the figures are qmxctl's own wake-up and not the
// bench's.
// The time from SIGTERM to qmxctl's exit is measured too, and beside it the
// lateness of a thread of the bench's own that sleeps to each change of
// second as qmxctl does, at the reading thread's priority: it tells a machine
// that delays every wake-up (a virtual machine whose processor is taken away)
// from a delay on the way to the display.
#include "sim/display_sim.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>
#include <pthread.h>
#include <sched.h>
#include <set>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using Steady = std::chrono::steady_clock;
using System = std::chrono::system_clock;

[[noreturn]] void Fail(const std::string &why)
{
    std::fprintf(stderr, "qmx_bench_clock: %s\n", why.c_str());
    std::exit(1);
}

struct Arrival {
    System::time_point at; // the frame's first byte, on the system clock
    std::string value;     // the four characters it carries
};

int SecondOfHour(std::time_t t)
{
    std::tm parts{};
    localtime_r(&t, &parts);
    return parts.tm_min * 60 + parts.tm_sec;
}

double Percentile(std::vector<double> sorted, double p)
{
    const std::size_t i = std::min(sorted.size() - 1, std::size_t(p * double(sorted.size())));
    return sorted[i];
}

} // namespace

int main(int argc, char **argv)
{
    int seconds = 600;
    int busy = 0;
    bool realtime = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc)
            seconds = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--busy") == 0 && i + 1 < argc)
            busy = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--realtime") == 0)
            realtime = true;
        else
            seconds = 0;
    }
    if (seconds < 2 || busy < 0)
        Fail("usage: qmx_bench_clock [--seconds N] [--busy N] [--realtime]");

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
    // Inherited by the display's threads, started below.
    sched_param readerPriority{};
    readerPriority.sched_priority = 20;
    const bool readerRealtime = pthread_setschedparam(pthread_self(), SCHED_FIFO, &readerPriority) == 0;

    char folder[] = "/tmp/qmx-bench-clock-XXXXXX";
    if (!mkdtemp(folder))
        Fail("no temp folder");

    std::mutex mutex;
    std::vector<Arrival> arrivals;
    sim::Options options;
    options.portDir = folder;
    options.portNumber = 5;
    options.pacing = true;
    sim::DisplaySim display(options);
    // The offset between the clocks is taken at each frame, a few ms after
    // its first byte: the system clock may be slewed during a long run.
    display.onFrame([&](const sim::Frame &frame) {
        const auto offset = System::now().time_since_epoch() - Steady::now().time_since_epoch();
        const System::time_point at(
            std::chrono::duration_cast<System::duration>(frame.received.time_since_epoch() + offset));
        std::lock_guard lock(mutex);
        arrivals.push_back({at, std::string(frame.bytes.begin() + 1, frame.bytes.begin() + 5)});
    });
    std::atomic<bool> probing{true};
    std::vector<double> wakeups;
    std::thread probe([&] {
        while (probing) {
            timespec now{};
            clock_gettime(CLOCK_REALTIME, &now);
            const timespec next{now.tv_sec + 1, 0};
            clock_nanosleep(CLOCK_REALTIME, TIMER_ABSTIME, &next, nullptr);
            clock_gettime(CLOCK_REALTIME, &now);
            wakeups.push_back(double(now.tv_sec - next.tv_sec) * 1000.0 + double(now.tv_nsec) / 1e6);
        }
    });
    if (!display.start())
        Fail(display.error());

    const std::string portDir = std::string("QMX_PORT_DIR=") + folder;
    std::vector<char *> childArgv{const_cast<char *>(QMXCTL_COMMAND), const_cast<char *>("--port"),
                                  const_cast<char *>("COM5")};
    if (realtime)
        childArgv.push_back(const_cast<char *>("--realtime"));
    for (const char *word : {"clock", "mm:ss"})
        childArgv.push_back(const_cast<char *>(word));
    childArgv.push_back(nullptr);
    char *childEnv[] = {const_cast<char *>(portDir.c_str()), nullptr};
    // qmxctl starts at ordinary priority, as systemd starts the service.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSCHEDULER);
    sched_param ordinary{};
    posix_spawnattr_setschedpolicy(&attributes, SCHED_OTHER);
    posix_spawnattr_setschedparam(&attributes, &ordinary);
    pid_t child;
    if (posix_spawn(&child, QMXCTL_COMMAND, nullptr, &attributes, childArgv.data(), childEnv) != 0)
        Fail("cannot start qmxctl");
    posix_spawnattr_destroy(&attributes);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const int childPolicy = sched_getscheduler(child);

    std::this_thread::sleep_for(std::chrono::seconds(seconds) + std::chrono::milliseconds(300));
    probing = false;
    probe.join();
    const auto stopAsked = Steady::now();
    kill(child, SIGTERM);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    const double stopMs = std::chrono::duration<double, std::milli>(Steady::now() - stopAsked).count();
    for (pid_t pid : spinners) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    display.stop();

    std::vector<double> delays;
    std::set<int> seen;
    int doubled = 0, late = 0;
    int first = -1, last = -1;
    // The first frame is the start's own send, not one at a change of second.
    for (std::size_t i = 1; i < arrivals.size(); ++i) {
        const Arrival &a = arrivals[i];
        const int carried = std::stoi(a.value.substr(0, 2)) * 60 + std::stoi(a.value.substr(2));
        const std::time_t whole = System::to_time_t(a.at);
        const auto frac = a.at - System::from_time_t(whole);
        double delay = std::chrono::duration<double, std::milli>(frac).count();
        if (SecondOfHour(whole) != carried) {
            ++late; // arrived after the second it carries had ended
            delay += 1000.0 * ((SecondOfHour(whole) - carried + 3600) % 3600);
        }
        delays.push_back(delay);
        if (!seen.insert(carried).second)
            ++doubled;
        if (first < 0)
            first = carried;
        last = carried;
    }
    if (delays.empty())
        Fail("no frame arrived");
    const int span = (last - first + 3600) % 3600 + 1;
    const int missed = span - int(seen.size());
    std::sort(delays.begin(), delays.end());

    const double cpu = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                       double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    std::printf("run: %d s, %d busy loop(s), qmxctl exit status %d\n", seconds, busy,
                WIFEXITED(status) ? WEXITSTATUS(status) : -1);
    std::printf("qmxctl's policy: %s; the display's reading thread: %s\n",
                (childPolicy & ~SCHED_RESET_ON_FORK) == SCHED_FIFO ? "SCHED_FIFO" : "ordinary",
                readerRealtime ? "SCHED_FIFO 20" : "ordinary");
    std::printf("SIGTERM to exit: %.1f ms\n", stopMs);
    std::printf("frames at a change of second: %zu\n", delays.size());
    std::printf("delay min / p50 / p99 / max: %.3f / %.3f / %.3f / %.3f ms\n", delays.front(), Percentile(delays, 0.5),
                Percentile(delays, 0.99), delays.back());
    std::printf("seconds missed / sent twice / arrived late: %d / %d / %d\n", missed, doubled, late);
    std::sort(wakeups.begin(), wakeups.end());
    std::printf("the bench's own wake-up at the change of second, p50 / p99 / max: %.3f / %.3f / %.3f ms\n",
                Percentile(wakeups, 0.5), Percentile(wakeups, 0.99), wakeups.back());
    std::printf("CPU, qmxctl: %.3f s in all, %.4f s per minute\n", cpu, cpu * 60.0 / seconds);
    rmdir(folder);
    return 0;
}
