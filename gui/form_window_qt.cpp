#include "gui/form_window_qt.h"

#include <QHideEvent>
#include <QShowEvent>
#include <QTimer>

namespace gui::detail {

namespace {
// A desktop that refuses the focus to a new window (focus-stealing
// prevention, a program started from a terminal) never activates it; the
// start-up then runs after this long instead of waiting for a click.
constexpr int kActivationWaitMs = 1000;
} // namespace

FormWindow::FormWindow(QWidget *owner) : QWidget(owner, Qt::Window) {}

FormWindow::~FormWindow()
{
    *live = false;
    if (modalLoop)
        modalLoop->quit();
}

void FormWindow::addStatusBar(QWidget *bar)
{
    statusBars_.append(bar);
    placeStatusBars();
}

bool FormWindow::event(QEvent *event)
{
    const bool handled = QWidget::event(event);
    // The window manager activates the window again after a modal box closes
    // or the operator comes back from another program; the windows' start-up
    // work must run only the first time.
    if (event->type() == QEvent::WindowActivate)
        firstActivation();
    return handled;
}

void FormWindow::firstActivation()
{
    if (activated_)
        return;
    activated_ = true;
    if (onFirstActivate)
        onFirstActivate();
}

void FormWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (shown_ || event->spontaneous())
        return;
    shown_ = true;
    // The timer dies with the window; a window closed meanwhile starts nothing.
    QTimer::singleShot(kActivationWaitMs, this, [this] {
        if (isVisible())
            firstActivation();
    });
}

void FormWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    placeStatusBars();
}

void FormWindow::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    // A spontaneous hide is a minimise; the window is still open.
    if (!event->spontaneous() && modalLoop)
        modalLoop->quit();
}

void FormWindow::placeStatusBars()
{
    for (QWidget *bar : std::as_const(statusBars_)) {
        if (bar)
            bar->setGeometry(0, height() - bar->height(), width(), bar->height());
    }
}

} // namespace gui::detail
