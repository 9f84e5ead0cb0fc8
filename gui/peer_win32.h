#pragma once
// The native windows behind the layer's controls, timers and windows.
// Private to the Win32 backend.
#include "gui/form.h"

#include <windows.h>
#include <commctrl.h>

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <thread>
#include <type_traits>
#include <vector>

namespace gui::detail {

class FormPeer;

// Owners of the system's handles, each freed by its own call.
struct FontFree {
    void operator()(HFONT font) const { DeleteObject(font); }
};
using FontOwner = std::unique_ptr<std::remove_pointer_t<HFONT>, FontFree>;
struct ImageListFree {
    void operator()(HIMAGELIST list) const { ImageList_Destroy(list); }
};
using ImageListOwner = std::unique_ptr<std::remove_pointer_t<HIMAGELIST>, ImageListFree>;
// A top-level window leaves its window object first, so that no message on
// the way out reaches a half-destroyed one; its controls go with it.
struct WindowFree {
    void operator()(HWND hwnd) const
    {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        DestroyWindow(hwnd);
    }
};
using WindowOwner = std::unique_ptr<std::remove_pointer_t<HWND>, WindowFree>;
// False once its holder starts going away, for whoever shares the flag.
struct LiveFlag {
    std::shared_ptr<bool> flag = std::make_shared<bool>(true);
    ~LiveFlag() { *flag = false; }
};

// What every control's native window has; the kinds that have more add it
// below.
class Peer {
public:
    Peer(FormPeer &owner, const ControlLayout &row) : window(owner), kind(row.kind) {}
    virtual ~Peer() = default;
    Peer(const Peer &) = delete;
    Peer &operator=(const Peer &) = delete;
    // The native windows beside hwnd that are shown, hidden and enabled with it.
    virtual std::vector<HWND> Parts() const { return {}; }
    FormPeer &window;
    ControlKind kind;
    TControl *control = nullptr;
    HWND hwnd = nullptr; // the control (a radio group: its box); its window holds it
    FontOwner font;      // its own font; null: the window's
    FontSpec fontSpec;   // what its own font was made from
    COLORREF color = 0;
    bool coloured = false;
    bool visible = true, enabled = true; // the control's own flags
};

// A spin edit: the edit box, the arrow pair beside it, the bounds.
class SpinPeer final : public Peer {
public:
    using Peer::Peer;
    std::vector<HWND> Parts() const override { return {updown}; }
    HWND updown = nullptr;
    int layoutWidth = 0; // edit and arrows, in the layout's pixels
    int minValue = 0, maxValue = 0;
};

// A radio group: its box and the items in it.
class RadioPeer final : public Peer {
public:
    using Peer::Peer;
    // The items do not follow their box by themselves.
    std::vector<HWND> Parts() const override { return items; }
    std::vector<HWND> items;
};

// A button with a glyph: its resource path and its faces at the window's scale.
class GlyphPeer final : public Peer {
public:
    using Peer::Peer;
    std::string glyph;
    ImageListOwner glyphs;
};

// The peer of a control known to be of that kind.
template <class P> P &As(Peer &peer)
{
    return static_cast<P &>(peer);
}
template <class P> const P &As(const Peer &peer)
{
    return static_cast<const P &>(peer);
}

// Ticks come from a thread that waits on a high-resolution waitable timer and
// posts one message at a time to the timer window; a tick still waiting to
// be handled is not posted again, so a late tick is never made up.
class TimerPeer {
public:
    TimerPeer();
    ~TimerPeer();
    void Start(int intervalMs, TTimer *timer);
    void Stop();
    std::atomic<bool> pending{false};
    std::atomic<bool> running{false};

private:
    std::thread thread_;
    HANDLE stop_ = nullptr;
};

class FormPeer {
public:
    TForm *form = nullptr;
    // Freed in reverse: the window is marked dead, then destroyed with its
    // controls, then its font is freed.
    FontOwner font;
    WindowOwner hwnd;
    LiveFlag liveFlag;
    std::shared_ptr<bool> live = liveFlag.flag;
    HWND owner = nullptr;
    HWND lastFocus = nullptr;     // the control that had the keyboard focus
    double scale = 1.0;           // the monitor's dpi / 96
    std::map<HWND, Peer *> peers; // every native window of a control
    std::vector<Peer *> statusBars;
    bool activated = false, shown = false;
    bool modal = false; // in ShowModal's loop
    int Scaled(int px) const { return static_cast<int>(px * scale + 0.5); }
    void FirstActivation();
};

// The font a control is drawn in: its own, else its window's.
inline HFONT FontOf(const Peer &peer)
{
    return peer.font ? peer.font.get() : peer.window.font.get();
}

// Runs a control's handler unless its window is going away. The handler is
// copied first because it may replace itself while it runs.
template <class C> void Fire(Peer *peer, TNotifyEvent C::*event)
{
    if (!*peer->window.live || !peer->control)
        return;
    auto *control = static_cast<C *>(peer->control);
    if (TNotifyEvent handler = control->*event)
        handler(control);
}

// The window property that leads from a native window to its control's peer.
inline constexpr wchar_t kPeerProperty[] = L"qmx8350t.peer";

// Shown and enabled as far as its own window goes (whether or not that
// window is on the screen yet).
bool UsableInWindow(HWND hwnd);
// The peer of the control whose native window is hwnd (or holds it).
Peer *PeerOf(HWND hwnd);
// The top-level window of ours that dialog keys go through, for the loops.
bool HandleDialogMessage(MSG &msg);
// Runs the message loop until done() holds or the program quits; false on quit.
bool PumpUntil(const std::function<bool()> &done);
// The hidden window the timers' ticks are posted to.
HWND TimerWindow();
// A font of wanted's face (base's where wanted leaves it open), at scale.
FontOwner MakeFont(const FontSpec &wanted, const FontSpec &base, double scale);
// The icon compiled in under a layout's resource path, of that side.
HICON LoadIconResource(const std::string &path, int size);
// Draws the peer's glyph at its window's scale.
void SetGlyph(GlyphPeer &peer);
constexpr UINT kTickMessage = WM_APP + 1;

} // namespace gui::detail
