// The emulator's frame parser on any byte stream: every byte comes out in
// exactly one frame, in order, and each frame is of the kind it claims.
#include "sim/frame_parser.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    sim::FrameParser parser;
    std::vector<sim::Frame> frames;
    const auto now = sim::FrameParser::Clock::now();
    for (std::size_t i = 0; i < size; ++i)
        parser.feed(data[i], now, frames);
    parser.flush(frames);

    std::vector<std::uint8_t> joined;
    for (const sim::Frame &frame : frames) {
        const auto &b = frame.bytes;
        if (b.empty() || b.size() > sim::FrameParser::kMaxGarbage)
            std::abort();
        const bool ends = b.size() >= 2 && b[b.size() - 2] == 0x0D && b.back() == 0x0A;
        if (frame.kind == sim::Frame::Kind::Value && !(b.size() == 7 && (b[0] == 'D' || b[0] == 'C') && ends))
            std::abort();
        if (frame.kind == sim::Frame::Kind::Digit && !(b.size() == 10 && b[0] == 0x01 && b[2] == 0x02 && ends))
            std::abort();
        joined.insert(joined.end(), b.begin(), b.end());
    }
    if (joined != std::vector<std::uint8_t>(data, data + size))
        std::abort();
    return 0;
}
