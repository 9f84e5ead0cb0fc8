#include "program_side.h"

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <poll.h>
#include <stdexcept>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace simtest {

Bytes ToBytes(std::string_view text)
{
    return Bytes(text.begin(), text.end());
}

ProgramPort::ProgramPort(const std::string &path)
{
    fd_ = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0)
        return;
    termios tio{};
    if (flock(fd_, LOCK_EX | LOCK_NB) != 0 || ioctl(fd_, TIOCEXCL) != 0 || tcgetattr(fd_, &tio) != 0) {
        close(fd_);
        fd_ = -1;
        return;
    }
    cfmakeraw(&tio);
    cfsetspeed(&tio, B9600);
    tcsetattr(fd_, TCSANOW, &tio);
    tcflush(fd_, TCIOFLUSH);
}

ProgramPort::~ProgramPort()
{
    if (fd_ >= 0)
        close(fd_);
}

bool ProgramPort::hungUp() const
{
    pollfd pfd{fd_, POLLIN, 0};
    return poll(&pfd, 1, 0) == 1 && (pfd.revents & POLLHUP) != 0;
}

void ProgramPort::send(const Bytes &bytes)
{
    if (write(fd_, bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size()))
        throw std::runtime_error("write to the port failed");
}

std::vector<TimedByte> ProgramPort::receive(std::chrono::milliseconds quiet, std::chrono::milliseconds limit)
{
    std::vector<TimedByte> got;
    const auto end = Clock::now() + limit;
    auto quietEnd = Clock::now() + quiet;
    for (auto now = Clock::now(); now < std::min(end, quietEnd); now = Clock::now()) {
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(std::min(end, quietEnd) - now);
        pollfd pfd{fd_, POLLIN, 0};
        poll(&pfd, 1, static_cast<int>(wait.count()));
        std::uint8_t byte;
        while (read(fd_, &byte, 1) == 1) {
            got.push_back({byte, Clock::now()});
            quietEnd = Clock::now() + quiet;
        }
    }
    return got;
}

Bytes ProgramPort::exchange(const Bytes &bytes)
{
    send(bytes);
    return Values(receive());
}

Bytes Values(const std::vector<TimedByte> &bytes)
{
    Bytes values;
    for (const TimedByte &b : bytes)
        values.push_back(b.value);
    return values;
}

} // namespace simtest
