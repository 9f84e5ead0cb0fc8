#pragma once
// qmxctl's way to the display: the link's own port, search and exchange, with
// the reason of each failure put into words.
#include "platform/port_name.h"

#include <optional>
#include <string>

namespace qmxctl {

// The port stored in "Parametry.par" of the working folder, as the search
// takes it (COM3 when there is no such file). The file is never written.
platform::PortName StoredPort();

// Opens port as the link's port. message says why not.
bool OpenPort(const platform::PortName &port, std::string &message);

// One exchange of value (Windows-1250 bytes) on the open port; the reply is
// then Drv232::ReplyText(). message says why not.
bool ExchangeOn(const platform::PortName &port, const std::string &value, bool whole, std::string &message);

// Searches as the window does, with the read exchange on each port; the port
// that answered stays open and its reply is in Drv232::ReplyText(). nullopt
// when no display answered: message then names each port that exists and why
// it failed.
std::optional<platform::PortName> FindDisplay(std::string &message);

} // namespace qmxctl
