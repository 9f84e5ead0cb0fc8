// Writing the own time, starting and stopping, reading back; the frames are
// read off the wire by the emulated display.
#include "window_fixture.h"

#include "tests/support/displays.h"

#include <QTest>

namespace {

class RunTest : public MainWindowTest {
protected:
    sim::DisplaySim *display = nullptr;

    void StartWith(int function, int wholeDisplay = 0)
    {
        display = &AddDisplay(2, sim::Behaviour::Normal, "1234");
        WriteSettings(3, 1, function, wholeDisplay);
        Start();
        ClearWire();
    }
    // The frames sent since the last call, as hex.
    std::vector<std::string> Sent(std::size_t expected) { return testsupport::TakeFrames(*display, expected); }
    void ExpectRunning(bool running, int interval = 0, const char *stoppedCaption = "Start")
    {
        EXPECT_EQ(form->Running, running);
        EXPECT_EQ(form->Timer2->Enabled(), running);
        EXPECT_EQ(form->BitBtn11->Caption(), running ? std::string("Stop") : std::string(stoppedCaption));
        EXPECT_EQ(form->BitBtn12->Visible(), !running);
        EXPECT_EQ(form->RadioGroup1->Enabled(), !running);
        EXPECT_EQ(form->BitBtn6->Enabled(), !running);
        if (running) {
            EXPECT_EQ(form->Timer2->Interval(), interval);
        }
    }
};

struct OwnTime {
    const char *left, *right;
    std::string text;
    std::string wire;
};

class OwnTimeWrite : public RunTest, public ::testing::WithParamInterface<OwnTime> {};

TEST_P(OwnTimeWrite, ComposesTheTwoPairsAndSendsFour)
{
    StartWith(0);
    form->Edit2->SetText(GetParam().left);
    form->Edit3->SetText(GetParam().right);
    form->BitBtn11->Click();
    EXPECT_EQ(Drv232::DisplayText, GetParam().text);
    EXPECT_EQ(Sent(1), std::vector<std::string>{GetParam().wire});
    EXPECT_EQ(Panel(0), "Vlastní čas [hod:min]");
    EXPECT_EQ(Panel(1), std::string(GetParam().text.substr(0, 4).c_str())) << "a text ends at its first zero byte";
    EXPECT_EQ(form->Edit2->Text(), GetParam().left) << "the boxes keep what was typed";
    ExpectRunning(false, 0, "Zápis");
}

INSTANTIATE_TEST_SUITE_P(Texts, OwnTimeWrite,
                         ::testing::Values(OwnTime{"7", "5", "0705", "44 30 37 30 35 0D 0A"},
                                           OwnTime{"12", "345", "1234", "44 31 32 33 34 0D 0A"},
                                           OwnTime{"123", "4", "12304", "44 31 32 33 30 0D 0A"},
                                           OwnTime{"", "", "00", "44 30 30 00 00 0D 0A"}));

TEST_F(RunTest, WholeDisplayWritesStartsAndTicksWithCButReadsWithD)
{
    StartWith(0, 1);
    form->Edit2->SetText("09");
    form->Edit3->SetText("30");
    form->BitBtn11->Click();
    form->BitBtn12->Click();
    EXPECT_EQ(Sent(2), (std::vector<std::string>{"43 30 39 33 30 0D 0A", "44 3F 3F 3F 00 0D 0A"}));

    form->RadioGroup1->SetItemIndex(2);
    SetClock(14, 5, 9);
    form->BitBtn11->Click();
    SetClock(14, 5, 10);
    Tick();
    EXPECT_EQ(Sent(2), (std::vector<std::string>{"43 30 35 30 39 0D 0A", "43 30 35 31 30 0D 0A"}));
}

TEST_F(RunTest, ReadPutsTheReplyIntoTheBoxesAsReceived)
{
    StartWith(4);
    display->setValue("1234");
    const std::string before = Panel(0);
    form->BitBtn12->Click();
    EXPECT_EQ(Sent(1), std::vector<std::string>{"44 3F 3F 3F 00 0D 0A"});
    EXPECT_EQ(form->Edit2->Text(), "12");
    EXPECT_EQ(form->Edit3->Text(), "34");
    EXPECT_EQ(Drv232::DisplayText, "???");
    EXPECT_EQ(Panel(0), before) << "a read leaves the status panels";
}

TEST_F(RunTest, RealTimeMinutesSecondsSendsOncePerNewSecond)
{
    StartWith(2);
    SetClock(14, 5, 9);
    form->BitBtn11->Click();
    EXPECT_EQ(Panel(0), "14 : 05 : 09");
    EXPECT_EQ(form->Edit2->Text(), "05");
    EXPECT_EQ(form->Edit3->Text(), "09");
    ExpectRunning(true, 99);
    // The start does not set the reference second, so the first tick sends again.
    Tick();
    Tick();
    SetClock(14, 5, 10);
    Tick();
    Tick();
    EXPECT_EQ(Sent(3),
              (std::vector<std::string>{"44 30 35 30 39 0D 0A", "44 30 35 30 39 0D 0A", "44 30 35 31 30 0D 0A"}));
    EXPECT_EQ(Panel(0), "14 : 05 : 10");
}

TEST_F(RunTest, RealTimeHoursMinutesSendsOnlyWithinSecondZero)
{
    StartWith(1);
    SetClock(14, 5, 30);
    form->BitBtn11->Click();
    EXPECT_EQ(Sent(1), std::vector<std::string>{"44 31 34 30 35 0D 0A"});
    for (int s = 31; s < 60; s += 7) {
        SetClock(14, 5, s);
        Tick();
    }
    EXPECT_TRUE(Sent(0).empty());
    EXPECT_EQ(Panel(0), "14 : 05 : 59") << "the running clock shows on every tick";
    SetClock(14, 6, 0);
    Tick();
    Tick();
    Tick();
    EXPECT_EQ(Sent(3), std::vector<std::string>(3, "44 31 34 30 36 0D 0A"));
    EXPECT_EQ(form->Edit2->Text(), "14");
    EXPECT_EQ(form->Edit3->Text(), "06");
}

TEST_F(RunTest, StopSendsNothingAndAnUpCountRestartsFromZero)
{
    StartWith(4);
    SetClock(10, 0, 10);
    form->BitBtn11->Click();
    ExpectRunning(true, 99);
    EXPECT_EQ(Panel(0), "Stopky nahoru [min:sec]");
    SetClock(10, 0, 11);
    Tick();
    SetClock(10, 0, 12);
    Tick();
    EXPECT_EQ(Sent(3),
              (std::vector<std::string>{"44 30 30 30 30 0D 0A", "44 30 30 30 31 0D 0A", "44 30 30 30 32 0D 0A"}));
    form->BitBtn11->Click();
    ExpectRunning(false);
    EXPECT_TRUE(Sent(0).empty());
    EXPECT_EQ(form->Edit3->Text(), "02") << "stopping keeps the last value shown";

    form->BitBtn11->Click();
    EXPECT_EQ(Sent(1), std::vector<std::string>{"44 30 30 30 30 0D 0A"});
    EXPECT_EQ(form->Edit2->Text(), "00");
}

TEST_F(RunTest, UpCountsCarryAndWrapAtSixty)
{
    StartWith(4);
    SetClock(10, 0, 10);
    form->BitBtn11->Click();
    form->WatchSeconds = 59;
    SetClock(10, 0, 11);
    Tick();
    form->WatchMinutes = 59;
    form->WatchSeconds = 59;
    SetClock(10, 0, 12);
    Tick();
    form->WatchSeconds = 8;
    SetClock(10, 0, 13);
    Tick();
    EXPECT_EQ(form->Edit3->Text(), "09");
    SetClock(10, 0, 14);
    Tick();
    EXPECT_EQ(Sent(5), (std::vector<std::string>{"44 30 30 30 30 0D 0A", "44 30 31 30 30 0D 0A", "44 30 30 30 30 0D 0A",
                                                 "44 30 30 30 39 0D 0A", "44 30 30 31 30 0D 0A"}));
}

TEST_F(RunTest, HoursMinutesCountAtTheSecondBeforeTheStart)
{
    StartWith(3);
    SetClock(10, 0, 0);
    form->BitBtn11->Click();
    EXPECT_EQ(form->LastSecond, 59);
    ExpectRunning(true, 1111);
    SetClock(10, 0, 58);
    Tick();
    SetClock(10, 0, 59);
    Tick();
    form->WatchHours = 59;
    form->WatchMinutes = 59;
    SetClock(10, 1, 59);
    Tick();
    EXPECT_EQ(Sent(3),
              (std::vector<std::string>{"44 30 30 30 30 0D 0A", "44 30 30 30 31 0D 0A", "44 30 30 30 30 0D 0A"}));
    EXPECT_EQ(Panel(0), "Stopky nahoru [hod:min]") << "counting leaves panel 0";
}

struct DownCount {
    int function;
    const char *left, *right;
    std::vector<std::string> wire; // the start, then one count per tick
};

class DownCounting : public RunTest, public ::testing::WithParamInterface<DownCount> {};

TEST_P(DownCounting, StartsFromTheTypedTextsAndBorrowsAboveSixty)
{
    StartWith(GetParam().function);
    form->Edit2->SetText(GetParam().left);
    form->Edit3->SetText(GetParam().right);
    SetClock(8, 0, 30);
    form->BitBtn11->Click();
    ExpectRunning(true, GetParam().function == 5 ? 1111 : 99);
    EXPECT_EQ(Panel(0), GetParam().function == 5 ? std::string("Stopky DOWN [hod:min]") : "Stopky DOWN [min:sec]");
    for (std::size_t i = 1; i < GetParam().wire.size(); ++i) {
        // Hours:minutes count at second 29 each minute, minutes:seconds at each new second.
        SetClock(8, static_cast<int>(i), GetParam().function == 5 ? 29 : static_cast<int>(30 + i));
        Tick();
    }
    EXPECT_EQ(Sent(GetParam().wire.size()), GetParam().wire);
}

INSTANTIATE_TEST_SUITE_P(
    Values, DownCounting,
    ::testing::Values(
        DownCount{6, "00", "00", {"44 30 30 30 30 0D 0A", "44 35 39 35 39 0D 0A", "44 35 39 35 38 0D 0A"}},
        DownCount{5, "00", "00", {"44 30 30 30 30 0D 0A", "44 35 39 35 39 0D 0A", "44 35 39 35 38 0D 0A"}},
        DownCount{6, "01", "61", {"44 30 31 36 31 0D 0A", "44 30 31 36 30 0D 0A", "44 30 31 35 39 0D 0A"}},
        DownCount{6, "01", "75", {"44 30 31 37 35 0D 0A", "44 30 30 35 39 0D 0A"}},
        DownCount{5, "123", "30", {"44 31 32 33 33 0D 0A", "44 31 32 33 32 0D 0A"}},
        DownCount{6, "5", "3", {"44 30 35 30 33 0D 0A", "44 30 35 30 32 0D 0A"}}));

TEST_F(RunTest, CountDownStartLeavesTheTypedTextsUntilTheFirstCount)
{
    StartWith(6);
    form->Edit2->SetText("5");
    form->Edit3->SetText("3");
    SetClock(8, 0, 30);
    form->BitBtn11->Click();
    EXPECT_EQ(form->Edit2->Text(), "5");
    EXPECT_EQ(form->Edit3->Text(), "3");
    SetClock(8, 0, 31);
    Tick();
    EXPECT_EQ(form->Edit2->Text(), "05");
    EXPECT_EQ(form->Edit3->Text(), "02");
}

TEST_F(RunTest, CountDownRestartsFromWhatTheBoxesShow)
{
    StartWith(6);
    form->Edit2->SetText("01");
    form->Edit3->SetText("00");
    SetClock(8, 0, 30);
    form->BitBtn11->Click();
    SetClock(8, 0, 31);
    Tick();
    form->BitBtn11->Click();
    EXPECT_EQ(Sent(2), (std::vector<std::string>{"44 30 31 30 30 0D 0A", "44 30 30 35 39 0D 0A"}));
    form->BitBtn11->Click();
    SetClock(8, 0, 40);
    Tick();
    EXPECT_EQ(Sent(2), (std::vector<std::string>{"44 30 30 35 39 0D 0A", "44 30 30 35 38 0D 0A"}));
}

TEST_F(RunTest, BadNumberForACountDownShowsTheErrorAndStartsNothing)
{
    StartWith(5);
    form->Edit2->SetText("1a");
    form->Edit3->SetText("30");
    std::string text;
    AnswerNextMessageBox(&text);
    form->BitBtn11->Click();
    EXPECT_EQ(text, "Chybný formát čísla");
    EXPECT_TRUE(Sent(0).empty());
    ExpectRunning(false);
}

TEST_F(RunTest, NegativeTextCountsFromTheLow16Bits)
{
    StartWith(6);
    form->Edit2->SetText("-1");
    form->Edit3->SetText("$10");
    SetClock(8, 0, 30);
    form->BitBtn11->Click();
    EXPECT_EQ(form->WatchMinutes, 65535);
    EXPECT_EQ(form->WatchSeconds, 16);
}

TEST_F(RunTest, FailedFirstSendStillStartsAndFunctionTwoFlickers)
{
    StartWith(2);
    display->setBehaviour(sim::Behaviour::Silent);
    SetClock(14, 5, 9);
    form->BitBtn11->Click();
    EXPECT_EQ(Panel(0), "Chyba při odesílání dat");
    ExpectRunning(true, 99);
    SetClock(14, 5, 10);
    Tick();
    EXPECT_EQ(Panel(0), "Chyba při odesílání dat");
    Tick();
    EXPECT_EQ(Panel(0), "14 : 05 : 10");
}

TEST_F(RunTest, FailedCountDownStartKeepsTheFailureText)
{
    StartWith(5);
    display->setBehaviour(sim::Behaviour::WrongTerminator);
    form->Edit2->SetText("10");
    form->Edit3->SetText("00");
    form->BitBtn11->Click();
    EXPECT_EQ(Panel(0), "Chyba při odesílání dat");
    ExpectRunning(true, 1111);
}

TEST_F(RunTest, NoFunctionSelectedMakesClicksAndTicksIdleButReadsWork)
{
    StartWith(-3);
    form->BitBtn11->Click();
    Tick();
    EXPECT_TRUE(Sent(0).empty());
    ExpectRunning(false, 0, "Zápis");
    form->BitBtn12->Click();
    EXPECT_EQ(Sent(1), std::vector<std::string>{"44 3F 3F 3F 00 0D 0A"});
}

} // namespace
