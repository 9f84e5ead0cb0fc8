#include "gui/form.h"
#include "gui/peer_qt.h"

#include <QGuiApplication>
#include <QMessageBox>

namespace gui {

namespace {

void showBox(QMessageBox::Icon icon, TForm *owner, const std::string &text)
{
    QWidget *parent = owner ? owner->Native().widget.data() : nullptr;
    const QString title = parent ? QString::fromStdString(owner->Caption()) : QGuiApplication::applicationDisplayName();
    QMessageBox box(icon, title, QString::fromStdString(text), QMessageBox::Ok, parent);
    box.exec();
}

} // namespace

void ShowErrorBox(TForm *owner, const std::string &text)
{
    showBox(QMessageBox::Critical, owner, text);
}

void ShowWarningBox(TForm *owner, const std::string &text)
{
    showBox(QMessageBox::Warning, owner, text);
}

} // namespace gui
