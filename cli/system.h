#pragma once
// What qmxctl needs of the system it runs on: its arguments as UTF-8, the
// stop request of Ctrl-C, and the wait for the next second of the clock.
#include <string>
#include <vector>

namespace qmxctl {

// The arguments after the program's name, as UTF-8 (Windows hands the
// command line over in UTF-16). Also makes the console show UTF-8 output.
std::vector<std::string> CommandLineArguments(int argc, char *argv[]);

// From now on Ctrl-C (and, on POSIX, SIGTERM) asks the clock to stop.
void CatchStopSignals();
bool StopRequested();

// Sleeps until the next whole second of the clock the local time is read
// from; a stop request cuts it short.
void SleepUntilNextSecond();

} // namespace qmxctl
