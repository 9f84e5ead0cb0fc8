#include "tests/support/qt_tests.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QString>
#include <QTimer>
#include <QtGlobal>

namespace testsupport {

namespace {

QtMessageHandler defaultHandler = nullptr;

void QuietHandler(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message.startsWith(QLatin1String("This plugin does not support")))
        return;
    defaultHandler(type, context, message);
}

} // namespace

void PrepareQtTests()
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    defaultHandler = qInstallMessageHandler(QuietHandler);
}

void OnModal(std::function<bool(QWidget *)> accept, std::function<void(QWidget *)> act)
{
    // The application owns the poll, so one that never finds its window goes
    // with the application instead of leaking.
    auto *poll = new QTimer(QCoreApplication::instance());
    QObject::connect(poll, &QTimer::timeout, poll, [poll, accept = std::move(accept), act = std::move(act)] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal || !accept(modal))
            return;
        poll->stop();
        poll->deleteLater();
        act(modal);
    });
    poll->start(20);
}

void AnswerNextMessageBox(std::string *text)
{
    OnModal([](QWidget *w) { return qobject_cast<QMessageBox *>(w) != nullptr; },
            [text](QWidget *w) {
                auto *box = static_cast<QMessageBox *>(w);
                if (text)
                    *text = box->text().toStdString();
                box->button(QMessageBox::Ok) ? box->button(QMessageBox::Ok)->click() : box->accept();
            });
}

} // namespace testsupport
