#pragma once
// A port folder with emulated displays on real pseudo-terminals, and a fresh
// working directory, for each test of the link.
#include "serial/drv232.h"
#include "tests/support/displays.h"

class LinkTest : public testsupport::DisplayTest {
protected:
    LinkTest() : DisplayTest("0930") {}

    // The bytes of the one frame the display took from the last exchange.
    static std::vector<std::uint8_t> LastFrame(const sim::DisplaySim &display)
    {
        display.waitForFrames(1, std::chrono::milliseconds(500));
        const auto frames = display.frames();
        return frames.empty() ? std::vector<std::uint8_t>{} : frames.back().bytes;
    }
};

inline std::vector<std::uint8_t> Bytes(std::initializer_list<int> list)
{
    std::vector<std::uint8_t> out;
    for (int b : list)
        out.push_back(static_cast<std::uint8_t>(b));
    return out;
}
