#pragma once
// Large characters for the emulator's screen, five rows high, drawn with '#'.
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace sim {

constexpr int kBigRows = 5;

// Draws the characters side by side. Digits, '-', 'M', '?' and blank have
// their own shapes; anything else is drawn as a box so that a wrong byte is
// seen rather than hidden. All rows have the same width.
std::vector<std::string> RenderBig(std::string_view chars);

// Draws the five cells of a digit frame, leftmost first; bit 7 of a cell
// lights the point after it.
std::vector<std::string> RenderBigCells(const std::array<std::uint8_t, 5> &cells);

} // namespace sim
