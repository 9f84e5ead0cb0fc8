#pragma once
// Words that change a running display, one a line, as a script writes them
// into the emulator's control FIFO while the program talks to it.
#include "sim/display_sim.h"

#include <string>
#include <string_view>
#include <vector>

namespace sim {

// normal, silent, wrong-terminator, short, slow, stray, mmmm: how the display
// answers from now on ("normal" also plugs a gone display back in); gone: the
// adapter is pulled out (DisplaySim::stop); back: plugged in again, the
// behaviour as it was. False with a reason in error for an unknown word or a
// display that cannot come back.
bool ApplyControlWord(DisplaySim &display, std::string_view word, std::string &error);

// The words, for the usage text: "normal|silent|...|gone|back".
std::string ControlWords();

// The FIFO the words come through, made when missing and removed again then.
class ControlFifo {
public:
    ControlFifo() = default;
    ~ControlFifo();
    ControlFifo(const ControlFifo &) = delete;
    ControlFifo &operator=(const ControlFifo &) = delete;

    bool open(const std::string &path, std::string &error);
    int fd() const { return fd_; } // -1 until opened; poll it for input
    // The words of the whole lines written since the last call.
    std::vector<std::string> take();

private:
    std::string path_;
    int fd_ = -1;
    bool made_ = false;
    std::string pending_;
};

} // namespace sim
