// Whole-file reads and the atomic replace, on real files in temp folders.
#include "platform/files.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <numeric>

namespace platform_test {
using namespace testsupport;
namespace {

using platform::ReadFileHead;
using platform::ReadFirstLine;
using platform::ReplaceFile;

std::vector<std::uint8_t> Sequence(std::size_t size)
{
    std::vector<std::uint8_t> bytes(size);
    std::iota(bytes.begin(), bytes.end(), std::uint8_t(0));
    return bytes;
}

std::size_t EntriesIn(const std::filesystem::path &folder)
{
    return std::size_t(std::distance(std::filesystem::directory_iterator(folder), {}));
}

class FilesTest : public ::testing::Test {
protected:
    TempDir dir;
};

TEST_F(FilesTest, ReadFileHeadReadsUpToTheLimit)
{
    const auto bytes = Sequence(1000);
    WriteBytes(dir.file("short"), Bytes("12"));
    WriteBytes(dir.file("long"), bytes);
    WriteBytes(dir.file("empty"), {});

    std::vector<std::uint8_t> out{9, 9};
    ASSERT_TRUE(ReadFileHead(dir.file("short"), 12, out));
    EXPECT_EQ(out, Bytes("12"));
    ASSERT_TRUE(ReadFileHead(dir.file("long"), 12, out));
    EXPECT_EQ(out, std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 12));
    ASSERT_TRUE(ReadFileHead(dir.file("long"), 100000, out));
    EXPECT_EQ(out, bytes);
    ASSERT_TRUE(ReadFileHead(dir.file("empty"), 12, out));
    EXPECT_TRUE(out.empty());
}

TEST_F(FilesTest, ReadFileHeadFailsOnWhatCannotBeRead)
{
    std::vector<std::uint8_t> out{7};
    EXPECT_FALSE(ReadFileHead(dir.file("missing"), 12, out));
    EXPECT_EQ(out, std::vector<std::uint8_t>{7});
    EXPECT_FALSE(ReadFileHead(dir.path().string(), 12, out));
    EXPECT_FALSE(ReadFileHead(dir.path().string(), 0, out));
}

TEST_F(FilesTest, ReadFirstLineEndsAtTheLineBreak)
{
    const struct {
        std::string content;
        std::string line;
    } rows[] = {
        {"12\n34", "12"},
        {"0930\r\n", "0930"},
        {"0930\r\nnext\r\n", "0930"},
        {"0930", "0930"},
        {"09\r30\n", "09\r30"},
        {"\n0930", ""},
        {"", ""},
        {std::string("a\0b\n", 4), std::string("a\0b", 3)},
    };
    for (const auto &row : rows) {
        WriteBytes(dir.file("line"), Bytes(row.content));
        std::string line = "old";
        ASSERT_TRUE(ReadFirstLine(dir.file("line"), 100, line)) << row.content;
        EXPECT_EQ(line, row.line) << row.content;
    }
}

TEST_F(FilesTest, ReadFirstLineKeepsHighBytes)
{
    std::vector<std::uint8_t> high(128);
    std::iota(high.begin(), high.end(), std::uint8_t(0x80));
    WriteBytes(dir.file("high"), high);
    std::string line;
    ASSERT_TRUE(ReadFirstLine(dir.file("high"), 1000, line));
    EXPECT_EQ(std::vector<std::uint8_t>(line.begin(), line.end()), high);
}

TEST_F(FilesTest, ReadFirstLineStopsAtTheLimit)
{
    WriteBytes(dir.file("huge"), std::vector<std::uint8_t>(1 << 20, 'x'));
    std::string line;
    ASSERT_TRUE(ReadFirstLine(dir.file("huge"), 64 * 1024, line));
    EXPECT_EQ(line, std::string(64 * 1024, 'x'));

    // A CR LF right after the limit is no content.
    WriteBytes(dir.file("exact"), Bytes("0930\r\n"));
    ASSERT_TRUE(ReadFirstLine(dir.file("exact"), 4, line));
    EXPECT_EQ(line, "0930");
    ASSERT_TRUE(ReadFirstLine(dir.file("exact"), 2, line));
    EXPECT_EQ(line, "09");
}

TEST_F(FilesTest, ReadFirstLineFailsOnWhatCannotBeRead)
{
    std::string line = "old";
    EXPECT_FALSE(ReadFirstLine(dir.file("missing"), 100, line));
    EXPECT_EQ(line, "old");
    EXPECT_FALSE(ReadFirstLine(dir.path().string(), 100, line));
    EXPECT_EQ(line, "old");
}

TEST_F(FilesTest, ReplaceFileWritesExactlyTheBytes)
{
    const auto bytes = Sequence(70000);
    ASSERT_TRUE(ReplaceFile(dir.file("new"), bytes.data(), bytes.size()));
    EXPECT_EQ(ReadBytes(dir.file("new")), bytes);

    const mode_t mask = ::umask(022);
    ::umask(mask);
    EXPECT_EQ(std::filesystem::status(dir.file("new")).permissions(),
              std::filesystem::perms(0666 & ~mask));

    ASSERT_EQ(::chmod(dir.file("new").c_str(), 0640), 0);
    const auto text = Bytes("0930\r\n");
    ASSERT_TRUE(ReplaceFile(dir.file("new"), text.data(), text.size()));
    EXPECT_EQ(ReadBytes(dir.file("new")), text);
    EXPECT_EQ(std::filesystem::status(dir.file("new")).permissions(), std::filesystem::perms(0640));

    ASSERT_TRUE(ReplaceFile(dir.file("new"), nullptr, 0));
    EXPECT_TRUE(ReadBytes(dir.file("new")).empty());
    EXPECT_EQ(EntriesIn(dir.path()), 1u);
}

// A folder that refuses new files even to root: a tmpfs remounted read-only.
// Without root, chmod is enough.
class ReadOnlyFolderTest : public FilesTest {
protected:
    void SetUp() override
    {
        folder = dir.path() / "ro";
        std::filesystem::create_directory(folder);
        if (::mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=1m") == 0) {
            mounted = true;
            WriteBytes(Old(), Bytes("old"));
            ASSERT_EQ(::mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0);
        } else if (::geteuid() != 0) {
            WriteBytes(Old(), Bytes("old"));
            ASSERT_EQ(::chmod(folder.c_str(), 0555), 0);
        } else {
            GTEST_SKIP() << "neither a tmpfs mount nor chmod makes a read-only folder here";
        }
    }

