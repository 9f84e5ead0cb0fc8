#include "cli/system.h"

#include "platform/stop_transfers_posix.h"

#include <sched.h>
#include <sys/stat.h>
#include <time.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace qmxctl {
namespace {

volatile std::sig_atomic_t stopSignal = 0;

// An exchange under way when the stop comes ends at once: a silent display
// would otherwise hold the stop for the whole reply time-out.
void OnStopSignal(int signal)
{
    stopSignal = signal;
    platform::StopTransfers();
}

} // namespace

std::vector<std::string> CommandLineArguments(int argc, char *argv[])
{
    return std::vector<std::string>(argv + 1, argv + argc);
}

// No SA_RESTART: the signal must cut the clock's sleep short.
void CatchStopSignals()
{
    struct sigaction action {};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool StopRequested()
{
    return stopSignal != 0;
}

void SleepUntilNextSecond()
{
    // Absolute, on the clock the local time is read from: a late wake-up
    // does not add up, and the second read after it is always the new one.
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const timespec next{now.tv_sec + 1, 0};
    ::clock_nanosleep(CLOCK_REALTIME, TIMER_ABSTIME, &next, nullptr);
}

std::string AskForRealTimeScheduling()
{
    // FIFO at a low priority: above every ordinary process, below the
    // kernel's own threads and the audio and control programs that ask for
    // more. Root may, and an unprivileged user within RLIMIT_RTPRIO (the
    // service unit sets it); children do not inherit it.
    sched_param priority{};
    priority.sched_priority = 10;
    if (::sched_setscheduler(0, SCHED_FIFO | SCHED_RESET_ON_FORK, &priority) == 0)
        return "real-time scheduling obtained (SCHED_FIFO, priority 10)";
    return std::string("no real-time scheduling (") + std::strerror(errno) +
           "; RLIMIT_RTPRIO must allow 10); the clock runs at the normal priority";
}

std::string JournalPrefix(bool warning)
{
    // systemd names the stream it connects as "device:inode"; a program run
    // from the service's shell script with its output redirected has another.
    const char *stream = std::getenv("JOURNAL_STREAM");
    struct stat st;
    if (!stream || ::fstat(2, &st) != 0)
        return {};
    unsigned long long device = 0, inode = 0;
    if (std::sscanf(stream, "%llu:%llu", &device, &inode) != 2 || device != st.st_dev || inode != st.st_ino)
        return {};
    return warning ? "<4>" : "<6>";
}

} // namespace qmxctl
