// The built qmxctl against emulated displays on real pseudo-terminals: what
// goes over the wire, what it prints and how it exits.
#include "platform/serial_device.h"
#include "sim/display_sim.h"
#include "child.h"
#include "tests/support/displays.h"
#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>

namespace {

using namespace std::chrono_literals;
using namespace testsupport;
using sim::Behaviour;

const std::string kRead = "44 3F 3F 3F 00 0D 0A";

struct Display {
    int port;
    Behaviour behaviour = Behaviour::Normal;
    std::string value = "0930";
};

// A port folder with displays, a working folder and qmxctl run in it.
struct Bench {
    TempDir ports, work;
    std::map<int, std::unique_ptr<sim::DisplaySim>> displays;

    explicit Bench(const std::vector<Display> &list)
    {
        for (const Display &d : list)
            displays[d.port] = StartDisplay(ports.path(), d.port, d.behaviour, d.value);
    }
    clitest::Outcome Run(std::vector<std::string> args, std::optional<std::chrono::milliseconds> stopAfter = {})
    {
        args.insert(args.begin(), QMXCTL_COMMAND);
        return clitest::RunChild(args, {"QMX_PORT_DIR=" + ports.path().string()}, work.path().string(), stopAfter);
    }
    std::vector<std::string> Frames(int port) const
    {
        std::vector<std::string> hex;
        for (const sim::Frame &f : displays.at(port)->frames())
            hex.push_back(sim::FrameToHex(f.bytes));
        return hex;
    }
};

// A named port, Czech letters, a silent display and a port above COM9 are the contract
// tests' (tests/contract), on every backend.
TEST(Qmxctl, SearchesSendsAndExitsAsDocumented)
{
    const struct {
        const char *what;
        std::vector<std::string> args;
        int storedPort; // 0: no Parametry.par
        std::vector<Display> displays;
        bool holdCom5;
        int status;
        std::string out;
        const char *err;
        std::map<int, std::vector<std::string>> frames;
        std::optional<std::chrono::milliseconds> stopAfter = {}; // SIGTERM then
    } rows[] = {
        {"no settings: from COM2 down, wrapping to COM29",
         {"read"},
         0,
         {{3, Behaviour::Normal, "0930"}, {29, Behaviour::Normal, "1200"}},
         false,
         0,
         "1200\n",
         "",
         {{29, {kRead}}, {3, {}}}},
        {"from one below the stored port", {"read"}, 5, {{4}, {5}}, false, 0, "0930\n", "", {{4, {kRead}}, {5, {}}}},
        {"a found display takes the value",
         {"write", "1234"},
         0,
         {{2}},
         false,
         0,
         "1234\n",
         "",
         {{2, {kRead, "44 31 32 33 34 0D 0A"}}}},
        {"no display anywhere", {"read"}, 0, {}, false, 1, "", "no display answered on COM1 to COM29", {}},
        {"port held by another program",
         {"--port", "COM5", "read"},
         0,
         {{5}},
         true,
         1,
         "",
         "COM5 is in use",
         {{5, {}}}},
        {"value too long: nothing sent",
         {"--port", "COM5", "write", "12345"},
         0,
         {{5}},
         false,
         2,
         "",
         "has 5 characters",
         {{5, {}}}},
        {"usage error", {"read", "now"}, 0, {}, false, 2, "", "Try 'qmxctl --help'", {}},
        // A stop is no failure, whatever failed before it: the log said so.
        {"a clock stopped after its display failed",
         {"--port", "COM5", "clock", "mm:ss"},
         0,
         {{5, Behaviour::Silent}},
         false,
         0,
         "",
         "COM5: the display did not answer",
         {},
         1500ms},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        Bench bench(row.displays);
        const std::string settings = bench.work.file("Parametry.par");
        const std::string record = Raw({row.storedPort, 0, 10, 0, 2, 0, 0, 0, 0, 0, 0, 0});
        if (row.storedPort)
            WriteAll(settings, record);
        ScopedEnv portDir("QMX_PORT_DIR", bench.ports.path().string());
        platform::SerialDevice *held = row.holdCom5 ? platform::OpenSerialDevice("COM5") : nullptr;
        if (row.holdCom5) {
            ASSERT_NE(held, nullptr);
        }

        const clitest::Outcome outcome = bench.Run(row.args, row.stopAfter);
        platform::CloseSerialDevice(held);

        EXPECT_EQ(outcome.status, row.status);
        EXPECT_EQ(outcome.out, row.out);
        EXPECT_NE(outcome.err.find(row.err), std::string::npos) << outcome.err;
        for (const auto &[port, frames] : row.frames)
            EXPECT_EQ(bench.Frames(port), frames) << "COM" << port;
        // The search reads the stored port and never writes the file.
        if (row.storedPort) {
            EXPECT_EQ(ReadAll(settings), record);
        } else {
            EXPECT_FALSE(std::filesystem::exists(settings));
        }
    }
}

TEST(Qmxctl, ClockSendsEachSecondOnceUntilTerminated)
{
    Bench bench(std::vector<Display>{{5}});
    const clitest::Outcome outcome = bench.Run({"--port", "COM5", "--whole", "clock", "mm:ss"}, 2500ms);
    EXPECT_EQ(outcome.status, 0) << outcome.err;

    // The current second at once, then each following second: no second
    // missed or sent twice.
    const std::vector<sim::Frame> frames = bench.displays.at(5)->frames();
    ASSERT_GE(frames.size(), 3u);
    int previous = -1;
    for (const sim::Frame &f : frames) {
        ASSERT_EQ(f.bytes.size(), 7u);
        EXPECT_EQ(f.bytes[0], 'C');
        const std::string mmss(f.bytes.begin() + 1, f.bytes.begin() + 5);
        const int seconds = std::stoi(mmss.substr(0, 2)) * 60 + std::stoi(mmss.substr(2));
        if (previous >= 0) {
            EXPECT_EQ(seconds, (previous + 1) % 3600) << mmss;
        }
        previous = seconds;
    }
}

} // namespace
