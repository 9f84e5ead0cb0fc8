#pragma once
// The Qt objects behind the layer's controls, timers and windows. Private to
// the Qt backend.
#include "gui/form.h"
#include "gui/form_window_qt.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace gui::detail {

class Peer {
public:
    explicit Peer(QWidget *w) : widget(w) {}
    // The window owns the widget and deletes it with itself.
    QWidget *const widget;
};

class TimerPeer {
public:
    QTimer timer;
};

class FormPeer {
public:
    QPointer<FormWindow> widget;
};

} // namespace gui::detail
