// The settings record and the value file, on real files in a temp folder.
#include "link_fixture.h"

#include <sys/resource.h>
#include <sys/wait.h>
#include <csignal>

namespace {

using testsupport::ReadAll;
using testsupport::WriteAll;

using testsupport::Raw;

TEST_F(LinkTest, SettingsRecordIsTheTwelveBytesLittleEndian)
{
    Drv232::ParameterRecord.Port = 3;
    Drv232::ParameterRecord.Period = 10;
    Drv232::ParameterRecord.Function = 2;
    Drv232::ParameterRecord.WholeDisplay = 1;
    ASSERT_TRUE(Drv232::SaveParameters());
    EXPECT_EQ(ReadAll(work / "Parametry.par"), Raw({3, 0, 10, 0, 2, 0, 0, 0, 1, 0, 0, 0}));

    Drv232::ParameterRecord.Function = -1;
    ASSERT_TRUE(Drv232::SaveParameters());
    EXPECT_EQ(ReadAll(work / "Parametry.par"), Raw({3, 0, 10, 0, 0xFF, 0xFF, 0xFF, 0xFF, 1, 0, 0, 0}));
}

TEST_F(LinkTest, ShortSettingsFileReplacesOnlyItsLeadingBytes)
{
    Drv232::ParameterRecord.WholeDisplay = 1;
    WriteAll(work / "Parametry.par", Raw({7, 0, 0x1E, 0, 4}));
    EXPECT_TRUE(Drv232::LoadParameters());
    EXPECT_EQ(Drv232::ParameterRecord.Port, 7);
    EXPECT_EQ(Drv232::ParameterRecord.Period, 30);
    EXPECT_EQ(Drv232::ParameterRecord.Function, 4) << "one byte of the field read over a zero record";
    EXPECT_EQ(Drv232::ParameterRecord.WholeDisplay, 1) << "bytes past the file keep their values";
}

TEST_F(LinkTest, LongSettingsFileCountsTwelveBytesAndReservedBytesRoundTrip)
{
    const std::string stored = Raw({5, 0xAA, 0x10, 0x0E, 6, 0, 0, 0, 2, 0xBB, 0xCC, 0xDD});
    WriteAll(work / "Parametry.par", stored + "EIGHT MORE");
    ASSERT_TRUE(Drv232::LoadParameters());
    EXPECT_EQ(Drv232::ParameterRecord.Period, 3600);
    EXPECT_EQ(Drv232::ParameterRecord.WholeDisplay, 2);
    ASSERT_TRUE(Drv232::SaveParameters());
    EXPECT_EQ(ReadAll(work / "Parametry.par"), stored);
}

TEST_F(LinkTest, UnreadableSettingsLeaveTheRecordAlone)
{
    Drv232::ParameterRecord.Port = 9;
    EXPECT_FALSE(Drv232::LoadParameters()) << "missing";
    std::filesystem::create_directory(work / "Parametry.par");
    EXPECT_FALSE(Drv232::LoadParameters()) << "a folder in its place";
    EXPECT_EQ(Drv232::ParameterRecord.Port, 9);

    std::filesystem::remove(work / "Parametry.par");
    WriteAll(work / "Parametry.par", "");
    EXPECT_TRUE(Drv232::LoadParameters()) << "an empty file is read, and changes nothing";
    EXPECT_EQ(Drv232::ParameterRecord.Port, 9);
}

TEST_F(LinkTest, FailedSaveInAReadOnlyFolderKeepsTheOldFile)
{
    const std::string old = Raw({4, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0});
    testsupport::ReadOnlyFolder folder(work / "ro", {{"Parametry.par", old}, {"QMXV6614.txt", "0930\r\n"}});
    if (!folder.ok())
        GTEST_SKIP() << "cannot make a read-only folder here";
    testsupport::ScopedWorkingDir inside(work / "ro");
    Drv232::ParameterRecord.Port = 8;
    EXPECT_FALSE(Drv232::SaveParameters());
    Drv232::DisplayText = "1111";
    EXPECT_FALSE(Drv232::SaveValueFile());
    EXPECT_EQ(ReadAll(work / "ro" / "Parametry.par"), old);
    EXPECT_EQ(ReadAll(work / "ro" / "QMXV6614.txt"), "0930\r\n");
}

TEST_F(LinkTest, SaveThatRunsOutOfSpaceReportsFailureAndKeepsTheOldFile)
{
    const std::string old = Raw({4, 0, 1, 0, 0, 0, 0, 0, 1, 0, 0, 0});
    WriteAll(work / "Parametry.par", old);
    WriteAll(work / "QMXV6614.txt", "0930\r\n");
    // A file-size limit of zero makes every write of the child fail, as a full disk would.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        signal(SIGXFSZ, SIG_IGN);
        rlimit limit{0, 0};
        setrlimit(RLIMIT_FSIZE, &limit);
        Drv232::DisplayText = "1111";
        const bool failedBoth = !Drv232::SaveParameters() && !Drv232::SaveValueFile();
        _exit(failedBoth ? 0 : 1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "both saves must report failure";
    EXPECT_EQ(ReadAll(work / "Parametry.par"), old);
    EXPECT_EQ(ReadAll(work / "QMXV6614.txt"), "0930\r\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(work.path()), {}), 2)
        << "no temporary file left behind";
}

TEST_F(LinkTest, ValueFileIsTheTextAndCrLf)
{
    Drv232::DisplayText = "0930";
    ASSERT_TRUE(Drv232::SaveValueFile());
    EXPECT_EQ(ReadAll(work / "QMXV6614.txt"), Raw({0x30, 0x39, 0x33, 0x30, 0x0D, 0x0A}));
    Drv232::DisplayText = "\x8a\xfe\xff";
    ASSERT_TRUE(Drv232::SaveValueFile());
    Drv232::DisplayText.clear();
    ASSERT_TRUE(Drv232::LoadValueFile());
    EXPECT_EQ(Drv232::DisplayText, "\x8a\xfe\xff") << "bytes above 0x7F are kept as they are";
}

struct ValueFileCase {
    std::string content;
    std::string expected;
};

class ValueFileFirstLine : public LinkTest, public ::testing::WithParamInterface<ValueFileCase> {};

TEST_P(ValueFileFirstLine, BecomesTheDisplayText)
{
    WriteAll(work / "QMXV6614.txt", GetParam().content);
    Drv232::DisplayText = "old";
    EXPECT_TRUE(Drv232::LoadValueFile());
    EXPECT_EQ(Drv232::DisplayText, GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Files, ValueFileFirstLine,
                         ::testing::Values(ValueFileCase{"12\n34", "12"}, ValueFileCase{"0930\r\n", "0930"},
                                           ValueFileCase{"", ""}, ValueFileCase{"123", "123"},
                                           ValueFileCase{"\r\n1234\r\n", ""}));

TEST_F(LinkTest, MissingValueFileLeavesTheText)
{
    Drv232::DisplayText = "keep";
    EXPECT_FALSE(Drv232::LoadValueFile());
    EXPECT_EQ(Drv232::DisplayText, "keep");
}

TEST_F(LinkTest, HugeValueFileIsReadOnlyUpToItsBound)
{
    WriteAll(work / "QMXV6614.txt", std::string(3 << 20, '7') + "\r\n");
    ASSERT_TRUE(Drv232::LoadValueFile());
    EXPECT_EQ(Drv232::DisplayText.size(), 64u * 1024u);
}

} // namespace
