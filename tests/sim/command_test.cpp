// The built qmx8350t-sim command, run as a child process.
#include "program_side.h"

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <memory>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace simtest;
using namespace std::string_literals;
namespace fs = std::filesystem;

namespace {

// A child with stdout and stderr on pipes and an environment without
// QMX_PORT_DIR, so only its arguments count.
class Command {
public:
    explicit Command(std::vector<std::string> args)
    {
        args.insert(args.begin(), QMX_SIM_COMMAND);
        std::vector<char *> argv;
        for (std::string &a : args)
            argv.push_back(a.data());
        argv.push_back(nullptr);
        char *envp[] = {const_cast<char *>("PATH=/usr/bin:/bin"), nullptr};

        int out[2], err[2];
        if (pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0)
            throw std::runtime_error("pipe");
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
        posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
        if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), envp) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        close(err[1]);
        out_ = out[0];
        err_ = err[0];
    }
    ~Command()
    {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        close(out_);
        close(err_);
    }

    // Reads stdout until it holds text (after from) or the limit passes.
    bool waitForOutput(const std::string &text, std::size_t from = 0, std::chrono::milliseconds limit = 5000ms)
    {
        const auto end = Clock::now() + limit;
        while (output_.find(text, from) == std::string::npos && Clock::now() < end) {
            pollfd pfd{out_, POLLIN, 0};
            if (poll(&pfd, 1, 50) > 0) {
                char buffer[512];
                const ssize_t n = read(out_, buffer, sizeof buffer);
                if (n <= 0)
                    break;
                output_.append(buffer, static_cast<std::size_t>(n));
            }
        }
        return output_.find(text, from) != std::string::npos;
    }

    int signalAndWait(int sig)
    {
        if (sig != 0)
            kill(pid_, sig);
        int status = 0;
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    std::string errors()
    {
        std::string text;
        char buffer[512];
        ssize_t n;
        while ((n = read(err_, buffer, sizeof buffer)) > 0)
            text.append(buffer, static_cast<std::size_t>(n));
        return text;
    }

    const std::string &output() const { return output_; }

private:
    pid_t pid_ = -1;
    int out_ = -1;
    int err_ = -1;
    std::string output_;
};

TEST(SimCommand, AnswersLogsAndRemovesItsLinkOnCtrlC)
{
    TempDir dir;
    const std::string link = dir.file("COM4");
    Command command({"--plain", "--port-dir", dir.path().string(), "--value", "0930", "COM4"});
    ASSERT_TRUE(command.waitForOutput("(linked as " + link + ")")) << command.output();
    {
        ProgramPort port(link);
        ASSERT_TRUE(port.isOpen());
        EXPECT_EQ(port.exchange(ToBytes("D???\0\r\n"s)), ToBytes("0930\r\n"));
        port.send({0x01, 0x30, 0x02, '1', 0x80 | '2', '3', '4', '5', 0x0D, 0x0A});
    }
    EXPECT_TRUE(command.waitForOutput("COM4 <- 44 3F 3F 3F 00 0D 0A  (value, read)\n")) << command.output();
    EXPECT_TRUE(command.waitForOutput("COM4 -> 30 39 33 30 0D 0A\ndisplay: [0930]\n")) << command.output();
    EXPECT_TRUE(command.waitForOutput("cells: [12.345]\n")) << command.output();
    EXPECT_EQ(command.output().find("\x1b"), std::string::npos);

    EXPECT_EQ(command.signalAndWait(SIGINT), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
}

TEST(SimCommand, ControlWordsChangeTheRunningDisplay)
{
    TempDir dir;
    const std::string link = dir.file("COM4");
    const std::string control = dir.file("control");
    Command command({"--plain", "--port-dir", dir.path().string(), "--control", control, "COM4"});
    ASSERT_TRUE(command.waitForOutput("(linked as " + link + ")")) << command.output();
    const int fifo = open(control.c_str(), O_WRONLY | O_CLOEXEC);
    ASSERT_GE(fifo, 0);

    const struct {
        std::string word;
        bool linked;
        Bytes reply; // to D1234
    } steps[] = {
        {"silent", true, {}}, {"mmmm", true, ToBytes("MMMM\r\n")},
        {"gone", false, {}},  {"back", true, ToBytes("MMMM\r\n")},
        {"gone", false, {}},  {"normal", true, ToBytes("1234\r\n")},
    };
    auto port = std::make_unique<ProgramPort>(link);
    for (const auto &step : steps) {
        const std::string line = step.word + "\n";
        const std::size_t seen = command.output().size();
        ASSERT_EQ(write(fifo, line.data(), line.size()), static_cast<ssize_t>(line.size()));
        ASSERT_TRUE(command.waitForOutput("control: " + line, seen)) << command.output();
        EXPECT_EQ(fs::exists(fs::symlink_status(link)), step.linked) << step.word;
        if (!step.linked) {
            EXPECT_TRUE(port->hungUp()) << "the program's end sees the device go";
            continue;
        }
        if (!port->isOpen() || port->hungUp())
            port = std::make_unique<ProgramPort>(link);
        ASSERT_TRUE(port->isOpen()) << step.word;
        EXPECT_EQ(port->exchange(ToBytes("D1234\r\n")), step.reply) << step.word;
    }
    close(fifo);
    port.reset();
    EXPECT_EQ(command.signalAndWait(SIGTERM), 0);
    EXPECT_FALSE(fs::exists(fs::symlink_status(control))) << "the FIFO it made goes with it";
}

TEST(SimCommand, BadArgumentsExitWithTwoAndSayWhy)
{
    Command noFolder({"COM3"});
    EXPECT_EQ(noFolder.signalAndWait(0), 2);
    EXPECT_NE(noFolder.errors().find("QMX_PORT_DIR"), std::string::npos);

    Command badBehaviour({"--port-dir", "/tmp", "--behaviour", "loud"});
    EXPECT_EQ(badBehaviour.signalAndWait(0), 2);
    EXPECT_NE(badBehaviour.errors().find("--behaviour"), std::string::npos);
}

} // namespace
