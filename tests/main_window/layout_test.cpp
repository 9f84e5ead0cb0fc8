// The main window as its user meets it: the operator panel and the hidden
// service controls, the Tab key, resizing, the glyphs, the texts, and how it
// looks at 96 dpi and at one and a half times that.
#include "tests/support/window_checks.h"
#include "window_fixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QIcon>
#include <QImageReader>
#include <QLabel>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>
#include <map>
#include <set>

namespace {

using namespace windowcheck;

const Font kHeading{13, false, Ink::Blue};
const Font kTimeDigits{48, true, Ink::Blue};
const Font kTimeColon{37, true, Ink::WindowText};
const Font kValue{13, true, Ink::WindowText};
constexpr bool kShown = true, kHidden = false, kOn = true, kOff = false;

const std::vector<Expected> kControls{
    // The operator panel.
    {"Label10", Kind::Label, "Vlastní čas", -1, kShown, kOn, {72, 8, 65, 16}, kHeading},
    {"Bevel4", Kind::Bevel, nullptr, -1, kShown, kOn, {16, 24, 193, 145}},
    {"Label8", Kind::Label, "Hodiny", -1, kShown, kOn, {48, 32, 33, 13}},
    {"Label9", Kind::Label, "Minuty", -1, kShown, kOn, {144, 32, 31, 13}},
    {"Edit2", Kind::Edit, "00", 16, kShown, kOn, {32, 48, 65, 64}, kTimeDigits},
    {"Label7", Kind::Label, " : ", -1, kShown, kOn, {96, 56, 33, 44}, kTimeColon},
    {"Edit3", Kind::Edit, "00", 17, kShown, kOn, {128, 48, 65, 64}, kTimeDigits},
    {"BitBtn12", Kind::BitBtn, "Čtení", 19, kShown, kOn, {32, 128, 65, 25}},
    {"BitBtn11", Kind::BitBtn, "Zápis", 18, kShown, kOn, {128, 128, 65, 25}},
    {"CheckBox1", Kind::CheckBox, "Celé zobrazení", 21, kShown, kOn, {64, 176, 97, 17}},
    {"BitBtn6", Kind::BitBtn, "Konec ", 10, kShown, kOn, {72, 208, 75, 25}},
    {"RadioGroup1", Kind::RadioGroup, "Volba funkce displeje", 20, kShown, kOn, {224, 8, 185, 225}},
    {"StatusBar1", Kind::StatusBar, nullptr, -1, kShown, kOn, {0, 248, 425, 19}},
    {"Timer2", Kind::Timer, nullptr, -1, kShown, kOff, {}},
    // The service controls, all hidden and beyond the client area.
    {"Button1", Kind::Button, "&Test displeje", 0, kHidden, kOn, {592, 48, 73, 25}},
    {"Button4", Kind::Button, "Pošli: 123", 2, kHidden, kOn, {592, 72, 73, 25}},
    {"Button5", Kind::Button, "Pošli: 987", 3, kHidden, kOn, {592, 96, 73, 25}},
    {"Label5", Kind::Label, "Ovládání ze souboru", -1, kHidden, kOn, {712, 48, 123, 16}, kHeading},
    {"Bevel1", Kind::Bevel, nullptr, -1, kHidden, kOn, {688, 64, 169, 121}},
    {"Label1", Kind::Label, "Perioda:", -1, kHidden, kOn, {696, 88, 39, 13}},
    {"SpinEdit1", Kind::SpinEdit, "0", 14, kHidden, kOn, {744, 80, 49, 22}},
    {"Label2", Kind::Label, "[sekund]", -1, kHidden, kOn, {800, 88, 41, 13}},
    {"BitBtn9", Kind::BitBtn, "Automaticky", 13, kHidden, kOn, {720, 112, 97, 25}},
    {"BitBtn10", Kind::BitBtn, "Stop ", 15, kHidden, kOn, {728, 144, 75, 25}},
    {"Timer1", Kind::Timer, nullptr, -1, kHidden, kOff, {}},
    {"Label4", Kind::Label, "Ovládání tlačítky", -1, kHidden, kOn, {616, 208, 98, 16}, kHeading},
    {"Bevel2", Kind::Bevel, nullptr, -1, kHidden, kOn, {600, 224, 137, 121}},
    {"BitBtn1", Kind::BitBtn, "Inkrement", 5, kHidden, kOn, {616, 240, 97, 25}},
    {"BitBtn3", Kind::BitBtn, "Nula", 7, kHidden, kOn, {632, 272, 65, 25}},
    {"BitBtn2", Kind::BitBtn, "Dekrement", 6, kHidden, kOn, {616, 304, 97, 25}},
    {"SpeedButton1", Kind::SpeedButton, nullptr, -1, kHidden, kOn, {600, 368, 23, 25}},
    {"BitBtn7", Kind::BitBtn, "Zápis do souboru", 11, kHidden, kOff, {624, 368, 129, 25}},
    {"BitBtn8", Kind::BitBtn, "Čtení ze souboru", 12, kHidden, kOff, {752, 368, 129, 25}},
    {"SpeedButton2", Kind::SpeedButton, nullptr, -1, kHidden, kOn, {880, 368, 23, 25}},
    {"Label6", Kind::Label, "Další ovládání ", -1, kHidden, kOn, {672, 408, 89, 16}, kHeading},
    {"Bevel3", Kind::Bevel, nullptr, -1, kHidden, kOn, {616, 424, 217, 81}},
    {"Label3", Kind::Label, "Zobrazovač:", -1, kHidden, kOn, {696, 440, 60, 13}},
    {"BitBtn5", Kind::BitBtn, "Čtení", 9, kHidden, kOn, {624, 456, 65, 25}},
    {"Edit1", Kind::Edit, "0", 1, kHidden, kOn, {696, 456, 57, 24}, kValue},
    {"BitBtn4", Kind::BitBtn, "Zápis", 8, kHidden, kOn, {752, 456, 65, 25}},
};

const std::vector<std::string> kFunctions{
    "Vlastní čas [hod:min]",   "Skutečný čas [hod:min]", "Skutečný čas  [min:sec]", "Stopky nahoru [hod:min]",
    "Stopky nahoru [min:sec]", "Stopky dolů [hod:min]",  "Stopky dolů [min:sec]",
};

// From the first focus on "Konec ", one round of the Tab key.
const QStringList kTabRound{"Edit2", "Edit3", "BitBtn11", "BitBtn12", "RadioGroup1", "CheckBox1", "BitBtn6"};

class MainWindowLayout : public MainWindowTest {
protected:
    QWidget *W(const char *name) const { return Widget(form->Find<gui::TControl>(name)); }

