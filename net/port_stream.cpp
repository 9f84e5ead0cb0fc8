#include "net/port_stream.h"

#include <array>

namespace net {

platform::Step PortStream::Receive(platform::Deadline until, std::vector<std::uint8_t> &data)
{
    std::array<std::uint8_t, 512> buffer;
    std::size_t got = 0;
    const platform::Step step = socket_->Receive(buffer.data(), buffer.size(), until, got);
    if (step != platform::Step::Moved)
        return step;
    return Take(buffer.data(), got, data);
}

} // namespace net
