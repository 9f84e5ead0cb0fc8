#pragma once
// The main window on Qt's offscreen platform, with emulated displays on real
// ptys, the settings file in a temp working folder and the clock on a hook.
#include "gui/qt_widgets.h"
#include "main_window/tform1.h"
#include "platform/local_time.h"
#include "serial/drv232.h"
#include "sim/display_sim.h"
#include "tests/support/displays.h"
#include "tests/support/qt_tests.h"

#include <string>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

class MainWindowTest : public testsupport::DisplayTest {
protected:
    MainWindowTest() : DisplayTest("1234") {}
    std::unique_ptr<TForm1> form;

    void TearDown() override;

    void WriteSettings(int port, int period, int function, int wholeDisplay);
    // Creates the window, shows it and waits until its activation has run.
    void Start();
    std::string Panel(int index) const;
    // Every frame the displays saw, oldest first, with the port that saw it.
    std::vector<std::pair<int, sim::Frame>> WireLog() const;
    void ClearWire();
    // Places the clock at h:m:s for SampleClock.
    void SetClock(int h, int m, int s);
    // One tick of Timer2, as the message loop would deliver it.
    void Tick();
};

std::string Hex(const std::string &bytes);

using gui::qt::Timer;
using gui::qt::Widget;
using testsupport::AnswerNextMessageBox;
