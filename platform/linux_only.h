#pragma once
// What only Linux tells or offers, for the POSIX backends. Private to
// platform/.
#include <sys/types.h>

struct stat;

namespace platform {

// Asks the driver to deliver received bytes at once (FTDI adapters otherwise
// hold them up to 16 ms, close to the 20 ms allowed between reply bytes).
// The driver may drop the request (pseudo-terminals and many USB adapters
// do); the port works without it, only answers come later.
void AskForLowLatency(int fd);

// A pseudo-terminal has no wire, and the kernel keeps no framing for it.
bool IsPseudoTerminal(const struct stat &st);

// Asks TCP to acknowledge what comes next at once, before a read: with a
// delayed acknowledgement the server's TCP may hold the rest of a reply back
// (Nagle) and invent a gap inside it. Linux turns the request off by itself
// after a while, so it is asked for before each read.
void AskForQuickAck(int fd);

// The process's umask, read without setting it: umask() can only be read by
// setting it, which races with other threads creating files; the kernel
// reports it in /proc since Linux 4.7.
mode_t CurrentUmask();

} // namespace platform
