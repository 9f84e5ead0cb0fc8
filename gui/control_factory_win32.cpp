// The native window of each control kind, the keys and focus moves it
// answers itself, and the columns every row shares (font, place, glyph,
// focus, states).
#include "gui/backend.h"
#include "gui/convert.h"
#include "gui/peer_win32.h"
#include "gui/text_win32.h"

#include <commctrl.h>

#include <cctype>
#include <stdexcept>
#include <string>

namespace gui::detail {

namespace {

// The focus moved from an edit box to another control of the same window:
// the operator has left the field. Another window, another program or the
// window itself taking the focus is no exit.
bool leftForControl(const Peer &peer, HWND to)
{
    return to && to != peer.window.hwnd.get() && IsChild(peer.window.hwnd.get(), to);
}

LRESULT CALLBACK editProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR data)
{
    auto *peer = reinterpret_cast<Peer *>(data);
    if (message == WM_KILLFOCUS && leftForControl(*peer, reinterpret_cast<HWND>(wParam))) {
        const LRESULT result = DefSubclassProc(hwnd, message, wParam, lParam);
        std::shared_ptr<bool> live = peer->window.live;
        if (peer->kind == ControlKind::Edit) {
            Fire(peer, &TEdit::OnExit);
        } else {
            // The handler sees the value as typed; only then is it brought
            // into range.
            Fire(peer, &TSpinEdit::OnExit);
            if (*live)
                static_cast<TSpinEdit *>(peer->control)->ClampText();
        }
        return result;
    }
    if (peer->kind == ControlKind::SpinEdit) {
        if (message == WM_KEYDOWN && (wParam == VK_UP || wParam == VK_DOWN)) {
            static_cast<TSpinEdit *>(peer->control)->Step(wParam == VK_UP ? 1 : -1);
            return 0;
        }
        if (message == WM_CHAR) {
            // Only what can be part of a number is typed; control keys and
            // pasting go through.
            const wchar_t c = static_cast<wchar_t>(wParam);
            const std::wstring separator = Wide(RegionalDecimalSeparator());
            const bool control = c < 0x20 && c != L'\r';
            const bool accepted =
                (c >= L'0' && c <= L'9') || c == L'+' || c == L'-' || (!separator.empty() && c == separator[0]);
            if (!control && !accepted) {
                MessageBeep(MB_OK);
                return 0;
            }
        }
    }
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

// The push button that has the keyboard focus is the window's default
// button, so that Enter presses it, however the focus came there (the dialog
// keys do this only for the focus they move themselves).
LRESULT CALLBACK buttonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    if (message == WM_SETFOCUS || message == WM_KILLFOCUS)
        SendMessageW(hwnd, BM_SETSTYLE, message == WM_SETFOCUS ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
    return DefSubclassProc(hwnd, message, wParam, lParam);
}

// A panel and a radio group's box pass their children's notifications on to
// the window, which handles every control's.
LRESULT CALLBACK holderProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR)
{
    switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
        return SendMessageW(GetAncestor(hwnd, GA_ROOT), message, wParam, lParam);
    default:
        return DefSubclassProc(hwnd, message, wParam, lParam);
    }
}

// A child window; it fails loudly instead of leaving a control without one.
HWND create(const wchar_t *cls, const std::wstring &text, DWORD style, DWORD exStyle, HWND parent)
{
    HWND hwnd = CreateWindowExW(exStyle, cls, text.c_str(), WS_CHILD | style, 0, 0, 0, 0, parent, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
    if (!hwnd)
        throw std::runtime_error("a control of the class " + Utf8(cls) + " cannot be created (error " +
                                 std::to_string(GetLastError()) + ")");
    return hwnd;
}

bool hasOwnFont(const FontSpec &font)
{
    return !font.family.empty() || font.sizePx > 0 || font.bold || font.color != FontColor::WindowText;
}

// The resource name a path of the layout is compiled under
// (":/glyphs/read.bmp" is GLYPHS_READ_BMP).
std::wstring resourceName(const std::string &path)
{
    std::wstring name;
    for (char c : path.substr(path.rfind(":/", 0) == 0 ? 2 : 0))
        name.push_back(std::isalnum(static_cast<unsigned char>(c)) ? static_cast<wchar_t>(std::toupper(c)) : L'_');
    return name;
}

// The glyph drawn for the window's scale: the 16 px picture, or the one
// drawn at 1.5 or 2 times its size (":/glyphs/read.bmp", "read@1.5x.bmp",
// "read@2x.bmp").
std::string glyphForScale(const std::string &path, double scale)
{
    const char *suffix = scale >= 1.75 ? "@2x" : scale >= 1.25 ? "@1.5x" : "";
    const std::size_t dot = path.rfind('.');
    return dot == std::string::npos ? path : path.substr(0, dot) + suffix + path.substr(dot);
}

// The glyph strip: its olive background (the bottom-left pixel's colour)
// shows the button face; left half normal, right half disabled.
HIMAGELIST loadGlyphs(const std::string &path)
{
    HBITMAP strip = static_cast<HBITMAP>(
        LoadImageW(GetModuleHandleW(nullptr), resourceName(path).c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!strip)
        return nullptr;
    BITMAP info{};
    GetObjectW(strip, sizeof info, &info);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, strip);
    const COLORREF key = GetPixel(dc, 0, info.bmHeight - 1);
    SelectObject(dc, old);
    DeleteDC(dc);
    HIMAGELIST list = ImageList_Create(info.bmHeight, info.bmHeight, ILC_COLOR24 | ILC_MASK, 2, 0);
    ImageList_AddMasked(list, strip, key);
    DeleteObject(strip);
    return list;
}

} // namespace

