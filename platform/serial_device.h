#pragma once
// The serial calls the link needs, shaped like the Win32 comm API so that the
// link reads the same on every system. The backend is chosen by the build.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace platform {

// An open serial device; opaque outside the backend. nullptr means "no port".
struct SerialDevice;

class SerialConnection;
// Connects to the port on a serial device server that a URL names: the
// network port's library (net/OpenNetworkPort) for those who open ports by
// name, which this layer does not know.
using NetworkConnector = std::unique_ptr<SerialConnection> (*)(const std::string &url);

// Parity and stop-bit codes with the values of the Win32 DCB fields; the
// names differ from <windows.h>'s macros, which would replace them.
enum : std::uint8_t { NoParity = 0, OddParity = 1, EvenParity = 2, MarkParity = 3, SpaceParity = 4 };
enum : std::uint8_t { OneStopBit = 0, One5StopBits = 1, TwoStopBits = 2 };

// The four line fields that the program ever changes.
struct LineSettings {
    std::uint32_t BaudRate = 0;
    std::uint8_t ByteSize = 8;
    std::uint8_t Parity = NoParity;
    std::uint8_t StopBits = OneStopBit;
};

// Milliseconds, with the Win32 COMMTIMEOUTS meaning: a read of n bytes ends
// after ReadTotalTimeoutMultiplier * n + ReadTotalTimeoutConstant in all, or
// once more than ReadIntervalTimeout passes between two bytes after the first.
// Zero disables a limit.
struct CommTimeouts {
    std::uint32_t ReadIntervalTimeout = 0;
    std::uint32_t ReadTotalTimeoutMultiplier = 0;
    std::uint32_t ReadTotalTimeoutConstant = 0;
    std::uint32_t WriteTotalTimeoutMultiplier = 0;
    std::uint32_t WriteTotalTimeoutConstant = 0;
};

// The file-system path that a port name such as "COM3" or "\\.\COM10" stands
// for; empty when the name is no COM port name.
std::string ResolvePortPath(const std::string &portName);

// Opens the port exclusively (a second open, also by this process, fails) in
// raw binary mode. nullptr on failure, with the reason kept (failure.h).
// portName is a COM name, or the URL of a port on a serial device server
// (rfc2217://HOST:PORT, socket://HOST:PORT; see port_url.h), which a COM
// name may also stand for through a mapping file; network connects to such
// a port, and without it one is no port here.
//
// When the system reports the device gone (a USB adapter pulled out), the
// handle stays valid but lets the device go; the next DiscardInput or
// WriteDevice opens the same name again with the line settings, RTS and
// time-outs set before. Until then, and while nothing answers to the name,
// every call on it fails at once.
SerialDevice *OpenSerialDevice(const std::string &portName, NetworkConnector network = nullptr);
void CloseSerialDevice(SerialDevice *device);

bool GetLineSettings(SerialDevice *device, LineSettings &settings);
bool SetLineSettings(SerialDevice *device, const LineSettings &settings);
bool GetTimeouts(SerialDevice *device, CommTimeouts &timeouts);
bool SetTimeouts(SerialDevice *device, const CommTimeouts &timeouts);
bool RaiseRtsLine(SerialDevice *device);
bool DiscardInput(SerialDevice *device);

// Blocking transfers under the device's time-outs; the count transferred is
// reported also when the call fails or times out (a time-out is not a failure).
bool WriteDevice(SerialDevice *device, const std::uint8_t *data, std::size_t size, std::size_t &written);
bool ReadDevice(SerialDevice *device, std::uint8_t *data, std::size_t size, std::size_t &received);

} // namespace platform
