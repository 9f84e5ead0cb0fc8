#include "platform/win32_failure.h"

namespace platform {

FailureKind KindOfError(int code)
{
    switch (DWORD(code)) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_UNIT:
        return FailureKind::Missing;
    case ERROR_PRIVILEGE_NOT_HELD:
        return FailureKind::Refused;
    // Windows gives a comm port to every user who logs on; what denies one
    // is another program holding it.
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_BUSY:
        return FailureKind::InUse;
    case ERROR_NOT_READY:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_DEVICE_REMOVED:
        return FailureKind::Gone;
    case ERROR_SEM_TIMEOUT:
    case ERROR_TIMEOUT:
    case WAIT_TIMEOUT:
        return FailureKind::TimedOut;
    case ERROR_INVALID_FUNCTION:
    case ERROR_NOT_SUPPORTED:
        return FailureKind::NotAPort;
    default:
        return FailureKind::Other;
    }
}

int CodeOfKind(FailureKind kind)
{
    // In the order of FailureKind: None, Missing, Refused, InUse, Gone,
    // TimedOut, NotAPort, Other.
    constexpr int codes[] = {0,
                             ERROR_FILE_NOT_FOUND,
                             ERROR_PRIVILEGE_NOT_HELD,
                             ERROR_ACCESS_DENIED,
                             ERROR_DEVICE_NOT_CONNECTED,
                             ERROR_SEM_TIMEOUT,
                             ERROR_INVALID_FUNCTION,
                             ERROR_INVALID_PARAMETER};
    static_assert(sizeof codes / sizeof *codes == static_cast<int>(FailureKind::Other) + 1);
    return codes[static_cast<int>(kind)];
}

FailureKind KindOfTransferError(DWORD code)
{
    switch (code) {
    case ERROR_NOT_READY:
    case ERROR_ACCESS_DENIED:
    case ERROR_BAD_COMMAND:
    case ERROR_GEN_FAILURE:
    case ERROR_OPERATION_ABORTED:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_DEVICE_REMOVED:
        return FailureKind::Gone;
    default:
        return KindOfError(int(code));
    }
}

std::string Win32Text(DWORD code)
{
    wchar_t *text = nullptr;
    const DWORD length =
        ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, code, 0, reinterpret_cast<wchar_t *>(&text), 0, nullptr);
    std::string utf8;
    if (length > 0) {
        const int size = ::WideCharToMultiByte(CP_UTF8, 0, text, int(length), nullptr, 0, nullptr, nullptr);
        utf8.resize(std::size_t(size));
        ::WideCharToMultiByte(CP_UTF8, 0, text, int(length), utf8.data(), size, nullptr, nullptr);
        while (!utf8.empty() && (utf8.back() == '\n' || utf8.back() == '\r' || utf8.back() == ' '))
            utf8.pop_back();
    }
    ::LocalFree(text);
    return utf8.empty() ? "Windows error " + std::to_string(code) : utf8;
}

bool Win32Failure(DWORD code)
{
    KeepFailure(int(code), Win32Text(code));
    return false;
}

std::wstring Widen(const std::string &utf8)
{
    if (utf8.empty())
        return {};
    const int size = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), nullptr, 0);
    std::wstring wide(std::size_t(size), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), int(utf8.size()), wide.data(), size);
    return wide;
}

} // namespace platform
