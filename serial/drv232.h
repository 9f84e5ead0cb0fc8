#pragma once
// The serial link to the display: one port, one text to send, one buffer for
// the last reply, the settings record, the clock sample and the digit cells.
// Free routines over module state; every routine reports through its result
// and none throws.
#include "platform/port_name.h"
#include "platform/serial_device.h"

#include <array>
#include <bit>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace Drv232 {

// --- the port and the value exchange ---------------------------------------

extern platform::SerialDevice *PortHandle; // nullptr: no port
extern std::uint8_t LineMode;              // 1: 9600 8N1; other: 115200 8E1
extern std::string DisplayText;            // Windows-1250 bytes

bool OpenPort(std::uint8_t n);
// The same for a port by its name: a COM name, or the URL of a port on a
// serial device server.
bool OpenPort(const platform::PortName &port);
bool RaiseRts();
bool ExchangeValue(); // letter "D"
bool ExchangeWhole(); // letter "C"

// ReplyBuffer lives in storage that the main window provides from its
// activation until the program ends. New storage starts as four zero bytes.
void NewReplyBuffer();
void DisposeReplyBuffer();
bool HasReplyBuffer();
// The four characters of the last accepted reply (four zero bytes when there
// is no storage).
std::string ReplyText();

// Closes the port (for tests and for the end of the program).
void ClosePort();

// --- the search for the display -----------------------------------------------

// Tries the searched ports from the stored one (platform::PortName::Stored)
// minus one downwards, wrapping from the last to COM1, ending with the stored
// port itself, each with an exchange of DisplayText (the read value "???").
// Stops at the first port that answers, which stays open with its reply in
// ReplyBuffer. missed(port, opened) hears of each port tried in vain, with
// the reason kept (platform/failure.h). nullopt when none answered; the last
// port tried may then stay open.
using MissedPort = std::function<void(const platform::PortName &port, bool opened)>;
std::optional<platform::PortName> SearchDisplay(const platform::PortName &stored, const MissedPort &missed = {});

// --- the digit frame ---------------------------------------------------------

extern std::array<std::uint8_t, 5> DigitCells; // cell 0 is the rightmost
extern std::array<std::uint8_t, 5> PointFlags;
extern std::uint8_t ModuleAddress;

// True when sending FAILED (the reverse of the exchanges).
bool SendDigitFrame(std::uint8_t address);

// --- the settings record and the files ---------------------------------------

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

extern TParameterRecord ParameterRecord;

extern const char *const ParameterFileName; // "Parametry.par"
extern const char *const ValueFileName;     // "QMXV6614.txt"

bool LoadParameters();
bool SaveParameters();
bool LoadValueFile();
bool SaveValueFile();

// --- the clock sample ----------------------------------------------------------

extern std::string ClockHours;
extern std::string ClockMinutes;
extern std::string ClockSeconds;
extern std::uint16_t ClockSecond;

void SampleClock();
std::string TwoDigits(std::uint32_t value);

} // namespace Drv232
