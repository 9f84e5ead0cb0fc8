#pragma once
// Checks of a window as its user meets it, shared by the tests of both
// windows: its controls against a list written out in the test, the walk of
// the Tab key, what the glyph buttons draw, texts that must fit, screenshots
// and a copy of the test run at another scale factor.
#include "gui/form.h"
#include "gui/qt_widgets.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMap>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <vector>

namespace windowcheck {

using gui::qt::Widget;

enum class Kind {
    Label,
    Edit,
    Button,
    BitBtn,
    SpeedButton,
    CheckBox,
    RadioGroup,
    SpinEdit,
    StatusBar,
    Panel,
    Bevel,
    Timer
};
enum class Ink { WindowText, Blue, Red };

struct Font {
    int px = 11;
    bool bold = false;
    Ink ink = Ink::WindowText;
};

// One control as the user should find it right after the window is made.
struct Expected {
    const char *name;
    Kind kind;
    const char *text; // caption or content; nullptr for controls without one
    int tab;          // -1: no place in the tab order
    bool shown, enabled;
    QRect rect; // in the holder's coordinates; empty for timers
    Font font = {};
    const char *parent = nullptr; // the holding panel, nullptr: the window
};

inline QString U(const char *utf8)
{
    return QString::fromUtf8(utf8);
}

inline const char *KindName(Kind kind)
{
    static const char *const names[] = {"Label",      "Edit",     "Button",    "BitBtn", "SpeedButton", "CheckBox",
                                        "RadioGroup", "SpinEdit", "StatusBar", "Panel",  "Bevel",       "Timer"};
    return names[static_cast<int>(kind)];
}

// The control's class as the window's code sees it, and the Qt widget that
// the user actually gets for it.
inline bool HasKind(const gui::TForm &form, const std::string &name, Kind kind)
{
    auto widgetIs = [&](auto *control, auto qtClass) {
        return control && qobject_cast<decltype(qtClass)>(Widget(control)) != nullptr;
    };
    switch (kind) {
    case Kind::Label:
        return widgetIs(form.Find<gui::TLabel>(name), (QLabel *)nullptr);
    case Kind::Edit:
        return widgetIs(form.Find<gui::TEdit>(name), (QLineEdit *)nullptr);
    case Kind::Button:
        return !form.Find<gui::TBitBtn>(name) && widgetIs(form.Find<gui::TButton>(name), (QPushButton *)nullptr);
    case Kind::BitBtn:
        return widgetIs(form.Find<gui::TBitBtn>(name), (QPushButton *)nullptr);
    case Kind::SpeedButton:
        return widgetIs(form.Find<gui::TSpeedButton>(name), (QToolButton *)nullptr);
    case Kind::CheckBox:
        return widgetIs(form.Find<gui::TCheckBox>(name), (QCheckBox *)nullptr);
    case Kind::RadioGroup:
        return widgetIs(form.Find<gui::TRadioGroup>(name), (QGroupBox *)nullptr);
    case Kind::SpinEdit:
        return widgetIs(form.Find<gui::TSpinEdit>(name), (QLineEdit *)nullptr);
    case Kind::StatusBar:
        return form.Find<gui::TStatusBar>(name) != nullptr;
    case Kind::Panel:
        return form.Find<gui::TPanel>(name) != nullptr;
    case Kind::Bevel:
        return form.Find<gui::TBevel>(name) != nullptr;
    case Kind::Timer:
        return form.Find<gui::TTimer>(name) != nullptr;
    }
    return false;
}

inline std::optional<std::string> TextOf(const gui::TForm &form, const std::string &name)
{
    if (auto *c = form.Find<gui::TLabel>(name))
        return c->Caption();
    if (auto *c = form.Find<gui::TEdit>(name))
        return c->Text();
    if (auto *c = form.Find<gui::TButton>(name))
        return c->Caption();
    if (auto *c = form.Find<gui::TCheckBox>(name))
        return c->Caption();
    if (auto *c = form.Find<gui::TRadioGroup>(name))
        return c->Caption();
    if (auto *c = form.Find<gui::TSpinEdit>(name))
        return c->Text();
    return std::nullopt;
}

inline QColor InkColour(Ink ink, const QWidget *w)
{
    switch (ink) {
    case Ink::Blue:
        return QColor(0, 0, 255);
    case Ink::Red:
        return QColor(255, 0, 0);
    case Ink::WindowText:
        break;
    }
    return QApplication::palette().color(QPalette::Active, w->foregroundRole());
}

// Every control of the window is in the list and nothing else is; each has
// the kind, text, tab place, states, place and font listed.
inline void ExpectControls(const gui::TForm &form, const std::vector<Expected> &expected)
{
    std::set<std::string> listed;
    for (const Expected &e : expected) {
        SCOPED_TRACE(e.name);
        const std::string name = e.name;
        listed.insert(name);
        ASSERT_NE(form.Find<gui::TObject>(name), nullptr) << "missing";
        EXPECT_TRUE(HasKind(form, name, e.kind)) << "is not a " << KindName(e.kind);
        if (e.kind == Kind::Timer) {
            const auto *timer = form.Find<gui::TTimer>(name);
            EXPECT_FALSE(timer->Enabled());
            EXPECT_EQ(timer->Interval(), 1000);
            continue;
        }
        const auto *control = form.Find<gui::TControl>(name);
        ASSERT_NE(control, nullptr);
        QWidget *w = Widget(control);
        EXPECT_EQ(TextOf(form, name), e.text ? std::optional<std::string>(e.text) : std::nullopt);
        EXPECT_EQ(control->TabOrder, e.tab);
        EXPECT_EQ(control->Visible(), e.shown);
        EXPECT_EQ(control->Enabled(), e.enabled);
        EXPECT_EQ(w->parentWidget(), e.parent ? Widget(form.Find<gui::TControl>(e.parent)) : Widget(form));
        // Labels size themselves to their text; only where they start is fixed.
        if (e.kind == Kind::Label)
            EXPECT_EQ(w->pos(), e.rect.topLeft());
        else
            EXPECT_EQ(w->geometry(), e.rect);

        const QFontInfo font(w->font());
        EXPECT_EQ(font.family(), "Liberation Sans") << "the captions were fitted to its widths";
        EXPECT_EQ(font.pixelSize(), e.font.px);
        EXPECT_EQ(font.bold(), e.font.bold);
        EXPECT_EQ(w->palette().color(QPalette::Active, w->foregroundRole()), InkColour(e.font.ink, w));
    }
    for (const gui::ControlLayout &row : form.Layout().controls)
        EXPECT_TRUE(listed.count(row.name)) << "unexpected control " << row.name;
    for (QWidget *child : Widget(form)->findChildren<QWidget *>()) {
        const std::string name = child->objectName().toStdString();
        if (form.Find<gui::TControl>(name)) {
            EXPECT_TRUE(listed.count(name)) << name;
        }
    }
}

// The control that a focus widget belongs to (a radio item: its group).
inline QString ControlOf(const gui::TForm &form, QWidget *w)
{
    for (; w; w = w->parentWidget())
        if (form.Find<gui::TControl>(w->objectName().toStdString()))
            return w->objectName();
    return QStringLiteral("<none>");
}

inline QStringList TabWalk(const gui::TForm &form, int presses, bool backwards = false)
{
    QStringList visited;
    for (int i = 0; i < presses; ++i) {
        QWidget *focus = QApplication::focusWidget();
        if (!focus)
            break;
        QTest::keyClick(focus, backwards ? Qt::Key_Backtab : Qt::Key_Tab);
        visited.append(ControlOf(form, QApplication::focusWidget()));
    }
    return visited;
}

// The glyph bitmaps the program carries, by resource path (the 16 px ones,
// not their larger sizes "NAME@1.5x.bmp" and "NAME@2x.bmp").
inline QMap<QString, QImage> GlyphBitmaps()
{
    QMap<QString, QImage> bitmaps;
    const QDir dir(QStringLiteral(":/glyphs"));
    for (const QString &file : dir.entryList(QDir::Files))
        if (!file.contains('@'))
            bitmaps.insert(dir.filePath(file), QImage(dir.filePath(file)));
    return bitmaps;
}

// The pixels of a glyph bitmap in the olive of its bottom-left corner are the
// background and must show the button face through.
inline QRgb GlyphKey(const QImage &bitmap)
{
    return bitmap.pixel(0, bitmap.height() - 1);
}

// shown is the 16 x 16 face of bitmap that starts at column x.
inline bool IsFaceOf(const QImage &shown, const QImage &bitmap, int x)
{
    if (shown.size() != QSize(16, 16) || bitmap.size() != QSize(32, 16))
        return false;
    const QImage argb = shown.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = GlyphKey(bitmap);
    for (int py = 0; py < 16; ++py)
        for (int px = 0; px < 16; ++px) {
            const QRgb want = bitmap.pixel(x + px, py);
            const QRgb got = argb.pixel(px, py);
            if (want == key ? qAlpha(got) != 0
                            : (qAlpha(got) != 255 || qRgb(qRed(got), qGreen(got), qBlue(got)) != want))
                return false;
        }
    return true;
}

// The widget drawn at the design resolution, whatever the screen's scale.
inline QImage DrawnAt96Dpi(QWidget *w)
{
    QImage image(w->size(), QImage::Format_ARGB32);
    image.setDevicePixelRatio(1);
    image.fill(w->palette().color(QPalette::Window));
    w->render(&image);
    return image;
}

// A drawing of a button holds the face somewhere, opaque pixels exact.
inline bool Draws(const QImage &drawing, const QImage &face)
{
    const QImage d = drawing.convertToFormat(QImage::Format_RGB32);
    const QImage f = face.convertToFormat(QImage::Format_ARGB32);
    for (int oy = 0; oy + f.height() <= d.height(); ++oy)
        for (int ox = 0; ox + f.width() <= d.width(); ++ox) {
            bool all = true;
            for (int y = 0; y < f.height() && all; ++y)
                for (int x = 0; x < f.width() && all; ++x) {
                    const QRgb p = f.pixel(x, y);
                    if (qAlpha(p) == 255 && (d.pixel(ox + x, oy + y) & 0xFFFFFF) != (p & 0xFFFFFF))
                        all = false;
                }
            if (all)
                return true;
        }
    return false;
}

// Whether the control's text fits inside it as drawn. Labels size themselves
// and the status bar clips on purpose; both are left out.
inline void ExpectTextFits(QWidget *w)
{
    SCOPED_TRACE(w->objectName().toStdString());
    const QFontMetrics fm(w->font());
    QStyle *style = w->style();
    if (auto *button = qobject_cast<QPushButton *>(w)) {
        const int frame = style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, w);
        const int icon = button->icon().isNull() ? 0 : button->iconSize().width() + 4;
        EXPECT_LE(fm.horizontalAdvance(button->text().remove('&')) + icon + 2 * frame, w->width())
            << button->text().toStdString();
        EXPECT_LE(fm.height(), w->height() - 2 * frame);
    } else if (auto *box = qobject_cast<QCheckBox *>(w)) {
        const int need = style->pixelMetric(QStyle::PM_IndicatorWidth, nullptr, w) +
                         style->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, w) +
                         fm.horizontalAdvance(box->text());
        EXPECT_LE(need, w->width()) << box->text().toStdString();
        EXPECT_LE(fm.height(), w->height());
    } else if (auto *radio = qobject_cast<QRadioButton *>(w)) {
        const int need = style->pixelMetric(QStyle::PM_ExclusiveIndicatorWidth, nullptr, w) +
                         style->pixelMetric(QStyle::PM_RadioButtonLabelSpacing, nullptr, w) +
                         fm.horizontalAdvance(radio->text());
        EXPECT_LE(need, w->width()) << radio->text().toStdString();
        EXPECT_LE(w->geometry().right(), w->parentWidget()->width()) << radio->text().toStdString();
    } else if (auto *group = qobject_cast<QGroupBox *>(w)) {
        EXPECT_LE(fm.horizontalAdvance(group->title()) + 16, w->width()) << group->title().toStdString();
    } else if (auto *edit = qobject_cast<QLineEdit *>(w)) {
        const int frame = style->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, w);
        // QLineEdit keeps 2 px inside its frame on each side.
        EXPECT_LE(fm.horizontalAdvance(edit->text()) + 2 * (frame + 2), w->width()) << edit->text().toStdString();
        EXPECT_LE(fm.height(), w->height() - 2 * frame) << edit->text().toStdString();
    }
}

