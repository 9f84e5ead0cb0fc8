#pragma once
// Why the last platform call on this thread failed: the system's error code
// and its text, kept for callers that want to say why (qmxctl, the port
// diagnostics). The windows show their own texts and never read it.
#include <string>

namespace platform {

struct FailureReason {
    int code = 0;     // errno on POSIX, GetLastError() on Windows; 0: none kept
    std::string text; // the system's description of code, or the backend's own
};

// The reason of the last failure on this thread; a success does not clear it.
FailureReason LastFailure();

// Forgets the kept reason, for a caller that must tell a failure of this call
// from one kept earlier.
void ClearFailure();

// For the backends: keeps code (and text, or the system's text for code) as
// the last failure.
void KeepFailure(int code, std::string text = {});

} // namespace platform
