#include "gui/controls.h"

#include "gui/widgets.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

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
QString shown(const QString &text)
{
    const qsizetype end = text.indexOf(QChar(0));
    return end < 0 ? text : text.left(end);
}

void setButtonGlyph(QWidget *widget, const QString &resource)
{
    auto *button = qobject_cast<QAbstractButton *>(widget);
    if (!button)
        return;
    button->setIcon(detail::LoadGlyph(resource));
    button->setIconSize(QSize(16, 16));
}

} // namespace

TControl::TControl(QWidget *widget) : widget_(widget) {}

// The window owns the widget and deletes it with itself.
TControl::~TControl() = default;

bool TControl::Visible() const
{
    return !widget_->isHidden();
}

void TControl::SetVisible(bool visible)
{
    widget_->setVisible(visible);
}

bool TControl::Enabled() const
{
    return !widget_->testAttribute(Qt::WA_ForceDisabled);
}

void TControl::SetEnabled(bool enabled)
{
    widget_->setEnabled(enabled);
}

QString TLabel::Caption() const
{
    return static_cast<QLabel *>(widget_)->text();
}

void TLabel::SetCaption(const QString &caption)
{
    auto *label = static_cast<QLabel *>(widget_);
    label->setText(shown(caption));
    label->adjustSize();
}

QString TEdit::Text() const
{
    return static_cast<QLineEdit *>(widget_)->text();
}

void TEdit::SetText(const QString &text)
{
    static_cast<QLineEdit *>(widget_)->setText(shown(text));
}

QString TButton::Caption() const
{
    return static_cast<QAbstractButton *>(widget_)->text();
}

void TButton::SetCaption(const QString &caption)
{
    static_cast<QAbstractButton *>(widget_)->setText(shown(caption));
}

void TButton::Click()
{
    if (!usable(widget_))
        return;
    if (TNotifyEvent handler = OnClick)
        handler(this);
}

void TBitBtn::SetGlyph(const QString &resource)
{
    setButtonGlyph(widget_, resource);
}

void TSpeedButton::SetGlyph(const QString &resource)
{
    setButtonGlyph(widget_, resource);
}

void TSpeedButton::Click()
{
    if (!usable(widget_))
        return;
    if (TNotifyEvent handler = OnClick)
        handler(this);
}

QString TCheckBox::Caption() const
{
    return static_cast<QCheckBox *>(widget_)->text();
}

bool TCheckBox::Checked() const
{
    return static_cast<QCheckBox *>(widget_)->isChecked();
}

void TCheckBox::SetChecked(bool checked)
{
    // QCheckBox emits toggled only on a real change, which is where the
    // click event is raised.
    static_cast<QCheckBox *>(widget_)->setChecked(checked);
}

QString TRadioGroup::Caption() const
{
    return static_cast<detail::RadioGroupBox *>(widget_)->title();
}

QStringList TRadioGroup::Items() const
{
    return static_cast<detail::RadioGroupBox *>(widget_)->items();
}

int TRadioGroup::ItemIndex() const
{
    return static_cast<detail::RadioGroupBox *>(widget_)->itemIndex();
}

void TRadioGroup::SetItemIndex(int index)
{
    static_cast<detail::RadioGroupBox *>(widget_)->setItemIndex(index);
}

int TSpinEdit::Value() const
{
    return static_cast<detail::SpinLineEdit *>(widget_)->value();
}

void TSpinEdit::SetValue(int value)
{
    static_cast<detail::SpinLineEdit *>(widget_)->setValue(value);
}

QString TSpinEdit::Text() const
{
    return static_cast<detail::SpinLineEdit *>(widget_)->text();
}

void TSpinEdit::SetText(const QString &text)
{
    static_cast<detail::SpinLineEdit *>(widget_)->setText(shown(text));
}

int TSpinEdit::MinValue() const
{
    return static_cast<detail::SpinLineEdit *>(widget_)->minValue();
}

int TSpinEdit::MaxValue() const
{
    return static_cast<detail::SpinLineEdit *>(widget_)->maxValue();
}

QString TStatusBar::PanelText(int index) const
{
    QLabel *panel = static_cast<detail::StatusBarWidget *>(widget_)->panel(index);
    return panel ? panel->text() : QString();
}

void TStatusBar::SetPanelText(int index, const QString &text)
{
    if (QLabel *panel = static_cast<detail::StatusBarWidget *>(widget_)->panel(index))
        panel->setText(shown(text));
}

// ---------------------------------------------------------------------------

TTimer::TTimer() : timer_(new QTimer)
{
    timer_->setTimerType(Qt::PreciseTimer);
    QObject::connect(timer_, &QTimer::timeout, timer_, [this] {
        if (TNotifyEvent handler = OnTimer)
            handler(this);
    });
}

TTimer::~TTimer()
{
    delete timer_;
}

int TTimer::Interval() const
{
    return interval_;
}

void TTimer::SetInterval(int ms)
{
    if (ms == interval_)
        return;
    interval_ = ms;
    Apply();
}

bool TTimer::Enabled() const
{
    return enabled_;
}

void TTimer::SetEnabled(bool enabled)
{
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    Apply();
}

void TTimer::Apply()
{
    // QTimer with interval 0 fires on every pass of the event loop; an
    // interval of 0 here means the timer is off.
    if (enabled_ && interval_ > 0)
        timer_->start(interval_);
    else
        timer_->stop();
}

} // namespace gui
