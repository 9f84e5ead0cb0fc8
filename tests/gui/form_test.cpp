// Windows built from a layout: look, keyboard, activation, timers, status
// bar, modal windows and message boxes, on real widgets.
#include "gui/form.h"
#include "gui/qt_widgets.h"
#include "test_form_qt.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFontInfo>
#include <QLabel>
#include <QProcess>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <gtest/gtest.h>

#include <map>
#include <memory>

namespace {

using namespace gui;
using gui::qt::Timer;
using gui::qt::Widget;
using Names = std::vector<std::string>;

// The control a focus widget belongs to (a radio item belongs to its group).
std::string controlOf(const TForm &form, QWidget *w)
{
    for (; w; w = w->parentWidget())
        if (form.Find<TControl>(w->objectName().toStdString()))
            return w->objectName().toStdString();
    return {};
}

TEST(GuiFormLook, ClientAreaTitleAndPlaceFollowTheLayout)
{
    TForm form(guitest::TestLayout());
    QWidget *w = Widget(form);
    EXPECT_TRUE(w->isWindow());
    EXPECT_EQ(w->size(), QSize(436, 289));
    EXPECT_EQ(form.Caption(), "Zkušební okno");
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(w->pos(), area.topLeft() + QPoint((area.width() - 444) / 2, (area.height() - 325) / 2));
    EXPECT_EQ(w->palette().color(QPalette::Window), w->palette().color(QPalette::Button));

    FormLayout placed = guitest::TestLayout();
    placed.centred = false;
    placed.left = 30;
    placed.top = 40;
    placed.clientWidth = 500;
    placed.clientHeight = 300;
    TForm other(placed);
    EXPECT_EQ(Widget(other)->geometry(), QRect(30, 40, 500, 300));
}

TEST(GuiFormLook, ControlsKeepTheirTextsFontsAndPlaces)
{
    TForm form(guitest::TestLayout());
    ASSERT_TRUE(guitest::ShowActive(form));
    Widget(form)->grab().save(QCoreApplication::applicationDirPath() + "/gui_test_form.png");

    auto *time = form.Find<TLabel>("lblTime");
    EXPECT_EQ(time->Caption(), "Skutečný čas  [min:sec]");
    const QFontInfo timeFont(Widget(time)->font());
    EXPECT_EQ(timeFont.family(), "Liberation Sans");
    EXPECT_EQ(timeFont.pixelSize(), 13);
    EXPECT_TRUE(timeFont.bold());
    EXPECT_EQ(Widget(time)->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    // The label fits its text, whatever width the row gave it.
    EXPECT_GT(Widget(time)->width(), 60);
    EXPECT_EQ(Widget(time)->size(), Widget(time)->sizeHint());
    const int wide = Widget(time)->width();
    time->SetCaption(" : ");
    EXPECT_LT(Widget(time)->width(), wide);

    auto *quit = form.Find<TButton>("btnQuit");
    EXPECT_EQ(quit->Caption(), "Konec ");
    EXPECT_EQ(QFontInfo(Widget(quit)->font()).family(), "Liberation Sans");
    EXPECT_EQ(QFontInfo(Widget(quit)->font()).pixelSize(), 11);

    EXPECT_EQ(Widget(form.Find<TEdit>("edtName"))->geometry(), QRect(8, 80, 120, 21));
    EXPECT_EQ(form.Find<TButton>("edtName"), nullptr);
    QWidget *inPanel = Widget(form.Find<TLabel>("lblPanel"));
    EXPECT_EQ(inPanel->parentWidget(), Widget(form.Find<TPanel>("pnlInfo")));
    EXPECT_EQ(inPanel->pos(), QPoint(4, 4));
    EXPECT_EQ(form.Find<TTimer>("tmrPoll")->Interval(), 20);
    EXPECT_FALSE(form.Find<TTimer>("tmrPoll")->Enabled());

    // The bevel lies under everything and lets clicks through.
    QWidget *bevel = Widget(form.Find<TBevel>("bvlFrame"));
    EXPECT_EQ(Widget(form)->findChildren<QWidget *>(Qt::FindDirectChildrenOnly).front(), bevel);
    EXPECT_NE(Widget(form)->childAt(QPoint(200, 150)), bevel);
}

TEST(GuiKeyboard, HiddenButtonTakesNoClickAndNoAccelerator)
{
    TForm form(guitest::TestLayout());
    ASSERT_TRUE(guitest::ShowActive(form));
    auto *test = form.Find<TBitBtn>("btnTest");
    int clicks = 0;
    test->OnClick = [&](TObject *sender) { clicks += sender == test; };
    QWindow *window = Widget(form)->windowHandle();
    const QPoint centre = Widget(test)->geometry().center();

    QTest::mouseClick(window, Qt::LeftButton, {}, centre);
    QTest::keyClick(Widget(form), Qt::Key_T, Qt::AltModifier);
    EXPECT_FALSE(static_cast<QAbstractButton *>(Widget(test))->isDown());
    QTest::qWait(250);
    EXPECT_EQ(clicks, 0);

    test->SetVisible(true);
    QTest::keyClick(Widget(form), Qt::Key_T, Qt::AltModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return clicks == 1; }, 5000));
    QTest::mouseClick(window, Qt::LeftButton, {}, centre);
    EXPECT_EQ(clicks, 2);
}