    std::vector<const Expected *> Controls(bool shown) const
    {
        std::vector<const Expected *> list;
        for (const Expected &e : kControls)
            if (e.kind != Kind::Timer && e.shown == shown)
                list.push_back(&e);
        return list;
    }
};

TEST_F(MainWindowLayout, ControlsAsTheWindowIsMade)
{
    form = std::make_unique<TForm1>();
    ExpectControls(*form, kControls);
    EXPECT_EQ(form->RadioGroup1->Items(), kFunctions);
    EXPECT_EQ(form->RadioGroup1->ItemIndex(), -1);
    EXPECT_FALSE(form->CheckBox1->Checked());
    EXPECT_EQ(form->StatusBar1->PanelText(0), "");
    EXPECT_EQ(form->StatusBar1->PanelText(1), "");
    EXPECT_EQ(form->SpinEdit1->MinValue(), 0);
    EXPECT_EQ(form->SpinEdit1->MaxValue(), 3600);
}

TEST_F(MainWindowLayout, CentredClientAreaTitleAndIcon)
{
    AddDisplay(2);
    Start();
    QWidget *w = Widget(*form);
    EXPECT_EQ(w->size(), QSize(425, 267));
    EXPECT_EQ(form->Caption(), "Zobrazovací zařízení QMX8350T");
    EXPECT_EQ(w->palette().color(QPalette::Window), QApplication::palette().color(QPalette::Button));
    // Centred as the 441 x 303 window with its frame, whatever frame the
    // window manager gives (none under a bare X server).
    const QRect area = w->screen()->availableGeometry();
    const QPoint centred = area.topLeft() + QPoint((area.width() - 441) / 2, (area.height() - 303) / 2);
    EXPECT_LE((w->frameGeometry().topLeft() - centred).manhattanLength(), 2);

    const QIcon icon = w->windowIcon();
    for (int side : {16, 32}) {
        SCOPED_TRACE(side);
        EXPECT_TRUE(icon.availableSizes().contains(QSize(side, side)));
        const QImage image = icon.pixmap(QSize(side, side)).toImage().convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(image.size(), QSize(side, side));
        std::set<QRgb> colours;
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x)
                if (qAlpha(image.pixel(x, y)) == 255)
                    colours.insert(image.pixel(x, y));
        EXPECT_GE(colours.size(), 2u);
        EXPECT_LE(colours.size(), 16u);
    }
}

