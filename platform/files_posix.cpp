// Whole-file reads and an atomic replace with plain POSIX calls, so that a
// failure is seen exactly where it happens (open, read, write, fsync, rename).
#include "platform/files.h"
#include "platform/readable_file.h"

#include "platform/failure.h"
#include "platform/linux_only.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <ctime>
#include <filesystem>
#include <optional>
#include <string_view>

namespace platform {
namespace {

// As many links as the kernel follows in one path before it gives ELOOP.
constexpr int kMaxLinks = 40;
// A save's temporary lies hidden beside its target and names the target and
// the process writing it: ".Parametry.par.qmx-tmp-<pid>-XXXXXX".
constexpr std::string_view kTemporaryMark = ".qmx-tmp-";
// A temporary that no save holds and that is older than this is left over,
// also when its pid runs again (reused) or belongs to another machine.
constexpr std::time_t kStaleAfterSeconds = 60;

// Keeps the reason for a non-regular file: a folder, a FIFO, a device.
void KeepNotRegular(const struct stat &st)
{
    if (S_ISDIR(st.st_mode))
        KeepFailure(EISDIR);
    else
        KeepFailure(EINVAL, "not a regular file");
}

int OpenRegularFile(const std::string &path)
{
    // Without O_NONBLOCK a FIFO under the file's name would hold the open
    // until some writer comes, which may be never.
    int fd;
    do
        fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        KeepFailure(errno);
        return -1;
    }
    struct stat st;
    const int flags = ::fcntl(fd, F_GETFL);
    if (::fstat(fd, &st) != 0 || flags < 0) {
        KeepFailure(errno);
    } else if (!S_ISREG(st.st_mode)) {
        KeepNotRegular(st);
    } else if (::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        KeepFailure(errno);
    } else {
        return fd;
    }
    ::close(fd);
    return -1;
}

// Linux closes the descriptor also when close() reports EINTR.
bool CloseFile(int fd)
{
    if (::close(fd) == 0 || errno == EINTR)
        return true;
    KeepFailure(errno);
    return false;
}

bool WriteAll(int fd, const std::uint8_t *data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            KeepFailure(n < 0 ? errno : EIO);
            return false;
        }
        data += n;
        size -= std::size_t(n);
    }
    return true;
}

std::string FolderOf(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

std::string NameOf(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file a write through path reaches: the end of its chain of links. A
// dangling link ends where its file is to be created. st is empty when
// nothing is there yet.
bool ResolveTarget(const std::string &path, std::string &target, std::optional<struct stat> &st)
{
    std::string at = path;
    for (int hops = 0; hops <= kMaxLinks; ++hops) {
        struct stat s;
        if (::lstat(at.c_str(), &s) != 0) {
            if (errno != ENOENT) {
                KeepFailure(errno);
                return false;
            }
            target = at;
            st.reset();
            return true;
        }
        if (!S_ISLNK(s.st_mode)) {
            target = at;
            st = s;
            return true;
        }
        std::error_code ec;
        const std::filesystem::path to = std::filesystem::read_symlink(at, ec);
        if (ec) {
            KeepFailure(ec.value());
            return false;
        }
        // A relative link is relative to the folder that holds it.
        at = to.is_absolute() ? to.string() : (std::filesystem::path(FolderOf(at)) / to).string();
    }
    KeepFailure(ELOOP);
    return false;
}

// Root may write any file, so the mode bits are checked as well: a file
// without a single write bit carries the read-only mark, which every user
// honours.
bool MayReplace(const std::string &target, const struct stat &st)
{
    if (!S_ISREG(st.st_mode)) {
        KeepNotRegular(st);
        return false;
    }
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        KeepFailure(EACCES, "the file is marked read-only");
        return false;
    }
    // The rename needs only the folder's permission; the file's own must be
    // asked for.
    if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) {
        KeepFailure(errno);
        return false;
    }
    return true;
}

bool ProcessRuns(pid_t pid)
{
    return pid > 0 && (::kill(pid, 0) == 0 || errno != ESRCH);
}

