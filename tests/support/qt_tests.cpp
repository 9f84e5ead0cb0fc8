#include "tests/support/qt_tests.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QString>
#include <QTimer>
#include <QtGlobal>
#include <memory>

namespace testsupport {

namespace {

QtMessageHandler defaultHandler = nullptr;

void QuietHandler(QtMsgType type, const QMessageLogContext &context, const QString &message) {
    if (message.startsWith(QLatin1String("This plugin does not support")))
        return;
    defaultHandler(type, context, message);
}

} // namespace

void PrepareQtTests() {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    defaultHandler = qInstallMessageHandler(QuietHandler);
}

void OnModal(std::function<bool(QWidget *)> accept, std::function<void(QWidget *)> act) {
    auto poll = std::make_shared<std::function<void()>>();
    *poll = [accept, act, poll] {
        QWidget *modal = QApplication::activeModalWidget();
        if (modal && accept(modal))
            act(modal);
        else
            QTimer::singleShot(20, *poll);
    };
    QTimer::singleShot(20, *poll);
}

void AnswerNextMessageBox(QString *text) {
    OnModal([](QWidget *w) { return qobject_cast<QMessageBox *>(w) != nullptr; },
            [text](QWidget *w) {
                auto *box = static_cast<QMessageBox *>(w);
                if (text)
                    *text = box->text();
                box->button(QMessageBox::Ok) ? box->button(QMessageBox::Ok)->click() : box->accept();
            });
}

} // namespace testsupport
