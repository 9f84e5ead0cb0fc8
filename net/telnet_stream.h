#pragma once
// RFC 2217 over a port's TCP connection: Telnet with the COM-PORT-OPTION.
// The data is Telnet's (0xFF doubled), the server's option requests are
// answered once each, and the line settings, RTS and purges are its
// commands.
#include "net/port_stream.h"

namespace net {

class TelnetStream final : public PortStream {
public:
    using PortStream::PortStream;

    bool Negotiate(const Listener &listen) override;
    bool SetLine(const platform::LineSettings &settings) override;
    bool RaiseRts() override;
    bool PurgeInput() override;
    std::vector<std::uint8_t> Encode(const std::uint8_t *data, std::size_t size) override;

private:
    platform::Step Take(const std::uint8_t *bytes, std::size_t size, std::vector<std::uint8_t> &data) override;
    void Decode(std::uint8_t byte, std::vector<std::uint8_t> &data);
    void Answer(std::uint8_t verb, std::uint8_t option);
    bool Command(std::uint8_t command, std::initializer_list<std::uint8_t> value);
    bool SendRaw(const std::vector<std::uint8_t> &bytes);

    enum class State { Data, Iac, Option, Sub, SubIac };

    std::vector<std::uint8_t> replies_; // answers not yet sent
    State state_ = State::Data;
    std::uint8_t verb_ = 0;
    bool answered_[4][256] = {}; // WILL, WONT, DO, DONT sent, by option
    bool comPort_ = false, noComPort_ = false;
};

} // namespace net
