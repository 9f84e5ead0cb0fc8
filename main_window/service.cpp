// The service controls: fixed and stepped values, the value through Edit1,
// the value file by hand and at a set period, and the test window.
#include "main_window/tform1.h"

#include "gui/convert.h"
#include "serial/drv232.h"
#include "test_window/tform2.h"

#include <algorithm>

namespace {

std::string Text(const std::string &cp1250)
{
    return gui::FromCp1250(cp1250);
}

} // namespace

// At most two zeros go in front: with length 4, "7" becomes "007".
void TForm1::PadWithZeros(std::size_t length)
{
    for (int i = 0; i < 2 && Drv232::DisplayText.size() < length; ++i)
        Drv232::DisplayText = "0" + Drv232::DisplayText;
}

// Service values always go with the letter "D", whatever the whole-display
// switch says. A success leaves an earlier failure text in panel 0.
void TForm1::ServiceSend()
{
    if (Drv232::ExchangeValue())
        SetStatus(1, Text(Drv232::ReplyText()));
    else
        SetStatus(0, "Chyba při odesílání dat");
}

void TForm1::Button4Click(gui::TObject *)
{
    Drv232::DisplayText = "123";
    ServiceSend();
}

void TForm1::Button5Click(gui::TObject *)
{
    Drv232::DisplayText = "987";
    ServiceSend();
}

void TForm1::BitBtn3Click(gui::TObject *)
{
    Drv232::DisplayText = "000";
    ServiceSend();
}

void TForm1::Edit1Exit(gui::TObject *)
{
    Drv232::DisplayText = gui::ToCp1250(Edit1->Text());
}

void TForm1::BitBtn4Click(gui::TObject *)
{
    Drv232::DisplayText = gui::ToCp1250(Edit1->Text());
    PadWithZeros(4);
    ServiceSend();
}

void TForm1::BitBtn5Click(gui::TObject *)
{
    Drv232::DisplayText = "???";
    if (Drv232::ExchangeValue())
        Edit1->SetText(Text(Drv232::ReplyText()));
    else
        SetStatus(0, "Chyba při odesílání dat");
}

// The display's last reply, one up (to 999 at most) or one down (to 0 at
// least), sent as at least three digits. The number is kept in 16 bits, so
// "-001" is 65535 and goes out as its first four digits.
void TForm1::StepReplyValue(bool up)
{
    Drv232::DisplayText = Drv232::ReplyText();
    const auto number = gui::StrToIntStrict(Text(Drv232::DisplayText));
    if (!number) {
        SetStatus(0, "Chybný formát čísla.");
        return;
    }
    auto value = static_cast<std::uint16_t>(*number);
    if (up && value < 999)
        ++value;
    else if (!up && value > 0)
        --value;
    Drv232::DisplayText = std::to_string(value);
    PadWithZeros(3);
    ServiceSend();
}

void TForm1::BitBtn1Click(gui::TObject *)
{
    StepReplyValue(true);
}
void TForm1::BitBtn2Click(gui::TObject *)
{
    StepReplyValue(false);
}

// Runs before the spin edit brings its text into range, so a typed value
// outside it reaches Period as typed, in 16 bits.
void TForm1::SpinEdit1Exit(gui::TObject *)
{
    Drv232::ParameterRecord.Period = static_cast<std::uint16_t>(SpinEdit1->Value());
}

void TForm1::BitBtn9Click(gui::TObject *)
{
    Timer1->SetInterval(Drv232::ParameterRecord.Period * 1000);
    Timer1->SetEnabled(true);
    BitBtn9->SetVisible(false);
    BitBtn10->SetVisible(true);
    BitBtn6->SetVisible(false);
}

void TForm1::BitBtn10Click(gui::TObject *)
{
    BitBtn10->SetVisible(false);
    BitBtn9->SetVisible(true);
    BitBtn6->SetVisible(true);
    Timer1->SetEnabled(false);
}

// The file is read afresh at every tick, so that another program's new value
// reaches the display at the next one.
void TForm1::Timer1Timer(gui::TObject *)
{
    if (!Drv232::LoadValueFile())
        SetStatus(0, "Chyba při čtení ze souboru!");
    PadWithZeros(3);
    ServiceSend();
}

void TForm1::SpeedButton1Click(gui::TObject *)
{
    SpeedButton1->SetVisible(false);
    SpeedButton2->SetVisible(true);
    BitBtn7->SetEnabled(true);
    BitBtn8->SetEnabled(true);
}

void TForm1::SpeedButton2Click(gui::TObject *)
{
    SpeedButton2->SetVisible(false);
    SpeedButton1->SetVisible(true);
    BitBtn8->SetEnabled(false);
    BitBtn7->SetEnabled(false);
}

void TForm1::BitBtn7Click(gui::TObject *)
{
    if (!Drv232::SaveValueFile())
        SetStatus(0, "Chyba při zápisu do souboru!");
}

void TForm1::BitBtn8Click(gui::TObject *)
{
    if (!Drv232::LoadValueFile())
        SetStatus(0, "Chyba při čtení ze souboru!");
    Edit1->SetText(Text(Drv232::DisplayText));
}

void TForm1::Button1Click(gui::TObject *)
{
    // A new window every time, gone when it closes: every opening starts
    // from the layout.
    TForm2 Form2(this);
    Form2.ShowModal();
}

void TForm1::ShowServiceControls()
{
    // The controls the layout hides are the service controls. The right and
    // bottom edges they reach, with a margin, give the client area; the
    // status bar stays along its bottom edge below them.
    constexpr int kMargin = 8;
    const gui::FormLayout &layout = Layout();
    int right = layout.clientWidth;
    int bottom = 0;
    for (const gui::ControlLayout &row : layout.controls) {
        if (row.kind == gui::ControlKind::Timer || row.kind == gui::ControlKind::StatusBar)
            continue;
        right = std::max(right, row.left + row.width + kMargin);
        bottom = std::max(bottom, row.top + row.height + kMargin);
        // Automatic sending starts off and the file buttons locked: their
        // other buttons stay hidden until clicked for.
        if (!row.shown && row.name != "BitBtn10" && row.name != "SpeedButton2")
            Find<gui::TControl>(row.name.c_str())->SetVisible(true);
    }
    SetClientSize(right, std::max(layout.clientHeight, bottom + StatusBar1->Height()));
}
