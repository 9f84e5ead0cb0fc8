#pragma once
// The serial link as the windows call it: the routines and the state of one
// link, the default one, which serves the program's one display from start
// to end. Each name forwards to that link (serial/link.h).
#include "serial/link.h"

// One line a forward, as a table of the names the windows call.
// clang-format off
namespace Drv232 {

// Never torn down: the port stays open until the program ends.
Link &DefaultLink();

inline platform::SerialDevice *&PortHandle = DefaultLink().PortHandle;
inline std::uint8_t &LineMode = DefaultLink().LineMode;
inline std::string &DisplayText = DefaultLink().DisplayText;
inline std::array<std::uint8_t, 5> &DigitCells = DefaultLink().DigitCells;
inline std::array<std::uint8_t, 5> &PointFlags = DefaultLink().PointFlags;
inline std::uint8_t &ModuleAddress = DefaultLink().ModuleAddress;
inline TParameterRecord &ParameterRecord = DefaultLink().ParameterRecord;
inline std::string &ClockHours = DefaultLink().ClockHours;
inline std::string &ClockMinutes = DefaultLink().ClockMinutes;
inline std::string &ClockSeconds = DefaultLink().ClockSeconds;
inline std::uint16_t &ClockSecond = DefaultLink().ClockSecond;

inline bool OpenPort(const platform::PortName &port) { return DefaultLink().Open(port); }
inline bool OpenPort(std::uint8_t n) { return OpenPort(platform::PortName::Com(n)); }
inline bool RaiseRts() { return DefaultLink().RaiseRts(); }
inline bool ExchangeValue() { return DefaultLink().ExchangeValue(); } // letter "D"
inline bool ExchangeWhole() { return DefaultLink().ExchangeWhole(); } // letter "C"
inline void ClosePort() { DefaultLink().Close(); }

// ReplyBuffer lives in storage that the main window provides from its
// activation until the program ends.
inline void NewReplyBuffer() { DefaultLink().NewReplyBuffer(); }
inline void DisposeReplyBuffer() { DefaultLink().DisposeReplyBuffer(); }
inline std::string ReplyText() { return DefaultLink().ReplyText(); }

inline std::optional<platform::PortName> SearchDisplay(const platform::PortName &stored,
                                                       const MissedPort &missed = {})
{
    return DefaultLink().SearchDisplay(stored, missed);
}

inline bool SendDigitFrame(std::uint8_t address) { return DefaultLink().SendDigitFrame(address); }

inline bool LoadParameters() { return DefaultLink().LoadParameters(); }
inline bool SaveParameters() { return DefaultLink().SaveParameters(); }
inline bool LoadValueFile() { return DefaultLink().LoadValueFile(); }
inline bool SaveValueFile() { return DefaultLink().SaveValueFile(); }

inline void SampleClock() { DefaultLink().SampleClock(); }

} // namespace Drv232
// clang-format on
