// Whole-file reads and an atomic replace with plain POSIX calls, so that a
// failure is seen exactly where it happens (open, read, write, fsync, rename).
#include "platform/files.h"

#include "platform/failure.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <string_view>

namespace platform {
namespace {

constexpr std::size_t kChunk = 64 * 1024;

int OpenForReading(const std::string &path)
{
    int fd;
    do
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        KeepFailure(errno);
        return -1;
    }
    // A folder opens read-only and would give zero bytes for a zero limit.
    struct stat st;
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        KeepFailure(S_ISDIR(st.st_mode) ? EISDIR : errno);
        ::close(fd);
        return -1;
    }
    return fd;
}

// Linux closes the descriptor also when close() reports EINTR.
bool CloseFile(int fd)
{
    if (::close(fd) == 0 || errno == EINTR)
        return true;
    KeepFailure(errno);
    return false;
}

ssize_t ReadSome(int fd, void *buffer, std::size_t size)
{
    ssize_t n;
    do
        n = ::read(fd, buffer, size);
    while (n < 0 && errno == EINTR);
    if (n < 0)
        KeepFailure(errno);
    return n;
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

// umask() can only be read by setting it, which races with other threads
// creating files; the kernel reports it in /proc since Linux 4.7.
mode_t CurrentUmask()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Umask:", 0) == 0)
            return mode_t(std::stoul(line.substr(6), nullptr, 8));
    }
    return 022;
}

// A replaced file keeps its permissions; a new one gets what open() would give.
mode_t NewFileMode(const std::string &path)
{
    struct stat st;
    if (::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode))
        return st.st_mode & 07777;
    return 0666 & ~CurrentUmask();
}

// Makes the rename itself survive a power cut; the data is already synced.
void SyncFolderOf(const std::string &path)
{
    const std::size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        (void)::fsync(fd);
        ::close(fd);
    }
}

} // namespace

bool ReadFileHead(const std::string &path, std::size_t maxBytes, std::vector<std::uint8_t> &out)
{
    const int fd = OpenForReading(path);
    if (fd < 0)
        return false;
    out.clear();
    bool ok = true;
    while (out.size() < maxBytes) {
        const std::size_t had = out.size();
        out.resize(had + std::min(maxBytes - had, kChunk));
        const ssize_t n = ReadSome(fd, out.data() + had, out.size() - had);
        out.resize(had + std::size_t(std::max<ssize_t>(n, 0)));
        if (n < 0)
            ok = false;
        if (n <= 0)
            break;
    }
    return CloseFile(fd) && ok;
}

bool ReadFirstLine(const std::string &path, std::size_t maxBytes, std::string &line)
{
    const int fd = OpenForReading(path);
    if (fd < 0)
        return false;
    // One byte beyond the limit, so that the CR of a CR LF that ends a line
    // of exactly maxBytes is seen and dropped.
    const std::size_t keep = maxBytes == SIZE_MAX ? maxBytes : maxBytes + 1;
    std::string text;
    char buffer[4096];
    bool ok = true;
    bool ended = false;
    while (!ended && text.size() < keep) {
        const ssize_t n = ReadSome(fd, buffer, sizeof buffer);
        if (n <= 0) {
            ok = n == 0;
            break;
        }
        const std::string_view chunk(buffer, std::size_t(n));
        const std::size_t lf = chunk.find('\n');
        ended = lf != chunk.npos;
        text.append(chunk.substr(0, std::min(lf, keep - text.size())));
    }
    if (!CloseFile(fd) || !ok)
        return false;
    if (ended && !text.empty() && text.back() == '\r')
        text.pop_back();
    if (text.size() > maxBytes)
        text.resize(maxBytes);
    line = std::move(text);
    return true;
}

bool ReplaceFile(const std::string &path, const std::uint8_t *data, std::size_t size)
{
    std::string temporary = path + ".XXXXXX";
    int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        KeepFailure(errno);
        return false;
    }

    auto step = [](bool done) {
        if (!done)
            KeepFailure(errno);
        return done;
    };
    bool ok = step(::fchmod(fd, NewFileMode(path)) == 0) && WriteAll(fd, data, size) && step(::fsync(fd) == 0);
    ok = CloseFile(fd) && ok;
    if (ok)
        ok = step(::rename(temporary.c_str(), path.c_str()) == 0);
    if (!ok) {
        ::unlink(temporary.c_str());
        return false;
    }
    SyncFolderOf(path);
    return true;
}

} // namespace platform
