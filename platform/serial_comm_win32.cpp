// A comm device as a serial port: the comm API itself. A comm port is opened
// with no sharing, so the driver refuses it to every other open while this
// program holds it; the time-outs are the driver's own, and WriteFile ends
// when the bytes have left the port or at the write time-out.
#include "platform/serial_connection.h"
#include "platform/win32_failure.h"

#include "platform/failure.h"

namespace platform {
namespace {

class CommPort final : public SerialConnection {
public:
    CommPort(HANDLE handle, bool comm) : handle_(handle), comm_(comm) {}
    ~CommPort() override { ::CloseHandle(handle_); }

    bool GetLine(LineSettings &settings) override
    {
        DCB dcb{};
        dcb.DCBlength = sizeof dcb;
        if (!::GetCommState(handle_, &dcb))
            return Failure();
        settings.BaudRate = dcb.BaudRate;
        settings.ByteSize = dcb.ByteSize;
        settings.Parity = dcb.Parity;
        settings.StopBits = dcb.StopBits;
        return true;
    }

    // Only the four fields the link chooses change; the rest of the DCB stays
    // as the driver and earlier programs left it.
    bool SetLine(const LineSettings &settings) override
    {
        if (!ValidLine(settings)) {
            KeepFailure(ERROR_INVALID_PARAMETER, "the line settings are not ones a serial port knows");
            return false;
        }
        DCB dcb{};
        dcb.DCBlength = sizeof dcb;
        if (!::GetCommState(handle_, &dcb))
            return Failure();
        dcb.BaudRate = settings.BaudRate;
        dcb.ByteSize = settings.ByteSize;
        dcb.Parity = settings.Parity;
        dcb.StopBits = settings.StopBits;
        return ::SetCommState(handle_, &dcb) || Failure();
    }

    bool GetTimeouts(CommTimeouts &timeouts) override
    {
        COMMTIMEOUTS c{};
        if (!::GetCommTimeouts(handle_, &c))
            return Failure();
        timeouts = {c.ReadIntervalTimeout, c.ReadTotalTimeoutMultiplier, c.ReadTotalTimeoutConstant,
                    c.WriteTotalTimeoutMultiplier, c.WriteTotalTimeoutConstant};
        return true;
    }

    bool SetTimeouts(const CommTimeouts &t) override
    {
        COMMTIMEOUTS c{t.ReadIntervalTimeout, t.ReadTotalTimeoutMultiplier, t.ReadTotalTimeoutConstant,
                       t.WriteTotalTimeoutMultiplier, t.WriteTotalTimeoutConstant};
        return ::SetCommTimeouts(handle_, &c) || Failure();
    }

    bool RaiseRts() override
    {
        if (::EscapeCommFunction(handle_, SETRTS))
            return true;
        const DWORD error = ::GetLastError();
        // A comm device without modem lines (a virtual port) has no RTS to
        // raise, and its peer needs none.
        if (comm_ && error == ERROR_NOT_SUPPORTED)
            return true;
        return Win32Failure(error);
    }

    bool DiscardInput() override
    {
        if (!comm_) {
            KeepFailure(FailureKind::NotAPort, ERROR_INVALID_FUNCTION, "not a comm device");
            return false;
        }
        return ::PurgeComm(handle_, PURGE_RXCLEAR) || TransferFailure();
    }

    bool Write(const std::uint8_t *data, std::size_t size, std::size_t &written) override
    {
        if (size > MAXDWORD) {
            KeepFailure(ERROR_INVALID_PARAMETER, "too much to write at once");
            return false;
        }
        DWORD moved = 0;
        // The driver ends the write at the write time-out and reports the count.
        const BOOL ok = ::WriteFile(handle_, data, DWORD(size), &moved, nullptr);
        written = moved;
        return ok || TransferFailure();
    }

    bool Read(std::uint8_t *data, std::size_t size, std::size_t &received) override
    {
        if (size > MAXDWORD) {
            KeepFailure(ERROR_INVALID_PARAMETER, "too much to read at once");
            return false;
        }
        DWORD moved = 0;
        // A read that times out succeeds with fewer bytes than asked for.
        const BOOL ok = ::ReadFile(handle_, data, DWORD(size), &moved, nullptr);
        received = moved;
        return ok || TransferFailure();
    }

private:
    // A handle that is no comm device fails the comm calls: no port.
    bool Failure() const
    {
        const DWORD error = ::GetLastError();
        if (!comm_)
            KeepFailure(FailureKind::NotAPort, int(error), Win32Text(error));
        else
            Win32Failure(error);
        return false;
    }

    static bool TransferFailure()
    {
        const DWORD error = ::GetLastError();
        KeepFailure(KindOfTransferError(error), int(error), Win32Text(error));
        return false;
    }

    const HANDLE handle_;
    const bool comm_; // a comm device: line settings, RTS and purging apply
};

} // namespace

std::unique_ptr<SerialConnection> OpenLocalPort(const std::string &path)
{
    const HANDLE handle = ::CreateFileW(Widen(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        Win32Failure();
        return nullptr;
    }
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    return std::make_unique<CommPort>(handle, ::GetCommState(handle, &dcb) != 0);
}

} // namespace platform
