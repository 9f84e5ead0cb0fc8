#include "tests/support/temp_dir.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <utility>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace testsupport {

TempDir::TempDir()
{
    std::string pattern = (fs::temp_directory_path() / "qmx-test-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        std::abort();
    path_ = pattern;
}

TempDir::~TempDir()
{
    std::error_code ec;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
}

ScopedEnv::ScopedEnv(std::string name) : name_(std::move(name))
{
    if (const char *value = std::getenv(name_.c_str()))
        saved_ = value;
}

ScopedEnv::ScopedEnv(std::string name, const std::string &value) : ScopedEnv(std::move(name))
{
    set(value);
}

ScopedEnv::~ScopedEnv()
{
    if (saved_)
        set(*saved_);
    else
        unset();
}

void ScopedEnv::set(const std::string &value)
{
    setenv(name_.c_str(), value.c_str(), 1);
}
void ScopedEnv::unset()
{
    unsetenv(name_.c_str());
}

ScopedWorkingDir::ScopedWorkingDir(const fs::path &dir) : old_(fs::current_path())
{
    fs::current_path(dir);
}

ScopedWorkingDir::~ScopedWorkingDir()
{
    std::error_code ec;
    fs::current_path(old_, ec);
}

ReadOnlyFolder::ReadOnlyFolder(const fs::path &dir, const std::vector<std::pair<std::string, std::string>> &files)
    : dir_(dir)
{
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

ReadOnlyFolder::~ReadOnlyFolder()
{
    if (mounted_)
        umount2(dir_.c_str(), MNT_DETACH);
    else
        chmod(dir_.c_str(), 0755);
}

std::string ReadAll(const fs::path &file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void WriteAll(const fs::path &file, const std::string &bytes)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush())
        throw std::runtime_error("cannot write " + file.string());
}

std::vector<std::uint8_t> ReadBytes(const std::string &path)
{
    const std::string all = ReadAll(path);
    return {all.begin(), all.end()};
}

void WriteBytes(const std::string &path, const std::vector<std::uint8_t> &bytes)
{
    WriteAll(path, std::string(bytes.begin(), bytes.end()));
}

std::vector<std::uint8_t> Bytes(const std::string &text)
{
    return {text.begin(), text.end()};
}

std::string Raw(std::initializer_list<int> bytes)
{
    std::string s;
    for (int b : bytes)
        s.push_back(static_cast<char>(b));
    return s;
}

} // namespace testsupport
