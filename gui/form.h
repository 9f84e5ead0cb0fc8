#pragma once
// A window created from its layout table. Controls are looked up by name;
// events are wired by handler name.
#include "gui/controls.h"
#include "gui/layout.h"

#include <QString>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

class QWidget;

namespace gui {

class TForm : public TObject {
public:
    // Creates the window and every control of the layout. owner may be null.
    TForm(const FormLayout &layout, TForm *owner = nullptr);
    ~TForm() override;
    TForm(const TForm &) = delete;
    TForm &operator=(const TForm &) = delete;

    // The control of that name and class, or null.
    template <class T> T *Find(const QString &name) const {
        auto it = controls_.find(name);
        return it == controls_.end() ? nullptr : dynamic_cast<T *>(it->second.get());
    }
    template <class T> T *Find(const char *name) const { return Find<T>(QString::fromUtf8(name)); }
    // Points member at a control the window's code cannot do without; a
    // layout that lacks it is a programming error.
    template <class T> void Bind(T *&member, const char *name) const {
        member = Find<T>(name);
        if (!member)
            throw std::logic_error(layout_.name + "'s layout lacks " + name);
    }
    // Wires every event of the layout (and the activation event) to the
    // handler of that name; returns the handler names that were not given.
    std::vector<std::string> WireEvents(const std::map<std::string, TNotifyEvent> &handlers);

    // Resizes the client area; a centred window is centred again.
    void SetClientSize(int width, int height);
    void Show();
    int ShowModal(); // returns when the window closes
    void Close();
    QString Caption() const;

    // Raised once, the first time the window becomes the program's active
    // window (not after a modal window closes, not on switching programs).
    TNotifyEvent OnActivate;

    QWidget *Widget() const;
    const FormLayout &Layout() const { return layout_; }
    // Controls in tab order that can take the focus now (shown, enabled).
    std::vector<TControl *> FocusableControls() const;

private:
    struct Window;
    FormLayout layout_;
    Window *window_;
    std::map<QString, std::unique_ptr<TObject>> controls_;
};

// The event that calls a window's handler method, for WireEvents:
// {"BitBtn11Click", Handler(this, &TForm1::BitBtn11Click)}.
template <class Form> TNotifyEvent Handler(Form *form, void (Form::*method)(TObject *)) {
    return [form, method](TObject *sender) { (form->*method)(sender); };
}

// Modal message boxes with one OK button, over the owner's window.
void ShowErrorBox(TForm *owner, const QString &text);
void ShowWarningBox(TForm *owner, const QString &text);

} // namespace gui
