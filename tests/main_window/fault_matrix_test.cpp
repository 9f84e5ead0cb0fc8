// Every fault of the display, a few seconds each, against the running main
// window with its real timers and event loop, in the three ways the window
// talks to the display: the real time running, a stop-watch running, and
// the read button clicked now and then. The window must show the failure as
// it does for a dead line, spend little CPU time while the display
// misbehaves or is gone, hold no more descriptors afterwards, and talk with
// the display as before once the fault is over.
#include "window_fixture.h"

#include "tests/support/process.h"

#include <QEventLoop>
#include <QTest>
#include <QTimer>
#include <regex>

namespace {

using namespace std::chrono;
using Clock = steady_clock;

const std::string SendFailed = "Chyba při odesílání dat";

enum class Talk { RealTime, Stopwatch, ReadButton };

struct Fault {
    const char *name;
    sim::Behaviour behaviour;
    bool gone;  // the adapter is pulled out and plugged in again
    bool fails; // every exchange during the fault fails
};

const Fault kFaults[] = {
    {"normal", sim::Behaviour::Normal, false, false},
    {"silent", sim::Behaviour::Silent, false, true},
    {"wrong-terminator", sim::Behaviour::WrongTerminator, false, true},
    {"short", sim::Behaviour::ShortReply, false, true},
    {"slow", sim::Behaviour::SlowBytes, false, true},
    {"stray", sim::Behaviour::StrayByte, false, true},
    {"mmmm", sim::Behaviour::AlwaysMMMM, false, false},
    {"gone", sim::Behaviour::Normal, true, true},
};

constexpr int kFaultMs = 1500;
// Within a second of the fault's end a running function sends again.
constexpr int kRecoveryMs = 5000;

// The real time runs on the steady clock from 10:00:00, so that a frame's
// arrival tells which second it had to carry.
const Clock::time_point kClockStart = Clock::now();

platform::LocalTime FakeLocalTime()
{
    const auto elapsed = duration_cast<milliseconds>(Clock::now() - kClockStart).count();
    const auto seconds = elapsed / 1000;
    return {10 + static_cast<int>(seconds / 3600), static_cast<int>(seconds / 60 % 60), static_cast<int>(seconds % 60),
            static_cast<int>(elapsed % 1000)};
}

// The seconds since 10:00:00 that a value frame "D" mm ss CR LF carries.
int FrameSeconds(const sim::Frame &frame)
{
    const auto &b = frame.bytes;
    return ((b[1] - '0') * 10 + (b[2] - '0')) * 60 + (b[3] - '0') * 10 + (b[4] - '0');
}

std::string Joined(const std::vector<std::string> &texts)
{
    std::string all;
    for (const std::string &text : texts)
        all += (all.empty() ? "" : " | ") + text;
    return all;
}

void RunEventLoop(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

class FaultMatrix : public MainWindowTest, public ::testing::WithParamInterface<Talk> {
protected:
    sim::DisplaySim *display = nullptr;
    // The texts panel 0 showed between two events, in the order shown.
    std::vector<std::string> shown;
    QTimer watch;
    QTimer reader;

    void SetUp() override
    {
        platform::SetClockSource(FakeLocalTime);
        display = &AddDisplay(2, sim::Behaviour::Normal, "1234");
        const int function = GetParam() == Talk::RealTime ? 2 : GetParam() == Talk::Stopwatch ? 4 : 0;
        WriteSettings(3, 1, function, 0);
        Start();
        if (GetParam() != Talk::ReadButton)
            form->BitBtn11->Click();

        // Ticks overwrite panel 0 at most 99 ms after a failure; looking every
        // few milliseconds sees each text the operator could see.
        watch.setTimerType(Qt::PreciseTimer);
        QObject::connect(&watch, &QTimer::timeout, [this] {
            if (shown.empty() || shown.back() != Panel(0))
                shown.push_back(Panel(0));
        });
        watch.start(5);
        QObject::connect(&reader, &QTimer::timeout, [this] { form->BitBtn12->Click(); });
        RunEventLoop(1200);
    }

    void TearDown() override
    {
        watch.stop();
        reader.stop();
        MainWindowTest::TearDown();
    }

    // Value frames that came in after `since`.
    std::vector<sim::Frame> ValueFramesSince(Clock::time_point since) const
    {
        std::vector<sim::Frame> frames;
        for (const auto &frame : display->frames())
            if (frame.kind == sim::Frame::Kind::Value && frame.received > since)
                frames.push_back(frame);
        return frames;
    }
};

TEST_P(FaultMatrix, EachFaultShowsAsAFailureCostsLittleAndLeavesTheLineWorking)
{
    const bool running = GetParam() != Talk::ReadButton;
    for (const Fault &fault : kFaults) {
        SCOPED_TRACE(fault.name);
        // No handler clears panel 0; cleared here, what a fault writes shows.
        form->StatusBar1->SetPanelText(0, "");
        shown.clear();
        const std::string reply = Panel(1);
        const std::size_t descriptors = testsupport::OpenDescriptors();
        const auto before = ValueFramesSince(Clock::time_point{});
        const int lastSent = before.empty() ? -1 : FrameSeconds(before.back());

        const auto cpu = testsupport::ThreadCpuTime();
        const auto start = Clock::now();
        if (fault.gone)
            display->stop();
        else
            display->setBehaviour(fault.behaviour);
        if (!running)
            reader.start(300);
        RunEventLoop(kFaultMs);
        reader.stop();
        const double share = duration<double>(testsupport::ThreadCpuTime() - cpu) / (Clock::now() - start);
        EXPECT_LT(share, 0.2) << "CPU time of the window's thread during the fault";

        EXPECT_EQ(std::find(shown.begin(), shown.end(), SendFailed) != shown.end(), fault.fails) << Joined(shown);
        if (GetParam() != Talk::RealTime) {
            EXPECT_EQ(Panel(0), fault.fails ? SendFailed : std::string()) << "the failure text stays";
        }
        if (running) {
            const std::string accepted = fault.behaviour == sim::Behaviour::AlwaysMMMM ? std::string("MMMM")
                                         : fault.fails                                 ? reply
                                                       : form->Edit2->Text() + form->Edit3->Text();
            EXPECT_EQ(Panel(1), accepted) << "panel 1 holds the last accepted reply";
        }

        if (fault.gone)
            ASSERT_TRUE(display->start()) << display->error();
        else
            display->setBehaviour(sim::Behaviour::Normal);
        const auto ended = Clock::now();
        if (running) {
            // Two seconds in a row, each taken by the display, that go on
            // from where the window was before the fault.
            ASSERT_TRUE(QTest::qWaitFor([&] { return ValueFramesSince(ended).size() >= 2; }, kRecoveryMs));
            const auto after = ValueFramesSince(ended);
            const int first = FrameSeconds(after[0]);
            EXPECT_EQ(FrameSeconds(after[1]), first + 1);
            EXPECT_GT(first, lastSent);
            for (const auto &frame : after) {
                std::vector<std::uint8_t> echo(frame.bytes.begin() + 1, frame.bytes.end());
                EXPECT_EQ(sim::FrameToHex(frame.reply), sim::FrameToHex(echo)) << "answered";
            }
            if (GetParam() == Talk::RealTime) {
                const auto arrived = duration_cast<seconds>(after[1].received - kClockStart).count() % 3600;
                EXPECT_GE(arrived - FrameSeconds(after[1]), 0) << "the clock's second when it was sent";
                EXPECT_LE(arrived - FrameSeconds(after[1]), 1) << "the clock's second when it was sent";
                EXPECT_TRUE(std::regex_match(Panel(0), std::regex("10 : \\d\\d : \\d\\d")))
                    << "the running clock overwrites the failure: " << Panel(0);
            }
        } else {
            form->BitBtn12->Click();
            // The display logs a frame a moment after it answered it.
            ASSERT_TRUE(QTest::qWaitFor([&] { return !ValueFramesSince(ended).empty(); }, kRecoveryMs));
            const auto after = ValueFramesSince(ended);
            ASSERT_EQ(after.size(), 1u);
            EXPECT_EQ(sim::FrameToHex(after[0].bytes), "44 3F 3F 3F 00 0D 0A");
            EXPECT_EQ(form->Edit2->Text() + form->Edit3->Text(), display->value());
        }
        EXPECT_EQ(testsupport::OpenDescriptors(), descriptors);
    }
}

INSTANTIATE_TEST_SUITE_P(Ways, FaultMatrix, ::testing::Values(Talk::RealTime, Talk::Stopwatch, Talk::ReadButton),
                         [](const auto &way) {
                             return way.param == Talk::RealTime    ? "RealTimeRunning"
                                    : way.param == Talk::Stopwatch ? "StopwatchRunning"
                                                                   : "ReadButton";
                         });

} // namespace
