#pragma once
// qmxctl's way to the display: the link's own port, search and exchange, with
// the reason of each failure put into words.
#include <string>

namespace qmxctl {

// The port stored in "Parametry.par" of the working folder, as the search
// takes it (0 when there is no such file). The file is never written.
int StoredPort();

// The number by which the functions below know the port that --port named
// by its URL, which has no COM number.
constexpr int kUrlPort = 0x100;

// Opens COMn as the link's port. message says why not.
bool OpenNamedPort(int n, std::string &message);
// Opens the port on a serial device server that url names, as kUrlPort.
bool OpenUrlPort(const std::string &url, std::string &message);

// One exchange of value (Windows-1250 bytes) on the open port n; the reply is
// then Drv232::ReplyText(). message says why not.
bool ExchangeOn(int n, const std::string &value, bool whole, std::string &message);

// Searches as the window does, with the read exchange on each port; the port
// that answered stays open and its reply is in Drv232::ReplyText(). 0 when no
// display answered: message then names each port that exists and why it failed.
int FindDisplay(std::string &message);

} // namespace qmxctl