TEST(GuiKeyboard, FocusStartsAtTheFirstShownControlAndTabSkipsHiddenAndDisabled)
{
    TForm form(guitest::TestLayout());
    ASSERT_TRUE(guitest::ShowActive(form));
    EXPECT_EQ(QApplication::focusWidget(), Widget(form.Find<TButton>("btnQuit")));

    const Names order{"btnQuit", "edtName", "edtNote", "spnTime", "chkLog", "rgMode", "btnOk"};
    Names focusable;
    for (const TControl *c : form.FocusableControls())
        focusable.push_back(c->Name);
    EXPECT_EQ(focusable, order);

    Names visited;
    for (std::size_t i = 0; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited.push_back(controlOf(form, QApplication::focusWidget()));
    }
    EXPECT_EQ(visited, (Names{"edtName", "edtNote", "spnTime", "chkLog", "rgMode", "btnOk", "btnQuit"}));

    // The radio group is one stop: the item the program checked.
    auto *group = form.Find<TRadioGroup>("rgMode");
    group->SetItemIndex(4);
    Widget(form.Find<TCheckBox>("chkLog"))->setFocus(Qt::TabFocusReason);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(static_cast<QAbstractButton *>(QApplication::focusWidget())->text().toStdString(), group->Items()[4]);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(controlOf(form, QApplication::focusWidget()), "btnOk");

    // Controls that come into view take their place in the order again.
    form.Find<TBitBtn>("btnTest")->SetVisible(true);
    form.Find<TButton>("btnOff")->SetEnabled(true);
    const auto now = form.FocusableControls();
    ASSERT_EQ(now.size(), order.size() + 2);
    EXPECT_EQ(now.front()->Name, "btnTest");
    EXPECT_EQ(now[now.size() - 2]->Name, "btnOff");
}

TEST(GuiActivation, RaisedOnceWhateverActivatesTheWindowLater)
{
    TForm form(guitest::TestLayout());
    int activations = 0;
    form.OnActivate = [&](TObject *sender) { activations += sender == &form; };
    auto activateAgain = [&] {
        Widget(form)->activateWindow();
        return QTest::qWaitForWindowActive(Widget(form));
    };
    ASSERT_TRUE(guitest::ShowActive(form));
    EXPECT_EQ(activations, 1);

    guitest::SeenBox seen;
    guitest::CloseMessageBoxLater(50, &seen);
    ShowErrorBox(&form, "Chyba");
    EXPECT_TRUE(seen.closed);
    ASSERT_TRUE(activateAgain());

    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    ASSERT_TRUE(activateAgain());

    Widget(form)->hide();
    ASSERT_TRUE(guitest::ShowActive(form));
    // Past the time at which a window never activated raises it.
    QTest::qWait(1500);
    EXPECT_EQ(activations, 1);
}

