// The bridge needs libmosquitto, which the Windows build does not have.
#include "cli/mqtt/command.h"

namespace qmxctl {

int RunMqtt(const Arguments &, const ClockHooks &hooks, const std::string &)
{
    hooks.report("there is no mqtt command on Windows; run the bridge on Linux (qmxctl mqtt)");
    return 2;
}

} // namespace qmxctl
