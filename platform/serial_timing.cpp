#include "platform/serial_timing.h"

#include <algorithm>
#include <climits>
#include <cstdint>

namespace platform {
namespace {

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

Deadline Earliest(Deadline a, SteadyClock::time_point b)
{
    return a ? std::min(*a, b) : b;
}

} // namespace

int WaitMilliseconds(Deadline until)
{
    if (!until)
        return -1;
    const auto left = *until - SteadyClock::now();
    if (left <= SteadyClock::duration::zero())
        return 0;
    // Rounded up, so that the wait never ends before the deadline and the
    // caller does not spin on zero-millisecond waits.
    const auto ms = std::chrono::ceil<Milliseconds>(left).count();
    return ms > INT_MAX ? INT_MAX : int(ms);
}

bool TimedRead(const CommTimeouts &t, std::size_t size, std::size_t &received, const StepFunction &step)
{
    const SteadyClock::time_point start = SteadyClock::now();
    // Win32: MAXDWORD interval with no totals returns at once with what has
    // arrived; MAXDWORD interval and multiplier wait up to the constant for
    // the first byte and then return at once.
    const bool maxInterval = t.ReadIntervalTimeout == kMaxDword;
    const bool returnAtOnce = maxInterval && t.ReadTotalTimeoutMultiplier == 0 && t.ReadTotalTimeoutConstant == 0;
    const bool firstByteOnly = maxInterval && t.ReadTotalTimeoutMultiplier == kMaxDword &&
                               t.ReadTotalTimeoutConstant != 0 && t.ReadTotalTimeoutConstant != kMaxDword;

    Deadline totalEnd;
    if (firstByteOnly)
        totalEnd = start + Milliseconds(t.ReadTotalTimeoutConstant);
    else if (t.ReadTotalTimeoutMultiplier != 0 || t.ReadTotalTimeoutConstant != 0)
        totalEnd = start + TotalTimeout(t.ReadTotalTimeoutMultiplier, t.ReadTotalTimeoutConstant, size);

    Deadline lastByte;
    while (received < size) {
        Deadline until = totalEnd;
        if (returnAtOnce || (firstByteOnly && received > 0))
            until = SteadyClock::now();
        else if (lastByte && t.ReadIntervalTimeout != 0)
            until = Earliest(until, *lastByte + Milliseconds(t.ReadIntervalTimeout));

        switch (step(until, received)) {
        case Step::TimedOut:
            return true;
        case Step::Failed:
            return false;
        case Step::Moved:
            lastByte = SteadyClock::now();
            break;
        case Step::Retry:
            // Woken without data (a network server's Telnet talk, a signal):
            // what comes meanwhile never stretches the time-out.
            if (until && SteadyClock::now() >= *until)
                return true;
            break;
        }
    }
    return true;
}

Deadline WriteDeadline(const CommTimeouts &t, std::size_t size)
{
    if (t.WriteTotalTimeoutMultiplier == 0 && t.WriteTotalTimeoutConstant == 0)
        return std::nullopt;
    return SteadyClock::now() + TotalTimeout(t.WriteTotalTimeoutMultiplier, t.WriteTotalTimeoutConstant, size);
}

bool TimedWrite(Deadline end, std::size_t size, std::size_t &written, const StepFunction &step)
{
    while (written < size) {
        switch (step(end, written)) {
        case Step::TimedOut:
            return true;
        case Step::Failed:
            return false;
        case Step::Moved:
        case Step::Retry:
            break;
        }
    }
    return true;
}

} // namespace platform
