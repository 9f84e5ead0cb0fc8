#pragma once
// qmxctl run as a child process, as a shell runs it.
#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace clitest {

struct Outcome {
    int status = -1; // exit status; -1 when it did not exit normally
    std::string out;
    std::string err;
};

// Runs argv in dir with exactly the environment env ("NAME=value"). With
// stopAfter, sends SIGTERM once that time has passed. A child still running
// after 20 s is killed and fails the test.
Outcome RunChild(const std::vector<std::string> &argv, const std::vector<std::string> &env, const std::string &dir,
                 std::optional<std::chrono::milliseconds> stopAfter = {});

} // namespace clitest
