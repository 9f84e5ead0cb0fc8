// The serial device on Windows: the comm API itself. A comm port is opened
// with no sharing, so the driver refuses it to every other open while this
// program holds it; the time-outs are the driver's own.
#include "platform/serial_device.h"
#include "platform/win32_failure.h"

#include "platform/failure.h"

#include <optional>

namespace platform {

struct SerialDevice {
    std::string portName;                  // opened again by this name when the device has gone
    HANDLE handle = INVALID_HANDLE_VALUE;  // INVALID_HANDLE_VALUE: the device has gone
    bool comm = false;                     // a comm device: line settings, RTS and purging apply
    // What was set up on the line, for a device that comes back.
    std::optional<LineSettings> line;
    std::optional<CommTimeouts> timeouts;
    bool rtsRaised = false;
};

namespace {

bool NoPort()
{
    KeepFailure(ERROR_INVALID_HANDLE, "no port is open");
    return false;
}

bool GoneFailure()
{
    KeepFailure(ERROR_DEVICE_NOT_CONNECTED, "the device has gone");
    return false;
}

// The errors with which the USB serial drivers (and Wine, for a line that
// hung up) report an adapter pulled out.
bool GoneError(DWORD error)
{
    switch (error) {
    case ERROR_NOT_READY:
    case ERROR_ACCESS_DENIED:
    case ERROR_BAD_COMMAND:
    case ERROR_GEN_FAILURE:
    case ERROR_OPERATION_ABORTED:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_DEVICE_REMOVED:
        return true;
    default:
        return false;
    }
}

void Release(SerialDevice &device)
{
    if (device.handle == INVALID_HANDLE_VALUE)
        return;
    ::CloseHandle(device.handle);
    device.handle = INVALID_HANDLE_VALUE;
}

// A failed call that says the device has gone lets it go, so that an
// unplugged adapter is not held; false, with the reason kept.
bool TransferFailure(SerialDevice &device)
{
    const DWORD error = ::GetLastError();
    if (GoneError(error))
        Release(device);
    return Win32Failure(error);
}

bool OpenInto(SerialDevice &device)
{
    const std::string path = ResolvePortPath(device.portName);
    if (path.empty()) {
        KeepFailure(ERROR_INVALID_NAME, "\"" + device.portName + "\" is no COM port name");
        return false;
    }
    const HANDLE handle = ::CreateFileW(Widen(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return Win32Failure();
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    device.handle = handle;
    device.comm = ::GetCommState(handle, &dcb) != 0;
    return true;
}

bool ValidLine(const LineSettings &s)
{
    return s.BaudRate != 0 && s.ByteSize >= 5 && s.ByteSize <= 8 && s.Parity <= SpaceParity &&
           s.StopBits <= TwoStopBits;
}

// Only the four fields the link chooses change; the rest of the DCB stays as
// the driver and earlier programs left it.
bool ApplyLine(SerialDevice &device, const LineSettings &settings)
{
    if (!ValidLine(settings)) {
        KeepFailure(ERROR_INVALID_PARAMETER, "the line settings are not ones a serial port knows");
        return false;
    }
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!::GetCommState(device.handle, &dcb))
        return Win32Failure();
    dcb.BaudRate = settings.BaudRate;
    dcb.ByteSize = settings.ByteSize;
    dcb.Parity = settings.Parity;
    dcb.StopBits = settings.StopBits;
    return ::SetCommState(device.handle, &dcb) ? true : Win32Failure();
}

bool ApplyTimeouts(SerialDevice &device, const CommTimeouts &t)
{
    COMMTIMEOUTS c{t.ReadIntervalTimeout, t.ReadTotalTimeoutMultiplier, t.ReadTotalTimeoutConstant,
                   t.WriteTotalTimeoutMultiplier, t.WriteTotalTimeoutConstant};
    return ::SetCommTimeouts(device.handle, &c) ? true : Win32Failure();
}

bool RaiseRts(SerialDevice &device)
{
    if (::EscapeCommFunction(device.handle, SETRTS))
        return true;
    const DWORD error = ::GetLastError();
    // A comm device without modem lines (a virtual port) has no RTS to raise,
    // and its peer needs none.
    if (device.comm && error == ERROR_NOT_SUPPORTED)
        return true;
    return Win32Failure(error);
}

bool Reattach(SerialDevice &device)
{
    if (device.handle != INVALID_HANDLE_VALUE)
        return true;
    if (!OpenInto(device))
        return false;
    // The line as the link set it up, and nothing of what the old device
    // may have left in the driver.
    if ((device.line && !ApplyLine(device, *device.line)) ||
        (device.timeouts && !ApplyTimeouts(device, *device.timeouts)) || (device.rtsRaised && !RaiseRts(device))) {
        Release(device);
        return false;
    }
    if (device.comm)
        (void)::PurgeComm(device.handle, PURGE_RXCLEAR);
    return true;
}

} // namespace

SerialDevice *OpenSerialDevice(const std::string &portName)
{
    auto *device = new SerialDevice;
    device->portName = portName;
    if (OpenInto(*device))
        return device;
    delete device;
    return nullptr;
}

void CloseSerialDevice(SerialDevice *device)
{
    if (!device)
        return;
    Release(*device);
    delete device;
}

bool GetLineSettings(SerialDevice *device, LineSettings &settings)
{
    if (!device)
        return NoPort();
    if (device->handle == INVALID_HANDLE_VALUE)
        return GoneFailure();
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    if (!::GetCommState(device->handle, &dcb))
        return Win32Failure();
    settings.BaudRate = dcb.BaudRate;
    settings.ByteSize = dcb.ByteSize;
    settings.Parity = dcb.Parity;
    settings.StopBits = dcb.StopBits;
    return true;
}

bool SetLineSettings(SerialDevice *device, const LineSettings &settings)
{
    if (!device)
        return NoPort();
    if (device->handle == INVALID_HANDLE_VALUE)
        return GoneFailure();
    if (!ApplyLine(*device, settings))
        return false;
    device->line = settings;
    return true;
}

bool GetTimeouts(SerialDevice *device, CommTimeouts &timeouts)
{
    if (!device)
        return NoPort();
    if (device->handle == INVALID_HANDLE_VALUE)
        return GoneFailure();
    COMMTIMEOUTS c{};
    if (!::GetCommTimeouts(device->handle, &c))
        return Win32Failure();
    timeouts = {c.ReadIntervalTimeout, c.ReadTotalTimeoutMultiplier, c.ReadTotalTimeoutConstant,
                c.WriteTotalTimeoutMultiplier, c.WriteTotalTimeoutConstant};
    return true;
}

bool SetTimeouts(SerialDevice *device, const CommTimeouts &timeouts)
{
    if (!device)
        return NoPort();
    if (device->handle == INVALID_HANDLE_VALUE)
        return GoneFailure();
    if (!ApplyTimeouts(*device, timeouts))
        return false;
    device->timeouts = timeouts;
    return true;
}

bool RaiseRtsLine(SerialDevice *device)
{
    if (!device)
        return NoPort();
    if (device->handle == INVALID_HANDLE_VALUE)
        return GoneFailure();
    if (!RaiseRts(*device))
        return false;
    device->rtsRaised = true;
    return true;
}

// An exchange begins here, so this is where a device that has gone is
// looked for again.
bool DiscardInput(SerialDevice *device)
{
    if (!device)
        return NoPort();
    if (!Reattach(*device))
        return false;
    if (!device->comm) {
        KeepFailure(ERROR_INVALID_FUNCTION, "not a comm device");
        return false;
    }
    return ::PurgeComm(device->handle, PURGE_RXCLEAR) ? true : TransferFailure(*device);
}

bool WriteDevice(SerialDevice *device, const std::uint8_t *data, std::size_t size, std::size_t &written)
{
    written = 0;
    if (!device)
        return NoPort();
    if (!Reattach(*device))
        return false;
    if (size > MAXDWORD) {
        KeepFailure(ERROR_INVALID_PARAMETER, "too much to write at once");
        return false;
    }
    DWORD moved = 0;
    // The driver ends the write at the write time-out and reports the count.
    const BOOL ok = ::WriteFile(device->handle, data, DWORD(size), &moved, nullptr);
    written = moved;
    return ok ? true : TransferFailure(*device);
}

bool ReadDevice(SerialDevice *device, std::uint8_t *data, std::size_t size, std::size_t &received)
{
    received = 0;
    if (!device)
        return NoPort();
    if (device->handle == INVALID_HANDLE_VALUE)
        return GoneFailure();
    if (size > MAXDWORD) {
        KeepFailure(ERROR_INVALID_PARAMETER, "too much to read at once");
        return false;
    }
    DWORD moved = 0;
    // A read that times out succeeds with fewer bytes than asked for.
    const BOOL ok = ::ReadFile(device->handle, data, DWORD(size), &moved, nullptr);
    received = moved;
    return ok ? true : TransferFailure(*device);
}

} // namespace platform
