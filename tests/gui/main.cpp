#include "gui/form.h"
#include "gui/qt_widgets.h"
#include "test_form.h"
#include "tests/support/qt_tests.h"

#include <QApplication>
#include <QFontInfo>
#include <QTest>
#include <cstdio>
#include <cstring>
#include <gtest/gtest.h>

namespace {

// Run in a child process with QT_SCALE_FACTOR set: shows the test window and
// prints the device pixel ratio, the grabbed size, the logical size, the
// position of edtName and the pixel size of lblTime's font.
int scaleProbe()
{
    using gui::qt::Widget;
    gui::TForm form(guitest::TestLayout());
    form.Show();
    QWidget *w = Widget(form);
    if (!QTest::qWaitForWindowExposed(w))
        return 2;
    const QPixmap shot = w->grab();
    const QRect edit = Widget(form.Find<gui::TEdit>("edtName"))->geometry();
    std::printf("%g %d %d %d %d %d %d %d\n", w->devicePixelRatioF(), shot.width(), shot.height(), w->width(),
                w->height(), edit.x(), edit.y(),
                QFontInfo(Widget(form.Find<gui::TLabel>("lblTime"))->font()).pixelSize());
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    testsupport::PrepareQtTests();
    const bool probe = argc > 1 && std::strcmp(argv[1], "--scale-probe") == 0;
    if (!probe)
        ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    app.setApplicationName(QStringLiteral("qmx_gui_tests"));
    return probe ? scaleProbe() : RUN_ALL_TESTS();
}
