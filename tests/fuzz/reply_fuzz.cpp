// The value exchange against a display that answers with any bytes at any
// pace: each input byte pair is one reply byte and whether a pause comes
// before it.
// Whatever comes, an accepted reply is four bytes and CR LF as they were
// sent, and a refused one leaves the last reply as it was.
#include "platform/serial_device.h"
#include "serial/drv232.h"
#include "scratch_folder.h"
#include "tests/support/pty.h"

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

// Shorter time-outs than the link's keep an input to some tens of
// milliseconds; the rules (whole reply within the total, no gap above the
// interval) are the same. A pty may hold a byte for some milliseconds on a
// busy machine, so a pause is either none or well past the interval.
constexpr platform::CommTimeouts kQuick{15, 1, 100, 20, 20};
constexpr int kLongPause = 40;
constexpr std::size_t kMaxReplyBytes = 8;

struct Line {
    int master = -1;
    Line()
    {
        static const fuzz::ScratchFolder folder;
        testsupport::RawPty pty;
        if (!testsupport::OpenRawPty(pty))
            std::abort();
        master = pty.master;
        ::close(pty.slave);
        ::setenv("QMX_PORT_DIR", ".", 1);
        if (::symlink(pty.slavePath.c_str(), "COM7") != 0 || !Drv232::OpenPort(7) ||
            !platform::SetTimeouts(Drv232::PortHandle, kQuick))
            std::abort();
        Drv232::NewReplyBuffer();
    }
};

void ReadCommand(int master)
{
    std::uint8_t byte;
    for (int got = 0; got < 7;)
        if (::read(master, &byte, 1) == 1)
            ++got;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static const Line line;
    std::vector<std::pair<std::uint8_t, int>> reply; // byte, pause before it in ms
    for (std::size_t i = 0; i + 1 < size && reply.size() < kMaxReplyBytes; i += 2)
        reply.emplace_back(data[i], (data[i + 1] & 3) == 3 ? kLongPause : 0);

    const std::string before = Drv232::ReplyText();
    std::thread display([&] {
        ReadCommand(line.master);
        for (const auto &[byte, pause] : reply) {
            std::this_thread::sleep_for(std::chrono::milliseconds(pause));
            if (::write(line.master, &byte, 1) != 1)
                std::abort();
        }
    });
    Drv232::DisplayText = "????";
    const bool accepted = Drv232::ExchangeValue();
    display.join();

    const std::string now = Drv232::ReplyText();
    if (accepted) {
        if (reply.size() < 6 || reply[4].first != 0x0D || reply[5].first != 0x0A)
            std::abort();
        for (std::size_t i = 0; i < 4; ++i)
            if (static_cast<std::uint8_t>(now[i]) != reply[i].first)
                std::abort();
    } else if (now != before) {
        std::abort();
    }
    return 0;
}
