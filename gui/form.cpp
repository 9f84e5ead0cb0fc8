#include "gui/form.h"

#include "gui/fonts.h"
#include "gui/form_window.h"
#include "gui/widgets.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QEventLoop>
#include <QFile>
#include <QFrame>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QToolButton>
#include <algorithm>
#include <set>

namespace gui {

struct TForm::Window {
    QPointer<detail::FormWindow> widget;
};

namespace {

// A window whose layout gives only the outer size loses this much to the
// frame and title bar; the client area is what the controls are placed in.
constexpr int kFrameWidth = 8;
constexpr int kFrameHeight = 36;

QString text(const std::string &utf8)
{
    return QString::fromUtf8(utf8);
}

bool hasOwnFont(const FontSpec &font)
{
    return !font.family.empty() || font.sizePx > 0 || font.bold || font.color != FontColor::WindowText;
}

// Runs a control's handler unless the window is going away. The handler is
// copied first because it may replace itself while it runs.
template <class C>
void fire(const std::shared_ptr<bool> &live, C *control, TNotifyEvent C::*event)
{
    if (!*live)
        return;
    if (TNotifyEvent handler = control->*event)
        handler(control);
}

// The widgets that take the focus for a control, in their own tab order.
QList<QWidget *> focusWidgets(const TControl *control)
{
    if (auto *group = dynamic_cast<detail::RadioGroupBox *>(control->Widget())) {
        QList<QWidget *> list;
        for (QRadioButton *button : group->buttons())
            list.append(button);
        return list;
    }
    return {control->Widget()};
}

std::unique_ptr<TObject> makeControl(const ControlLayout &row, QWidget *parent,
                                     const std::shared_ptr<bool> &live)
{
    const QString caption = text(row.caption);
    std::unique_ptr<TControl> control;
    switch (row.kind) {
    case ControlKind::Timer: {
        auto timer = std::make_unique<TTimer>();
        timer->SetInterval(row.interval);
        return timer;
    }
    case ControlKind::Label: {
        auto *label = new QLabel(parent);
        label->setTextFormat(Qt::PlainText);
        label->setAutoFillBackground(false);
        control = std::make_unique<TLabel>(label);
        break;
    }
    case ControlKind::Edit: {
        auto *edit = new QLineEdit(caption, parent);
        auto *c = new TEdit(edit);
        control.reset(c);
        new detail::FocusExitFilter(edit, [live, c] { fire(live, c, &TEdit::OnExit); });
        break;
    }
    case ControlKind::Button:
    case ControlKind::BitBtn: {
        auto *button = new QPushButton(caption, parent);
        // Outside a dialog QPushButton ignores Return unless it is an
        // auto-default button; the operator expects Return to press it.
        button->setAutoDefault(true);
        TButton *c = row.kind == ControlKind::BitBtn ? new TBitBtn(button) : new TButton(button);
        control.reset(c);
        QObject::connect(button, &QPushButton::clicked, button,
                         [live, c] { fire(live, c, &TButton::OnClick); });
        break;
    }
    case ControlKind::SpeedButton: {
        auto *button = new QToolButton(parent);
        button->setAutoRaise(true);
        button->setToolButtonStyle(Qt::ToolButtonIconOnly);
        auto *c = new TSpeedButton(button);
        control.reset(c);
        QObject::connect(button, &QToolButton::clicked, button,
                         [live, c] { fire(live, c, &TSpeedButton::OnClick); });
        break;
    }
    case ControlKind::CheckBox: {
        auto *box = new QCheckBox(caption, parent);
        auto *c = new TCheckBox(box);
        control.reset(c);
        // toggled, not clicked: the program's own changes count as well.
        QObject::connect(box, &QCheckBox::toggled, box,
                         [live, c] { fire(live, c, &TCheckBox::OnClick); });
        break;
    }
    case ControlKind::RadioGroup: {
        QStringList items;
        for (const std::string &item : row.items)
            items.append(text(item));
        auto *group = new detail::RadioGroupBox(caption, items, parent);
        auto *c = new TRadioGroup(group);
        control.reset(c);
        // A change toggles the old item off and the new one on; only the
        // latter is the change.
        QObject::connect(group->group(), &QButtonGroup::idToggled, group,
                         [live, c](int, bool checked) {
                             if (checked)
                                 fire(live, c, &TRadioGroup::OnClick);
                         });
        break;
    }
    case ControlKind::SpinEdit: {
        auto *spin = new detail::SpinLineEdit(row.minValue, row.maxValue, parent);
        spin->setText(caption);
        auto *c = new TSpinEdit(spin);
        control.reset(c);
        // The handler sees the value as typed; only then is it brought
        // into range.
        new detail::FocusExitFilter(spin, [live, c, spin] {
            fire(live, c, &TSpinEdit::OnExit);
            if (*live)
                spin->clampText();
        });
        break;
    }
    case ControlKind::StatusBar:
        control = std::make_unique<TStatusBar>(new detail::StatusBarWidget(parent));
        break;
    case ControlKind::Panel: {
        auto *frame = new QFrame(parent);
        frame->setFrameStyle(QFrame::Panel | QFrame::Raised);
        control = std::make_unique<TPanel>(frame);
        break;
    }
    case ControlKind::Bevel: {
        auto *frame = new QFrame(parent);
        frame->setFrameStyle(QFrame::Box | QFrame::Sunken);
        // A bevel only draws a frame around other controls; clicks go
        // through to whatever lies under it.
        frame->setAttribute(Qt::WA_TransparentForMouseEvents);
        control = std::make_unique<TBevel>(frame);
        break;
    }
    }

    QWidget *w = control->Widget();
    w->setObjectName(text(row.name));
    if (hasOwnFont(row.font))
        ApplyFont(w, row.font, parent->font());
    w->setGeometry(row.left, row.top, row.width, row.height);
    if (row.kind == ControlKind::Label)
        static_cast<TLabel *>(control.get())->SetCaption(caption);
    if (!row.glyph.empty()) {
        if (auto *bit = dynamic_cast<TBitBtn *>(control.get()))
            bit->SetGlyph(text(row.glyph));
        else if (auto *speed = dynamic_cast<TSpeedButton *>(control.get()))
            speed->SetGlyph(text(row.glyph));
    }
    if (auto *group = dynamic_cast<detail::RadioGroupBox *>(w))
        group->setTabStop(row.tab >= 0);
    else if (row.tab < 0 || row.kind == ControlKind::SpeedButton)
        w->setFocusPolicy(Qt::NoFocus);
    if (!row.shown)
        w->hide();
    if (!row.enabled)
        w->setEnabled(false);
    control->TabOrder = row.tab;
    return control;
}

std::vector<TControl *> tabOrder(const TForm &form)
{
    // Rows with the same place keep their order in the layout.
    std::vector<TControl *> list;
    for (const ControlLayout &row : form.Layout().controls) {
        auto *control = form.Find<TControl>(text(row.name));
        if (control && control->TabOrder >= 0 && std::find(list.begin(), list.end(), control) == list.end())
            list.push_back(control);
    }
    std::stable_sort(list.begin(), list.end(),
                     [](const TControl *a, const TControl *b) { return a->TabOrder < b->TabOrder; });
    return list;
}

// Rows are created in their order, which is also the stacking order; a row
// whose holding control comes later waits for it.
std::vector<const ControlLayout *> creationOrder(const std::vector<ControlLayout> &rows)
{
    std::vector<const ControlLayout *> order;
    std::set<std::string> made;
    std::vector<const ControlLayout *> waiting;
    for (const ControlLayout &row : rows)
        waiting.push_back(&row);
    while (!waiting.empty()) {
        std::vector<const ControlLayout *> still;
        for (const ControlLayout *row : waiting) {
            const bool ready = row->parent.empty() || made.count(row->parent)
                || std::none_of(rows.begin(), rows.end(),
                                [&](const ControlLayout &r) { return r.name == row->parent; });
            if (ready) {
                order.push_back(row);
                made.insert(row->name);
            } else {
                still.push_back(row);
            }
        }
        if (still.size() == waiting.size()) { // holders in a cycle: put them on the window
            order.insert(order.end(), still.begin(), still.end());
            break;
        }
        waiting = std::move(still);
    }
    return order;
}

} // namespace

TForm::TForm(const FormLayout &layout, TForm *owner)
    : layout_(layout), window_(new Window)
{
    Name = text(layout.name);
    auto *w = new detail::FormWindow(owner ? owner->Widget() : nullptr);
    window_->widget = w;
    w->setObjectName(Name);
    w->setWindowTitle(text(layout.title));
    if (!layout.icon.empty() && QFile::exists(text(layout.icon)))
        w->setWindowIcon(QIcon(text(layout.icon)));

    QPalette palette = w->palette();
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        palette.setColor(group, QPalette::Window, palette.color(group, QPalette::Button));
    w->setPalette(palette);
    w->setAutoFillBackground(true);
    w->setFont(MakeFont(layout.font, QApplication::font()));

    // Positions and sizes are used as they are: Qt 6 lays widgets out in
    // device-independent pixels, which the screen's scale factor turns into
    // device pixels, so the 96-dpi layout grows with the resolution by itself.
    const int clientWidth = layout.clientWidth > 0 ? layout.clientWidth : layout.outerWidth - kFrameWidth;
    const int clientHeight = layout.clientHeight > 0 ? layout.clientHeight : layout.outerHeight - kFrameHeight;
    SetClientSize(clientWidth, clientHeight);

    std::vector<TControl *> bevels;
    for (const ControlLayout *row : creationOrder(layout.controls)) {
        QWidget *parent = w;
        if (auto *holder = Find<TControl>(text(row->parent)))
            parent = holder->Widget();
        std::unique_ptr<TObject> object = makeControl(*row, parent, w->live);
        object->Name = text(row->name);
        if (auto *control = dynamic_cast<TControl *>(object.get())) {
            if (row->kind == ControlKind::Bevel)
                bevels.push_back(control);
            if (row->kind == ControlKind::StatusBar && parent == w)
                w->addStatusBar(control->Widget());
        }
        controls_[object->Name] = std::move(object);
    }
    // A bevel frames the controls drawn on it and must not cover them.
    for (TControl *bevel : bevels)
        bevel->Widget()->lower();

    QWidget *previous = nullptr;
    for (TControl *control : tabOrder(*this)) {
        for (QWidget *f : focusWidgets(control)) {
            if (previous)
                QWidget::setTabOrder(previous, f);
            previous = f;
        }
    }

    // Qt would pick the first control in the focus chain too, but only after
    // the activation event; the handler of that event expects the focus set.
    w->onFirstActivate = [this, live = w->live] {
        if (!*live)
            return;
        QWidget *current = window_->widget->focusWidget();
        if (!current || !current->isVisible() || !current->isEnabled()) {
            const std::vector<TControl *> focusable = FocusableControls();
            if (!focusable.empty()) {
                for (QWidget *f : focusWidgets(focusable.front())) {
                    if (f->focusPolicy() & Qt::TabFocus) {
                        f->setFocus(Qt::ActiveWindowFocusReason);
                        break;
                    }
                }
            }
        }
        if (TNotifyEvent handler = OnActivate)
            handler(this);
    };
}

TForm::~TForm()
{
    if (window_->widget) {
        *window_->widget->live = false;
        delete window_->widget;
    }
    delete window_;
}

std::vector<std::string> TForm::WireEvents(const std::map<std::string, TNotifyEvent> &handlers)
{
    std::vector<std::string> missing;
    auto lookup = [&](const std::string &name) -> const TNotifyEvent * {
        auto it = handlers.find(name);
        if (it != handlers.end())
            return &it->second;
        if (std::find(missing.begin(), missing.end(), name) == missing.end())
            missing.push_back(name);
        return nullptr;
    };

    for (const ControlLayout &row : layout_.controls) {
        if (row.handler.empty())
            continue;
        const TNotifyEvent *handler = lookup(row.handler);
        if (!handler)
            continue;
        TObject *object = Find<TObject>(text(row.name));
        const std::string &event = row.event;
        if (event == "OnExit" || (event.empty() && (row.kind == ControlKind::Edit || row.kind == ControlKind::SpinEdit))) {
            if (auto *edit = dynamic_cast<TEdit *>(object))
                edit->OnExit = *handler;
            else if (auto *spin = dynamic_cast<TSpinEdit *>(object))
                spin->OnExit = *handler;
        } else if (event == "OnTimer" || (event.empty() && row.kind == ControlKind::Timer)) {
            if (auto *timer = dynamic_cast<TTimer *>(object))
                timer->OnTimer = *handler;
        } else {
            if (auto *button = dynamic_cast<TButton *>(object))
                button->OnClick = *handler;
            else if (auto *speed = dynamic_cast<TSpeedButton *>(object))
                speed->OnClick = *handler;
            else if (auto *box = dynamic_cast<TCheckBox *>(object))
                box->OnClick = *handler;
            else if (auto *group = dynamic_cast<TRadioGroup *>(object))
                group->OnClick = *handler;
        }
    }
    if (!layout_.activateHandler.empty()) {
        if (const TNotifyEvent *handler = lookup(layout_.activateHandler))
            OnActivate = *handler;
    }
    return missing;
}

void TForm::SetClientSize(int width, int height)
{
    QWidget *w = Widget();
    if (!w)
        return;
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
    const int outerWidth = asLaidOut && layout_.outerWidth > 0 ? layout_.outerWidth : width + kFrameWidth;
    const int outerHeight = asLaidOut && layout_.outerHeight > 0 ? layout_.outerHeight : height + kFrameHeight;
    w->move(area.x() + std::max(0, (area.width() - outerWidth) / 2),
            area.y() + std::max(0, (area.height() - outerHeight) / 2));
}

void TForm::Show()
{
    QWidget *w = Widget();
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
    if (QWidget *w = Widget())
        w->close();
}

QString TForm::Caption() const
{
    QWidget *w = Widget();
    return w ? w->windowTitle() : QString();
}

QWidget *TForm::Widget() const
{
    return window_->widget;
}

std::vector<TControl *> TForm::FocusableControls() const
{
    std::vector<TControl *> list;
    QWidget *window = Widget();
    if (!window)
        return list;
    for (TControl *control : tabOrder(*this)) {
        const QList<QWidget *> widgets = focusWidgets(control);
        const bool takesFocus = std::any_of(widgets.begin(), widgets.end(), [window](QWidget *f) {
            return (f->focusPolicy() & Qt::TabFocus) && f->isVisibleTo(window) && f->isEnabledTo(window);
        });
        if (takesFocus)
            list.push_back(control);
    }
    return list;
}

} // namespace gui
