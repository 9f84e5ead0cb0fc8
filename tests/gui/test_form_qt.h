#pragma once
// The test window's message boxes as Qt draws them.
#include "test_form.h"

#include <QMessageBox>
#include <QString>

namespace guitest {

// What the closer saw of the message box it closed.
struct SeenBox {
    bool closed = false;
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    int buttons = 0;
};

// After afterMs, waits for the application's modal message box and clicks its
// OK button, as the operator would.
void CloseMessageBoxLater(int afterMs, SeenBox *seen = nullptr);

} // namespace guitest
