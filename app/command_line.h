#pragma once
// The program's command line, read before any window or port is opened.
#include <string>
#include <vector>

struct CommandLine {
    enum class Action { Run, Help, Version, Error };
    Action action = Action::Run;
    bool service = false; // the main window with its service controls shown
    std::string text;     // the help text or the error message
};

// arguments: the program's name, then its arguments, as UTF-8.
CommandLine ParseCommandLine(const std::vector<std::string> &arguments);