void SetGlyph(GlyphPeer &peer)
{
    ImageListOwner glyphs(loadGlyphs(glyphForScale(peer.glyph, peer.window.scale)));
    if (!glyphs)
        return;
    // The faces shown before are freed once the control shows the new ones.
    if (peer.kind == ControlKind::SpeedButton) {
        HICON icon = ImageList_GetIcon(glyphs.get(), 0, ILD_NORMAL);
        if (auto old = reinterpret_cast<HICON>(
                SendMessageW(peer.hwnd, STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon))))
            DestroyIcon(old);
        peer.glyphs = std::move(glyphs);
        return;
    }
    // Per state: normal, hot, pressed, disabled, default, stylus hot.
    int side = 0;
    ImageList_GetIconSize(glyphs.get(), &side, &side);
    ImageListOwner states(ImageList_Create(side, side, ILC_COLOR24 | ILC_MASK, 6, 0));
    const int faces[6] = {0, 0, 0, 1, 0, 0};
    for (int face : faces) {
        HICON icon = ImageList_GetIcon(glyphs.get(), face, ILD_NORMAL);
        ImageList_AddIcon(states.get(), icon);
        DestroyIcon(icon);
    }
    const int margin = peer.window.Scaled(2);
    BUTTON_IMAGELIST images{states.get(), {margin, 0, margin, 0}, BUTTON_IMAGELIST_ALIGN_LEFT};
    SendMessageW(peer.hwnd, BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&images));
    peer.glyphs = std::move(states);
}

namespace {

void makeRadioItems(RadioPeer &peer, const ControlLayout &row, int tabStop)
{
    const int count = static_cast<int>(row.items.size());
    if (count == 0)
        return;
    // The title takes one text line; the rest of the box is cut into equal
    // rows, one item centred in each.
    const FormPeer &w = peer.window;
    const double top = w.Scaled(16), bottom = w.Scaled(4), side = w.Scaled(8);
    const double step = (w.Scaled(row.height) - top - bottom) / count;
    const int itemHeight = std::min(w.Scaled(17), static_cast<int>(step));
    for (int i = 0; i < count; ++i) {
        DWORD style = BS_AUTORADIOBUTTON | WS_VISIBLE | (i == 0 ? WS_GROUP : 0) | (i == 0 && tabStop ? WS_TABSTOP : 0);
        HWND item =
            create(L"BUTTON", Wide(row.items[static_cast<std::size_t>(i)]), style | WS_CLIPSIBLINGS, 0, peer.hwnd);
        SetWindowPos(item, nullptr, static_cast<int>(side), static_cast<int>(top + i * step + (step - itemHeight) / 2),
                     w.Scaled(row.width) - static_cast<int>(2 * side), itemHeight, SWP_NOZORDER | SWP_NOACTIVATE);
        SetPropW(item, kPeerProperty, &peer);
        peer.items.push_back(item);
    }
}

} // namespace

