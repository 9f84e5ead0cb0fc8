// The program: its command line, its main window and the message loop. The
// settings come from "Parametry.par" in the working directory.
#include "command_line.h"
#include "gui/application.h"
#include "main_window/tform1.h"

int main(int argc, char *argv[])
{
    // Read before the toolkit starts, so that --help and a wrong option work
    // without a display and open nothing.
    const CommandLine command = ParseCommandLine(gui::CommandLineArguments(argc, argv));
    const std::string program = "qmx8350t";
    switch (command.action) {
    case CommandLine::Action::Error:
        gui::WriteCommandLineText(program + ": " + command.text + "\nTry '" + program + " --help'.\n", true);
        return 2;
    case CommandLine::Action::Help:
        gui::WriteCommandLineText(command.text, false);
        return 0;
    case CommandLine::Action::Version:
        gui::WriteCommandLineText(program + " " QMX_VERSION "\n", false);
        return 0;
    case CommandLine::Action::Run:
        break;
    }

    gui::TApplication application(argc, argv, {program, QMX_VERSION, QMX_DESKTOP_ID, ":/icons/qmx8350t.ico"});
    TForm1 Form1;
    if (command.service)
        Form1.ShowServiceControls();
    Form1.Show();
    return application.Run();
}
