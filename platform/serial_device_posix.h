#pragma once
// The state behind platform::SerialDevice on POSIX systems; private to the
// backend's source files.
#include "platform/serial_device.h"

#include <optional>

namespace platform {

struct SerialDevice {
    int fd = -1;
    bool terminal = false;       // line settings, RTS and flushing apply
    bool regularFile = false;    // plain file I/O, nothing to wait for
    bool pseudoTerminal = false; // no wire: the kernel keeps no framing
    // The byte size and parity last set on a pseudo-terminal, which the
    // kernel forces to 8N and so cannot report back.
    std::optional<LineSettings> ptyFraming;
    // POSIX keeps no time-outs per port; the transfers apply these.
    CommTimeouts timeouts;
};

// Keep the reason of a failure and return false, for `return NoPort();`.
bool NoPort();        // a call on no device
bool SystemFailure(); // errno says why

} // namespace platform
