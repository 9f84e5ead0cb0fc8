#pragma once
// Win32 errors as kept failures, and UTF-8 paths as the wide strings the
// calls take. Private to the Win32 backend.
#include "platform/failure.h"

#include <windows.h>

#include <string>

namespace platform {

// Keeps code (GetLastError() by default) with the system's text for it;
// false, for `return Win32Failure();`.
bool Win32Failure(DWORD code = ::GetLastError());

// The system's text for code.
std::string Win32Text(DWORD code);

// The kind of an error that a transfer or a purge on an open comm port
// reports: the USB serial drivers (and Wine, for a line that hung up) say
// with these that the adapter has gone, "access denied" among them, which
// at an open means that another program holds the port.
FailureKind KindOfTransferError(DWORD code);

std::wstring Widen(const std::string &utf8);

} // namespace platform
