#pragma once
// The text the emulator's command prints for each frame.
#include "sim/display_sim.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

// Local time of day as HH:MM:SS.mmm.
std::string ClockText(std::chrono::system_clock::time_point at);

// The wall-clock time of a steady_clock reading taken a moment ago.
std::chrono::system_clock::time_point WallTime(std::chrono::steady_clock::time_point at);

// "value, read", "value, write", "digit" or "garbage".
std::string KindText(const Frame &frame);

// One line for the frame as it came in and, for value frames, one for the
// answer: "17:25:03.120 COM3 <- 44 3F 3F 3F 00 0D 0A  (value, read)".
std::vector<std::string> LogLines(const std::string &port, const Frame &frame, std::chrono::system_clock::time_point in,
                                  std::chrono::system_clock::time_point out);

// The characters with unprintable bytes written as \xNN, for one-line output.
std::string PrintableText(std::string_view chars);

// The cells as the display shows them, a point after each lit cell: "12.345".
std::string CellsText(const std::array<std::uint8_t, 5> &cells);

} // namespace sim
