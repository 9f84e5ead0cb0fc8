#pragma once
// Set-up shared by the test programs that drive real Qt widgets. Call before
// the QApplication is made.
#include <QString>
#include <functional>
#include <string>

class QWidget;

namespace testsupport {

// Real widgets need a platform that makes windows, also without a display;
// and the offscreen platform's warning about every raise() says nothing about
// the code under test and buries the messages that do.
void PrepareQtTests();

// Once the event loop has a modal window that accept takes, runs act on it.
// For windows that a handler opens and waits on, so the test acts from
// within that window's own loop.
void OnModal(std::function<bool(QWidget *)> accept, std::function<void(QWidget *)> act);
// Waits for the next modal message box, records its text and presses OK.
void AnswerNextMessageBox(std::string *text);

} // namespace testsupport
