// Opening, closing and configuring a serial device with termios.
#include "platform/serial_device_posix.h"

#include "platform/failure.h"

#include <fcntl.h>
#include <linux/major.h>
#include <linux/serial.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

namespace platform {
namespace {

struct BaudCode {
    std::uint32_t rate;
    speed_t code;
};

constexpr BaudCode kBaudCodes[] = {
    {50, B50},         {75, B75},         {110, B110},       {134, B134},       {150, B150},
    {200, B200},       {300, B300},       {600, B600},       {1200, B1200},     {1800, B1800},
    {2400, B2400},     {4800, B4800},     {9600, B9600},     {19200, B19200},   {38400, B38400},
    {57600, B57600},   {115200, B115200}, {230400, B230400}, {460800, B460800}, {921600, B921600},
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
    case 5: return CS5;
    case 6: return CS6;
    case 7: return CS7;
    case 8: return CS8;
    default: return std::nullopt;
    }
}

std::optional<tcflag_t> ParityBits(std::uint8_t parity)
{
    switch (parity) {
    case NoParity: return 0;
    case OddParity: return PARENB | PARODD;
    case EvenParity: return PARENB;
    case MarkParity: return PARENB | CMSPAR | PARODD;
    case SpaceParity: return PARENB | CMSPAR;
    default: return std::nullopt;
    }
}

std::optional<tcflag_t> StopBits(std::uint8_t stopBits)
{
    switch (stopBits) {
    case OneStopBit: return 0;
    case TwoStopBits: return CSTOPB;
    default: return std::nullopt;
    }
}

LineSettings Decode(const termios &t)
{
    LineSettings s;
    s.BaudRate = BaudRate(cfgetospeed(&t));
    switch (t.c_cflag & CSIZE) {
    case CS5: s.ByteSize = 5; break;
    case CS6: s.ByteSize = 6; break;
    case CS7: s.ByteSize = 7; break;
    default: s.ByteSize = 8; break;
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
    return a.BaudRate == b.BaudRate && a.ByteSize == b.ByteSize && a.Parity == b.Parity &&
           a.StopBits == b.StopBits;
}

int SetAttributes(int fd, const termios &t)
{
    int result;
    do
        result = ::tcsetattr(fd, TCSANOW, &t);
    while (result != 0 && errno == EINTR);
    return result;
}

// The driver may drop a request for low latency (pseudo-terminals and many
// USB adapters do); the port works without it, only answers come later.
void AskForLowLatency(int fd)
{
    serial_struct serial{};
    if (::ioctl(fd, TIOCGSERIAL, &serial) != 0)
        return;
    serial.flags |= ASYNC_LOW_LATENCY;
    (void)::ioctl(fd, TIOCSSERIAL, &serial);
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

bool IsPseudoTerminal(const struct stat &st)
{
    const unsigned m = major(st.st_rdev);
    return S_ISCHR(st.st_mode) && m >= UNIX98_PTY_SLAVE_MAJOR &&
           m < UNIX98_PTY_SLAVE_MAJOR + UNIX98_PTY_MAJOR_COUNT;
}

// Opens the device's port into it, exclusively and raw. A failed open undoes
// only what it did: clearing an exclusive flag that another holder set would
// let third programs in beside that holder.
bool OpenInto(SerialDevice &device)
{
    const std::string path = ResolvePortPath(device.portName);
    if (path.empty()) {
        KeepFailure(EINVAL, "\"" + device.portName + "\" is no COM port name");
        return false;
    }

    // O_NONBLOCK keeps open() from waiting for carrier on a modem line. It
    // stays set afterwards: a blocking write() on a terminal waits until the
    // whole buffer is queued, which would break the write time-out.
    int fd;
    do
        fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        KeepFailure(errno);
        return false;
    }
    bool exclusive = false;
    auto fail = [&](int error) {
        KeepFailure(error);
        if (exclusive)
            (void)::ioctl(fd, TIOCNXCL);
        ::close(fd);
        return false;
    };

    // flock belongs to this open file description, so it also refuses a
    // second open by this process; TIOCEXCL alone would not stop root.
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0)
        return fail(errno == EWOULDBLOCK ? EBUSY : errno); // some program holds the port
    // A plain file may stand in for a port; it then fails at the settings.
    if (::ioctl(fd, TIOCEXCL) == 0)
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
    device.fd = fd;
    device.exclusive = exclusive;
    device.terminal = terminal;
    device.regularFile = S_ISREG(st.st_mode);
    device.pseudoTerminal = terminal && IsPseudoTerminal(st);
    device.ptyFraming.reset();
    return true;
}

void Release(SerialDevice &device)
{
    if (device.fd < 0)
        return;
    // The exclusive flag outlives our descriptor; without clearing it the
    // next open by an ordinary user fails with EBUSY.
    if (device.exclusive)
        (void)::ioctl(device.fd, TIOCNXCL);
    // A child forked meanwhile shares the descriptor and would hold the lock.
    (void)::flock(device.fd, LOCK_UN);
    ::close(device.fd);
    device.fd = -1;
    device.exclusive = false;
}

bool ApplyLine(SerialDevice &device, const LineSettings &settings)
{
    termios t;
    if (::tcgetattr(device.fd, &t) != 0)
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
    if (SetAttributes(device.fd, t) != 0)
        return SystemFailure();

    // tcsetattr succeeds when the driver took any part of the request; a
    // UART that cannot do mark parity or five bits quietly keeps the old.
    termios back;
    if (::tcgetattr(device.fd, &back) != 0)
        return SystemFailure();
    LineSettings taken = Decode(back);
    if (device.pseudoTerminal) {
        taken.ByteSize = settings.ByteSize;
        taken.Parity = settings.Parity;
    }
    if (!SameLine(taken, settings)) {
        KeepFailure(EINVAL, "the driver did not take the line settings");
        return false;
    }
    if (device.pseudoTerminal)
        device.ptyFraming = settings;
    return true;
}

bool RaiseRts(SerialDevice &device)
{
    int bits = TIOCM_RTS;
    if (::ioctl(device.fd, TIOCMBIS, &bits) == 0)
        return true;
    // A pseudo-terminal has no modem lines: there is no RTS to raise and the
    // peer needs none.
    if (device.terminal && (errno == ENOTTY || errno == EINVAL))
        return true;
    return SystemFailure();
}

} // namespace

