#pragma once
// What the display keeps in its memory and what it answers to each frame,
// apart from the timing of the answer on the line.
#include "sim/display_sim.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace sim {

// The byte a StrayByte display lets slip out before each answer.
constexpr std::uint8_t kStrayByte = 0x00;

struct DisplayMemory {
    std::string value = "0000";
    std::array<std::uint8_t, 5> cells{};
};

// Four characters, cut or padded with blanks: the display has four places.
std::string FourChars(std::string text);

// True for the value bytes "???" and a zero byte, which ask for the value.
bool IsValueRead(const Frame &frame);

// Updates memory from the frame and returns the bytes the display answers.
std::vector<std::uint8_t> Answer(DisplayMemory &memory, const Frame &frame, Behaviour behaviour);

} // namespace sim
