#pragma once
// The emulated displays that with_peers.sh starts before the contract tests
// run, on this system's own serial layer: their ports by behaviour, the
// normal display's frame log, and a scratch folder.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace contract {

// The port numbers of the displays with this behaviour ("normal", "silent",
// "slow", "short", "wrong-terminator"), from QMX_PEERS; the test fails
// when with_peers.sh gave none.
std::vector<std::uint8_t> PeerPorts(const std::string &behaviour);
std::uint8_t PeerPort(const std::string &behaviour);

// True when the tests run under Wine, which with_peers.sh says.
bool UnderWine();

// The frame log of the normal displays, as their emulator writes it.
class FrameLog {
public:
    // Forgets the frames logged so far.
    void skipToEnd();
    // The hex bytes of the next frame that port took after the last skip,
    // waiting a little for the emulator to log it; empty when none came.
    std::string nextFrame(std::uint8_t port);

private:
    std::uintmax_t offset_ = 0;
};

// Tells the display that can be pulled out (behaviour "gone") to go, as an
// unplugged adapter, or to come back under the same name.
void ControlPulledDisplay(const std::string &word);

// A new empty folder under QMX_SCRATCH for one test.
std::filesystem::path ScratchFolder(const std::string &name);

std::string Hex(const std::vector<std::uint8_t> &bytes);

} // namespace contract