// A desktop that refuses the focus to a new window: no activation event
// reaches the window.
class RefusedFocus : public QObject {
protected:
    bool eventFilter(QObject *, QEvent *event) override { return event->type() == QEvent::WindowActivate; }
};

TEST(GuiActivation, RaisedAboutASecondAfterTheFirstShowWhenNoActivationCame)
{
    TForm form(guitest::TestLayout());
    int activations = 0;
    form.OnActivate = [&](TObject *sender) { activations += sender == &form; };
    auto refused = std::make_unique<RefusedFocus>();
    Widget(form)->installEventFilter(refused.get());
    form.Show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Widget(form)));
    EXPECT_TRUE(QTest::qWaitFor([&] { return activations == 1; }, 5000));

    refused.reset();
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    Widget(form)->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Widget(form)));
    EXPECT_EQ(activations, 1);
}

TEST(GuiActivation, HandlerMayOpenAModalBoxWhileTheWindowIsActivated)
{
    TForm form(guitest::TestLayout());
    int activations = 0;
    guitest::SeenBox seen;
    form.OnActivate = [&](TObject *) {
        ++activations;
        // The first control has the focus already when the handler runs.
        EXPECT_EQ(QApplication::focusWidget(), Widget(form.Find<TButton>("btnQuit")));
        guitest::CloseMessageBoxLater(50, &seen);
        ShowWarningBox(&form, "Displej neodpovídá");
    };
    form.Show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return seen.closed; }, 10000));
    Widget(form)->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Widget(form)));
    EXPECT_EQ(activations, 1);
    EXPECT_EQ(QApplication::focusWidget(), Widget(form.Find<TButton>("btnQuit")));
}

TEST(GuiTimer, IntervalZeroNeverTicksAndAChangedIntervalRestarts)
{
    TForm form(guitest::TestLayout());
    auto *timer = form.Find<TTimer>("tmrIdle");
    int ticks = 0;
    timer->OnTimer = [&](TObject *sender) { ticks += sender == timer; };
    timer->SetEnabled(true);
    QTest::qWait(150);
    EXPECT_EQ(ticks, 0);

    timer->SetInterval(20);
    EXPECT_TRUE(QTest::qWaitFor([&] { return ticks > 0; }, 5000));
    timer->SetInterval(60000);
    EXPECT_GT(Timer(timer)->remainingTime(), 30000);
    timer->SetInterval(0);
    EXPECT_TRUE(timer->Enabled());
    EXPECT_FALSE(Timer(timer)->isActive());
}

TEST(GuiTimer, TicksDuringAModalBoxAndStopsWhenDisabled)
{
    TForm form(guitest::TestLayout());
    ASSERT_TRUE(guitest::ShowActive(form));
    auto *timer = form.Find<TTimer>("tmrPoll");
    int ticks = 0;
    timer->OnTimer = [&](TObject *) { ++ticks; };
    timer->SetEnabled(true);
    guitest::SeenBox seen;
    guitest::CloseMessageBoxLater(150, &seen);
    ShowErrorBox(&form, "Měření běží");
    EXPECT_TRUE(seen.closed);
    EXPECT_GT(ticks, 0);

    timer->SetEnabled(false);
    const int stopped = ticks;
    QTest::qWait(100);
    EXPECT_EQ(ticks, stopped);
}

