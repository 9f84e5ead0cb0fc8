#pragma once
// One display's serial link: its port, the text to send, the last reply, the
// settings record, the digit cells and the clock sample, with the protocol as
// its methods. Every method reports through its result and none throws.
// Links are independent: one process may drive as many displays as it has
// links.
#include "platform/clock_sync.h"
#include "platform/port_name.h"
#include "platform/serial_device.h"

#include <array>
#include <bit>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

namespace Drv232 {

static_assert(std::endian::native == std::endian::little,
              "the settings file is the little-endian memory image of the record");

struct TParameterRecord {
    std::uint8_t Port;
    std::uint8_t Reserved1;
    std::uint16_t Period;
    std::int32_t Function;
    std::uint8_t WholeDisplay;
    std::uint8_t Reserved2[3];
};
static_assert(sizeof(TParameterRecord) == 12);

inline constexpr const char *ParameterFileName = "Parametry.par";
inline constexpr const char *ValueFileName = "QMXV6614.txt";

// Hears of each port the search tried in vain, with the reason kept
// (platform/failure.h).
using MissedPort = std::function<void(const platform::PortName &port, bool opened)>;

// The open port, closed with its owner; moving hands it on.
class PortOwner {
public:
    platform::SerialDevice *PortHandle = nullptr; // nullptr: no port

    PortOwner() = default;
    PortOwner(PortOwner &&other) noexcept : PortHandle(std::exchange(other.PortHandle, nullptr)) {}
    PortOwner &operator=(PortOwner &&other) noexcept
    {
        if (this != &other) {
            platform::CloseSerialDevice(PortHandle);
            PortHandle = std::exchange(other.PortHandle, nullptr);
        }
        return *this;
    }
    ~PortOwner() { platform::CloseSerialDevice(PortHandle); }
};

class Link : public PortOwner {
public:
    // --- the port and the value exchange -----------------------------------

    std::uint8_t LineMode = 1; // 1: 9600 8N1; other: 115200 8E1
    std::string DisplayText;   // Windows-1250 bytes

    // Opens port in place of the link's port, which is closed first so that
    // the search at start leaves no other device's port locked. The port
    // stays in PortHandle whatever the result.
    bool Open(const platform::PortName &port);
    void Close();
    bool RaiseRts();
    // One exchange of text's first four bytes (zero bytes after a shorter
    // one), with the letter "C" when whole, else "D".
    bool Exchange(const std::string &text, bool whole);
    bool ExchangeValue() { return Exchange(DisplayText, false); }
    bool ExchangeWhole() { return Exchange(DisplayText, true); }

    // The storage that keeps an accepted reply; new storage starts as four
    // zero bytes.
    void NewReplyBuffer();
    void DisposeReplyBuffer();
    // The four characters of the last accepted reply (four zero bytes when
    // there is no storage).
    std::string ReplyText() const;

    // Tries the searched ports from the stored one minus one downwards,
    // wrapping from COM1 to the last searched, ending with the stored port
    // itself, each with an exchange of DisplayText (the read value "???").
    // Stops at the first port that answers, which stays open with its reply
    // kept. nullopt when none answered; the last port tried may then stay
    // open.
    std::optional<platform::PortName> SearchDisplay(const platform::PortName &stored, const MissedPort &missed = {});

    // --- the digit frame ---------------------------------------------------

    std::array<std::uint8_t, 5> DigitCells{}; // cell 0 is the rightmost
    std::array<std::uint8_t, 5> PointFlags{};
    std::uint8_t ModuleAddress = 0;

    // True when sending FAILED (the reverse of the exchanges).
    bool SendDigitFrame(std::uint8_t address);

    // --- the settings record and the files, in the working directory -------

    TParameterRecord ParameterRecord{};

    bool LoadParameters();
    bool SaveParameters();
    bool LoadValueFile();
    bool SaveValueFile();

    // --- the clock sample --------------------------------------------------

    std::string ClockHours;
    std::string ClockMinutes;
    std::string ClockSeconds;
    std::uint16_t ClockSecond = 0;
    // Whether the PC's clock is kept right; empty: as the system says.
    std::function<platform::ClockSync()> ClockSyncSource;

    void SampleClock();
    platform::ClockSync ReadClockSync() const;

private:
    std::unique_ptr<std::array<char, 4>> replyStorage_;
};

std::string TwoDigits(std::uint32_t value);

} // namespace Drv232
