// qmx8350t-sim: the display on pseudo-terminals, for a person to run beside
// the program. Shows what the display holds in large characters and logs
// every frame on the line.
#include "sim/big_font.h"
#include "sim/command_line.h"
#include "sim/control.h"
#include "sim/display_sim.h"
#include "sim/log_text.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <fcntl.h>
#include <iostream>
#include <memory>
#include <mutex>
#include <poll.h>
#include <utility>
#include <unistd.h>

namespace {

using namespace sim;

constexpr std::size_t kScreenLogLines = 15;

int gSignalPipe[2] = {-1, -1};

// Only wakes the main loop; everything else happens there.
void OnSignal(int)
{
    const int saved = errno;
    const char byte = 's';
    [[maybe_unused]] const ssize_t n = write(gSignalPipe[1], &byte, 1);
    errno = saved;
}

struct Port {
    std::string name;
    std::unique_ptr<DisplaySim> sim;
    bool cellsSeen = false;
};

struct Event {
    std::size_t port = 0;
    std::vector<std::string> lines;
    Frame::Kind kind = Frame::Kind::Garbage;
    std::string value;
    std::array<std::uint8_t, 5> cells{};
};

// Frames arrive on the emulators' threads; only the main thread writes to
// stdout, so they are handed over here with a byte in a pipe to wake it.
class EventQueue {
public:
    bool open() { return pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) == 0; }
    int readFd() const { return pipe_[0]; }

    void push(Event event)
    {
        {
            std::lock_guard lock(mutex_);
            events_.push_back(std::move(event));
        }
        const char byte = 'e';
        [[maybe_unused]] const ssize_t n = write(pipe_[1], &byte, 1);
    }

    std::deque<Event> take()
    {
        char drain[64];
        while (read(pipe_[0], drain, sizeof drain) > 0) {
        }
        std::lock_guard lock(mutex_);
        return std::exchange(events_, {});
    }

private:
    int pipe_[2] = {-1, -1};
    std::mutex mutex_;
    std::deque<Event> events_;
};

std::string LinkText(const Port &port)
{
    if (!port.sim->running())
        return port.name + " gone (no link at " + port.sim->linkPath() + ")";
    return port.name + " -> " + port.sim->slavePath() + " (linked as " + port.sim->linkPath() + ")";
}

void DrawScreen(const std::vector<Port> &ports, const std::deque<std::string> &log, const CommandLine &cmd)
{
    std::string out = "\x1b[H";
    auto line = [&out](const std::string &text) { out += text + "\x1b[K\n"; };
    for (const Port &port : ports) {
        const std::string mode = std::string(BehaviourName(port.sim->behaviour())) + (cmd.pacing ? ", paced" : "");
        line(LinkText(port) + "   [" + mode + "]");
        line("");
        for (const std::string &row : RenderBig(port.sim->value()))
            line("    " + row);
        if (port.cellsSeen) {
            line("");
            for (const std::string &row : RenderBigCells(port.sim->digitCells()))
                line("    " + row);
        }
        line("");
    }
    for (const std::string &entry : log)
        line(entry);
    line("Ctrl-C ends.");
    out += "\x1b[J";
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fflush(stdout);
}

void PrintPlain(const Event &event)
{
    for (const std::string &text : event.lines)
        std::printf("%s\n", text.c_str());
    if (event.kind == Frame::Kind::Digit)
        std::printf("cells: [%s]\n", CellsText(event.cells).c_str());
    else
        std::printf("display: [%s]\n", PrintableText(event.value).c_str());
    std::fflush(stdout);
}

