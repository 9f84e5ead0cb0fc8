#include "gui/dpi_win32.h"

namespace gui::detail {

namespace {

// The function of that name in user32, or null on a Windows without it.
template <class Function> Function user32(const char *name)
{
    FARPROC proc = GetProcAddress(GetModuleHandleW(L"user32.dll"), name);
    // Through a pointer to a function of no arguments: the cast that the
    // compiler takes as meant.
    return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(proc));
}

UINT systemDpi()
{
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
    if (screen)
        ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<UINT>(dpi) : 96;
}

} // namespace

UINT DpiOf(HWND hwnd)
{
    using GetDpiForWindowFn = UINT(WINAPI *)(HWND);
    static const auto forWindow = user32<GetDpiForWindowFn>("GetDpiForWindow");
    const UINT dpi = forWindow ? forWindow(hwnd) : 0;
    return dpi > 0 ? dpi : systemDpi();
}

void AdjustForDpi(RECT &rect, DWORD style, DWORD exStyle, UINT dpi)
{
    using AdjustFn = BOOL(WINAPI *)(LPRECT, DWORD, BOOL, DWORD, UINT);
    static const auto forDpi = user32<AdjustFn>("AdjustWindowRectExForDpi");
    if (!forDpi || !forDpi(&rect, style, FALSE, exStyle, dpi))
        AdjustWindowRectEx(&rect, style, FALSE, exStyle);
}

} // namespace gui::detail
