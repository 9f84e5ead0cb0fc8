#include "sim/display_sim.h"

#include "sim/display_answer.h"
#include "sim/frame_parser.h"
#include "sim/pty_pair.h"

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <deque>
#include <fcntl.h>
#include <mutex>
#include <optional>
#include <poll.h>
#include <thread>
#include <unistd.h>

namespace sim {
namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::microseconds;

// 9600 baud with a start and a stop bit: ten bit times a byte.
constexpr microseconds kPacedByte{1042};
// A frame the program left unfinished this long is garbage; its sender gives
// up on a reply after far less than this.
constexpr std::chrono::milliseconds kIdleFlush{50};
// After the program opens the port it sets TIOCEXCL within this time.
constexpr std::chrono::milliseconds kExclusiveWatch{1000};
constexpr std::chrono::milliseconds kExclusiveTick{5};
// Retry delay when the program's end cannot take more bytes.
constexpr microseconds kFullRetry{2000};

timespec ToTimespec(Clock::duration d)
{
    const auto ns = std::chrono::duration_cast<std::chrono::nanoseconds>(std::max(d, Clock::duration::zero()));
    return timespec{static_cast<time_t>(ns.count() / 1'000'000'000), static_cast<long>(ns.count() % 1'000'000'000)};
}

} // namespace

struct DisplaySim::Impl {
    // A frame on its way out: its answer leaves byte by byte when paced.
    struct Outgoing {
        Frame frame;
        std::size_t sent = 0;
        microseconds gap{0};
        Clock::time_point nextAt;
    };

    explicit Impl(Options o) : options(std::move(o))
    {
        memory.value = FourChars(options.initialValue);
        behaviour = options.behaviour;
        pacing = options.pacing;
        gapMs = options.gapMs;
    }

    void run();
    void readInput();
    void watchOpening();
    void take(std::vector<Frame> &frames, Clock::time_point now);
    void sendDue();
    void finish(Frame frame);

    Options options;
    std::string error;
    PtyPair pty;
    int wake[2] = {-1, -1};
    std::thread thread;

    mutable std::mutex mutex;
    mutable std::condition_variable logged;
    DisplayMemory memory;
    Behaviour behaviour;
    bool pacing;
    int gapMs;
    std::vector<Frame> log;
    // Frames that began before the log was last cleared stay out of it, also
    // those whose reply was still going out then.
    Clock::time_point clearedAt{};
    std::function<void(const Frame &)> callback;

    // Owned by the sim's thread alone.
    FrameParser parser;
    std::deque<Outgoing> outbox;
    std::optional<Clock::time_point> masterQuietUntil;
    std::optional<Clock::time_point> exclusiveWatchUntil;
};

void DisplaySim::Impl::run()
{
    for (;;) {
        sendDue();
        Clock::time_point now = Clock::now();
        if (parser.pending() && now - parser.lastByteAt() >= kIdleFlush) {
            std::vector<Frame> frames;
            parser.flush(frames);
            take(frames, now);
            continue;
        }
        if (masterQuietUntil && now >= *masterQuietUntil)
            masterQuietUntil.reset();

        std::optional<Clock::time_point> deadline;
        auto earliest = [&](Clock::time_point t) { deadline = deadline ? std::min(*deadline, t) : t; };
        if (!outbox.empty())
            earliest(outbox.front().nextAt);
        if (parser.pending())
            earliest(parser.lastByteAt() + kIdleFlush);
        if (masterQuietUntil)
            earliest(*masterQuietUntil);
        if (exclusiveWatchUntil) {
            DropExclusive(pty);
            if (now >= *exclusiveWatchUntil)
                exclusiveWatchUntil.reset();
            else
                earliest(now + kExclusiveTick);
        }

        pollfd fds[3] = {
            {wake[0], POLLIN, 0}, {masterQuietUntil ? -1 : pty.master, POLLIN, 0}, {pty.openWatch, POLLIN, 0}};
        const timespec timeout = ToTimespec(deadline ? *deadline - now : Clock::duration::zero());
        const int ready = ppoll(fds, 3, deadline ? &timeout : nullptr, nullptr);
        if (ready < 0 && errno != EINTR)
            return;
        if (fds[0].revents != 0)
            return;
        if (fds[2].revents != 0)
            watchOpening();
        if (fds[1].revents & POLLIN)
            readInput();
        else if (fds[1].revents != 0)
            // With our own slave end open a hang-up should not happen; if it
            // does, back off instead of spinning on it.
            masterQuietUntil = Clock::now() + std::chrono::milliseconds(20);
    }
}

// Dropping the flag only at the program's close would race with a program
// that reopens at once, so it is dropped within a few milliseconds of being
// set. The program's flock still keeps a second program out.
void DisplaySim::Impl::watchOpening()
{
    const SlaveActivity activity = ReadSlaveActivity(pty);
    if (activity.opened)
        exclusiveWatchUntil = Clock::now() + kExclusiveWatch;
    if (activity.closed)
        DropExclusive(pty);
}

void DisplaySim::Impl::readInput()
{
    std::uint8_t buffer[256];
    const ssize_t n = read(pty.master, buffer, sizeof buffer);
    const Clock::time_point now = Clock::now();
    if (n <= 0) {
        if (n == 0 || (errno != EAGAIN && errno != EINTR))
            masterQuietUntil = now + std::chrono::milliseconds(20);
        return;
    }
    std::vector<Frame> frames;
    for (ssize_t i = 0; i < n; ++i)
        parser.feed(buffer[i], now, frames);
    take(frames, now);
}

