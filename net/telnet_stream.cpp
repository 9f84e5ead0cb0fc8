#include "net/telnet_stream.h"

#include "platform/failure.h"

namespace net {
namespace {

using namespace std::chrono_literals;
using platform::FailureKind;
using platform::KeepFailure;
using platform::SteadyClock;
using platform::Step;

// A server that speaks RFC 2217 takes the option at once; one that has not
// by then does not speak it (a raw port sends nothing at all).
constexpr auto kOptionLimit = 500ms;

constexpr std::uint8_t SE = 240, SB = 250, WILL = 251, WONT = 252, DO = 253, DONT = 254, IAC = 255;
constexpr std::uint8_t BINARY = 0, SGA = 3, COM_PORT = 44;
// COM-PORT-OPTION commands, client to server.
constexpr std::uint8_t SET_BAUDRATE = 1, SET_DATASIZE = 2, SET_PARITY = 3, SET_STOPSIZE = 4, SET_CONTROL = 5,
                       PURGE_DATA = 12;
constexpr std::uint8_t CONTROL_RTS_ON = 11, PURGE_RECEIVE = 1;

} // namespace

bool TelnetStream::Negotiate(const Listener &listen)
{
    answered_[0][COM_PORT] = true;
    if (!SendRaw({IAC, WILL, COM_PORT}))
        return false;
    if (!listen(SteadyClock::now() + kOptionLimit, [this] { return comPort_ || noComPort_; }))
        return false;
    if (!comPort_) {
        KeepFailure(FailureKind::NotAPort, where_ + " does not take the RFC 2217 COM-PORT-OPTION (" +
                                               (noComPort_ ? "it refused it" : "no answer within 0.5 s") +
                                               "); is it a raw port (socket://)?");
        return false;
    }
    return true;
}

bool TelnetStream::SetLine(const platform::LineSettings &s)
{
    const std::uint32_t b = s.BaudRate;
    const std::uint8_t stop = s.StopBits == platform::OneStopBit ? 1 : s.StopBits == platform::TwoStopBits ? 2 : 3;
    return Command(SET_BAUDRATE,
                   {std::uint8_t(b >> 24), std::uint8_t(b >> 16), std::uint8_t(b >> 8), std::uint8_t(b)}) &&
           Command(SET_DATASIZE, {s.ByteSize}) && Command(SET_PARITY, {std::uint8_t(s.Parity + 1)}) &&
           Command(SET_STOPSIZE, {stop});
}

// A server in front of a line without modem signals (a pty) never answers
// SET-CONTROL, so the answer is not waited for.
bool TelnetStream::RaiseRts()
{
    return Command(SET_CONTROL, {CONTROL_RTS_ON});
}

bool TelnetStream::PurgeInput()
{
    return Command(PURGE_DATA, {PURGE_RECEIVE});
}

std::vector<std::uint8_t> TelnetStream::Encode(const std::uint8_t *data, std::size_t size)
{
    std::vector<std::uint8_t> wire;
    for (std::size_t i = 0; i < size; ++i) {
        wire.push_back(data[i]);
        if (data[i] == IAC)
            wire.push_back(IAC); // 0xFF is doubled on a Telnet line
    }
    return wire;
}

// The data into data, the Telnet talk answered.
Step TelnetStream::Take(const std::uint8_t *bytes, std::size_t size, std::vector<std::uint8_t> &data)
{
    for (std::size_t i = 0; i < size; ++i)
        Decode(bytes[i], data);
    if (!replies_.empty()) {
        std::vector<std::uint8_t> replies;
        replies.swap(replies_);
        if (!SendRaw(replies))
            return Step::Failed;
    }
    return Step::Moved;
}

void TelnetStream::Decode(std::uint8_t byte, std::vector<std::uint8_t> &data)
{
    switch (state_) {
    case State::Data:
        if (byte == IAC)
            state_ = State::Iac;
        else
            data.push_back(byte);
        break;
    case State::Iac:
        if (byte == IAC) {
            data.push_back(byte);
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
        Answer(verb_, byte);
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
void TelnetStream::Answer(std::uint8_t verb, std::uint8_t option)
{
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

bool TelnetStream::Command(std::uint8_t command, std::initializer_list<std::uint8_t> value)
{
    std::vector<std::uint8_t> bytes{IAC, SB, COM_PORT, command};
    for (std::uint8_t b : value) {
        bytes.push_back(b);
        if (b == IAC)
            bytes.push_back(IAC);
    }
    bytes.insert(bytes.end(), {IAC, SE});
    return SendRaw(bytes);
}

bool TelnetStream::SendRaw(const std::vector<std::uint8_t> &bytes)
{
    const platform::Deadline until = SteadyClock::now() + kConnectLimit;
    std::size_t sent = 0;
    const bool ok = platform::TimedWrite(until, bytes.size(), sent, [&](platform::Deadline d, std::size_t &moved) {
        return socket_->Send(bytes.data() + moved, bytes.size() - moved, d, moved);
    });
    if (ok && sent < bytes.size()) {
        KeepFailure(FailureKind::TimedOut, where_ + " takes nothing more");
        return false;
    }
    return ok;
}

} // namespace net
