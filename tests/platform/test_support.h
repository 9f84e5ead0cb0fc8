#pragma once
// Temporary folders and environment variables that clean up after a test.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace platform_test {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir &) = delete;
    TempDir &operator=(const TempDir &) = delete;

    const std::filesystem::path &path() const { return path_; }
    std::string file(const std::string &name) const { return (path_ / name).string(); }

private:
    std::filesystem::path path_;
};

// Sets or unsets one variable and puts the old value back when destroyed.
class ScopedEnv {
public:
    explicit ScopedEnv(std::string name);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv &) = delete;
    ScopedEnv &operator=(const ScopedEnv &) = delete;

    void set(const std::string &value);
    void unset();

private:
    std::string name_;
    std::optional<std::string> saved_;
};

void WriteBytes(const std::string &path, const std::vector<std::uint8_t> &bytes);
std::vector<std::uint8_t> ReadBytes(const std::string &path);
std::vector<std::uint8_t> Bytes(const std::string &text);

} // namespace platform_test