TEST_F(MainWindowLayout, TabVisitsTheShownControlsInTabOrderFromKonec)
{
    AddDisplay(2);
    Start();
    ASSERT_EQ(QApplication::focusWidget(), W("BitBtn6")) << "Konec takes the first focus";
    EXPECT_EQ(TabWalk(*form, 14), kTabRound + kTabRound);
    EXPECT_EQ(TabWalk(*form, 7, true),
              (QStringList{"CheckBox1", "RadioGroup1", "BitBtn12", "BitBtn11", "Edit3", "Edit2", "BitBtn6"}));
}

TEST_F(MainWindowLayout, ServiceControlsTakeNoKeyNoClickAndNoFocusAlsoInAWideWindow)
{
    AddDisplay(2);
    Start();
    QWidget *konec = W("BitBtn6");
    ASSERT_EQ(QApplication::focusWidget(), konec);

    int clicks = 0;
    std::vector<std::unique_ptr<QSignalSpy>> presses;
    for (const Expected *e : Controls(kHidden)) {
        if (auto *button = form->Find<gui::TButton>(e->name))
            button->OnClick = [&](gui::TObject *) { ++clicks; };
        if (auto *speed = form->Find<gui::TSpeedButton>(e->name))
            speed->OnClick = [&](gui::TObject *) { ++clicks; };
        if (auto *button = qobject_cast<QAbstractButton *>(W(e->name)))
            presses.push_back(std::make_unique<QSignalSpy>(button, &QAbstractButton::pressed));
    }
    auto pressCount = [&] {
        qsizetype n = 0;
        for (const auto &spy : presses)
            n += spy->count();
        return n;
    };
    auto *testButton = static_cast<QAbstractButton *>(W("Button1"));

    // "&Test displeje" would answer Alt+T; a button pressed by its
    // accelerator goes down at once and clicks a moment later.
    QTest::keyClick(konec, Qt::Key_T, Qt::AltModifier);
    EXPECT_FALSE(testButton->isDown());
    QApplication::processEvents();
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);

    Widget(*form)->resize(1000, 520);
    QApplication::processEvents();
    for (const Expected *e : Controls(kHidden)) {
        SCOPED_TRACE(e->name);
        EXPECT_FALSE(W(e->name)->isVisible());
        const QPoint centre = e->rect.center();
        EXPECT_EQ(Widget(*form)->childAt(centre), nullptr);
        QTest::mouseClick(Widget(*form)->windowHandle(), Qt::LeftButton, {}, centre);
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_T, Qt::AltModifier);
    EXPECT_FALSE(testButton->isDown());
    QApplication::processEvents();
    EXPECT_EQ(pressCount(), 0);
    EXPECT_EQ(clicks, 0);
    EXPECT_EQ(QApplication::focusWidget(), konec);
    EXPECT_EQ(TabWalk(*form, 7), kTabRound);

    // The same key and click do reach the button once it is shown, so the
    // probes above were able to catch one.
    form->Button1->SetVisible(true);
    QTest::keyClick(konec, Qt::Key_T, Qt::AltModifier);
    EXPECT_TRUE(testButton->isDown());
    EXPECT_TRUE(QTest::qWaitFor([&] { return clicks == 1; }, 5000));
    QTest::mouseClick(Widget(*form)->windowHandle(), Qt::LeftButton, {}, testButton->geometry().center());
    EXPECT_EQ(clicks, 2);
}

// For a technician the window grows to hold the service controls at their
// places, with automatic sending off and the file buttons locked.
TEST_F(MainWindowLayout, ServiceModeShowsTheServiceControlsWhereTheyAreLaidOut)
{
    AddDisplay(2);
    form = std::make_unique<TForm1>();
    form->ShowServiceControls();
    form->Show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(Widget(*form)));
    QWidget *w = Widget(*form);
    EXPECT_GE(w->width(), 903);
    EXPECT_LE(w->width(), 903 + 16);
    const QRect bar = W("StatusBar1")->geometry();
    EXPECT_EQ(bar, QRect(0, w->height() - 19, w->width(), 19)) << "the status bar stays along the bottom";
    EXPECT_GE(bar.top(), 505);
    EXPECT_LE(bar.top(), 505 + 16);
    // Centred as the window with its frame, whatever frame the window manager
    // gives, or at the screen's edge when the screen is smaller.
    const QRect area = w->screen()->availableGeometry(), frame = w->frameGeometry();
    for (const auto &[before, after] : {std::pair{frame.left() - area.left(), area.right() - frame.right()},
                                        std::pair{frame.top() - area.top(), area.bottom() - frame.bottom()}})
        EXPECT_TRUE(before == 0 || std::abs(before - after) <= 40) << before << " " << after;

    for (const Expected *e : Controls(kHidden)) {
        SCOPED_TRACE(e->name);
        const bool offState = std::string(e->name) == "BitBtn10" || std::string(e->name) == "SpeedButton2";
        EXPECT_EQ(W(e->name)->isVisible(), !offState);
        EXPECT_EQ(W(e->name)->isEnabled(), e->enabled);
        EXPECT_EQ(W(e->name)->pos(), e->rect.topLeft());
        if (!offState && e->kind != Kind::Bevel && e->kind != Kind::Label) {
            EXPECT_EQ(w->childAt(e->rect.center()), W(e->name)) << "reachable by the mouse";
        }
    }
    EXPECT_EQ(Panel(0), "Připojen displej na portu COM2") << "the start-up runs as ever";
    EXPECT_TRUE(SaveScreenshot(w, QStringLiteral("form1_service.png")));
}

