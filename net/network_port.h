#pragma once
// A port on a serial device server, as a connection the device policy of
// platform/serial_device.h keeps: RFC 2217 (telnet_stream.h) or raw TCP.
#include "platform/serial_device.h"

#include <memory>
#include <string>

namespace net {

// The port on a serial device server that url names (platform/port_url.h),
// connected and, for RFC 2217, with the COM-PORT-OPTION taken; nullptr, with
// the reason kept, when it cannot be.
std::unique_ptr<platform::SerialConnection> OpenNetworkPort(const std::string &url);

} // namespace net
