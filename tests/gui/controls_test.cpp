// The controls' events as the window handlers see them, driven through real
// widgets with the mouse and the keyboard.
#include "gui/convert.h"
#include "gui/form.h"
#include "gui/qt_widgets.h"
#include "test_form.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <memory>

namespace {

using namespace gui;
using gui::qt::Widget;
using Log = std::vector<std::string>;

class GuiControls : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = std::make_unique<TForm>(guitest::TestLayout());
        ASSERT_TRUE(guitest::ShowActive(*form));
    }
    TNotifyEvent record(const char *what)
    {
        return [this, what](TObject *) { log.emplace_back(what); };
    }
    // Radio buttons and check boxes take a click on their indicator or text,
    // not anywhere in their rectangle.
    static void clickIndicator(QWidget *w) { QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(6, w->height() / 2)); }
    // Puts the focus into a field and selects its text, as tabbing into it does.
    static void enter(QWidget *w)
    {
        w->setFocus(Qt::TabFocusReason);
        static_cast<QLineEdit *>(w)->selectAll();
    }
    static void activateAnotherWindow(QWidget &other)
    {
        other.show();
        other.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    }

    std::unique_ptr<TForm> form;
    Log log;
};

TEST_F(GuiControls, RadioGroupRaisesOneClickPerChangeByTheProgram)
{
    auto *group = form->Find<TRadioGroup>("rgMode");
    int clicks = 0;
    group->OnClick = [&](TObject *sender) { clicks += sender == group; };
    const auto items = Widget(group)->findChildren<QRadioButton *>();
    auto checkedCount = [&] {
        return std::count_if(items.begin(), items.end(), [](auto *r) { return r->isChecked(); });
    };
    EXPECT_EQ(group->ItemIndex(), -1);

    group->SetItemIndex(3);
    EXPECT_EQ(group->ItemIndex(), 3);
    EXPECT_EQ(clicks, 1);
    group->SetItemIndex(3);
    EXPECT_EQ(clicks, 1);
    group->SetItemIndex(9);
    EXPECT_EQ(group->ItemIndex(), 6);
    EXPECT_EQ(clicks, 2);
    group->SetItemIndex(-1);
    EXPECT_EQ(group->ItemIndex(), -1);
    EXPECT_EQ(checkedCount(), 0);
    group->SetItemIndex(-5);
    EXPECT_EQ(group->ItemIndex(), -1);
    EXPECT_EQ(clicks, 2);

    // After showing no item the items must still exclude each other.
    group->SetItemIndex(0);
    group->SetItemIndex(1);
    EXPECT_EQ(clicks, 4);
    EXPECT_EQ(checkedCount(), 1);
}

TEST_F(GuiControls, RadioGroupRaisesOneClickPerItemTheOperatorPicks)
{
    auto *group = form->Find<TRadioGroup>("rgMode");
    int clicks = 0;
    group->OnClick = [&](TObject *) { ++clicks; };
    const auto items = Widget(group)->findChildren<QRadioButton *>();
    ASSERT_EQ(items.size(), 7);

    clickIndicator(items[2]);
    EXPECT_EQ(group->ItemIndex(), 2);
    clickIndicator(items[2]);
    EXPECT_EQ(clicks, 1);
    clickIndicator(items[5]);
    EXPECT_EQ(group->ItemIndex(), 5);
    EXPECT_EQ(clicks, 2);
    // The arrow keys move the check along.
    QTest::keyClick(items[5], Qt::Key_Down);
    EXPECT_EQ(group->ItemIndex(), 6);
    EXPECT_EQ(clicks, 3);

    // The items share the box's height evenly, below its title.
    const int step = items[1]->y() - items[0]->y();
    EXPECT_GT(step, items[0]->height() / 2);
    EXPECT_GE(items[0]->y(), Widget(group)->fontMetrics().height());
    for (int i = 1; i < items.size(); ++i)
        EXPECT_NEAR(items[i]->y() - items[i - 1]->y(), step, 1) << i;
    EXPECT_TRUE(Widget(group)->rect().contains(items.back()->geometry()));
}

TEST_F(GuiControls, CheckBoxRaisesClickOnEveryChangeOfState)
{
    auto *box = form->Find<TCheckBox>("chkLog");
    int clicks = 0;
    box->OnClick = [&](TObject *sender) { clicks += sender == box; };
    box->SetChecked(true);
    EXPECT_EQ(clicks, 1);
    box->SetChecked(true);
    EXPECT_EQ(clicks, 1);
    clickIndicator(Widget(box));
    EXPECT_FALSE(box->Checked());
    EXPECT_EQ(clicks, 2);
    // The accelerator of "Zá&znam" is a click by the operator too.
    QTest::keyClick(Widget(*form), Qt::Key_Z, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return clicks == 3; }, 5000));
    EXPECT_TRUE(box->Checked());
}

