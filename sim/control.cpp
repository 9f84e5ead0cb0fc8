#include "sim/control.h"

#include "sim/command_line.h"

namespace sim {

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

} // namespace sim
