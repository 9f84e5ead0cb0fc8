// The control classes over the native Win32 controls.
#include "gui/controls.h"

#include "gui/convert.h"
#include "gui/peer_win32.h"
#include "gui/text_win32.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>

namespace gui {

namespace detail {

Peer *PeerOf(HWND hwnd)
{
    return static_cast<Peer *>(GetPropW(hwnd, kPeerProperty));
}

bool UsableInWindow(HWND hwnd)
{
    for (HWND h = hwnd; h; h = GetParent(h)) {
        const LONG_PTR style = GetWindowLongPtrW(h, GWL_STYLE);
        if (!(style & WS_CHILD))
            return true; // the window itself: whether it is on the screen does not count
        if (!(style & WS_VISIBLE) || (style & WS_DISABLED))
            return false;
    }
    return true;
}

namespace {

// Hiding or disabling the control that has the focus would leave the focus
// on a window that takes no keys, or let the system hand it along the
// chain; the window itself takes it, and no exit event runs.
void leaveFocusWithWindow(Peer &peer)
{
    HWND focus = GetFocus();
    const std::vector<HWND> parts = peer.Parts();
    if (focus && (focus == peer.hwnd || IsChild(peer.hwnd, focus) || std::count(parts.begin(), parts.end(), focus)))
        SetFocus(peer.window.hwnd.get());
}

void showWindows(Peer &peer, bool show)
{
    const int how = show ? SW_SHOWNA : SW_HIDE;
    ShowWindow(peer.hwnd, how);
    for (HWND part : peer.Parts())
        ShowWindow(part, how);
}

} // namespace

} // namespace detail

using detail::Peer;

TControl::TControl(std::unique_ptr<Peer> peer) : peer_(std::move(peer))
{
    peer_->control = this;
}

TControl::~TControl() = default;

bool TControl::Visible() const
{
    return peer_->visible;
}

void TControl::SetVisible(bool visible)
{
    if (!visible)
        detail::leaveFocusWithWindow(*peer_);
    peer_->visible = visible;
    detail::showWindows(*peer_, visible);
}

bool TControl::Enabled() const
{
    return peer_->enabled;
}

void TControl::SetEnabled(bool enabled)
{
    if (!enabled)
        detail::leaveFocusWithWindow(*peer_);
    peer_->enabled = enabled;
    EnableWindow(peer_->hwnd, enabled);
    for (HWND part : peer_->Parts())
        EnableWindow(part, enabled);
}

bool TControl::Focused() const
{
    HWND focus = GetFocus();
    return focus && (focus == peer_->hwnd || IsChild(peer_->hwnd, focus));
}

void TControl::SetFocus()
{
    if (!detail::UsableInWindow(peer_->hwnd))
        return;
    HWND target = peer_->hwnd;
    // A radio group takes it on its tab stop: the checked item, else the first.
    if (auto *group = dynamic_cast<TRadioGroup *>(this); group && !group->Items().empty())
        target = detail::As<detail::RadioPeer>(*peer_).items[static_cast<std::size_t>(std::max(0, group->ItemIndex()))];
    ::SetFocus(target);
}

int TControl::Height() const
{
    RECT rect;
    GetWindowRect(peer_->hwnd, &rect);
    return static_cast<int>((rect.bottom - rect.top) / peer_->window.scale + 0.5);
}

std::string TLabel::Caption() const
{
    return detail::WindowText(peer_->hwnd);
}

void TLabel::SetCaption(const std::string &caption)
{
    const std::wstring text = detail::Wide(caption);
    SetWindowTextW(peer_->hwnd, text.c_str());
    // The label sizes itself to its text.
    HDC dc = GetDC(peer_->hwnd);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(peer_->hwnd, WM_GETFONT, 0, 0)));
    SIZE size{};
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(peer_->hwnd, dc);
    SetWindowPos(peer_->hwnd, nullptr, 0, 0, std::max(1L, size.cx), metrics.tmHeight,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

std::string TEdit::Text() const
{
    return detail::WindowText(peer_->hwnd);
}

void TEdit::SetText(const std::string &text)
{
    SetWindowTextW(peer_->hwnd, detail::Wide(text).c_str());
}

std::string TButton::Caption() const
{
    return detail::WindowText(peer_->hwnd);
}

void TButton::SetCaption(const std::string &caption)
{
    SetWindowTextW(peer_->hwnd, detail::Wide(caption).c_str());
}

void TButton::Click()
{
    if (!detail::UsableInWindow(peer_->hwnd))
        return;
    if (TNotifyEvent handler = OnClick)
        handler(this);
}

void TSpeedButton::Click()
{
    if (!detail::UsableInWindow(peer_->hwnd))
        return;
    if (TNotifyEvent handler = OnClick)
        handler(this);
}

std::string TCheckBox::Caption() const
{
    return detail::WindowText(peer_->hwnd);
}

void TCheckBox::DrawChecked()
{
    SendMessageW(peer_->hwnd, BM_SETCHECK, checked_ ? BST_CHECKED : BST_UNCHECKED, 0);
}

std::string TRadioGroup::Caption() const
{
    return detail::WindowText(peer_->hwnd);
}

std::vector<std::string> TRadioGroup::Items() const
{
    std::vector<std::string> items;
    for (HWND item : detail::As<detail::RadioPeer>(*peer_).items)
        items.push_back(detail::WindowText(item));
    return items;
}

void TRadioGroup::DrawItemIndex()
{
    const int index = itemIndex_;
    const std::vector<HWND> &items = detail::As<detail::RadioPeer>(*peer_).items;
    for (std::size_t i = 0; i < items.size(); ++i) {
        HWND item = items[i];
        SendMessageW(item, BM_SETCHECK, static_cast<int>(i) == index ? BST_CHECKED : BST_UNCHECKED, 0);
        // One stop in the tab order: the checked item, else the first.
        const bool stop = static_cast<int>(i) == std::max(0, index);
        LONG_PTR style = GetWindowLongPtrW(item, GWL_STYLE);
        style = stop ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP));
        SetWindowLongPtrW(item, GWL_STYLE, style);
    }
}

std::string TSpinEdit::Text() const
{
    return detail::WindowText(peer_->hwnd);
}

void TSpinEdit::SetText(const std::string &text)
{
    SetWindowTextW(peer_->hwnd, detail::Wide(text).c_str());
}

int TSpinEdit::MinValue() const
{
    return detail::As<detail::SpinPeer>(*peer_).minValue;
}

int TSpinEdit::MaxValue() const
{
    return detail::As<detail::SpinPeer>(*peer_).maxValue;
}

std::string TStatusBar::PanelText(int index) const
{
    if (index != 0 && index != 1)
        return {};
    const auto length = LOWORD(SendMessageW(peer_->hwnd, SB_GETTEXTLENGTHW, static_cast<WPARAM>(index), 0));
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    SendMessageW(peer_->hwnd, SB_GETTEXTW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(length);
    return detail::Utf8(text);
}

void TStatusBar::SetPanelText(int index, const std::string &text)
{
    if (index != 0 && index != 1)
        return;
    SendMessageW(peer_->hwnd, SB_SETTEXTW, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(detail::Wide(text).c_str()));
}

} // namespace gui
