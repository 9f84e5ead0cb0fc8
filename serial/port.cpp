// The link's port and the value exchange.
#include "serial/drv232.h"

#include <memory>

namespace Drv232 {

platform::SerialDevice *PortHandle = nullptr;
std::uint8_t LineMode = 1;
std::string DisplayText;

namespace {

std::unique_ptr<std::array<char, 4>> replyStorage;

constexpr std::uint8_t CR = 0x0D;
constexpr std::uint8_t LF = 0x0A;

bool Exchange(std::uint8_t letter) {
    std::uint8_t command[7] = {letter, 0, 0, 0, 0, CR, LF};
    for (std::size_t i = 0; i < 4 && i < DisplayText.size(); ++i)
        command[1 + i] = static_cast<std::uint8_t>(DisplayText[i]);

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

    if (replyStorage)
        for (std::size_t i = 0; i < 4; ++i)
            (*replyStorage)[i] = static_cast<char>(reply[i]);
    return true;
}

} // namespace

bool OpenPort(std::uint8_t n) { return OpenPort(platform::PortName::Com(n)); }

bool OpenPort(const platform::PortName &port) {
    // The port being replaced is closed, so that the search at start leaves
    // no other device's port locked.
    ClosePort();
    PortHandle = platform::OpenSerialDevice(port.DeviceName());
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

bool RaiseRts() { return platform::RaiseRtsLine(PortHandle); }

bool ExchangeValue() { return Exchange('D'); }
bool ExchangeWhole() { return Exchange('C'); }

void ClosePort() {
    platform::CloseSerialDevice(PortHandle);
    PortHandle = nullptr;
}

void NewReplyBuffer() { replyStorage = std::make_unique<std::array<char, 4>>(); }
void DisposeReplyBuffer() { replyStorage.reset(); }
bool HasReplyBuffer() { return replyStorage != nullptr; }

std::string ReplyText() {
    if (!replyStorage)
        return std::string(4, '\0');
    return std::string(replyStorage->data(), 4);
}

} // namespace Drv232
