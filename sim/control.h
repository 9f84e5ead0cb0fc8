#pragma once
// Words that change a running display, one a line, as a script writes them
// into the emulator's control FIFO while the program talks to it.
#include "sim/display_sim.h"

#include <string>
#include <string_view>

namespace sim {

// normal, silent, wrong-terminator, short, slow, stray, mmmm: how the display
// answers from now on ("normal" also plugs a gone display back in); gone: the
// adapter is pulled out (DisplaySim::stop); back: plugged in again, the
// behaviour as it was. False with a reason in error for an unknown word or a
// display that cannot come back.
bool ApplyControlWord(DisplaySim &display, std::string_view word, std::string &error);

// The words, for the usage text: "normal|silent|...|gone|back".
std::string ControlWords();

} // namespace sim
