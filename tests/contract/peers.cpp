#include "peers.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace contract {
namespace {

std::string Environment(const char *name)
{
    const char *value = std::getenv(name);
    return value ? value : "";
}

} // namespace

// QMX_PEERS="normal:9,10 silent:4 ..."
std::vector<std::uint8_t> PeerPorts(const std::string &behaviour)
{
    std::istringstream peers(Environment("QMX_PEERS"));
    std::vector<std::uint8_t> ports;
    for (std::string entry; peers >> entry;) {
        if (entry.rfind(behaviour + ":", 0) != 0)
            continue;
        std::istringstream numbers(entry.substr(behaviour.size() + 1));
        for (std::string n; std::getline(numbers, n, ',');)
            ports.push_back(std::uint8_t(std::stoi(n)));
    }
    EXPECT_FALSE(ports.empty()) << "no " << behaviour << " display: run the tests through tests/contract/with_peers.sh";
    return ports;
}

std::uint8_t PeerPort(const std::string &behaviour)
{
    const auto ports = PeerPorts(behaviour);
    return ports.empty() ? 0 : ports.front();
}

bool UnderWine()
{
    return Environment("QMX_UNDER_WINE") == "1";
}

void FrameLog::skipToEnd()
{
    std::error_code ec;
    offset_ = std::filesystem::file_size(Environment("QMX_PEER_LOG"), ec);
}

// A logged frame reads "07:19:30.502 COM9 <- 44 31 32 33 34 0D 0A  (value, write)".
std::string FrameLog::nextFrame(std::uint8_t port)
{
    const std::string mark = " COM" + std::to_string(port) + " <- ";
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(2);
    do {
        std::ifstream log(Environment("QMX_PEER_LOG"), std::ios::binary);
        log.seekg(std::streamoff(offset_));
        for (std::string line; std::getline(log, line);) {
            const std::size_t at = line.find(mark);
            if (at == line.npos)
                continue;
            const std::string rest = line.substr(at + mark.size());
            return rest.substr(0, rest.find("  "));
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    } while (std::chrono::steady_clock::now() < until);
    return {};
}

void ControlPulledDisplay(const std::string &word)
{
    // The emulator holds its FIFO open for reading, so this open never waits.
    std::ofstream control(Environment("QMX_PEER_CONTROL"));
    control << word << "\n" << std::flush;
    EXPECT_TRUE(control.good()) << "no control FIFO: run the tests through tests/contract/with_peers.sh";
}

std::filesystem::path ScratchFolder(const std::string &name)
{
    const std::string root = Environment("QMX_SCRATCH");
    EXPECT_FALSE(root.empty()) << "no scratch folder: run the tests through tests/contract/with_peers.sh";
    const std::filesystem::path folder = std::filesystem::path(root) / name;
    std::filesystem::remove_all(folder);
    std::filesystem::create_directories(folder);
    return folder;
}

std::string Hex(const std::vector<std::uint8_t> &bytes)
{
    std::string text;
    for (std::uint8_t b : bytes) {
        char two[4];
        std::snprintf(two, sizeof two, "%02X", b);
        text += (text.empty() ? "" : " ") + std::string(two);
    }
    return text;
}

} // namespace contract
