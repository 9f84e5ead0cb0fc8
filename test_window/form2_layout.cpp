#include "test_window/form2_layout.h"

#include "gui/layout_rows.h"

#include <string>
#include <vector>

// The layout is a table: one control a row, laid out by hand.
// clang-format off
namespace {

using namespace gui::rows;

// The picture of the five digit positions mimics the unit's red digits.
const FontSpec kDigit{"MS Sans Serif", 32, true, FontColor::Red, false};
const FontSpec kInfo{"MS Sans Serif", 16, false, FontColor::Red, false};

// One label per digit position of the unit, leftmost first. They sit in
// Panel1, which shows and hides the whole picture at once.
ControlLayout DigitLabel(const char *name, int left) {
    ControlLayout c = Row(name, ControlKind::Label, "9", kDigit, kShown, kEnabled,
                          "", "", kNoTab, left, 24, 20, 37);
    c.parent = "Panel1";
    return c;
}

FormLayout Build() {
    FormLayout form;
    form.name = "Form2";
    form.className = "TForm2";
    form.title = "Testování zobrazovače Varn6604";
    form.outerWidth = 444;
    form.outerHeight = 325;
    form.clientWidth = 0; // whatever the frame leaves of the outer size
    form.clientHeight = 0;
    form.centred = false;
    form.left = 406;
    form.top = 173;
    form.font = kWindowFont;
    form.icon = ":/icons/qmx8350t.ico";
    form.activateHandler = "FormActivate";
    form.controls = {
        Row("Label14", ControlKind::Label, "Label14", kOwnFont, kShown, kEnabled,
            "", "", kNoTab, 40, 8, 38, 13),
        Row("Button2", ControlKind::Button, "Čítač", kOwnFont, kShown, kEnabled,
            kOnClick, "Button2Click", 1, 32, 32, 97, 25),
        // The decimal-point test is not offered to the user.
        Row("Button3", ControlKind::Button, "Test des.teček", kOwnFont, kHidden, kEnabled,
            kOnClick, "Button3Click", 2, 32, 64, 97, 25),
        Row("Panel1", ControlKind::Panel, "", kOwnFont, kShown, kEnabled,
            "", "", 5, 192, 24, 209, 81),
        DigitLabel("Label9", 16),
        DigitLabel("Label10", 56),
        DigitLabel("Label11", 96),
        DigitLabel("Label12", 136),
        DigitLabel("Label13", 176),
        Row("Edit1", ControlKind::Edit, "Edit1", kOwnFont, kShown, kEnabled,
            kOnExit, "Edit1Exit", 3, 80, 128, 57, 21),
        Row("Label1", ControlKind::Label, "Perioda:", kOwnFont, kShown, kEnabled,
            "", "", kNoTab, 32, 136, 39, 13),
        Row("Label2", ControlKind::Label, "sekund", kOwnFont, kShown, kEnabled,
            "", "", kNoTab, 144, 136, 35, 13),
        Row("Label15", ControlKind::Label, "ASCII", kOwnFont, kShown, kEnabled,
            "", "", kNoTab, 152, 176, 27, 13),
        Row("Button1", ControlKind::Button, "Test znaku", kOwnFont, kShown, kEnabled,
            kOnClick, "Button1Click", 0, 32, 192, 97, 25),
        Row("Edit2", ControlKind::Edit, "Edit2", kOwnFont, kShown, kEnabled,
            kOnExit, "Edit2Exit", 6, 136, 192, 57, 21),
        Row("Label3", ControlKind::Label, "Informace", kInfo, kShown, kEnabled,
            "", "", kNoTab, 40, 232, 74, 20),
        Row("Button5", ControlKind::Button, "Zpět", kOwnFont, kShown, kEnabled,
            kOnClick, "Button5Click", 4, 240, 264, 97, 25),
        // The test clock; a test starts it with the period typed in.
        TimerRow("Timer1", kShown, "Timer1Timer"),
    };
    return form;
}

} // namespace

const gui::FormLayout &Form2Layout() {
    static const gui::FormLayout layout = Build();
    return layout;
}
// clang-format on
