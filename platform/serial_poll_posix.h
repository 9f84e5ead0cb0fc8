#pragma once
// One wait with poll() and one read or write on a descriptor, as a step of
// serial_timing.h's transfers. Private to platform/.
#include "platform/serial_timing.h"

#include <sys/types.h>

namespace platform {

// Waits until fd is ready for events or the deadline passes, then transfers
// once, adding what moved. A hang-up, a transfer that moves nothing after
// the descriptor said it was ready, and the errors that say so are kept as
// failures of the kind Gone: polling again would return at once, forever.
Step PollStep(int fd, short events, Deadline until, const std::function<ssize_t()> &transfer, std::size_t &moved);

// True once StopTransfers() was called: a wait of another kind (a name
// look-up) ends too.
bool TransfersStopped();

} // namespace platform
