#include "test_form_qt.h"

#include "gui/qt_widgets.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTest>
#include <QTimer>

namespace guitest {

using gui::qt::Widget;

bool ShowActive(gui::TForm &form)
{
    form.Show();
    return QTest::qWaitForWindowActive(Widget(form));
}

void PressKey(gui::TForm &form, Key key)
{
    QWidget *focus = QApplication::focusWidget();
    QTest::keyClick(focus ? focus : Widget(form), key == Key::Enter ? Qt::Key_Return : Qt::Key_Space);
}

Frame FrameOf(const gui::TForm &form)
{
    const QWidget *w = Widget(form);
    return {w->minimumSize() != w->maximumSize(), (w->windowFlags() & Qt::WindowMaximizeButtonHint) != 0};
}

Box PlaceOf(const gui::TControl &control)
{
    const QRect r = Widget(&control)->geometry();
    return {r.x(), r.y(), r.width(), r.height()};
}

namespace {

// exec() may not have put the box up yet at the first look; look again.
void closeWhenUp(SeenBox *seen, int triesLeft)
{
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    if (!box) {
        if (triesLeft > 0)
            QTimer::singleShot(20, [seen, triesLeft] { closeWhenUp(seen, triesLeft - 1); });
        return;
    }
    if (seen)
        *seen = {true, box->windowTitle(), box->text(), box->icon(), int(box->buttons().size())};
    QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
}

} // namespace

void CloseMessageBoxLater(int afterMs, SeenBox *seen)
{
    QTimer::singleShot(afterMs, [seen] { closeWhenUp(seen, 500); });
}

} // namespace guitest
