#pragma once
// The window's dpi on every Windows the program runs on. The per-monitor
// functions came with Windows 10 1607; the program asks for them at run time
// and falls back to the system dpi where they are missing (Windows 7, 8).
// Private to the Win32 backend.
#include <windows.h>

namespace gui::detail {

// The dpi the window is drawn at.
UINT DpiOf(HWND hwnd);
// The outer rectangle of a window whose client area is rect, at dpi.
void AdjustForDpi(RECT &rect, DWORD style, DWORD exStyle, UINT dpi);

} // namespace gui::detail
