#include "main_window/form1_layout.h"

#include "gui/layout_rows.h"

#include <string>
#include <utility>
#include <vector>

// The layout is a table: one control a row, laid out by hand.
// clang-format off
namespace {

using namespace gui::rows;

const FontSpec kHeading{"MS Sans Serif", 13, false, FontColor::Blue, false};
// The time is the panel's point, so it gets large type.
const FontSpec kTimeDigits{"Arial", 48, true, FontColor::Blue, true};
const FontSpec kTimeColon{"Arial", 37, true, FontColor::WindowText, true};
const FontSpec kValueEdit{"MS Sans Serif", 13, true, FontColor::WindowText, false};

// The item index is the display function kept in the settings file, so the
// order must not change. Item 2 has two blanks before the bracket.
const std::vector<std::string> kDisplayFunctions{
    "Vlastní čas [hod:min]",
    "Skutečný čas [hod:min]",
    "Skutečný čas  [min:sec]",
    "Stopky nahoru [hod:min]",
    "Stopky nahoru [min:sec]",
    "Stopky dolů [hod:min]",
    "Stopky dolů [min:sec]",
};

// Operator panel. A frame comes before the controls it frames, so that it is
// stacked below them.
std::vector<ControlLayout> OperatorPanel() {
    ControlLayout functions =
        Row("RadioGroup1", ControlKind::RadioGroup, "Volba funkce displeje", kOwnFont, kShown, kEnabled,
            kOnClick, "RadioGroup1Click", 20, 224, 8, 185, 225);
    functions.items = kDisplayFunctions;

    return {
        Row("Label10", ControlKind::Label, "Vlastní čas", kHeading, kShown, kEnabled,
            "", "", kNoTab, 72, 8, 65, 16),
        Row("Bevel4", ControlKind::Bevel, "", kOwnFont, kShown, kEnabled,
            "", "", kNoTab, 16, 24, 193, 145),
        Row("Label8", ControlKind::Label, "Hodiny", kOwnFont, kShown, kEnabled,
            "", "", kNoTab, 48, 32, 33, 13),
        Row("Label9", ControlKind::Label, "Minuty", kOwnFont, kShown, kEnabled,
            "", "", kNoTab, 144, 32, 31, 13),
        Row("Edit2", ControlKind::Edit, "00", kTimeDigits, kShown, kEnabled,
            "", "", 16, 32, 48, 65, 64),
        Row("Label7", ControlKind::Label, " : ", kTimeColon, kShown, kEnabled,
            "", "", kNoTab, 96, 56, 33, 44),
        Row("Edit3", ControlKind::Edit, "00", kTimeDigits, kShown, kEnabled,
            "", "", 17, 128, 48, 65, 64),
        Row("BitBtn12", ControlKind::BitBtn, "Čtení", kOwnFont, kShown, kEnabled,
            kOnClick, "BitBtn12Click", 19, 32, 128, 65, 25, ":/glyphs/read.bmp"),
        Row("BitBtn11", ControlKind::BitBtn, "Zápis", kOwnFont, kShown, kEnabled,
            kOnClick, "BitBtn11Click", 18, 128, 128, 65, 25, ":/glyphs/write.bmp"),
        Row("CheckBox1", ControlKind::CheckBox, "Celé zobrazení", kOwnFont, kShown, kEnabled,
            kOnClick, "CheckBox1Click", 21, 64, 176, 97, 17),
        Row("BitBtn6", ControlKind::BitBtn, "Konec ", kOwnFont, kShown, kEnabled,
            kOnClick, "BitBtn6Click", 10, 72, 208, 75, 25, ":/glyphs/exit.bmp"),
        functions,
        Row("StatusBar1", ControlKind::StatusBar, "", kOwnFont, kShown, kEnabled,
            "", "", kNoTab, 0, 248, 425, 19),
        TimerRow("Timer2", kShown, "Timer2Timer"),
    };
}

// Service controls: all hidden and placed beyond the client area, so that
// neither widening the window nor the keyboard reaches them. They are kept
// complete so that they work whenever they are shown.
std::vector<ControlLayout> ServiceControls() {
    ControlLayout period = Row("SpinEdit1", ControlKind::SpinEdit, "0", kOwnFont, kHidden, kEnabled,
                               kOnExit, "SpinEdit1Exit", 14, 744, 80, 49, 22);
    period.minValue = 0;
    period.maxValue = 3600;

    return {
        Row("Button1", ControlKind::Button, "&Test displeje", kOwnFont, kHidden, kEnabled,
            kOnClick, "Button1Click", 0, 592, 48, 73, 25),
        Row("Button4", ControlKind::Button, "Pošli: 123", kOwnFont, kHidden, kEnabled,
            kOnClick, "Button4Click", 2, 592, 72, 73, 25),
        Row("Button5", ControlKind::Button, "Pošli: 987", kOwnFont, kHidden, kEnabled,
            kOnClick, "Button5Click", 3, 592, 96, 73, 25),

        // Sending the value file at a set period.
        Row("Label5", ControlKind::Label, "Ovládání ze souboru", kHeading, kHidden, kEnabled,
            "", "", kNoTab, 712, 48, 123, 16),
        Row("Bevel1", ControlKind::Bevel, "", kOwnFont, kHidden, kEnabled,
            "", "", kNoTab, 688, 64, 169, 121),
        Row("Label1", ControlKind::Label, "Perioda:", kOwnFont, kHidden, kEnabled,
            "", "", kNoTab, 696, 88, 39, 13),
        period,
        Row("Label2", ControlKind::Label, "[sekund]", kOwnFont, kHidden, kEnabled,
            "", "", kNoTab, 800, 88, 41, 13),
        Row("BitBtn9", ControlKind::BitBtn, "Automaticky", kOwnFont, kHidden, kEnabled,
            kOnClick, "BitBtn9Click", 13, 720, 112, 97, 25, ":/glyphs/auto.bmp"),
        Row("BitBtn10", ControlKind::BitBtn, "Stop ", kOwnFont, kHidden, kEnabled,
            kOnClick, "BitBtn10Click", 15, 728, 144, 75, 25, ":/glyphs/stop.bmp"),
        TimerRow("Timer1", kHidden, "Timer1Timer"),

        // Stepping the display's value.
        Row("Label4", ControlKind::Label, "Ovládání tlačítky", kHeading, kHidden, kEnabled,
            "", "", kNoTab, 616, 208, 98, 16),
        Row("Bevel2", ControlKind::Bevel, "", kOwnFont, kHidden, kEnabled,
            "", "", kNoTab, 600, 224, 137, 121),
        Row("BitBtn1", ControlKind::BitBtn, "Inkrement", kOwnFont, kHidden, kEnabled,
            kOnClick, "BitBtn1Click", 5, 616, 240, 97, 25, ":/glyphs/increment.bmp"),
        Row("BitBtn3", ControlKind::BitBtn, "Nula", kOwnFont, kHidden, kEnabled,
            kOnClick, "BitBtn3Click", 7, 632, 272, 65, 25, ":/glyphs/zero.bmp"),
        Row("BitBtn2", ControlKind::BitBtn, "Dekrement", kOwnFont, kHidden, kEnabled,
            kOnClick, "BitBtn2Click", 6, 616, 304, 97, 25, ":/glyphs/decrement.bmp"),

        // The value file by hand. The file buttons start locked, so that a
        // stray click cannot overwrite the file.
        Row("SpeedButton1", ControlKind::SpeedButton, "", kOwnFont, kHidden, kEnabled,
            kOnClick, "SpeedButton1Click", kNoTab, 600, 368, 23, 25, ":/glyphs/lock.bmp"),
        Row("BitBtn7", ControlKind::BitBtn, "Zápis do souboru", kOwnFont, kHidden, kDisabled,
            kOnClick, "BitBtn7Click", 11, 624, 368, 129, 25, ":/glyphs/file_save.bmp"),
        Row("BitBtn8", ControlKind::BitBtn, "Čtení ze souboru", kOwnFont, kHidden, kDisabled,
            kOnClick, "BitBtn8Click", 12, 752, 368, 129, 25, ":/glyphs/file_load.bmp"),
        Row("SpeedButton2", ControlKind::SpeedButton, "", kOwnFont, kHidden, kEnabled,
            kOnClick, "SpeedButton2Click", kNoTab, 880, 368, 23, 25, ":/glyphs/unlock.bmp"),

        // Writing and reading the display's value through Edit1.
        Row("Label6", ControlKind::Label, "Další ovládání ", kHeading, kHidden, kEnabled,
            "", "", kNoTab, 672, 408, 89, 16),
        Row("Bevel3", ControlKind::Bevel, "", kOwnFont, kHidden, kEnabled,
            "", "", kNoTab, 616, 424, 217, 81),
        Row("Label3", ControlKind::Label, "Zobrazovač:", kOwnFont, kHidden, kEnabled,
            "", "", kNoTab, 696, 440, 60, 13),
        Row("BitBtn5", ControlKind::BitBtn, "Čtení", kOwnFont, kHidden, kEnabled,
            kOnClick, "BitBtn5Click", 9, 624, 456, 65, 25, ":/glyphs/read.bmp"),
        Row("Edit1", ControlKind::Edit, "0", kValueEdit, kHidden, kEnabled,
            kOnExit, "Edit1Exit", 1, 696, 456, 57, 24),
        Row("BitBtn4", ControlKind::BitBtn, "Zápis", kOwnFont, kHidden, kEnabled,
            kOnClick, "BitBtn4Click", 8, 752, 456, 65, 25, ":/glyphs/write.bmp"),
    };
}

FormLayout Build() {
    FormLayout form;
    form.name = "Form1";
    form.className = "TForm1";
    form.title = "Zobrazovací zařízení QMX8350T";
    form.outerWidth = 441;
    form.outerHeight = 303;
    form.clientWidth = 425;
    form.clientHeight = 267;
    form.centred = true;
    form.font = kWindowFont;
    form.icon = ":/icons/qmx8350t.ico";
    form.activateHandler = "FormActivate";
    form.controls = OperatorPanel();
    for (ControlLayout &control : ServiceControls())
        form.controls.push_back(std::move(control));
    return form;
}

} // namespace

const gui::FormLayout &Form1Layout() {
    static const gui::FormLayout layout = Build();
    return layout;
}
// clang-format on
