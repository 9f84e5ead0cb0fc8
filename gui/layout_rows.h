#pragma once
// Helpers that let a window's layout table read like the form designer's:
// one call per control, its columns in the designer's order.
#include "gui/layout.h"

namespace gui::rows {

using gui::ControlKind;
using gui::ControlLayout;
using gui::FontColor;
using gui::FontSpec;
using gui::FormLayout;

inline constexpr bool kShown = true, kHidden = false;
inline constexpr bool kEnabled = true, kDisabled = false;
inline constexpr int kNoTab = -1;
inline constexpr const char *kOnClick = "OnClick";
inline constexpr const char *kOnExit = "OnExit";
inline const FontSpec kOwnFont{}; // the window's
// Both windows use the designer's default: MS Sans Serif, 8 pt at 96 dpi.
inline const FontSpec kWindowFont{"MS Sans Serif", 11, false, FontColor::WindowText, false};

inline ControlLayout Row(const char *name, ControlKind kind, const char *caption, const FontSpec &font, bool shown,
                         bool enabled, const char *event, const char *handler, int tab, int left, int top, int width,
                         int height, const char *glyph = "")
{
    ControlLayout c;
    c.name = name;
    c.kind = kind;
    c.caption = caption;
    c.font = font;
    c.shown = shown;
    c.enabled = enabled;
    c.event = event;
    c.handler = handler;
    c.tab = tab;
    c.left = left;
    c.top = top;
    c.width = width;
    c.height = height;
    c.glyph = glyph;
    return c;
}

// Timers are not visual: no place, no focus. All start disabled at 1000 ms;
// the logic that starts one sets the interval it needs.
inline ControlLayout TimerRow(const char *name, bool shown, const char *handler)
{
    ControlLayout c =
        Row(name, ControlKind::Timer, "", kOwnFont, shown, kDisabled, "OnTimer", handler, kNoTab, 0, 0, 0, 0);
    c.interval = 1000;
    return c;
}

} // namespace gui::rows
