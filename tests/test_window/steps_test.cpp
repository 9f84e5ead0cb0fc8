// The display test window at work: the frames of each test step as the
// emulated display receives them, the texts the technician reads, the
// period typed in, and "Zpět".
#include "gui/qt_widgets.h"
#include "serial/drv232.h"
#include "test_window/tform2.h"
#include "tests/support/displays.h"
#include "tests/support/link_state.h"
#include "tests/support/qt_tests.h"
#include "tests/support/temp_dir.h"

#include <QApplication>
#include <QLocale>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

using gui::qt::Timer;
using gui::qt::Widget;

class TestWindowSteps : public ::testing::Test {
protected:
    testsupport::TempDir ports;
    testsupport::ScopedEnv portDir{"QMX_PORT_DIR", ports.path().string()};
    std::unique_ptr<sim::DisplaySim> display;
    std::unique_ptr<TForm2> form;

    void SetUp() override
    {
        display = testsupport::StartDisplay(ports.path(), 2, sim::Behaviour::Normal, "0000");
        ASSERT_TRUE(display);
        ASSERT_TRUE(Drv232::OpenPort(2));
        Open();
    }
    void TearDown() override
    {
        form.reset();
        testsupport::ResetLinkState();
        QLocale::setDefault(QLocale::system());
    }
    // A fresh window, shown and activated as the main window's button does.
    void Open()
    {
        form = std::make_unique<TForm2>(nullptr);
        form->Show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(Widget(*form)));
        display->clearFrames();
    }
    // Types text into edit and moves the focus on, as the technician does.
    void TypeAndLeave(gui::TEdit *edit, const std::string &text)
    {
        Widget(edit)->setFocus(Qt::TabFocusReason);
        edit->SetText(text);
        Widget(form->Button5)->setFocus(Qt::TabFocusReason);
    }
    std::vector<std::string> Sent(std::size_t expected) { return testsupport::TakeFrames(*display, expected); }
    std::string Digits() const
    {
        std::string shown;
        for (auto *label : {form->Label9, form->Label10, form->Label11, form->Label12, form->Label13})
            shown += label->Caption();
        return shown;
    }
    void Tick() { form->Timer1->OnTimer(form->Timer1); }
};

TEST_F(TestWindowSteps, ActivationSetsTheTestStateAfresh)
{
    form->TestPeriod = 7;
    form->TestMode = 2;
    form->TestCharacter = 99;
    form->FormActivate(form.get());
    EXPECT_EQ(form->TestPeriod, 0.5f);
    EXPECT_EQ(form->TestMode, 0);
    EXPECT_EQ(form->TestCharacter, 31);
    EXPECT_EQ(form->Edit1->Text(), "0.5");
    EXPECT_EQ(form->Edit2->Text(), "31");
    EXPECT_EQ(form->Label14->Caption(), "Adresa modulu: 0");
    EXPECT_FALSE(form->Panel1->Visible());
    EXPECT_FALSE(form->Timer1->Enabled());
}

TEST_F(TestWindowSteps, CharacterTestSendsOneCodeInAllFivePlacesAndStepsOn)
{
    const struct {
        const char *typed; // nullptr: Edit2 as the last step left it
        const char *wire, *info, *next;
        bool box;
    } steps[] = {
        {nullptr, "01 30 02 1F 1F 1F 1F 1F 0D 0A", "Poslán znak: \x1F", "32", false},
        {"127", "01 30 02 7F 7F 7F 7F 7F 0D 0A", "Poslán znak: \x7F", "32", false},
        {"200", "01 30 02 C8 C8 C8 C8 C8 0D 0A", "Poslán znak: Č", "32", false},
        {"255", "01 30 02 FF FF FF FF FF 0D 0A", "Poslán znak: ˙", "0", false},
        {"321", "01 30 02 41 41 41 41 41 0D 0A", "Poslán znak: A", "66", false},
        {"-1", "01 30 02 FF FF FF FF FF 0D 0A", "Poslán znak: ˙", "0", false},
        {"x", "01 30 02 00 00 00 00 00 0D 0A", nullptr, "1", true},
    };
    for (const auto &step : steps) {
        SCOPED_TRACE(step.wire);
        if (step.typed)
            form->Edit2->SetText(step.typed);
        std::string box;
        if (step.box)
            testsupport::AnswerNextMessageBox(&box);
        form->Button1->Click();
        EXPECT_EQ(box, step.box ? std::string("Chybný formát čísla") : std::string());
        EXPECT_EQ(Sent(1), std::vector<std::string>{step.wire});
        if (step.info) {
            EXPECT_EQ(form->Label3->Caption(), step.info);
        }
        EXPECT_EQ(form->Edit2->Text(), step.next);
        EXPECT_EQ(form->TestMode, 1);
    }
}

