#pragma once
// Win32 errors as kept failures, and UTF-8 paths as the wide strings the
// calls take. Private to the Win32 backend.
#include <windows.h>

#include <string>

namespace platform {

// Keeps code (GetLastError() by default) with the system's text for it;
// false, for `return Win32Failure();`.
bool Win32Failure(DWORD code = ::GetLastError());

std::wstring Widen(const std::string &utf8);

} // namespace platform