// Every character the window shows exists in the font that draws it, so no
// Czech letter comes out as a box or from a fallback font.
inline void ExpectGlyphsInFont(QWidget *w, const QString &text)
{
    const QFontMetrics fm(w->font());
    for (QChar c : text)
        EXPECT_TRUE(fm.inFont(c)) << w->objectName().toStdString() << ": U+" << std::hex << int(c.unicode());
}

// Every listed control's text fits it and is drawn by its own font.
inline void ExpectListedTextsFit(const gui::TForm &form, const std::vector<Expected> &expected)
{
    for (const Expected &e : expected) {
        if (e.kind == Kind::Timer)
            continue;
        QWidget *w = Widget(form.Find<gui::TControl>(e.name));
        ExpectTextFits(w);
        if (e.text)
            ExpectGlyphsInFont(w, U(e.text));
    }
}

// Saves a grab of the window next to the test program and, when
// QMX_SCREENSHOT_DIR is set, there as well.
inline bool SaveScreenshot(QWidget *window, const QString &file)
{
    const QPixmap shot = window->grab();
    bool ok = !shot.isNull() && shot.save(QDir(QCoreApplication::applicationDirPath()).filePath(file));
    const QString dir = qEnvironmentVariable("QMX_SCREENSHOT_DIR");
    if (!dir.isEmpty())
        ok = QDir().mkpath(dir) && shot.save(QDir(dir).filePath(file)) && ok;
    return ok;
}

