#pragma once
// A running emulator on COM7 in a fresh folder, with the program's port open.
#include "program_side.h"
#include "sim/display_sim.h"

#include <gtest/gtest.h>
#include <memory>

namespace simtest {

class SimTest : public ::testing::Test {
protected:
    void SetUp() override { startWith(sim::Options{}); }

    void startWith(sim::Options options)
    {
        port.reset();
        options.portDir = dir.path().string();
        options.portNumber = 7;
        display = std::make_unique<sim::DisplaySim>(options);
        ASSERT_TRUE(display->start()) << display->error();
        port = std::make_unique<ProgramPort>(display->linkPath());
        ASSERT_TRUE(port->isOpen());
    }

    TempDir dir;
    std::unique_ptr<sim::DisplaySim> display;
    std::unique_ptr<ProgramPort> port;
};

} // namespace simtest
