#include "platform/serial_claim_posix.h"

#include <sys/ioctl.h>
#include <termios.h>

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <mutex>

namespace platform {
namespace {

// A signal handler reads these, so they are lock-free slots, not a container.
// A program holds one port; tests hold a few. A slot holds fd + 1; 0 is free.
constexpr int kSlots = 64;
std::atomic<int> claimed[kSlots];
constexpr int kEndSignals[] = {SIGINT, SIGTERM, SIGHUP};

void ClearAll()
{
    for (std::atomic<int> &slot : claimed) {
        const int held = slot.exchange(0);
        if (held > 0)
            (void)::ioctl(held - 1, TIOCNXCL);
    }
}

// Clears the claims, then ends the program by the same signal, as it would
// have ended without this handler.
void OnEndSignal(int signal)
{
    ClearAll();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

void WatchTheEnds()
{
    std::atexit(ClearAll);
    for (int signal : kEndSignals) {
        struct sigaction old {};
        if (::sigaction(signal, nullptr, &old) != 0 || old.sa_handler != SIG_DFL || (old.sa_flags & SA_SIGINFO))
            continue; // ignored, or the program's own handler ends it its own way
        struct sigaction action {};
        action.sa_handler = OnEndSignal;
        sigemptyset(&action.sa_mask);
        (void)::sigaction(signal, &action, nullptr);
    }
}

} // namespace

bool ClaimExclusively(int fd)
{
    static std::once_flag watching;
    std::call_once(watching, WatchTheEnds);
    if (::ioctl(fd, TIOCEXCL) != 0)
        return false;
    for (std::atomic<int> &slot : claimed) {
        int free = 0;
        if (slot.compare_exchange_strong(free, fd + 1))
            break;
    }
    return true;
}

void ReleaseClaim(int fd)
{
    for (std::atomic<int> &slot : claimed) {
        int held = fd + 1;
        if (slot.compare_exchange_strong(held, 0))
            break;
    }
    (void)::ioctl(fd, TIOCNXCL);
}

} // namespace platform
