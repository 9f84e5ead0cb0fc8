// "Konec " saves the settings and closes; nothing else saves.
#include "window_fixture.h"

#include <QApplication>
#include <optional>
#include <QTest>

namespace {

using testsupport::Raw;

TEST_F(MainWindowTest, ReturnOnTheFirstFocusSavesTheSettingsAndCloses)
{
    AddDisplay(4);
    testsupport::WriteAll(work / "Parametry.par", Raw({5, 0x77, 10, 0, 0, 0, 0, 0, 0, 0x88, 0x99, 0xAA}));
    Start();
    form->RadioGroup1->SetItemIndex(3);
    form->CheckBox1->SetChecked(true);

    ASSERT_EQ(QApplication::focusWidget(), Widget(form->BitBtn6)) << "Konec takes the first focus";
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_FALSE(Widget(*form)->isVisible());
    EXPECT_EQ(testsupport::ReadAll(work / "Parametry.par"), Raw({5, 0x77, 10, 0, 3, 0, 0, 0, 1, 0x88, 0x99, 0xAA}))
        << "the stored port and the reserved bytes come back as read";
}

// Where the save cannot go: a folder this user may not write, or a file
// without any write bit (refused also to root).
class FailedSave : public MainWindowTest, public ::testing::WithParamInterface<bool> {};

TEST_P(FailedSave, WarnsAndStillCloses)
{
    AddDisplay(2);
    const std::string old = Raw({3, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0});
    const bool readOnlyFile = GetParam();
    std::optional<testsupport::ReadOnlyFolder> folder;
    if (readOnlyFile) {
        std::filesystem::create_directory(work / "ro");
        testsupport::WriteAll(work / "ro" / "Parametry.par", old);
        std::filesystem::permissions(work / "ro" / "Parametry.par", std::filesystem::perms(0444));
    } else {
        folder.emplace(work / "ro", std::vector<std::pair<std::string, std::string>>{{"Parametry.par", old}});
        if (!folder->ok())
            GTEST_SKIP() << "cannot make a read-only folder here";
    }
    testsupport::ScopedWorkingDir inside(work / "ro");
    Start();
    form->RadioGroup1->SetItemIndex(4);

    std::string text;
    AnswerNextMessageBox(&text);
    form->BitBtn6->Click();
    EXPECT_EQ(text, "Chyba při ukládání parametrů");
    EXPECT_FALSE(Widget(*form)->isVisible());
    EXPECT_EQ(testsupport::ReadAll(work / "ro" / "Parametry.par"), old);
}

INSTANTIATE_TEST_SUITE_P(Places, FailedSave, ::testing::Values(false, true),
                         [](const auto &row) { return row.param ? "ReadOnlyFile" : "ReadOnlyFolder"; });

TEST_F(MainWindowTest, ClosingTheWindowOtherwiseSavesNothing)
{
    AddDisplay(2);
    Start();
    form->RadioGroup1->SetItemIndex(2);
    Widget(*form)->close();
    EXPECT_FALSE(std::filesystem::exists(work / "Parametry.par"));
}

} // namespace
