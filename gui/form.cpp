// The part of TForm that every backend shares: making the controls from the
// layout rows and wiring their events by handler name.
#include "gui/form.h"

#include "gui/backend.h"
#include "gui/layout_order.h"

#include <algorithm>

namespace gui {

TForm::TForm(const FormLayout &layout, TForm *owner) : layout_(layout)
{
    Name = layout.name;
    window_ = detail::MakeWindow(*this, owner);
    SetClientSize(layout.clientWidth > 0 ? layout.clientWidth : layout.outerWidth - detail::kFrameWidth,
                  layout.clientHeight > 0 ? layout.clientHeight : layout.outerHeight - detail::kFrameHeight);
    MakeControls();
}

// The window and its widgets go first (the peer's deleter), then the controls.
TForm::~TForm() = default;

void TForm::MakeControls()
{
    for (const ControlLayout *row : detail::CreationOrder(layout_.controls)) {
        std::unique_ptr<TObject> object;
        if (row->kind == ControlKind::Timer) {
            // A timer has no window: the portable one serves both systems.
            auto timer = std::make_unique<TTimer>();
            timer->SetInterval(row->interval);
            object = std::move(timer);
        } else {
            object = detail::MakeControl(*window_, *row, Find<TControl>(row->parent));
        }
        object->Name = row->name;
        if (auto *control = dynamic_cast<TControl *>(object.get()))
            control->TabOrder = row->tab;
        controls_[row->name] = std::move(object);
    }
    detail::SetTabOrder(*window_, detail::TabOrder(*this));
}

namespace {

// The event of the row that handler is wired to; an empty event column
// means the kind's usual one.
void Wire(TObject *object, const ControlLayout &row, const TNotifyEvent &handler)
{
    const std::string &event = row.event;
    if (event == "OnExit" || (event.empty() && (row.kind == ControlKind::Edit || row.kind == ControlKind::SpinEdit))) {
        if (auto *edit = dynamic_cast<TEdit *>(object))
            edit->OnExit = handler;
        else if (auto *spin = dynamic_cast<TSpinEdit *>(object))
            spin->OnExit = handler;
    } else if (event == "OnTimer" || (event.empty() && row.kind == ControlKind::Timer)) {
        if (auto *timer = dynamic_cast<TTimer *>(object))
            timer->OnTimer = handler;
    } else if (auto *button = dynamic_cast<TButton *>(object)) {
        button->OnClick = handler;
    } else if (auto *speed = dynamic_cast<TSpeedButton *>(object)) {
        speed->OnClick = handler;
    } else if (auto *box = dynamic_cast<TCheckBox *>(object)) {
        box->OnClick = handler;
    } else if (auto *group = dynamic_cast<TRadioGroup *>(object)) {
        group->OnClick = handler;
    }
}

} // namespace

void TForm::WireEvents(const std::map<std::string, TNotifyEvent> &handlers)
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
        if (const TNotifyEvent *handler = lookup(row.handler))
            Wire(Find<TObject>(row.name), row, *handler);
    }
    if (!layout_.activateHandler.empty()) {
        if (const TNotifyEvent *handler = lookup(layout_.activateHandler))
            OnActivate = *handler;
    }
    // A control whose handler is missing would do nothing when clicked,
    // with no sign of why.
    if (!missing.empty()) {
        std::string names;
        for (const std::string &name : missing)
            names += (names.empty() ? "" : ", ") + name;
        throw std::logic_error(layout_.name + "'s layout names handlers that are not given: " + names);
    }
}

} // namespace gui
