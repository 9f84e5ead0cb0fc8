#include "test_window/tform2.h"

#include "test_window/form2_layout.h"

TForm2::TForm2(gui::TForm *owner) : gui::TForm(Form2Layout(), owner) {
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
}
