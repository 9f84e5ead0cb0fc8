#include "cli/mqtt/second_wait.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/timerfd.h>
#include <time.h>
#include <unistd.h>

#include <cstdint>

namespace qmxmqtt {

SecondWait::SecondWait()
    : timer_(::timerfd_create(CLOCK_REALTIME, TFD_CLOEXEC | TFD_NONBLOCK)),
      event_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{
}

SecondWait::~SecondWait()
{
    ::close(timer_);
    ::close(event_);
}

void SecondWait::wait()
{
    // Absolute on the clock the local time is read from, as the clock's own
    // wait: the second read after it is always the new one.
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    const itimerspec next{{0, 0}, {now.tv_sec + 1, 0}};
    ::timerfd_settime(timer_, TFD_TIMER_ABSTIME, &next, nullptr);
    pollfd fds[] = {{timer_, POLLIN, 0}, {event_, POLLIN, 0}};
    // A signal ends the poll with EINTR: the stop is seen at once.
    ::poll(fds, 2, -1);
    std::uint64_t count = 0;
    (void)!::read(timer_, &count, sizeof count);
    (void)!::read(event_, &count, sizeof count);
}

void SecondWait::wake()
{
    const std::uint64_t one = 1;
    (void)!::write(event_, &one, sizeof one);
}

std::int64_t NowSecond()
{
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return now.tv_sec;
}

} // namespace qmxmqtt