FontOwner MakeFont(const FontSpec &wanted, const FontSpec &base, double scale)
{
    const std::string &family = wanted.family.empty() ? base.family : wanted.family;
    const int px = wanted.sizePx > 0 ? wanted.sizePx : base.sizePx;
    // Every text of the windows is Czech: a font of one code page (the
    // bitmap MS Sans Serif) must be its Central European face, or "č" and
    // "ř" come out as bars; a Unicode font draws them either way.
    return FontOwner(CreateFontW(-static_cast<int>(px * scale + 0.5), 0, 0, 0,
                                 wanted.bold || base.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                                 EASTEUROPE_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                                 DEFAULT_PITCH | FF_DONTCARE, Wide(family).c_str()));
}

HICON LoadIconResource(const std::string &path, int size)
{
    return static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), resourceName(path).c_str(), IMAGE_ICON, size, size,
                                         LR_DEFAULTCOLOR | LR_SHARED));
}

namespace {

template <class T> std::unique_ptr<TControl> wrap(std::unique_ptr<Peer> peer)
{
    return std::make_unique<T>(std::move(peer));
}

template <class P> std::unique_ptr<Peer> peerOf(FormPeer &window, const ControlLayout &row)
{
    return std::make_unique<P>(window, row);
}

void subclassButton(Peer &peer, const ControlLayout &, HWND)
{
    SetWindowSubclass(peer.hwnd, buttonProc, 1, 0);
}

void subclassEdit(Peer &peer, const ControlLayout &, HWND)
{
    SetWindowSubclass(peer.hwnd, editProc, 1, reinterpret_cast<DWORD_PTR>(&peer));
}

// The edit box, its arrow pair beside it and the bounds.
void finishSpinEdit(Peer &control, const ControlLayout &row, HWND parent)
{
    subclassEdit(control, row, parent);
    auto &peer = As<SpinPeer>(control);
    peer.layoutWidth = row.width;
    peer.minValue = row.minValue;
    peer.maxValue = row.maxValue;
    peer.updown = create(UPDOWN_CLASSW, L"", UDS_ALIGNRIGHT, 0, parent);
    SendMessageW(peer.updown, UDM_SETBUDDY, reinterpret_cast<WPARAM>(peer.hwnd), 0);
    SetPropW(peer.updown, kPeerProperty, &peer);
    peer.window.peers[peer.updown] = &peer;
}

void finishHolder(Peer &peer, const ControlLayout &, HWND)
{
    SetWindowSubclass(peer.hwnd, holderProc, 1, 0);
}

void finishRadioGroup(Peer &control, const ControlLayout &row, HWND parent)
{
    finishHolder(control, row, parent);
    auto &peer = As<RadioPeer>(control);
    makeRadioItems(peer, row, row.tab >= 0);
    for (HWND item : peer.items) {
        SendMessageW(item, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(peer)), FALSE);
        peer.window.peers[item] = &peer;
    }
}

void finishStatusBar(Peer &peer, const ControlLayout &, HWND)
{
    peer.window.statusBars.push_back(&peer);
}

// How each kind of control is made: its native window, its peer, the class
// that wraps it, and what it needs once it stands in its place with its font.
struct Maker {
    const wchar_t *windowClass;
    DWORD style, exStyle;
    bool captioned; // the row's caption is the native window's text
    bool tabStop;   // takes a place in the tab order when the row gives one
    std::unique_ptr<Peer> (*peer)(FormPeer &, const ControlLayout &);
    std::unique_ptr<TControl> (*wrap)(std::unique_ptr<Peer>);
    void (*finish)(Peer &, const ControlLayout &, HWND parent);
};

