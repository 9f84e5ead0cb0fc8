// Function 2 (minutes:seconds of the PC's clock) against an emulated display,
// on the real clock: how long after each change of second the new value
// reaches the line, whether a second is lost or sent twice, and what the
// running window costs in CPU time.
//
// The display runs in a child process forked before Qt starts any thread, so
// that getrusage(RUSAGE_SELF) is the window alone; the emulator's own cost
// comes from wait4.
//
//   qmx_bench_realtime [--seconds N]     (default 60)
#include "gui/qt_widgets.h"
#include "main_window/tform1.h"
#include "serial/drv232.h"
#include "sim/display_sim.h"

#include <QApplication>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using SteadyClock = std::chrono::steady_clock;
using Nanos = std::chrono::nanoseconds;

// The search starts one below the stored port, so the display is found on
// the first try and the run starts within a second.
constexpr int kStoredPort = 3;
constexpr int kDisplayPort = 2;
constexpr int kRealTimeMinutesSeconds = 2;

double Ms(Nanos d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}
double Seconds(Nanos d)
{
    return std::chrono::duration<double>(d).count();
}

[[noreturn]] void Fail(const std::string &why)
{
    std::fprintf(stderr, "qmx_bench_realtime: %s\n", why.c_str());
    std::exit(1);
}

bool WriteAll(int fd, const std::string &text)
{
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// --- the emulated display in its own process ----------------------------------

struct LoggedFrame {
    char kind = 'G'; // V value, D digit, G garbage
    SteadyClock::time_point received;
    std::vector<std::uint8_t> bytes;
};

// One line a frame: kind, first-byte time on the steady clock, bytes in hex.
// CLOCK_MONOTONIC is one clock for the whole machine, so the child's times
// compare with the parent's.
std::string FrameLine(const sim::Frame &frame)
{
    const char kind = frame.kind == sim::Frame::Kind::Value ? 'V' : frame.kind == sim::Frame::Kind::Digit ? 'D' : 'G';
    std::string line = std::string(1, kind) + ' ' +
                       std::to_string(std::chrono::duration_cast<Nanos>(frame.received.time_since_epoch()).count()) +
                       ' ';
    char hex[3];
    for (std::uint8_t byte : frame.bytes) {
        std::snprintf(hex, sizeof hex, "%02X", byte);
        line += hex;
    }
    return line + '\n';
}

std::optional<LoggedFrame> ParseFrameLine(const std::string &line)
{
    char kind = 0;
    long long ns = 0;
    char hex[1024] = {};
    if (std::sscanf(line.c_str(), "%c %lld %1023s", &kind, &ns, hex) < 2)
        return std::nullopt;
    LoggedFrame frame;
    frame.kind = kind;
    frame.received = SteadyClock::time_point(Nanos(ns));
    for (std::size_t i = 0; hex[i] && hex[i + 1]; i += 2)
        frame.bytes.push_back(static_cast<std::uint8_t>(std::stoi(std::string(hex + i, 2), nullptr, 16)));
    return frame;
}

[[noreturn]] void RunDisplay(const std::string &portDir, int control, int output)
{
    sim::Options options;
    options.portDir = portDir;
    options.portNumber = kDisplayPort;
    options.initialValue = "0000";
    options.pacing = true;
    std::string log;
    {
        sim::DisplaySim display(options);
        if (!display.start()) {
            WriteAll(output, "E " + display.error() + "\n");
            _exit(1);
        }
        WriteAll(output, "R\n");
        // Any byte, or the parent's end closing, ends the run.
        char byte;
        while (read(control, &byte, 1) < 0 && errno == EINTR) {
        }
        display.stop();
        for (const sim::Frame &frame : display.frames())
            log += FrameLine(frame);
    }
    WriteAll(output, log);
    _exit(0);
}

struct DisplayProcess {
    pid_t pid = -1;
    int control = -1;
    FILE *output = nullptr;
    SteadyClock::time_point started;
};

DisplayProcess StartDisplay(const std::string &portDir)
{
    int control[2], output[2];
    if (pipe(control) != 0 || pipe(output) != 0)
        Fail(std::string("pipe: ") + std::strerror(errno));
    std::fflush(nullptr);
    DisplayProcess process;
    process.started = SteadyClock::now();
    process.pid = fork();
    if (process.pid < 0)
        Fail(std::string("fork: ") + std::strerror(errno));
    if (process.pid == 0) {
        close(control[1]);
        close(output[0]);
        RunDisplay(portDir, control[0], output[1]);
    }
    close(control[0]);
    close(output[1]);
    process.control = control[1];
    process.output = fdopen(output[0], "r");

    char line[512] = {};
    if (!std::fgets(line, sizeof line, process.output))
        Fail("the display process ended before its port was ready");
    if (line[0] != 'R')
        Fail(std::string("the display did not start: ") + (line + std::min<std::size_t>(2, std::strlen(line))));
    return process;
}

struct DisplayResult {
    std::vector<LoggedFrame> frames;
    rusage usage{};
    Nanos lifetime{};
};

DisplayResult StopDisplay(DisplayProcess &process)
{
    DisplayResult result;
    WriteAll(process.control, "q");
    close(process.control);
    char line[2048];
    while (std::fgets(line, sizeof line, process.output))
        if (auto frame = ParseFrameLine(line))
            result.frames.push_back(std::move(*frame));
    std::fclose(process.output);
    int status = 0;
    if (wait4(process.pid, &status, 0, &result.usage) < 0)
        Fail(std::string("wait4: ") + std::strerror(errno));
    result.lifetime = SteadyClock::now() - process.started;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        Fail("the display process failed");
    return result;
}

// --- clocks ---------------------------------------------------------------------

// system_clock minus steady_clock, from the tightest of a few paired readings.
Nanos SystemMinusSteady()
{
    Nanos best = Nanos::max(), offset{};
    for (int i = 0; i < 20; ++i) {
        const auto before = SteadyClock::now();
        const auto system = std::chrono::system_clock::now();
        const auto after = SteadyClock::now();
        if (after - before < best) {
            best = after - before;
            const Nanos middle = before.time_since_epoch() + (after - before) / 2;
            offset = std::chrono::duration_cast<Nanos>(system.time_since_epoch()) - middle;
        }
    }
    return offset;
}

Nanos Duration(const timeval &tv)
{
    return std::chrono::seconds(tv.tv_sec) + std::chrono::microseconds(tv.tv_usec);
}

Nanos CpuTime(const rusage &usage)
{
    return Duration(usage.ru_utime) + Duration(usage.ru_stime);
}

rusage SelfUsage()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage;
}