// The bounding box of the pixels of one pure colour (blue or red) in region
// of the image, anti-aliased edges left out.
inline QRect InkBox(const QImage &image, const QRect &region, Ink ink)
{
    QRect box;
    const QRect r = region.intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            const bool hit = ink == Ink::Blue ? c.blue() > 200 && c.red() < 80 && c.green() < 80
                                              : c.red() > 200 && c.blue() < 80 && c.green() < 80;
            if (hit)
                box |= QRect(x, y, 1, 1);
        }
    return box;
}

// What a window looks like at some scale factor: the device pixel ratio, the
// grab's size, the logical size and the ink of one coloured text.
struct Measure {
    double ratio = 0;
    QSize grabbed, logical;
    QSize ink;
};

inline Measure MeasureWindow(QWidget *window, QWidget *coloured, Ink ink)
{
    const QImage shot = window->grab().toImage();
    const double ratio = shot.devicePixelRatio();
    const QRect logical(coloured->mapTo(window, QPoint(0, 0)), coloured->size());
    const QRect region(QPoint(int(logical.x() * ratio), int(logical.y() * ratio)),
                       QSize(int(logical.width() * ratio), int(logical.height() * ratio)));
    return {ratio, shot.size(), window->size(), InkBox(shot, region, ink).size()};
}

