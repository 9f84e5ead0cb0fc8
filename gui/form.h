#pragma once
// A window created from its layout table. Controls are looked up by name;
// events are wired by handler name. Texts are UTF-8.
#include "gui/controls.h"
#include "gui/layout.h"

#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace gui {

namespace detail {
class FormPeer; // the toolkit's window behind a TForm
struct FormPeerDelete {
    void operator()(FormPeer *peer) const; // the window goes with its widgets
};
} // namespace detail

class TForm : public TObject {
public:
    // Creates the window and every control of the layout. owner may be null.
    TForm(const FormLayout &layout, TForm *owner = nullptr);
    ~TForm() override;
    TForm(const TForm &) = delete;
    TForm &operator=(const TForm &) = delete;

    // The control of that name and class, or null.
    template <class T> T *Find(const std::string &name) const
    {
        auto it = controls_.find(name);
        return it == controls_.end() ? nullptr : dynamic_cast<T *>(it->second.get());
    }
    // Points member at a control the window's code cannot do without; a
    // layout that lacks it is a programming error.
    template <class T> void Bind(T *&member, const char *name) const
    {
        member = Find<T>(name);
        if (!member)
            throw std::logic_error(layout_.name + "'s layout lacks " + name);
    }
    // Wires every event of the layout (and the activation event) to the
    // handler of that name. A handler that the layout names and handlers
    // lacks is a programming error: std::logic_error names them all.
    void WireEvents(const std::map<std::string, TNotifyEvent> &handlers);

    // Resizes the client area; a centred window is centred again.
    void SetClientSize(int width, int height);
    void Show();
    int ShowModal(); // returns when the window closes
    void Close();
    std::string Caption() const;

    // Raised once, the first time the window becomes the program's active
    // window (not after a modal window closes, not on switching programs).
    TNotifyEvent OnActivate;

    const FormLayout &Layout() const { return layout_; }
    // Controls in tab order that can take the focus now (shown, enabled).
    std::vector<TControl *> FocusableControls() const;
    // The control that has the keyboard focus, or null (the window itself
    // has it, or another window).
    TControl *ActiveControl() const;
    detail::FormPeer &Native() const { return *window_; }

private:
    FormLayout layout_;
    std::map<std::string, std::unique_ptr<TObject>> controls_;
    // Declared after the controls, so that the window goes first.
    std::unique_ptr<detail::FormPeer, detail::FormPeerDelete> window_;

    // Makes the controls in creation order and puts them in tab order, once
    // the window exists.
    void MakeControls();
};

// The event that calls a window's handler method, for WireEvents:
// {"BitBtn11Click", Handler(this, &TForm1::BitBtn11Click)}.
template <class Form> TNotifyEvent Handler(Form *form, void (Form::*method)(TObject *))
{
    return [form, method](TObject *sender) { (form->*method)(sender); };
}

// Modal message boxes with one OK button, over the owner's window.
void ShowErrorBox(TForm *owner, const std::string &text);
void ShowWarningBox(TForm *owner, const std::string &text);

} // namespace gui
