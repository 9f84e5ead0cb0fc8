#pragma once
// The program's command line, read before any window or port is opened.
#include <QString>
#include <QStringList>

struct CommandLine {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    bool service = false; // the main window with its service controls shown
    QString text;         // the help text or the error message
};

CommandLine ParseCommandLine(const QStringList &arguments);