TEST_F(TestWindowSteps, CounterCountsFiveDecimalDigitsShownAndSent)
{
    form->Button2->Click();
    EXPECT_EQ(form->Label3->Caption(), "Probíhá test čítače. Pro ukončení stiskni tlačítko Zpět.");
    EXPECT_TRUE(form->Panel1->Visible());
    EXPECT_EQ(form->Timer1->Interval(), 500);
    EXPECT_TRUE(form->Timer1->Enabled());
    EXPECT_EQ(Sent(0), std::vector<std::string>{}) << "nothing goes out before the first tick";

    Tick();
    EXPECT_EQ(Digits(), "00001");
    EXPECT_EQ(Sent(1), std::vector<std::string>{"01 30 02 30 30 30 30 31 0D 0A"});
    for (int i = 0; i < 9; ++i)
        Tick();
    EXPECT_EQ(Digits(), "00010");
    EXPECT_EQ(Sent(9).back(), "01 30 02 30 30 30 31 30 0D 0A");
    Drv232::DigitCells.fill('9');
    Tick();
    EXPECT_EQ(Digits(), "00000") << "five nines wrap to five zeros";
    EXPECT_EQ(Sent(1), std::vector<std::string>{"01 30 02 30 30 30 30 30 0D 0A"});

    // The character test takes over: the counter freezes, its timer runs on idle.
    form->Button1->Click();
    ASSERT_EQ(Sent(1).size(), 1u);
    Tick();
    EXPECT_EQ(Sent(0), std::vector<std::string>{});
    EXPECT_TRUE(form->Timer1->Enabled());
    EXPECT_TRUE(form->Panel1->Visible());
    EXPECT_EQ(Digits(), "00000");

    form->Button5->Click();
    EXPECT_EQ(form->Label3->Caption(), "Konec testu");
    EXPECT_FALSE(form->Timer1->Enabled());
    EXPECT_FALSE(form->Panel1->Visible());
    EXPECT_TRUE(Widget(*form)->isVisible());
    form->Button5->Click();
    EXPECT_FALSE(Widget(*form)->isVisible()) << "with no test running, Zpět closes the window";
}

// Nothing offers this test to the technician; it still works when shown.
TEST_F(TestWindowSteps, DecimalPointTestMovesALitPointRightwardsFromWhereItIs)
{
    form->Button3->SetVisible(true);
    form->Button3->Click();
    EXPECT_EQ(form->Label3->Caption(), "Probíhá test desetinných teček. Pro ukončení stiskni tlačítko Zpět.");
    EXPECT_EQ(Digits(), ".....");
    Tick();
    EXPECT_EQ(Sent(1), std::vector<std::string>{"01 30 02 00 00 00 00 00 0D 0A"})
        << "the start hides every position, so no point moves";

    form->Label9->SetVisible(true);
    Drv232::PointFlags[4] = 1;
    for (int i = 0; i < 5; ++i)
        Tick();
    EXPECT_EQ(Sent(5), (std::vector<std::string>{"01 30 02 00 80 00 00 00 0D 0A", "01 30 02 00 00 80 00 00 0D 0A",
                                                 "01 30 02 00 00 00 80 00 0D 0A", "01 30 02 00 00 00 00 80 0D 0A",
                                                 "01 30 02 00 00 00 00 00 0D 0A"}));
}

// The period is read with the decimal separator of the user's regional
// settings; a period that gives no positive interval a timer can keep never
// ticks rather than wrapping or firing at once.
TEST_F(TestWindowSteps, PeriodFollowsTheRegionalSeparatorAndOnlySoundIntervalsTick)
{
    const struct {
        QLocale::Language language;
        const char *shown, *typed;
        bool box;
        int interval;
    } cases[] = {
        {QLocale::English, "0.5", "0,5", true, 500},     {QLocale::Czech, "0,5", "0.5", true, 500},
        {QLocale::English, "0.5", " 0.25 ", false, 250}, {QLocale::Czech, "0,5", "2,5e-1", false, 250},
        {QLocale::English, "0.5", "1,000", true, 500},   {QLocale::English, "0.5", "0", false, 0},
        {QLocale::English, "0.5", "-1", false, 0},       {QLocale::English, "0.5", "0.0004", false, 0},
        {QLocale::English, "0.5", "1e30", false, 0},     {QLocale::English, "0.5", "1e39", true, 500},
        {QLocale::English, "0.5", "nan", true, 500},     {QLocale::English, "0.5", "3600", false, 3600000},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed);
        QLocale::setDefault(QLocale(c.language));
        Open();
        EXPECT_EQ(form->Edit1->Text(), c.shown);
        std::string box;
        if (c.box)
            testsupport::AnswerNextMessageBox(&box);
        TypeAndLeave(form->Edit1, c.typed);
        EXPECT_EQ(box, c.box ? std::string("Chybná perioda") : std::string());
        form->Button2->Click();
        EXPECT_EQ(form->Timer1->Interval(), c.interval);
        EXPECT_EQ(Timer(form->Timer1)->isActive(), c.interval > 0);
    }
}

TEST_F(TestWindowSteps, PeriodZeroSendsNothing)
{
    TypeAndLeave(form->Edit1, "0");
    form->Button2->Click();
    QTest::qWait(2000);
    EXPECT_EQ(Sent(0), std::vector<std::string>{});
    EXPECT_EQ(Digits(), "99999");
}

TEST_F(TestWindowSteps, FrameThatCannotLeaveIsReported)
{
    Drv232::ClosePort();
    form->Button1->Click();
    EXPECT_EQ(form->Label3->Caption(), "Chyba při posílání dat.");
    form->Button2->Click();
    Tick();
    EXPECT_EQ(form->Label3->Caption(), "Chyba při posílání dat.");
    EXPECT_EQ(Digits(), "00001") << "the counter has advanced all the same";
}

} // namespace
