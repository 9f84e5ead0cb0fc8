// Prints a window of another program and its controls as JSON lines, for
// the tests that drive the Windows program under Wine from outside:
//   read_window.exe TITLE [CLASS]
// The first line is the window, then one line per control: class, id,
// text, shown, enabled, check state (buttons), status-bar panel texts, and
// the rectangle on the screen. Exit status 1 when no window has that title
// (and class: "#32770" finds a message box titled as its owner).
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string Utf8(const std::wstring &wide)
{
    const int n =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::string Json(const std::wstring &text)
{
    std::string out = "\"";
    for (char c : Utf8(text)) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (static_cast<unsigned char>(c) < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += c;
        }
    }
    return out + "\"";
}

// Another process's window text: GetWindowText reads only this process's.
std::wstring Text(HWND hwnd)
{
    DWORD_PTR length = 0;
    SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length);
    std::wstring text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    SendMessageTimeoutW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG, 2000,
                        &copied);
    text.resize(copied);
    return text;
}

// A status bar's panel texts, through a buffer in the other process.
std::vector<std::wstring> Panels(HWND bar)
{
    std::vector<std::wstring> panels;
    DWORD pid = 0;
    GetWindowThreadProcessId(bar, &pid);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process)
        return panels;
    constexpr SIZE_T kBytes = 4096;
    void *remote = VirtualAllocEx(process, nullptr, kBytes, MEM_COMMIT, PAGE_READWRITE);
    const auto parts = static_cast<int>(SendMessageW(bar, SB_GETPARTS, 0, 0));
    for (int i = 0; i < parts && remote; ++i) {
        std::wstring text(kBytes / sizeof(wchar_t), L'\0');
        SendMessageW(bar, SB_GETTEXTW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(remote));
        SIZE_T read = 0;
        ReadProcessMemory(process, remote, text.data(), kBytes - sizeof(wchar_t), &read);
        text.resize(wcslen(text.c_str()));
        panels.push_back(text);
    }
    if (remote)
        VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return panels;
}

void Print(HWND hwnd, bool window)
{
    wchar_t cls[128] = L"";
    GetClassNameW(hwnd, cls, 128);
    RECT r{};
    GetWindowRect(hwnd, &r);
    std::string line = "{\"class\":" + Json(cls) + ",\"id\":" + std::to_string(window ? 0 : GetDlgCtrlID(hwnd)) +
                       ",\"text\":" + Json(Text(hwnd)) + ",\"shown\":" + (IsWindowVisible(hwnd) ? "true" : "false") +
                       ",\"enabled\":" + (IsWindowEnabled(hwnd) ? "true" : "false");
    if (lstrcmpiW(cls, L"Button") == 0) {
        DWORD_PTR state = 0;
        SendMessageTimeoutW(hwnd, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 2000, &state);
        line += ",\"checked\":" + std::string(state == BST_CHECKED ? "true" : "false");
    }
    if (lstrcmpiW(cls, STATUSCLASSNAMEW) == 0) {
        line += ",\"panels\":[";
        const std::vector<std::wstring> panels = Panels(hwnd);
        for (std::size_t i = 0; i < panels.size(); ++i)
            line += (i ? "," : "") + Json(panels[i]);
        line += "]";
    }
    line += ",\"rect\":[" + std::to_string(r.left) + "," + std::to_string(r.top) + "," +
            std::to_string(r.right - r.left) + "," + std::to_string(r.bottom - r.top) + "]}\n";
    std::fputs(line.c_str(), stdout);
}

} // namespace

int main()
{
    // Places in the screen's own pixels, at any dpi, as xdotool clicks them.
    SetProcessDPIAware();
    int argc = 0;
    LPWSTR *argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc != 2 && argc != 3) {
        std::fputs("usage: read_window TITLE [CLASS]\n", stderr);
        return 2;
    }
    HWND window = FindWindowW(argc == 3 ? argv[2] : nullptr, argv[1]);
    if (!window)
        return 1;
    Print(window, true);
    EnumChildWindows(
        window,
        [](HWND child, LPARAM) -> BOOL {
            Print(child, false);
            return TRUE;
        },
        0);
    return 0;
}