// The second (epoch seconds) whose local minutes:seconds the frame carries,
// the nearest at or before the frame's arrival; nothing when the frame holds
// no "mmss" or no such second lies within the hour around it.
std::optional<std::time_t> CarriedSecond(const LoggedFrame &frame, Nanos arrivalSinceEpoch)
{
    if (frame.bytes.size() != 7 || frame.bytes[0] != 'D')
        return std::nullopt;
    int digits[4];
    for (int i = 0; i < 4; ++i) {
        const std::uint8_t c = frame.bytes[1 + i];
        if (c < '0' || c > '9')
            return std::nullopt;
        digits[i] = c - '0';
    }
    const int minute = digits[0] * 10 + digits[1];
    const int second = digits[2] * 10 + digits[3];
    const std::time_t arrived = std::chrono::duration_cast<std::chrono::seconds>(arrivalSinceEpoch).count();
    // A frame a little ahead of its second would mean the two clocks disagree;
    // look there too, so that shows as a negative delay rather than an hour.
    for (std::time_t back = -2; back < 3600; ++back) {
        const std::time_t t = arrived - back;
        tm parts{};
        localtime_r(&t, &parts);
        if (parts.tm_min == minute && std::min(parts.tm_sec, 59) == second)
            return t;
    }
    return std::nullopt;
}

// Nearest rank: with fewer than 100 samples p99 is the largest.
Nanos Percentile(std::vector<Nanos> sorted, double p)
{
    if (sorted.empty())
        return Nanos{};
    std::sort(sorted.begin(), sorted.end());
    const auto rank = static_cast<std::size_t>(std::ceil(p / 100.0 * static_cast<double>(sorted.size())));
    return sorted[std::clamp<std::size_t>(rank, 1, sorted.size()) - 1];
}

int ParseSeconds(int argc, char **argv)
{
    int seconds = 60;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--seconds" && i + 1 < argc) {
            char *end = nullptr;
            const long value = std::strtol(argv[++i], &end, 10);
            if (*end != '\0' || value < 1 || value > 24 * 3600)
                Fail("--seconds takes a whole number from 1 to 86400");
            seconds = static_cast<int>(value);
        } else if (arg == "--help" || arg == "-h") {
            std::printf("usage: %s [--seconds N]\n", argv[0]);
            std::exit(0);
        } else {
            Fail("unknown argument " + arg + " (usage: --seconds N)");
        }
    }
    return seconds;
}

