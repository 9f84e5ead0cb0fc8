#include "test_form.h"

// The layout is a table: one control a row, laid out by hand.
// clang-format off
namespace guitest {

using K = gui::ControlKind;

gui::FormLayout TestLayout()
{
    gui::FormLayout f{.name = "FormTest", .className = "TFormTest", .title = "Zkušební okno",
                      .outerWidth = 444, .outerHeight = 325, .centred = true,
                      .font = {"MS Sans Serif", 11, false, gui::FontColor::WindowText, true},
                      .icon = ":/icons/none.ico", .activateHandler = "FormActivate"};
    f.controls = {
        {.name = "bvlFrame", .kind = K::Bevel, .left = 4, .top = 4, .width = 428, .height = 262},
        {.name = "lblTime", .kind = K::Label, .caption = "Skutečný čas  [min:sec]",
         .font = {"Arial", 13, true, gui::FontColor::Blue, true}, .left = 8, .top = 8, .width = 60, .height = 16},
        {.name = "pnlInfo", .kind = K::Panel, .left = 8, .top = 28, .width = 200, .height = 40},
        {.name = "lblPanel", .kind = K::Label, .caption = " : ", .left = 4, .top = 4, .width = 20,
         .height = 13, .parent = "pnlInfo"},
        {.name = "btnTest", .kind = K::BitBtn, .caption = "&Test displeje", .shown = false, .event = "OnClick",
         .handler = "btnTestClick", .tab = 0, .left = 8, .top = 236, .width = 110, .height = 25,
         .glyph = ":/glyphs/missing.bmp"},
        {.name = "btnService", .kind = K::Button, .caption = "Servis", .shown = false, .tab = 1,
         .left = 120, .top = 236, .width = 75, .height = 25},
        {.name = "btnQuit", .kind = K::Button, .caption = "Konec ", .event = "OnClick", .handler = "btnQuitClick",
         .tab = 2, .left = 8, .top = 204, .width = 75, .height = 25},
        {.name = "edtName", .kind = K::Edit, .caption = "Žluťoučký kůň", .event = "OnExit",
         .handler = "edtNameExit", .tab = 3, .left = 8, .top = 80, .width = 120, .height = 21},
        {.name = "edtNote", .kind = K::Edit, .tab = 4, .left = 8, .top = 108, .width = 120, .height = 21},
        {.name = "spnTime", .kind = K::SpinEdit, .caption = "60", .event = "OnExit", .handler = "spnTimeExit",
         .tab = 5, .left = 8, .top = 136, .width = 80, .height = 22, .minValue = 0, .maxValue = 3600},
        {.name = "chkLog", .kind = K::CheckBox, .caption = "Zá&znam", .event = "OnClick",
         .handler = "chkLogClick", .tab = 6, .left = 8, .top = 166, .width = 120, .height = 17},
        {.name = "rgMode", .kind = K::RadioGroup, .caption = "Režim", .event = "OnClick",
         .handler = "rgModeClick", .tab = 7, .left = 240, .top = 36, .width = 185, .height = 225,
         .items = {"Čas", "Teplota", "Vlhkost", "Tlak", "Datum", "Text", "Test"}},
        {.name = "btnOff", .kind = K::Button, .caption = "Vypnuto", .enabled = false, .tab = 8,
         .left = 90, .top = 204, .width = 75, .height = 25},
        {.name = "btnOk", .kind = K::Button, .caption = "OK", .tab = 9, .left = 170, .top = 204, .width = 60,
         .height = 25},
        {.name = "spdOpen", .kind = K::SpeedButton, .handler = "spdOpenClick", .left = 140, .top = 80,
         .width = 23, .height = 22},
        {.name = "sbMain", .kind = K::StatusBar, .left = 0, .top = 270, .width = 436, .height = 19},
        {.name = "tmrPoll", .kind = K::Timer, .event = "OnTimer", .handler = "tmrPollTimer", .interval = 20},
        {.name = "tmrIdle", .kind = K::Timer, .interval = 0},
    };
    return f;
}

} // namespace guitest
// clang-format on
