// A port on a serial device server, over TCP: RFC 2217 (Telnet with the
// COM-PORT-OPTION) or raw. The same on every system, over tcp_socket.h.
#include "platform/failure.h"
#include "platform/port_url.h"
#include "platform/serial_connection.h"
#include "platform/tcp_socket.h"

#include <algorithm>
#include <array>
#include <thread>
#include <vector>

namespace platform {
namespace {

using namespace std::chrono_literals;

// One dead host must not stall the search of 29 ports.
constexpr auto kConnectLimit = 1000ms;
// A server that speaks RFC 2217 takes the option at once; one that has not
// by then does not speak it (a raw port sends nothing at all).
constexpr auto kOptionLimit = 500ms;
// A server that serves another client hangs up at once ("Port already in
// use"); a raw port says nothing else when it takes us.
constexpr auto kHangUpLimit = 150ms;
// Negotiation that takes more than this many rounds is a loop.
constexpr int kMaxRounds = 64;

namespace telnet {
constexpr std::uint8_t SE = 240, SB = 250, WILL = 251, WONT = 252, DO = 253, DONT = 254, IAC = 255;
constexpr std::uint8_t BINARY = 0, SGA = 3, COM_PORT = 44;
// COM-PORT-OPTION commands, client to server.
constexpr std::uint8_t SET_BAUDRATE = 1, SET_DATASIZE = 2, SET_PARITY = 3, SET_STOPSIZE = 4, SET_CONTROL = 5,
                       PURGE_DATA = 12;
constexpr std::uint8_t CONTROL_RTS_ON = 11, PURGE_RECEIVE = 1;
} // namespace telnet

class NetworkPort final : public TimedConnection {
public:
    NetworkPort(std::unique_ptr<TcpSocket> socket, bool rfc2217, std::string where)
        : socket_(std::move(socket)), telnet_(rfc2217), where_(std::move(where))
    {
    }

    // The first moments of a connection: the server may hang up at once
    // (busy), and an RFC 2217 server must take the COM-PORT-OPTION.
    bool Begin()
    {
        if (telnet_) {
            answered_[0][telnet::COM_PORT] = true;
            if (!SendRaw({telnet::IAC, telnet::WILL, telnet::COM_PORT}))
                return false;
            const auto until = SteadyClock::now() + kOptionLimit;
            if (!Listen(until, [this] { return comPort_ || noComPort_; }))
                return false;
            if (!comPort_) {
                KeepFailure(FailureKind::NotAPort, where_ + " does not take the RFC 2217 COM-PORT-OPTION (" +
                                                       (noComPort_ ? "it refused it" : "no answer within 0.5 s") +
                                                       "); is it a raw port (socket://)?");
                return false;
            }
        }
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
        // A raw port's line is what the server was set up with.
        if (telnet_) {
            const std::uint32_t b = s.BaudRate;
            const std::uint8_t stop = s.StopBits == OneStopBit ? 1 : s.StopBits == TwoStopBits ? 2 : 3;
            if (!Command(telnet::SET_BAUDRATE, {std::uint8_t(b >> 24), std::uint8_t(b >> 16), std::uint8_t(b >> 8),
                                                std::uint8_t(b)}) ||
                !Command(telnet::SET_DATASIZE, {s.ByteSize}) ||
                !Command(telnet::SET_PARITY, {std::uint8_t(s.Parity + 1)}) ||
                !Command(telnet::SET_STOPSIZE, {stop}))
                return false;
        }
        line_ = s;
        return true;
    }

    // A server in front of a line without modem signals (a pty) never
    // answers SET-CONTROL, so the answer is not waited for.
    bool RaiseRts() override { return !telnet_ || Command(telnet::SET_CONTROL, {telnet::CONTROL_RTS_ON}); }

