// The main of the window tests that run on the Win32 backend (under Wine).
#include "gui/application.h"

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    gui::TApplication application(argc, argv, {"qmx_gui_tests", "", "", ""});
    return RUN_ALL_TESTS();
}