// Removes the temporaries that saves of this target left when they were
// killed. Each save holds an flock on its temporary from creating it until
// the rename, so one in progress, in this or another copy of the program,
// on this machine or another that shares the folder, is never taken. Of the
// rest, a temporary goes when the process that made it no longer runs, or
// when it is older than a minute (its pid may run again as another program,
// or be another machine's); a young one of a running process may be a save
// between creating its temporary and locking it.
void RemoveStaleTemporaries(const std::string &folder, const std::string &prefix)
{
    DIR *dir = ::opendir(folder.c_str());
    if (!dir)
        return;
    const int dirFd = ::dirfd(dir);
    while (const dirent *entry = ::readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (!name.starts_with(prefix))
            continue;
        const std::string_view rest = name.substr(prefix.size());
        pid_t pid = 0;
        const auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), pid);
        if (ec != std::errc{} || end == rest.data() + rest.size() || *end != '-')
            continue;
        const int fd = ::openat(dirFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat st;
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
            const bool old = std::time(nullptr) - st.st_mtime > kStaleAfterSeconds;
            // A file system without flock lets no save hold one either.
            const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
            if (!held && (old || !ProcessRuns(pid)))
                (void)::unlinkat(dirFd, entry->d_name, 0);
        }
        ::close(fd);
    }
    ::closedir(dir);
}

// A new file gets what open() would give; a replaced one keeps its mode and,
// where this user may give them away, its owner and group.
bool TakeOver(int fd, const std::optional<struct stat> &old)
{
    mode_t mode = 0666 & ~CurrentUmask();
    if (old) {
        // fchown clears the set-id bits, so the mode comes after it.
        if (::fchown(fd, old->st_uid, old->st_gid) != 0)
            (void)::fchown(fd, uid_t(-1), old->st_gid);
        mode = old->st_mode & 07777;
    }
    if (::fchmod(fd, mode) == 0)
        return true;
    KeepFailure(errno);
    return false;
}

// Makes the rename itself survive a power cut; the data is already synced.
void SyncFolder(const std::string &folder)
{
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        (void)::fsync(fd);
        ::close(fd);
    }
}

} // namespace

struct ReadableFile {
    int fd = -1;
};

bool IsRegularFile(const std::string &path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

ReadableFile *OpenForReading(const std::string &path)
{
    const int fd = OpenRegularFile(path);
    return fd < 0 ? nullptr : new ReadableFile{fd};
}

std::ptrdiff_t ReadSome(ReadableFile *file, void *buffer, std::size_t size)
{
    ssize_t n;
    do
        n = ::read(file->fd, buffer, size);
    while (n < 0 && errno == EINTR);
    if (n < 0)
        KeepFailure(errno);
    return n;
}

bool CloseForReading(ReadableFile *file)
{
    const bool closed = CloseFile(file->fd);
    delete file;
    return closed;
}

bool ReplaceWholeFile(const std::string &path, const std::uint8_t *data, std::size_t size)
{
    std::string target;
    std::optional<struct stat> old;
    if (!ResolveTarget(path, target, old) || (old && !MayReplace(target, *old)))
        return false;

    const std::string folder = FolderOf(target);
    const std::string prefix = "." + NameOf(target) + std::string(kTemporaryMark);
    RemoveStaleTemporaries(folder, prefix);
    std::string temporary = folder + "/" + prefix + std::to_string(::getpid()) + "-XXXXXX";
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        KeepFailure(errno);
        return false;
    }
    // Held until the rename, so that no other save takes this one for stale.
    (void)::flock(fd, LOCK_EX | LOCK_NB);

    bool ok = TakeOver(fd, old) && WriteAll(fd, data, size);
    if (ok && ::fsync(fd) != 0) {
        KeepFailure(errno);
        ok = false;
    }
    if (ok && ::rename(temporary.c_str(), target.c_str()) != 0) {
        KeepFailure(errno);
        ok = false;
    }
    if (!ok) {
        ::unlink(temporary.c_str());
        CloseFile(fd);
        return false;
    }
    // The file is synced and in place: anything close() could still report,
    // fsync has reported already.
    ::close(fd);
    SyncFolder(folder);
    return true;
}

} // namespace platform
