#include "child.h"

#include <gtest/gtest.h>

#include <csignal>
#include <spawn.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace clitest {
namespace {

std::vector<char *> Pointers(std::vector<std::string> &strings)
{
    std::vector<char *> pointers;
    for (std::string &s : strings)
        pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers;
}

// Output goes to files in memory, read once the child has ended: nothing to
// pump while it runs.
std::string ReadBack(int fd)
{
    std::string text;
    char buffer[4096];
    for (ssize_t n; (n = pread(fd, buffer, sizeof buffer, off_t(text.size()))) > 0;)
        text.append(buffer, std::size_t(n));
    close(fd);
    return text;
}

} // namespace

Outcome RunChild(const std::vector<std::string> &argv, const std::vector<std::string> &env, const std::string &dir,
                 std::optional<std::chrono::milliseconds> stopAfter)
{
    std::vector<std::string> args = argv, vars = env;
    const std::vector<char *> argp = Pointers(args), envp = Pointers(vars);
    const int out = memfd_create("stdout", MFD_CLOEXEC), err = memfd_create("stderr", MFD_CLOEXEC);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, dir.c_str());
    posix_spawn_file_actions_adddup2(&actions, out, STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err, STDERR_FILENO);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, argp[0], &actions, nullptr, argp.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    EXPECT_EQ(spawned, 0) << argv[0];

    int status = 0;
    const auto start = std::chrono::steady_clock::now();
    bool stopped = false;
    while (spawned == 0 && waitpid(pid, &status, WNOHANG) == 0) {
        const auto elapsed = std::chrono::steady_clock::now() - start;
        if (stopAfter && !stopped && elapsed >= *stopAfter)
            stopped = kill(pid, SIGTERM) == 0;
        if (elapsed >= std::chrono::seconds(20)) {
            ADD_FAILURE() << argv[0] << " ran on and was killed";
            kill(pid, SIGKILL);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return {WIFEXITED(status) && spawned == 0 ? WEXITSTATUS(status) : -1, ReadBack(out), ReadBack(err)};
}

} // namespace clitest
