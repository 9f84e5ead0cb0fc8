#include "test_support.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace platform_test {

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "qmx_platform_XXXXXX").string();
    if (!::mkdtemp(pattern.data()))
        throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

ScopedEnv::ScopedEnv(std::string name) : name_(std::move(name))
{
    if (const char *value = std::getenv(name_.c_str()))
        saved_ = value;
}

ScopedEnv::~ScopedEnv()
{
    if (saved_)
        set(*saved_);
    else
        unset();
}

void ScopedEnv::set(const std::string &value) { ::setenv(name_.c_str(), value.c_str(), 1); }
void ScopedEnv::unset() { ::unsetenv(name_.c_str()); }

void WriteBytes(const std::string &path, const std::vector<std::uint8_t> &bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
    if (!out.flush())
        throw std::runtime_error("cannot write " + path);
}

std::vector<std::uint8_t> ReadBytes(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::uint8_t> Bytes(const std::string &text) { return {text.begin(), text.end()}; }

} // namespace platform_test
