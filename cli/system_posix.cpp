#include "cli/system.h"

#include <csignal>
#include <time.h>

namespace qmxctl {
namespace {

volatile std::sig_atomic_t stopSignal = 0;

void OnStopSignal(int signal) { stopSignal = signal; }

} // namespace

std::vector<std::string> CommandLineArguments(int argc, char *argv[])
{
    return std::vector<std::string>(argv + 1, argv + argc);
}

// No SA_RESTART: the signal must cut the clock's sleep short.
void CatchStopSignals()
{
    struct sigaction action{};
    action.sa_handler = OnStopSignal;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

bool StopRequested() { return stopSignal != 0; }

void SleepUntilNextSecond()
{
    // Absolute, on the clock the local time is read from: a late wake-up
    // does not add up, and the second read after it is always the new one.
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const timespec next{now.tv_sec + 1, 0};
    ::clock_nanosleep(CLOCK_REALTIME, TIMER_ABSTIME, &next, nullptr);
}

} // namespace qmxctl
