// What every serial device does alike, whatever kind of port it is: the
// checks for no port and for a port that has gone, keeping what was set up
// so that a port that comes back is set up the same, and the order in which
// that is done. The ports themselves are serial_connection.h's.
#include "platform/failure.h"
#include "platform/port_url.h"
#include "platform/serial_connection.h"

#include <optional>

namespace platform {

struct SerialDevice {
    std::string portName;                         // opened again by this name when the port has gone
    NetworkConnector network;                     // for a name that leads to a server
    std::unique_ptr<SerialConnection> connection; // nullptr: the port has gone
    // What was set up on the port, for a port that comes back.
    std::optional<LineSettings> line;
    std::optional<CommTimeouts> timeouts;
    bool rtsRaised = false;
};

namespace {

bool NoPort()
{
    KeepFailure(FailureKind::Other, "no port is open");
    return false;
}

bool GoneFailure()
{
    KeepFailure(FailureKind::Gone, "the device has gone");
    return false;
}

// A port name is a COM name, or the URL of a port on a serial device server;
// a COM name may be mapped to such a URL by a file.
std::unique_ptr<SerialConnection> OpenUrl(const std::string &url, NetworkConnector network)
{
    if (!network) {
        KeepFailure(FailureKind::NotAPort, url + " names a port on a serial device server, which is not opened here");
        return nullptr;
    }
    return network(url);
}

std::unique_ptr<SerialConnection> Connect(const std::string &portName, NetworkConnector network)
{
    if (LooksLikeUrl(portName))
        return OpenUrl(portName, network);
    const std::string path = ResolvePortPath(portName);
    if (path.empty()) {
        KeepFailure(FailureKind::Other, "\"" + portName + "\" is no COM port name");
        return nullptr;
    }
    if (const std::optional<std::string> url = MappedUrl(path))
        return OpenUrl(*url, network);
    return OpenLocalPort(path);
}

// A failed call that says the port has gone lets the connection go, so that
// an unplugged adapter is not held and the next exchange looks for it again.
bool Checked(SerialDevice &device, bool ok)
{
    if (!ok && LastFailure().kind == FailureKind::Gone)
        device.connection.reset();
    return ok;
}

// A port that has gone is opened again by its name and set up as it was,
// with nothing of what the old device may have left in the driver; false,
// with the reason kept, while nothing answers to the name.
bool Reattach(SerialDevice &device)
{
    if (device.connection)
        return true;
    std::unique_ptr<SerialConnection> c = Connect(device.portName, device.network);
    if (!c)
        return false;
    if ((device.line && !c->SetLine(*device.line)) || (device.timeouts && !c->SetTimeouts(*device.timeouts)) ||
        (device.rtsRaised && !c->RaiseRts()))
        return false;
    (void)c->DiscardInput();
    device.connection = std::move(c);
    return true;
}

} // namespace

bool ValidLine(const LineSettings &s)
{
    return s.BaudRate != 0 && s.ByteSize >= 5 && s.ByteSize <= 8 && s.Parity <= SpaceParity &&
           s.StopBits <= TwoStopBits;
}

SerialDevice *OpenSerialDevice(const std::string &portName, NetworkConnector network)
{
    std::unique_ptr<SerialConnection> connection = Connect(portName, network);
    if (!connection)
        return nullptr;
    return new SerialDevice{portName, network, std::move(connection), {}, {}, false};
}

void CloseSerialDevice(SerialDevice *device)
{
    delete device;
}

bool GetLineSettings(SerialDevice *device, LineSettings &settings)
{
    if (!device)
        return NoPort();
    if (!device->connection)
        return GoneFailure();
    return Checked(*device, device->connection->GetLine(settings));
}

bool SetLineSettings(SerialDevice *device, const LineSettings &settings)
{
    if (!device)
        return NoPort();
    if (!device->connection)
        return GoneFailure();
    if (!Checked(*device, device->connection->SetLine(settings)))
        return false;
    device->line = settings;
    return true;
}

bool GetTimeouts(SerialDevice *device, CommTimeouts &timeouts)
{
    if (!device)
        return NoPort();
    if (device->timeouts) {
        timeouts = *device->timeouts;
        return true;
    }
    if (!device->connection)
        return GoneFailure();
    return Checked(*device, device->connection->GetTimeouts(timeouts));
}

bool SetTimeouts(SerialDevice *device, const CommTimeouts &timeouts)
{
    if (!device)
        return NoPort();
    if (device->connection && !Checked(*device, device->connection->SetTimeouts(timeouts)))
        return false;
    // A port that has gone takes them when it comes back.
    device->timeouts = timeouts;
    return true;
}

bool RaiseRtsLine(SerialDevice *device)
{
    if (!device)
        return NoPort();
    if (!device->connection)
        return GoneFailure();
    if (!Checked(*device, device->connection->RaiseRts()))
        return false;
    device->rtsRaised = true;
    return true;
}

// An exchange begins here, so this is where a port that has gone is looked
// for again.
bool DiscardInput(SerialDevice *device)
{
    if (!device)
        return NoPort();
    if (!Reattach(*device))
        return false;
    return Checked(*device, device->connection->DiscardInput());
}

bool WriteDevice(SerialDevice *device, const std::uint8_t *data, std::size_t size, std::size_t &written)
{
    written = 0;
    if (!device)
        return NoPort();
    // A digit frame is a write alone, so a port that has gone is looked for
    // again here as well as at the discard that begins an exchange.
    if (!Reattach(*device))
        return false;
    return Checked(*device, device->connection->Write(data, size, written));
}

bool ReadDevice(SerialDevice *device, std::uint8_t *data, std::size_t size, std::size_t &received)
{
    received = 0;
    if (!device)
        return NoPort();
    // A read goes on with the exchange that a write began; a port that came
    // back since cannot hold its answer.
    if (!device->connection)
        return GoneFailure();
    return Checked(*device, device->connection->Read(data, size, received));
}

} // namespace platform
