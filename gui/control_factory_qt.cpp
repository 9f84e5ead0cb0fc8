// The Qt widget of each control kind, the signals that raise its events, and
// the columns every row shares (name, font, place, glyph, focus, states).
#include "gui/backend.h"
#include "gui/fonts_qt.h"
#include "gui/peer_qt.h"
#include "gui/widgets_qt.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>

namespace gui::detail {

namespace {

using Live = std::shared_ptr<bool>;

QString text(const std::string &utf8)
{
    return QString::fromUtf8(utf8);
}

// Runs a control's handler unless the window is going away. The handler is
// copied first because it may replace itself while it runs.
template <class C> void fire(const Live &live, C *control, TNotifyEvent C::*event)
{
    if (!*live)
        return;
    if (TNotifyEvent handler = control->*event)
        handler(control);
}

template <class C> std::unique_ptr<C> wrap(QWidget *widget)
{
    return std::make_unique<C>(std::make_unique<Peer>(widget));
}

// --- One function per kind: its widget and the signals of its events. ------

std::unique_ptr<TControl> makeLabel(const ControlLayout &, QWidget *parent, const Live &)
{
    auto *label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setAutoFillBackground(false);
    return wrap<TLabel>(label);
}

std::unique_ptr<TControl> makeEdit(const ControlLayout &row, QWidget *parent, const Live &live)
{
    auto *edit = new QLineEdit(text(row.caption), parent);
    auto c = wrap<TEdit>(edit);
    new FocusExitFilter(edit, [live, p = c.get()] { fire(live, p, &TEdit::OnExit); });
    return c;
}

std::unique_ptr<TControl> makeButton(const ControlLayout &row, QWidget *parent, const Live &live)
{
    auto *button = new QPushButton(text(row.caption), parent);
    // Outside a dialog QPushButton ignores Return unless it is an
    // auto-default button; the operator expects Return to press it.
    button->setAutoDefault(true);
    std::unique_ptr<TButton> c = row.kind == ControlKind::BitBtn ? wrap<TBitBtn>(button) : wrap<TButton>(button);
    QObject::connect(button, &QPushButton::clicked, button, [live, p = c.get()] { fire(live, p, &TButton::OnClick); });
    return c;
}

std::unique_ptr<TControl> makeSpeedButton(const ControlLayout &, QWidget *parent, const Live &live)
{
    auto *button = new QToolButton(parent);
    button->setAutoRaise(true);
    button->setToolButtonStyle(Qt::ToolButtonIconOnly);
    auto c = wrap<TSpeedButton>(button);
    QObject::connect(button, &QToolButton::clicked, button,
                     [live, p = c.get()] { fire(live, p, &TSpeedButton::OnClick); });
    return c;
}

std::unique_ptr<TControl> makeCheckBox(const ControlLayout &row, QWidget *parent, const Live &live)
{
    auto *box = new QCheckBox(text(row.caption), parent);
    auto c = wrap<TCheckBox>(box);
    // What the box shows, whoever changed it; the program's own change is
    // already the control's state and raises nothing again.
    QObject::connect(box, &QCheckBox::toggled, box, [live, p = c.get()](bool checked) {
        if (*live)
            p->ReportChecked(checked);
    });
    return c;
}

std::unique_ptr<TControl> makeRadioGroup(const ControlLayout &row, QWidget *parent, const Live &live)
{
    QStringList items;
    for (const std::string &item : row.items)
        items.append(text(item));
    auto *group = new RadioGroupBox(text(row.caption), items, parent);
    auto c = wrap<TRadioGroup>(group);
    // A change toggles the old item off and the new one on; only the
    // latter is the change.
    QObject::connect(group->group(), &QButtonGroup::idToggled, group, [live, p = c.get()](int id, bool checked) {
        if (checked && *live)
            p->ReportItemIndex(id);
    });
    group->setTabStop(row.tab >= 0);
    return c;
}

std::unique_ptr<TControl> makeSpinEdit(const ControlLayout &row, QWidget *parent, const Live &live)
{
    auto *spin = new SpinLineEdit(row.minValue, row.maxValue, parent);
    spin->setText(text(row.caption));
    auto c = wrap<TSpinEdit>(spin);
    spin->onStep = [p = c.get()](int delta) { p->Step(delta); };
    // The handler sees the value as typed; only then is it brought into range.
    new FocusExitFilter(spin, [live, p = c.get()] {
        fire(live, p, &TSpinEdit::OnExit);
        if (*live)
            p->ClampText();
    });
    return c;
}

std::unique_ptr<TControl> makeStatusBar(const ControlLayout &, QWidget *parent, const Live &)
{
    return wrap<TStatusBar>(new StatusBarWidget(parent));
}

std::unique_ptr<TControl> makePanel(const ControlLayout &, QWidget *parent, const Live &)
{
    auto *frame = new QFrame(parent);
    frame->setFrameStyle(QFrame::Panel | QFrame::Raised);
    return wrap<TPanel>(frame);
}

std::unique_ptr<TControl> makeBevel(const ControlLayout &, QWidget *parent, const Live &)
{
    auto *frame = new QFrame(parent);
    frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
    // A bevel only draws a frame around other controls; clicks go through
    // to whatever lies under it, and it lies under everything.
    frame->setAttribute(Qt::WA_TransparentForMouseEvents);
    frame->lower();
    return wrap<TBevel>(frame);
}

using Maker = std::unique_ptr<TControl> (*)(const ControlLayout &, QWidget *, const Live &);

Maker makerOf(ControlKind kind)
{
    switch (kind) {
    case ControlKind::Label:
        return makeLabel;
    case ControlKind::Edit:
        return makeEdit;
    case ControlKind::Button:
    case ControlKind::BitBtn:
        return makeButton;
    case ControlKind::SpeedButton:
        return makeSpeedButton;
    case ControlKind::CheckBox:
        return makeCheckBox;
    case ControlKind::RadioGroup:
        return makeRadioGroup;
    case ControlKind::SpinEdit:
        return makeSpinEdit;
    case ControlKind::StatusBar:
        return makeStatusBar;
    case ControlKind::Panel:
        return makePanel;
    case ControlKind::Bevel:
        return makeBevel;
    case ControlKind::Timer:
        break;
    }
    return nullptr;
}

// --- The columns every row has. ------------------------------------------

bool hasOwnFont(const FontSpec &font)
{
    return !font.family.empty() || font.sizePx > 0 || font.bold || font.color != FontColor::WindowText;
}

void applyRow(TControl &control, const ControlLayout &row, QWidget *parent)
{
    QWidget *w = control.Native().widget;
    w->setObjectName(text(row.name));
    if (hasOwnFont(row.font))
        ApplyFont(w, row.font, parent->font());
    w->setGeometry(row.left, row.top, row.width, row.height);
    if (auto *label = dynamic_cast<TLabel *>(&control))
        label->SetCaption(row.caption);
    if (!row.glyph.empty()) {
        if (auto *button = qobject_cast<QAbstractButton *>(w)) {
            button->setIcon(LoadGlyph(text(row.glyph)));
            button->setIconSize(QSize(16, 16));
        }
    }
    // A radio group keeps its own tab stop on its items.
    if (row.kind != ControlKind::RadioGroup && (row.tab < 0 || row.kind == ControlKind::SpeedButton))
        w->setFocusPolicy(Qt::NoFocus);
    if (!row.shown)
        w->hide();
    if (!row.enabled)
        w->setEnabled(false);
}

} // namespace

std::unique_ptr<TObject> MakeControl(FormPeer &window, const ControlLayout &row, TControl *holder)
{
    FormWindow *w = window.widget;
    QWidget *parent = holder ? holder->Native().widget : w;
    std::unique_ptr<TControl> control = makerOf(row.kind)(row, parent, w->live);
    applyRow(*control, row, parent);
    if (row.kind == ControlKind::StatusBar && parent == w)
        w->addStatusBar(control->Native().widget);
    return control;
}

} // namespace gui::detail