TEST(GuiStatusBar, TwoPanelsAlongTheBottomThatFollowTheWindow)
{
    TForm form(guitest::TestLayout());
    ASSERT_TRUE(guitest::ShowActive(form));
    auto *bar = form.Find<TStatusBar>("sbMain");
    QWidget *w = Widget(bar);
    EXPECT_EQ(w->geometry(), QRect(0, 289 - 19, 436, 19));
    bar->SetPanelText(0, "Připojeno");
    bar->SetPanelText(1, " : ");
    bar->SetPanelText(2, "nowhere");
    EXPECT_EQ(bar->PanelText(0), "Připojeno");
    EXPECT_EQ(bar->PanelText(1), " : ");

    auto panels = w->findChildren<QLabel *>();
    ASSERT_EQ(panels.size(), 2);
    EXPECT_EQ(panels[0]->geometry(), QRect(0, 0, 200, 19));
    EXPECT_GE(panels[1]->x(), 200);
    EXPECT_EQ(panels[1]->geometry().right(), 435);

    std::map<std::string, QRect> before;
    for (const ControlLayout &row : form.Layout().controls)
        if (auto *c = form.Find<TControl>(row.name.c_str()); c && c != bar)
            before[c->Name] = Widget(c)->geometry();
    Widget(form)->resize(536, 339);
    ASSERT_TRUE(QTest::qWaitFor([&] { return Widget(form)->size() == QSize(536, 339); }, 5000));
    EXPECT_EQ(w->geometry(), QRect(0, 339 - 19, 536, 19));
    EXPECT_EQ(panels[0]->width(), 200);
    EXPECT_EQ(panels[1]->geometry().right(), 535);
    for (const auto &[name, rect] : before)
        EXPECT_EQ(Widget(form.Find<TControl>(name))->geometry(), rect) << name;
}

TEST(GuiWireEvents, ConnectsHandlersByNameAndRefusesToLeaveOneOut)
{
    TForm form(guitest::TestLayout());
    std::vector<std::string> calls;
    std::map<std::string, TNotifyEvent> handlers;
    for (const char *name :
         {"btnQuitClick", "edtNameExit", "spnTimeExit", "chkLogClick", "tmrPollTimer", "FormActivate", "spdOpenClick"})
        handlers[name] = [&calls, name](TObject *) { calls.emplace_back(name); };
    // A row whose handler no method answers would be a dead control.
    try {
        form.WireEvents(handlers);
        ADD_FAILURE() << "the missing handlers went unnoticed";
    } catch (const std::logic_error &e) {
        EXPECT_STREQ(e.what(), "FormTest's layout names handlers that are not given: btnTestClick, rgModeClick");
    }
    handlers["btnTestClick"] = handlers["rgModeClick"] = [](TObject *) {};
    form.WireEvents(handlers);

    ASSERT_TRUE(guitest::ShowActive(form));
    Widget(form.Find<TEdit>("edtName"))->setFocus(Qt::TabFocusReason);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    Widget(form.Find<TSpinEdit>("spnTime"))->setFocus(Qt::TabFocusReason);
    QTest::mouseClick(Widget(form.Find<TButton>("btnQuit")), Qt::LeftButton);
    form.Find<TCheckBox>("chkLog")->SetChecked(true);
    form.Find<TTimer>("tmrPoll")->SetEnabled(true);
    ASSERT_TRUE(QTest::qWaitFor([&] { return calls.size() >= 6; }, 5000));
    form.Find<TTimer>("tmrPoll")->SetEnabled(false);
    calls.resize(6);
    EXPECT_EQ(calls, (std::vector<std::string>{"FormActivate", "edtNameExit", "spnTimeExit", "btnQuitClick",
                                               "chkLogClick", "tmrPollTimer"}));

    // The speed button clicks without taking the focus.
    calls.clear();
    QWidget *focused = QApplication::focusWidget();
    QTest::mouseClick(Widget(form.Find<TSpeedButton>("spdOpen")), Qt::LeftButton);
    EXPECT_EQ(calls, std::vector<std::string>{"spdOpenClick"});
    EXPECT_EQ(QApplication::focusWidget(), focused);
}

