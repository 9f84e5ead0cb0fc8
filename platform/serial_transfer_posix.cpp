// Reads and writes under Win32-style time-outs, emulated with poll() on the
// monotonic clock because POSIX keeps no time-outs per port.
#include "platform/serial_device_posix.h"

#include "platform/failure.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;
using Milliseconds = std::chrono::milliseconds;
constexpr std::uint32_t kMaxDword = 0xFFFFFFFFu;

// Win32 computes multiplier * n + constant in 32 bits; we do not wrap, but a
// limit of some years is as good as none.
Milliseconds TotalTimeout(std::uint32_t multiplier, std::uint32_t constant, std::size_t size)
{
    constexpr std::uint64_t cap = std::uint64_t(1) << 40;
    if (multiplier != 0 && size > cap / multiplier)
        return Milliseconds(cap);
    return Milliseconds(std::min<std::uint64_t>(std::uint64_t(multiplier) * size + constant, cap));
}

// Rounded up so that poll() never wakes before the deadline and the caller
// does not spin on zero-millisecond polls.
int PollMilliseconds(Clock::duration left)
{
    if (left <= Clock::duration::zero())
        return 0;
    const auto ms = std::chrono::ceil<Milliseconds>(left).count();
    return ms > INT_MAX ? INT_MAX : int(ms);
}

enum class Wait { Ready, TimedOut, Failed, Gone };

// Waits until fd is ready for events or until `until` (none: no limit).
Wait WaitFor(int fd, short events, std::optional<Clock::time_point> until)
{
    for (;;) {
        pollfd p{fd, events, 0};
        const int result = ::poll(&p, 1, until ? PollMilliseconds(*until - Clock::now()) : -1);
        if (result < 0) {
            if (errno == EINTR)
                continue;
            KeepFailure(errno);
            return Wait::Failed;
        }
        if (result == 0) {
            if (!until || Clock::now() >= *until)
                return Wait::TimedOut;
            continue;
        }
        if (p.revents & events)
            return Wait::Ready;
        // POLLHUP, POLLERR or POLLNVAL with nothing to transfer: the device
        // went away, and polling again would return at once, forever.
        KeepFailure(EIO, "the device hung up or went away");
        return Wait::Gone;
    }
}

enum class Step { Moved, Retry, TimedOut, Failed };

// One wait and one read or write, whose count is added to moved. When the
// system says the device has gone, the device lets it go.
template <class Transfer>
Step WaitAndTransfer(SerialDevice &device, short events, std::optional<Clock::time_point> until,
                     Transfer transfer, std::size_t &moved)
{
    switch (WaitFor(device.fd, events, until)) {
    case Wait::TimedOut:
        return Step::TimedOut;
    case Wait::Failed:
        return Step::Failed;
    case Wait::Gone:
        LoseDevice(device);
        return Step::Failed;
    case Wait::Ready:
        break;
    }
    const ssize_t n = transfer();
    if (n < 0) {
        const int error = errno;
        if (error == EINTR || error == EAGAIN)
            return Step::Retry;
        KeepFailure(error);
        if (GoneError(error))
            LoseDevice(device);
        return Step::Failed;
    }
    // A terminal whose other side hung up reports itself ready and then
    // moves nothing.
    if (n == 0) {
        KeepFailure(EIO, "the device hung up or went away");
        LoseDevice(device);
        return Step::Failed;
    }
    moved += std::size_t(n);
    return Step::Moved;
}

std::optional<Clock::time_point> Earliest(std::optional<Clock::time_point> a, Clock::time_point b)
{
    return a ? std::min(*a, b) : b;
}

bool ReadPlainFile(int fd, std::uint8_t *data, std::size_t size, std::size_t &received)
{
    while (received < size) {
        const ssize_t n = ::read(fd, data + received, size - received);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return SystemFailure();
        }
        if (n == 0)
            break;
        received += std::size_t(n);
    }
    return true;
}

} // namespace

bool ReadDevice(SerialDevice *device, std::uint8_t *data, std::size_t size, std::size_t &received)
{
    received = 0;
    if (!device)
        return NoPort();
    // A read goes on with the exchange that a write began; a device that
    // came back since cannot hold its answer.
    if (device->fd < 0)
        return GoneFailure();
    if (device->regularFile)
        return ReadPlainFile(device->fd, data, size, received);

    const CommTimeouts &t = device->timeouts;
    const Clock::time_point start = Clock::now();
    // Win32: MAXDWORD interval with no totals returns at once with what has
    // arrived; MAXDWORD interval and multiplier wait up to the constant for
    // the first byte and then return at once.
    const bool maxInterval = t.ReadIntervalTimeout == kMaxDword;
    const bool returnAtOnce =
        maxInterval && t.ReadTotalTimeoutMultiplier == 0 && t.ReadTotalTimeoutConstant == 0;
    const bool firstByteOnly = maxInterval && t.ReadTotalTimeoutMultiplier == kMaxDword &&
                               t.ReadTotalTimeoutConstant != 0 && t.ReadTotalTimeoutConstant != kMaxDword;

    std::optional<Clock::time_point> totalEnd;
    if (firstByteOnly)
        totalEnd = start + Milliseconds(t.ReadTotalTimeoutConstant);
    else if (t.ReadTotalTimeoutMultiplier != 0 || t.ReadTotalTimeoutConstant != 0)
        totalEnd = start + TotalTimeout(t.ReadTotalTimeoutMultiplier, t.ReadTotalTimeoutConstant, size);

    std::optional<Clock::time_point> lastByte;
    while (received < size) {
        std::optional<Clock::time_point> until = totalEnd;
        if (returnAtOnce || (firstByteOnly && received > 0))
            until = Clock::now();
        else if (lastByte && t.ReadIntervalTimeout != 0)
            until = Earliest(until, *lastByte + Milliseconds(t.ReadIntervalTimeout));

        const Step step = WaitAndTransfer(
            *device, POLLIN, until, [&] { return ::read(device->fd, data + received, size - received); },
            received);
        if (step == Step::TimedOut)
            return true;
        if (step == Step::Failed)
            return false;
        if (step == Step::Moved)
            lastByte = Clock::now();
    }
    return true;
}

bool WriteDevice(SerialDevice *device, const std::uint8_t *data, std::size_t size, std::size_t &written)
{
    written = 0;
    if (!device)
        return NoPort();
    // A digit frame is a write alone, so a device that has gone is looked
    // for again here as well as at the discard that begins an exchange.
    if (!Reattach(*device))
        return false;

    const CommTimeouts &t = device->timeouts;
    std::optional<Clock::time_point> end;
    if (t.WriteTotalTimeoutMultiplier != 0 || t.WriteTotalTimeoutConstant != 0)
        end = Clock::now() + TotalTimeout(t.WriteTotalTimeoutMultiplier, t.WriteTotalTimeoutConstant, size);

    while (written < size) {
        const Step step = WaitAndTransfer(
            *device, POLLOUT, end, [&] { return ::write(device->fd, data + written, size - written); },
            written);
        if (step == Step::TimedOut)
            return true;
        if (step == Step::Failed)
            return false;
    }
    return true;
}

} // namespace platform
