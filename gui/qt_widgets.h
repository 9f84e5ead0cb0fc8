#pragma once
// The Qt widgets behind a window and its controls, for the tests that look
// at what the Qt backend draws. Windows' code never includes this.
#include "gui/form.h"

class QTimer;
class QWidget;

namespace gui::qt {

QWidget *Widget(const TControl *control);
QWidget *Widget(const TForm &form);
QTimer *Timer(const TTimer *timer);

} // namespace gui::qt
