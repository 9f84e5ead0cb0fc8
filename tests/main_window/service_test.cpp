// The service controls at work, shown as a technician sees them: fixed and
// stepped values, the value through Edit1, the period, the value file sent
// at a set period, and the test window opened over the main window.
#include "window_fixture.h"

#include "gui/convert.h"
#include "tests/support/displays.h"

#include <QApplication>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <filesystem>

namespace {

// What a control shows of the display's four bytes: up to the first zero.
std::string Shown(const std::string &bytes)
{
    return gui::FromCp1250(bytes.c_str());
}

class ServiceTest : public MainWindowTest {
protected:
    sim::DisplaySim *display = nullptr;

    void SetUp() override
    {
        display = &AddDisplay(2, sim::Behaviour::Normal, "0041");
        WriteSettings(3, 1, 0, 0);
        Start();
        form->ShowServiceControls();
        ClearWire();
    }
    std::vector<std::string> Sent(std::size_t expected) { return testsupport::TakeFrames(*display, expected); }
    // Frames that come from the window's own timers: the event loop runs
    // while they are awaited.
    bool AwaitFrames(std::size_t count, int ms)
    {
        return QTest::qWaitFor([&] { return display->frames().size() >= count; }, ms);
    }
    // The display holds four characters and the window has read them.
    void LastReply(const char *four)
    {
        display->setValue(four);
        form->BitBtn5->Click();
        ASSERT_EQ(Sent(1).size(), 1u);
    }
    void TypeAndLeave(QWidget *field, const std::string &text, QWidget *next)
    {
        field->setFocus(Qt::TabFocusReason);
        static_cast<QLineEdit *>(field)->setText(QString::fromStdString(text));
        next->setFocus(Qt::TabFocusReason);
    }
};

TEST_F(ServiceTest, FixedValuesGoOutWithTheLetterDAndTheReplyShowsAlone)
{
    form->CheckBox1->SetChecked(true); // whole display: not for service values
    const struct {
        gui::TButton *button;
        const char *wire;
    } cases[] = {{form->Button4, "44 31 32 33 00 0D 0A"},
                 {form->Button5, "44 39 38 37 00 0D 0A"},
                 {form->BitBtn3, "44 30 30 30 00 0D 0A"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.wire);
        c.button->Click();
        EXPECT_EQ(Sent(1), std::vector<std::string>{c.wire});
        EXPECT_EQ(Panel(1), Shown(display->value()));
    }
    display->setBehaviour(sim::Behaviour::Silent);
    form->Button4->Click();
    EXPECT_EQ(Panel(0), "Chyba při odesílání dat");
    display->setBehaviour(sim::Behaviour::Normal);
    form->Button5->Click();
    EXPECT_EQ(Panel(0), "Chyba při odesílání dat") << "a success leaves the failure text";
}

// Up stops at 999, down at 0; the number is kept in 16 bits.
TEST_F(ServiceTest, SteppingStartsFromTheDisplaysLastReply)
{
    const struct {
        const char *reply, *up, *down; // nullptr: not a number, nothing sent
    } cases[] = {
        {"0041", "44 30 34 32 00 0D 0A", "44 30 34 30 00 0D 0A"},
        {"0998", "44 39 39 39 00 0D 0A", "44 39 39 37 00 0D 0A"},
        {"0999", "44 39 39 39 00 0D 0A", "44 39 39 38 00 0D 0A"},
        {"1234", "44 31 32 33 34 0D 0A", "44 31 32 33 33 0D 0A"},
        {"0000", "44 30 30 31 00 0D 0A", "44 30 30 30 00 0D 0A"},
        {"-001", "44 36 35 35 33 0D 0A", "44 36 35 35 33 0D 0A"},
        {"12:3", nullptr, nullptr},
        {"    ", nullptr, nullptr},
    };
    for (const auto &c : cases) {
        for (const bool up : {true, false}) {
            SCOPED_TRACE(std::string(c.reply) + (up ? " up" : " down"));
            LastReply(c.reply);
            form->StatusBar1->SetPanelText(0, "");
            (up ? form->BitBtn1 : form->BitBtn2)->Click();
            const char *wire = up ? c.up : c.down;
            if (wire) {
                EXPECT_EQ(Sent(1), std::vector<std::string>{wire});
                EXPECT_EQ(Panel(1), Shown(display->value()));
                EXPECT_EQ(Panel(0), std::string());
            } else {
                EXPECT_EQ(Sent(0), std::vector<std::string>{});
                EXPECT_EQ(Panel(0), "Chybný formát čísla.");
                EXPECT_EQ(Drv232::DisplayText, c.reply);
            }
        }
    }
    EXPECT_EQ(Drv232::DisplayText, "    ");
}

TEST_F(ServiceTest, Edit1IsWrittenWithUpToTwoLeadingZerosAndReadBack)
{
    const struct {
        const char *typed, *wire;
    } cases[] = {
        {"7", "44 30 30 37 00 0D 0A"},     {"12", "44 30 30 31 32 0D 0A"},  {"", "44 30 30 00 00 0D 0A"},
        {"12345", "44 31 32 33 34 0D 0A"}, {"Čáš", "44 30 C8 E1 9A 0D 0A"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed);
        form->Edit1->SetText(c.typed);
        form->BitBtn4->Click();
        EXPECT_EQ(Sent(1), std::vector<std::string>{c.wire});
    }

    display->setValue("0815");
    form->StatusBar1->SetPanelText(0, "zero");
    form->StatusBar1->SetPanelText(1, "one");
    form->BitBtn5->Click();
    EXPECT_EQ(Sent(1), std::vector<std::string>{"44 3F 3F 3F 00 0D 0A"});
    EXPECT_EQ(form->Edit1->Text(), "0815");
    EXPECT_EQ(Panel(0), "zero");
    EXPECT_EQ(Panel(1), "one");
    EXPECT_EQ(Drv232::DisplayText, "???");

    // Leaving Edit1 takes its text, which the file button then writes.
    TypeAndLeave(Widget(form->Edit1), "Ž9", Widget(form->Button4));
    EXPECT_EQ(Drv232::DisplayText, "\x8E"
                                   "9");
}

TEST_F(ServiceTest, PeriodIsTakenAsTypedBeforeTheSpinEditClampsIt)
{
    const struct {
        const char *typed;
        std::uint16_t period;
        const char *shown;
    } cases[] = {{"5000", 5000, "3600"}, {"-5", 65531, "0"}, {"abc", 0, "abc"}, {"65535", 65535, "3600"}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.typed);
        TypeAndLeave(Widget(form->SpinEdit1), std::string(c.typed), Widget(form->Edit1));
        EXPECT_EQ(Drv232::ParameterRecord.Period, c.period);
        EXPECT_EQ(form->SpinEdit1->Text(), c.shown);
    }
    // The largest period still fits the timer; a period of 0 never ticks.
    for (const auto &[period, interval] : {std::pair{65535, 65535000}, std::pair{0, 0}}) {
        Drv232::ParameterRecord.Period = static_cast<std::uint16_t>(period);
        form->BitBtn9->Click();
        EXPECT_EQ(form->Timer1->Interval(), interval);
        EXPECT_TRUE(form->Timer1->Enabled());
        EXPECT_EQ(Timer(form->Timer1)->isActive(), interval > 0);
        EXPECT_GT(Timer(form->Timer1)->remainingTime(), interval - 60000);
        form->BitBtn10->Click();
    }
}

