#pragma once
// UTF-8 to the wide characters of the W functions and back. Private to the
// Win32 backend of the GUI layer.
#include <windows.h>

#include <string>

namespace gui::detail {

std::wstring Wide(const std::string &utf8);
std::string Utf8(const std::wstring &wide);
// A window's text in this process, as UTF-8.
std::string WindowText(HWND hwnd);

} // namespace gui::detail
