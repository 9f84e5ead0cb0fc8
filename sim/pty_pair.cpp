#include "sim/pty_pair.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <filesystem>
#include <sys/inotify.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace sim {
namespace {

std::string SystemError(const std::string &what)
{
    return what + ": " + std::strerror(errno);
}

// From the terminal's own settings: a zeroed record would also set the
// speed to 0, which hangs the line up.
bool MakeRaw(int fd)
{
    termios tio{};
    if (tcgetattr(fd, &tio) != 0)
        return false;
    cfmakeraw(&tio);
    return tcsetattr(fd, TCSANOW, &tio) == 0;
}

} // namespace

bool OpenPtyPair(PtyPair &pty, std::string &error)
{
    if (openpty(&pty.master, &pty.slave, nullptr, nullptr, nullptr) != 0) {
        error = SystemError("cannot open a pseudo-terminal");
        return false;
    }
    // Raw from the start: the display must not echo or translate anything,
    // even before the program has set up its own end. The master's own line
    // discipline sits between the program's bytes and this end, so it is
    // raw as well.
    if (!MakeRaw(pty.slave) || !MakeRaw(pty.master)) {
        error = SystemError("cannot set up the pseudo-terminal");
        ClosePtyPair(pty);
        return false;
    }
    char name[128];
    if (ptsname_r(pty.master, name, sizeof name) != 0) {
        error = SystemError("cannot name the pseudo-terminal");
        ClosePtyPair(pty);
        return false;
    }
    pty.slavePath = name;
    // Non-blocking master: a reply to a program that stopped reading must
    // not stall the reader. Neither end goes to the programs this one starts.
    const int flags = fcntl(pty.master, F_GETFL);
    if (flags < 0 || fcntl(pty.master, F_SETFL, flags | O_NONBLOCK) != 0 ||
        fcntl(pty.master, F_SETFD, FD_CLOEXEC) != 0 || fcntl(pty.slave, F_SETFD, FD_CLOEXEC) != 0) {
        error = SystemError("cannot set up " + pty.slavePath);
        ClosePtyPair(pty);
        return false;
    }
    pty.openWatch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (pty.openWatch < 0 || inotify_add_watch(pty.openWatch, name, IN_OPEN | IN_CLOSE) < 0) {
        error = SystemError("cannot watch " + pty.slavePath);
        ClosePtyPair(pty);
        return false;
    }
    return true;
}

SlaveActivity ReadSlaveActivity(PtyPair &pty)
{
    SlaveActivity activity;
    alignas(inotify_event) char buffer[1024];
    for (ssize_t n; (n = read(pty.openWatch, buffer, sizeof buffer)) > 0;) {
        for (ssize_t at = 0; at < n;) {
            const auto *event = reinterpret_cast<const inotify_event *>(buffer + at);
            activity.opened |= (event->mask & IN_OPEN) != 0;
            activity.closed |= (event->mask & IN_CLOSE) != 0;
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    return activity;
}

void DropExclusive(PtyPair &pty)
{
    ioctl(pty.slave, TIOCNXCL);
}

void ClosePtyPair(PtyPair &pty)
{
    if (pty.openWatch >= 0)
        close(pty.openWatch);
    if (pty.slave >= 0)
        close(pty.slave);
    if (pty.master >= 0)
        close(pty.master);
    pty = PtyPair{};
}

bool PlaceLink(const std::string &linkPath, const std::string &target, std::string &error)
{
    const fs::path link(linkPath);
    std::error_code ec;
    fs::create_directories(link.parent_path(), ec);
    if (ec) {
        error = "cannot create the folder " + link.parent_path().string() + ": " + ec.message();
        return false;
    }
    const fs::file_status status = fs::symlink_status(link, ec);
    if (fs::exists(status) && !fs::is_symlink(status)) {
        error = linkPath + " exists and is not a link; not replacing it";
        return false;
    }
    // Linking under a temporary name and renaming swaps an old link in one
    // step, so the program never finds the port missing.
    const fs::path temporary =
        link.parent_path() / ("." + link.filename().string() + ".new" + std::to_string(getpid()));
    fs::remove(temporary, ec);
    fs::create_symlink(target, temporary, ec);
    if (!ec)
        fs::rename(temporary, link, ec);
    if (ec) {
        error = "cannot link " + linkPath + " to " + target + ": " + ec.message();
        fs::remove(temporary, ec);
        return false;
    }
    return true;
}

void RemoveLinkTo(const std::string &linkPath, const std::string &target)
{
    std::error_code ec;
    if (fs::is_symlink(fs::symlink_status(linkPath, ec)) && fs::read_symlink(linkPath, ec) == target)
        fs::remove(linkPath, ec);
}

} // namespace sim
