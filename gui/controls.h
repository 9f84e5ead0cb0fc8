#pragma once
// The control classes of the windows, over Qt Widgets, with the semantics the
// window handlers rely on (see each class).
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;
class QTimer;

namespace gui {

class TObject {
public:
    virtual ~TObject() = default;
    QString Name;
};

using TNotifyEvent = std::function<void(TObject *Sender)>;

class TControl : public TObject {
public:
    explicit TControl(QWidget *widget);
    ~TControl() override;
    // A hidden control takes no click, focus or accelerator.
    bool Visible() const;
    void SetVisible(bool visible);
    bool Enabled() const;
    void SetEnabled(bool enabled);
    QWidget *Widget() const { return widget_; }
    int TabOrder = -1;

protected:
    QWidget *widget_;
};

class TLabel : public TControl {
public:
    using TControl::TControl;
    QString Caption() const;
    void SetCaption(const QString &caption); // the label sizes itself to its text
};

// OnExit runs when the keyboard focus moves to another control of the same
// window (not when another window or program takes the focus).
class TEdit : public TControl {
public:
    using TControl::TControl;
    QString Text() const;
    void SetText(const QString &text);
    TNotifyEvent OnExit;
};

class TButton : public TControl {
public:
    using TControl::TControl;
    QString Caption() const;
    void SetCaption(const QString &caption);
    void Click(); // as if clicked, when shown and enabled
    TNotifyEvent OnClick;
};

// A button with a 32 x 16 glyph: normal image left, disabled image right.
class TBitBtn : public TButton {
public:
    using TButton::TButton;
    void SetGlyph(const QString &resource);
};

// A flat glyph button that never takes the keyboard focus.
class TSpeedButton : public TControl {
public:
    using TControl::TControl;
    void SetGlyph(const QString &resource);
    void Click();
    TNotifyEvent OnClick;
};

// OnClick also when the program changes the state; never when the state is
// set to what it already is.
class TCheckBox : public TControl {
public:
    using TControl::TControl;
    QString Caption() const;
    bool Checked() const;
    void SetChecked(bool checked);
    TNotifyEvent OnClick;
};

// Item index -1 shows no item; a set value is clamped to -1..last. OnClick on
// every change to an item, also by the program; not for -1 or the same item.
class TRadioGroup : public TControl {
public:
    using TControl::TControl;
    QString Caption() const;
    QStringList Items() const;
    int ItemIndex() const;
    void SetItemIndex(int index);
    TNotifyEvent OnClick;
};

// Value is the text read by StrToIntStrict (MinValue when it is no number).
// Setting the value clamps it. OnExit runs before an out-of-range text is
// brought back to the nearer bound.
class TSpinEdit : public TControl {
public:
    using TControl::TControl;
    int Value() const;
    void SetValue(int value);
    QString Text() const;
    void SetText(const QString &text);
    int MinValue() const;
    int MaxValue() const;
    TNotifyEvent OnExit;
};

// Two panels: 200 px, then the rest of the width.
class TStatusBar : public TControl {
public:
    using TControl::TControl;
    QString PanelText(int index) const;
    void SetPanelText(int index, const QString &text);
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
    QTimer *Timer() const { return timer_; }

private:
    QTimer *timer_;
    int interval_ = 1000;
    bool enabled_ = false;
    void Apply();
};

} // namespace gui
