#pragma once
// Debian's ser2net as the serial device server in front of emulated displays:
// started in the foreground on 127.0.0.1 with a configuration of its own,
// never on another address, never with the system's configuration.
#include <filesystem>
#include <string>
#include <sys/types.h>
#include <vector>

namespace testsupport {

class DeviceServer {
public:
    struct Line {
        std::string device; // the pty the display's emulator made
        bool rfc2217;       // false: raw TCP (with nodelay)
    };
    // Writes ser2net's configuration into folder, one TCP port per line,
    // each on a free port of 127.0.0.1; start() starts it.
    DeviceServer(const std::filesystem::path &folder, std::vector<Line> lines);
    ~DeviceServer();

    // rfc2217://127.0.0.1:P or socket://127.0.0.1:P for line i.
    std::string url(std::size_t i) const;
    // Starts ser2net and waits until it listens on every port; false when it
    // does not come up, and problem() says why.
    bool start();
    // The command, how it ended and what it said, when start() failed.
    const std::string &problem() const { return problem_; }
    // As an administrator stopping it: the ports go.
    void stop();

private:
    std::filesystem::path folder_;
    std::vector<Line> lines_;
    std::vector<int> ports_;
    pid_t pid_ = -1;
    std::string problem_;
};

} // namespace testsupport
