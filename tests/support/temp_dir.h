#pragma once
// Test surroundings made of real things: a temp folder, the port folder the
// program looks in, the working directory, a read-only folder.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace testsupport {

// A fresh folder, removed with everything in it at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;
    const std::filesystem::path &path() const { return path_; }
    std::filesystem::path operator/(const std::string &name) const { return path_ / name; }
    std::string file(const std::string &name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// Sets or unsets an environment variable for the scope, then restores it.
class ScopedEnv {
public:
    explicit ScopedEnv(std::string name);
    ScopedEnv(std::string name, const std::string &value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv &) = delete;
    ScopedEnv &operator=(const ScopedEnv &) = delete;

    void set(const std::string &value);
    void unset();

private:
    std::string name_;
    std::optional<std::string> saved_;
};

// Makes dir the working directory for the scope.
class ScopedWorkingDir {
public:
    explicit ScopedWorkingDir(const std::filesystem::path &dir);
    ~ScopedWorkingDir();

private:
    std::filesystem::path old_;
};

// A folder that really refuses writes, also to root (who ignores mode bits):
// a tmpfs remounted read-only. Files given are written before the remount.
class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const std::filesystem::path &dir,
                            const std::vector<std::pair<std::string, std::string>> &files = {});
    ~ReadOnlyFolder();
    bool ok() const { return ok_; }

private:
    std::filesystem::path dir_;
    bool mounted_ = false;
    bool ok_ = false;
};

std::string ReadAll(const std::filesystem::path &file);
void WriteAll(const std::filesystem::path &file, const std::string &bytes);
std::vector<std::uint8_t> ReadBytes(const std::string &path);
void WriteBytes(const std::string &path, const std::vector<std::uint8_t> &bytes);
std::vector<std::uint8_t> Bytes(const std::string &text);
// A byte string from a list of byte values: Raw({0x44, 0x0D, 0x0A}).
std::string Raw(std::initializer_list<int> bytes);

} // namespace testsupport
