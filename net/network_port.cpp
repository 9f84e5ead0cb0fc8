// A port on a serial device server, over its stream: the same on every
// system, over platform/tcp_socket.h.
#include "net/network_port.h"

#include "net/telnet_stream.h"
#include "platform/serial_connection.h"
#include "platform/failure.h"
#include "platform/port_url.h"

#include <algorithm>
#include <functional>
#include <thread>
#include <vector>

namespace net {
namespace {

using namespace std::chrono_literals;
using namespace platform;

// A server that serves another client hangs up at once ("Port already in
// use"); a raw port says nothing else when it takes us.
constexpr auto kHangUpLimit = 150ms;

class NetworkPort final : public TimedConnection {
public:
    NetworkPort(std::unique_ptr<PortStream> stream, std::string where)
        : stream_(std::move(stream)), where_(std::move(where))
    {
    }

    // The first moments of a connection: the server may hang up at once
    // (busy), and an RFC 2217 server must take the COM-PORT-OPTION.
    bool Begin()
    {
        if (!stream_->Negotiate([this](SteadyClock::time_point until, const std::function<bool()> &done) {
                return Listen(until, done);
            }))
            return false;
        // ser2net takes a second client, negotiates, says "Port already in
        // use" and only then hangs up; words from the server before any
        // request are that, so the hang-up after them is waited for longer.
        return Listen(SteadyClock::now() + kHangUpLimit, [] { return false; }) &&
               (data_.empty() || Listen(SteadyClock::now() + kConnectLimit, [] { return false; }));
    }

    bool GetLine(LineSettings &settings) override
    {
        settings = line_;
        return true;
    }

    bool SetLine(const LineSettings &s) override
    {
        if (!ValidLine(s)) {
            KeepFailure(FailureKind::Other, "the line settings are not ones a serial port knows");
            return false;
        }
        if (!stream_->SetLine(s))
            return false;
        line_ = s;
        return true;
    }

    bool RaiseRts() override { return stream_->RaiseRts(); }

    bool DiscardInput() override
    {
        if (!stream_->PurgeInput())
            return false;
        // What has come in already, here or on the way.
        for (int round = 0; round < kMaxRounds; ++round) {
            const Step step = ReceiveSome(SteadyClock::now());
            if (step == Step::Failed)
                return false;
            if (step == Step::TimedOut)
                break;
        }
        data_.clear();
        return true;
    }

    bool Write(const std::uint8_t *data, std::size_t size, std::size_t &written) override
    {
        const std::vector<std::uint8_t> wire = stream_->Encode(data, size);
        const Deadline end = WriteDeadline(timeouts_, size);
        std::size_t sent = 0;
        const bool ok = TimedWrite(end, wire.size(), sent, [&](Deadline until, std::size_t &moved) {
            return stream_->Send(wire.data() + moved, wire.size() - moved, until, moved);
        });
        if (!ok)
            return false;
        // Done when the server has taken the bytes, not when our system has
        // queued them; what it has not taken by the write time-out does not
        // count.
        std::size_t pending = stream_->Unacknowledged();
        // On a near server the acknowledgement takes microseconds; on a far
        // one the wait grows to a millisecond a look.
        for (auto pause = 50us; pending > 0 && (!end || SteadyClock::now() < *end);
             pause = std::min(2 * pause, 1000us)) {
            std::this_thread::sleep_for(pause);
            pending = stream_->Unacknowledged();
        }
        const std::size_t taken = sent - std::min(sent, pending);
        written = std::min(size, taken == wire.size() ? size : taken);
        return true;
    }

    bool Read(std::uint8_t *data, std::size_t size, std::size_t &received) override
    {
        return TimedRead(timeouts_, size, received, [&](Deadline until, std::size_t &moved) {
            if (data_.empty()) {
                const Step step = ReceiveSome(until);
                if (step != Step::Moved)
                    return step;
                if (data_.empty())
                    return Step::Retry; // only Telnet talk came
            }
            const std::size_t n = std::min(size - moved, data_.size());
            std::copy_n(data_.begin(), n, data + moved);
            data_.erase(data_.begin(), data_.begin() + std::ptrdiff_t(n));
            moved += n;
            return Step::Moved;
        });
    }

private:
    // Receives until done() or the deadline; false, with the reason kept,
    // when the server hung up meanwhile.
    bool Listen(SteadyClock::time_point until, const std::function<bool()> &done)
    {
        // A server that talks without end does not hold the limit open.
        for (int round = 0; round < kMaxRounds && !done() && SteadyClock::now() < until; ++round) {
            const Step step = ReceiveSome(until);
            if (step == Step::Failed)
                return HungUp();
            if (step == Step::TimedOut)
                break;
        }
        return true;
    }

    Step ReceiveSome(Deadline until) { return stream_->Receive(until, data_); }

    // The server closed the connection in its first moments: it serves
    // another client (ser2net says "Port already in use" first).
    bool HungUp()
    {
        if (LastFailure().kind != FailureKind::Gone)
            return false;
        std::string said(data_.begin(), data_.end());
        said.erase(std::remove_if(said.begin(), said.end(), [](char c) { return c < ' ' || c > '~'; }), said.end());
        KeepFailure(FailureKind::InUse, where_ + " hung up at once" +
                                            (said.empty() ? "" : " (\"" + said.substr(0, 60) + "\")") +
                                            ": it serves another client");
        return false;
    }

    const std::unique_ptr<PortStream> stream_;
    const std::string where_; // the URL, for messages
    LineSettings line_{9600, 8, NoParity, OneStopBit};
    std::vector<std::uint8_t> data_; // received, not yet read
};

} // namespace

std::unique_ptr<SerialConnection> OpenNetworkPort(const std::string &url)
{
    const std::optional<PortUrl> parsed = ParsePortUrl(url);
    if (!parsed) {
        KeepFailure(FailureKind::NotAPort, "not a port URL: " + Printable(url));
        return nullptr;
    }
    std::unique_ptr<TcpSocket> socket = ConnectTcp(parsed->host, parsed->port, kConnectLimit);
    if (!socket) {
        const FailureReason why = LastFailure();
        KeepFailure(why.kind, why.code, url + ": " + why.text);
        return nullptr;
    }
    std::unique_ptr<PortStream> stream = parsed->rfc2217 ? std::make_unique<TelnetStream>(std::move(socket), url)
                                                         : std::make_unique<PortStream>(std::move(socket), url);
    auto port = std::make_unique<NetworkPort>(std::move(stream), url);
    if (!port->Begin())
        return nullptr;
    return port;
}

} // namespace net
