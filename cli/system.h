#pragma once
// What qmxctl needs of the system it runs on: its arguments as UTF-8, the
// stop request of Ctrl-C, the wait for the next second of the clock, the
// scheduling and the log of a clock that runs as a service.
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

// Asks for a real-time scheduling policy, so that a woken clock does not wait
// for a processor that other work keeps busy; where the system does not
// permit it, nothing changes. Returns the line for the log that says which.
std::string AskForRealTimeScheduling();

// The prefix that gives a line on standard error its priority in the
// journal ("<4>" warning, "<6>" information) when standard error is the
// journal's stream; empty otherwise.
std::string JournalPrefix(bool warning);

} // namespace qmxctl
