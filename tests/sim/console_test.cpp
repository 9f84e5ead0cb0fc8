// What the qmx8350t-sim command reads from its arguments and shows.
#include "sim/big_font.h"
#include "sim/command_line.h"
#include "sim/log_text.h"

#include <gtest/gtest.h>

using namespace std::string_literals;

namespace {

void ExpectEvenBlock(const std::vector<std::string> &rows)
{
    ASSERT_EQ(rows.size(), static_cast<std::size_t>(sim::kBigRows));
    for (const std::string &row : rows)
        EXPECT_EQ(row.size(), rows.front().size());
}

TEST(BigFont, DrawsEachCharacterInItsOwnShape)
{
    const auto rows = sim::RenderBig("0930");
    ExpectEvenBlock(rows);
    const auto zero = sim::RenderBig("0");
    const auto nine = sim::RenderBig("9");
    EXPECT_NE(zero, nine);
    EXPECT_EQ(rows[2].substr(0, zero[2].size()), zero[2]);
    EXPECT_NE(rows.front().find('#'), std::string::npos);

    // Bytes without a shape all get the same box, of the usual width.
    const auto odd = sim::RenderBig("A\0\xFF~"s);
    ExpectEvenBlock(odd);
    EXPECT_EQ(odd.front().size(), rows.front().size());
    EXPECT_EQ(sim::RenderBig("A"), sim::RenderBig("\xFF"));
}

TEST(BigFont, PointsOfDigitCellsKeepTheWidth)
{
    const auto lit = sim::RenderBigCells({'1', 0x80 | '2', '3', '4', 0x80 | '5'});
    const auto unlit = sim::RenderBigCells({'1', '2', '3', '4', '5'});
    ExpectEvenBlock(lit);
    EXPECT_EQ(lit.front().size(), unlit.front().size());
    EXPECT_NE(lit.back(), unlit.back());
    EXPECT_EQ(lit.front(), unlit.front()); // the point sits on the bottom row only
    EXPECT_EQ(sim::CellsText({'1', 0x80 | '2', '3', '4', 0x80 | '5'}), "12.345.");
}

TEST(CommandLine, ReadsPortsOptionsAndTheFolderFromTheEnvironment)
{
    auto parsed =
        sim::ParseCommandLine({"--pacing", "--behaviour=slow", "--value", "09-M", "COM4", "COM12"}, "/tmp/env");
    ASSERT_EQ(parsed.error, "");
    EXPECT_EQ(parsed.command.ports, (std::vector<int>{4, 12}));
    EXPECT_EQ(parsed.command.behaviour, sim::Behaviour::SlowBytes);
    EXPECT_EQ(parsed.command.value, "09-M");
    EXPECT_EQ(parsed.command.portDir, "/tmp/env");
    EXPECT_TRUE(parsed.command.pacing);

    parsed = sim::ParseCommandLine({"--port-dir", "/tmp/arg"}, "/tmp/env");
    EXPECT_EQ(parsed.command.portDir, "/tmp/arg");
    EXPECT_EQ(parsed.command.ports, (std::vector<int>{3}));
    EXPECT_TRUE(sim::ParseCommandLine({"--help"}, nullptr).command.help);
}

TEST(CommandLine, RejectsWhatItCannotUse)
{
    const std::vector<std::vector<std::string>> bad = {
        {"COM3"}, // no folder anywhere
        {"--port-dir"},
        {"--port-dir", "/x", "--value", "12345"},
        {"--port-dir", "/x", "--behaviour", "loud"},
        {"--port-dir", "/x", "--colour"},
        {"--port-dir", "/x", "COM0"},
        {"--port-dir", "/x", "COM3x"},
        {"--port-dir", "/x", "/dev/ttyS0"},
        {"--port-dir", "/x", "COM3", "COM3"},
        {"--port-dir", "/x", "--plain=yes"},
    };
    for (const auto &args : bad)
        EXPECT_NE(sim::ParseCommandLine(args, nullptr).error, "") << args.back();
}

TEST(LogText, NamesTheFrameAndItsAnswer)
{
    sim::Frame frame;
    frame.kind = sim::Frame::Kind::Value;
    frame.bytes = {0x44, 0x3F, 0x3F, 0x3F, 0x00, 0x0D, 0x0A};
    frame.reply = {'0', '0', '0', '0', 0x0D, 0x0A};
    const auto at = std::chrono::system_clock::now();
    const auto lines = sim::LogLines("COM3", frame, at, at);
    const std::string clock = sim::ClockText(at);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], clock + " COM3 <- 44 3F 3F 3F 00 0D 0A  (value, read)");
    EXPECT_EQ(lines[1], clock + " COM3 -> 30 30 30 30 0D 0A");
    EXPECT_EQ(clock.size(), 12u);
    EXPECT_EQ(sim::PrintableText("1\0\\2"s), "1\\x00\\x5C2");
}

} // namespace
