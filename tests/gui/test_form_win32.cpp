// Putting the test window on the screen through the Win32 backend.
#include "gui/peer_win32.h"
#include "test_form.h"

namespace guitest {

bool ShowActive(gui::TForm &form)
{
    form.Show();
    HWND hwnd = form.Native().hwnd;
    const ULONGLONG until = GetTickCount64() + 5000;
    // The window is active once its first activation has run.
    gui::detail::PumpUntil([&] { return form.Native().activated || GetTickCount64() > until; });
    return GetActiveWindow() == hwnd && form.Native().activated;
}

} // namespace guitest
