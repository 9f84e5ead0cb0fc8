// The program around the windows on Windows: its wide command line, text for
// the console that started it (or a message box), and the message loop with
// the dialog keys (Tab, arrows, accelerators, Return) for our windows.
#include "gui/application.h"
#include "gui/peer_win32.h"
#include "gui/text_win32.h"

#include <commctrl.h>
#include <shellapi.h>

namespace gui {

std::vector<std::string> CommandLineArguments(int, char **)
{
    // argv holds the arguments in the ANSI code page; the wide command line
    // holds them whole.
    std::vector<std::string> list;
    int count = 0;
    if (LPWSTR *args = CommandLineToArgvW(GetCommandLineW(), &count)) {
        for (int i = 0; i < count; ++i)
            list.push_back(detail::Utf8(args[i]));
        LocalFree(args);
    }
    return list;
}

void WriteCommandLineText(const std::string &text, bool error)
{
    // Output redirected to a file or a pipe takes the bytes as they are.
    HANDLE out = GetStdHandle(error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    const DWORD type = out && out != INVALID_HANDLE_VALUE ? GetFileType(out) : FILE_TYPE_UNKNOWN;
    if (type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE) {
        DWORD written = 0;
        WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
        return;
    }
    // A window program has no console of its own: the one of the shell that
    // started it, if any, else a message box.
    std::wstring wide = detail::Wide(text);
    if (type == FILE_TYPE_CHAR || AttachConsole(ATTACH_PARENT_PROCESS)) {
        HANDLE console = CreateFileW(L"CONOUT$", GENERIC_WRITE, FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
        if (console != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteConsoleW(console, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
            CloseHandle(console);
            return;
        }
    }
    MessageBoxW(nullptr, wide.c_str(), L"qmx8350t", MB_OK | (error ? MB_ICONERROR : MB_ICONINFORMATION));
}

namespace detail {

bool HandleDialogMessage(MSG &msg)
{
    HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
    wchar_t name[32] = L"";
    if (root)
        GetClassNameW(root, name, 32);
    return lstrcmpW(name, L"qmx8350t.TForm") == 0 && IsDialogMessageW(root, &msg);
}

bool PumpUntil(const std::function<bool()> &done)
{
    MSG msg;
    while (!done()) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got <= 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            return false;
        }
        if (!HandleDialogMessage(msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return true;
}

} // namespace detail

struct TApplication::Toolkit {};

TApplication::TApplication(int &, char **, const ApplicationInfo &) : toolkit_(std::make_unique<Toolkit>())
{
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_BAR_CLASSES | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&controls);
    detail::TimerWindow();
}

TApplication::~TApplication() = default;

int TApplication::Run()
{
    MSG msg{};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!detail::HandleDialogMessage(msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return static_cast<int>(msg.wParam);
}

} // namespace gui
