#pragma once
// The program around the windows: its arguments, the text it answers on the
// command line, and the message loop. UTF-8 throughout.
#include <memory>
#include <string>
#include <vector>

namespace gui {

// The program's name and arguments as UTF-8, whatever the system gives.
std::vector<std::string> CommandLineArguments(int argc, char **argv);

// Text the command line asks for (help, version) or an error about it: to
// the terminal that started the program (standard output, or standard error
// for an error); a Windows program started without one shows a message box.
void WriteCommandLineText(const std::string &text, bool error);

struct ApplicationInfo {
    std::string name; // "qmx8350t"
    std::string version;
    std::string desktopId; // the desktop entry the windows belong to (Linux)
    std::string icon;      // the windows' default icon, as in a layout
};

// The toolkit, set up for the program's windows. One per program, made after
// the command line was read and before the first window.
class TApplication {
public:
    TApplication(int &argc, char **argv, const ApplicationInfo &info);
    ~TApplication();
    TApplication(const TApplication &) = delete;
    TApplication &operator=(const TApplication &) = delete;
    // Runs the message loop until the last window has closed; the exit code.
    int Run();

private:
    struct Toolkit;
    std::unique_ptr<Toolkit> toolkit_;
};

} // namespace gui
