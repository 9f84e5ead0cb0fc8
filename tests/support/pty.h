#pragma once
// A pseudo-terminal pair for tests that play the display's side by hand.
#include <string>

namespace testsupport {

struct RawPty {
    int master = -1; // the test's end
    int slave = -1;  // an end kept open beside the code under test, or -1
    std::string slavePath;
};

// Both ends raw, so that no byte is echoed or translated either way; false
// when the system gives none.
bool OpenRawPty(RawPty &pty);

} // namespace testsupport
