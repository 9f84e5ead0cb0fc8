// The state of the controls and its rules, alike on every backend: the
// backend draws the state and reports what the operator changed.
#include "gui/controls.h"

#include "gui/convert.h"

#include <algorithm>
#include <climits>

namespace gui {

bool TCheckBox::Checked() const
{
    return checked_;
}

void TCheckBox::SetChecked(bool checked)
{
    if (checked == checked_)
        return;
    checked_ = checked;
    DrawChecked();
    if (TNotifyEvent handler = OnClick)
        handler(this);
}

void TCheckBox::ReportChecked(bool checked)
{
    if (checked == checked_)
        return;
    checked_ = checked;
    if (TNotifyEvent handler = OnClick)
        handler(this);
}

int TRadioGroup::ItemIndex() const
{
    return itemIndex_;
}

void TRadioGroup::SetItemIndex(int index)
{
    index = std::clamp(index, -1, static_cast<int>(Items().size()) - 1);
    const bool changed = index != itemIndex_;
    itemIndex_ = index;
    DrawItemIndex();
    if (changed && index >= 0)
        if (TNotifyEvent handler = OnClick)
            handler(this);
}

void TRadioGroup::ReportItemIndex(int index)
{
    if (index < 0 || index == itemIndex_)
        return;
    SetItemIndex(index);
}

int TSpinEdit::Clamped(long long value) const
{
    // Equal bounds mean the field has none, as a row that leaves both at 0
    // would otherwise pin the value to 0.
    if (MinValue() < MaxValue())
        value = std::clamp<long long>(value, MinValue(), MaxValue());
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

int TSpinEdit::Value() const
{
    return StrToIntStrict(Text()).value_or(MinValue());
}

void TSpinEdit::SetValue(int value)
{
    SetText(std::to_string(Clamped(value)));
}

void TSpinEdit::Step(int delta)
{
    SetValue(Clamped(static_cast<long long>(Value()) + delta));
}

void TSpinEdit::ClampText()
{
    const int value = Value();
    if (Clamped(value) != value)
        SetValue(value);
}

} // namespace gui
