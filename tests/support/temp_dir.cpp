#include "tests/support/temp_dir.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace testsupport {

TempDir::TempDir() {
    std::string pattern = (fs::temp_directory_path() / "qmx-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        std::abort();
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
}

ScopedEnv::ScopedEnv(const char *name, const std::string &value) : name_(name) {
    const char *old = std::getenv(name);
    had_ = old != nullptr;
    if (had_)
        old_ = old;
    setenv(name, value.c_str(), 1);
}

ScopedEnv::~ScopedEnv() {
    if (had_)
        setenv(name_.c_str(), old_.c_str(), 1);
    else
        unsetenv(name_.c_str());
}

ScopedWorkingDir::ScopedWorkingDir(const fs::path &dir) : old_(fs::current_path()) {
    fs::current_path(dir);
}

ScopedWorkingDir::~ScopedWorkingDir() {
    std::error_code ec;
    fs::current_path(old_, ec);
}

ReadOnlyFolder::ReadOnlyFolder(const fs::path &dir,
                               const std::vector<std::pair<std::string, std::string>> &files)
    : dir_(dir) {
    fs::create_directories(dir);
    if (geteuid() == 0) {
        if (mount("tmpfs", dir.c_str(), "tmpfs", 0, "size=1m") != 0)
            return;
        mounted_ = true;
        for (const auto &[name, bytes] : files)
            WriteAll(dir / name, bytes);
        ok_ = mount(nullptr, dir.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    } else {
        for (const auto &[name, bytes] : files)
            WriteAll(dir / name, bytes);
        ok_ = chmod(dir.c_str(), 0555) == 0;
    }
}

ReadOnlyFolder::~ReadOnlyFolder() {
    if (mounted_)
        umount2(dir_.c_str(), MNT_DETACH);
    else
        chmod(dir_.c_str(), 0755);
}

std::string ReadAll(const fs::path &file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const fs::path &file, const std::string &bytes) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

} // namespace testsupport
