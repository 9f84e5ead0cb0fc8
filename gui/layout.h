#pragma once
// A window's layout as data: one row per control, as the form designer keeps
// it. Captions are UTF-8. Positions and sizes are pixels at 96 dpi, relative
// to the client area (or to the parent control when parent is set).
#include <string>
#include <vector>

namespace gui {

enum class ControlKind {
    Label,
    Edit,
    Button,
    BitBtn,
    SpeedButton,
    CheckBox,
    RadioGroup,
    SpinEdit,
    StatusBar,
    Panel,
    Bevel,
    Timer,
};

enum class FontColor { WindowText, Blue, Red };

// An empty family means the window's font. Sizes are character heights in px.
struct FontSpec {
    std::string family;
    int sizePx = 0;
    bool bold = false;
    FontColor color = FontColor::WindowText;
    bool centralEurope = false; // the Central European character set
};

struct ControlLayout {
    std::string name;
    ControlKind kind = ControlKind::Label;
    std::string caption; // caption, text, or the spin edit's value
    FontSpec font;       // family empty: the window's font
    bool shown = true;
    bool enabled = true;
    std::string event;   // "OnClick", "OnExit", "OnTimer" or empty
    std::string handler; // name of the window's handler, e.g. "BitBtn11Click"
    int tab = -1;        // place in the tab order, -1: takes no focus
    int left = 0, top = 0, width = 0, height = 0;
    std::string parent;             // holding control (a panel), empty: the window
    std::string glyph;              // resource path (":/glyphs/read.bmp") of the 32 x 16 glyph bitmap
    std::vector<std::string> items; // radio group items
    int minValue = 0, maxValue = 0; // spin edit bounds
    int interval = 1000;            // timer interval in ms
};

struct FormLayout {
    std::string name;      // "Form1"
    std::string className; // "TForm1"
    std::string title;
    int outerWidth = 0, outerHeight = 0;
    int clientWidth = 0, clientHeight = 0; // 0: follows from the outer size
    bool centred = false;                  // else placed at left, top on the screen
    int left = 0, top = 0;
    FontSpec font;               // the window's font
    std::string icon;            // resource path (":/icons/qmx8350t.ico") of the window icon
    std::string activateHandler; // handler of the activation event, e.g. "FormActivate"
    std::vector<ControlLayout> controls;
};

} // namespace gui
