#pragma once
// The state behind platform::SerialDevice on POSIX systems; private to the
// backend's source files.
#include "platform/serial_device.h"

#include <optional>
#include <string>

namespace platform {

struct SerialDevice {
    std::string portName;        // opened again by this name when the device has gone
    int fd = -1;                 // -1: the device has gone
    bool exclusive = false;      // this open set TIOCEXCL, so closing clears it
    bool terminal = false;       // line settings, RTS and flushing apply
    bool regularFile = false;    // plain file I/O, nothing to wait for
    bool pseudoTerminal = false; // no wire: the kernel keeps no framing
    // The byte size and parity last set on a pseudo-terminal, which the
    // kernel forces to 8N and so cannot report back.
    std::optional<LineSettings> ptyFraming;
    // What was set up on the line, for a device that comes back.
    std::optional<LineSettings> line;
    bool rtsRaised = false;
    // POSIX keeps no time-outs per port; the transfers apply these.
    CommTimeouts timeouts;
};

// Keep the reason of a failure and return false, for `return NoPort();`.
bool NoPort();        // a call on no device
bool SystemFailure(); // errno says why
bool GoneFailure();   // a call on a device that has gone

// True for the errors with which the system says the device has gone.
bool GoneError(int error);
// The system said the device has gone (hang-up, EIO, ENXIO, ENODEV): its
// descriptor is closed now, so that an unplugged adapter is not held.
void LoseDevice(SerialDevice &device);
// A device that has gone is opened again by its name with what was set up
// on it; false, with the reason kept, while nothing answers to the name.
bool Reattach(SerialDevice &device);

} // namespace platform
