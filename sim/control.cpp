#include "sim/control.h"

#include "sim/command_line.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace sim {

namespace {
// A line this long is no word; a writer that never ends its line must not
// grow the buffer without end.
constexpr std::size_t kLongestLine = 256;
} // namespace

bool ApplyControlWord(DisplaySim &display, std::string_view word, std::string &error)
{
    Behaviour behaviour;
    const bool back = word == "back" || word == "normal";
    if (word == "gone") {
        display.stop();
    } else if (BehaviourFromName(word, behaviour)) {
        display.setBehaviour(behaviour);
    } else if (!back) {
        error = "not a control word: " + std::string(word) + " (one of " + ControlWords() + ")";
        return false;
    }
    if (back && !display.start()) {
        error = display.error();
        return false;
    }
    return true;
}

std::string ControlWords()
{
    return BehaviourNames() + "|gone|back";
}

ControlFifo::~ControlFifo()
{
    if (fd_ >= 0)
        close(fd_);
    if (made_)
        unlink(path_.c_str());
}

bool ControlFifo::open(const std::string &path, std::string &error)
{
    path_ = path;
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) {
        if (mkfifo(path.c_str(), 0600) != 0) {
            error = "cannot make the FIFO " + path + ": " + std::strerror(errno);
            return false;
        }
        made_ = true;
    } else if (!S_ISFIFO(st.st_mode)) {
        error = path + " exists and is not a FIFO";
        return false;
    }
    // Opened for writing too: with a writer of our own the FIFO never
    // reports end of file when a script's writer closes, which would wake
    // the reader again and again.
    fd_ = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0)
        error = "cannot open " + path + ": " + std::strerror(errno);
    return fd_ >= 0;
}

std::vector<std::string> ControlFifo::take()
{
    char buffer[256];
    for (ssize_t n; (n = read(fd_, buffer, sizeof buffer)) > 0;)
        pending_.append(buffer, static_cast<std::size_t>(n));
    std::vector<std::string> words;
    for (std::size_t end; (end = pending_.find('\n')) != std::string::npos;) {
        const std::string line = pending_.substr(0, end);
        pending_.erase(0, end + 1);
        const auto first = line.find_first_not_of(" \t\r");
        if (first != std::string::npos)
            words.push_back(line.substr(first, line.find_last_not_of(" \t\r") + 1 - first));
    }
    if (pending_.size() > kLongestLine)
        pending_.clear();
    return words;
}

} // namespace sim
