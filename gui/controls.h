#pragma once
// The control classes of the windows, with the semantics the window handlers
// rely on (see each class). Texts are UTF-8. The toolkit object behind a
// control belongs to the backend (controls_qt.cpp, controls_win32.cpp); the
// rules of their state are the same on both (control_state.cpp, timer.cpp).
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace gui {

namespace detail {
class Peer;      // the toolkit's control behind a TControl
class TimerPeer; // the toolkit's timer behind a TTimer
} // namespace detail

class TObject {
public:
    virtual ~TObject() = default;
    std::string Name;
};

using TNotifyEvent = std::function<void(TObject *Sender)>;

class TControl : public TObject {
public:
    explicit TControl(std::unique_ptr<detail::Peer> peer);
    ~TControl() override;
    // A hidden control takes no click, focus or accelerator. Hiding or
    // disabling the control that has the keyboard focus leaves the focus
    // with the window: no other control gets it, so no other control's exit
    // event can run without the operator having been in it.
    bool Visible() const;
    void SetVisible(bool visible);
    bool Enabled() const;
    void SetEnabled(bool enabled);
    // Whether the control (or, for a radio group, one of its items) has the
    // keyboard focus; SetFocus gives it, when the control is shown and enabled.
    bool Focused() const;
    void SetFocus();
    int Height() const;
    int TabOrder = -1;
    detail::Peer &Native() const { return *peer_; }

protected:
    std::unique_ptr<detail::Peer> peer_;
};

class TLabel : public TControl {
public:
    using TControl::TControl;
    std::string Caption() const;
    void SetCaption(const std::string &caption); // the label sizes itself to its text
};

// OnExit runs when the keyboard focus moves to another control of the same
// window (not when another window or program takes the focus).
class TEdit : public TControl {
public:
    using TControl::TControl;
    std::string Text() const;
    void SetText(const std::string &text);
    TNotifyEvent OnExit;
};

class TButton : public TControl {
public:
    using TControl::TControl;
    std::string Caption() const;
    void SetCaption(const std::string &caption);
    void Click(); // as if clicked, when shown and enabled
    TNotifyEvent OnClick;
};

// A button with a 32 x 16 glyph: normal image left, disabled image right.
class TBitBtn : public TButton {
public:
    using TButton::TButton;
};

// A flat glyph button that never takes the keyboard focus.
class TSpeedButton : public TControl {
public:
    using TControl::TControl;
    void Click();
    TNotifyEvent OnClick;
};

// OnClick also when the program changes the state; never when the state is
// set to what it already is.
class TCheckBox : public TControl {
public:
    using TControl::TControl;
    std::string Caption() const;
    bool Checked() const;
    void SetChecked(bool checked);
    // The operator changed the state; the backend reports what it shows.
    void ReportChecked(bool checked);
    TNotifyEvent OnClick;

private:
    bool checked_ = false;
    void DrawChecked(); // the backend shows checked_
};

// Item index -1 shows no item; a set value is clamped to -1..last. OnClick on
// every change to an item, also by the program; not for -1 or the same item.
class TRadioGroup : public TControl {
public:
    using TControl::TControl;
    std::string Caption() const;
    std::vector<std::string> Items() const;
    int ItemIndex() const;
    void SetItemIndex(int index);
    // The operator checked an item; the backend reports which.
    void ReportItemIndex(int index);
    TNotifyEvent OnClick;

private:
    int itemIndex_ = -1;
    void DrawItemIndex(); // the backend shows itemIndex_ (and its tab stop)
};

// Value is the text read by StrToIntStrict (MinValue when it is no number).
// Setting the value clamps it. OnExit runs before an out-of-range text is
// brought back to the nearer bound.
class TSpinEdit : public TControl {
public:
    using TControl::TControl;
    int Value() const;
    void SetValue(int value);
    std::string Text() const;
    void SetText(const std::string &text);
    int MinValue() const;
    int MaxValue() const;
    // The arrows and the arrow keys: the value moved by delta, clamped.
    void Step(int delta);
    // Once the field is left (after OnExit): an out-of-range text to the
    // nearer bound.
    void ClampText();
    TNotifyEvent OnExit;

private:
    int Clamped(long long value) const;
};

// Two panels: 200 px, then the rest of the width.
class TStatusBar : public TControl {
public:
    using TControl::TControl;
    std::string PanelText(int index) const;
    void SetPanelText(int index, const std::string &text);
};

class TPanel : public TControl {
public:
    using TControl::TControl;
};

class TBevel : public TControl {
public:
    using TControl::TControl;
};

// Precise ticks; interval 0 never ticks; ticks go on during modal windows;
// a late tick is not made up.
class TTimer : public TObject {
public:
    TTimer();
    ~TTimer() override;
    int Interval() const;
    void SetInterval(int ms);
    bool Enabled() const;
    void SetEnabled(bool enabled);
    TNotifyEvent OnTimer;
    detail::TimerPeer &Native() const { return *timer_; }

private:
    std::unique_ptr<detail::TimerPeer> timer_;
    int interval_ = 1000;
    bool enabled_ = false;
    void Apply();
};

} // namespace gui
