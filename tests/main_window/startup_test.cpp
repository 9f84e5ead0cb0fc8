// Start-up: the settings into the controls, the search order, the texts of a
// found and of a missing display.
#include "window_fixture.h"

#include <sys/stat.h>

#include <QApplication>
#include <QTest>

namespace {

std::vector<int> PortsTried(const std::vector<std::pair<int, sim::Frame>> &log)
{
    std::vector<int> ports;
    for (const auto &[port, frame] : log)
        ports.push_back(port);
    return ports;
}

TEST_F(MainWindowTest, SearchEndsWithTheStoredPortAndFindsTheDisplayThere)
{
    for (int silent : {4, 3, 1, 29, 6})
        AddDisplay(silent, sim::Behaviour::Silent);
    AddDisplay(5, sim::Behaviour::Normal, "0930");
    WriteSettings(5, 10, 0, 0);
    Start();

    EXPECT_EQ(PortsTried(WireLog()), (std::vector<int>{4, 3, 1, 29, 6, 5}));
    for (const auto &[port, frame] : WireLog())
        EXPECT_EQ(sim::FrameToHex(frame.bytes), "44 3F 3F 3F 00 0D 0A") << "COM" << port;
    EXPECT_EQ(Panel(0), "Připojen displej na portu COM5");
    EXPECT_EQ(Panel(1), "Displej: 0930");
    EXPECT_EQ(form->Edit2->Text(), "09");
    EXPECT_EQ(form->Edit3->Text(), "30");
    EXPECT_EQ(Drv232::DisplayText, "0930");
}

struct StartPort {
    int stored;
    std::vector<int> silent;
    int display;
    std::vector<int> expectedTries;
};

class SearchStart : public MainWindowTest, public ::testing::WithParamInterface<StartPort> {};

TEST_P(SearchStart, TriesThePortBelowFirstAndTheStartPortLast)
{
    for (int silent : GetParam().silent)
        AddDisplay(silent, sim::Behaviour::Silent);
    AddDisplay(GetParam().display);
    WriteSettings(GetParam().stored, 1, 0, 0);
    Start();
    EXPECT_EQ(PortsTried(WireLog()), GetParam().expectedTries);
    EXPECT_EQ(Panel(0), "Připojen displej na portu COM" + std::to_string(GetParam().display));
    EXPECT_EQ(Drv232::ParameterRecord.Port, GetParam().stored) << "the found port is not stored";
}

INSTANTIATE_TEST_SUITE_P(Ports, SearchStart,
                         ::testing::Values(StartPort{1, {29, 2}, 1, {29, 2, 1}}, StartPort{0, {2, 4}, 3, {2, 4, 3}},
                                           StartPort{30, {2, 4}, 3, {2, 4, 3}}, StartPort{200, {2}, 3, {2, 3}}));

TEST_F(MainWindowTest, ReplyMMMMShowsAsDashes)
{
    AddDisplay(2, sim::Behaviour::AlwaysMMMM);
    Start();
    EXPECT_EQ(Panel(1), "Displej: MMMM");
    EXPECT_EQ(Drv232::DisplayText, "----");
    EXPECT_EQ(form->Edit2->Text(), "--");
    EXPECT_EQ(form->Edit3->Text(), "--");
}

// No settings file, or a FIFO under its name, which must not hold the
// start-up waiting for a writer.
class WithoutSettingsFile : public MainWindowTest, public ::testing::WithParamInterface<bool> {};

TEST_P(WithoutSettingsFile, TheDefaultsGoIntoTheControls)
{
    if (GetParam()) {
        ASSERT_EQ(::mkfifo((work / "Parametry.par").c_str(), 0644), 0);
    }
    AddDisplay(2);
    Drv232::ParameterRecord.Port = 17;
    Drv232::ParameterRecord.Period = 44;
    Start();
    EXPECT_EQ(form->SpinEdit1->Value(), 1);
    EXPECT_EQ(form->RadioGroup1->ItemIndex(), 0);
    EXPECT_TRUE(form->CheckBox1->Checked());
    EXPECT_EQ(Drv232::ParameterRecord.WholeDisplay, 1);
    EXPECT_EQ(Drv232::ParameterRecord.Function, 0);
    EXPECT_EQ(Drv232::ParameterRecord.Period, 44) << "Period follows the spin edit only on exit";
    EXPECT_EQ(Drv232::ParameterRecord.Port, 17);
    EXPECT_EQ(Panel(0), "Připojen displej na portu COM2") << "search from COM3 tries COM2 first";
    EXPECT_EQ(form->Label10->Caption(), "Vlastní čas");
    EXPECT_EQ(form->BitBtn11->Caption(), "Zápis");
}

INSTANTIATE_TEST_SUITE_P(Files, WithoutSettingsFile, ::testing::Values(false, true),
                         [](const auto &row) { return row.param ? "Fifo" : "None"; });

TEST_F(MainWindowTest, StoredCountDownWithADisplayShowsTheFoundTable)
{
    AddDisplay(2, sim::Behaviour::Normal, "1234");
    WriteSettings(3, 5, 5, 0);
    Start();
    EXPECT_EQ(form->Label10->Caption(), "Stopky DOWN");
    EXPECT_EQ(form->BitBtn11->Caption(), "Start");
    EXPECT_EQ(form->Label8->Caption(), "Hodiny");
    EXPECT_EQ(form->Label9->Caption(), "Minuty");
    EXPECT_EQ(form->Edit2->Text(), "59");
    EXPECT_EQ(form->Edit3->Text(), "59");
    EXPECT_EQ(form->SpinEdit1->Value(), 5);
    EXPECT_EQ(Panel(0), "Připojen displej na portu COM2");
}

TEST_F(MainWindowTest, StoredCountDownWithoutADisplayKeepsTheSelectionTexts)
{
    WriteSettings(3, 5, 5, 0);
    Start();
    EXPECT_EQ(form->Label10->Caption(), "Stopky dolů");
    EXPECT_EQ(form->Edit2->Text(), "00");
    EXPECT_EQ(form->Edit3->Text(), "00");
    EXPECT_EQ(Panel(0), "Displej nebyl nalezen!");
    EXPECT_EQ(Panel(1), "");
    EXPECT_EQ(Drv232::DisplayText, "???");
    for (gui::TControl *control : std::initializer_list<gui::TControl *>{
             form->Edit2, form->Edit3, form->CheckBox1, form->RadioGroup1, form->BitBtn11, form->BitBtn12})
        EXPECT_FALSE(control->Enabled()) << control->Name;
    EXPECT_TRUE(form->BitBtn6->Enabled());
}

struct StoredFunction {
    int stored;
    int item;
    int function;
    const char *title;
};

class StoredFunctionValue : public MainWindowTest, public ::testing::WithParamInterface<StoredFunction> {};

TEST_P(StoredFunctionValue, IsClampedByTheRadioGroup)
{
    AddDisplay(2);
    WriteSettings(3, 0, GetParam().stored, 2);
    Start();
    EXPECT_EQ(form->RadioGroup1->ItemIndex(), GetParam().item);
    EXPECT_EQ(Drv232::ParameterRecord.Function, GetParam().function);
    EXPECT_EQ(form->Label10->Caption(), GetParam().title);
    EXPECT_TRUE(form->CheckBox1->Checked());
    EXPECT_EQ(Drv232::ParameterRecord.WholeDisplay, 1) << "a stored 2 comes back as 1";
}

INSTANTIATE_TEST_SUITE_P(Functions, StoredFunctionValue,
                         ::testing::Values(StoredFunction{9, 6, 6, "Stopky DOWN"},
                                           StoredFunction{-3, -1, -3, "Vlastní čas"},
                                           StoredFunction{2, 2, 2, "Skutečný čas"}));

TEST_F(MainWindowTest, ActivationRunsOnceAlsoAfterAModalBoxCloses)
{
    auto &display = AddDisplay(2);
    Start();
    ASSERT_EQ(display.frames().size(), 1u);

    std::string text;
    AnswerNextMessageBox(&text);
    gui::ShowErrorBox(form.get(), "Chybný formát čísla");
    Widget(*form)->activateWindow();
    QTest::qWait(100);
    Widget(*form)->hide();
    form->Show();
    QTest::qWait(100);
    EXPECT_EQ(text, "Chybný formát čísla");
    EXPECT_EQ(display.frames().size(), 1u) << "a second activation would search again";
}

} // namespace
