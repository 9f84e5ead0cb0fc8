#include "platform/serial_poll_posix.h"

#include "platform/failure.h"
#include "platform/stop_transfers_posix.h"

#include <poll.h>

#include <cerrno>
#include <csignal>

namespace platform {
namespace {
volatile std::sig_atomic_t stopped = 0;
} // namespace

void StopTransfers()
{
    stopped = 1;
}

bool TransfersStopped()
{
    return stopped != 0;
}

Step PollStep(int fd, short events, Deadline until, const std::function<ssize_t()> &transfer, std::size_t &moved)
{
    pollfd p{fd, events, 0};
    const int result = stopped ? (errno = EINTR, -1) : ::poll(&p, 1, WaitMilliseconds(until));
    if (result < 0) {
        if (errno == EINTR && !stopped)
            return Step::Retry;
        KeepFailure(errno);
        return Step::Failed;
    }
    if (result == 0)
        return !until || SteadyClock::now() >= *until ? Step::TimedOut : Step::Retry;
    if (!(p.revents & events)) {
        KeepFailure(FailureKind::Gone, EIO, "the device hung up or went away");
        return Step::Failed;
    }
    const ssize_t n = transfer();
    if (n < 0) {
        if (errno == EINTR || errno == EAGAIN)
            return Step::Retry;
        KeepFailure(errno);
        return Step::Failed;
    }
    // A terminal whose other side hung up reports itself ready and then
    // moves nothing.
    if (n == 0) {
        KeepFailure(FailureKind::Gone, EIO, "the device hung up or went away");
        return Step::Failed;
    }
    moved += std::size_t(n);
    return Step::Moved;
}

} // namespace platform
