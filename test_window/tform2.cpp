#include "test_window/tform2.h"

#include "gui/convert.h"
#include "serial/drv232.h"
#include "test_window/form2_layout.h"

#include <cmath>
#include <limits>

namespace {
} // namespace

TForm2::TForm2(gui::TForm *owner) : gui::TForm(Form2Layout(), owner)
{
    Bind(Label14, "Label14");
    Bind(Label9, "Label9");
    Bind(Label10, "Label10");
    Bind(Label11, "Label11");
    Bind(Label12, "Label12");
    Bind(Label13, "Label13");
    Bind(Label1, "Label1");
    Bind(Label2, "Label2");
    Bind(Label15, "Label15");
    Bind(Label3, "Label3");
    Bind(Button1, "Button1");
    Bind(Button2, "Button2");
    Bind(Button3, "Button3");
    Bind(Button5, "Button5");
    Bind(Panel1, "Panel1");
    Bind(Edit1, "Edit1");
    Bind(Edit2, "Edit2");
    Bind(Timer1, "Timer1");

    WireEvents({
        {"FormActivate", gui::Handler(this, &TForm2::FormActivate)},
        {"Edit1Exit", gui::Handler(this, &TForm2::Edit1Exit)},
        {"Edit2Exit", gui::Handler(this, &TForm2::Edit2Exit)},
        {"Button1Click", gui::Handler(this, &TForm2::Button1Click)},
        {"Button2Click", gui::Handler(this, &TForm2::Button2Click)},
        {"Button3Click", gui::Handler(this, &TForm2::Button3Click)},
        {"Button5Click", gui::Handler(this, &TForm2::Button5Click)},
        {"Timer1Timer", gui::Handler(this, &TForm2::Timer1Timer)},
    });
}

void TForm2::FormActivate(gui::TObject *)
{
    TestPeriod = 0.5f;
    TestMode = 0;
    TestCharacter = 31;
    Edit1->SetText(gui::FloatToStrRegional(0.5, 1));
    Edit2->SetText(std::to_string(TestCharacter));
    Panel1->SetVisible(false);
    Label14->SetCaption("Adresa modulu: " + std::to_string(Drv232::ModuleAddress));
}

void TForm2::Edit1Exit(gui::TObject *)
{
    // A number beyond single precision has no period to become.
    const auto period = gui::StrToFloatRegional(Edit1->Text());
    if (period && std::fabs(*period) <= std::numeric_limits<float>::max())
        TestPeriod = static_cast<float>(*period);
    else
        gui::ShowErrorBox(this, "Chybná perioda");
}

void TForm2::Edit2Exit(gui::TObject *)
{
    ReadCharacterCode();
}

void TForm2::ReadCharacterCode()
{
    if (const auto code = gui::StrToIntStrict(Edit2->Text()))
        TestCharacter = static_cast<std::uint8_t>(*code);
    else
        gui::ShowErrorBox(this, "Chybný formát čísla");
}
