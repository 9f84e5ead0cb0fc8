#pragma once
// The pseudo-terminal the display sits on and the COMn link the program
// finds it by.
#include <string>

namespace sim {

// The slave side stays open here for the pair's whole life, so the master
// never sees a hang-up however often the program closes and reopens the
// port. This end never reads it and never locks it.
struct PtyPair {
    int master = -1;
    int slave = -1;
    int openWatch = -1; // inotify on the slave: readable when someone opens or closes it
    std::string slavePath;
};

bool OpenPtyPair(PtyPair &pty, std::string &error);
void ClosePtyPair(PtyPair &pty);

struct SlaveActivity {
    bool opened = false;
    bool closed = false;
};
// Drains openWatch and tells what happened since the last call.
SlaveActivity ReadSlaveActivity(PtyPair &pty);

// Clears TIOCEXCL on the slave. The program takes the port with flock and
// TIOCEXCL. On a serial port the flag ends with the program's last close,
// but here our own slave end keeps the pty and the flag alive, so a program
// not running as root could never open the port a second time.
void DropExclusive(PtyPair &pty);

// Links linkPath to target, creating the folder when missing. A link left
// behind by an earlier run is replaced; any other file is left alone.
bool PlaceLink(const std::string &linkPath, const std::string &target, std::string &error);
// Removes linkPath only while it still points to target, so a link that
// someone else placed meanwhile survives.
void RemoveLinkTo(const std::string &linkPath, const std::string &target);

} // namespace sim
