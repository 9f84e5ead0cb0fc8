// The link's port and the value exchange.
#include "serial/link.h"

#include "net/network_port.h"

namespace Drv232 {
namespace {

constexpr std::uint8_t CR = 0x0D;
constexpr std::uint8_t LF = 0x0A;

} // namespace

bool Link::Open(const platform::PortName &port)
{
    Close();
    PortHandle = platform::OpenSerialDevice(port.DeviceName(), net::OpenNetworkPort);
    if (!PortHandle)
        return false;

    bool result = true;
    platform::LineSettings settings;
    if (!platform::GetLineSettings(PortHandle, settings)) {
        result = false;
    } else {
        if (LineMode == 1) {
            settings.BaudRate = 9600;
            settings.ByteSize = 8;
            settings.Parity = platform::NoParity;
            settings.StopBits = platform::OneStopBit;
        } else {
            settings.BaudRate = 115200;
            settings.ByteSize = 8;
            settings.Parity = platform::EvenParity;
            settings.StopBits = platform::OneStopBit;
        }
        if (!platform::SetLineSettings(PortHandle, settings))
            result = false;
    }

    platform::CommTimeouts timeouts;
    if (!platform::GetTimeouts(PortHandle, timeouts))
        return false;
    // The display answers within 1060 ms for six bytes, with no gap above
    // 20 ms between them.
    timeouts.ReadIntervalTimeout = 20;
    timeouts.ReadTotalTimeoutMultiplier = 10;
    timeouts.ReadTotalTimeoutConstant = 1000;
    timeouts.WriteTotalTimeoutMultiplier = 20;
    timeouts.WriteTotalTimeoutConstant = 20;
    if (!platform::SetTimeouts(PortHandle, timeouts))
        return false;

    if (!RaiseRts())
        result = false;
    return result;
}

bool Link::RaiseRts()
{
    return platform::RaiseRtsLine(PortHandle);
}

bool Link::Exchange(const std::string &text, bool whole)
{
    std::uint8_t command[7] = {std::uint8_t(whole ? 'C' : 'D'), 0, 0, 0, 0, CR, LF};
    for (std::size_t i = 0; i < 4 && i < text.size(); ++i)
        command[1 + i] = static_cast<std::uint8_t>(text[i]);

    // One stray or late byte from an earlier exchange would otherwise shift
    // every reply that follows.
    platform::DiscardInput(PortHandle);

    std::size_t written = 0;
    if (!platform::WriteDevice(PortHandle, command, sizeof command, written))
        return false;
    // A command that did not leave whole cannot have been understood.
    if (written != sizeof command)
        return false;

    std::uint8_t reply[6] = {};
    std::size_t received = 0;
    if (!platform::ReadDevice(PortHandle, reply, sizeof reply, received))
        return false;
    if (received < sizeof reply || reply[4] != CR || reply[5] != LF)
        return false;

    if (replyStorage_)
        for (std::size_t i = 0; i < 4; ++i)
            (*replyStorage_)[i] = static_cast<char>(reply[i]);
    return true;
}

void Link::Close()
{
    platform::CloseSerialDevice(PortHandle);
    PortHandle = nullptr;
}

void Link::NewReplyBuffer()
{
    replyStorage_ = std::make_unique<std::array<char, 4>>();
}
void Link::DisposeReplyBuffer()
{
    replyStorage_.reset();
}

std::string Link::ReplyText() const
{
    if (!replyStorage_)
        return std::string(4, '\0');
    return std::string(replyStorage_->data(), 4);
}

} // namespace Drv232