TEST(GuiShowModal, RunsUntilTheWindowClosesByProgramOrTitleBar)
{
    TForm owner(guitest::TestLayout());
    ASSERT_TRUE(guitest::ShowActive(owner));
    FormLayout layout = guitest::TestLayout();
    layout.name = "FormChild";
    TForm child(layout, &owner);
    QWidget *w = Widget(child);
    EXPECT_TRUE(w->isWindow());
    EXPECT_EQ(w->parentWidget(), Widget(owner));

    bool wasModal = false;
    child.OnActivate = [&](TObject *) {
        wasModal = QApplication::activeModalWidget() == w;
        QTimer::singleShot(0, [&] { child.Close(); });
    };
    child.ShowModal();
    EXPECT_TRUE(wasModal);
    EXPECT_FALSE(w->isVisible());

    QTimer::singleShot(50, [w] { w->windowHandle()->close(); });
    child.ShowModal();
    EXPECT_FALSE(w->isVisible());

    // Shown the ordinary way afterwards, it blocks nothing.
    ASSERT_TRUE(guitest::ShowActive(child));
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(GuiShowModal, ClosingTheLastWindowEndsTheProgram)
{
    TForm form(guitest::TestLayout());
    ASSERT_TRUE(guitest::ShowActive(form));
    QSignalSpy lastClosed(qApp, &QGuiApplication::lastWindowClosed);
    QTimer::singleShot(0, [&] { form.Close(); });
    // Should the program not end, the guard ends the loop with another code.
    QTimer::singleShot(10000, [] { QCoreApplication::exit(7); });
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_EQ(lastClosed.count(), 1);
}

TEST(GuiMessageBoxes, OneOkButtonWithTheIconAndTheOwnersTitle)
{
    TForm form(guitest::TestLayout());
    ASSERT_TRUE(guitest::ShowActive(form));
    guitest::SeenBox error, warning;
    guitest::CloseMessageBoxLater(0, &error);
    ShowErrorBox(&form, "Port nelze otevřít");
    EXPECT_EQ(error.icon, QMessageBox::Critical);
    EXPECT_EQ(error.buttons, 1);
    EXPECT_EQ(error.title.toStdString(), form.Caption());
    EXPECT_EQ(error.text.toStdString(), "Port nelze otevřít");

    guitest::CloseMessageBoxLater(0, &warning);
    ShowWarningBox(nullptr, "Pozor");
    EXPECT_EQ(warning.icon, QMessageBox::Warning);
    EXPECT_EQ(warning.buttons, 1);
    EXPECT_EQ(warning.title, QGuiApplication::applicationDisplayName());
}

// The scale factor is read when the application starts, so a child process
// measures the window (see scaleProbe in main.cpp).
TEST(GuiScaling, AScaleFactorEnlargesTheWindowButNotItsLogicalLayout)
{
    QProcess probe;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_SCALE_FACTOR", "1.5");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    probe.setProcessEnvironment(env);
    probe.start(QCoreApplication::applicationFilePath(), {"--scale-probe"});
    ASSERT_TRUE(probe.waitForFinished(60000));
    ASSERT_EQ(probe.exitCode(), 0);
    const QStringList v = QString::fromUtf8(probe.readAllStandardOutput()).split(' ', Qt::SkipEmptyParts);
    ASSERT_EQ(v.size(), 8);
    EXPECT_DOUBLE_EQ(v[0].toDouble(), 1.5);  // device pixel ratio
    EXPECT_NEAR(v[1].toInt(), 436 * 1.5, 1); // grabbed size
    EXPECT_NEAR(v[2].toInt(), 289 * 1.5, 1);
    EXPECT_EQ(QSize(v[3].toInt(), v[4].toInt()), QSize(436, 289)); // logical size
    EXPECT_EQ(QPoint(v[5].toInt(), v[6].toInt()), QPoint(8, 80));  // edtName
    EXPECT_EQ(v[7].toInt(), 13);                                   // lblTime font px
}

} // namespace
