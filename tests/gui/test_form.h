#pragma once
// A small window with a few controls of every kind, and what a test needs to
// put it on the screen, on either backend.
#include "gui/form.h"
#include "gui/layout.h"

namespace guitest {

// Client 436 x 289 (from the outer size 444 x 325). Tab places: hidden
// btnTest 0 and btnService 1, then btnQuit 2, edtName 3, edtNote 4,
// spnTime 5 (0..3600), chkLog 6, rgMode 7 (7 items), btnOff 8 (disabled),
// btnOk 9. Labels lblTime (blue bold Arial 13 px) and lblPanel (in pnlInfo),
// bevel bvlFrame, speed button spdOpen, status bar sbMain, timers tmrPoll
// (20 ms) and tmrIdle (0 ms).
gui::FormLayout TestLayout();

// Shows the form and waits until it is the active window.
[[nodiscard]] bool ShowActive(gui::TForm &form);

enum class Key { Enter, Space };
// The key pressed and released where the keyboard focus is, and handled.
void PressKey(gui::TForm &form, Key key);

// The window's frame: whether the operator can resize and maximise it, and
// its outer size in the layout's pixels where the layer draws the frame
// itself (0 x 0 where the window manager does).
struct Frame {
    bool resizable = false, maximisable = false;
    int outerWidth = 0, outerHeight = 0;
};
Frame FrameOf(const gui::TForm &form);

// A control's place in its holder, in the layout's pixels.
struct Box {
    int left = 0, top = 0, width = 0, height = 0;
    bool operator==(const Box &) const = default;
};
Box PlaceOf(const gui::TControl &control);

} // namespace guitest
