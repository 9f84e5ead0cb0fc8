// A display behind a serial device server (ser2net on 127.0.0.1) against the
// same display on its own line, in one run:
//  1. the value exchange: direct on the pty, through rfc2217:// and through
//     socket://, with the display answering at once and at 9600 baud;
//  2. the search's time when one mapped network port does not answer (a
//     listener on 127.0.0.1 whose queue is full drops every new connection,
//     as a dead host does);
//  3. the CPU of `qmxctl clock mm:ss` through the server, and the server's.
// Run by hand: qmx_bench_network [exchanges per route, default 300]
#include "serial/drv232.h"
#include "sim/display_sim.h"
#include "tests/support/device_server.h"
#include "tests/support/temp_dir.h"

#include <netinet/in.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using testsupport::DeviceServer;

double Ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

double Quantile(std::vector<double> v, double q)
{
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[std::size_t(q * double(v.size() - 1))];
}

std::unique_ptr<sim::DisplaySim> Display(const std::string &folder, int port, bool pacing)
{
    sim::Options o;
    o.portDir = folder;
    o.portNumber = port;
    o.initialValue = "1234";
    o.pacing = pacing;
    auto d = std::make_unique<sim::DisplaySim>(o);
    if (!d->start()) {
        std::fprintf(stderr, "emulator: %s\n", d->error().c_str());
        std::exit(1);
    }
    return d;
}

void Map(const std::string &ports, int n, const std::string &url)
{
    std::ofstream(ports + "/COM" + std::to_string(n)) << url << "\n";
}

// Exchanges on COMn; their times in ms, and how many failed.
std::vector<double> Exchanges(int n, int count, int &failed)
{
    std::vector<double> times;
    failed = 0;
    if (!Drv232::OpenPort(std::uint8_t(n))) {
        failed = count;
        return times;
    }
    // The emulator watches a freshly opened port for its first second.
    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    Drv232::DisplayText = "1234";
    for (int i = 0; i < count; ++i) {
        const auto start = Clock::now();
        if (!Drv232::ExchangeValue())
            ++failed;
        times.push_back(Ms(Clock::now() - start));
    }
    Drv232::ClosePort();
    return times;
}

// A port of 127.0.0.1 that takes no connection and refuses none.
int DeadPort(std::vector<int> &held)
{
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof a;
    ::bind(listener, reinterpret_cast<sockaddr *>(&a), sizeof a);
    ::listen(listener, 0);
    ::getsockname(listener, reinterpret_cast<sockaddr *>(&a), &length);
    held.push_back(listener);
    for (int i = 0; i < 3; ++i) {
        const int s = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        ::connect(s, reinterpret_cast<sockaddr *>(&a), sizeof a);
        held.push_back(s);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    return ntohs(a.sin_port);
}

double CpuSeconds(const rusage &u)
{
    return double(u.ru_utime.tv_sec + u.ru_stime.tv_sec) + double(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
}

double ProcessCpu(pid_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string field;
    double ticks = 0;
    for (int i = 1; i <= 15 && stat >> field; ++i)
        if (i == 14 || i == 15)
            ticks += std::stod(field);
    return ticks / double(::sysconf(_SC_CLK_TCK));
}

} // namespace

int main(int argc, char **argv)
{
    const int count = argc > 1 ? std::atoi(argv[1]) : 300;
    testsupport::TempDir lines, ports;
    setenv("QMX_PORT_DIR", ports.path().c_str(), 1);
    Drv232::NewReplyBuffer();

    std::printf("## exchanges (%d per route): median / p90 / p99 ms, failed\n", count);
    for (bool paced : {false, true}) {
        auto direct = Display(ports.path().string(), 9, paced);
        auto served1 = Display(lines.path().string(), 1, paced);
        auto served2 = Display(lines.path().string(), 2, paced);
        DeviceServer server(lines.path(), {{served1->slavePath(), true}, {served2->slavePath(), false}});
        if (!server.start()) {
            std::fprintf(stderr, "ser2net did not come up\n");
            return 1;
        }
        Map(ports.path().string(), 3, server.url(0));
        Map(ports.path().string(), 4, server.url(1));
        double directMedian = 0;
        for (const auto &[name, port] : {std::pair{"pty", 9}, std::pair{"rfc2217", 3}, std::pair{"socket", 4}}) {
            int failed = 0;
            const std::vector<double> t = Exchanges(port, count, failed);
            const double median = Quantile(t, 0.5);
            if (port == 9)
                directMedian = median;
            std::printf("%-6s %-8s %7.3f / %7.3f / %7.3f  failed %d  (median %+.3f ms against the pty)\n",
                        paced ? "paced" : "at-once", name, median, Quantile(t, 0.9), Quantile(t, 0.99), failed,
                        median - directMedian);
        }
    }

    std::printf("## search, display on COM1, stored port 3 (tries COM2, then COM1)\n");
    {
        auto display = Display(ports.path().string(), 1, false);
        std::vector<int> held;
        for (const char *what : {"COM2 absent", "COM2 mapped to a port that does not answer"}) {
            if (held.empty() && what[5] == 'm')
                Map(ports.path().string(), 2, "rfc2217://127.0.0.1:" + std::to_string(DeadPort(held)));
            Drv232::DisplayText = "???";
            const auto start = Clock::now();
            const auto found = Drv232::SearchDisplay(platform::PortName::Com(3));
            std::printf("%-45s found %s in %.0f ms\n", what, found ? found->Label().c_str() : "none",
                        Ms(Clock::now() - start));
            Drv232::ClosePort();
        }
        for (int fd : held)
            ::close(fd);
    }

    std::printf("## CPU: qmxctl clock mm:ss through rfc2217:// for 30 s\n");
    {
        auto served = Display(lines.path().string(), 5, true);
        DeviceServer server(lines.path(), {{served->slavePath(), true}});
        if (!server.start())
            return 1;
        Map(ports.path().string(), 5, server.url(0));
        std::ifstream pidFile(lines.path() / "ser2net.pid");
        pid_t serverPid = 0;
        pidFile >> serverPid;
        const double serverBefore = serverPid ? ProcessCpu(serverPid) : 0;
        const pid_t child = ::fork();
        if (child == 0) {
            ::execl(QMXCTL_COMMAND, "qmxctl", "--port", "COM5", "clock", "mm:ss", nullptr);
            ::_exit(127);
        }
        std::this_thread::sleep_for(std::chrono::seconds(30));
        const double serverAfter = serverPid ? ProcessCpu(serverPid) : 0;
        ::kill(child, SIGTERM);
        int status = 0;
        rusage usage{};
        ::wait4(child, &status, 0, &usage);
        std::printf("qmxctl: %.3f s CPU in 30 s (%.3f s per minute); ser2net: %.3f s (%.3f s per minute); "
                    "frames %zu\n",
                    CpuSeconds(usage), 2 * CpuSeconds(usage), serverAfter - serverBefore,
                    2 * (serverAfter - serverBefore), served->frames().size());
    }
    return 0;
}
