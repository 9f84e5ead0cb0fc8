// Precise timers: a thread per running timer waits on a high-resolution
// waitable timer (not on the 15.6 ms grid of SetTimer) and posts its ticks to
// a hidden window, so that any message loop delivers them, a modal window's
// or a message box's too.
#include "gui/controls.h"
#include "gui/peer_win32.h"

#include <set>
#include <stdexcept>
#include <string>

namespace gui {

namespace detail {

#ifndef CREATE_WAITABLE_TIMER_HIGH_RESOLUTION
#define CREATE_WAITABLE_TIMER_HIGH_RESOLUTION 0x00000002
#endif

namespace {

std::set<TimerPeer *> &Alive()
{
    static std::set<TimerPeer *> alive;
    return alive;
}

LRESULT CALLBACK timerProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == kTickMessage) {
        auto *timer = reinterpret_cast<TTimer *>(lParam);
        auto *peer = reinterpret_cast<TimerPeer *>(wParam);
        // A tick still queued for a timer that is gone is dropped.
        if (!Alive().count(peer))
            return 0;
        peer->pending = false;
        if (peer->running)
            if (TNotifyEvent handler = timer->OnTimer)
                handler(timer);
        return 0;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

} // namespace

HWND TimerWindow()
{
    static HWND window = [] {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = timerProc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"qmx8350t.TTimer";
        HWND hwnd = RegisterClassExW(&wc) ? CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE,
                                                            nullptr, wc.hInstance, nullptr)
                                          : nullptr;
        if (!hwnd)
            throw std::runtime_error("the timers' window cannot be created (error " + std::to_string(GetLastError()) +
                                     ")");
        return hwnd;
    }();
    return window;
}

TimerPeer::TimerPeer()
{
    Alive().insert(this);
}

TimerPeer::~TimerPeer()
{
    Stop();
    Alive().erase(this);
}

void TimerPeer::Start(int intervalMs, TTimer *timer)
{
    Stop();
    running = true;
    stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HWND target = TimerWindow();
    thread_ = std::thread([this, intervalMs, timer, target, stop = stop_] {
        HANDLE clock =
            CreateWaitableTimerExW(nullptr, nullptr, CREATE_WAITABLE_TIMER_HIGH_RESOLUTION, TIMER_ALL_ACCESS);
        if (!clock)
            clock = CreateWaitableTimerExW(nullptr, nullptr, 0, TIMER_ALL_ACCESS);
        LARGE_INTEGER frequency, now;
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&now);
        const long long step = frequency.QuadPart * intervalMs / 1000;
        long long due = now.QuadPart + step;
        HANDLE waits[2] = {stop, clock};
        for (;;) {
            QueryPerformanceCounter(&now);
            // A late tick is not made up: the next one is a whole interval
            // after the one that was missed.
            while (due <= now.QuadPart - step)
                due += step;
            LARGE_INTEGER relative;
            relative.QuadPart = -std::max(0LL, (due - now.QuadPart) * 10000000 / frequency.QuadPart);
            SetWaitableTimer(clock, &relative, 0, nullptr, nullptr, FALSE);
            if (WaitForMultipleObjects(2, waits, FALSE, INFINITE) != WAIT_OBJECT_0 + 1)
                break;
            due += step;
            if (!pending.exchange(true))
                PostMessageW(target, kTickMessage, reinterpret_cast<WPARAM>(this), reinterpret_cast<LPARAM>(timer));
        }
        CloseHandle(clock);
    });
}

void TimerPeer::Stop()
{
    running = false;
    if (thread_.joinable()) {
        SetEvent(stop_);
        thread_.join();
    }
    if (stop_) {
        CloseHandle(stop_);
        stop_ = nullptr;
    }
    // A tick already posted finds the timer stopped and does nothing.
}

} // namespace detail

TTimer::TTimer() : timer_(std::make_unique<detail::TimerPeer>()) {}

TTimer::~TTimer() = default;

void TTimer::Apply()
{
    // An interval of 0 means the timer is off.
    if (enabled_ && interval_ > 0)
        timer_->Start(interval_, this);
    else
        timer_->Stop();
}

} // namespace gui
