// Putting the test window on the screen through the Win32 backend.
#include "gui/peer_win32.h"
#include "test_form.h"

namespace guitest {

bool ShowActive(gui::TForm &form)
{
    form.Show();
    HWND hwnd = form.Native().hwnd.get();
    const ULONGLONG until = GetTickCount64() + 5000;
    // The window is active once its first activation has run.
    gui::detail::PumpUntil([&] { return form.Native().activated || GetTickCount64() > until; });
    return GetActiveWindow() == hwnd && form.Native().activated;
}

} // namespace guitest

namespace guitest {

void PressKey(gui::TForm &, Key key)
{
    const WPARAM vk = key == Key::Enter ? VK_RETURN : VK_SPACE;
    HWND target = GetFocus();
    PostMessageW(target, WM_KEYDOWN, vk, 1);
    PostMessageW(target, WM_KEYUP, vk, 1 | 0xC0000000);
    MSG msg;
    gui::detail::PumpUntil([&] { return !PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE); });
}

Frame FrameOf(const gui::TForm &form)
{
    const gui::detail::FormPeer &window = form.Native();
    const LONG_PTR style = GetWindowLongPtrW(window.hwnd.get(), GWL_STYLE);
    RECT r{};
    GetWindowRect(window.hwnd.get(), &r);
    return {(style & WS_THICKFRAME) != 0, (style & WS_MAXIMIZEBOX) != 0,
            static_cast<int>((r.right - r.left) / window.scale + 0.5),
            static_cast<int>((r.bottom - r.top) / window.scale + 0.5)};
}

Box PlaceOf(const gui::TControl &control)
{
    HWND hwnd = control.Native().hwnd;
    RECT r{};
    GetWindowRect(hwnd, &r);
    MapWindowPoints(nullptr, GetParent(hwnd), reinterpret_cast<POINT *>(&r), 2);
    const double scale = control.Native().window.scale;
    const auto px = [scale](LONG v) { return static_cast<int>(v / scale + (v < 0 ? -0.5 : 0.5)); };
    return {px(r.left), px(r.top), px(r.right - r.left), px(r.bottom - r.top)};
}

} // namespace guitest
