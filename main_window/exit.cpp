// "Konec ": the settings are saved only here, whatever else closes the window.
#include "main_window/tform1.h"

#include "serial/drv232.h"

void TForm1::BitBtn6Click(gui::TObject *)
{
    Drv232::DisposeReplyBuffer();
    if (!Drv232::SaveParameters())
        gui::ShowWarningBox(this, "Chyba při ukládání parametrů");
    Close();
}