    void TearDown() override
    {
        if (mounted)
            ::umount2(folder.c_str(), MNT_DETACH);
        else
            ::chmod(folder.c_str(), 0755);
    }

    std::string Old() const { return (folder / "QMXV6614.txt").string(); }

    std::filesystem::path folder;
    bool mounted = false;
};

TEST_F(ReadOnlyFolderTest, ReplaceFailsAndTheOldFileStaysWhole)
{
    const auto text = Bytes("new");
    EXPECT_FALSE(ReplaceFile(Old(), text.data(), text.size()));
    EXPECT_EQ(ReadBytes(Old()), Bytes("old"));
    EXPECT_EQ(EntriesIn(folder), 1u);
}

TEST_F(FilesTest, FailedWriteLeavesTheOldFileAndNoTemporary)
{
    const auto old = Sequence(100);
    WriteBytes(dir.file("value"), old);
    const auto big = Sequence(100000);

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        // Past the file size limit write() fails with EFBIG instead of the
        // process being killed.
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        ::_exit(ReplaceFile(dir.file("value"), big.data(), big.size()) ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "ReplaceFile reported success";
    EXPECT_EQ(ReadBytes(dir.file("value")), old);
    EXPECT_EQ(EntriesIn(dir.path()), 1u);
}

} // namespace
} // namespace platform_test
