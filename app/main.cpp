// The program: its command line, its main window and the message loop. The
// settings come from "Parametry.par" in the working directory.
#include "app/command_line.h"
#include "main_window/tform1.h"

#include <QApplication>
#include <QIcon>
#include <cstdio>

namespace {

QStringList Arguments(int argc, char *argv[]) {
    QStringList list;
    for (int i = 0; i < argc; ++i)
        list.append(QString::fromLocal8Bit(argv[i]));
    return list;
}

void Print(std::FILE *stream, const QString &text) {
    std::fputs(text.toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

} // namespace

int main(int argc, char *argv[]) {
    // Read before the application object exists, so that --help and a wrong
    // option work without a display and open nothing.
    const CommandLine command = ParseCommandLine(Arguments(argc, argv));
    const QString program = QStringLiteral("qmx8350t");
    switch (command.action) {
    case CommandLine::Action::Error:
        Print(stderr, program + QStringLiteral(": ") + command.text + QStringLiteral("\nTry '") + program +
                          QStringLiteral(" --help'.\n"));
        return 2;
    case CommandLine::Action::Help:
        Print(stdout, QString(command.text).replace(QStringLiteral("<executable_name>"), program));
        return 0;
    case CommandLine::Action::Version:
        Print(stdout, program + QStringLiteral(" ") + QStringLiteral(QMX_VERSION) + QStringLiteral("\n"));
        return 0;
    case CommandLine::Action::Run:
        break;
    }

    QApplication application(argc, argv);
    QApplication::setApplicationName(program);
    QApplication::setApplicationVersion(QStringLiteral(QMX_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral(QMX_DESKTOP_ID));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/qmx8350t.ico")));
    TForm1 Form1;
    if (command.service)
        Form1.ShowServiceControls();
    Form1.Show();
    return application.exec();
}
