#pragma once
// Why the last platform call on this thread failed: what kind of failure it
// was, and the system's error code and text, kept for callers that want to
// say why (qmxctl, the port diagnostics). Portable code reads only the kind;
// the code and text are the system's own and only ever shown. The windows
// show their own texts and never read it.
#include <string>

namespace platform {

enum class FailureKind {
    None,     // no reason kept
    Missing,  // nothing answers to the name
    Refused,  // this user may not open it
    InUse,    // another program holds it
    Gone,     // the device went away while open (unplugged, hung up, connection lost)
    TimedOut, // the system gave up waiting
    NotAPort, // the name leads to something that is no serial port
    Other,
};

struct FailureReason {
    FailureKind kind = FailureKind::None;
    int code = 0;     // errno on POSIX, GetLastError() on Windows; 0: the backend's own
    std::string text; // the system's description of code, or the backend's own
};

// The reason of the last failure on this thread; a success does not clear it.
FailureReason LastFailure();

// Forgets the kept reason, for a caller that must tell a failure of this call
// from one kept earlier.
void ClearFailure();

// For the backends: keeps code (and text, or the system's text for code) as
// the last failure, of the kind this system's backend gives code.
void KeepFailure(int code, std::string text = {});
// The same with the kind given, where the code alone does not tell it.
void KeepFailure(FailureKind kind, int code, std::string text = {});

// The same for a failure the system did not report, with the system's code
// that fits the kind best.
void KeepFailure(FailureKind kind, std::string text);

// The kind of a system error code as an open reports it, and the code that
// stands for a kind; each system's backend gives its own table.
FailureKind KindOfError(int code);
int CodeOfKind(FailureKind kind);

} // namespace platform
