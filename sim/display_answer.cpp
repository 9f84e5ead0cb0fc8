#include "sim/display_answer.h"

#include <algorithm>

namespace sim {

std::string FourChars(std::string text)
{
    text.resize(4, ' ');
    return text;
}

bool IsValueRead(const Frame &frame)
{
    static const std::vector<std::uint8_t> kRead{'?', '?', '?', 0x00};
    return frame.kind == Frame::Kind::Value && std::equal(kRead.begin(), kRead.end(), frame.bytes.begin() + 1);
}

std::vector<std::uint8_t> Answer(DisplayMemory &memory, const Frame &frame, Behaviour behaviour)
{
    if (frame.kind == Frame::Kind::Digit) {
        std::copy(frame.bytes.begin() + 3, frame.bytes.begin() + 8, memory.cells.begin());
        return {};
    }
    if (frame.kind != Frame::Kind::Value)
        return {};

    // A unit stuck in the MMMM fault has lost what it held: it keeps "MMMM"
    // as its value, so after the fault is cleared it still reads MMMM until
    // the program writes a new value.
    if (behaviour == Behaviour::AlwaysMMMM)
        memory.value = "MMMM";
    else if (!IsValueRead(frame))
        memory.value.assign(frame.bytes.begin() + 1, frame.bytes.begin() + 5);

    // The other faults sit in the display's transmitter: the value it was
    // sent is still taken, only the answer on the line goes wrong.
    std::vector<std::uint8_t> reply(memory.value.begin(), memory.value.end());
    switch (behaviour) {
    case Behaviour::Silent:
        return {};
    case Behaviour::WrongTerminator:
        reply.insert(reply.end(), {0x0A, 0x0D});
        break;
    case Behaviour::ShortReply:
        reply.push_back(0x0D);
        break;
    case Behaviour::StrayByte:
        reply.insert(reply.begin(), kStrayByte);
        reply.insert(reply.end(), {0x0D, 0x0A});
        break;
    default:
        reply.insert(reply.end(), {0x0D, 0x0A});
        break;
    }
    return reply;
}

} // namespace sim
