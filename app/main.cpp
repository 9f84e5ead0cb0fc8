// The program: its main window and the message loop. It reads no arguments;
// the settings come from "Parametry.par" in the working directory.
#include "main_window/tform1.h"

#include <QApplication>

int main(int argc, char *argv[]) {
    QApplication application(argc, argv);
    TForm1 Form1;
    Form1.Show();
    return application.exec();
}
