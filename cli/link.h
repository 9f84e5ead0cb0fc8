#pragma once
// qmxctl's way to the display: a link's port, search and exchange, with the
// reason of each failure put into words.
#include "platform/port_name.h"
#include "serial/link.h"

#include <optional>
#include <string>

namespace qmxctl {

// The port stored in "Parametry.par" of the working folder, as the search
// takes it (COM3 when there is no such file). The file is never written.
platform::PortName StoredPort(Drv232::Link &link);

// Opens port as link's port. message says why not.
bool OpenPort(Drv232::Link &link, const platform::PortName &port, std::string &message);

// One exchange of value (Windows-1250 bytes) on link's open port; the reply
// is then link.ReplyText(). message says why not.
bool ExchangeOn(Drv232::Link &link, const platform::PortName &port, const std::string &value, bool whole,
                std::string &message);

// Searches as the window does, with the read exchange on each port; the port
// that answered stays open and its reply is in link.ReplyText(). nullopt
// when no display answered: message then names each port that exists and why
// it failed.
std::optional<platform::PortName> FindDisplay(Drv232::Link &link, std::string &message);

} // namespace qmxctl
