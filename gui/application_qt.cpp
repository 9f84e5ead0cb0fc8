#include "gui/application.h"

#include <QApplication>
#include <QIcon>
#include <cstdio>

namespace gui {

std::vector<std::string> CommandLineArguments(int argc, char **argv)
{
    // A Linux command line is bytes in the locale's encoding, UTF-8 here.
    std::vector<std::string> list;
    for (int i = 0; i < argc; ++i)
        list.push_back(QString::fromLocal8Bit(argv[i]).toStdString());
    return list;
}

void WriteCommandLineText(const std::string &text, bool error)
{
    std::FILE *stream = error ? stderr : stdout;
    std::fputs(QString::fromStdString(text).toLocal8Bit().constData(), stream);
    std::fflush(stream);
}

struct TApplication::Toolkit {
    Toolkit(int &argc, char **argv) : application(argc, argv) {}
    QApplication application;
};

TApplication::TApplication(int &argc, char **argv, const ApplicationInfo &info)
    : toolkit_(std::make_unique<Toolkit>(argc, argv))
{
    QApplication::setApplicationName(QString::fromStdString(info.name));
    QApplication::setApplicationVersion(QString::fromStdString(info.version));
    if (!info.desktopId.empty())
        QGuiApplication::setDesktopFileName(QString::fromStdString(info.desktopId));
    if (!info.icon.empty())
        QApplication::setWindowIcon(QIcon(QString::fromStdString(info.icon)));
}

TApplication::~TApplication() = default;

int TApplication::Run()
{
    return QApplication::exec();
}

} // namespace gui
