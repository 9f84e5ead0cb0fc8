#pragma once
// The display test window: character test, five-digit counter test and
// decimal-point test, sent as digit frames.
#include "gui/form.h"

#include <cstdint>

class TForm2 : public gui::TForm {
public:
    explicit TForm2(gui::TForm *owner);

    gui::TLabel *Label14, *Label9, *Label10, *Label11, *Label12, *Label13;
    gui::TLabel *Label1, *Label2, *Label15, *Label3;
    gui::TButton *Button1, *Button2, *Button3, *Button5;
    gui::TPanel *Panel1;
    gui::TEdit *Edit1, *Edit2;
    gui::TTimer *Timer1;

    // The test state, set afresh each time the window activates.
    float TestPeriod = 0.5f;         // seconds, of the counter and point tests
    std::uint16_t TestMode = 0;      // 0 none, 1 character, 2 counter, 3 points
    std::uint8_t TestCharacter = 31; // the code the next character test sends

    void FormActivate(gui::TObject *Sender);
    void Edit1Exit(gui::TObject *Sender);
    void Edit2Exit(gui::TObject *Sender);
    void Button1Click(gui::TObject *Sender); // one step of the character test
    void Button2Click(gui::TObject *Sender); // starts the counter test
    void Button3Click(gui::TObject *Sender); // starts the decimal-point test
    void Button5Click(gui::TObject *Sender); // "Zpět"
    void Timer1Timer(gui::TObject *Sender);

private:
    // Edit2 into TestCharacter, or the error box.
    void ReadCharacterCode();
    void StartTimedTest(std::uint16_t mode);
    void SendCells();
    void MovePoint();
};

// The test clock's interval for a period in seconds: rounded to the nearest
// millisecond, a half to the even neighbour. 0 (the timer never ticks) for a
// period that gives no positive interval a timer can keep.
int TestInterval(float periodSeconds);