    bool DiscardInput() override
    {
        if (telnet_ && !Command(telnet::PURGE_DATA, {telnet::PURGE_RECEIVE}))
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
        std::vector<std::uint8_t> wire;
        for (std::size_t i = 0; i < size; ++i) {
            wire.push_back(data[i]);
            if (telnet_ && data[i] == telnet::IAC)
                wire.push_back(telnet::IAC); // 0xFF is doubled on a Telnet line
        }
        const Deadline end = WriteDeadline(timeouts_, size);
        std::size_t sent = 0;
        const bool ok = TimedWrite(end, wire.size(), sent, [&](Deadline until, std::size_t &moved) {
            return socket_->Send(wire.data() + moved, wire.size() - moved, until, moved);
        });
        if (!ok)
            return false;
        // Done when the server has taken the bytes, not when our system has
        // queued them; what it has not taken by the write time-out does not
        // count.
        std::size_t pending = socket_->Unacknowledged();
        // On a near server the acknowledgement takes microseconds; on a far
        // one the wait grows to a millisecond a look.
        for (auto pause = 50us; pending > 0 && (!end || SteadyClock::now() < *end); pause = std::min(2 * pause, 1000us)) {
            std::this_thread::sleep_for(pause);
            pending = socket_->Unacknowledged();
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
    template <class Done>
    bool Listen(SteadyClock::time_point until, Done done)
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

    // Receives what is there by the deadline: the data into data_, the
    // Telnet talk answered.
    Step ReceiveSome(Deadline until)
    {
        std::array<std::uint8_t, 512> buffer;
        std::size_t got = 0;
        const Step step = socket_->Receive(buffer.data(), buffer.size(), until, got);
        if (step != Step::Moved)
            return step;
        if (!telnet_) {
            data_.insert(data_.end(), buffer.begin(), buffer.begin() + std::ptrdiff_t(got));
            return Step::Moved;
        }
        for (std::size_t i = 0; i < got; ++i)
            Decode(buffer[i]);
        if (!replies_.empty()) {
            std::vector<std::uint8_t> replies;
            replies.swap(replies_);
            if (!SendRaw(replies))
                return Step::Failed;
        }
        return Step::Moved;
    }

    void Decode(std::uint8_t byte)
    {
        using namespace telnet;
        switch (state_) {
        case State::Data:
            if (byte == IAC)
                state_ = State::Iac;
            else
                data_.push_back(byte);
            break;
        case State::Iac:
            if (byte == IAC) {
                data_.push_back(byte);
                state_ = State::Data;
            } else if (byte >= WILL) {
                verb_ = byte;
                state_ = State::Option;
            } else if (byte == SB) {
                state_ = State::Sub;
            } else {
                state_ = State::Data; // NOP, data mark and the like
            }
            break;
        case State::Option:
            Negotiate(verb_, byte);
            state_ = State::Data;
            break;
        case State::Sub:
            // The server's answers to our COM-PORT commands: nothing in them
            // changes what we do.
            if (byte == IAC)
                state_ = State::SubIac;
            break;
        case State::SubIac:
            state_ = byte == SE ? State::Data : State::Sub;
            break;
        }
    }

    // Each request is answered once at most, whatever the server repeats:
    // answering acknowledgements is how Telnet peers loop.
    void Negotiate(std::uint8_t verb, std::uint8_t option)
    {
        using namespace telnet;
        const bool wanted = option == BINARY || option == SGA || (option == COM_PORT && verb != WILL);
        if (option == COM_PORT && verb == DO)
            comPort_ = true;
        if (option == COM_PORT && verb == DONT)
            noComPort_ = true;
        std::uint8_t answer = 0;
        if (verb == DO)
            answer = wanted ? WILL : WONT;
        else if (verb == WILL)
            answer = wanted ? DO : DONT;
        if (answer == 0 || answered_[answer - WILL][option])
            return;
        answered_[answer - WILL][option] = true;
        replies_.insert(replies_.end(), {IAC, answer, option});
    }

    bool Command(std::uint8_t command, std::initializer_list<std::uint8_t> value)
    {
        using namespace telnet;
        std::vector<std::uint8_t> bytes{IAC, SB, COM_PORT, command};
        for (std::uint8_t b : value) {
            bytes.push_back(b);
            if (b == IAC)
                bytes.push_back(IAC);
        }
        bytes.insert(bytes.end(), {IAC, SE});
        return SendRaw(bytes);
    }

    bool SendRaw(const std::vector<std::uint8_t> &bytes)
    {
        const Deadline until = SteadyClock::now() + kConnectLimit;
        std::size_t sent = 0;
        const bool ok = TimedWrite(until, bytes.size(), sent, [&](Deadline d, std::size_t &moved) {
            return socket_->Send(bytes.data() + moved, bytes.size() - moved, d, moved);
        });
        if (ok && sent < bytes.size()) {
            KeepFailure(FailureKind::TimedOut, where_ + " takes nothing more");
            return false;
        }
        return ok;
    }

    // The server closed the connection in its first moments: it serves
    // another client (ser2net says "Port already in use" first).
    bool HungUp()
    {
        if (LastFailure().kind != FailureKind::Gone)
            return false;
        std::string said(data_.begin(), data_.end());
        said.erase(std::remove_if(said.begin(), said.end(), [](char c) { return c < ' ' || c > '~'; }),
                   said.end());
        KeepFailure(FailureKind::InUse,
                    where_ + " hung up at once" + (said.empty() ? "" : " (\"" + said.substr(0, 60) + "\")") +
                        ": it serves another client");
        return false;
    }

    enum class State { Data, Iac, Option, Sub, SubIac };

    const std::unique_ptr<TcpSocket> socket_;
    const bool telnet_;
    const std::string where_; // the URL, for messages
    LineSettings line_{9600, 8, NoParity, OneStopBit};
    std::vector<std::uint8_t> data_;    // received, not yet read
    std::vector<std::uint8_t> replies_; // Telnet answers not yet sent
    State state_ = State::Data;
    std::uint8_t verb_ = 0;
    bool answered_[4][256] = {}; // WILL, WONT, DO, DONT sent, by option
    bool comPort_ = false, noComPort_ = false;
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
    auto port = std::make_unique<NetworkPort>(std::move(socket), parsed->rfc2217, url);
    if (!port->Begin())
        return nullptr;
    return port;
}

} // namespace platform