bool InstallSignals()
{
    if (pipe2(gSignalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    std::signal(SIGPIPE, SIG_IGN); // a closed log reader must not kill the display
    return sigaction(SIGINT, &action, nullptr) == 0 && sigaction(SIGTERM, &action, nullptr) == 0;
}

} // namespace

int main(int argc, char **argv)
{
    const ParsedCommandLine parsed =
        ParseCommandLine(std::vector<std::string>(argv + 1, argv + argc), std::getenv("QMX_PORT_DIR"));
    if (!parsed.error.empty()) {
        std::cerr << "qmx8350t-sim: " << parsed.error << "\n(see qmx8350t-sim --help)\n";
        return 2;
    }
    const CommandLine &cmd = parsed.command;
    if (cmd.help) {
        std::cout << UsageText();
        return 0;
    }

    EventQueue queue;
    if (!InstallSignals() || !queue.open()) {
        std::perror("qmx8350t-sim");
        return 1;
    }
    ControlFifo control;
    if (std::string error; !cmd.control.empty() && !control.open(cmd.control, error)) {
        std::cerr << "qmx8350t-sim: " << error << "\n";
        return 1;
    }

    std::vector<Port> ports;
    for (int number : cmd.ports) {
        Options options;
        options.portDir = cmd.portDir;
        options.portNumber = number;
        options.initialValue = cmd.value;
        options.behaviour = cmd.behaviour;
        options.pacing = cmd.pacing;
        ports.push_back({"COM" + std::to_string(number), std::make_unique<DisplaySim>(options)});
    }
    for (std::size_t i = 0; i < ports.size(); ++i) {
        DisplaySim &sim = *ports[i].sim;
        const std::string name = ports[i].name;
        sim.onFrame([&queue, &sim, i, name](const Frame &frame) {
            Event event;
            event.port = i;
            event.lines = LogLines(name, frame, WallTime(frame.completed), std::chrono::system_clock::now());
            event.kind = frame.kind;
            event.value = sim.value();
            event.cells = sim.digitCells();
            queue.push(std::move(event));
        });
        if (!sim.start()) {
            std::cerr << "qmx8350t-sim: " << ports[i].name << ": " << sim.error() << "\n";
            return 1; // the destructors stop the ports already started
        }
    }

    const bool screen = !cmd.plain && isatty(STDOUT_FILENO);
    std::deque<std::string> log;
    if (screen) {
        std::fputs("\x1b[?25l\x1b[2J", stdout);
        DrawScreen(ports, log, cmd);
    } else {
        for (const Port &port : ports)
            std::printf("%s\n", LinkText(port).c_str());
        std::fflush(stdout);
    }

    // Said on stdout in plain mode, so that a script sees when a word took effect.
    auto say = [&](const std::string &text) {
        if (screen) {
            log.push_back(text);
            while (log.size() > kScreenLogLines)
                log.pop_front();
        } else {
            std::printf("%s\n", text.c_str());
            std::fflush(stdout);
        }
    };

    for (;;) {
        pollfd fds[3] = {{gSignalPipe[0], POLLIN, 0}, {queue.readFd(), POLLIN, 0}, {control.fd(), POLLIN, 0}};
        if (poll(fds, 3, -1) < 0 && errno != EINTR)
            break;
        if (fds[0].revents != 0)
            break;
        if (fds[2].revents != 0) {
            for (const std::string &word : control.take()) {
                // Stamped like the frames, so that a log splits into the periods of each word.
                const std::string stamp = ClockText(std::chrono::system_clock::now()) + " control: ";
                bool taken = true;
                for (Port &port : ports) {
                    std::string error;
                    if (!ApplyControlWord(*port.sim, word, error)) {
                        say(stamp + port.name + ": " + error);
                        taken = false;
                    }
                }
                if (taken)
                    say(stamp + word);
                if (word == "gone" || word == "back" || word == "normal")
                    for (const Port &port : ports)
                        say(LinkText(port));
            }
            if (screen)
                DrawScreen(ports, log, cmd);
        }
        if (fds[1].revents == 0)
            continue;
        for (const Event &event : queue.take()) {
            if (event.kind == Frame::Kind::Digit)
                ports[event.port].cellsSeen = true;
            if (!screen) {
                PrintPlain(event);
                continue;
            }
            log.insert(log.end(), event.lines.begin(), event.lines.end());
            while (log.size() > kScreenLogLines)
                log.pop_front();
        }
        if (screen)
            DrawScreen(ports, log, cmd);
    }

    for (Port &port : ports)
        port.sim->stop();
    if (screen)
        std::fputs("\x1b[?25h\n", stdout);
    std::fflush(stdout);
    return 0;
}
