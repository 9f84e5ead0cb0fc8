// Choosing a display function dresses the time panel; the check box sets the
// whole-display switch.
#include "window_fixture.h"

#include <QTest>

namespace {

struct Selection {
    int index;
    const char *label8, *label9, *status, *button, *title;
    bool resetsBoxes;
};

class SelectingAFunction : public MainWindowTest, public ::testing::WithParamInterface<Selection> {};

TEST_P(SelectingAFunction, SetsItsCaptionsAndStoresTheIndex)
{
    AddDisplay(2, sim::Behaviour::Normal, "4321");
    Start();
    const Selection &s = GetParam();
    form->RadioGroup1->SetItemIndex(s.index == 0 ? 1 : 0); // start from another item
    form->Edit2->SetText("12");
    form->Edit3->SetText("34");
    ClearWire();
    form->RadioGroup1->SetItemIndex(s.index);
    EXPECT_EQ(Drv232::ParameterRecord.Function, s.index);
    EXPECT_EQ(form->Label8->Caption(), s.label8);
    EXPECT_EQ(form->Label9->Caption(), s.label9);
    EXPECT_EQ(Panel(0), s.status);
    EXPECT_EQ(form->BitBtn11->Caption(), s.button);
    EXPECT_EQ(form->Label10->Caption(), s.title);
    EXPECT_EQ(form->Edit2->Text(), s.resetsBoxes ? "00" : "12");
    EXPECT_EQ(form->Edit3->Text(), s.resetsBoxes ? "00" : "34");
    EXPECT_TRUE(WireLog().empty()) << "choosing sends nothing";
}

INSTANTIATE_TEST_SUITE_P(
    Functions, SelectingAFunction,
    ::testing::Values(Selection{0, "Hodiny", "Minuty", "Vlastní čas [hod:min]", "Zápis", "Vlastní čas", false},
                      Selection{1, "Hodiny", "Minuty", "Skutečný čas [hod:min]", "Start", "Skutečný čas", false},
                      Selection{2, "Minuty", "Sekundy", "Skutečný čas [min:sec]", "Start", "Skutečný čas", false},
                      Selection{3, "Hodiny", "Minuty", "Stopky nahoru [hod:min]", "Start", "Stopky nahoru", true},
                      Selection{4, "Minuty", "Sekundy", "Stopky nahoru [min:sec]", "Start", "Stopky nahoru", true},
                      Selection{5, "Hodiny", "Minuty", "Stopky dolů [hod:min]", "Start", "Stopky dolů", false},
                      Selection{6, "Minuty", "Sekundy", "Stopky dolů [min:sec]", "Start", "Stopky dolů", false}));

TEST_F(MainWindowTest, ItemTextOfFunctionTwoHasTwoBlanksItsStatusOne)
{
    AddDisplay(2);
    Start();
    EXPECT_EQ(form->RadioGroup1->Items().at(2), "Skutečný čas  [min:sec]");
    form->RadioGroup1->SetItemIndex(2);
    EXPECT_EQ(Panel(0), "Skutečný čas [min:sec]");
}

TEST_F(MainWindowTest, CheckBoxStoresOneOrZero)
{
    AddDisplay(2);
    WriteSettings(3, 1, 0, 7);
    Start();
    EXPECT_EQ(Drv232::ParameterRecord.WholeDisplay, 1);
    QTest::mouseClick(Widget(form->CheckBox1), Qt::LeftButton, {}, QPoint(6, Widget(form->CheckBox1)->height() / 2));
    EXPECT_FALSE(form->CheckBox1->Checked());
    EXPECT_EQ(Drv232::ParameterRecord.WholeDisplay, 0);
    form->CheckBox1->SetChecked(true);
    EXPECT_EQ(Drv232::ParameterRecord.WholeDisplay, 1);
}

} // namespace
