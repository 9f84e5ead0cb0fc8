#include "tests/support/device_server.h"

#include <arpa/inet.h>
#include <csignal>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

namespace testsupport {
namespace {

sockaddr_in Loopback(int port)
{
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(std::uint16_t(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return a;
}

int FreePort()
{
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a = Loopback(0);
    socklen_t length = sizeof a;
    int port = 0;
    if (::bind(s, reinterpret_cast<sockaddr *>(&a), sizeof a) == 0 &&
        ::getsockname(s, reinterpret_cast<sockaddr *>(&a), &length) == 0)
        port = ntohs(a.sin_port);
    ::close(s);
    return port;
}

// Something listens there. Read from the kernel's table rather than by
// connecting: a connection makes ser2net open the device, and a test that
// connects right after would find it still held.
bool Listening(int port)
{
    char local[32];
    std::snprintf(local, sizeof local, "0100007F:%04X", port);
    std::ifstream table("/proc/net/tcp");
    for (std::string line; std::getline(table, line);) {
        std::istringstream fields(line);
        std::string slot, address, remote, state;
        fields >> slot >> address >> remote >> state;
        if (address == local && state == "0A")
            return true;
    }
    return false;
}

} // namespace

DeviceServer::DeviceServer(const std::filesystem::path &folder, std::vector<Line> lines)
    : folder_(folder), lines_(std::move(lines))
{
    std::vector<std::string> args{QMX_SER2NET_CONFIG};
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        ports_.push_back(FreePort());
        for (std::string arg : {"line" + std::to_string(i), std::string(lines_[i].rfc2217 ? "rfc2217" : "socket"),
                                std::to_string(ports_[i]), lines_[i].device})
            args.push_back(std::move(arg));
    }
    std::vector<char *> argv;
    for (std::string &arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    const std::string config = (folder_ / "ser2net.yaml").string();
    const pid_t writer = ::fork();
    if (writer == 0) {
        ::dup2(::open(config.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), 1);
        ::execv(argv[0], argv.data());
        ::_exit(127);
    }
    ::waitpid(writer, nullptr, 0);
}

DeviceServer::~DeviceServer()
{
    stop();
}

std::string DeviceServer::url(std::size_t i) const
{
    return std::string(lines_[i].rfc2217 ? "rfc2217" : "socket") + "://127.0.0.1:" + std::to_string(ports_[i]);
}

bool DeviceServer::start()
{
    const std::string config = (folder_ / "ser2net.yaml").string();
    const std::string pidFile = (folder_ / "ser2net.pid").string();
    const std::string log = (folder_ / "ser2net.log").string();
    // Debian puts it in /usr/sbin, which an ordinary user's PATH lacks.
    const char *command = ::access("/usr/sbin/ser2net", X_OK) == 0 ? "/usr/sbin/ser2net" : "ser2net";
    // -d: in the foreground, its complaints in the log; -u: no UUCP lock
    // files in /var/lock.
    const char *const argv[] = {command, "-d", "-u", "-P", pidFile.c_str(), "-c", config.c_str(), nullptr};
    (void)!::truncate(log.c_str(), 0);
    pid_ = ::fork();
    if (pid_ == 0) {
        const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        ::dup2(out, 1);
        ::dup2(out, 2);
        ::execvp(command, const_cast<char *const *>(argv));
        std::fprintf(stderr, "cannot start %s: %s\n", command, std::strerror(errno));
        ::_exit(127);
    }
    std::string commandLine;
    for (const char *const *a = argv; *a; ++a)
        commandLine += std::string(commandLine.empty() ? "" : " ") + *a;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    for (int port : ports_)
        while (!Listening(port)) {
            int status = 0;
            const bool ended = ::waitpid(pid_, &status, WNOHANG) == pid_;
            if (ended || std::chrono::steady_clock::now() > until) {
                std::ifstream in(log);
                const std::string output((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
                problem_ = commandLine +
                           (ended ? " ended with status " + std::to_string(WEXITSTATUS(status))
                                  : " did not listen on 127.0.0.1:" + std::to_string(port) + " within 10 s") +
                           "; its output: " + (output.empty() ? "(none)" : output);
                if (ended)
                    pid_ = -1;
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
    return true;
}

void DeviceServer::stop()
{
    if (pid_ <= 0)
        return;
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
    pid_ = -1;
}

} // namespace testsupport