// The scale factor is read once when the application starts, so the same
// test is run again in a child process with QT_SCALE_FACTOR set; the child
// writes its measure to the file named by QMX_SCALE_PROBE.
constexpr const char *kProbeVariable = "QMX_SCALE_PROBE";

inline bool InScaleProbe()
{
    return qEnvironmentVariableIsSet(kProbeVariable);
}

inline void WriteProbe(const Measure &m)
{
    QFile out(qEnvironmentVariable(kProbeVariable));
    ASSERT_TRUE(out.open(QIODevice::WriteOnly));
    out.write(QStringLiteral("%1 %2 %3 %4 %5 %6 %7")
                  .arg(m.ratio)
                  .arg(m.grabbed.width())
                  .arg(m.grabbed.height())
                  .arg(m.logical.width())
                  .arg(m.logical.height())
                  .arg(m.ink.width())
                  .arg(m.ink.height())
                  .toUtf8());
}

inline std::optional<Measure> RunScaled(const QString &scale)
{
    const ::testing::TestInfo *test = ::testing::UnitTest::GetInstance()->current_test_info();
    const QString out = QDir(QDir::tempPath())
                            .filePath(QStringLiteral("qmx-scale-probe-%1.txt").arg(QCoreApplication::applicationPid()));
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_SCALE_FACTOR", scale);
    env.insert(kProbeVariable, out);
    if (!env.contains("QT_QPA_PLATFORM"))
        env.insert("QT_QPA_PLATFORM", "offscreen");
    child.setProcessEnvironment(env);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_filter=%1.%2").arg(test->test_suite_name(), test->name())});
    if (!child.waitForFinished(60000) || child.exitCode() != 0)
        return std::nullopt;
    QFile in(out);
    if (!in.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QStringList v = QString::fromUtf8(in.readAll()).split(' ');
    in.remove();
    if (v.size() != 7)
        return std::nullopt;
    return Measure{
        v[0].toDouble(), {v[1].toInt(), v[2].toInt()}, {v[3].toInt(), v[4].toInt()}, {v[5].toInt(), v[6].toInt()}};
}

// At 1.5 the window keeps its logical layout and grows on the screen, its
// text with it.
inline void ExpectScaledByOneAndAHalf(const Measure &plain, const Measure &scaled)
{
    EXPECT_DOUBLE_EQ(scaled.ratio, 1.5);
    EXPECT_EQ(scaled.logical, plain.logical);
    EXPECT_NEAR(scaled.grabbed.width(), plain.grabbed.width() * 1.5, 1);
    EXPECT_NEAR(scaled.grabbed.height(), plain.grabbed.height() * 1.5, 1);
    ASSERT_GT(plain.ink.height(), 0);
    ASSERT_GT(plain.ink.width(), 0);
    // Hinting moves a glyph's edges by a pixel either way.
    EXPECT_NEAR(scaled.ink.height(), plain.ink.height() * 1.5, 2.5);
    EXPECT_NEAR(scaled.ink.width(), plain.ink.width() * 1.5, 3.5);
}

// The whole check for a shown window: in the child it only measures; in the
// test itself it measures, runs the child at 1.5 and compares.
inline void CheckScalesByOneAndAHalf(QWidget *window, QWidget *coloured, Ink ink)
{
    const Measure here = MeasureWindow(window, coloured, ink);
    if (InScaleProbe()) {
        WriteProbe(here);
        return;
    }
    ASSERT_DOUBLE_EQ(here.ratio, 1.0) << "run at the design resolution";
    const std::optional<Measure> scaled = RunScaled(QStringLiteral("1.5"));
    ASSERT_TRUE(scaled.has_value());
    ExpectScaledByOneAndAHalf(here, *scaled);
}

} // namespace windowcheck
