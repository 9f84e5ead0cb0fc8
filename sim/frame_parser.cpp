#include "sim/frame_parser.h"

#include <algorithm>

namespace sim {
namespace {

constexpr std::uint8_t kCr = 0x0D;
constexpr std::uint8_t kLf = 0x0A;
constexpr std::uint8_t kDigitStart = 0x01;
constexpr std::uint8_t kDigitText = 0x02;
constexpr std::size_t kValueLength = 7;
constexpr std::size_t kDigitLength = 10;

std::size_t FrameLength(std::uint8_t first)
{
    switch (first) {
    case 'D':
    case 'C':
        return kValueLength;
    case kDigitStart:
        return kDigitLength;
    default:
        return 0;
    }
}

} // namespace

void FrameParser::feed(std::uint8_t byte, Clock::time_point at, std::vector<Frame> &out)
{
    bytes_.push_back(byte);
    times_.push_back(at);
    const std::size_t length = FrameLength(bytes_.front());
    if (bytes_.size() == 1)
        discarding_ = length == 0;

    if (discarding_) {
        if (byte == kLf || bytes_.size() >= kMaxGarbage)
            emit(Frame::Kind::Garbage, bytes_.size(), out);
        return;
    }
    if (bytes_.size() < length)
        return;

    const bool terminated = bytes_[length - 2] == kCr && bytes_[length - 1] == kLf;
    if (length == kValueLength && terminated)
        emit(Frame::Kind::Value, length, out);
    else if (length == kDigitLength && terminated && bytes_[2] == kDigitText)
        emit(Frame::Kind::Digit, length, out);
    else
        resync(out);
}

// A frame of the right length without its terminator: the program most
// likely sent a short frame followed by a good one, so the garbage ends at
// the first LF and what follows it is read again as a possible new frame.
void FrameParser::resync(std::vector<Frame> &out)
{
    const auto lf = std::find(bytes_.begin() + 1, bytes_.end(), kLf);
    if (lf == bytes_.end()) {
        discarding_ = true;
        return;
    }
    const auto cut = static_cast<std::size_t>(lf - bytes_.begin()) + 1;
    const std::vector<std::uint8_t> restBytes(bytes_.begin() + cut, bytes_.end());
    const std::vector<Clock::time_point> restTimes(times_.begin() + cut, times_.end());
    emit(Frame::Kind::Garbage, cut, out);
    bytes_.clear();
    times_.clear();
    for (std::size_t i = 0; i < restBytes.size(); ++i)
        feed(restBytes[i], restTimes[i], out);
}

void FrameParser::flush(std::vector<Frame> &out)
{
    if (pending())
        emit(Frame::Kind::Garbage, bytes_.size(), out);
}

void FrameParser::emit(Frame::Kind kind, std::size_t count, std::vector<Frame> &out)
{
    Frame frame;
    frame.kind = kind;
    frame.bytes.assign(bytes_.begin(), bytes_.begin() + count);
    frame.received = times_.front();
    frame.completed = times_[count - 1];
    out.push_back(std::move(frame));
    bytes_.erase(bytes_.begin(), bytes_.begin() + count);
    times_.erase(times_.begin(), times_.begin() + count);
    discarding_ = false;
}

} // namespace sim