TEST_F(MainWindowLayout, ResizingMovesNothingButTheStatusBar)
{
    AddDisplay(2);
    Start();
    std::map<QString, QRect> before;
    for (const Expected &e : kControls)
        if (e.kind != Kind::Timer && e.kind != Kind::StatusBar)
            before[U(e.name)] = W(e.name)->geometry();
    QList<QLabel *> panels = W("StatusBar1")->findChildren<QLabel *>();
    ASSERT_EQ(panels.size(), 2);
    std::sort(panels.begin(), panels.end(), [](QLabel *a, QLabel *b) { return a->x() < b->x(); });

    for (QSize size : {QSize(1000, 520), QSize(300, 200), QSize(425, 267)}) {
        SCOPED_TRACE(size.width());
        Widget(*form)->resize(size);
        QApplication::processEvents();
        ASSERT_EQ(Widget(*form)->size(), size);
        for (const auto &[name, rect] : before)
            EXPECT_EQ(W(name.toUtf8().constData())->geometry(), rect) << name.toStdString();
        EXPECT_EQ(W("StatusBar1")->geometry(), QRect(0, size.height() - 19, size.width(), 19));
        EXPECT_EQ(panels[0]->width(), 200);
        EXPECT_EQ(panels[1]->geometry().right(), size.width() - 1) << "the value panel reaches the right end";
        for (const Expected *e : Controls(kHidden))
            EXPECT_FALSE(W(e->name)->isVisible()) << e->name;
    }
}

TEST_F(MainWindowLayout, GlyphButtonsShowTheFacesOfTheirOwnBitmaps)
{
    AddDisplay(2);
    Start();
    const QMap<QString, QImage> bitmaps = GlyphBitmaps();
    ASSERT_EQ(bitmaps.size(), 12);
    for (auto it = bitmaps.begin(); it != bitmaps.end(); ++it) {
        SCOPED_TRACE(it.key().toStdString());
        QImageReader reader(it.key());
        EXPECT_EQ(reader.format(), "bmp");
        const QImage &bitmap = it.value();
        EXPECT_EQ(bitmap.size(), QSize(32, 16));
        EXPECT_EQ(bitmap.format(), QImage::Format_Indexed8);
        EXPECT_LE(bitmap.colorCount(), 16);
        EXPECT_EQ(GlyphKey(bitmap), qRgb(0x80, 0x80, 0x00));
        int drawn[2] = {0, 0};
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 32; ++x)
                drawn[x / 16] += bitmap.pixel(x, y) != GlyphKey(bitmap);
        EXPECT_GT(drawn[0], 10) << "normal face";
        EXPECT_GT(drawn[1], 10) << "disabled face";
    }

    std::map<std::string, QString> picture;
    for (const Expected &e : kControls) {
        if (e.kind != Kind::BitBtn && e.kind != Kind::SpeedButton)
            continue;
        SCOPED_TRACE(e.name);
        auto *button = static_cast<QAbstractButton *>(W(e.name));
        EXPECT_EQ(button->iconSize(), QSize(16, 16));
        const QIcon icon = button->icon();
        // With the sizes for screens of 144 and 192 dpi.
        EXPECT_EQ(icon.availableSizes(QIcon::Normal), (QList<QSize>{QSize(16, 16), QSize(24, 24), QSize(32, 32)}));
        const QImage normal = icon.pixmap(QSize(16, 16), QIcon::Normal).toImage();
        const QImage disabled = icon.pixmap(QSize(16, 16), QIcon::Disabled).toImage();
        for (auto it = bitmaps.begin(); it != bitmaps.end(); ++it) {
            if (IsFaceOf(normal, it.value(), 0)) {
                EXPECT_TRUE(picture[e.name].isEmpty());
                picture[e.name] = it.key();
                EXPECT_TRUE(IsFaceOf(disabled, it.value(), 16)) << "the disabled face is the right half";
            }
        }
        EXPECT_FALSE(picture[e.name].isEmpty()) << "shows the face of no glyph bitmap";
        // What the button draws holds the face it is in, not the whole strip.
        const QImage face = button->isEnabled() ? normal : disabled;
        EXPECT_TRUE(Draws(DrawnAt96Dpi(button), face)) << (button->isEnabled() ? "normal" : "disabled");
    }
    ASSERT_EQ(picture.size(), 14u);
    EXPECT_EQ(picture["BitBtn4"], picture["BitBtn11"]) << "both Zápis";
    EXPECT_EQ(picture["BitBtn5"], picture["BitBtn12"]) << "both Čtení";
    std::set<QString> distinct;
    for (const auto &[name, path] : picture)
        distinct.insert(path);
    EXPECT_EQ(distinct.size(), 12u) << "every other button has a picture of its own";
}

