#pragma once
// The display test window: character test, five-digit counter test and
// decimal-point test, sent as digit frames.
#include "gui/form.h"

class TForm2 : public gui::TForm {
public:
    explicit TForm2(gui::TForm *owner);

    gui::TLabel *Label14, *Label9, *Label10, *Label11, *Label12, *Label13;
    gui::TLabel *Label1, *Label2, *Label15, *Label3;
    gui::TButton *Button1, *Button2, *Button3, *Button5;
    gui::TPanel *Panel1;
    gui::TEdit *Edit1, *Edit2;
    gui::TTimer *Timer1;
};
