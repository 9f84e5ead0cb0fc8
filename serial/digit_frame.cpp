// The digit frame: five raw cells with their decimal points, no reply.
#include "serial/link.h"

namespace Drv232 {

bool Link::SendDigitFrame(std::uint8_t address)
{
    std::uint8_t cells[5];
    for (std::size_t i = 0; i < 5; ++i)
        cells[i] = static_cast<std::uint8_t>(DigitCells[i] | (PointFlags[i] ? 0x80 : 0));
    const std::uint8_t frame[10] = {
        0x01, static_cast<std::uint8_t>(address + 0x30), 0x02, cells[4], cells[3], cells[2], cells[1], cells[0], 0x0D,
        0x0A};
    std::size_t written = 0;
    const bool sent = platform::WriteDevice(PortHandle, frame, sizeof frame, written) && written == sizeof frame;
    return !sent;
}

} // namespace Drv232
