#pragma once
// A port as the user names it: a COM number (COM1 to COM255) or the URL of a
// port on a serial device server. Taken apart once where a name comes in (the
// command line, the settings file, the ports folder); every message names the
// port by its label.
#include <optional>
#include <string>
#include <string_view>

namespace platform {

class PortName {
public:
    static constexpr unsigned kLastNumber = 255;
    // The search tries COM1 to COM29 (and qmxctl ports lists them); a stored
    // port outside them counts as COM3.
    static constexpr unsigned kLastSearched = 29;
    static constexpr unsigned kUnstored = 3;

    // COMn; n from 1 to kLastNumber.
    static PortName Com(unsigned n);
    // The stored port as the search takes it.
    static PortName Stored(int n);
    // "COM3", "com3", "3" or a port URL (rfc2217://HOST:PORT,
    // socket://HOST:PORT); nullopt for anything else.
    static std::optional<PortName> Parse(std::string_view text);

    // n of COMn; 0 for a URL.
    unsigned Number() const { return number_; }
    bool IsUrl() const { return number_ == 0; }
    // "COM3", or the URL.
    const std::string &Label() const { return label_; }
    // What the system's open takes: "COM9", "\\.\COM10", or the URL.
    std::string DeviceName() const;
    // The path the name leads to, or the URL; empty when it leads nowhere.
    std::string Path() const;

    bool operator==(const PortName &) const = default;

private:
    PortName(unsigned number, std::string label) : number_(number), label_(std::move(label)) {}
    unsigned number_;
    std::string label_;
};

// The number n of a port name "COMn" or "\\.\COMn" (1..255), on every system.
std::optional<unsigned> ComPortNumber(std::string_view name);

} // namespace platform
