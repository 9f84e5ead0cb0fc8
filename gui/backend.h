#pragma once
// What a backend of the GUI layer provides to the portable part of TForm.
// Private to the layer; free of toolkit types.
#include "gui/form.h"

#include <memory>
#include <vector>

namespace gui::detail {

// A window whose layout gives only the outer size loses this much to the
// frame and title bar that the layout's outer sizes include; the client area
// is what the controls are placed in.
constexpr int kFrameWidth = 8;
constexpr int kFrameHeight = 36;

// The window of form, titled, with its icon, font and client size, not shown.
std::unique_ptr<FormPeer, FormPeerDelete> MakeWindow(TForm &form, TForm *owner);

// The control of row on window, inside holder when that is given; a timer
// has no window and is the form's to make. Rows come in creation order, so a
// row is stacked above the rows made before it.
std::unique_ptr<TObject> MakeControl(FormPeer &window, const ControlLayout &row, TControl *holder);

// Gives the Tab key its walk through the controls, in this order.
void SetTabOrder(FormPeer &window, const std::vector<TControl *> &order);

} // namespace gui::detail