TEST_F(ServiceTest, AutomaticSendingReadsTheValueFileAfreshAtEveryTick)
{
    const auto file = work / "QMXV6614.txt";
    testsupport::WriteAll(file, "5\r\n");
    Drv232::ParameterRecord.Period = 1;
    form->BitBtn9->Click();
    EXPECT_FALSE(form->BitBtn9->Visible());
    EXPECT_TRUE(form->BitBtn10->Visible());
    EXPECT_FALSE(form->BitBtn6->Visible());
    EXPECT_EQ(Sent(0), std::vector<std::string>{}) << "the first send comes one period later";

    ASSERT_TRUE(AwaitFrames(1, 3000));
    EXPECT_EQ(Sent(1), std::vector<std::string>{"44 30 30 35 00 0D 0A"});
    testsupport::WriteAll(file, "77\n88");
    ASSERT_TRUE(AwaitFrames(1, 3000));
    EXPECT_EQ(Sent(1), std::vector<std::string>{"44 30 37 37 00 0D 0A"});
    std::filesystem::remove(file);
    ASSERT_TRUE(AwaitFrames(1, 3000));
    EXPECT_EQ(Sent(1), std::vector<std::string>{"44 30 37 37 00 0D 0A"}) << "the text as it stood, padded";
    EXPECT_EQ(Panel(0), "Chyba při čtení ze souboru!");

    form->BitBtn10->Click();
    EXPECT_TRUE(form->BitBtn9->Visible());
    EXPECT_FALSE(form->BitBtn10->Visible());
    EXPECT_TRUE(form->BitBtn6->Visible());
    EXPECT_EQ(form->BitBtn6->Caption(), "Konec ");
    EXPECT_FALSE(AwaitFrames(1, 1500)) << "Stop ends the sending";
}

TEST_F(ServiceTest, FileButtonsAreUnlockedAndLockedAndWriteAndReadTheValueFile)
{
    form->BitBtn7->Click();
    EXPECT_FALSE(std::filesystem::exists(work / "QMXV6614.txt")) << "locked buttons take no click";
    form->SpeedButton1->Click();
    EXPECT_TRUE(form->BitBtn7->Enabled());
    EXPECT_TRUE(form->BitBtn8->Enabled());
    EXPECT_FALSE(form->SpeedButton1->Visible());
    EXPECT_TRUE(form->SpeedButton2->Visible());

    Drv232::DisplayText = "0930";
    form->BitBtn7->Click();
    EXPECT_EQ(testsupport::ReadAll(work / "QMXV6614.txt"), "0930\r\n");
    testsupport::WriteAll(work / "QMXV6614.txt", "1145\r\nrest");
    form->BitBtn8->Click();
    EXPECT_EQ(form->Edit1->Text(), "1145");
    std::filesystem::remove(work / "QMXV6614.txt");
    std::filesystem::create_directory(work / "QMXV6614.txt");
    form->BitBtn8->Click();
    EXPECT_EQ(Panel(0), "Chyba při čtení ze souboru!");
    EXPECT_EQ(form->Edit1->Text(), "1145") << "the text as it stands goes into Edit1";
    form->BitBtn7->Click();
    EXPECT_EQ(Panel(0), "Chyba při zápisu do souboru!");

    form->SpeedButton2->Click();
    EXPECT_FALSE(form->BitBtn7->Enabled());
    EXPECT_FALSE(form->BitBtn8->Enabled());
    EXPECT_TRUE(form->SpeedButton1->Visible());
    EXPECT_FALSE(form->SpeedButton2->Visible());
}

