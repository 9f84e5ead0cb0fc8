#include "tests/support/pty.h"

#include <fcntl.h>
#include <pty.h>
#include <stdlib.h>
#include <termios.h>

namespace testsupport {

namespace {

// From the terminal's own settings: a zeroed record would also set the
// speed to 0, which hangs the line up.
bool MakeRaw(int fd)
{
    termios t{};
    if (tcgetattr(fd, &t) != 0)
        return false;
    cfmakeraw(&t);
    return tcsetattr(fd, TCSANOW, &t) == 0;
}

} // namespace

bool OpenRawPty(RawPty &pty)
{
    if (openpty(&pty.master, &pty.slave, nullptr, nullptr, nullptr) != 0)
        return false;
    char name[128];
    if (!MakeRaw(pty.slave) || !MakeRaw(pty.master) || ptsname_r(pty.master, name, sizeof name) != 0 ||
        fcntl(pty.master, F_SETFD, FD_CLOEXEC) != 0 || fcntl(pty.slave, F_SETFD, FD_CLOEXEC) != 0)
        return false;
    pty.slavePath = name;
    return true;
}

} // namespace testsupport
