// The three tests: each step fills the digit cells and sends one frame.
#include "test_window/tform2.h"

#include "gui/convert.h"
#include "serial/drv232.h"

#include <climits>
#include <cmath>

namespace {

// Five digit positions, cell 0 the rightmost; Label9 shows cell 4.
constexpr std::size_t kCells = 5;

} // namespace

int TestInterval(float periodSeconds)
{
    // nearbyint rounds a half to the even neighbour in the default mode.
    const double ms = std::nearbyint(static_cast<double>(periodSeconds) * 1000.0);
    // A negative, huge or not-a-number period would wrap into some interval
    // or flood the line with a timer that fires at once; it gets no ticks.
    if (!(ms >= 1.0 && ms <= static_cast<double>(INT_MAX)))
        return 0;
    return static_cast<int>(ms);
}

void TForm2::SendCells()
{
    if (Drv232::SendDigitFrame(Drv232::ModuleAddress))
        Label3->SetCaption("Chyba při posílání dat.");
}

void TForm2::Button1Click(gui::TObject *)
{
    TestMode = 1;
    // A code that cannot be read is reported, and the step goes on with the
    // code it had.
    ReadCharacterCode();
    Drv232::DigitCells.fill(TestCharacter);
    if (Drv232::SendDigitFrame(Drv232::ModuleAddress))
        Label3->SetCaption("Chyba při posílání dat.");
    else
        Label3->SetCaption("Poslán znak: " + gui::FromCp1250(std::string(1, static_cast<char>(TestCharacter))));
    TestCharacter = static_cast<std::uint8_t>(TestCharacter + 1);
    if (TestCharacter >= 128)
        TestCharacter = 32;
    Edit2->SetText(std::to_string(TestCharacter));
}

void TForm2::StartTimedTest(std::uint16_t mode)
{
    Timer1->SetInterval(TestInterval(TestPeriod));
    TestMode = mode;
}

void TForm2::Button2Click(gui::TObject *)
{
    StartTimedTest(2);
    Drv232::DigitCells.fill('0');
    Label3->SetCaption("Probíhá test čítače. Pro ukončení stiskni tlačítko Zpět.");
    Panel1->SetVisible(true);
    Timer1->SetEnabled(true);
}

void TForm2::Button3Click(gui::TObject *)
{
    StartTimedTest(3);
    Drv232::PointFlags.fill(0);
    for (gui::TLabel *digit : {Label9, Label10, Label11, Label12, Label13}) {
        digit->SetCaption(".");
        digit->SetVisible(false);
    }
    Drv232::DigitCells.fill(0);
    Label3->SetCaption("Probíhá test desetinných teček. Pro ukončení stiskni tlačítko Zpět.");
    Panel1->SetVisible(true);
    Timer1->SetEnabled(true);
}

void TForm2::Button5Click(gui::TObject *)
{
    if (TestMode == 0) {
        Close();
        return;
    }
    TestMode = 0;
    Timer1->SetEnabled(false);
    Panel1->SetVisible(false);
    Label3->SetCaption("Konec testu");
}

// Moves the lit point one position to the right; past the rightmost it goes
// out. The test's start hides every position, so nothing moves from there.
void TForm2::MovePoint()
{
    gui::TLabel *const digits[kCells] = {Label9, Label10, Label11, Label12, Label13};
    for (std::size_t i = 0; i < kCells; ++i) {
        if (!digits[i]->Visible())
            continue;
        const std::size_t cell = kCells - 1 - i;
        digits[i]->SetVisible(false);
        Drv232::PointFlags[cell] = 0;
        if (i + 1 < kCells) {
            digits[i + 1]->SetVisible(true);
            Drv232::PointFlags[cell - 1] = 1;
        }
        return;
    }
}

void TForm2::Timer1Timer(gui::TObject *)
{
    using Drv232::DigitCells;
    switch (TestMode) {
    case 2: {
        // A five-digit decimal count in the cells, cell 0 the units.
        for (std::size_t cell = 0; cell < kCells; ++cell) {
            if (++DigitCells[cell] <= '9')
                break;
            DigitCells[cell] = '0';
        }
        gui::TLabel *const digits[kCells] = {Label9, Label10, Label11, Label12, Label13};
        for (std::size_t i = 0; i < kCells; ++i)
            digits[i]->SetCaption(std::to_string(DigitCells[kCells - 1 - i] - 0x30));
        SendCells();
        break;
    }
    case 3:
        MovePoint();
        SendCells();
        break;
    default:
        break; // no test running, or the character test: no frame
    }
}