bool NoPort()
{
    KeepFailure(EBADF, "no port is open");
    return false;
}

bool SystemFailure()
{
    KeepFailure(errno);
    return false;
}

bool GoneFailure()
{
    KeepFailure(ENODEV, "the device has gone");
    return false;
}

bool GoneError(int error)
{
    return error == EIO || error == ENXIO || error == ENODEV;
}

void LoseDevice(SerialDevice &device)
{
    Release(device);
}

bool Reattach(SerialDevice &device)
{
    if (device.fd >= 0)
        return true;
    if (!OpenInto(device))
        return false;
    // The line as the link set it up, and nothing of what the old device
    // may have left in the driver.
    if ((device.line && !ApplyLine(device, *device.line)) || (device.rtsRaised && !RaiseRts(device))) {
        Release(device);
        return false;
    }
    if (device.terminal)
        (void)::tcflush(device.fd, TCIFLUSH);
    return true;
}

SerialDevice *OpenSerialDevice(const std::string &portName)
{
    auto *device = new SerialDevice;
    device->portName = portName;
    if (OpenInto(*device))
        return device;
    delete device;
    return nullptr;
}

void CloseSerialDevice(SerialDevice *device)
{
    if (!device)
        return;
    Release(*device);
    delete device;
}

bool GetLineSettings(SerialDevice *device, LineSettings &settings)
{
    termios t;
    if (!device)
        return NoPort();
    if (device->fd < 0)
        return GoneFailure();
    if (::tcgetattr(device->fd, &t) != 0)
        return SystemFailure();
    LineSettings read = Decode(t);
    if (device->pseudoTerminal && device->ptyFraming) {
        read.ByteSize = device->ptyFraming->ByteSize;
        read.Parity = device->ptyFraming->Parity;
    }
    settings = read;
    return true;
}

bool SetLineSettings(SerialDevice *device, const LineSettings &settings)
{
    if (!device)
        return NoPort();
    if (device->fd < 0)
        return GoneFailure();
    if (!ApplyLine(*device, settings))
        return false;
    device->line = settings;
    return true;
}

bool GetTimeouts(SerialDevice *device, CommTimeouts &timeouts)
{
    if (!device)
        return NoPort();
    timeouts = device->timeouts;
    return true;
}

bool SetTimeouts(SerialDevice *device, const CommTimeouts &timeouts)
{
    if (!device)
        return NoPort();
    device->timeouts = timeouts;
    return true;
}

bool RaiseRtsLine(SerialDevice *device)
{
    if (!device)
        return NoPort();
    if (device->fd < 0)
        return GoneFailure();
    if (!RaiseRts(*device))
        return false;
    device->rtsRaised = true;
    return true;
}

// An exchange begins here, so this is where a device that has gone is
// looked for again.
bool DiscardInput(SerialDevice *device)
{
    if (!device)
        return NoPort();
    if (!Reattach(*device))
        return false;
    if (!device->terminal) {
        KeepFailure(ENOTTY);
        return false;
    }
    if (::tcflush(device->fd, TCIFLUSH) == 0)
        return true;
    const int error = errno;
    if (GoneError(error))
        LoseDevice(*device);
    KeepFailure(error);
    return false;
}

} // namespace platform
