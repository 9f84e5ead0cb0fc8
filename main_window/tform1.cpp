#include "main_window/tform1.h"

#include "main_window/form1_layout.h"

#include <cstdio>
#include <stdexcept>

namespace {

template <class T> void Bind(const gui::TForm &form, T *&member, const char *name) {
    member = form.Find<T>(name);
    if (!member)
        throw std::logic_error(std::string("the main window's layout lacks ") + name);
}

} // namespace

TForm1::TForm1() : gui::TForm(Form1Layout()) {
    Bind(*this, Label10, "Label10");
    Bind(*this, Bevel4, "Bevel4");
    Bind(*this, Label8, "Label8");
    Bind(*this, Label9, "Label9");
    Bind(*this, Edit2, "Edit2");
    Bind(*this, Label7, "Label7");
    Bind(*this, Edit3, "Edit3");
    Bind(*this, BitBtn12, "BitBtn12");
    Bind(*this, BitBtn11, "BitBtn11");
    Bind(*this, CheckBox1, "CheckBox1");
    Bind(*this, BitBtn6, "BitBtn6");
    Bind(*this, RadioGroup1, "RadioGroup1");
    Bind(*this, StatusBar1, "StatusBar1");
    Bind(*this, Timer2, "Timer2");

    Bind(*this, Button1, "Button1");
    Bind(*this, Button4, "Button4");
    Bind(*this, Button5, "Button5");
    Bind(*this, Label5, "Label5");
    Bind(*this, Bevel1, "Bevel1");
    Bind(*this, Label1, "Label1");
    Bind(*this, SpinEdit1, "SpinEdit1");
    Bind(*this, Label2, "Label2");
    Bind(*this, BitBtn9, "BitBtn9");
    Bind(*this, BitBtn10, "BitBtn10");
    Bind(*this, Timer1, "Timer1");
    Bind(*this, Label4, "Label4");
    Bind(*this, Bevel2, "Bevel2");
    Bind(*this, BitBtn1, "BitBtn1");
    Bind(*this, BitBtn3, "BitBtn3");
    Bind(*this, BitBtn2, "BitBtn2");
    Bind(*this, SpeedButton1, "SpeedButton1");
    Bind(*this, BitBtn7, "BitBtn7");
    Bind(*this, BitBtn8, "BitBtn8");
    Bind(*this, SpeedButton2, "SpeedButton2");
    Bind(*this, Label6, "Label6");
    Bind(*this, Bevel3, "Bevel3");
    Bind(*this, Label3, "Label3");
    Bind(*this, BitBtn5, "BitBtn5");
    Bind(*this, Edit1, "Edit1");
    Bind(*this, BitBtn4, "BitBtn4");

    auto handler = [this](void (TForm1::*method)(gui::TObject *)) {
        return [this, method](gui::TObject *sender) { (this->*method)(sender); };
    };
    WireEvents({
        {"FormActivate", handler(&TForm1::FormActivate)},
        {"RadioGroup1Click", handler(&TForm1::RadioGroup1Click)},
        {"CheckBox1Click", handler(&TForm1::CheckBox1Click)},
        {"BitBtn11Click", handler(&TForm1::BitBtn11Click)},
        {"BitBtn12Click", handler(&TForm1::BitBtn12Click)},
        {"Timer2Timer", handler(&TForm1::Timer2Timer)},
        {"BitBtn6Click", handler(&TForm1::BitBtn6Click)},
    });
}

void TForm1::SetStatus(int panel, const QString &text) { StatusBar1->SetPanelText(panel, text); }
