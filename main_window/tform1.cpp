#include "main_window/tform1.h"

#include "main_window/form1_layout.h"

TForm1::TForm1() : gui::TForm(Form1Layout())
{
    Bind(Label10, "Label10");
    Bind(Bevel4, "Bevel4");
    Bind(Label8, "Label8");
    Bind(Label9, "Label9");
    Bind(Edit2, "Edit2");
    Bind(Label7, "Label7");
    Bind(Edit3, "Edit3");
    Bind(BitBtn12, "BitBtn12");
    Bind(BitBtn11, "BitBtn11");
    Bind(CheckBox1, "CheckBox1");
    Bind(BitBtn6, "BitBtn6");
    Bind(RadioGroup1, "RadioGroup1");
    Bind(StatusBar1, "StatusBar1");
    Bind(Timer2, "Timer2");

    Bind(Button1, "Button1");
    Bind(Button4, "Button4");
    Bind(Button5, "Button5");
    Bind(Label5, "Label5");
    Bind(Bevel1, "Bevel1");
    Bind(Label1, "Label1");
    Bind(SpinEdit1, "SpinEdit1");
    Bind(Label2, "Label2");
    Bind(BitBtn9, "BitBtn9");
    Bind(BitBtn10, "BitBtn10");
    Bind(Timer1, "Timer1");
    Bind(Label4, "Label4");
    Bind(Bevel2, "Bevel2");
    Bind(BitBtn1, "BitBtn1");
    Bind(BitBtn3, "BitBtn3");
    Bind(BitBtn2, "BitBtn2");
    Bind(SpeedButton1, "SpeedButton1");
    Bind(BitBtn7, "BitBtn7");
    Bind(BitBtn8, "BitBtn8");
    Bind(SpeedButton2, "SpeedButton2");
    Bind(Label6, "Label6");
    Bind(Bevel3, "Bevel3");
    Bind(Label3, "Label3");
    Bind(BitBtn5, "BitBtn5");
    Bind(Edit1, "Edit1");
    Bind(BitBtn4, "BitBtn4");

    WireEvents({
        {"FormActivate", gui::Handler(this, &TForm1::FormActivate)},
        {"RadioGroup1Click", gui::Handler(this, &TForm1::RadioGroup1Click)},
        {"CheckBox1Click", gui::Handler(this, &TForm1::CheckBox1Click)},
        {"BitBtn11Click", gui::Handler(this, &TForm1::BitBtn11Click)},
        {"BitBtn12Click", gui::Handler(this, &TForm1::BitBtn12Click)},
        {"Timer2Timer", gui::Handler(this, &TForm1::Timer2Timer)},
        {"BitBtn6Click", gui::Handler(this, &TForm1::BitBtn6Click)},
        {"Button1Click", gui::Handler(this, &TForm1::Button1Click)},
        {"Button4Click", gui::Handler(this, &TForm1::Button4Click)},
        {"Button5Click", gui::Handler(this, &TForm1::Button5Click)},
        {"BitBtn1Click", gui::Handler(this, &TForm1::BitBtn1Click)},
        {"BitBtn2Click", gui::Handler(this, &TForm1::BitBtn2Click)},
        {"BitBtn3Click", gui::Handler(this, &TForm1::BitBtn3Click)},
        {"Edit1Exit", gui::Handler(this, &TForm1::Edit1Exit)},
        {"BitBtn4Click", gui::Handler(this, &TForm1::BitBtn4Click)},
        {"BitBtn5Click", gui::Handler(this, &TForm1::BitBtn5Click)},
        {"SpinEdit1Exit", gui::Handler(this, &TForm1::SpinEdit1Exit)},
        {"BitBtn9Click", gui::Handler(this, &TForm1::BitBtn9Click)},
        {"BitBtn10Click", gui::Handler(this, &TForm1::BitBtn10Click)},
        {"Timer1Timer", gui::Handler(this, &TForm1::Timer1Timer)},
        {"SpeedButton1Click", gui::Handler(this, &TForm1::SpeedButton1Click)},
        {"SpeedButton2Click", gui::Handler(this, &TForm1::SpeedButton2Click)},
        {"BitBtn7Click", gui::Handler(this, &TForm1::BitBtn7Click)},
        {"BitBtn8Click", gui::Handler(this, &TForm1::BitBtn8Click)},
    });
}

void TForm1::SetStatus(int panel, const std::string &text)
{
    StatusBar1->SetPanelText(panel, text);
}
