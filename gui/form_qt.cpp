// TForm's window over Qt Widgets: making, placing, showing, modality, focus.
#include "gui/backend.h"
#include "gui/fonts_qt.h"
#include "gui/layout_order.h"
#include "gui/peer_qt.h"
#include "gui/widgets_qt.h"

#include <QApplication>
#include <QEventLoop>
#include <QFile>
#include <QIcon>
#include <QRadioButton>
#include <QScreen>
#include <algorithm>

namespace gui {

namespace {

QString text(const std::string &utf8)
{
    return QString::fromUtf8(utf8);
}

// The widgets that take the focus for a control, in their own tab order.
QList<QWidget *> focusWidgets(const TControl *control)
{
    QWidget *w = control->Native().widget;
    if (auto *group = dynamic_cast<detail::RadioGroupBox *>(w)) {
        QList<QWidget *> list;
        for (QRadioButton *button : group->buttons())
            list.append(button);
        return list;
    }
    return {w};
}

} // namespace

namespace detail {

void FormPeerDelete::operator()(FormPeer *peer) const
{
    // The controls' peers point into the window's widgets: the window is
    // marked dead first, so that no handler runs on it on the way.
    if (peer->widget) {
        *peer->widget->live = false;
        delete peer->widget;
    }
    delete peer;
}

std::unique_ptr<FormPeer, FormPeerDelete> MakeWindow(TForm &form, TForm *owner)
{
    const FormLayout &layout = form.Layout();
    std::unique_ptr<FormPeer, FormPeerDelete> peer(new FormPeer);
    auto *w = new FormWindow(owner ? owner->Native().widget.data() : nullptr);
    peer->widget = w;
    w->setObjectName(text(layout.name));
    w->setWindowTitle(text(layout.title));
    if (!layout.icon.empty() && QFile::exists(text(layout.icon)))
        w->setWindowIcon(QIcon(text(layout.icon)));

    QPalette palette = w->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(group, QPalette::Window, palette.color(group, QPalette::Button));
    w->setPalette(palette);
    w->setAutoFillBackground(true);
    w->setFont(MakeFont(layout.font, QApplication::font()));

    // Qt would pick the first control in the focus chain too, but only after
    // the activation event; the handler of that event expects the focus set.
    w->onFirstActivate = [&form, live = w->live] {
        if (!*live)
            return;
        QWidget *current = form.Native().widget->focusWidget();
        if (!current || !current->isVisible() || !current->isEnabled()) {
            const std::vector<TControl *> focusable = form.FocusableControls();
            if (!focusable.empty()) {
                for (QWidget *f : focusWidgets(focusable.front())) {
                    if (f->focusPolicy() & Qt::TabFocus) {
                        f->setFocus(Qt::ActiveWindowFocusReason);
                        break;
                    }
                }
            }
        }
        if (TNotifyEvent handler = form.OnActivate)
            handler(&form);
    };
    return peer;
}

void SetTabOrder(FormPeer &, const std::vector<TControl *> &order)
{
    QWidget *previous = nullptr;
    for (TControl *control : order) {
        for (QWidget *f : focusWidgets(control)) {
            if (previous)
                QWidget::setTabOrder(previous, f);
            previous = f;
        }
    }
}

} // namespace detail

void TForm::SetClientSize(int width, int height)
{
    QWidget *w = window_->widget;
    if (!w)
        return;
    // Positions and sizes are used as they are: Qt 6 lays widgets out in
    // device-independent pixels, which the screen's scale factor turns into
    // device pixels, so the 96-dpi layout grows with the resolution by itself.
    w->resize(std::max(1, width), std::max(1, height));
    if (!layout_.centred) {
        w->move(layout_.left, layout_.top);
        return;
    }
    QWidget *owner = w->parentWidget();
    QScreen *screen = owner ? owner->screen() : QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 800, 600);
    // The layout's outer size holds as long as the client area is the
    // layout's own; a grown one keeps the same frame around it.
    const bool asLaidOut = width == layout_.clientWidth && height == layout_.clientHeight;
    const int outerWidth = asLaidOut && layout_.outerWidth > 0 ? layout_.outerWidth : width + detail::kFrameWidth;
    const int outerHeight = asLaidOut && layout_.outerHeight > 0 ? layout_.outerHeight : height + detail::kFrameHeight;
    w->move(area.x() + std::max(0, (area.width() - outerWidth) / 2),
            area.y() + std::max(0, (area.height() - outerHeight) / 2));
}

void TForm::Show()
{
    QWidget *w = window_->widget;
    if (!w)
        return;
    // On the offscreen platform, and with some window managers, showing a
    // window does not make it active; the activation event needs both.
    w->show();
    w->raise();
    w->activateWindow();
}

int TForm::ShowModal()
{
    detail::FormWindow *w = window_->widget;
    if (!w)
        return 0;
    // Modality takes effect when the window is shown.
    if (w->isVisible())
        w->hide();
    w->setWindowModality(Qt::ApplicationModal);
    Show();
    if (w->isVisible()) {
        QEventLoop loop;
        w->modalLoop = &loop;
        loop.exec(QEventLoop::DialogExec);
    }
    // The window may have gone with its owner meanwhile. No modal result is
    // kept: the windows close themselves and read their own controls.
    if (window_->widget) {
        window_->widget->modalLoop = nullptr;
        if (!window_->widget->isVisible())
            window_->widget->setWindowModality(Qt::NonModal);
    }
    return 0;
}

void TForm::Close()
{
    if (QWidget *w = window_->widget)
        w->close();
}

std::string TForm::Caption() const
{
    QWidget *w = window_->widget;
    return w ? w->windowTitle().toStdString() : std::string();
}

std::vector<TControl *> TForm::FocusableControls() const
{
    std::vector<TControl *> list;
    QWidget *window = window_->widget;
    if (!window)
        return list;
    for (TControl *control : detail::TabOrder(*this)) {
        const QList<QWidget *> widgets = focusWidgets(control);
        const bool takesFocus = std::any_of(widgets.begin(), widgets.end(), [window](QWidget *f) {
            return (f->focusPolicy() & Qt::TabFocus) && f->isVisibleTo(window) && f->isEnabledTo(window);
        });
        if (takesFocus)
            list.push_back(control);
    }
    return list;
}

TControl *TForm::ActiveControl() const
{
    QWidget *window = window_->widget;
    if (!window)
        return nullptr;
    for (const auto &[name, object] : controls_) {
        auto *control = dynamic_cast<TControl *>(object.get());
        if (control && control->Focused() && !dynamic_cast<TPanel *>(control))
            return control;
    }
    return nullptr;
}

} // namespace gui
