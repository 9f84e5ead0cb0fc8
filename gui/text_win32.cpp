#include "gui/text_win32.h"

namespace gui::detail {

std::wstring Wide(const std::string &utf8)
{
    // A text ends at its first zero character, as the controls show it.
    const int bytes = static_cast<int>(utf8.find('\0') == std::string::npos ? utf8.size() : utf8.find('\0'));
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), bytes, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), bytes, wide.data(), n);
    return wide;
}

std::string Utf8(const std::wstring &wide)
{
    const int chars = static_cast<int>(wide.size());
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), chars, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), chars, utf8.data(), n, nullptr, nullptr);
    return utf8;
}

std::string WindowText(HWND hwnd)
{
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(hwnd)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
    return Utf8(text);
}

} // namespace gui::detail
