#pragma once
// A port folder with emulated displays on real pseudo-terminals, and a fresh
// working directory, for each test of the link.
#include "serial/drv232.h"
#include "sim/display_sim.h"
#include "tests/support/displays.h"
#include "tests/support/link_state.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>
#include <memory>
#include <stdexcept>

class LinkTest : public ::testing::Test {
protected:
    testsupport::TempDir ports;
    testsupport::TempDir work;
    testsupport::ScopedEnv portDir{"QMX_PORT_DIR", ports.path().string()};
    testsupport::ScopedWorkingDir cwd{work.path()};

    void TearDown() override { testsupport::ResetLinkState(); }

    sim::DisplaySim &AddDisplay(int port, sim::Behaviour behaviour = sim::Behaviour::Normal,
                                const std::string &value = "0930") {
        displays.push_back(testsupport::StartDisplay(ports.path(), port, behaviour, value));
        if (!displays.back())
            throw std::runtime_error("no emulated display");
        return *displays.back();
    }

    // The bytes of the one frame the display took from the last exchange.
    static std::vector<std::uint8_t> LastFrame(const sim::DisplaySim &display) {
        display.waitForFrames(1, std::chrono::milliseconds(500));
        const auto frames = display.frames();
        return frames.empty() ? std::vector<std::uint8_t>{} : frames.back().bytes;
    }

    std::vector<std::unique_ptr<sim::DisplaySim>> displays;
};

inline std::vector<std::uint8_t> Bytes(std::initializer_list<int> list) {
    std::vector<std::uint8_t> out;
    for (int b : list)
        out.push_back(static_cast<std::uint8_t>(b));
    return out;
}
