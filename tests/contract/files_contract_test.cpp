// The atomic save, the same on every backend: a save replaces the file
// whole or leaves it as it was, and leaves nothing beside it.
#include "peers.h"

#include "platform/files.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <numeric>

namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> Content(const fs::path &file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::vector<std::string> Entries(const fs::path &folder)
{
    std::vector<std::string> names;
    for (const auto &entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    return names;
}

bool Save(const fs::path &file, const std::vector<std::uint8_t> &bytes)
{
    return platform::ReplaceWholeFile(file.string(), bytes.data(), bytes.size());
}

TEST(AtomicSave, ReplacesTheWholeFileAndLeavesNothingBesideIt)
{
    const fs::path folder = contract::ScratchFolder("replace");
    const fs::path file = folder / "Parametry.par";
    std::vector<std::uint8_t> big(70000);
    std::iota(big.begin(), big.end(), std::uint8_t(0));
    const std::vector<std::uint8_t> text = {'0', '9', '3', '0', '\r', '\n'};

    ASSERT_TRUE(Save(file, big)) << "a new file";
    EXPECT_EQ(Content(file), big);
    ASSERT_TRUE(Save(file, text)) << "over a longer one";
    EXPECT_EQ(Content(file), text);
    ASSERT_TRUE(Save(file, {})) << "an empty one";
    EXPECT_TRUE(Content(file).empty());
    EXPECT_EQ(Entries(folder), std::vector<std::string>{"Parametry.par"});
}

TEST(AtomicSave, LeavesAReadOnlyFileAsItWas)
{
    const fs::path folder = contract::ScratchFolder("read-only");
    const fs::path file = folder / "Parametry.par";
    ASSERT_TRUE(Save(file, {'o', 'l', 'd'}));
    // Windows marks the file read-only; POSIX takes every write bit away.
    fs::permissions(file, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove);
    EXPECT_FALSE(Save(file, {'n', 'e', 'w'}));
    EXPECT_EQ(Content(file), (std::vector<std::uint8_t>{'o', 'l', 'd'}));
    EXPECT_EQ(Entries(folder), std::vector<std::string>{"Parametry.par"});
    fs::permissions(file, fs::perms::owner_write, fs::perm_options::add);
}

TEST(AtomicSave, RemovesWhatAKilledSaveLeftBehind)
{
    const fs::path folder = contract::ScratchFolder("stale");
    const fs::path file = folder / "Parametry.par";
    const fs::path left = folder / ".Parametry.par.qmx-tmp-99999-abcdef";
    std::ofstream(left) << "half a save";
    fs::last_write_time(left, fs::file_time_type::clock::now() - std::chrono::hours(1));
    ASSERT_TRUE(Save(file, {'n', 'e', 'w'}));
    EXPECT_EQ(Entries(folder), std::vector<std::string>{"Parametry.par"});
}

} // namespace
