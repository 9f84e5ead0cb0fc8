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
#include <vector>

namespace gui::detail {

class FormPeer;

class Peer {
public:
    Peer(FormPeer &owner, const ControlLayout &row) : window(owner), kind(row.kind) {}
    ~Peer();
    FormPeer &window;
    ControlKind kind;
    TControl *control = nullptr;
    HWND hwnd = nullptr;           // the control (a radio group: its box)
    HFONT font = nullptr;          // its own font; null: the window's
    FontSpec fontSpec;             // what its own font was made from
    COLORREF color = 0;
    bool coloured = false;
    bool visible = true, enabled = true; // the control's own flags
    // Spin edit: the arrow pair and the bounds.
    HWND updown = nullptr;
    int layoutWidth = 0;           // edit and arrows, in the layout's pixels
    int minValue = 0, maxValue = 0;
    // Radio group: the items.
    std::vector<HWND> items;
    std::string glyph;             // the glyph's resource path, if any
    HIMAGELIST glyphs = nullptr;   // glyph button: its faces at the window's scale
};

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
    ~FormPeer();
    TForm *form = nullptr;
    HWND hwnd = nullptr;
    HWND owner = nullptr;
    HFONT font = nullptr;
    HWND lastFocus = nullptr;      // the control that had the keyboard focus
    double scale = 1.0;            // the monitor's dpi / 96
    std::shared_ptr<bool> live = std::make_shared<bool>(true);
    std::map<HWND, Peer *> peers;  // every native window of a control
    std::vector<Peer *> statusBars;
    bool activated = false, shown = false;
    bool modal = false;            // in ShowModal's loop
    int Scaled(int px) const { return static_cast<int>(px * scale + 0.5); }
    void FirstActivation();
};

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
// Draws the peer's glyph at its window's scale.
void SetGlyph(Peer &peer);
constexpr UINT kTickMessage = WM_APP + 1;

} // namespace gui::detail
