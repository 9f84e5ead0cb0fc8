// A window dragged to a monitor of another dpi: the system sends
// WM_DPICHANGED with the new dpi and a proposed rectangle (a running Wine
// cannot change a monitor's dpi, so the test sends what the system sends).
#include "gui/form.h"
#include "gui/peer_win32.h"
#include "test_form.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using namespace gui;

struct Shape {
    RECT edit, spin, arrows, item; // spin: the edit with its arrows
    LONG labelFont, editFont;
};

RECT inParent(HWND hwnd)
{
    RECT r{};
    GetWindowRect(hwnd, &r);
    MapWindowPoints(nullptr, GetParent(hwnd), reinterpret_cast<POINT *>(&r), 2);
    return r;
}

LONG fontHeight(HWND hwnd)
{
    LOGFONTW font{};
    GetObjectW(reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0)), sizeof font, &font);
    return std::labs(font.lfHeight);
}

Shape shapeOf(TForm &form)
{
    const auto &spin = detail::As<detail::SpinPeer>(form.Find<TSpinEdit>("spnTime")->Native());
    const RECT box = inParent(spin.hwnd), arrows = inParent(spin.updown);
    RECT both{};
    UnionRect(&both, &box, &arrows);
    return {inParent(form.Find<TEdit>("edtName")->Native().hwnd),
            both,
            arrows,
            inParent(detail::As<detail::RadioPeer>(form.Find<TRadioGroup>("rgMode")->Native()).items.at(2)),
            fontHeight(form.Find<TLabel>("lblTime")->Native().hwnd),
            fontHeight(form.Native().hwnd.get())};
}

void expectScaled(LONG was, LONG now, double ratio, const char *what)
{
    EXPECT_NEAR(now, was * ratio, 1.0) << what;
}

void expectScaled(const RECT &was, const RECT &now, double ratio, const char *what)
{
    expectScaled(was.left, now.left, ratio, what);
    expectScaled(was.top, now.top, ratio, what);
    expectScaled(was.right - was.left, now.right - now.left, ratio, what);
    expectScaled(was.bottom - was.top, now.bottom - now.top, ratio, what);
}

TEST(GuiDpi, ControlsAndFontsFollowTheMonitorsDpiAndTheWindowTakesTheProposedRectangle)
{
    TForm form(guitest::TestLayout());
    ASSERT_TRUE(guitest::ShowActive(form));
    HWND hwnd = form.Native().hwnd.get();
    const UINT startDpi = GetDpiForWindow(hwnd);
    const Shape start = shapeOf(form);
    const int startHeight = form.Find<TEdit>("edtName")->Height();
    int spinWidth = 0;
    for (const ControlLayout &row : guitest::TestLayout().controls)
        spinWidth = row.name == "spnTime" ? row.width : spinWidth;

    // Up to twice the dpi, then back where it started.
    for (const UINT dpi : {startDpi * 2, startDpi}) {
        SCOPED_TRACE(dpi);
        RECT proposed{};
        GetWindowRect(hwnd, &proposed);
        proposed.right = proposed.left + (proposed.right - proposed.left) * static_cast<LONG>(dpi) / 96;
        proposed.bottom = proposed.top + (proposed.bottom - proposed.top) * static_cast<LONG>(dpi) / 96;
        SendMessageW(hwnd, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&proposed));

        RECT now{};
        GetWindowRect(hwnd, &now);
        EXPECT_TRUE(EqualRect(&now, &proposed));
        const Shape shape = shapeOf(form);
        const double ratio = static_cast<double>(dpi) / startDpi;
        expectScaled(start.edit, shape.edit, ratio, "edit");
        // The arrows take as much of the spin edit's width at every scale.
        EXPECT_NEAR(shape.spin.right - shape.spin.left - spinWidth * dpi / 96.0,
                    start.spin.right - start.spin.left - spinWidth * startDpi / 96.0, 0.5);
        expectScaled(start.spin.top, shape.spin.top, ratio, "spin edit");
        expectScaled(start.item, shape.item, ratio, "radio item");
        expectScaled(start.labelFont, shape.labelFont, ratio, "the label's own font");
        expectScaled(start.editFont, shape.editFont, ratio, "the window's font");
        // The arrows keep their width and stand at the spin edit's right.
        EXPECT_EQ(shape.arrows.right, shape.spin.right);
        EXPECT_EQ(shape.arrows.right - shape.arrows.left, start.arrows.right - start.arrows.left);
        // The layer still speaks in the layout's pixels.
        EXPECT_EQ(form.Find<TEdit>("edtName")->Height(), startHeight);
    }
}

} // namespace