TEST_F(MainWindowLayout, TextsKeepTheirSignificantBlanksAsDrawn)
{
    AddDisplay(2);
    Start();
    EXPECT_EQ(form->BitBtn6->Caption(), "Konec ");
    EXPECT_EQ(form->BitBtn10->Caption(), "Stop ");
    EXPECT_EQ(static_cast<QAbstractButton *>(Widget(form->RadioGroup1)->findChildren<QAbstractButton *>()[2])->text(),
              U("Skutečný čas  [min:sec]"));
    // A label is as wide as its text: the blanks take room on the screen.
    for (const char *name : {"Label7", "Label6"}) {
        SCOPED_TRACE(name);
        const auto *label = static_cast<QLabel *>(W(name));
        const QFontMetrics fm(label->font());
        EXPECT_GE(label->width(), fm.horizontalAdvance(label->text()));
        EXPECT_GT(fm.horizontalAdvance(label->text()), fm.horizontalAdvance(label->text().trimmed()));
    }
    EXPECT_EQ(form->Label7->Caption(), " : ");
    EXPECT_EQ(form->Label6->Caption(), "Další ovládání ");
}

TEST_F(MainWindowLayout, ScreenshotTextsFitAndCzechLettersAreInTheFont)
{
    // The display of the demo: on COM3, holding 12:00, found first.
    AddDisplay(3, sim::Behaviour::Normal, "1200");
    WriteSettings(4, 1, 0, 1);
    Start();
    ASSERT_EQ(Panel(0), "Připojen displej na portu COM3");
    EXPECT_TRUE(SaveScreenshot(Widget(*form), QStringLiteral("form1.png")));

    ExpectListedTextsFit(*form, kControls);
    for (QAbstractButton *item : W("RadioGroup1")->findChildren<QAbstractButton *>()) {
        ExpectTextFits(item);
        ExpectGlyphsInFont(item, item->text());
    }
    // The texts the window shows after start-up and after a choice of
    // function, in the panels and controls they go to.
    QList<QLabel *> panels = W("StatusBar1")->findChildren<QLabel *>();
    for (QLabel *panel : panels) {
        ExpectGlyphsInFont(panel, panel->text());
        EXPECT_LE(QFontMetrics(panel->font()).horizontalAdvance(panel->text()), panel->contentsRect().width())
            << panel->text().toStdString();
    }
    for (int i = 0; i < int(kFunctions.size()); ++i) {
        form->RadioGroup1->SetItemIndex(i);
        ExpectTextFits(W("BitBtn11"));
        EXPECT_LE(QFontMetrics(panels[0]->font()).horizontalAdvance(QString::fromStdString(Panel(0))),
                  panels[0]->contentsRect().width());
        // The headline stays clear of the frame below it.
        EXPECT_LE(W("Label10")->geometry().bottom(), W("Bevel4")->y());
    }
}

// At 1.5 times the resolution the window and its blue heading grow by 1.5.
TEST_F(MainWindowLayout, ScaledByOneAndAHalf)
{
    // No display: the start-up search fails at once on the empty port folder.
    form = std::make_unique<TForm1>();
    Widget(*form)->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(Widget(*form)));
    CheckScalesByOneAndAHalf(Widget(*form), W("Label10"), Ink::Blue);
}

} // namespace