const Maker &makerOf(ControlKind kind)
{
    // A speed button is a static that notifies clicks: it never takes the
    // focus. A bevel is only a frame: clicks go through to what lies under it.
    static const Maker label{L"STATIC", SS_LEFTNOWORDWRAP | SS_NOPREFIX, 0, true, false, peerOf<Peer>, wrap<TLabel>,
                             nullptr};
    static const Maker edit{L"EDIT", ES_AUTOHSCROLL, WS_EX_CLIENTEDGE, true,
                            true,    peerOf<Peer>,   wrap<TEdit>,      subclassEdit};
    static const Maker button{L"BUTTON", BS_PUSHBUTTON, 0, true, true, peerOf<Peer>, wrap<TButton>, subclassButton};
    static const Maker bitBtn{L"BUTTON",     BS_PUSHBUTTON, 0, true, true, peerOf<GlyphPeer>,
                              wrap<TBitBtn>, subclassButton};
    static const Maker speedButton{L"STATIC",
                                   SS_ICON | SS_CENTERIMAGE | SS_NOTIFY | SS_SUNKEN,
                                   0,
                                   false,
                                   false,
                                   peerOf<GlyphPeer>,
                                   wrap<TSpeedButton>,
                                   nullptr};
    static const Maker checkBox{L"BUTTON", BS_AUTOCHECKBOX, 0, true, true, peerOf<Peer>, wrap<TCheckBox>, nullptr};
    static const Maker radioGroup{L"BUTTON", BS_GROUPBOX,       WS_EX_CONTROLPARENT, true,
                                  false,     peerOf<RadioPeer>, wrap<TRadioGroup>,   finishRadioGroup};
    static const Maker spinEdit{L"EDIT", ES_AUTOHSCROLL,   WS_EX_CLIENTEDGE, true,
                                true,    peerOf<SpinPeer>, wrap<TSpinEdit>,  finishSpinEdit};
    static const Maker statusBar{STATUSCLASSNAMEW, 0, 0, false, false, peerOf<Peer>, wrap<TStatusBar>, finishStatusBar};
    static const Maker panel{L"STATIC", SS_ETCHEDFRAME, WS_EX_CONTROLPARENT, false,
                             false,     peerOf<Peer>,   wrap<TPanel>,        finishHolder};
    static const Maker bevel{L"STATIC", SS_ETCHEDFRAME, 0, false, false, peerOf<Peer>, wrap<TBevel>, nullptr};
    switch (kind) {
    case ControlKind::Label:
        return label;
    case ControlKind::Edit:
        return edit;
    case ControlKind::Button:
        return button;
    case ControlKind::BitBtn:
        return bitBtn;
    case ControlKind::SpeedButton:
        return speedButton;
    case ControlKind::CheckBox:
        return checkBox;
    case ControlKind::RadioGroup:
        return radioGroup;
    case ControlKind::SpinEdit:
        return spinEdit;
    case ControlKind::StatusBar:
        return statusBar;
    case ControlKind::Panel:
        return panel;
    case ControlKind::Bevel:
    case ControlKind::Timer:
        break;
    }
    return bevel;
}

} // namespace

std::unique_ptr<TObject> MakeControl(FormPeer &window, const ControlLayout &row, TControl *holder)
{
    const Maker &maker = makerOf(row.kind);
    HWND parent = holder ? holder->Native().hwnd : window.hwnd.get();
    std::unique_ptr<Peer> peer = maker.peer(window, row);
    const DWORD tab = maker.tabStop && row.tab >= 0 ? WS_TABSTOP : 0;
    HWND hwnd = peer->hwnd = create(maker.windowClass, maker.captioned ? Wide(row.caption) : std::wstring(),
                                    maker.style | tab | WS_CLIPSIBLINGS, maker.exStyle, parent);
    SetPropW(hwnd, kPeerProperty, peer.get());
    window.peers[hwnd] = peer.get();

    if (hasOwnFont(row.font)) {
        peer->fontSpec = row.font;
        peer->font = MakeFont(row.font, window.form->Layout().font, window.scale);
    }
    SendMessageW(hwnd, WM_SETFONT, reinterpret_cast<WPARAM>(FontOf(*peer)), FALSE);
    if (row.font.color != FontColor::WindowText) {
        peer->coloured = true;
        peer->color = row.font.color == FontColor::Blue ? RGB(0, 0, 255) : RGB(255, 0, 0);
    }
    SetWindowPos(hwnd, row.kind == ControlKind::Bevel ? HWND_BOTTOM : HWND_TOP, window.Scaled(row.left),
                 window.Scaled(row.top), window.Scaled(row.width), window.Scaled(row.height), SWP_NOACTIVATE);
    if (maker.finish)
        maker.finish(*peer, row, parent);
    if (auto *glyph = dynamic_cast<GlyphPeer *>(peer.get()); glyph && !row.glyph.empty()) {
        glyph->glyph = row.glyph;
        SetGlyph(*glyph);
    }

    std::unique_ptr<TControl> control = maker.wrap(std::move(peer));
    if (auto *label = dynamic_cast<TLabel *>(control.get()))
        label->SetCaption(row.caption);
    if (row.shown)
        control->SetVisible(true);
    else
        control->Native().visible = false;
    if (!row.enabled)
        control->SetEnabled(false);
    if (auto *group = dynamic_cast<TRadioGroup *>(control.get()))
        group->SetItemIndex(-1);
    return control;
}

} // namespace gui::detail
