#pragma once
// Set-up shared by the test programs that drive real Qt widgets. Call before
// the QApplication is made.
namespace testsupport {

// Real widgets need a platform that makes windows, also without a display;
// and the offscreen platform's warning about every raise() says nothing about
// the code under test and buries the messages that do.
void PrepareQtTests();

} // namespace testsupport
