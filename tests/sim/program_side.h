#pragma once
// The program's side of the line for the emulator's tests: a temporary port
// folder and a port opened the way the program opens it.
#include "tests/support/temp_dir.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace simtest {

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

Bytes ToBytes(std::string_view text);

using testsupport::TempDir;

struct TimedByte {
    std::uint8_t value;
    Clock::time_point at;
};

// Opened with an exclusive lock and TIOCEXCL in raw mode, like the program.
class ProgramPort {
public:
    explicit ProgramPort(const std::string &path);
    ~ProgramPort();
    ProgramPort(const ProgramPort &) = delete;
    ProgramPort &operator=(const ProgramPort &) = delete;

    bool isOpen() const { return fd_ >= 0; }
    // The display's end of the line has gone away.
    bool hungUp() const;
    void send(const Bytes &bytes);
    // Collects bytes until the line has been quiet for `quiet` after the
    // last one (or from the start), or `limit` has passed.
    std::vector<TimedByte> receive(std::chrono::milliseconds quiet = 100ms, std::chrono::milliseconds limit = 3000ms);
    Bytes exchange(const Bytes &bytes);

private:
    int fd_ = -1;
};

Bytes Values(const std::vector<TimedByte> &bytes);

} // namespace simtest
