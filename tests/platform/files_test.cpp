// Whole-file reads and the atomic replace, on real files in temp folders.
#include "platform/files.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <iostream>
#include <map>
#include <numeric>
#include <thread>

namespace platform_test {
using namespace testsupport;
namespace {

using platform::ReadFileHead;
using platform::ReadFirstLine;
using platform::ReplaceWholeFile;

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

// Runs what in a child process that an alarm ends after a few seconds, so
// that a call that blocks for good fails the test instead of hanging it.
// 0: what returned true, 1: false, -1: the child did not end by itself.
int InChild(const std::function<bool()> &what)
{
    const pid_t child = ::fork();
    if (child == 0) {
        ::alarm(5);
        ::_exit(what() ? 0 : 1);
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

// Everything in folder, recursively: kind, mode, owner and content or link
// text of each entry, to show that nothing changed.
std::map<std::string, std::string> Snapshot(const std::filesystem::path &folder)
{
    std::map<std::string, std::string> all;
    for (const auto &entry : std::filesystem::recursive_directory_iterator(folder)) {
        struct stat st;
        ::lstat(entry.path().c_str(), &st);
        std::string text =
            std::to_string(st.st_mode) + " " + std::to_string(st.st_uid) + ":" + std::to_string(st.st_gid) + " ";
        if (S_ISLNK(st.st_mode))
            text += std::filesystem::read_symlink(entry.path()).string();
        else if (S_ISREG(st.st_mode))
            text += ReadAll(entry.path());
        all[entry.path().lexically_relative(folder).string()] = text;
    }
    return all;
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

TEST_F(FilesTest, ReadsTakeOnlyARegularFile)
{
    ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0644), 0);
    std::filesystem::create_directory(dir.path() / "folder");
    std::filesystem::create_symlink(dir.path() / "fifo", dir.path() / "to-fifo");
    std::filesystem::create_symlink("/dev/zero", dir.path() / "to-device");
    for (const char *name : {"missing", "folder", "fifo", "to-fifo", "to-device"}) {
        // A FIFO without a writer blocks a plain open for good.
        EXPECT_EQ(InChild([&] {
                      std::vector<std::uint8_t> out{7};
                      std::string line = "old";
                      return !ReadFileHead(dir.file(name), 12, out) && out == std::vector<std::uint8_t>{7} &&
                             !ReadFileHead(dir.file(name), 0, out) && !ReadFirstLine(dir.file(name), 100, line) &&
                             line == "old";
                  }),
                  0)
            << name;
    }
}

// The bytes and the leftovers are the contract tests' (tests/contract).
TEST_F(FilesTest, ReplaceKeepsTheModeOfTheFileItReplaces)
{
    const auto bytes = Sequence(16);
    ASSERT_TRUE(ReplaceWholeFile(dir.file("new"), bytes.data(), bytes.size()));
    const mode_t mask = ::umask(022);
    ::umask(mask);
    EXPECT_EQ(std::filesystem::status(dir.file("new")).permissions(), std::filesystem::perms(0666 & ~mask));

    ASSERT_EQ(::chmod(dir.file("new").c_str(), 0640), 0);
    ASSERT_TRUE(ReplaceWholeFile(dir.file("new"), bytes.data(), bytes.size()));
    EXPECT_EQ(std::filesystem::status(dir.file("new")).permissions(), std::filesystem::perms(0640));
}

struct LinkCase {
    const char *what;
    std::vector<std::pair<std::string, std::string>> links; // name, what it points to; the first is saved
    std::string final;                                      // the file the links lead to
    bool finalExists;
};

TEST_F(FilesTest, ReplaceWritesThroughLinksToTheFileTheyLeadTo)
{
    const LinkCase cases[] = {
        {"a link", {{"Parametry.par", "shared/real.par"}}, "shared/real.par", true},
        {"a chain of links", {{"Parametry.par", "hop"}, {"hop", "shared/real.par"}}, "shared/real.par", true},
        {"a link relative to its own folder", {{"conf/Parametry.par", "../shared/real.par"}}, "shared/real.par", true},
        {"a link to a file not yet there", {{"Parametry.par", "shared/new.par"}}, "shared/new.par", false},
    };
    // Root can show that the owner is kept; anyone else owns what they write.
    const bool root = ::geteuid() == 0;
    const auto text = Bytes("new");
    int row = 0;
    for (const auto &c : cases) {
        const std::filesystem::path base = dir.path() / std::to_string(row++);
        std::filesystem::create_directories(base / "shared");
        std::filesystem::create_directories(base / "conf");
        const std::string final = (base / c.final).string();
        if (c.finalExists) {
            WriteBytes(final, Bytes("old"));
            ASSERT_EQ(::chmod(final.c_str(), 0640), 0);
            if (root) {
                ASSERT_EQ(::chown(final.c_str(), 4321, 4322), 0);
            }
        }
        struct stat before {};
        ::stat(final.c_str(), &before);
        for (const auto &[name, to] : c.links)
            std::filesystem::create_symlink(to, base / name);

        ASSERT_TRUE(ReplaceWholeFile((base / c.links.front().first).string(), text.data(), text.size())) << c.what;
        EXPECT_EQ(ReadBytes(final), text) << c.what;
        for (const auto &[name, to] : c.links)
            EXPECT_EQ(std::filesystem::read_symlink(base / name), to) << c.what << ": " << name;
        EXPECT_EQ(EntriesIn(base / "shared"), 1u) << c.what << ": no temporary left";
        struct stat after {};
        ASSERT_EQ(::stat(final.c_str(), &after), 0);
        if (c.finalExists) {
            EXPECT_EQ(after.st_mode & 07777, 0640u) << c.what;
            EXPECT_EQ(after.st_uid, before.st_uid) << c.what;
            EXPECT_EQ(after.st_gid, before.st_gid) << c.what;
        }
    }
}

struct RefusedCase {
    const char *what;
    std::function<void(const std::filesystem::path &base)> make; // what stands at base/Parametry.par
    bool asAnotherUser = false;
};

TEST_F(FilesTest, ReplaceLeavesWhatIsNoWritableRegularFile)
{
    auto file = [](const std::filesystem::path &path, mode_t mode) {
        WriteAll(path, "old");
        ASSERT_EQ(::chmod(path.c_str(), mode), 0);
    };
    const RefusedCase cases[] = {
        {"a link to a read-only file",
         [&](const auto &base) {
             file(base / "shared.par", 0444);
             std::filesystem::create_symlink("shared.par", base / "Parametry.par");
         }},
        {"another user's file that this user may not write",
         [&](const auto &base) {
             // The folder lets anyone create and rename files in it.
             ASSERT_EQ(::chmod(base.parent_path().c_str(), 0711), 0);
             ASSERT_EQ(::chmod(base.c_str(), 0777), 0);
             file(base / "Parametry.par", 0644);
         },
         true},
        {"a FIFO", [](const auto &base) { ASSERT_EQ(::mkfifo((base / "Parametry.par").c_str(), 0644), 0); }},
        {"a folder", [](const auto &base) { std::filesystem::create_directory(base / "Parametry.par"); }},
        {"a link to a folder",
         [](const auto &base) {
             std::filesystem::create_directory(base / "folder");
             std::filesystem::create_symlink("folder", base / "Parametry.par");
         }},
        {"a loop of links",
         [](const auto &base) {
             std::filesystem::create_symlink("other", base / "Parametry.par");
             std::filesystem::create_symlink("Parametry.par", base / "other");
         }},
    };
    const auto text = Bytes("new");
    int row = 0;
    for (const auto &c : cases) {
        if (c.asAnotherUser && ::geteuid() != 0) {
            std::cout << "skipped without root: " << c.what << "\n";
            continue;
        }
        const std::filesystem::path base = dir.path() / std::to_string(row++);
        std::filesystem::create_directory(base);
        c.make(base);
        const auto before = Snapshot(base);
        const std::string path = (base / "Parametry.par").string();
        const int saved = InChild([&] {
            if (c.asAnotherUser) {
                if (::setgid(65534) != 0 || ::setuid(65534) != 0)
                    return false;
                // A folder that user cannot reach (TMPDIR in a home of mode
                // 0700) refuses the save for another reason.
                if (::access(base.c_str(), W_OK | X_OK) != 0)
                    ::_exit(2);
            }
            return !ReplaceWholeFile(path, text.data(), text.size());
        });
        if (saved == 2) {
            std::cout << "skipped, user 65534 may not enter " << base << ": " << c.what << "\n";
            continue;
        }
        EXPECT_EQ(saved, 0) << c.what << ": the save must fail";
        EXPECT_EQ(Snapshot(base), before) << c.what;
    }
}

std::vector<std::string> EntriesStartingWith(const std::filesystem::path &folder, const std::string &start)
{
    std::vector<std::string> found;
    for (const auto &entry : std::filesystem::directory_iterator(folder))
        if (entry.path().filename().string().starts_with(start))
            found.push_back(entry.path().filename().string());
    return found;
}

// Kills a child process in the middle of a save of target; the name of the
// temporary it left, or empty when none of the pattern was ever seen.
std::string KillASaveMidway(const std::filesystem::path &folder, const std::string &target)
{
    const std::vector<std::uint8_t> big(8 << 20, 'x');
    for (int attempt = 0; attempt < 5; ++attempt) {
        const pid_t child = ::fork();
        if (child == 0) {
            for (;;)
                ReplaceWholeFile((folder / target).string(), big.data(), big.size());
        }
        const std::string mine = "." + target + ".qmx-tmp-" + std::to_string(child) + "-";
        for (int wait = 0; wait < 2000 && EntriesStartingWith(folder, mine).empty(); ++wait)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        // The kill may land between two saves; try again then.
        if (const auto left = EntriesStartingWith(folder, mine); !left.empty())
            return left.front();
    }
    return {};
}

struct TemporaryCase {
    std::string name;
    int ageSeconds;
    bool held; // a save in progress, maybe on another machine, holds its lock
    bool removed;
};

TEST_F(FilesTest, ReplaceRemovesTheStaleTemporariesOfItsTarget)
{
    const std::string killed = KillASaveMidway(dir.path(), "QMXV6614.txt");
    ASSERT_FALSE(killed.empty()) << "a killed save leaves a temporary of the pattern";
    const std::string dead = killed.substr(std::string(".QMXV6614.txt.qmx-tmp-").size());
    const std::string self = std::to_string(::getpid()) + "-";
    const TemporaryCase cases[] = {
        {killed, 0, false, true},
        {".QMXV6614.txt.qmx-tmp-" + dead + "held00", 0, true, false},
        {".QMXV6614.txt.qmx-tmp-" + self + "fresh0", 0, false, false},
        {".QMXV6614.txt.qmx-tmp-" + self + "old000", 120, false, true},
        {".Parametry.par.qmx-tmp-" + dead + "other0", 0, false, false},
        {"QMXV6614.txt.abc123", 3600, false, false},
    };
    std::vector<int> locks;
    for (const auto &c : cases) {
        const std::string path = dir.file(c.name);
        if (c.name != killed)
            WriteAll(path, "part");
        const timespec times[2] = {{::time(nullptr) - c.ageSeconds, 0}, {::time(nullptr) - c.ageSeconds, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
        if (c.held) {
            locks.push_back(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
            ASSERT_EQ(::flock(locks.back(), LOCK_EX), 0);
        }
    }

    const auto text = Bytes("0930\r\n");
    ASSERT_TRUE(ReplaceWholeFile(dir.file("QMXV6614.txt"), text.data(), text.size()));
    for (const auto &c : cases)
        EXPECT_EQ(std::filesystem::exists(dir.path() / c.name), !c.removed) << c.name;
    EXPECT_EQ(ReadBytes(dir.file("QMXV6614.txt")), text);
    for (int fd : locks)
        ::close(fd);
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
    EXPECT_FALSE(ReplaceWholeFile(Old(), text.data(), text.size()));
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
        ::_exit(ReplaceWholeFile(dir.file("value"), big.data(), big.size()) ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "ReplaceWholeFile reported success";
    EXPECT_EQ(ReadBytes(dir.file("value")), old);
    EXPECT_EQ(EntriesIn(dir.path()), 1u);
}

} // namespace
} // namespace platform_test