void DisplaySim::Impl::take(std::vector<Frame> &frames, Clock::time_point now)
{
    for (Frame &frame : frames) {
        Outgoing out;
        {
            std::lock_guard lock(mutex);
            frame.reply = Answer(memory, frame, behaviour);
            if (behaviour == Behaviour::SlowBytes)
                out.gap = std::chrono::milliseconds(std::max(gapMs, 0));
            if (pacing)
                out.gap = std::max(out.gap, kPacedByte);
        }
        out.frame = std::move(frame);
        out.nextAt = now;
        outbox.push_back(std::move(out));
    }
}

// Frames leave the outbox in the order they came, so the log keeps the
// order of the line even when a slow answer is still going out.
void DisplaySim::Impl::sendDue()
{
    while (!outbox.empty()) {
        Outgoing &out = outbox.front();
        const std::vector<std::uint8_t> &reply = out.frame.reply;
        if (out.sent < reply.size()) {
            if (Clock::now() < out.nextAt)
                return;
            const std::size_t count = out.gap.count() > 0 ? 1 : reply.size() - out.sent;
            const ssize_t n = write(pty.master, reply.data() + out.sent, count);
            if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
                out.nextAt = Clock::now() + kFullRetry;
                return;
            }
            if (n < 0) {
                out.sent = reply.size(); // the line is gone; log what was meant
            } else {
                out.sent += static_cast<std::size_t>(n);
                out.nextAt = Clock::now() + out.gap;
            }
            if (out.sent < reply.size())
                continue;
        }
        finish(std::move(out.frame));
        outbox.pop_front();
    }
}

void DisplaySim::Impl::finish(Frame frame)
{
    // The listener hears of a frame before anyone waiting for the log does,
    // so whoever sees the frame logged may count on the listener having run.
    std::function<void(const Frame &)> notify;
    {
        std::lock_guard lock(mutex);
        notify = callback;
    }
    if (notify)
        notify(frame);
    {
        std::lock_guard lock(mutex);
        if (frame.received < clearedAt)
            return;
        log.push_back(std::move(frame));
    }
    logged.notify_all();
}

DisplaySim::DisplaySim(Options options) : impl_(std::make_unique<Impl>(std::move(options))) {}

DisplaySim::~DisplaySim()
{
    stop();
}

bool DisplaySim::start()
{
    Impl &d = *impl_;
    if (d.thread.joinable())
        return true;
    d.error.clear();
    if (d.options.portDir.empty()) {
        d.error = "no folder for the port link was given";
        return false;
    }
    if (!OpenPtyPair(d.pty, d.error))
        return false;
    if (!PlaceLink(linkPath(), d.pty.slavePath, d.error)) {
        ClosePtyPair(d.pty);
        return false;
    }
    if (pipe2(d.wake, O_CLOEXEC | O_NONBLOCK) != 0) {
        d.error = "cannot create the wake-up pipe";
        RemoveLinkTo(linkPath(), d.pty.slavePath);
        ClosePtyPair(d.pty);
        return false;
    }
    d.parser = FrameParser{};
    d.outbox.clear();
    d.masterQuietUntil.reset();
    d.exclusiveWatchUntil.reset();
    d.thread = std::thread([&d] { d.run(); });
    return true;
}

void DisplaySim::stop()
{
    Impl &d = *impl_;
    if (!d.thread.joinable())
        return;
    const char stopByte = 's';
    if (write(d.wake[1], &stopByte, 1) < 0)
        std::perror("display emulator: wake-up pipe");
    d.thread.join();
    close(d.wake[0]);
    close(d.wake[1]);
    d.wake[0] = d.wake[1] = -1;
    RemoveLinkTo(linkPath(), d.pty.slavePath);
    ClosePtyPair(d.pty);
}

bool DisplaySim::running() const
{
    return impl_->thread.joinable();
}

const std::string &DisplaySim::error() const
{
    return impl_->error;
}

std::string DisplaySim::linkPath() const
{
    return impl_->options.portDir + "/COM" + std::to_string(impl_->options.portNumber);
}

std::string DisplaySim::slavePath() const
{
    return impl_->pty.slavePath;
}

void DisplaySim::setBehaviour(Behaviour behaviour)
{
    std::lock_guard lock(impl_->mutex);
    impl_->behaviour = behaviour;
}

Behaviour DisplaySim::behaviour() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->behaviour;
}

void DisplaySim::setPacing(bool on)
{
    std::lock_guard lock(impl_->mutex);
    impl_->pacing = on;
}

void DisplaySim::setGapMs(int ms)
{
    std::lock_guard lock(impl_->mutex);
    impl_->gapMs = ms;
}

std::string DisplaySim::value() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->memory.value;
}

void DisplaySim::setValue(const std::string &fourChars)
{
    std::lock_guard lock(impl_->mutex);
    impl_->memory.value = FourChars(fourChars);
}

std::array<std::uint8_t, 5> DisplaySim::digitCells() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->memory.cells;
}

std::vector<Frame> DisplaySim::frames() const
{
    std::lock_guard lock(impl_->mutex);
    return impl_->log;
}

void DisplaySim::clearFrames()
{
    std::lock_guard lock(impl_->mutex);
    impl_->log.clear();
    impl_->clearedAt = Clock::now();
}

bool DisplaySim::waitForFrames(std::size_t count, std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(impl_->mutex);
    return impl_->logged.wait_for(lock, timeout, [&] { return impl_->log.size() >= count; });
}

void DisplaySim::onFrame(std::function<void(const Frame &)> callback)
{
    std::lock_guard lock(impl_->mutex);
    impl_->callback = std::move(callback);
}

std::string FrameToHex(const std::vector<std::uint8_t> &bytes)
{
    std::string text;
    char hex[4];
    for (std::uint8_t byte : bytes) {
        std::snprintf(hex, sizeof hex, "%02X", byte);
        if (!text.empty())
            text += ' ';
        text += hex;
    }
    return text;
}

} // namespace sim
