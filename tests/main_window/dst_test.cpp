// The window's real-time functions across both daylight-saving changes, on
// the same walks as qmxctl's clock: the local time comes through the clock
// hook from the system's conversion, one tick per second.
#include "window_fixture.h"

#include "tests/support/dst_walks.h"

namespace {

using namespace testsupport;

class DaylightSavingTest : public MainWindowTest {};

TEST_F(DaylightSavingTest, RealTimeFollowsLocalTimeAcrossBothChanges)
{
    sim::DisplaySim &display = AddDisplay(2, sim::Behaviour::Normal, "1234");
    WriteSettings(3, 1, 1, 0);
    Start();
    PragueTime prague;
    for (const DstWalk &walk : DstWalks()) {
        SCOPED_TRACE(walk.what);
        form->RadioGroup1->SetItemIndex(walk.hoursMinutes ? 1 : 2);
        ClearWire();
        int step = 0;
        SetClockToWalk(walk, &step);
        form->BitBtn11->Click();
        for (step = 1; step < walk.seconds; ++step)
            Tick();
        form->BitBtn11->Click();
        platform::SetClockSource({});
        std::vector<std::string> expected;
        for (const std::string &value : walk.sent)
            expected.push_back(Hex("D" + value + "\r\n"));
        EXPECT_EQ(TakeFrames(display, expected.size()), expected);
    }
}

} // namespace
