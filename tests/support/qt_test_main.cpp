// The main of the window test programs: real widgets on a QApplication.
#include "tests/support/qt_tests.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    testsupport::PrepareQtTests();
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
