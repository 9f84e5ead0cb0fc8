#include "test_window/tform2.h"

#include "test_window/form2_layout.h"

#include <stdexcept>
#include <string>

namespace {

template <class T> void Bind(const gui::TForm &form, T *&member, const char *name) {
    member = form.Find<T>(name);
    if (!member)
        throw std::logic_error(std::string("the test window's layout lacks ") + name);
}

} // namespace

TForm2::TForm2(gui::TForm *owner) : gui::TForm(Form2Layout(), owner) {
    Bind(*this, Label14, "Label14");
    Bind(*this, Label9, "Label9");
    Bind(*this, Label10, "Label10");
    Bind(*this, Label11, "Label11");
    Bind(*this, Label12, "Label12");
    Bind(*this, Label13, "Label13");
    Bind(*this, Label1, "Label1");
    Bind(*this, Label2, "Label2");
    Bind(*this, Label15, "Label15");
    Bind(*this, Label3, "Label3");
    Bind(*this, Button1, "Button1");
    Bind(*this, Button2, "Button2");
    Bind(*this, Button3, "Button3");
    Bind(*this, Button5, "Button5");
    Bind(*this, Panel1, "Panel1");
    Bind(*this, Edit1, "Edit1");
    Bind(*this, Edit2, "Edit2");
    Bind(*this, Timer1, "Timer1");
}
