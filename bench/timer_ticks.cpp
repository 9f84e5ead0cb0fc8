// How evenly the windows' timers tick: a 99 ms timer (the real-time clock's)
// in a shown window, the intervals between its ticks on the steady clock.
//   qmx_bench_timer [--ticks N] [--interval MS]
// Prints the mean, the spread (standard deviation), the shortest and the
// longest interval. Built for both backends: on Windows it runs under Wine.
#include "gui/application.h"
#include "gui/controls.h"
#include "gui/form.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numeric>
#include <string>
#include <vector>

int main(int argc, char **argv)
{
    int ticks = 100, interval = 99;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--ticks")
            ticks = std::max(2, std::atoi(argv[i + 1]));
        else if (option == "--interval")
            interval = std::max(1, std::atoi(argv[i + 1]));
    }
    gui::TApplication application(argc, argv, {"qmx_bench_timer", "", "", ""});
    gui::FormLayout layout;
    layout.name = "BenchForm";
    layout.title = "qmx_bench_timer";
    layout.outerWidth = 200;
    layout.outerHeight = 80;
    gui::TForm form(layout);
    form.SetClientSize(200, 80);

    using Clock = std::chrono::steady_clock;
    std::vector<Clock::time_point> at;
    gui::TTimer timer;
    timer.SetInterval(interval);
    timer.OnTimer = [&](gui::TObject *) {
        at.push_back(Clock::now());
        if (static_cast<int>(at.size()) == ticks + 1) {
            timer.SetEnabled(false);
            form.Close();
        }
    };
    form.Show();
    timer.SetEnabled(true);
    application.Run();

    std::vector<double> ms;
    for (std::size_t i = 1; i < at.size(); ++i)
        ms.push_back(std::chrono::duration<double, std::milli>(at[i] - at[i - 1]).count());
    if (ms.empty())
        return 1;
    const double mean = std::accumulate(ms.begin(), ms.end(), 0.0) / static_cast<double>(ms.size());
    double square = 0;
    for (double v : ms)
        square += (v - mean) * (v - mean);
    const auto [low, high] = std::minmax_element(ms.begin(), ms.end());
    std::printf("%zu ticks of a %d ms timer: mean %.2f ms, spread %.2f ms, shortest %.2f ms, longest %.2f ms\n",
                ms.size(), interval, mean, std::sqrt(square / static_cast<double>(ms.size())), *low, *high);
    return 0;
}
