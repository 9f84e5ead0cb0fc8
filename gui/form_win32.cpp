// TForm's window over the native Win32 windows: making, placing, showing,
// modality, activation, the controls' notifications, message boxes.
#include "gui/backend.h"
#include "gui/dpi_win32.h"
#include "gui/layout_order.h"
#include "gui/peer_win32.h"
#include "gui/text_win32.h"

#include <commctrl.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <utility>

namespace gui {

namespace detail {

namespace {

constexpr wchar_t kFormClass[] = L"qmx8350t.TForm";
constexpr UINT_PTR kActivationTimer = 1;
constexpr UINT kFirstActivation = WM_APP + 2;
// A desktop that refuses the focus to a new window never activates it; the
// start-up then runs after this long instead of waiting for a click.
constexpr UINT kActivationWaitMs = 1000;

FormPeer *formOf(HWND hwnd)
{
    return reinterpret_cast<FormPeer *>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

void command(Peer *peer, HWND from, WORD code)
{
    switch (peer->kind) {
    case ControlKind::Button:
    case ControlKind::BitBtn:
        if (code == BN_CLICKED)
            Fire(peer, &TButton::OnClick);
        break;
    case ControlKind::SpeedButton:
        if (code == STN_CLICKED)
            Fire(peer, &TSpeedButton::OnClick);
        break;
    case ControlKind::CheckBox:
        if (code == BN_CLICKED && *peer->window.live)
            static_cast<TCheckBox *>(peer->control)
                ->ReportChecked(SendMessageW(from, BM_GETCHECK, 0, 0) == BST_CHECKED);
        break;
    case ControlKind::RadioGroup: {
        const std::vector<HWND> &items = As<RadioPeer>(*peer).items;
        auto it = std::find(items.begin(), items.end(), from);
        if (code != BN_CLICKED || it == items.end() || SendMessageW(from, BM_GETCHECK, 0, 0) != BST_CHECKED)
            break;
        if (*peer->window.live)
            static_cast<TRadioGroup *>(peer->control)->ReportItemIndex(static_cast<int>(it - items.begin()));
        break;
    }
    default:
        break;
    }
}

LRESULT colour(FormPeer *form, UINT message, HDC dc, HWND control)
{
    Peer *peer = PeerOf(control);
    if (peer && peer->coloured)
        SetTextColor(dc, peer->color);
    if (message == WM_CTLCOLOREDIT) {
        SetBkColor(dc, GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
    }
    (void)form;
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

void placeStatusBars(FormPeer *form)
{
    for (Peer *bar : form->statusBars) {
        SendMessageW(bar->hwnd, WM_SIZE, 0, 0);
        int parts[2] = {form->Scaled(200), -1};
        SendMessageW(bar->hwnd, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
    }
}

// The window's font, or a control's own font, at the window's scale.
FontOwner MakeFontFor(const FormPeer &form, const Peer *peer)
{
    const FontSpec &base = form.form->Layout().font;
    return MakeFont(peer ? peer->fontSpec : base, base, form.scale);
}

// The window moved to a monitor of another dpi: every control keeps its place
// and size in the layout's pixels, and the fonts their pixel heights, at the
// new scale; the window takes the rectangle the system proposes.
void changeDpi(FormPeer *form, UINT dpi, const RECT &proposed)
{
    const double ratio = dpi / 96.0 / form->scale;
    form->scale = dpi / 96.0;
    // The old fonts are freed once no control uses them any more.
    std::vector<FontOwner> oldFonts;
    oldFonts.push_back(std::exchange(form->font, MakeFontFor(*form, nullptr)));
    for (const auto &[hwnd, peer] : form->peers) {
        if (peer->font && hwnd == peer->hwnd)
            oldFonts.push_back(std::exchange(peer->font, MakeFontFor(*form, peer)));
    }
    const auto place = [](HWND hwnd) {
        RECT r{};
        GetWindowRect(hwnd, &r);
        MapWindowPoints(nullptr, GetParent(hwnd), reinterpret_cast<POINT *>(&r), 2);
        return r;
    };
    const auto scaled = [ratio](LONG v) { return static_cast<int>(v * ratio + (v < 0 ? -0.5 : 0.5)); };
    for (const auto &[hwnd, peer] : form->peers) {
        auto *spin = dynamic_cast<SpinPeer *>(peer);
        if (spin && hwnd == spin->updown)
            continue;
        // A spin edit gets back its whole width; the arrows take theirs again below.
        const RECT r = place(hwnd);
        const int width = spin && hwnd == peer->hwnd ? form->Scaled(spin->layoutWidth) : scaled(r.right - r.left);
        SetWindowPos(hwnd, nullptr, scaled(r.left), scaled(r.top), width, scaled(r.bottom - r.top),
                     SWP_NOZORDER | SWP_NOACTIVATE);
        SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(*peer)), TRUE);
        if (auto *glyph = dynamic_cast<GlyphPeer *>(peer); glyph && !glyph->glyph.empty() && hwnd == peer->hwnd)
            SetGlyph(*glyph);
    }
    for (const auto &[hwnd, peer] : form->peers) {
        if (auto *spin = dynamic_cast<SpinPeer *>(peer); spin && hwnd == spin->updown)
            SendMessageW(hwnd, UDM_SETBUDDY, reinterpret_cast<WPARAM>(peer->hwnd), 0);
    }
    SetWindowPos(form->hwnd.get(), nullptr, proposed.left, proposed.top, proposed.right - proposed.left,
                 proposed.bottom - proposed.top, SWP_NOZORDER | SWP_NOACTIVATE);
    placeStatusBars(form);
}

LRESULT CALLBACK formProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    // The window object comes with the first message, so that the creation
    // messages reach it too.
    if (message == WM_NCCREATE) {
        auto *created = static_cast<FormPeer *>(reinterpret_cast<CREATESTRUCTW *>(lParam)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
    }
    FormPeer *form = formOf(hwnd);
    if (!form)
        return DefWindowProcW(hwnd, message, wParam, lParam);
    switch (message) {
    case WM_COMMAND:
        if (lParam) {
            if (Peer *peer = PeerOf(reinterpret_cast<HWND>(lParam)))
                command(peer, reinterpret_cast<HWND>(lParam), HIWORD(wParam));
        }
        return 0;
    case WM_NOTIFY: {
        // The arrow pair of a spin edit steps its value and nothing else.
        auto *header = reinterpret_cast<NMHDR *>(lParam);
        if (header->code == UDN_DELTAPOS) {
            if (Peer *peer = PeerOf(header->hwndFrom)) {
                static_cast<TSpinEdit *>(peer->control)->Step(-reinterpret_cast<NMUPDOWN *>(lParam)->iDelta);
                return TRUE;
            }
        }
        break;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
        return colour(form, message, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_SIZE:
        placeStatusBars(form);
        return 0;
    case WM_DPICHANGED:
        changeDpi(form, HIWORD(wParam), *reinterpret_cast<const RECT *>(lParam));
        return 0;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            // A message box or another window takes the keyboard; the
            // control that had it gets it back when this window is active
            // again, as in a dialog.
            HWND focus = GetFocus();
            form->lastFocus = focus && IsChild(hwnd, focus) ? focus : nullptr;
            break;
        }
        if (!form->activated)
            PostMessageW(hwnd, kFirstActivation, 0, 0);
        if (form->lastFocus && !HIWORD(wParam) && IsWindow(form->lastFocus) && UsableInWindow(form->lastFocus)) {
            SetFocus(form->lastFocus);
            return 0;
        }
        break;
    case kFirstActivation:
        form->FirstActivation();
        return 0;
    case WM_TIMER:
        if (wParam == kActivationTimer) {
            KillTimer(hwnd, kActivationTimer);
            if (IsWindowVisible(hwnd))
                form->FirstActivation();
            return 0;
        }
        break;
    case WM_CLOSE:
        // Closing hides; the window goes with its TForm. The program ends
        // when its last window has closed.
        if (form->owner)
            EnableWindow(form->owner, TRUE);
        ShowWindow(hwnd, SW_HIDE);
        if (!form->modal && !form->owner)
            PostQuitMessage(0);
        return 0;
    default:
        break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

void registerFormClass()
{
    static bool registered = false;
    if (registered)
        return;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = formProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = kFormClass;
    if (!RegisterClassExW(&wc))
        throw std::runtime_error("the window class cannot be registered (error " + std::to_string(GetLastError()) +
                                 ")");
    registered = true;
}

} // namespace

void FormPeerDelete::operator()(FormPeer *peer) const
{
    delete peer;
}

void FormPeer::FirstActivation()
{
    if (activated || !*live)
        return;
    activated = true;
    KillTimer(hwnd.get(), kActivationTimer);
    HWND focus = GetFocus();
    if (!focus || !IsChild(hwnd.get(), focus) || !IsWindowVisible(focus) || !IsWindowEnabled(focus)) {
        const std::vector<TControl *> focusable = form->FocusableControls();
        if (!focusable.empty())
            focusable.front()->SetFocus();
    }
    if (TNotifyEvent handler = form->OnActivate)
        handler(form);
}

std::unique_ptr<FormPeer, FormPeerDelete> MakeWindow(TForm &form, TForm *owner)
{
    registerFormClass();
    const FormLayout &layout = form.Layout();
    std::unique_ptr<FormPeer, FormPeerDelete> peer(new FormPeer);
    peer->form = &form;
    peer->owner = owner ? owner->Native().hwnd.get() : nullptr;
    // An ordinary window: resizable, with every button of the title bar.
    const DWORD style = WS_OVERLAPPEDWINDOW;
    peer->hwnd.reset(CreateWindowExW(WS_EX_CONTROLPARENT, kFormClass, Wide(layout.title).c_str(), style, CW_USEDEFAULT,
                                     CW_USEDEFAULT, 100, 100, peer->owner, nullptr, GetModuleHandleW(nullptr),
                                     peer.get()));
    if (!peer->hwnd)
        throw std::runtime_error("the window " + layout.name + " cannot be created (error " +
                                 std::to_string(GetLastError()) + ")");
    HWND hwnd = peer->hwnd.get();
    peer->scale = DpiOf(hwnd) / 96.0;
    peer->font = MakeFontFor(*peer, nullptr);
    if (!layout.icon.empty()) {
        SendMessageW(hwnd, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(LoadIconResource(layout.icon, 32)));
        SendMessageW(hwnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(LoadIconResource(layout.icon, 16)));
    }
    return peer;
}

void SetTabOrder(FormPeer &, const std::vector<TControl *> &order)
{
    // The dialog keys walk the windows in their z-order; the tab order puts
    // each control after the one before it. Bevels and labels stay below.
    HWND previous = HWND_TOP;
    for (TControl *control : order) {
        HWND hwnd = control->Native().hwnd;
        SetWindowPos(hwnd, previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        previous = hwnd;
    }
}

} // namespace detail

void TForm::SetClientSize(int width, int height)
{
    HWND hwnd = window_->hwnd.get();
    const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE));
    RECT rect{0, 0, window_->Scaled(std::max(1, width)), window_->Scaled(std::max(1, height))};
    detail::AdjustForDpi(rect, style, exStyle, detail::DpiOf(hwnd));
    int outerWidth = rect.right - rect.left, outerHeight = rect.bottom - rect.top;
    // A layout that gives only the outer size keeps it; the client area is
    // what this system's frame leaves of it.
    if (layout_.clientWidth <= 0 && layout_.clientHeight <= 0 && width == layout_.outerWidth - detail::kFrameWidth &&
        height == layout_.outerHeight - detail::kFrameHeight) {
        outerWidth = window_->Scaled(layout_.outerWidth);
        outerHeight = window_->Scaled(layout_.outerHeight);
    }
    int x = window_->Scaled(layout_.left), y = window_->Scaled(layout_.top);
    if (layout_.centred) {
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        GetMonitorInfoW(MonitorFromWindow(window_->owner ? window_->owner : hwnd, MONITOR_DEFAULTTOPRIMARY), &monitor);
        const RECT area = monitor.rcWork;
        x = area.left + std::max(0L, (area.right - area.left - outerWidth) / 2);
        y = area.top + std::max(0L, (area.bottom - area.top - outerHeight) / 2);
    }
    SetWindowPos(hwnd, nullptr, x, y, outerWidth, outerHeight, SWP_NOZORDER | SWP_NOACTIVATE);
}

void TForm::Show()
{
    HWND hwnd = window_->hwnd.get();
    ShowWindow(hwnd, SW_SHOW);
    UpdateWindow(hwnd);
    SetForegroundWindow(hwnd);
    SetActiveWindow(hwnd);
    if (!window_->shown) {
        window_->shown = true;
        SetTimer(hwnd, detail::kActivationTimer, detail::kActivationWaitMs, nullptr);
    }
}

int TForm::ShowModal()
{
    detail::FormPeer &w = *window_;
    std::shared_ptr<bool> live = w.live;
    // The owner takes no input while this window is open; its timers tick on.
    if (w.owner)
        EnableWindow(w.owner, FALSE);
    w.modal = true;
    Show();
    detail::PumpUntil([&] { return !*live || !IsWindowVisible(w.hwnd.get()); });
    if (!*live)
        return 0;
    w.modal = false;
    if (w.owner) {
        EnableWindow(w.owner, TRUE);
        SetActiveWindow(w.owner);
    }
    return 0;
}

void TForm::Close()
{
    PostMessageW(window_->hwnd.get(), WM_CLOSE, 0, 0);
}

std::string TForm::Caption() const
{
    return detail::WindowText(window_->hwnd.get());
}

std::vector<TControl *> TForm::FocusableControls() const
{
    std::vector<TControl *> list;
    for (TControl *control : detail::TabOrder(*this)) {
        const detail::Peer &peer = control->Native();
        if (peer.kind != ControlKind::SpeedButton && detail::UsableInWindow(peer.hwnd))
            list.push_back(control);
    }
    return list;
}

TControl *TForm::ActiveControl() const
{
    HWND focus = GetFocus();
    if (!focus || focus == window_->hwnd.get() || !IsChild(window_->hwnd.get(), focus))
        return nullptr;
    for (HWND h = focus; h && h != window_->hwnd.get(); h = GetParent(h)) {
        detail::Peer *peer = detail::PeerOf(h);
        if (peer && peer->kind != ControlKind::Panel)
            return peer->control;
    }
    return nullptr;
}

namespace {

void showBox(UINT icon, TForm *owner, const std::string &text)
{
    HWND parent = owner ? owner->Native().hwnd.get() : nullptr;
    const std::wstring title = detail::Wide(owner ? owner->Caption() : std::string("qmx8350t"));
    MessageBoxW(parent, detail::Wide(text).c_str(), title.c_str(), MB_OK | icon);
}

} // namespace

void ShowErrorBox(TForm *owner, const std::string &text)
{
    showBox(MB_ICONERROR, owner, text);
}

void ShowWarningBox(TForm *owner, const std::string &text)
{
    showBox(MB_ICONWARNING, owner, text);
}

} // namespace gui
