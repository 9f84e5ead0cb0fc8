// The display test window as its user meets it: its controls, its place on
// the screen, the Tab key, the hidden decimal-point button, and how it looks.
#include "test_window/tform2.h"
#include "tests/support/window_checks.h"

#include <QAbstractButton>
#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

namespace {

using namespace windowcheck;

const Font kDigit{32, true, Ink::Red};
const Font kInfo{16, false, Ink::Red};

const std::vector<Expected> kControls{
    {"Label14", Kind::Label, "Label14", -1, true, true, {40, 8, 38, 13}},
    {"Button2", Kind::Button, "Čítač", 1, true, true, {32, 32, 97, 25}},
    {"Button3", Kind::Button, "Test des.teček", 2, false, true, {32, 64, 97, 25}},
    {"Panel1", Kind::Panel, nullptr, 5, true, true, {192, 24, 209, 81}},
    {"Label9", Kind::Label, "9", -1, true, true, {16, 24, 20, 37}, kDigit, "Panel1"},
    {"Label10", Kind::Label, "9", -1, true, true, {56, 24, 20, 37}, kDigit, "Panel1"},
    {"Label11", Kind::Label, "9", -1, true, true, {96, 24, 20, 37}, kDigit, "Panel1"},
    {"Label12", Kind::Label, "9", -1, true, true, {136, 24, 20, 37}, kDigit, "Panel1"},
    {"Label13", Kind::Label, "9", -1, true, true, {176, 24, 20, 37}, kDigit, "Panel1"},
    {"Edit1", Kind::Edit, "Edit1", 3, true, true, {80, 128, 57, 21}},
    {"Label1", Kind::Label, "Perioda:", -1, true, true, {32, 136, 39, 13}},
    {"Label2", Kind::Label, "sekund", -1, true, true, {144, 136, 35, 13}},
    {"Label15", Kind::Label, "ASCII", -1, true, true, {152, 176, 27, 13}},
    {"Button1", Kind::Button, "Test znaku", 0, true, true, {32, 192, 97, 25}},
    {"Edit2", Kind::Edit, "Edit2", 6, true, true, {136, 192, 57, 21}},
    {"Label3", Kind::Label, "Informace", -1, true, true, {40, 232, 74, 20}, kInfo},
    {"Button5", Kind::Button, "Zpět", 4, true, true, {240, 264, 97, 25}},
    {"Timer1", Kind::Timer, nullptr, -1, true, false, {}},
};

class TestWindowLayout : public ::testing::Test {
protected:
    TForm2 form{nullptr};

