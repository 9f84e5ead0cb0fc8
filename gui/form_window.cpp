#include "gui/form_window.h"

#include <QHideEvent>

namespace gui::detail {

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
    if (event->type() == QEvent::WindowActivate && !activated_) {
        activated_ = true;
        if (onFirstActivate)
            onFirstActivate();
    }
    return handled;
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
