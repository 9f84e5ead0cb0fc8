// The control classes over Qt Widgets.
#include "gui/controls.h"

#include "gui/peer_qt.h"
#include "gui/qt_widgets.h"
#include "gui/widgets_qt.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>

namespace gui {

namespace {

// Shown and enabled as far as the control's own window goes, so that a
// control counts as clickable before its window is on the screen.
bool usable(const QWidget *w)
{
    const QWidget *window = w->window();
    return w->isVisibleTo(window) && w->isEnabledTo(window);
}

// A text ends at its first zero character, as it does in the system's own
// controls; Qt would draw the zero as a box. A display's reply of "123"
// and a zero byte shows as 123.
QString shown(const std::string &text)
{
    return QString::fromUtf8(text.c_str());
}

std::string utf8(const QString &text)
{
    return text.toStdString();
}

// Qt hands the focus of a control that goes out of reach to the next one in
// the Tab chain, whose exit event would then run at the operator's next
// click without the operator ever having been in it. The window takes the
// focus instead; the Tab key goes on from there.
void leaveFocusWithWindow(QWidget *w)
{
    QWidget *window = w->window();
    QWidget *focus = window->focusWidget();
    if (focus && focus != window && (focus == w || w->isAncestorOf(focus)))
        window->setFocus(Qt::OtherFocusReason);
}

template <class W> W *as(const TControl *control)
{
    return static_cast<W *>(control->Native().widget);
}

} // namespace

TControl::TControl(std::unique_ptr<detail::Peer> peer) : peer_(std::move(peer)) {}

TControl::~TControl() = default;

bool TControl::Visible() const
{
    return !peer_->widget->isHidden();
}

void TControl::SetVisible(bool visible)
{
    if (!visible)
        leaveFocusWithWindow(peer_->widget);
    peer_->widget->setVisible(visible);
}

bool TControl::Enabled() const
{
    return !peer_->widget->testAttribute(Qt::WA_ForceDisabled);
}

void TControl::SetEnabled(bool enabled)
{
    if (!enabled)
        leaveFocusWithWindow(peer_->widget);
    peer_->widget->setEnabled(enabled);
}

bool TControl::Focused() const
{
    QWidget *focus = peer_->widget->window()->focusWidget();
    return focus && (focus == peer_->widget || peer_->widget->isAncestorOf(focus));
}

void TControl::SetFocus()
{
    QWidget *w = peer_->widget;
    if (!usable(w))
        return;
    // A radio group takes the focus on its tab stop, the checked item.
    if (auto *group = dynamic_cast<detail::RadioGroupBox *>(w)) {
        for (QWidget *item : group->buttons())
            if (item->focusPolicy() & Qt::TabFocus)
                w = item;
    }
    w->setFocus(Qt::OtherFocusReason);
}

int TControl::Height() const
{
    return peer_->widget->height();
}

std::string TLabel::Caption() const
{
    return utf8(as<QLabel>(this)->text());
}

void TLabel::SetCaption(const std::string &caption)
{
    auto *label = as<QLabel>(this);
    label->setText(shown(caption));
    label->adjustSize();
}

std::string TEdit::Text() const
{
    return utf8(as<QLineEdit>(this)->text());
}

void TEdit::SetText(const std::string &text)
{
    as<QLineEdit>(this)->setText(shown(text));
}

std::string TButton::Caption() const
{
    return utf8(as<QAbstractButton>(this)->text());
}

void TButton::SetCaption(const std::string &caption)
{
    as<QAbstractButton>(this)->setText(shown(caption));
}

void TButton::Click()
{
    if (!usable(peer_->widget))
        return;
    if (TNotifyEvent handler = OnClick)
        handler(this);
}

void TSpeedButton::Click()
{
    if (!usable(peer_->widget))
        return;
    if (TNotifyEvent handler = OnClick)
        handler(this);
}

std::string TCheckBox::Caption() const
{
    return utf8(as<QCheckBox>(this)->text());
}

void TCheckBox::DrawChecked()
{
    as<QCheckBox>(this)->setChecked(checked_);
}

std::string TRadioGroup::Caption() const
{
    return utf8(as<detail::RadioGroupBox>(this)->title());
}

std::vector<std::string> TRadioGroup::Items() const
{
    std::vector<std::string> items;
    for (const QString &item : as<detail::RadioGroupBox>(this)->items())
        items.push_back(utf8(item));
    return items;
}

void TRadioGroup::DrawItemIndex()
{
    as<detail::RadioGroupBox>(this)->setItemIndex(itemIndex_);
}

std::string TSpinEdit::Text() const
{
    return utf8(as<detail::SpinLineEdit>(this)->text());
}

void TSpinEdit::SetText(const std::string &text)
{
    as<detail::SpinLineEdit>(this)->setText(shown(text));
}

int TSpinEdit::MinValue() const
{
    return as<detail::SpinLineEdit>(this)->minValue();
}

int TSpinEdit::MaxValue() const
{
    return as<detail::SpinLineEdit>(this)->maxValue();
}

std::string TStatusBar::PanelText(int index) const
{
    QLabel *panel = as<detail::StatusBarWidget>(this)->panel(index);
    return panel ? utf8(panel->text()) : std::string();
}

void TStatusBar::SetPanelText(int index, const std::string &text)
{
    if (QLabel *panel = as<detail::StatusBarWidget>(this)->panel(index))
        panel->setText(shown(text));
}

// ---------------------------------------------------------------------------

TTimer::TTimer() : timer_(std::make_unique<detail::TimerPeer>())
{
    timer_->timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_->timer, &QTimer::timeout, &timer_->timer, [this] {
        if (TNotifyEvent handler = OnTimer)
            handler(this);
    });
}

TTimer::~TTimer() = default;

void TTimer::Apply()
{
    // QTimer with interval 0 fires on every pass of the event loop; an
    // interval of 0 here means the timer is off.
    if (enabled_ && interval_ > 0)
        timer_->timer.start(interval_);
    else
        timer_->timer.stop();
}

// ---------------------------------------------------------------------------

QWidget *qt::Widget(const TControl *control)
{
    return control->Native().widget;
}

QWidget *qt::Widget(const TForm &form)
{
    return form.Native().widget;
}

QTimer *qt::Timer(const TTimer *timer)
{
    return &timer->Native().timer;
}

} // namespace gui