TEST_F(GuiControls, EditExitRunsOnlyWhenTheFocusMovesWithinTheWindow)
{
    auto *name = form->Find<TEdit>("edtName");
    EXPECT_EQ(name->Text(), "Žluťoučký kůň");
    name->OnExit = record("exit");
    Widget(name)->setFocus(Qt::TabFocusReason);

    QWidget other;
    activateAnotherWindow(other);
    EXPECT_FALSE(Widget(name)->hasFocus());
    Widget(*form)->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Widget(*form)));
    EXPECT_TRUE(Widget(name)->hasFocus());
    EXPECT_TRUE(log.empty());

    QTest::keyClick(Widget(name), Qt::Key_Tab);
    EXPECT_TRUE(Widget(form->Find<TEdit>("edtNote"))->hasFocus());
    EXPECT_EQ(log, Log{"exit"});
}

TEST_F(GuiControls, EditExitRunsBeforeTheClickOfTheButtonThatTakesTheFocus)
{
    form->Find<TEdit>("edtName")->OnExit = record("exit");
    form->Find<TButton>("btnOk")->OnClick = record("click");
    Widget(form->Find<TEdit>("edtName"))->setFocus(Qt::TabFocusReason);
    QTest::mouseClick(Widget(form->Find<TButton>("btnOk")), Qt::LeftButton);
    EXPECT_EQ(log, (Log{"exit", "click"}));
}

TEST_F(GuiControls, SpinEditRefusesWhatIsNoPartOfANumber)
{
    auto *spin = form->Find<TSpinEdit>("spnTime");
    QWidget *edit = Widget(spin);
    form->Find<TButton>("btnOk")->OnClick = record("ok");
    enter(edit);
    QTest::keyClicks(edit, "1a2b 3x");
    EXPECT_EQ(spin->Text(), "123");
    const std::string accepted = "-+" + RegionalDecimalSeparator();
    QTest::keyClicks(edit, QString::fromStdString(accepted));
    QTest::keyClick(edit, Qt::Key_Return);
    QTest::keyClick(edit, Qt::Key_Enter);
    EXPECT_EQ(spin->Text(), "123" + accepted);
    EXPECT_TRUE(log.empty());
    for (std::size_t i = 0; i < accepted.size(); ++i)
        QTest::keyClick(edit, Qt::Key_Backspace);
    EXPECT_EQ(spin->Value(), 123);
}

TEST_F(GuiControls, SpinEditStepsWithinItsBounds)
{
    auto *spin = form->Find<TSpinEdit>("spnTime");
    QWidget *edit = Widget(spin);
    EXPECT_EQ(spin->Value(), 60);
    edit->setFocus(Qt::TabFocusReason);
    spin->SetValue(3600);
    QTest::keyClick(edit, Qt::Key_Up);
    EXPECT_EQ(spin->Text(), "3600");
    QTest::keyClick(edit, Qt::Key_Down);
    EXPECT_EQ(spin->Text(), "3599");
    spin->SetValue(5000);
    EXPECT_EQ(spin->Text(), "3600");
    spin->SetValue(-3);
    QTest::keyClick(edit, Qt::Key_Down);
    EXPECT_EQ(spin->Text(), "0");

    // The arrow buttons step too and leave the focus in the field.
    auto arrows = edit->findChildren<QToolButton *>();
    ASSERT_EQ(arrows.size(), 2);
    if (arrows[0]->arrowType() != Qt::UpArrow)
        std::swap(arrows[0], arrows[1]);
    QTest::mouseClick(arrows[0], Qt::LeftButton);
    QTest::mouseClick(arrows[0], Qt::LeftButton);
    QTest::mouseClick(arrows[1], Qt::LeftButton);
    EXPECT_EQ(spin->Text(), "1");
    EXPECT_TRUE(edit->hasFocus());

    spin->SetText("abc"); // no number: steps from the lower bound
    QTest::keyClick(edit, Qt::Key_Up);
    EXPECT_EQ(spin->Text(), "1");
}

