#include "cli/system.h"

#include <windows.h>

#include <shellapi.h>

#include <atomic>

namespace qmxctl {
namespace {

std::atomic<bool> stopRequested{false};
// Set by the console's handler thread, so that the sleep ends at once.
HANDLE stopEvent = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);

BOOL WINAPI OnConsoleEvent(DWORD event)
{
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT)
        return FALSE;
    stopRequested = true;
    ::SetEvent(stopEvent);
    return TRUE;
}

std::string Utf8(const wchar_t *wide)
{
    const int size = ::WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    std::string text(std::size_t(size > 0 ? size - 1 : 0), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide, -1, text.data(), size, nullptr, nullptr);
    return text;
}

} // namespace

std::vector<std::string> CommandLineArguments(int, char *[])
{
    // The char arguments are in the ANSI code page, which has no room for
    // every Czech letter of a value.
    ::SetConsoleOutputCP(CP_UTF8);
    int count = 0;
    wchar_t **wide = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    std::vector<std::string> arguments;
    for (int i = 1; wide && i < count; ++i)
        arguments.push_back(Utf8(wide[i]));
    ::LocalFree(wide);
    return arguments;
}

void CatchStopSignals()
{
    ::SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
}

bool StopRequested()
{
    return stopRequested;
}

void SleepUntilNextSecond()
{
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    ::WaitForSingleObject(stopEvent, DWORD(1000 - now.wMilliseconds));
}

std::string AskForRealTimeScheduling()
{
    // Windows' nearest: a high priority class, which an ordinary user may
    // take (the real-time class it would quietly lower to this one).
    if (::SetPriorityClass(::GetCurrentProcess(), HIGH_PRIORITY_CLASS))
        return "the high priority class obtained";
    return "no high priority class; the clock runs at the normal priority";
}

// Windows' service log is not a stream on standard error.
std::string JournalPrefix(bool)
{
    return {};
}

} // namespace qmxctl
