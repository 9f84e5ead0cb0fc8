#include "gui/form.h"

#include <QGuiApplication>
#include <QMessageBox>

namespace gui {

namespace {

void showBox(QMessageBox::Icon icon, TForm *owner, const QString &text)
{
    QWidget *parent = owner ? owner->Widget() : nullptr;
    const QString title = parent ? owner->Caption() : QGuiApplication::applicationDisplayName();
    QMessageBox box(icon, title, text, QMessageBox::Ok, parent);
    box.exec();
}

} // namespace

void ShowErrorBox(TForm *owner, const QString &text)
{
    showBox(QMessageBox::Critical, owner, text);
}

void ShowWarningBox(TForm *owner, const QString &text)
{
    showBox(QMessageBox::Warning, owner, text);
}

} // namespace gui