TEST_F(GuiControls, SpinEditExitSeesTheTypedValueBeforeItIsBroughtIntoRange)
{
    auto *spin = form->Find<TSpinEdit>("spnTime");
    QWidget *edit = Widget(spin);
    std::vector<std::pair<int, std::string>> seen;
    spin->OnExit = [&](TObject *) { seen.emplace_back(spin->Value(), spin->Text()); };
    enter(edit);
    QTest::keyClicks(edit, "5000");
    QTest::keyClick(edit, Qt::Key_Tab);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0], std::make_pair(5000, std::string("5000")));
    EXPECT_EQ(spin->Text(), "3600");

    enter(edit);
    QTest::keyClicks(edit, "0042");
    QTest::keyClick(edit, Qt::Key_Tab);
    EXPECT_EQ(spin->Text(), "0042"); // within the bounds: left as written

    // Another window taking the focus is no exit and changes nothing.
    enter(edit);
    QTest::keyClicks(edit, "-9");
    QWidget other;
    activateAnotherWindow(other);
    EXPECT_EQ(seen.size(), 2u);
    EXPECT_EQ(spin->Text(), "-9");
}

TEST_F(GuiControls, SpinEditTakesPastedTextUnfiltered)
{
    auto *spin = form->Find<TSpinEdit>("spnTime");
    QGuiApplication::clipboard()->setText(QStringLiteral("abc"));
    enter(Widget(spin));
    QTest::keyClick(Widget(spin), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(spin->Text(), "abc");
    EXPECT_EQ(spin->Value(), 0);
}

TEST_F(GuiControls, ReturnOnAFocusedButtonClicksIt)
{
    form->Find<TButton>("btnOk")->OnClick = record("ok");
    Widget(form->Find<TButton>("btnOk"))->setFocus(Qt::TabFocusReason);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_EQ(log, Log{"ok"});
}

TEST_F(GuiControls, ProgramClickNeedsAShownEnabledButton)
{
    auto *test = form->Find<TBitBtn>("btnTest");
    auto *off = form->Find<TButton>("btnOff");
    test->OnClick = record("test");
    off->OnClick = record("off");
    test->Click();
    off->Click();
    EXPECT_TRUE(log.empty());
    test->SetVisible(true);
    off->SetEnabled(true);
    test->Click();
    off->Click();
    EXPECT_EQ(log, (Log{"test", "off"}));

    // Visible and Enabled are the control's own flags, not its holder's,
    // and hold before the window is ever shown.
    form->Find<TPanel>("pnlInfo")->SetVisible(false);
    form->Find<TPanel>("pnlInfo")->SetEnabled(false);
    EXPECT_TRUE(form->Find<TLabel>("lblPanel")->Visible());
    EXPECT_TRUE(form->Find<TLabel>("lblPanel")->Enabled());
    TForm fresh(guitest::TestLayout());
    EXPECT_TRUE(fresh.Find<TButton>("btnQuit")->Visible());
    EXPECT_FALSE(fresh.Find<TButton>("btnTest")->Visible());
}

TEST(GuiGlyph, LeftHalfIsTheNormalImageRightHalfTheDisabledOne)
{
    QTemporaryDir dir;
    QImage image(32, 16, QImage::Format_RGB32);
    image.fill(QColor(128, 128, 0)); // the background, taken from the bottom-left pixel
    QPainter painter(&image);
    painter.fillRect(4, 4, 8, 8, Qt::red);
    painter.fillRect(20, 4, 8, 8, Qt::green);
    painter.end();
    const QString path = dir.filePath("glyph.bmp");
    ASSERT_TRUE(image.save(path, "BMP"));

    FormLayout layout = guitest::TestLayout();
    for (ControlLayout &row : layout.controls)
        if (row.name == "btnOk")
            row.glyph = path.toStdString();
    TForm form(layout);
    const auto *button = static_cast<QPushButton *>(Widget(form.Find<TButton>("btnOk")));
    EXPECT_EQ(button->iconSize(), QSize(16, 16));
    const QImage normal = button->icon().pixmap(QSize(16, 16), QIcon::Normal).toImage();
    const QImage disabled = button->icon().pixmap(QSize(16, 16), QIcon::Disabled).toImage();
    EXPECT_EQ(normal.pixelColor(8, 8), QColor(Qt::red));
    EXPECT_EQ(disabled.pixelColor(8, 8), QColor(Qt::green));
    EXPECT_EQ(normal.pixelColor(0, 15).alpha(), 0);

    // btnTest's glyph names a resource that does not exist.
    EXPECT_TRUE(static_cast<QPushButton *>(Widget(form.Find<TButton>("btnTest")))->icon().isNull());
}

} // namespace
