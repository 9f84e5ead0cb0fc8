// A terminal device (or a plain file standing in for one) as a serial port:
// termios for the line, poll() for the time-outs, which POSIX keeps none of.
#include "platform/failure.h"
#include "platform/serial_claim_posix.h"
#include "platform/serial_connection.h"
#include "platform/linux_only.h"
#include "platform/serial_poll_posix.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <thread>

namespace platform {
namespace {

struct BaudCode {
    std::uint32_t rate;
    speed_t code;
};

constexpr BaudCode kBaudCodes[] = {
    {50, B50},       {75, B75},         {110, B110},       {134, B134},       {150, B150},
    {200, B200},     {300, B300},       {600, B600},       {1200, B1200},     {1800, B1800},
    {2400, B2400},   {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
    {57600, B57600}, {115200, B115200}, {230400, B230400}, {460800, B460800}, {921600, B921600},
};

std::optional<speed_t> SpeedCode(std::uint32_t rate)
{
    for (const BaudCode &b : kBaudCodes)
        if (b.rate == rate)
            return b.code;
    return std::nullopt;
}

std::uint32_t BaudRate(speed_t code)
{
    for (const BaudCode &b : kBaudCodes)
        if (b.code == code)
            return b.rate;
    return 0;
}

std::optional<tcflag_t> SizeBits(std::uint8_t byteSize)
{
    switch (byteSize) {
    case 5:
        return CS5;
    case 6:
        return CS6;
    case 7:
        return CS7;
    case 8:
        return CS8;
    default:
        return std::nullopt;
    }
}

std::optional<tcflag_t> ParityBits(std::uint8_t parity)
{
    switch (parity) {
    case NoParity:
        return 0;
    case OddParity:
        return PARENB | PARODD;
    case EvenParity:
        return PARENB;
    case MarkParity:
        return PARENB | CMSPAR | PARODD;
    case SpaceParity:
        return PARENB | CMSPAR;
    default:
        return std::nullopt;
    }
}

std::optional<tcflag_t> StopBits(std::uint8_t stopBits)
{
    switch (stopBits) {
    case OneStopBit:
        return 0;
    case TwoStopBits:
        return CSTOPB;
    default:
        return std::nullopt;
    }
}

LineSettings Decode(const termios &t)
{
    LineSettings s;
    s.BaudRate = BaudRate(cfgetospeed(&t));
    switch (t.c_cflag & CSIZE) {
    case CS5:
        s.ByteSize = 5;
        break;
    case CS6:
        s.ByteSize = 6;
        break;
    case CS7:
        s.ByteSize = 7;
        break;
    default:
        s.ByteSize = 8;
        break;
    }
    if (!(t.c_cflag & PARENB))
        s.Parity = NoParity;
    else if (t.c_cflag & CMSPAR)
        s.Parity = (t.c_cflag & PARODD) ? MarkParity : SpaceParity;
    else
        s.Parity = (t.c_cflag & PARODD) ? OddParity : EvenParity;
    s.StopBits = (t.c_cflag & CSTOPB) ? TwoStopBits : OneStopBit;
    return s;
}

bool SameLine(const LineSettings &a, const LineSettings &b)
{
    return a.BaudRate == b.BaudRate && a.ByteSize == b.ByteSize && a.Parity == b.Parity && a.StopBits == b.StopBits;
}

int SetAttributes(int fd, const termios &t)
{
    int result;
    do
        result = ::tcsetattr(fd, TCSANOW, &t);
    while (result != 0 && errno == EINTR);
    return result;
}

bool MakeRaw(int fd)
{
    termios t;
    if (::tcgetattr(fd, &t) != 0)
        return false;
    ::cfmakeraw(&t);
    // cfmakeraw leaves these alone; a line that an earlier program left in
    // flow control would stall our output or insert XON/XOFF bytes into it.
    t.c_iflag &= ~(IXOFF | IXANY);
    t.c_cflag &= ~CRTSCTS;
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    return SetAttributes(fd, t) == 0;
}

// The bytes the driver still holds for the wire; 0 when it cannot say (a
// pseudo-terminal passes its bytes on at once).
int QueuedForTheWire(int fd)
{
    int queued = 0;
    return ::ioctl(fd, TIOCOUTQ, &queued) == 0 ? queued : 0;
}

class TermiosPort final : public TimedConnection {
public:
    TermiosPort(int fd, bool exclusive, bool terminal, bool regularFile, bool pseudoTerminal)
        : fd_(fd), exclusive_(exclusive), terminal_(terminal), regularFile_(regularFile),
          pseudoTerminal_(pseudoTerminal)
    {
    }

    ~TermiosPort() override
    {
        // The exclusive flag outlives our descriptor; without clearing it the
        // next open by an ordinary user fails with EBUSY.
        if (exclusive_)
            ReleaseClaim(fd_);
        // A child forked meanwhile shares the descriptor and would hold the lock.
        (void)::flock(fd_, LOCK_UN);
        ::close(fd_);
    }

    bool GetLine(LineSettings &settings) override
    {
        termios t;
        if (::tcgetattr(fd_, &t) != 0)
            return SystemFailure();
        LineSettings read = Decode(t);
        if (ptyFraming_) {
            read.ByteSize = ptyFraming_->ByteSize;
            read.Parity = ptyFraming_->Parity;
        }
        settings = read;
        return true;
    }

    bool SetLine(const LineSettings &settings) override
    {
        termios t;
        if (::tcgetattr(fd_, &t) != 0)
            return SystemFailure();
        const auto speed = SpeedCode(settings.BaudRate);
        const auto size = SizeBits(settings.ByteSize);
        const auto parity = ParityBits(settings.Parity);
        const auto stop = StopBits(settings.StopBits);
        if (!speed || !size || !parity || !stop) {
            KeepFailure(EINVAL, "the line settings are not ones a serial port knows");
            return false;
        }

        t.c_cflag &= ~(CSIZE | PARENB | PARODD | CMSPAR | CSTOPB);
        t.c_cflag |= *size | *parity | *stop;
        if (::cfsetispeed(&t, *speed) != 0 || ::cfsetospeed(&t, *speed) != 0)
            return SystemFailure();
        if (SetAttributes(fd_, t) != 0)
            return SystemFailure();

        // tcsetattr succeeds when the driver took any part of the request; a
        // UART that cannot do mark parity or five bits quietly keeps the old.
        termios back;
        if (::tcgetattr(fd_, &back) != 0)
            return SystemFailure();
        LineSettings taken = Decode(back);
        if (pseudoTerminal_) {
            taken.ByteSize = settings.ByteSize;
            taken.Parity = settings.Parity;
        }
        if (!SameLine(taken, settings)) {
            KeepFailure(EINVAL, "the driver did not take the line settings");
            return false;
        }
        if (pseudoTerminal_)
            ptyFraming_ = settings;
        return true;
    }

    bool RaiseRts() override
    {
        int bits = TIOCM_RTS;
        if (::ioctl(fd_, TIOCMBIS, &bits) == 0)
            return true;
        // A pseudo-terminal has no modem lines: there is no RTS to raise and
        // the peer needs none.
        if (terminal_ && (errno == ENOTTY || errno == EINVAL))
            return true;
        return SystemFailure();
    }

    bool DiscardInput() override
    {
        if (!terminal_) {
            KeepFailure(ENOTTY);
            return false;
        }
        return ::tcflush(fd_, TCIFLUSH) == 0 || SystemFailure();
    }

    bool Write(const std::uint8_t *data, std::size_t size, std::size_t &written) override
    {
        const Deadline end = WriteDeadline(timeouts_, size);
        const bool ok = TimedWrite(end, size, written, [&](Deadline until, std::size_t &moved) {
            return PollStep(
                fd_, POLLOUT, until, [&] { return ::write(fd_, data + moved, size - moved); }, moved);
        });
        return ok && (!terminal_ || Drain(end, written));
    }

    bool Read(std::uint8_t *data, std::size_t size, std::size_t &received) override
    {
        if (regularFile_)
            return ReadPlainFile(data, size, received);
        return TimedRead(timeouts_, size, received, [&](Deadline until, std::size_t &moved) {
            return PollStep(
                fd_, POLLIN, until, [&] { return ::read(fd_, data + moved, size - moved); }, moved);
        });
    }

private:
    static bool SystemFailure()
    {
        KeepFailure(errno);
        return false;
    }

    // A write is done when its bytes have left the port, as WriteFile on a
    // comm port is, not when the driver has queued them: otherwise a caller
    // that writes faster than the line carries piles frames up in the driver,
    // and the display goes on showing them long after the caller stopped.
    // tcdrain() cannot be bounded, so the queue is watched until the write
    // time-out; tcdrain() then waits only for the UART's own few bytes.
    // What has not left by the time-out is dropped and not counted, as
    // WriteFile does.
    bool Drain(Deadline end, std::size_t &written)
    {
        for (int queued; (queued = QueuedForTheWire(fd_)) > 0;) {
            if (end && SteadyClock::now() >= *end) {
                (void)::tcflush(fd_, TCOFLUSH);
                written -= std::min(written, std::size_t(queued));
                return true;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        int result;
        do
            result = ::tcdrain(fd_);
        while (result != 0 && errno == EINTR);
        return result == 0 || SystemFailure();
    }

    bool ReadPlainFile(std::uint8_t *data, std::size_t size, std::size_t &received)
    {
        while (received < size) {
            const ssize_t n = ::read(fd_, data + received, size - received);
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

    const int fd_;
    const bool exclusive_;      // this open set TIOCEXCL, so closing clears it
    const bool terminal_;       // line settings, RTS, flushing and draining apply
    const bool regularFile_;    // plain file I/O, nothing to wait for
    const bool pseudoTerminal_; // no wire: the kernel keeps no framing
    // The byte size and parity last set on a pseudo-terminal, which the
    // kernel forces to 8N and so cannot report back.
    std::optional<LineSettings> ptyFraming_;
};

} // namespace

// A failed open undoes only what it did: clearing an exclusive flag that
// another holder set would let third programs in beside that holder.
std::unique_ptr<SerialConnection> OpenLocalPort(const std::string &path)
{
    // O_NONBLOCK keeps open() from waiting for carrier on a modem line. It
    // stays set afterwards: a blocking write() on a terminal waits until the
    // whole buffer is queued, which would break the write time-out.
    int fd;
    do
        fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        KeepFailure(errno);
        return nullptr;
    }
    bool exclusive = false;
    auto fail = [&](int error) {
        KeepFailure(error);
        if (exclusive)
            ReleaseClaim(fd);
        ::close(fd);
        return nullptr;
    };

    // flock belongs to this open file description, so it also refuses a
    // second open by this process; TIOCEXCL alone would not stop root.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        return fail(errno == EWOULDBLOCK ? EBUSY : errno); // some program holds the port
    // A plain file may stand in for a port; it then fails at the settings.
    if (ClaimExclusively(fd))
        exclusive = true;
    else if (errno != ENOTTY)
        return fail(errno);

    struct stat st;
    if (::fstat(fd, &st) != 0)
        return fail(errno);
    const bool terminal = ::isatty(fd) == 1;
    if (terminal) {
        AskForLowLatency(fd);
        if (!MakeRaw(fd))
            return fail(errno);
    }
    return std::make_unique<TermiosPort>(fd, exclusive, terminal, S_ISREG(st.st_mode),
                                         terminal && IsPseudoTerminal(st));
}

} // namespace platform
