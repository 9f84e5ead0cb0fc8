#pragma once
// Cuts the byte stream from the program into frames. The display knows a
// frame by its first byte and expects CR LF exactly where that kind of frame
// ends; whatever does not fit is kept as one Garbage frame so the log shows
// what the program really sent.
#include "sim/display_sim.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace sim {

class FrameParser {
public:
    using Clock = std::chrono::steady_clock;
    // A run of garbage without any LF is cut here, so a babbling line cannot
    // grow the buffer without end.
    static constexpr std::size_t kMaxGarbage = 256;

    // Appends the frames this byte completes to out.
    void feed(std::uint8_t byte, Clock::time_point at, std::vector<Frame> &out);
    // Hands out what is pending as Garbage: the line went quiet mid-frame.
    void flush(std::vector<Frame> &out);

    bool pending() const { return !bytes_.empty(); }
    Clock::time_point lastByteAt() const { return times_.back(); }

private:
    void emit(Frame::Kind kind, std::size_t count, std::vector<Frame> &out);
    void resync(std::vector<Frame> &out);

    std::vector<std::uint8_t> bytes_;
    std::vector<Clock::time_point> times_;
    bool discarding_ = false; // inside garbage: wait for the next LF
};

} // namespace sim
