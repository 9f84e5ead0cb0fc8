#include "tests/cli/child.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
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

} // namespace

Outcome RunChild(const std::vector<std::string> &argv, const std::vector<std::string> &env,
                 const std::string &dir, std::optional<std::chrono::milliseconds> stopAfter)
{
    using Clock = std::chrono::steady_clock;
    std::vector<std::string> args = argv, vars = env;
    const std::vector<char *> argp = Pointers(args), envp = Pointers(vars);
    int out[2], err[2];
    if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0)
        return {};

    // Only async-signal-safe calls between fork and exec: the emulators'
    // threads run in this process.
    const pid_t pid = fork();
    if (pid == 0) {
        if (chdir(dir.c_str()) != 0 || dup2(out[1], 1) < 0 || dup2(err[1], 2) < 0)
            _exit(127);
        execve(argp[0], argp.data(), envp.data());
        _exit(127);
    }
    close(out[1]);
    close(err[1]);

    Outcome outcome;
    const auto start = Clock::now();
    bool stopped = false, killed = false;
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string *texts[2] = {&outcome.out, &outcome.err};
    while (fds[0].fd >= 0 || fds[1].fd >= 0) {
        const auto elapsed = Clock::now() - start;
        if (stopAfter && !stopped && elapsed >= *stopAfter) {
            kill(pid, SIGTERM);
            stopped = true;
        }
        if (!killed && elapsed >= std::chrono::seconds(20)) {
            kill(pid, SIGKILL);
            killed = true;
        }
        if (poll(fds, 2, 10) <= 0)
            continue;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !fds[i].revents)
                continue;
            char buffer[4096];
            const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                texts[i]->append(buffer, std::size_t(n));
            } else {
                close(fds[i].fd);
                fds[i].fd = -1;
            }
        }
    }
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_FALSE(killed) << argv[0] << " ran on and was killed";
    outcome.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

} // namespace clitest
