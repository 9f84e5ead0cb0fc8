#pragma once
// The exclusive claim on a terminal (TIOCEXCL). The kernel keeps it on the
// terminal, not on our descriptor: on a pseudo-terminal whose other side
// stays open (a bridge, a virtual port) it outlives the program and turns
// every later open by an ordinary user away. So each claim is remembered
// and cleared at every end the program can see: ReleaseClaim, the normal
// end of the program, and SIGINT, SIGTERM and SIGHUP when the program has
// no handler of its own for them. Private to platform/.

namespace platform {

// Sets the claim on fd; false, errno set, when the terminal refuses it
// (ENOTTY: fd is no terminal).
bool ClaimExclusively(int fd);
// Clears the claim on fd, before fd is closed.
void ReleaseClaim(int fd);

} // namespace platform
