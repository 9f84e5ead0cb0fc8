// Start-up: the settings into the controls, the search for the display, and
// the choice of display function.
#include "main_window/tform1.h"

#include "gui/convert.h"
#include "net/network_port.h"
#include "platform/port_report.h"
#include "serial/drv232.h"

#include <cstdio>

namespace {

struct FunctionCaptions {
    const char *label8, *label9, *status, *button, *title;
    bool resetBoxes;
};

// What choosing each function shows; the status text of function 2 has one
// blank where its radio item has two.
const FunctionCaptions SelectionTable[7] = {
    {"Hodiny", "Minuty", "Vlastní čas [hod:min]", "Zápis", "Vlastní čas", false},
    {"Hodiny", "Minuty", "Skutečný čas [hod:min]", "Start", "Skutečný čas", false},
    {"Minuty", "Sekundy", "Skutečný čas [min:sec]", "Start", "Skutečný čas", false},
    {"Hodiny", "Minuty", "Stopky nahoru [hod:min]", "Start", "Stopky nahoru", true},
    {"Minuty", "Sekundy", "Stopky nahoru [min:sec]", "Start", "Stopky nahoru", true},
    {"Hodiny", "Minuty", "Stopky dolů [hod:min]", "Start", "Stopky dolů", false},
    {"Minuty", "Sekundy", "Stopky dolů [min:sec]", "Start", "Stopky dolů", false},
};

struct FoundCaptions {
    const char *title, *button, *label8, *label9, *boxes; // nullptr: left as it is
};

// After a successful search the stored function is dressed once more; this
// table names the counting-down title "Stopky DOWN" and fills its boxes with 59.
const FoundCaptions FoundTable[7] = {
    {nullptr, nullptr, nullptr, nullptr, nullptr},           {"Skutečný čas", "Start", nullptr, nullptr, nullptr},
    {"Skutečný čas", "Start", "Minuty", "Sekundy", nullptr}, {"Stopky nahoru", "Start", "Hodiny", "Minuty", "00"},
    {"Stopky nahoru", "Start", "Minuty", "Sekundy", "00"},   {"Stopky DOWN", "Start", "Hodiny", "Minuty", "59"},
    {"Stopky DOWN", "Start", "Minuty", "Sekundy", "59"},
};

} // namespace

void TForm1::FormActivate(gui::TObject *)
{
    using namespace Drv232;
    platform::PortName stored = platform::PortName::Stored(0);
    if (LoadParameters()) {
        stored = platform::PortName::Stored(ParameterRecord.Port);
        SpinEdit1->SetValue(ParameterRecord.Period);
        RadioGroup1->SetItemIndex(ParameterRecord.Function);
        CheckBox1->SetChecked(ParameterRecord.WholeDisplay != 0);
    } else {
        SetStatus(0, "Chyba čtení parametrů");
        SpinEdit1->SetValue(1);
        RadioGroup1->SetItemIndex(0);
        CheckBox1->SetChecked(true);
    }

    NewReplyBuffer();

    DisplayText = "???";
    Running = false;

    // The port from the settings is tried last: p-1 ... 1, 29 ... p.
    const std::optional<platform::PortName> port = SearchDisplay(stored);
    const bool found = port.has_value();
    if (found) {
        SetStatus(0, "Připojen displej na portu " + port->Label());
        SetStatus(1, "Displej: " + gui::FromCp1250(ReplyText()));
        DisplayText = ReplyText();
        if (DisplayText == "MMMM")
            DisplayText = "----";
        Edit2->SetText(gui::FromCp1250(DisplayText.substr(0, 2)));
        Edit3->SetText(gui::FromCp1250(DisplayText.substr(2, 2)));
    }

    if (found) {
        const std::int32_t f = ParameterRecord.Function;
        if (f >= 0 && f <= 6) {
            const FoundCaptions &c = FoundTable[f];
            if (c.title)
                Label10->SetCaption(c.title);
            if (c.button)
                BitBtn11->SetCaption(c.button);
            if (c.label8)
                Label8->SetCaption(c.label8);
            if (c.label9)
                Label9->SetCaption(c.label9);
            if (c.boxes) {
                Edit2->SetText(c.boxes);
                Edit3->SetText(c.boxes);
            }
        }
    } else {
        SetStatus(0, "Displej nebyl nalezen!");
        // The window keeps its own texts; a terminal hears why a port that
        // exists could not be tried.
        if (const std::string hint = platform::PermissionHint(net::OpenNetworkPort); !hint.empty())
            std::fputs(hint.c_str(), stderr);
        Edit2->SetEnabled(false);
        Edit3->SetEnabled(false);
        CheckBox1->SetEnabled(false);
        RadioGroup1->SetEnabled(false);
        BitBtn11->SetEnabled(false);
        BitBtn12->SetEnabled(false);
    }
}

void TForm1::RadioGroup1Click(gui::TObject *)
{
    const int i = RadioGroup1->ItemIndex();
    Drv232::ParameterRecord.Function = i;
    if (i < 0 || i > 6)
        return;
    const FunctionCaptions &c = SelectionTable[i];
    Label8->SetCaption(c.label8);
    Label9->SetCaption(c.label9);
    SetStatus(0, c.status);
    BitBtn11->SetCaption(c.button);
    if (c.resetBoxes) {
        Edit2->SetText("00");
        Edit3->SetText("00");
    }
    Label10->SetCaption(c.title);
}

void TForm1::CheckBox1Click(gui::TObject *)
{
    Drv232::ParameterRecord.WholeDisplay = CheckBox1->Checked() ? 1 : 0;
}