    bool ShowActive()
    {
        form.Show();
        return QTest::qWaitForWindowActive(Widget(form));
    }
    QWidget *W(const char *name) const { return Widget(form.Find<gui::TControl>(name)); }
};

TEST_F(TestWindowLayout, ControlsAsTheWindowIsMade)
{
    ExpectControls(form, kControls);
}

TEST_F(TestWindowLayout, OpensAtItsPlaceWithinItsOuterSizeWithTheProgramIcon)
{
    QWidget *w = Widget(form);
    EXPECT_EQ(form.Caption(), "Testování zobrazovače Varn6604");
    EXPECT_EQ(w->palette().color(QPalette::Window), QApplication::palette().color(QPalette::Button));
    ASSERT_TRUE(ShowActive());
    EXPECT_EQ(w->frameGeometry().topLeft(), QPoint(406, 173));
    // The outer size is 444 x 325; the client area is what an ordinary frame
    // and title bar leave of it.
    EXPECT_GE(w->width(), 444 - 16);
    EXPECT_LT(w->width(), 444);
    EXPECT_GE(w->height(), 325 - 48);
    EXPECT_LE(w->height(), 325 - 20);
    EXPECT_LE(w->frameGeometry().width(), 444);
    EXPECT_LE(w->frameGeometry().height(), 325);

    const QIcon icon = w->windowIcon();
    const QIcon program(QStringLiteral(":/icons/qmx8350t.ico"));
    ASSERT_FALSE(program.isNull());
    for (int side : {16, 32}) {
        SCOPED_TRACE(side);
        EXPECT_TRUE(icon.availableSizes().contains(QSize(side, side)));
        const QImage shown = icon.pixmap(QSize(side, side)).toImage().convertToFormat(QImage::Format_ARGB32);
        EXPECT_EQ(shown.size(), QSize(side, side));
        EXPECT_EQ(shown, program.pixmap(QSize(side, side)).toImage().convertToFormat(QImage::Format_ARGB32));
    }
}

TEST_F(TestWindowLayout, TabVisitsTheShownControlsInTabOrderFromTestZnaku)
{
    ASSERT_TRUE(ShowActive());
    ASSERT_EQ(QApplication::focusWidget(), W("Button1")) << "Test znaku takes the first focus";
    // Button3 is hidden and the panel is no tab stop.
    const QStringList round{"Button2", "Edit1", "Button5", "Edit2", "Button1"};
    EXPECT_EQ(TabWalk(form, 10), round + round);
    EXPECT_EQ(TabWalk(form, 5, true), (QStringList{"Edit2", "Button5", "Edit1", "Button2", "Button1"}));
}

TEST_F(TestWindowLayout, HiddenDecimalPointButtonTakesNoClickWhereItWouldBe)
{
    ASSERT_TRUE(ShowActive());
    auto *button = static_cast<QAbstractButton *>(W("Button3"));
    int clicks = 0;
    form.Button3->OnClick = [&](gui::TObject *) { ++clicks; };
    QSignalSpy pressed(button, &QAbstractButton::pressed);
    const QPoint centre = button->geometry().center();

    QTest::mouseClick(Widget(form)->windowHandle(), Qt::LeftButton, {}, centre);
    QApplication::processEvents();
    EXPECT_EQ(pressed.count(), 0);
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(QApplication::focusWidget(), W("Button1"));

    // The same click reaches the button once it is shown, so the click above
    // did land where the button lies.
    form.Button3->SetVisible(true);
    QTest::mouseClick(Widget(form)->windowHandle(), Qt::LeftButton, {}, centre);
    EXPECT_EQ(pressed.count(), 1);
    EXPECT_EQ(clicks, 1);
}

TEST_F(TestWindowLayout, ResizingMovesNoControl)
{
    ASSERT_TRUE(ShowActive());
    std::map<QString, QRect> before;
    for (const Expected &e : kControls)
        if (e.kind != Kind::Timer)
            before[U(e.name)] = W(e.name)->geometry();
    for (QSize size : {QSize(1000, 600), QSize(200, 120)}) {
        SCOPED_TRACE(size.width());
        Widget(form)->resize(size);
        QApplication::processEvents();
        ASSERT_EQ(Widget(form)->size(), size);
        for (const auto &[name, rect] : before)
            EXPECT_EQ(W(name.toUtf8().constData())->geometry(), rect) << name.toStdString();
        EXPECT_FALSE(form.Button3->Visible());
    }
}

TEST_F(TestWindowLayout, ScreenshotTextsFitAndCzechLettersAreInTheFont)
{
    ASSERT_TRUE(ShowActive());
    EXPECT_TRUE(SaveScreenshot(Widget(form), QStringLiteral("form2.png")));
    ExpectListedTextsFit(form, kControls);
    // Labels grow with their text and must stay inside what holds them.
    for (const Expected &e : kControls) {
        if (e.kind == Kind::Label && e.shown) {
            QWidget *w = W(e.name);
            EXPECT_TRUE(w->parentWidget()->rect().contains(w->geometry())) << e.name;
        }
    }
    EXPECT_EQ(W("Label3")->pos(), QPoint(40, 232));
}

// At 1.5 times the resolution the window and its red texts grow by 1.5.
TEST_F(TestWindowLayout, ScaledByOneAndAHalf)
{
    Widget(form)->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Widget(form)));
    CheckScalesByOneAndAHalf(Widget(form), W("Label3"), Ink::Red);
}

} // namespace