// Each timer sets the text just before its own exchange, so neither sends
// the other's value.
TEST_F(ServiceTest, ClockAndValueFileTimersInterleaveEachWithItsOwnValue)
{
    testsupport::WriteAll(work / "QMXV6614.txt", "5\r\n");
    form->RadioGroup1->SetItemIndex(2);
    form->BitBtn11->Click();
    Drv232::ParameterRecord.Period = 1;
    form->BitBtn9->Click();
    QTest::qWait(3500);
    form->BitBtn11->Click();
    form->BitBtn10->Click();

    int clock = 0, file = 0;
    for (const sim::Frame &frame : display->frames()) {
        const std::string value(frame.bytes.begin() + 1, frame.bytes.begin() + 5);
        ASSERT_EQ(frame.kind, sim::Frame::Kind::Value) << sim::FrameToHex(frame.bytes);
        if (value == std::string("005\0", 4))
            ++file;
        else if (std::all_of(value.begin(), value.end(), ::isdigit) && value.substr(2) < "60")
            ++clock;
        else
            ADD_FAILURE() << "neither the clock nor the file: " << sim::FrameToHex(frame.bytes);
    }
    EXPECT_GE(clock, 3);
    EXPECT_GE(file, 3);
}

// A new test window on every click, over the main window, whose running
// clock goes on sending behind it; closing it by its title bar ends its test.
TEST_F(ServiceTest, TestWindowOpensModallyAndBothKindsOfFramesReachTheWire)
{
    form->RadioGroup1->SetItemIndex(2);
    form->BitBtn11->Click();
    ClearWire();
    const QString title = QString::fromUtf8("Testování zobrazovače Varn6604");
    testsupport::OnModal([&](QWidget *w) { return w->windowTitle() == title; },
                         [&](QWidget *w) {
                             // A click on "Stop" of the main window goes nowhere meanwhile.
                             QTest::mouseClick(Widget(*form)->windowHandle(), Qt::LeftButton, {},
                                               Widget(form->BitBtn11)->geometry().center());
                             w->findChild<QPushButton *>("Button2")->click();
                             QTimer::singleShot(2600, w, [w] { w->close(); });
                         });
    form->Button1->Click();
    EXPECT_TRUE(form->Running) << "the main window takes no input while the test window is open";
    const std::size_t atClose = display->frames().size();
    QTest::qWait(1200);

    std::vector<std::string> counts;
    std::vector<int> seconds; // mm:ss of each clock frame, as seconds of the hour
    for (std::size_t i = 0; i < display->frames().size(); ++i) {
        const sim::Frame frame = display->frames()[i];
        if (frame.kind == sim::Frame::Kind::Digit) {
            EXPECT_LT(i, atClose) << "nothing more from a window closed during its test";
            counts.emplace_back(frame.bytes.begin() + 3, frame.bytes.begin() + 8);
        } else {
            ASSERT_EQ(frame.kind, sim::Frame::Kind::Value) << sim::FrameToHex(frame.bytes);
            EXPECT_NE(frame.bytes[1], '?') << "the main window is not activated again";
            const std::string mmss(frame.bytes.begin() + 1, frame.bytes.begin() + 5);
            seconds.push_back(std::stoi(mmss.substr(0, 2)) * 60 + std::stoi(mmss.substr(2)));
        }
    }
    ASSERT_GE(counts.size(), 4u);
    for (std::size_t i = 0; i < counts.size(); ++i)
        EXPECT_EQ(counts[i], QString::number(i + 1).rightJustified(5, '0').toStdString());
    ASSERT_GE(seconds.size(), 3u);
    for (std::size_t i = 1; i < seconds.size(); ++i)
        EXPECT_EQ(seconds[i], (seconds[i - 1] + 1) % 3600) << "no second of the clock lost or sent twice";

    QString character;
    testsupport::OnModal([&](QWidget *w) { return w->windowTitle() == title; },
                         [&](QWidget *w) {
                             character = w->findChild<QLineEdit *>("Edit2")->text();
                             w->findChild<QPushButton *>("Button5")->click();
                         });
    form->Button1->Click();
    EXPECT_EQ(character, "31") << "every opening starts afresh";
    form->BitBtn11->Click();
}

} // namespace