fs::path MakeTempDir()
{
    std::string pattern = (fs::temp_directory_path() / "qmx-bench-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        Fail(std::string("mkdtemp: ") + std::strerror(errno));
    return pattern;
}

void WriteSettings(const fs::path &file)
{
    Drv232::TParameterRecord record{};
    record.Port = kStoredPort;
    record.Period = 1;
    record.Function = kRealTimeMinutesSeconds;
    record.WholeDisplay = 0;
    std::ofstream(file, std::ios::binary).write(reinterpret_cast<const char *>(&record), sizeof record);
}

} // namespace

int main(int argc, char **argv)
{
    const int runSeconds = ParseSeconds(argc, argv);

    const fs::path root = MakeTempDir();
    const fs::path ports = root / "ports";
    const fs::path work = root / "work";
    fs::create_directories(ports);
    fs::create_directories(work);
    WriteSettings(work / "Parametry.par");
    setenv("QMX_PORT_DIR", ports.c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    fs::current_path(work);

    // Before QApplication: a fork after Qt has started threads is unsafe.
    DisplayProcess display = StartDisplay(ports.string());

    QApplication application(argc, argv);
    TForm1 form;
    form.Show();
    if (!QTest::qWaitForWindowActive(gui::qt::Widget(form), 60000))
        Fail("the window never became active");
    QApplication::processEvents();
    if (form.StatusBar1->PanelText(0).find(platform::PortName::Com(kDisplayPort).Label()) == std::string::npos)
        Fail("the display was not found on COM2: " + form.StatusBar1->PanelText(0));

    // Every tick, with the time its handler held the event loop.
    struct Tick {
        Nanos busy;
        bool sent;
    };
    std::vector<Tick> ticks;
    ticks.reserve(static_cast<std::size_t>(runSeconds) * 12 + 16);
    const gui::TNotifyEvent handler = form.Timer2->OnTimer;
    form.Timer2->OnTimer = [&](gui::TObject *sender) {
        const std::uint16_t before = form.LastSecond;
        const auto start = SteadyClock::now();
        handler(sender);
        ticks.push_back({SteadyClock::now() - start, form.LastSecond != before});
    };

    const Nanos offset = SystemMinusSteady();
    const auto clickBefore = SteadyClock::now();
    form.BitBtn11->Click();
    const auto clickAfter = SteadyClock::now();
    if (!form.Running)
        Fail("Start did not start function 2");

    const rusage usageBefore = SelfUsage();
    const auto runStart = SteadyClock::now();
    QTimer::singleShot(runSeconds * 1000, Qt::PreciseTimer, &application, &QApplication::quit);
    application.exec();
    const auto runEnd = SteadyClock::now();
    const rusage usageAfter = SelfUsage();
    form.BitBtn11->Click();
    Drv232::ClosePort();

    DisplayResult result = StopDisplay(display);

    // --- what reached the line ---------------------------------------------------
    auto toSystem = [&](SteadyClock::time_point t) { return t.time_since_epoch() + offset; };
    std::optional<std::pair<std::time_t, Nanos>> startSend; // the Start button's own frame
    std::map<std::time_t, std::vector<Nanos>> perSecond;    // tick frames by the second they carry
    int unreadable = 0, otherFrames = 0;
    for (const LoggedFrame &frame : result.frames) {
        if (frame.received < clickBefore)
            continue; // the search's probe
        if (frame.kind != 'V') {
            ++otherFrames;
            continue;
        }
        const Nanos arrival = toSystem(frame.received);
        const auto second = CarriedSecond(frame, arrival);
        if (!second) {
            ++unreadable;
            continue;
        }
        const Nanos delay = arrival - std::chrono::seconds(*second);
        if (frame.received <= clickAfter && !startSend)
            startSend = {{*second, delay}};
        else
            perSecond[*second].push_back(delay);
    }

    // Seconds that began after Start and had a whole second before the stop.
    const auto firstSecond = static_cast<std::time_t>(std::ceil(Seconds(toSystem(clickAfter))));
    const auto lastSecond = static_cast<std::time_t>(std::floor(Seconds(toSystem(runEnd)))) - 1;
    std::vector<Nanos> delays;
    int missed = 0, sentTwice = 0, outside = 0;
    std::optional<Nanos> startRepeat;
    for (std::time_t s = firstSecond; s <= lastSecond; ++s) {
        auto it = perSecond.find(s);
        if (it == perSecond.end()) {
            ++missed;
            continue;
        }
        delays.push_back(it->second.front());
        if (it->second.size() > 1)
            ++sentTwice;
    }
    for (const auto &[second, list] : perSecond) {
        if (second >= firstSecond && second <= lastSecond)
            continue;
        if (startSend && second == startSend->first && !startRepeat)
            startRepeat = list.front();
        else
            outside += static_cast<int>(list.size());
    }
    const int expected = static_cast<int>(std::max<std::time_t>(0, lastSecond - firstSecond + 1));

    std::vector<Nanos> sendingBusy, idleBusy;
    for (const Tick &tick : ticks)
        (tick.sent ? sendingBusy : idleBusy).push_back(tick.busy);

    const Nanos runWall = runEnd - runStart;
    const Nanos windowCpu = CpuTime(usageAfter) - CpuTime(usageBefore);
    const Nanos displayCpu = CpuTime(result.usage);
    auto perMinute = [](Nanos cpu, Nanos wall) { return Seconds(cpu) * 60.0 / std::max(Seconds(wall), 1e-9); };

    // --- the table -------------------------------------------------------------
    std::printf("function 2 (mm:ss of the real clock), %.1f s run, display on COM%d, 9600 baud paced\n\n",
                Seconds(runWall), kDisplayPort);
    std::printf("delay from the change of second to the frame's first byte\n");
    std::printf("  %-34s %10zu\n", "frames", delays.size());
    std::printf("  %-34s %10.1f ms\n", "median", Ms(Percentile(delays, 50)));
    std::printf("  %-34s %10.1f ms\n", "p99", Ms(Percentile(delays, 99)));
    std::printf("  %-34s %10.1f ms\n", "max", Ms(Percentile(delays, 100)));
    std::printf("  %-34s %10.1f ms\n", "min",
                Ms(delays.empty() ? Nanos{} : *std::min_element(delays.begin(), delays.end())));
    std::printf("  %-34s %6d of %d\n", "seconds missed", missed, expected);
    std::printf("  %-34s %10d\n", "seconds sent twice", sentTwice);
    if (startSend)
        std::printf("  %-34s %10.1f ms into its second\n", "Start button's own send", Ms(startSend->second));
    std::printf("  %-34s %10s", "that second sent again by a tick", startRepeat ? "yes" : "no");
    if (startRepeat)
        std::printf(" (%.1f ms into it)", Ms(*startRepeat));
    std::printf("\n");
    if (outside || unreadable || otherFrames)
        std::printf("  %-34s %d outside the run, %d unreadable, %d not value frames\n", "other frames", outside,
                    unreadable, otherFrames);

    std::printf("\nTimer2 ticks\n");
    std::printf("  %-34s %10zu (%.2f a second)\n", "ticks", ticks.size(),
                static_cast<double>(ticks.size()) / Seconds(runWall));
    std::printf("  %-34s %10.2f ms median, %.2f ms max\n", "handler time, sending ticks",
                Ms(Percentile(sendingBusy, 50)), Ms(Percentile(sendingBusy, 100)));
    std::printf("  %-34s %10.3f ms median, %.3f ms max\n", "handler time, other ticks", Ms(Percentile(idleBusy, 50)),
                Ms(Percentile(idleBusy, 100)));

    std::printf("\nCPU time (user + sys)\n");
    std::printf("  %-34s %10.3f s per minute (%.3f s user, %.3f s sys in %.1f s)\n", "window process, while running",
                perMinute(windowCpu, runWall), Seconds(Duration(usageAfter.ru_utime) - Duration(usageBefore.ru_utime)),
                Seconds(Duration(usageAfter.ru_stime) - Duration(usageBefore.ru_stime)), Seconds(runWall));
    std::printf("  %-34s %10.3f s per minute (%.3f s in its %.1f s)\n", "display process, whole life",
                perMinute(displayCpu, result.lifetime), Seconds(displayCpu), Seconds(result.lifetime));

    std::error_code ignored;
    fs::current_path(fs::temp_directory_path(), ignored);
    fs::remove_all(root, ignored);
    return 0;
}
